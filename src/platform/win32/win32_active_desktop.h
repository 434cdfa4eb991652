// The Active Desktop through the shell's COM object (in-process server).
#pragma once

#include "platform/active_desktop.h"

struct IActiveDesktop;

namespace qv {

class Win32ActiveDesktop : public qv::IActiveDesktop {
 public:
  ~Win32ActiveDesktop() override;
  HResult Open() override;
  void Close() override;
  HResult GetOptions(ComponentsOptions& options) override;
  HResult SetOptions(const ComponentsOptions& options) override;
  HResult GetWallpaper(std::u16string& path) override;
  HResult SetWallpaper(std::u16string_view path) override;
  HResult GetWallpaperOptions(WallpaperOptions& options) override;
  HResult SetWallpaperOptions(const WallpaperOptions& options) override;
  HResult GetPattern(std::u16string& pattern) override;
  HResult SetPattern(std::u16string_view pattern) override;
  HResult ItemCount(int& count) override;
  HResult GetItem(int index, DesktopComponent& component) override;
  HResult AddItem(const DesktopComponent& component) override;
  HResult ModifyItem(const DesktopComponent& component, std::uint32_t flags) override;
  HResult RemoveItem(const DesktopComponent& component) override;
  HResult ApplyChanges(std::uint32_t flags) override;
  std::string ToAnsi(std::u16string_view text) override;

 private:
  ::IActiveDesktop* object_ = nullptr;
  bool comStarted_ = false;
};

}  // namespace qv
