// The windows that start-up and the batch steps open. The user interface
// installs them; until it does, every hook is empty and nothing is shown.
#pragma once

#include <functional>

struct TAppWindows {
  // The about box, modal (first run).
  std::function<void()> ShowAbout;
  // The command-line help, modal (unknown switch).
  std::function<void()> ShowCommandLineHelp;
  // The run report window, modal (a kept batch load that is not quiet).
  std::function<void()> ShowReport;
  // Creates the main window and the hidden debug window, shows the debug
  // window when asked, and runs the message loop until the main window
  // closes.
  std::function<void(bool showDebugWindow)> RunMainWindow;
};

inline TAppWindows& AppWindows() {
  static TAppWindows windows;
  return windows;
}
