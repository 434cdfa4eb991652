// The Win32 windows of the program, installed into start-up's hooks.
#pragma once

// Sets the hooks of AppWindows(): the about box, the command-line help, the
// run report window, the status window of batch steps that are not quiet,
// and the main window with the debug window.
void InstallWin32Windows();
