#include "ui/logic/main_model.h"

#include <cctype>
#include <exception>

#include "config/cat_config.h"
#include "config/options.h"
#include "engine/file_utils.h"
#include "engine/messages.h"
#include "engine/program.h"
#include "engine/run_report.h"
#include "engine/runs.h"
#include "engine/status.h"
#include "platform/machine.h"
#include "platform/prompts.h"
#include "registry/reg_utils.h"
#include "stream/connection.h"
#include "ui/logic/config_editor_model.h"
#include "ui/logic/dialog_boxes.h"
#include "undo/undo_manager.h"

namespace {

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

bool CtrlHeld() {
  qv::IPrompts* prompts = qv::CurrentMachine().Prompts();
  return prompts && prompts->KeyDown(qv::vk::Control);
}

// The editor filled from the current configuration.
void FillEditor(TConfigEditorModel& editor) {
  TCatConfig& config = CurrentConfig();
  editor.SetFileList(config.FileList);
  editor.SetPersonality(config.PersonalityItems);
  editor.SetConnectivity(config.ConnectivityItems);
}

// The editor's result into the current configuration.
void TakeEditorResult(const TConfigEditorModel& editor) {
  TCatConfig& config = CurrentConfig();
  config.FileList = editor.GetFileList();
  editor.GetPersonality(config.PersonalityItems);
  editor.GetConnectivity(config.ConnectivityItems);
}

}  // namespace

std::string ConfigFileForSettingsFile(const std::string& settingsFile) {
  std::string name = settingsFile;
  std::size_t at = Upper(name).find(".QRV");
  if (at != std::string::npos) name.erase(at, 4);
  return name + ".cfg";
}

void RegisterFileAssociation(const std::string& programPath) {
  UTLSetRegString(qv::hkey::ClassesRoot, ".QRV", "", "qrv_auto_file");
  UTLSetRegString(qv::hkey::ClassesRoot, "qrv_auto_file", "", "QRV file");
  UTLSetRegString(qv::hkey::ClassesRoot, "qrv_auto_file\\shell\\open\\command", "",
                  "\"" + programPath + "\" \"%1\"");
}

std::string TooltipHint(const std::string& hint) { return hint.substr(0, hint.find('|')); }

std::string StatusHint(const std::string& hint) {
  std::size_t bar = hint.find('|');
  return bar == std::string::npos ? hint : hint.substr(bar + 1);
}

TMainModel::TMainModel(IMRUMenu* fileMenu, TMainWindowHooks hooks) : hooks_(std::move(hooks)) {
  recent_.SetAutoSave(true);
  recent_.SetMaximum(kRecentFilesMaximum);
  recent_.SetRemoveOnClick(false);
  recent_.SetUseSubMenu(false);
  recent_.SetSubMenuName("");
  recent_.SetAutoSaveName(kRecentFilesKey);
  recent_.SetAutoSaveKey(kRecentFilesItems);
  recent_.SetFileMenu(fileMenu);
  recent_.SetOnClick([this](const std::string& fileName) { RecentFileClicked(fileName); });
  recent_.LoadFromRegistry();
  undoEnabled_ = false;
  const std::string& configFile = Options().ConfigFile;
  if (!configFile.empty()) CurrentConfig().Load(configFile);
}

TMainModel::~TMainModel() = default;  // the recent files store themselves

void TMainModel::NoteReport() { reportEnabled_ = RunReport().HasLines(); }

std::unique_ptr<TReadFileConnection> TMainModel::OpenForLoad(const std::string& fileName) {
  auto reader = std::make_unique<TReadFileConnection>();
  if (!reader->Open(fileName, kSettingsMagic)) {
    // A file that cannot be opened has had its box from Open; one that
    // opens but is no settings file would otherwise fail without a word.
    if (FileExists(fileName)) ShowErrorNotice(reader->LastError());
    return nullptr;
  }
  if (reader->ConnectionVersion != kConnectionVersion && !CtrlHeld()) {
    ShowErrorNotice("QRV File version mismatch : Unable to load " + fileName);
    return nullptr;
  }
  // Read the item lists ahead for the questions, then step back so that the
  // load run reads the file from the same place.
  TCatConfig fileConfig;
  try {
    const std::int32_t start = reader->GetPosition();
    fileConfig.ReadItemLists(*reader);
    if (!reader->Seek(start - reader->GetPosition())) return nullptr;
  } catch (const std::exception& e) {
    ShowErrorBox(e.what());  // a file cut short before its first section
    return nullptr;
  }
  if (!AskReplaceOrMerge(fileConfig, fileName, hooks_.AskReplace)) return nullptr;
  return reader;
}

