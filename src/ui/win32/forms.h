// What the main window opens from its menus: the configuration editor (with
// its data-file picker), the settings viewer and the options dialog.
#pragma once

#include <windows.h>

class TConfigEditorModel;
class TDataFileModel;
class TOptions;

// The configuration editor over a prepared model (SetFileList,
// SetPersonality, SetConnectivity, SetFilename), modal over `owner`. True
// when closed with OK; the model then holds the result (GetFileList,
// GetPersonality, GetConnectivity, Filename).
bool ShowConfigEditor(HWND owner, TConfigEditorModel& editor);

// The data-file picker over `picker`, modal; true when closed with OK (the
// picker's GetFileList is the result). The editor opens it itself.
bool ShowDataFiles(HWND owner, TDataFileModel& picker);

// The settings viewer over the current configuration, modal.
void ShowSettingsView(HWND owner);

// The options dialog, modal; true when closed with OK, the options having
// taken the new values. The first form edits the program's options.
bool ShowOptions(HWND owner);
bool ShowOptions(HWND owner, TOptions& options);
