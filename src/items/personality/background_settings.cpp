#include "items/personality/background_settings.h"

#include "engine/debug_log.h"
#include "engine/file_utils.h"
#include "engine/program.h"
#include "engine/status.h"
#include "config/options.h"
#include "items/item_support.h"
#include "platform/machine.h"
#include "platform/profiles.h"
#include "platform/system_parameters.h"
#include "registry/reg_utils.h"
#include "stream/connection.h"
#include "stream/file_transfer.h"
#include "undo/undo_manager.h"

namespace {

constexpr const char* kDesktopKey = "Control Panel\\Desktop";

// A string value of an open key; anything else (missing, not a string)
// reads as empty.
std::string StringValue(qv::IRegistry& registry, qv::RegKey key, const char* name) {
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  if (registry.QueryValue(key, name, &type, nullptr, &size) != qv::err::Success) return "";
  if (type != qv::regtype::Sz && type != qv::regtype::ExpandSz) return "";
  std::string data(size, '\0');
  if (size > 0 &&
      registry.QueryValue(key, name, &type, reinterpret_cast<std::uint8_t*>(data.data()),
                          &size) != qv::err::Success)
    return "";
  data.resize(size);
  std::size_t zero = data.find('\0');
  if (zero != std::string::npos) data.resize(zero);
  return data;
}

}  // namespace

bool TWallpaperSettings::Write(TConnection& stream) {
  qv::IRegistry& registry = qv::CurrentMachine().Registry();
  qv::RegKey key = 0;
  if (registry.OpenKey(qv::hkey::CurrentUser, kDesktopKey, qv::RegAccess::Read, key) ==
      qv::err::Success) {
    WallPaper = StringValue(registry, key, "WallPaper");
    TileWallpaper = StringValue(registry, key, "TileWallpaper");
    WallPaperStyle = StringValue(registry, key, "WallPaperStyle");
    WallpaperOriginX = StringValue(registry, key, "WallpaperOriginX");
    WallpaperOriginY = StringValue(registry, key, "WallpaperOriginY");
    registry.CloseKey(key);
  }
  // "(None)" and other names of no file: no wallpaper.
  if (!FileExists(WallPaper)) WallPaper.clear();

  stream.WriteString(WallPaper, "WallPaper");
  stream.WriteString(TileWallpaper, "TileWallpaper");
  stream.WriteString(WallPaperStyle, "WallPaperStyle");
  stream.WriteString(WallpaperOriginX, "WallpaperOriginX");
  stream.WriteString(WallpaperOriginY, "WallpaperOriginY");
  if (!WallPaper.empty()) {
    TFileWriter writer(stream);
    if (!writer.WriteFile(WallPaper)) {
      stream.AddComment(writer.ErrorMessage());
      return false;
    }
  }
  Describe(stream);
  return true;
}

bool TWallpaperSettings::Read(TConnection& stream) {
  WallPaper = stream.ReadString("WallPaper");
  TileWallpaper = stream.ReadString("TileWallpaper");
  WallPaperStyle = stream.ReadString("WallPaperStyle");
  WallpaperOriginX = stream.ReadString("WallpaperOriginX");
  WallpaperOriginY = stream.ReadString("WallpaperOriginY");

  bool result = true;
  if (!WallPaper.empty()) {
    StatusWindow().SetActionText("Copying wallpaper...");
    DebugLog("Receiving wallpaper bitmap " + WallPaper);
    UndoManager().RecordFile(WallPaper);
    TFileReader reader(stream, Options().ComparebyDate, Options().ComparebyChecksum);
    result = reader.ReadFile(false, WallPaper);
    if (!result) stream.AddComment(reader.ErrorMessage());
  }
  if (result) {
    items::SetRegStringForUndo(qv::hkey::CurrentUser, kDesktopKey, "WallPaper", WallPaper);
    items::SetRegStringForUndo(qv::hkey::CurrentUser, kDesktopKey, "tileWallPaper", TileWallpaper);
    items::SetRegStringForUndo(qv::hkey::CurrentUser, kDesktopKey, "WallPaperStyle", WallPaperStyle);
    items::SetRegStringForUndo(qv::hkey::CurrentUser, kDesktopKey, "WallPaperOriginX",
                               WallpaperOriginX);
    items::SetRegStringForUndo(qv::hkey::CurrentUser, kDesktopKey, "WallPaperOriginY",
                               WallpaperOriginY);
  }
  qv::ISystemParameters* parameters = qv::CurrentMachine().SystemParameters();
  if (!parameters ||
      !parameters->ParameterText(qv::spi::SetDeskWallpaper, 0,
                                 WallPaper.empty() ? nullptr : &WallPaper,
                                 qv::spif::UpdateIniFile | qv::spif::SendWinIniChange))
    LogSystemParameterFailure(qv::spi::SetDeskWallpaper);
  Describe(stream);
  return result;
}

void TWallpaperSettings::Describe(TConnection& stream) {
  if (WallPaper.empty()) {
    stream.AddComment("There is no wallpaper.");
    return;
  }
  stream.AddComment("The current wallpaper file is " + WallPaper);
  if (TileWallpaper == "1")
    stream.AddComment("The wallpaper is tiled.");
  else if (WallPaperStyle == "2")
    stream.AddComment("The wallpaper is stretched to fit the screen.");
  else
    stream.AddComment("The wallpaper is centered.");
}

bool TPatternSettings::Write(TConnection& stream) {
  try {
    Pattern = UTLGetRegString(qv::hkey::CurrentUser, kDesktopKey, "Pattern", "");
  } catch (const ERegistryException&) {
    // A pattern stored as something other than text: none to carry.
    Pattern.clear();
  }
  stream.WriteString(Pattern, "Pattern");
  Describe(stream);
  return true;
}

bool TPatternSettings::Read(TConnection& stream) {
  Pattern = stream.ReadString("Pattern");
  if (!items::FitsIni(Pattern, false)) {
    // win.ini starts programs from its [windows] section: a "pattern" that
    // would add lines to it is not applied.
    DebugLog("Pattern passed over: it holds line breaks");
    Describe(stream);
    return true;
  }
  items::WriteWinIniValue("Desktop", "pattern", Pattern);
  // Windows keeps the pattern in the registry too: a value the load creates
  // there goes again with undo.
  UndoManager().RecordRegistryValue(qv::hkey::CurrentUser, kDesktopKey, "Pattern");
  qv::ISystemParameters* parameters = qv::CurrentMachine().SystemParameters();
  if (!parameters ||
      !parameters->ParameterText(qv::spi::SetDeskPattern, 0, &Pattern, qv::spif::UpdateIniFile))
    LogSystemParameterFailure(qv::spi::SetDeskPattern);
  Describe(stream);
  return true;
}

void TPatternSettings::Describe(TConnection& stream) {
  if (Pattern.empty())
    stream.AddComment("There is no desktop pattern.");
  else
    stream.AddComment("The current pattern file is " + Pattern);
}
