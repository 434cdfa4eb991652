// The options dialog's logic: the backup preferences as the dialog edits
// them. TOptionsForm wires `ckDoBackup`, `edBackupDir`, `txtBackupToFolder`
// and `btChooseFolder` to this model; nothing reaches the options before OK.
#pragma once

#include <string>

class TOptions;

// The folder browser of "&Browse...": rooted at the drives folder, file-system
// folders only, the selected path shown as its status text.
inline constexpr const char* kBackupFolderBrowserTitle = "Select the location for backup files.";

class TOptionsModel {
 public:
  enum class TAcceptResult {
    Accepted,       // the options took the values; close
    MissingFolder,  // "Backup Directory <folder> does not exist."; focus the edit box
  };

  // Takes `CreateBackup` and `BackupDir` from the options.
  explicit TOptionsModel(TOptions& options);

  bool DoBackup() const { return doBackup_; }
  void SetDoBackup(bool value) { doBackup_ = value; }
  const std::string& BackupDir() const { return backupDir_; }
  void SetBackupDir(const std::string& folder) { backupDir_ = folder; }

  // The edit box, "&Browse..." and "To folder :" follow the check box.
  bool FolderControlsEnabled() const { return doBackup_; }

  // "OK": with the box ticked the folder must exist; then both values go
  // into the options. "Cancel" simply drops the model.
  TAcceptResult Accept();

 private:
  TOptions& options_;
  bool doBackup_;
  std::string backupDir_;
};
