// The desktop port's taskbar procedures on the real desktop: the Taskbar
// Properties dialog driven through window messages, the bar revealed,
// moved and sized with simulated mouse input.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/desktop.h"

namespace qv {

// The taskbar part of the desktop port (Win32Desktop hands its taskbar
// operations to it).
class Win32Taskbar {
 public:
  bool TaskbarExists();
  std::uint32_t TaskbarState();
  bool AutoHideBarOn(int edge);
  bool TaskbarPosition(Rect& rect);
  WinError TaskbarWindowRect(Rect& rect);
  WinError TaskbarClientRect(Rect& rect);
  bool RevealTaskbar();
  bool MoveTaskbar(int edge);
  bool ResizeTaskbar(int thickness);
  bool ReadTaskbarOptions(std::vector<TaskbarOption>& options);
  bool SetTaskbarOptions(const std::vector<TaskbarOption>& options);
  std::vector<std::string> TakeTaskbarLog();

 private:
  bool DialogStep(bool set, std::vector<TaskbarOption>& options);
  bool Reveal(bool putCursorBack);
  void Log(const std::string& line);

  std::mutex logLock_;
  std::vector<std::string> log_;
};

}  // namespace qv
