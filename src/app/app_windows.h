// The windows that start-up and the batch steps open. The user interface
// installs them; until it does, every hook is empty and nothing is shown.
#pragma once

#include <functional>
#include <memory>

struct TAppWindows {
  // The about box, modal (first run).
  std::function<void()> ShowAbout;
  // The command-line help, modal (unknown switch).
  std::function<void()> ShowCommandLineHelp;
  // The run report window, modal (a kept batch load that is not quiet).
  std::function<void()> ShowReport;
  // Creates the status window of a batch step that is not quiet and makes
  // it the program's status window until the returned object is released.
  std::function<std::shared_ptr<void>()> OpenStatusWindow;
  // Creates the main window and the hidden debug window, shows the debug
  // window when asked, and runs the message loop until the main window
  // closes.
  std::function<void(bool showDebugWindow)> RunMainWindow;
};

inline TAppWindows& AppWindows() {
  static TAppWindows windows;
  return windows;
}
