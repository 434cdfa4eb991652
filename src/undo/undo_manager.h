// The undo manager: captures the state before a load, records what the load
// creates, and puts the machine back.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/settings.h"
#include "platform/registry.h"

class TCatConfig;
class TReadMemoryConnection;

class TUndoManager {
 public:
  TUndoManager();
  ~TUndoManager();

  // Captures the current state of the configuration's items (printers
  // excepted) before a load, and writes it to the backup file when one is
  // named; SETTINGS_OK lets the load go on. A capture that fails, or a
  // backup file that cannot be written whole (it is then deleted), stops
  // the load: BackupError() says why.
  SETTINGS_RC BeginLoad(const std::string& backupFileName, TCatConfig& configuration);
  // Why the last BeginLoad failed, for the report ("" after a success).
  const std::string& BackupError() const { return backupError_; }
  // Called just before a value is written / a file is created.
  void RecordRegistryValue(qv::RegKey root, const std::string& keyPath,
                           const std::string& valueName);
  void RecordFile(const std::string& path);
  // Undoes the last load.
  void Restore();
  void Reset();

  bool Recording = false;
  bool UndoAvailable() const { return undoAvailable_; }
  // True while Restore replays the captured image: items that keep newer
  // files put the captured ones back then.
  bool Restoring() const { return restoring_; }

 private:
  bool undoAvailable_ = false;
  bool restoring_ = false;
  std::string backupError_;
  std::unique_ptr<TReadMemoryConnection> image_;
  std::vector<std::string> createdFolders_;  // sorted, case ignored, unique
  std::vector<std::string> createdFiles_;
  struct Key {
    qv::RegKey root;
    std::string path;
  };
  struct Value {
    qv::RegKey root;
    std::string path;
    std::string name;
  };
  std::vector<Key> createdKeys_;
  std::vector<Value> createdValues_;
};

// Switches the undo manager's recording on while it lives: what a load
// creates meanwhile can be undone.
class RecordingScope {
 public:
  explicit RecordingScope(TUndoManager& undo) : undo_(undo) { undo_.Recording = true; }
  ~RecordingScope() { undo_.Recording = false; }
  RecordingScope(const RecordingScope&) = delete;
  RecordingScope& operator=(const RecordingScope&) = delete;

 private:
  TUndoManager& undo_;
};

// The keep-settings question after a load; true for Yes.
bool AskKeepSettings(const std::string& backupFileName);
