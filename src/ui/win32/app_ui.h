// The Win32 windows of the program, installed into start-up's hooks.
#pragma once

// Sets the hooks of AppWindows(): the about box, the command-line help, the
// run report window and the status window of batch steps that are not
// quiet.
void InstallWin32Windows();
