// Qorvel: moves a user's system settings from one PC to another.
//
// The entry: takes the process's parameters and hands them to start-up.
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/startup.h"
#include "config/options.h"

#ifdef _WIN32
#include <windows.h>

#include "ui/win32/app_ui.h"
#endif

int main(int argc, char** argv) {
  std::vector<std::string> parameters;
#ifdef _WIN32
  // The command line as the process got it, split by the program's own
  // rules rather than the C runtime's.
  parameters = SplitCommandLine(GetCommandLineA());
  if (!parameters.empty()) parameters.erase(parameters.begin());
  (void)argc;
  (void)argv;
  InstallWin32Windows();
#else
  parameters.assign(argv + 1, argv + argc);
#endif
  return RunQorvel(parameters, kOptionsKey);
}
