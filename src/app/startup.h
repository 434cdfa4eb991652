// The program's start-up: the program-wide objects, the command line, then
// either batch mode or the interactive windows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The build number: the value that marks the first run as done, and the
// build the about box shows.
inline constexpr std::uint32_t kBuildNumber = 124;

// Where the first-run value "FirstRun" lives under HKEY_CURRENT_USER.
inline constexpr const char* kProgramKey = "\\Software\\ZTR\\Qorvel";

// Runs the program with its parameters (the program's name excluded) and
// the options' registry key, and returns the process's exit code: 0 after
// a successful batch run or interactive session, 1 when a batch step
// failed or an error escaped, 2 when a batch run was cancelled, -1 after an
// unknown switch. After an unknown switch or an escaped error the options
// are not stored.
int RunQorvel(const std::vector<std::string>& parameters, const std::string& optionsKey);

// Interactive start-up after the command line: the first-run about box, the
// main window with the debug window, and the message loop.
void RunInteractive();

// True on the first start of this build for this user: "FirstRun" is then
// set to the build number, and the about box is due.
bool TakeFirstRun();

// Whether the debug window is shown at start-up: a file (not a folder)
// named "DEBUGQRV" in the current folder, a running development environment
// (windows of the classes "TAlignPalette", "TPropertyInspector" and
// "TAppBuilder"), or the Shift key held down.
bool ShouldShowDebugWindow();