void TMainModel::ApplyLoad(const std::string& fileName, TReadFileConnection& reader) {
  RecordingScope recording(UndoManager());
  StatusWindow().SetCaption("Loading settings...");
  std::string backupFile;
  const SETTINGS_RC result = LoadSettings(fileName, reader, true, backupFile, false);
  switch (result) {
    case SETTINGS_ERROR:
      undoEnabled_ = true;
      if (hooks_.ShowReport) hooks_.ShowReport();
      break;
    case SETTINGS_OK:
      if (AskKeepSettings(backupFile)) {
        undoEnabled_ = true;
        if (hooks_.ShowReport) hooks_.ShowReport();
      } else {
        UndoManager().Restore();
        undoEnabled_ = false;
        if (Options().CreateBackup && !backupFile.empty())
          qv::CurrentMachine().Files().Remove(backupFile);
      }
      break;
    case SETTINGS_CANCELLED:
      break;
  }
}

bool TMainModel::LoadFile(const std::string& fileName) {
  bool loaded = false;
  if (std::unique_ptr<TReadFileConnection> reader = OpenForLoad(fileName)) {
    ApplyLoad(fileName, *reader);
    loaded = true;
  }
  NoteReport();
  return loaded;
}

bool TMainModel::LoadCommand(const std::string& fileName) {
  if (!LoadFile(fileName)) return false;
  recent_.Add(fileName);
  return true;
}

void TMainModel::RecentFileClicked(const std::string& fileName) {
  if (!LoadFile(fileName) && !FileExists(fileName)) recent_.Remove(fileName);
}

void TMainModel::FilesDropped(const std::vector<std::string>& names) {
  if (names.empty()) return;
  if (names.size() > 1) {
    ShowNotice("Qorvel cannot load multiple settings files. Try again with a single file.");
    return;
  }
  const std::string name = Upper(names.front());
  if (name.find(".QRV") == std::string::npos) {
    ShowNotice(name + " is not a valid Qorvel settings file.");
    return;
  }
  if (LoadFile(name)) recent_.Add(name);
}

bool TMainModel::SaveCommand(const std::string& settingsFile) {
  lastSaveFolder_ = FolderOf(settingsFile);

  TConfigEditorModel editor;
  const std::string configFile = ConfigFileForSettingsFile(settingsFile);
  if (FileExists(configFile)) {
    Options().ConfigFile = configFile;
    CurrentConfig().Load(configFile);
  }
  FillEditor(editor);
  editor.SetFilename(configFile);
  if (!hooks_.ShowEditor || !hooks_.ShowEditor(editor)) return false;
  TakeEditorResult(editor);

  TWriteFileConnection writer;
  writer.ConnectionVersion = kConnectionVersion;
  if (!writer.Open(settingsFile, kSettingsMagic)) {
    ShowErrorNotice("Error saving " + settingsFile + "\r\n" + writer.LastError());
    return false;
  }
  Options().LastSavedFile = settingsFile;
  Options().ConfigFile = editor.Filename();
  const SETTINGS_RC result = SaveSettings(settingsFile, writer, false, false);
  if (result == SETTINGS_OK) {
    recent_.Add(settingsFile);
    if (!editor.Filename().empty()) CurrentConfig().Save(editor.Filename());
  }
  NoteReport();
  return result == SETTINGS_OK;
}

bool TMainModel::ConfigureCommand() {
  TConfigEditorModel editor;
  FillEditor(editor);
  editor.SetFilename(Options().ConfigFile);
  if (!hooks_.ShowEditor || !hooks_.ShowEditor(editor)) return false;
  TakeEditorResult(editor);
  Options().ConfigFile = editor.Filename();
  CurrentConfig().Save(editor.ConfigFileText());
  return true;
}

void TMainModel::UndoCommand() {
  undoEnabled_ = false;
  if (UndoManager().UndoAvailable()) UndoManager().Restore();
}
