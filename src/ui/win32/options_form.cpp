#include "ui/win32/options_form.h"

#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

#include "ui/win32/forms_resource.h"

TOptionsForm::TOptionsForm(TOptions& options)
    : TFormDialog(IDD_OptionsForm), model_(options) {}

void TOptionsForm::FormCreate() {
  TCITEMA tab{};
  tab.mask = TCIF_TEXT;
  tab.pszText = const_cast<char*>("Backup");
  SendMessageA(Item(IDC_pcOptions), TCM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&tab));
  CheckDlgButton(Handle(), IDC_ckDoBackup, model_.DoBackup() ? BST_CHECKED : BST_UNCHECKED);
  SetItemText(IDC_edBackupDir, model_.BackupDir());
  ShowFolderControls();
}

void TOptionsForm::ShowFolderControls() {
  const bool enabled = model_.FolderControlsEnabled();
  EnableItem(IDC_edBackupDir, enabled);
  EnableItem(IDC_btChooseFolder, enabled);
  EnableItem(IDC_txtBackupToFolder, enabled);
}

bool TOptionsForm::OnCommand(int id, int code, HWND control) {
  if (code != BN_CLICKED) return false;
  switch (id) {
    case IDC_ckDoBackup:
      model_.SetDoBackup(IsDlgButtonChecked(Handle(), IDC_ckDoBackup) == BST_CHECKED);
      ShowFolderControls();
      return true;
    case IDC_btChooseFolder: btChooseFolderClick(); return true;
    case IDOK: btOKClick(); return true;
  }
  return false;
}

void TOptionsForm::btChooseFolderClick() {
  std::string folder;
  if (qv::ui::AskFolder(Handle(), kBackupFolderBrowserTitle, ItemText(IDC_edBackupDir), folder))
    SetItemText(IDC_edBackupDir, folder);
}

void TOptionsForm::btOKClick() {
  model_.SetDoBackup(IsDlgButtonChecked(Handle(), IDC_ckDoBackup) == BST_CHECKED);
  model_.SetBackupDir(ItemText(IDC_edBackupDir));
  if (model_.Accept() == TOptionsModel::TAcceptResult::Accepted)
    Close(IDOK);
  else
    SetFocus(Item(IDC_edBackupDir));
}

namespace qv::ui {

namespace {

int CALLBACK BrowseCallback(HWND browser, UINT message, LPARAM lParam, LPARAM data) {
  if (message == BFFM_INITIALIZED) {
    const auto* initial = reinterpret_cast<const std::string*>(data);
    if (!initial->empty())
      SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(initial->c_str()));
  } else if (message == BFFM_SELCHANGED) {
    char path[MAX_PATH] = "";
    if (!SHGetPathFromIDListA(reinterpret_cast<LPCITEMIDLIST>(lParam), path)) path[0] = '\0';
    SendMessageA(browser, BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>(path));
  }
  return 0;
}

}  // namespace

bool AskFolder(HWND owner, const std::string& title, const std::string& initialFolder,
               std::string& folder) {
  // The browser talks to the shell's folders through COM.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  LPITEMIDLIST drives = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(owner, CSIDL_DRIVES, &drives))) drives = nullptr;
  char display[MAX_PATH] = "";
  BROWSEINFOA browse{};
  browse.hwndOwner = owner;
  browse.pidlRoot = drives;
  browse.pszDisplayName = display;
  browse.lpszTitle = title.c_str();
  browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT;
  browse.lpfn = BrowseCallback;
  browse.lParam = reinterpret_cast<LPARAM>(&initialFolder);
  LPITEMIDLIST chosen = SHBrowseForFolderA(&browse);
  bool ok = false;
  if (chosen) {
    char path[MAX_PATH] = "";
    if (SHGetPathFromIDListA(chosen, path)) {
      folder = path;
      ok = true;
    }
    CoTaskMemFree(chosen);
  }
  if (drives) CoTaskMemFree(drives);
  if (SUCCEEDED(com)) CoUninitialize();
  return ok;
}

}  // namespace qv::ui
