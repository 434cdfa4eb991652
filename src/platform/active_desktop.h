// Active Desktop port: the shell's IActiveDesktop COM object (in-process
// server, CLSID {75048700-EF1F-11D0-9888-006097DEACF9}, IID
// {F490EB00-1240-11D1-9888-006097DEACF9}).
//
// Its strings are UTF-16, as the interface and the settings file hold them.
// Every call but Open needs an open object and gives hr::Fail without one.
// Set, add, modify and remove calls change the object's pending state;
// ApplyChanges makes them take effect.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/win_types.h"

namespace qv {

// A COM result code (HRESULT), kept unsigned so that the system's text for
// it can be asked for like that of any error code.
using HResult = std::uint32_t;

namespace hr {
inline constexpr HResult Ok = 0;
inline constexpr HResult False = 1;
inline constexpr HResult NoInterface = 0x80004002u;
inline constexpr HResult Fail = 0x80004005u;
inline constexpr HResult ClassNotRegistered = 0x80040154u;  // REGDB_E_CLASSNOTREG
inline constexpr HResult InvalidArg = 0x80070057u;
inline constexpr bool Succeeded(HResult h) { return (h & 0x80000000u) == 0; }
}  // namespace hr

// COMPONENTSOPT (12 bytes).
struct ComponentsOptions {
  std::uint32_t size = 12;
  bool enableComponents = false;
  bool activeDesktop = false;
  bool operator==(const ComponentsOptions&) const = default;
};

// Wallpaper styles (WPSTYLE_*) and WALLPAPEROPT (8 bytes).
namespace wpstyle {
inline constexpr std::uint32_t Center = 0;
inline constexpr std::uint32_t Tile = 1;
inline constexpr std::uint32_t Stretch = 2;
}  // namespace wpstyle

struct WallpaperOptions {
  std::uint32_t size = 8;
  std::uint32_t style = wpstyle::Center;
  bool operator==(const WallpaperOptions&) const = default;
};

// Component types (COMP_TYPE_*).
namespace comptype {
inline constexpr std::int32_t HtmlDoc = 0;
inline constexpr std::int32_t Picture = 1;
inline constexpr std::int32_t Website = 2;
inline constexpr std::int32_t Control = 3;
inline constexpr std::int32_t CfHtml = 4;
}  // namespace comptype

// ModifyDesktopItem flags (COMP_ELEM_*): which fields to change.
namespace compelem {
inline constexpr std::uint32_t Type = 0x1;
inline constexpr std::uint32_t Checked = 0x2;
inline constexpr std::uint32_t Dirty = 0x4;
inline constexpr std::uint32_t NoScroll = 0x8;
}  // namespace compelem

// ApplyChanges flags (AD_APPLY_*).
namespace adapply {
inline constexpr std::uint32_t Save = 0x1;
inline constexpr std::uint32_t HtmlGen = 0x2;
inline constexpr std::uint32_t Refresh = 0x4;
}  // namespace adapply

// COMPPOS (44 bytes).
struct ComponentPosition {
  std::uint32_t size = 44;
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::int32_t zIndex = 0;
  bool canResize = false;
  bool canResizeX = false;
  bool canResizeY = false;
  std::int32_t preferredLeftPercent = 0;
  std::int32_t preferredTopPercent = 0;
  bool operator==(const ComponentPosition&) const = default;
};

// COMPONENT as the first Active Desktop defined it (8924 bytes): the friendly
// name holds at most 259 characters, source and subscribed URL 2083 each.
struct DesktopComponent {
  std::uint32_t size = 8924;
  std::uint32_t id = 0;
  std::int32_t type = comptype::HtmlDoc;
  bool checked = false;  // the component is active
  bool dirty = false;
  bool noScroll = false;
  ComponentPosition position;
  std::u16string friendlyName;
  std::u16string source;
  std::u16string subscribedUrl;
  bool operator==(const DesktopComponent&) const = default;
};

class IActiveDesktop {
 public:
  virtual ~IActiveDesktop() = default;

  // CoInitialize + CoCreateInstance of the Active Desktop object. A failure
  // (the Active Desktop is not installed) gives its HRESULT and leaves the
  // object closed.
  virtual HResult Open() = 0;
  // Release + CoUninitialize; pending changes that were not applied are
  // dropped. Closing a closed object does nothing.
  virtual void Close() = 0;

  // GetDesktopItemOptions / SetDesktopItemOptions.
  virtual HResult GetOptions(ComponentsOptions& options) = 0;
  virtual HResult SetOptions(const ComponentsOptions& options) = 0;
  // GetWallpaper (buffer of 260 characters) / SetWallpaper.
  virtual HResult GetWallpaper(std::u16string& path) = 0;
  virtual HResult SetWallpaper(std::u16string_view path) = 0;
  // GetWallpaperOptions / SetWallpaperOptions.
  virtual HResult GetWallpaperOptions(WallpaperOptions& options) = 0;
  virtual HResult SetWallpaperOptions(const WallpaperOptions& options) = 0;
  // GetPattern (buffer of 260 characters) / SetPattern.
  virtual HResult GetPattern(std::u16string& pattern) = 0;
  virtual HResult SetPattern(std::u16string_view pattern) = 0;

  // GetDesktopItemCount.
  virtual HResult ItemCount(int& count) = 0;
  // GetDesktopItem(index): the component at a position of the list.
  virtual HResult GetItem(int index, DesktopComponent& component) = 0;
  // AddDesktopItem: a failure (for example for a component whose source is
  // on the desktop already) adds nothing.
  virtual HResult AddItem(const DesktopComponent& component) = 0;
  // ModifyDesktopItem: changes the fields named by `flags` (compelem::*) of
  // the component that has the same source (wszSource identifies it).
  virtual HResult ModifyItem(const DesktopComponent& component, std::uint32_t flags) = 0;
  // RemoveDesktopItem: removes the component that has the same source. No
  // item removes components; tests use it to take away the ones they added.
  virtual HResult RemoveItem(const DesktopComponent& component) = 0;
  // ApplyChanges(flags) (adapply::*).
  virtual HResult ApplyChanges(std::uint32_t flags) = 0;

  // The text in the system's ANSI code page (WideCharToMultiByte with
  // CP_ACP): how reports show the object's strings. Needs no open object.
  virtual std::string ToAnsi(std::u16string_view text) = 0;
};

}  // namespace qv
