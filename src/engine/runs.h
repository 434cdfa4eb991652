// The save run and the load run.
#pragma once

#include <string>

#include "engine/settings.h"

class TConnection;

// Writes the body of a settings stream (the creator wrote the header).
// Without `synchronous` the run goes on a worker thread while the status
// window is shown modally.
SETTINGS_RC SaveSettings(const std::string& fileName, TConnection& stream, bool noStatusWindow,
                         bool synchronous);

// Reads a settings stream positioned at its body and applies it; with
// `doBackup` the current state of the same items is captured first (and
// written to a backup file, whose name comes back in `backupFileName`).
// `quiet` runs on the calling thread without messages.
SETTINGS_RC LoadSettings(const std::string& fileName, TConnection& stream, bool doBackup,
                         std::string& backupFileName, bool quiet);

// The first free "QRVBackup<n>.qrv" in `folder`, proven writable; "" when
// none can be created there.
std::string NewBackupFileName(const std::string& folder);
