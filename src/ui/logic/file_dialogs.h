// The common file dialogs the windows open: title, default extension and
// filter ("description|pattern" pairs). Every one hides the read-only box
// and leaves the current folder as it is.
#pragma once

struct TFileDialogSpec {
  const char* title;
  const char* defaultExt;  // "" for none
  const char* filter;
};

// Configuration editor: open (the file must exist) and save as (overwrite
// prompt), for *.CFG.
extern const TFileDialogSpec kOpenConfigDialog;
extern const TFileDialogSpec kSaveConfigDialog;
// Data-file picker's "&Browse...": several files may be chosen.
extern const TFileDialogSpec kAddFilesDialog;
// Report window's "&Save...": no overwrite prompt.
extern const TFileDialogSpec kSaveReportDialog;
// Main window: load (the file must exist) and save (overwrite prompt,
// starting in the folder of the last save) of settings files.
extern const TFileDialogSpec kLoadSettingsDialog;
extern const TFileDialogSpec kSaveSettingsDialog;
