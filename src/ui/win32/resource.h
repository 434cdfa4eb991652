// Resource identifiers of the program's windows. Controls are named after
// the window's own control names (IDC_<name>); shared by the resource
// script (windres) and the window code, so only preprocessor definitions.
#pragma once

// Dialog templates
#define IDD_StatusForm 100
#define IDD_ReportDialog 102
#define IDD_AboutForm 103
#define IDD_CmdLineForm 104
#define IDD_QueryForm 105

// Menus
#define IDM_DebugPopup 200

// Status window
#define IDC_Animate1 1001
#define IDC_txtProgress1 1002
#define IDC_ProgressBar1 1003
#define IDC_btClose 1004

// Debug window (a window class of its own) and its pop-up menu
#define IDC_lbDebug 1101
#define IDM_DebugSave 1102
#define IDM_DebugClear 1103

// Report window ("Close" is the dialog's cancel button, IDCANCEL)
#define IDC_memoContents 1201
#define IDC_btSave 1202

// About box (OK is IDOK)
#define IDC_Panel1 1301
#define IDC_ProgramIcon 1302
#define IDC_ProductName 1303
#define IDC_Version 1304
#define IDC_Copyright 1305
#define IDC_Comments 1306

// Command-line help: one switch label and one meaning label per row,
// numbered from these (OK is IDOK)
#define IDC_CmdLineSwitch 1400
#define IDC_CmdLineMeaning 1420

// Replace-or-merge question (OK is IDOK, Cancel is IDCANCEL)
#define IDC_txtLabel 1501
#define IDC_btReplace 1502
#define IDC_btMerge 1503
