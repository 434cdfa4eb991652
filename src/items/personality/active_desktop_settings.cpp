#include "items/personality/active_desktop_settings.h"

#include <cstdio>

#include "engine/debug_log.h"
#include "engine/messages.h"
#include "platform/machine.h"
#include "stream/connection.h"
#include "stream/win_structs.h"

namespace {

constexpr std::uint32_t kApplyAll = qv::adapply::Save | qv::adapply::HtmlGen | qv::adapply::Refresh;
constexpr std::uint32_t kModifyFlags =
    qv::compelem::Type | qv::compelem::Checked | qv::compelem::Dirty | qv::compelem::NoScroll;

std::string Hex(qv::HResult h) {
  char text[16];
  std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(h));
  return text;
}

void WriteBlock(TConnection& stream, const std::vector<std::uint8_t>& bytes) {
  stream.WriteBuffer(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
}

std::vector<std::uint8_t> ReadBlock(TConnection& stream, std::size_t size) {
  stream.RequireAvailable(size);
  std::vector<std::uint8_t> bytes(size);
  stream.ReadBuffer(bytes.data(), static_cast<std::uint32_t>(size));
  return bytes;
}

}  // namespace

TActiveDesktopSettings::TActiveDesktopSettings() {
  qv::IActiveDesktop* desktop = qv::CurrentMachine().ActiveDesktop();
  qv::HResult opened = desktop ? desktop->Open() : qv::hr::ClassNotRegistered;
  if (qv::hr::Succeeded(opened)) {
    Desktop = desktop;
  } else {
    DebugLog(SystemErrorText(opened));
  }
  Installed = Desktop != nullptr;
  DebugLog(Installed ? "Active desktop is installed" : "Active desktop is not installed");
  if (Installed) ReadCurrentState();
}

TActiveDesktopSettings::~TActiveDesktopSettings() {
  if (Desktop) Desktop->Close();
}

void TActiveDesktopSettings::LogFailure(const std::string& call, qv::HResult result) {
  DebugLog(call + " failed : " + Hex(result) + "  " + SystemErrorText(result));
}

std::string TActiveDesktopSettings::Ansi(std::u16string_view text) {
  qv::IActiveDesktop* desktop = Desktop ? Desktop : qv::CurrentMachine().ActiveDesktop();
  if (desktop) return desktop->ToAnsi(text);
  std::string out;
  for (char16_t c : text) out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  return out;
}

void TActiveDesktopSettings::ReadCurrentState() {
  Current = DesktopState{};
  qv::HResult h = Desktop->GetOptions(Current.options);
  if (!qv::hr::Succeeded(h)) {
    LogFailure("GetDesktopItemOptions", h);
    Current.options = qv::ComponentsOptions{};
  }
  if (!qv::hr::Succeeded(h = Desktop->GetWallpaper(Current.wallpaper))) {
    LogFailure("GetWallpaper", h);
    Current.wallpaper.clear();
  }
  if (!qv::hr::Succeeded(h = Desktop->GetWallpaperOptions(Current.wallpaperOptions))) {
    LogFailure("GetWallpaperOptions", h);
    Current.wallpaperOptions = qv::WallpaperOptions{};
  }
  if (!qv::hr::Succeeded(h = Desktop->GetPattern(Current.pattern))) {
    LogFailure("GetPattern", h);
    Current.pattern.clear();
  }
  int count = 0;
  if (!qv::hr::Succeeded(h = Desktop->ItemCount(count))) {
    LogFailure("GetDesktopItemCount", h);
    count = 0;
  }
  DebugLog(std::to_string(count) + " Active Desktop items.");
  for (int i = 0; i < count; ++i) {
    qv::DesktopComponent component;  // zeroed, of the COMPONENT's size
    if (!qv::hr::Succeeded(h = Desktop->GetItem(i, component))) {
      LogFailure("GetDesktopItem", h);
      continue;
    }
    Current.components.push_back(component);
  }
}

