// Batch mode: the unattended save, load, report and application list that
// the command line asks for.
#pragma once

#include <string>

#include "engine/settings.h"

// The process's exit codes.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitCancelled = 2;
inline constexpr int kExitUnknownSwitch = -1;

// The error box of start-up and the batch steps: caption "Qorvel : Error",
// an error icon and OK.
void ShowAppError(const std::string& text);

// Runs the steps the options' run fields ask for, in this order, each
// whatever became of the earlier ones: save, load, the report file, the
// application list. Batch runs never store the options. Returns the exit
// code: kExitFailed when any step failed, else kExitCancelled when a run was
// cancelled, else kExitSuccess.
int RunBatch();

// Saves the current settings into `file`, with the options' ConfigFile as
// the configuration when one is given.
SETTINGS_RC BatchSave(const std::string& file);

// Loads and applies `file`, taking a backup first; outside quiet mode asks
// afterwards whether to keep the new settings.
SETTINGS_RC BatchLoad(const std::string& file);

// Writes the installed-applications list to `file` as text lines; a file
// that cannot be written is not reported. True when it was written.
bool WriteAppList(const std::string& file);
