// The desktop through the real calls: the shell's desktop list view
// reached through the "QRV Listview" shared block, window search, and the
// taskbar (win32_taskbar.h).
#pragma once

#include <windows.h>

#include "platform/desktop.h"
#include "platform/win32/win32_taskbar.h"

namespace qv {

class Win32Desktop : public IDesktop {
 public:
  bool WindowExists(std::string_view className, std::string_view title) override;
  void Wait(std::uint32_t milliseconds) override;
  bool DesktopListViewExists() override;
  void RepaintDesktop() override;
  WinError DesktopIcons(std::vector<DesktopIcon>& icons) override;
  WinError DesktopIconCount(int& count) override;
  WinError FindDesktopIcon(std::string_view label, int& index) override;
  WinError SetDesktopIconPosition(int index, Point position) override;
  WinError RedrawDesktopIcons() override;
  bool TaskbarExists() override;
  std::uint32_t TaskbarState() override;
  bool AutoHideBarOn(int edge) override;
  bool TaskbarPosition(Rect& rect) override;
  WinError TaskbarWindowRect(Rect& rect) override;
  WinError TaskbarClientRect(Rect& rect) override;
  bool RevealTaskbar() override;
  bool MoveTaskbar(int edge) override;
  bool ResizeTaskbar(int thickness) override;
  bool ReadTaskbarOptions(std::vector<TaskbarOption>& options) override;
  bool SetTaskbarOptions(const std::vector<TaskbarOption>& options) override;
  std::vector<std::string> TakeTaskbarLog() override;

  // The three windows of the desktop list view; false when any is missing.
  static bool FindListView(HWND& progman, HWND& defView, HWND& listView);

 private:
  // The taskbar's queries and procedures.
  Win32Taskbar taskbar_;
};

}  // namespace qv