bool TActiveDesktopSettings::Write(TConnection& stream) {
  stream.WriteBoolean(Installed, "Installed");
  if (Installed) {
    WriteBlock(stream, adstruct::EncodeOptions(Current.options));
    WriteBlock(stream, adstruct::EncodePath(Current.wallpaper));
    WriteBlock(stream, adstruct::EncodeWallpaperOptions(Current.wallpaperOptions));
    WriteBlock(stream, adstruct::EncodePath(Current.pattern));
    stream.WriteInteger(static_cast<std::int32_t>(Current.components.size()), "ComponentCount");
    for (const qv::DesktopComponent& component : Current.components)
      WriteBlock(stream, adstruct::EncodeComponent(component));
  }
  Describe(stream);
  return true;
}

bool TActiveDesktopSettings::ReadSourceState(TConnection& stream) {
  Source = DesktopState{};
  Source.options = adstruct::DecodeOptions(ReadBlock(stream, adstruct::kComponentsOptionsSize).data());
  Source.wallpaper = adstruct::DecodePath(ReadBlock(stream, adstruct::kPathSize).data());
  Source.wallpaperOptions =
      adstruct::DecodeWallpaperOptions(ReadBlock(stream, adstruct::kWallpaperOptionsSize).data());
  Source.pattern = adstruct::DecodePath(ReadBlock(stream, adstruct::kPathSize).data());
  const std::int32_t count = stream.ReadInteger("ComponentCount");
  if (count < 0) {
    DebugLog("Active Desktop : component count " + std::to_string(count));
    return false;
  }
  // Every component must be there before any room is made for them.
  stream.RequireAvailable(static_cast<std::uint64_t>(count) * adstruct::kComponentSize);
  Source.components.reserve(static_cast<std::size_t>(count));
  for (std::int32_t i = 0; i < count; ++i)
    Source.components.push_back(
        adstruct::DecodeComponent(ReadBlock(stream, adstruct::kComponentSize).data()));
  return true;
}

void TActiveDesktopSettings::LogPosition(const qv::DesktopComponent& c) {
  DebugLog("Left : " + std::to_string(c.position.left));
  DebugLog("Top : " + std::to_string(c.position.top));
  DebugLog("Width : " + std::to_string(c.position.width));
  DebugLog("Height : " + std::to_string(c.position.height));
  DebugLog("Z-Order : " + std::to_string(c.position.zIndex));
}

bool TActiveDesktopSettings::FindCurrent(const std::u16string& source,
                                         qv::DesktopComponent& found) {
  int count = 0;
  if (!qv::hr::Succeeded(Desktop->ItemCount(count))) return false;
  for (int i = 0; i < count; ++i) {
    qv::DesktopComponent c;
    if (qv::hr::Succeeded(Desktop->GetItem(i, c)) && c.source == source) {
      found = c;
      return true;
    }
  }
  return false;
}

void TActiveDesktopSettings::AddComponent(const qv::DesktopComponent& source, int number) {
  DebugLog("Component " + std::to_string(number));
  DebugLog("Name : " + Ansi(source.friendlyName));
  DebugLog(source.checked ? "Component is Active" : "Component is Inactive");
  if (source.size != adstruct::kComponentSize) {
    // Not a COMPONENT as this program knows it: its fields cannot be trusted.
    DebugLog("Component passed over: its size is " + std::to_string(source.size));
    return;
  }
  const qv::HResult added = Desktop->AddItem(source);
  if (qv::hr::Succeeded(added)) return;
  DebugLog("AddDesktopItem failed : " + Hex(added) + "  " + SystemErrorText(added));
  // Already on the desktop (or refused): take over its state, not its place.
  qv::DesktopComponent before = source;
  FindCurrent(source.source, before);
  DebugLog("Position Before:");
  LogPosition(before);
  DebugLog("");
  qv::DesktopComponent changed = source;
  changed.dirty = true;
  const qv::HResult modified = Desktop->ModifyItem(changed, kModifyFlags);
  qv::DesktopComponent after = before;
  FindCurrent(source.source, after);
  DebugLog("Position After:");
  LogPosition(after);
  if (!qv::hr::Succeeded(modified))
    DebugLog("ModifyDesktopItem failed : " + Hex(modified) + "  " + SystemErrorText(modified));
}

