// The desktop port's taskbar procedures on the real desktop: the Taskbar
// Properties dialog driven through window messages, the bar revealed,
// moved and sized with simulated mouse input.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/desktop.h"

namespace qv {

// The taskbar part of the desktop port. The desktop list view is not
// reached from here: its operations answer err::InvalidWindowHandle.
class Win32TaskbarDesktop : public IDesktop {
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

  // --- Taskbar ---------------------------------------------------------------
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

 private:
  bool DialogStep(bool set, std::vector<TaskbarOption>& options);
  bool Reveal(bool putCursorBack);
  void Log(const std::string& line);

  std::mutex logLock_;
  std::vector<std::string> log_;
};

}  // namespace qv
