// The main window's logic: what its commands decide and do once the person
// has chosen a file, the recent settings files, the enabled states of Undo
// and Report, drops, and the file association. TMainForm shows the dialogs
// and windows through the hooks and wires its menus and buttons to this
// model.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "config/mru_list.h"
#include "ui/logic/small_dialogs.h"

class TConfigEditorModel;
class TReadFileConnection;

// What the main window shows on the model's behalf.
struct TMainWindowHooks {
  // TQueryForm (see TAskReplace); without it the preset answer is taken.
  TAskReplace AskReplace;
  // The run report window, modal.
  std::function<void()> ShowReport;
  // The configuration editor, modal; true when closed with OK. Without it
  // the editor counts as cancelled.
  std::function<bool(TConfigEditorModel& editor)> ShowEditor;
};

// Where the main window's recent settings files live under HKEY_CURRENT_USER.
inline constexpr const char* kRecentFilesKey = "\\Software\\ZTR\\Qorvel\\MRUList";
inline constexpr const char* kRecentFilesItems = "MRU Items";
inline constexpr int kRecentFilesMaximum = 4;

// The settings file's configuration file: the first ".qrv" (any case)
// removed, ".cfg" appended ("C:\x\pc17.qrv" gives "C:\x\pc17.cfg").
std::string ConfigFileForSettingsFile(const std::string& settingsFile);

// Registers ".QRV" as "qrv_auto_file" ("QRV file"), opened by the program
// with the file as its only parameter. Errors are ignored.
void RegisterFileAssociation(const std::string& programPath);

// A control's hint: "short|long" gives the tooltip the short part and the
// status panel `pnlStatus` the long part; a hint without "|" serves both.
std::string TooltipHint(const std::string& hint);
std::string StatusHint(const std::string& hint);

class TMainModel {
 public:
  // FormCreate's logic: the recent files attached to `fileMenu` (entries
  // stay when clicked, no submenu) and loaded, Undo disabled, and the
  // configuration file of the option ConfigFile loaded into the current
  // configuration when it exists.
  TMainModel(IMRUMenu* fileMenu, TMainWindowHooks hooks);
  ~TMainModel();
  TMainModel(const TMainModel&) = delete;
  TMainModel& operator=(const TMainModel&) = delete;

  // Enabled states: `miUndo` with `btUndo`, and `miReport`.
  bool UndoEnabled() const { return undoEnabled_; }
  bool ReportEnabled() const { return reportEnabled_; }

  TMRUFileList& RecentFiles() { return recent_; }

  // The whole interactive load of one file; true when it was applied.
  bool LoadFile(const std::string& fileName);
  // Opens a settings file for a load: header and version (another version
  // only while Ctrl is held), the file's item lists read ahead, the
  // replace-or-merge questions. Null when the load is not to go on.
  std::unique_ptr<TReadFileConnection> OpenForLoad(const std::string& fileName);
  // Runs the load with a backup and the status window, then the
  // keep-or-undo question.
  void ApplyLoad(const std::string& fileName, TReadFileConnection& reader);

  // "Load Settings" after the dialog's OK: loads, and remembers the file.
  bool LoadCommand(const std::string& fileName);
  // A recent-files entry: loads it; an entry whose file is gone is removed.
  void RecentFileClicked(const std::string& fileName);
  // Files dropped on the window (names at full length).
  void FilesDropped(const std::vector<std::string>& names);

  // "Save Settings" after the dialog's OK: the configuration editor, then
  // the save run. True when the file was saved.
  bool SaveCommand(const std::string& settingsFile);
  // The save dialog's starting folder: where the last save went ("" at
  // first).
  const std::string& LastSaveFolder() const { return lastSaveFolder_; }

  // "Configure": the editor over the current configuration; after OK the
  // configuration takes its result and is saved to the editor's file.
  bool ConfigureCommand();

  // "Undo".
  void UndoCommand();

 private:
  void NoteReport();

  TMainWindowHooks hooks_;
  TMRUFileList recent_;
  bool undoEnabled_ = false;
  bool reportEnabled_ = false;
  std::string lastSaveFolder_;
};