void TActiveDesktopSettings::ApplySourceState() {
  qv::HResult h = Desktop->SetOptions(Source.options);
  if (!qv::hr::Succeeded(h)) LogFailure("SetDesktopItemOptions", h);
  if (!qv::hr::Succeeded(h = Desktop->SetWallpaper(Source.wallpaper))) LogFailure("SetWallpaper", h);
  if (!qv::hr::Succeeded(h = Desktop->SetWallpaperOptions(Source.wallpaperOptions)))
    LogFailure("SetWallpaperOptions", h);
  if (!qv::hr::Succeeded(h = Desktop->SetPattern(Source.pattern))) LogFailure("SetPattern", h);
  int number = 0;
  for (const qv::DesktopComponent& component : Source.components)
    AddComponent(component, ++number);
  if (!qv::hr::Succeeded(h = Desktop->ApplyChanges(kApplyAll))) LogFailure("ApplyChanges", h);
  ReadCurrentState();
}

bool TActiveDesktopSettings::Read(TConnection& stream) {
  SourceInstalled = stream.ReadBoolean("Installed");
  if (SourceInstalled && !ReadSourceState(stream)) return false;
  if (Installed && SourceInstalled) ApplySourceState();
  if (!Installed && SourceInstalled) stream.AddComment("Components cannot be installed.");
  Describe(stream);
  return true;
}

void TActiveDesktopSettings::Describe(TConnection& stream) {
  if (!Installed) {
    stream.AddComment("ActiveDesktop is not installed.");
    return;
  }
  stream.AddComment(Current.options.activeDesktop ? "ActiveDesktop is enabled"
                                                  : "ActiveDesktop is disabled");
  stream.AddComment(Current.options.enableComponents ? "Components are enabled"
                                                     : "Components are disabled");
  stream.AddComment("Wallpaper is " + Ansi(Current.wallpaper));
  switch (Current.wallpaperOptions.style) {
    case qv::wpstyle::Center: stream.AddComment("Wallpaper is centered"); break;
    case qv::wpstyle::Tile: stream.AddComment("Wallpaper is tiled"); break;
    case qv::wpstyle::Stretch: stream.AddComment("Wallpaper is stretched"); break;
    default: break;
  }
  stream.AddComment("Pattern is " + Ansi(Current.pattern));
  stream.AddComment("");
  stream.AddComment(std::to_string(Current.components.size()) + " Active Desktop components found.");
  static const char* const kTypes[] = {"Type : HTML doc", "Type : Picture", "Type : Web site",
                                       "Type : Control", "Type : CF html"};
  int number = 0;
  for (const qv::DesktopComponent& c : Current.components) {
    stream.AddComment(std::to_string(++number) + ".  ");
    stream.AddComment("Name : " + Ansi(c.friendlyName));
    stream.AddComment("Source : " + Ansi(c.source));
    stream.AddComment("Subscribed URL : " + Ansi(c.subscribedUrl));
    if (c.type >= 0 && c.type <= 4) stream.AddComment(kTypes[c.type]);
    stream.AddComment(c.checked ? "Active : Component is Active" : "Active : Component is Inactive");
    stream.AddComment("Position :");
    stream.AddComment("  Left : " + std::to_string(c.position.left));
    stream.AddComment("  Top : " + std::to_string(c.position.top));
    stream.AddComment("  Width : " + std::to_string(c.position.width));
    stream.AddComment("  Height : " + std::to_string(c.position.height));
    stream.AddComment("  Z-Order : " + std::to_string(c.position.zIndex));
    if (c.position.canResize) stream.AddComment("  Resizable");
    if (c.position.canResizeX) stream.AddComment("  Resizable Horizontally");
    if (c.position.canResizeY) stream.AddComment("  Resizable Verically");
    stream.AddComment("  PreferredLeftPercent : " + std::to_string(c.position.preferredLeftPercent));
    stream.AddComment("  PreferredTopPercent : " + std::to_string(c.position.preferredTopPercent));
    stream.AddComment("");
  }
}
