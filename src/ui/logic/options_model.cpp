#include "ui/logic/options_model.h"

#include "config/options.h"
#include "engine/file_utils.h"
#include "ui/logic/dialog_boxes.h"

TOptionsModel::TOptionsModel(TOptions& options)
    : options_(options), doBackup_(options.CreateBackup), backupDir_(options.BackupDir) {}

TOptionsModel::TAcceptResult TOptionsModel::Accept() {
  if (doBackup_ && !FolderExists(backupDir_)) {
    ShowNotice("Backup Directory " + backupDir_ + " does not exist.");
    return TAcceptResult::MissingFolder;
  }
  options_.CreateBackup = doBackup_;
  options_.BackupDir = backupDir_;
  return TAcceptResult::Accepted;
}
