#include "platform/win32/win32_active_desktop.h"

#include <windows.h>
#include <objbase.h>
#include <wininet.h>
#include <shlobj.h>

#include <cstddef>
#include <cstring>
#include <vector>

namespace qv {

namespace {

// The first Active Desktop's interface and class, as the shell registers
// them.
const CLSID kActiveDesktopClass = {
    0x75048700, 0xEF1F, 0x11D0, {0x98, 0x88, 0x00, 0x60, 0x97, 0xDE, 0xAC, 0xF9}};
const IID kActiveDesktopInterface = {
    0xF490EB00, 0x1240, 0x11D1, {0x98, 0x88, 0x00, 0x60, 0x97, 0xDE, 0xAC, 0xF9}};

// The structures as settings files carry them (32-bit layout: no pointers).
static_assert(sizeof(COMPONENTSOPT) == 12);
static_assert(sizeof(WALLPAPEROPT) == 8);
static_assert(sizeof(COMPPOS) == 44);
static_assert(sizeof(IE4COMPONENT) == 8924);
static_assert(offsetof(IE4COMPONENT, cpPos) == 24);
static_assert(offsetof(IE4COMPONENT, wszFriendlyName) == 68);
static_assert(offsetof(IE4COMPONENT, wszSource) == 588);
static_assert(offsetof(IE4COMPONENT, wszSubscribedURL) == 4756);
static_assert(sizeof(WCHAR) == sizeof(char16_t));

constexpr std::size_t kPathChars = MAX_PATH;

HResult Result(HRESULT h) { return static_cast<HResult>(h); }

// A zero-terminated copy of at most chars - 1 characters.
void CopyWide(WCHAR* out, std::size_t chars, std::u16string_view text) {
  const std::size_t n = text.size() < chars ? text.size() : chars - 1;
  std::memcpy(out, text.data(), n * sizeof(WCHAR));
  out[n] = 0;
}

// The text of a field, which may lack its terminating zero.
std::u16string FieldText(const WCHAR* field, std::size_t chars) {
  std::size_t n = 0;
  while (n < chars && field[n] != 0) ++n;
  return std::u16string(reinterpret_cast<const char16_t*>(field), n);
}

std::wstring Wide(std::u16string_view text) {
  return std::wstring(reinterpret_cast<const wchar_t*>(text.data()), text.size());
}

// The first Active Desktop's COMPONENT, passed inside a zeroed buffer of
// the current structure's size, so that a shell writing its longer form
// stays inside the buffer.
struct ComponentBuffer {
  COMPONENT whole{};
  void Put(const IE4COMPONENT& c) { std::memcpy(&whole, &c, sizeof c); }
  IE4COMPONENT Get() const {
    IE4COMPONENT c;
    std::memcpy(&c, &whole, sizeof c);
    return c;
  }
};

void ToSystem(const DesktopComponent& from, IE4COMPONENT& c) {
  c.dwSize = from.size;
  c.dwID = from.id;
  c.iComponentType = from.type;
  c.fChecked = from.checked;
  c.fDirty = from.dirty;
  c.fNoScroll = from.noScroll;
  c.cpPos.dwSize = from.position.size;
  c.cpPos.iLeft = from.position.left;
  c.cpPos.iTop = from.position.top;
  c.cpPos.dwWidth = from.position.width;
  c.cpPos.dwHeight = from.position.height;
  c.cpPos.izIndex = from.position.zIndex;
  c.cpPos.fCanResize = from.position.canResize;
  c.cpPos.fCanResizeX = from.position.canResizeX;
  c.cpPos.fCanResizeY = from.position.canResizeY;
  c.cpPos.iPreferredLeftPercent = from.position.preferredLeftPercent;
  c.cpPos.iPreferredTopPercent = from.position.preferredTopPercent;
  CopyWide(c.wszFriendlyName, MAX_PATH, from.friendlyName);
  CopyWide(c.wszSource, INTERNET_MAX_URL_LENGTH, from.source);
  CopyWide(c.wszSubscribedURL, INTERNET_MAX_URL_LENGTH, from.subscribedUrl);
}

void FromSystem(const IE4COMPONENT& c, DesktopComponent& to) {
  to.size = c.dwSize;
  to.id = c.dwID;
  to.type = c.iComponentType;
  to.checked = c.fChecked != 0;
  to.dirty = c.fDirty != 0;
  to.noScroll = c.fNoScroll != 0;
  to.position.size = c.cpPos.dwSize;
  to.position.left = c.cpPos.iLeft;
  to.position.top = c.cpPos.iTop;
  to.position.width = c.cpPos.dwWidth;
  to.position.height = c.cpPos.dwHeight;
  to.position.zIndex = c.cpPos.izIndex;
  to.position.canResize = c.cpPos.fCanResize != 0;
  to.position.canResizeX = c.cpPos.fCanResizeX != 0;
  to.position.canResizeY = c.cpPos.fCanResizeY != 0;
  to.position.preferredLeftPercent = c.cpPos.iPreferredLeftPercent;
  to.position.preferredTopPercent = c.cpPos.iPreferredTopPercent;
  to.friendlyName = FieldText(c.wszFriendlyName, MAX_PATH);
  to.source = FieldText(c.wszSource, INTERNET_MAX_URL_LENGTH);
  to.subscribedUrl = FieldText(c.wszSubscribedURL, INTERNET_MAX_URL_LENGTH);
}

}  // namespace

Win32ActiveDesktop::~Win32ActiveDesktop() { Close(); }

HResult Win32ActiveDesktop::Open() {
  if (object_) return hr::Ok;
  const HRESULT started = CoInitialize(nullptr);
  comStarted_ = SUCCEEDED(started);  // S_FALSE too: it must be balanced
  void* object = nullptr;
  const HRESULT made = CoCreateInstance(kActiveDesktopClass, nullptr, CLSCTX_INPROC_SERVER,
                                        kActiveDesktopInterface, &object);
  if (FAILED(made) || !object) {
    if (comStarted_) CoUninitialize();
    comStarted_ = false;
    return FAILED(made) ? Result(made) : hr::NoInterface;
  }
  object_ = static_cast<::IActiveDesktop*>(object);
  return hr::Ok;
}

void Win32ActiveDesktop::Close() {
  if (object_) {
    object_->Release();
    object_ = nullptr;
  }
  if (comStarted_) CoUninitialize();
  comStarted_ = false;
}

HResult Win32ActiveDesktop::GetOptions(ComponentsOptions& options) {
  if (!object_) return hr::Fail;
  COMPONENTSOPT o{};
  o.dwSize = options.size;
  const HRESULT h = object_->GetDesktopItemOptions(&o, 0);
  if (SUCCEEDED(h)) {
    options.size = o.dwSize;
    options.enableComponents = o.fEnableComponents != 0;
    options.activeDesktop = o.fActiveDesktop != 0;
  }
  return Result(h);
}

HResult Win32ActiveDesktop::SetOptions(const ComponentsOptions& options) {
  if (!object_) return hr::Fail;
  COMPONENTSOPT o{};
  o.dwSize = options.size;
  o.fEnableComponents = options.enableComponents;
  o.fActiveDesktop = options.activeDesktop;
  return Result(object_->SetDesktopItemOptions(&o, 0));
}

HResult Win32ActiveDesktop::GetWallpaper(std::u16string& path) {
  if (!object_) return hr::Fail;
  WCHAR buffer[kPathChars + 1] = {};
  const HRESULT h = object_->GetWallpaper(buffer, kPathChars, 0);
  if (SUCCEEDED(h)) path = FieldText(buffer, kPathChars);
  return Result(h);
}

HResult Win32ActiveDesktop::SetWallpaper(std::u16string_view path) {
  if (!object_) return hr::Fail;
  return Result(object_->SetWallpaper(Wide(path).c_str(), 0));
}

HResult Win32ActiveDesktop::GetWallpaperOptions(WallpaperOptions& options) {
  if (!object_) return hr::Fail;
  WALLPAPEROPT o{};
  o.dwSize = options.size;
  const HRESULT h = object_->GetWallpaperOptions(&o, 0);
  if (SUCCEEDED(h)) {
    options.size = o.dwSize;
    options.style = o.dwStyle;
  }
  return Result(h);
}

HResult Win32ActiveDesktop::SetWallpaperOptions(const WallpaperOptions& options) {
  if (!object_) return hr::Fail;
  WALLPAPEROPT o{};
  o.dwSize = options.size;
  o.dwStyle = options.style;
  return Result(object_->SetWallpaperOptions(&o, 0));
}

HResult Win32ActiveDesktop::GetPattern(std::u16string& pattern) {
  if (!object_) return hr::Fail;
  WCHAR buffer[kPathChars + 1] = {};
  const HRESULT h = object_->GetPattern(buffer, kPathChars, 0);
  if (SUCCEEDED(h)) pattern = FieldText(buffer, kPathChars);
  return Result(h);
}

HResult Win32ActiveDesktop::SetPattern(std::u16string_view pattern) {
  if (!object_) return hr::Fail;
  return Result(object_->SetPattern(Wide(pattern).c_str(), 0));
}

HResult Win32ActiveDesktop::ItemCount(int& count) {
  if (!object_) return hr::Fail;
  int n = 0;
  const HRESULT h = object_->GetDesktopItemCount(&n, 0);
  if (SUCCEEDED(h)) count = n;
  return Result(h);
}

HResult Win32ActiveDesktop::GetItem(int index, DesktopComponent& component) {
  if (!object_) return hr::Fail;
  ComponentBuffer buffer;
  buffer.whole.dwSize = component.size;
  const HRESULT h = object_->GetDesktopItem(index, &buffer.whole, 0);
  if (SUCCEEDED(h)) FromSystem(buffer.Get(), component);
  return Result(h);
}

HResult Win32ActiveDesktop::AddItem(const DesktopComponent& component) {
  if (!object_) return hr::Fail;
  IE4COMPONENT c{};
  ToSystem(component, c);
  ComponentBuffer buffer;
  buffer.Put(c);
  return Result(object_->AddDesktopItem(&buffer.whole, 0));
}

HResult Win32ActiveDesktop::ModifyItem(const DesktopComponent& component, std::uint32_t flags) {
  if (!object_) return hr::Fail;
  IE4COMPONENT c{};
  ToSystem(component, c);
  ComponentBuffer buffer;
  buffer.Put(c);
  return Result(object_->ModifyDesktopItem(&buffer.whole, flags));
}

HResult Win32ActiveDesktop::RemoveItem(const DesktopComponent& component) {
  if (!object_) return hr::Fail;
  IE4COMPONENT c{};
  ToSystem(component, c);
  ComponentBuffer buffer;
  buffer.Put(c);
  return Result(object_->RemoveDesktopItem(&buffer.whole, 0));
}

HResult Win32ActiveDesktop::ApplyChanges(std::uint32_t flags) {
  if (!object_) return hr::Fail;
  return Result(object_->ApplyChanges(flags));
}

std::string Win32ActiveDesktop::ToAnsi(std::u16string_view text) {
  if (text.empty()) return std::string();
  const wchar_t* wide = reinterpret_cast<const wchar_t*>(text.data());
  const int length = static_cast<int>(text.size());
  const int size = WideCharToMultiByte(CP_ACP, 0, wide, length, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return std::string();
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide, length, out.data(), size, nullptr, nullptr);
  return out;
}

}  // namespace qv
