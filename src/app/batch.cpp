#include "app/batch.h"

#include <cstdint>
#include <memory>
#include <vector>

#include "app/app_list.h"
#include "app/app_windows.h"
#include "config/cat_config.h"
#include "config/options.h"
#include "engine/debug_log.h"
#include "engine/file_utils.h"
#include "engine/messages.h"
#include "engine/program.h"
#include "engine/run_report.h"
#include "engine/runs.h"
#include "engine/status.h"
#include "platform/machine.h"
#include "platform/prompts.h"
#include "stream/connection.h"
#include "undo/undo_manager.h"

namespace {

// A plain notice: the application title as caption, no icon, OK.
void ShowPlainMessage(const std::string& text) {
  qv::IPrompts* prompts = qv::CurrentMachine().Prompts();
  if (prompts && !IsQuietMode())
    prompts->ShowMessage(text, kApplicationTitle, qv::mb::Ok);
  else
    DebugLog(text);  // nobody to tell
}

// The status window of a batch step: shown while the step's runs work,
// unless the step is quiet (then the runs go on this thread without one).
std::shared_ptr<void> OpenStatusWindow(bool quiet) {
  if (quiet || !AppWindows().OpenStatusWindow) return nullptr;
  return AppWindows().OpenStatusWindow();
}

// A step that stops before its run starts: the report says why, so that a
// quiet run, which shows no box, still tells.
void ReportStepFailure(const std::vector<std::string>& lines) {
  TCommentConnection report;
  TRunReport& runReport = RunReport();
  runReport.Attach(&report);
  runReport.ClearLines();
  for (const std::string& line : lines) report.AddComment(line);
  runReport.WriteTail();
  runReport.CollectComments();
  runReport.Attach(nullptr);
}

bool WriteTextFile(const std::string& file, const std::vector<std::string>& lines) {
  std::string error;
  return WriteTextLines(file, lines, error);
}

}  // namespace

void ShowAppError(const std::string& text) {
  ShowMessageBox(text, "Error", qv::mb::Ok | qv::mb::IconError);
}

SETTINGS_RC BatchSave(const std::string& file) {
  TOptions& options = Options();
  const bool quiet = options.QuietMode;

  if (!options.ConfigFile.empty() && !CurrentConfig().Load(options.ConfigFile)) {
    const std::string text = "Configuration file " + options.ConfigFile + " not found.";
    if (!quiet) ShowAppError(text);
    ReportStepFailure({"Error saving " + file, text});
    return SETTINGS_ERROR;
  }

  TWriteFileConnection writer;
  writer.ConnectionVersion = kConnectionVersion;
  if (!writer.Open(file, kSettingsMagic)) {
    if (!quiet) ShowAppError(writer.LastError());
    ReportStepFailure({"Error saving " + file, writer.LastError()});
    return SETTINGS_ERROR;
  }
  options.LastSavedFile = file;
  std::shared_ptr<void> statusWindow = OpenStatusWindow(quiet);

  // Quiet: on this thread without a window; otherwise the status window is
  // modal while a worker saves.
  SETTINGS_RC result = SaveSettings(file, writer, quiet, quiet);
  if (result != SETTINGS_OK && !quiet) ShowAppError("Error saving " + file);
  return result;
}

SETTINGS_RC BatchLoad(const std::string& file) {
  const bool quiet = Options().QuietMode;

  if (!FileExists(file)) {
    if (!quiet) ShowPlainMessage("File " + file + " not found.");
    ReportStepFailure({"File " + file + " not found."});
    return SETTINGS_ERROR;
  }

  // A file that cannot be read, or one of another format: nothing at all is
  // loaded. The box is shown unless quiet (a quiet run waits for nobody);
  // the report says it either way.
  TReadFileConnection reader;
  if (!reader.Open(file, kSettingsMagic)) {
    ShowAppError("Error reading " + file + "\r\n" + reader.LastError());
    ReportStepFailure({"Error reading " + file, reader.LastError()});
    return SETTINGS_ERROR;
  }
  if (reader.ConnectionVersion != kConnectionVersion) {
    ShowAppError("QRV File version mismatch : Unable to load " + file);
    ReportStepFailure({"QRV File version mismatch : Unable to load " + file});
    return SETTINGS_ERROR;
  }

  // The window serves the load and, on No, the restore.
  std::shared_ptr<void> statusWindow = OpenStatusWindow(quiet);
  RecordingScope recording(UndoManager());
  StatusWindow().SetCaption("Loading settings...");
  std::string backupFile;
  SETTINGS_RC result = LoadSettings(file, reader, true, backupFile, quiet);

  if (!quiet) {
    if (AskKeepSettings(backupFile)) {
      if (AppWindows().ShowReport) AppWindows().ShowReport();
    } else {
      UndoManager().Restore();
      if (!backupFile.empty()) qv::CurrentMachine().Files().Remove(backupFile);
    }
  }
  return result;
}

bool WriteAppList(const std::string& file) {
  return WriteTextFile(file, InstalledApplicationLines());
}

int RunBatch() {
  TOptions& options = Options();
  options.bSaveToRegistry = false;

  bool failed = false;
  bool cancelled = false;
  auto note = [&](SETTINGS_RC result) {
    failed |= result == SETTINGS_ERROR;
    cancelled |= result == SETTINGS_CANCELLED;
  };

  if (!options.SaveToFile.empty()) note(BatchSave(options.SaveToFile));
  if (!options.LoadFromFile.empty()) note(BatchLoad(options.LoadFromFile));
  if (!options.ReportFile.empty() && !RunReport().SaveReport(options.ReportFile)) failed = true;
  if (!options.AppListFile.empty() && !WriteAppList(options.AppListFile)) failed = true;

  if (failed) return kExitFailed;
  return cancelled ? kExitCancelled : kExitSuccess;
}
