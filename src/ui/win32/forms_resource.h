// Resource identifiers of the configuration editor, the data-file picker,
// the options dialog and the settings viewer (range 4000-4999). Controls are
// named after the window's own control names (IDC_<name>); OK and Cancel
// (`btOK`, `btCancel`, the viewer's "Close") are IDOK and IDCANCEL. Shared
// by forms.rc (windres) and the window code, so only preprocessor
// definitions.
#pragma once

// Dialog templates and menus
#define IDD_ConfigEditorForm 4000
#define IDD_DataFileForm 4001
#define IDD_OptionsForm 4002
#define IDD_SettingsViewForm 4003
#define IDM_DataFilePopup 4010

// Configuration editor
#define IDC_cbConfigFile 4101
#define IDC_cklbPersonalityItems 4102
#define IDC_cklbConnectivityItems 4103
#define IDC_txtItemDescription 4104
#define IDC_txtCurrFolder 4105
#define IDC_btOpenFile 4106
#define IDC_btSaveFileAs 4107
#define IDC_btDefaults 4108
#define IDC_btSelectAll 4109 /* also the data-file picker's "&Select all" */
#define IDC_btSelectNone 4110
#define IDC_btFiles 4111
#define IDC_gbPersonality 4112
#define IDC_gbConnectivity 4113
#define IDC_lbCurrFolder 4114
#define IDC_lbConfigFile 4115

// Data-file picker
#define IDC_lvFiles 4201
#define IDC_edFilename 4202
#define IDC_btAdd 4203
#define IDC_btBrowse 4204
#define IDC_btDelete 4205
#define IDC_btShowFilesLargeIcons 4207
#define IDC_btShowFilesSmallIcons 4208
#define IDC_btShowFilesList 4209
#define IDC_btShowFilesDetails 4210
#define IDC_stFiles 4211
#define IDC_lbFilename 4212

// Data-file picker's pop-up menu
#define IDM_FilesLargeIcons 4220
#define IDM_FilesSmallIcons 4221
#define IDM_FilesList 4222
#define IDM_FilesDetails 4223
#define IDM_FilesSelectAll 4224
#define IDM_FilesDelete 4225

// Options dialog
#define IDC_pcOptions 4301
#define IDC_ckDoBackup 4302
#define IDC_txtBackupToFolder 4303
#define IDC_edBackupDir 4304
#define IDC_btChooseFolder 4305
#define IDC_txtBackupNote 4306

// Settings viewer
#define IDC_pcSettings 4401
#define IDC_lbPersonalityItems 4402
#define IDC_lbConnectivityItems 4403
#define IDC_moDescription 4404
#define IDC_gbSettings 4405
#define IDC_gbDetails 4406
