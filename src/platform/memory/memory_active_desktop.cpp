#include "platform/memory/memory_active_desktop.h"

#include <algorithm>
#include <mutex>

#include "platform/memory/memory_state.h"

namespace qv::mem {

namespace {

constexpr std::uint32_t kComponentSize = 8924;

std::string Narrow(std::u16string_view text) {
  std::string out;
  for (char16_t c : text) out.push_back(c < 0x100 ? static_cast<char>(c) : '?');
  return out;
}

}  // namespace

void InitializeActiveDesktop(MemoryMachine::State& s) {
  ActiveDesktopSetup& shown = s.activeDesktop.shown;
  shown = ActiveDesktopSetup{};
  shown.installed = s.setup.kind == okWin98;
  if (shown.installed) shown.pattern = u"(None)";
}

HResult MemoryActiveDesktop::Open() {
  std::lock_guard g(s_.lock);
  if (!s_.activeDesktop.shown.installed) return hr::ClassNotRegistered;
  if (!open_) pending_ = s_.activeDesktop.shown;
  open_ = true;
  return hr::Ok;
}

void MemoryActiveDesktop::Close() {
  std::lock_guard g(s_.lock);
  open_ = false;
  pending_ = ActiveDesktopSetup{};
}

HResult MemoryActiveDesktop::GetOptions(ComponentsOptions& options) {
  std::lock_guard g(s_.lock);
  if (!open_) return hr::Fail;
  if (options.size != 12) return hr::InvalidArg;
  options = pending_.options;
  return hr::Ok;
}

HResult MemoryActiveDesktop::SetOptions(const ComponentsOptions& options) {
  std::lock_guard g(s_.lock);
  if (!open_) return hr::Fail;
  if (options.size != 12) return hr::InvalidArg;
  pending_.options = options;
  return hr::Ok;
}

HResult MemoryActiveDesktop::GetWallpaper(std::u16string& path) {
  std::lock_guard g(s_.lock);
  if (!open_) return hr::Fail;
  path = pending_.wallpaper;
  return hr::Ok;
}

HResult MemoryActiveDesktop::SetWallpaper(std::u16string_view path) {
  std::lock_guard g(s_.lock);
  if (!open_) return hr::Fail;
  if (path.size() >= 260) return hr::InvalidArg;
  pending_.wallpaper = std::u16string(path);
  return hr::Ok;
}

HResult MemoryActiveDesktop::GetWallpaperOptions(WallpaperOptions& options) {
  std::lock_guard g(s_.lock);
  if (!open_) return hr::Fail;
  if (options.size != 8) return hr::InvalidArg;
  options = pending_.wallpaperOptions;
  return hr::Ok;
}

HResult MemoryActiveDesktop::SetWallpaperOptions(const WallpaperOptions& options) {
  std::lock_guard g(s_.lock);
  if (!open_) return hr::Fail;
  if (options.size != 8 || options.style > wpstyle::Stretch) return hr::InvalidArg;
  pending_.wallpaperOptions = options;
  return hr::Ok;
}

HResult MemoryActiveDesktop::GetPattern(std::u16string& pattern) {
  std::lock_guard g(s_.lock);
  if (!open_) return hr::Fail;
  pattern = pending_.pattern;
  return hr::Ok;
}

HResult MemoryActiveDesktop::SetPattern(std::u16string_view pattern) {
  std::lock_guard g(s_.lock);
  if (!open_) return hr::Fail;
  if (pattern.size() >= 260) return hr::InvalidArg;
  pending_.pattern = std::u16string(pattern);
  return hr::Ok;
}

HResult MemoryActiveDesktop::ItemCount(int& count) {
  std::lock_guard g(s_.lock);
  if (!open_) return hr::Fail;
  count = static_cast<int>(pending_.components.size());
  return hr::Ok;
}

HResult MemoryActiveDesktop::GetItem(int index, DesktopComponent& component) {
  std::lock_guard g(s_.lock);
  if (!open_) return hr::Fail;
  if (component.size != kComponentSize) return hr::InvalidArg;
  if (index < 0 || static_cast<std::size_t>(index) >= pending_.components.size())
    return hr::InvalidArg;
  component = pending_.components[static_cast<std::size_t>(index)];
  return hr::Ok;
}

DesktopComponent* MemoryActiveDesktop::Find(std::u16string_view source) {
  for (DesktopComponent& c : pending_.components)
    if (c.source == source) return &c;
  return nullptr;
}

HResult MemoryActiveDesktop::AddItem(const DesktopComponent& component) {
  std::lock_guard g(s_.lock);
  if (!open_) return hr::Fail;
  if (component.size != kComponentSize) return hr::InvalidArg;
  if (Find(component.source)) return hr::Fail;
  DesktopComponent added = component;
  for (const DesktopComponent& c : pending_.components)
    s_.activeDesktop.nextId = std::max(s_.activeDesktop.nextId, c.id + 1);
  added.id = s_.activeDesktop.nextId++;
  added.dirty = false;
  pending_.components.push_back(added);
  return hr::Ok;
}

HResult MemoryActiveDesktop::ModifyItem(const DesktopComponent& component, std::uint32_t flags) {
  std::lock_guard g(s_.lock);
  if (!open_) return hr::Fail;
  if (component.size != kComponentSize) return hr::InvalidArg;
  DesktopComponent* c = Find(component.source);
  if (!c) return hr::Fail;
  if (flags & compelem::Type) c->type = component.type;
  if (flags & compelem::Checked) c->checked = component.checked;
  if (flags & compelem::Dirty) c->dirty = component.dirty;
  if (flags & compelem::NoScroll) c->noScroll = component.noScroll;
  if (flags & 0x10) c->position.left = component.position.left;
  if (flags & 0x20) c->position.top = component.position.top;
  if (flags & 0x40) c->position.width = component.position.width;
  if (flags & 0x80) c->position.height = component.position.height;
  if (flags & 0x100) c->position.zIndex = component.position.zIndex;
  if (flags & 0x400) c->friendlyName = component.friendlyName;
  if (flags & 0x800) c->subscribedUrl = component.subscribedUrl;
  return hr::Ok;
}

HResult MemoryActiveDesktop::RemoveItem(const DesktopComponent& component) {
  std::lock_guard g(s_.lock);
  if (!open_) return hr::Fail;
  auto& list = pending_.components;
  auto it = std::find_if(list.begin(), list.end(),
                         [&](const DesktopComponent& c) { return c.source == component.source; });
  if (it == list.end()) return hr::Fail;
  list.erase(it);
  return hr::Ok;
}

HResult MemoryActiveDesktop::ApplyChanges(std::uint32_t flags) {
  std::lock_guard g(s_.lock);
  if (!open_) return hr::Fail;
  s_.activeDesktop.applies.push_back(flags);
  // Dirty marks are the shell's own bookkeeping: applied components are clean.
  for (DesktopComponent& c : pending_.components) c.dirty = false;
  s_.activeDesktop.shown = pending_;
  return hr::Ok;
}

std::string MemoryActiveDesktop::ToAnsi(std::u16string_view text) { return Narrow(text); }

void CompareActiveDesktops(const ActiveDesktopState& a, const ActiveDesktopState& b,
                           std::vector<std::string>& out) {
  const ActiveDesktopSetup& x = a.shown;
  const ActiveDesktopSetup& y = b.shown;
  if (x.installed != y.installed) out.push_back("active desktop: installed differs");
  if (!(x.options == y.options)) out.push_back("active desktop: options differ");
  if (x.wallpaper != y.wallpaper)
    out.push_back("active desktop: wallpaper " + Narrow(x.wallpaper) + " / " + Narrow(y.wallpaper));
  if (!(x.wallpaperOptions == y.wallpaperOptions))
    out.push_back("active desktop: wallpaper options differ");
  if (x.pattern != y.pattern)
    out.push_back("active desktop: pattern " + Narrow(x.pattern) + " / " + Narrow(y.pattern));
  if (x.components.size() != y.components.size()) {
    out.push_back("active desktop: " + std::to_string(x.components.size()) + " / " +
                  std::to_string(y.components.size()) + " components");
    return;
  }
  for (std::size_t i = 0; i < x.components.size(); ++i)
    if (!(x.components[i] == y.components[i]))
      out.push_back("active desktop: component " + Narrow(x.components[i].source) + " differs");
}

}  // namespace qv::mem
