// The desktop through the real calls: the shell's desktop list view
// reached through the "QRV Listview" shared block, the taskbar's
// application-bar queries, and window search.
#pragma once

#include <windows.h>

#include "platform/desktop.h"

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
  // The procedures that drive the taskbar with the mouse and through its
  // properties dialog are not carried out by this adapter yet: they answer
  // false, as when the taskbar does not respond.
  bool RevealTaskbar() override;
  bool MoveTaskbar(int edge) override;
  bool ResizeTaskbar(int thickness) override;
  bool ReadTaskbarOptions(std::vector<TaskbarOption>& options) override;
  bool SetTaskbarOptions(const std::vector<TaskbarOption>& options) override;

  // The three windows of the desktop list view; false when any is missing.
  static bool FindListView(HWND& progman, HWND& defView, HWND& listView);
};

}  // namespace qv
