#include "ui/win32/config_editor_form.h"

#include <commctrl.h>
#include <commdlg.h>

#include "ui/logic/data_file_model.h"
#include "ui/win32/data_file_form.h"
#include "ui/win32/forms_resource.h"

namespace {

void SetCheckListColumn(HWND list) {
  ListView_SetExtendedListViewStyle(list, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
  RECT client;
  GetClientRect(list, &client);
  LVCOLUMNA column{};
  column.mask = LVCF_WIDTH;
  column.cx = client.right - client.left - GetSystemMetrics(SM_CXVSCROLL);
  SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
}

bool StateChecked(UINT state) { return ((state & LVIS_STATEIMAGEMASK) >> 12) == 2; }

}  // namespace

TConfigEditorForm::TConfigEditorForm(TConfigEditorModel& model)
    : TFormDialog(IDD_ConfigEditorForm), model_(model) {}

int TConfigEditorForm::ListId(TConfigGroup group) const {
  return group == TConfigGroup::Personality ? IDC_cklbPersonalityItems
                                            : IDC_cklbConnectivityItems;
}

void TConfigEditorForm::FormCreate() {
  SetCheckListColumn(Item(IDC_cklbPersonalityItems));
  SetCheckListColumn(Item(IDC_cklbConnectivityItems));
  SetHint(IDC_btOpenFile, "Open an existing configuration file");
  SetHint(IDC_btSaveFileAs, "Save the current configuration as a new file");
  SetHint(IDOK, "Save the configuration");
  // The drop-down lists the recent configuration files, newest first.
  HWND combo = Item(IDC_cbConfigFile);
  for (const std::string& name : model_.RecentFiles())
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
  ShowConfigFile();
  FillCheckLists();
}

void TConfigEditorForm::FillCheckList(TConfigGroup group) {
  HWND list = Item(ListId(group));
  filling_ = true;
  SendMessageA(list, WM_SETREDRAW, FALSE, 0);
  ListView_DeleteAllItems(list);
  const std::vector<TCheckLine> lines = model_.Lines(group);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(i);
    item.pszText = const_cast<char*>(lines[i].name.c_str());
    int at = static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    ListView_SetCheckState(list, at, lines[i].checked ? TRUE : FALSE);
  }
  SendMessageA(list, WM_SETREDRAW, TRUE, 0);
  filling_ = false;
}

void TConfigEditorForm::FillCheckLists() {
  FillCheckList(TConfigGroup::Personality);
  FillCheckList(TConfigGroup::Connectivity);
  ShowSelection();
}

void TConfigEditorForm::ShowSelection() {
  filling_ = true;
  for (TConfigGroup group : {TConfigGroup::Personality, TConfigGroup::Connectivity}) {
    HWND list = Item(ListId(group));
    const int selected = model_.SelectedLine(group);
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
    if (selected >= 0) {
      ListView_SetItemState(list, selected, LVIS_SELECTED | LVIS_FOCUSED,
                            LVIS_SELECTED | LVIS_FOCUSED);
      ListView_EnsureVisible(list, selected, FALSE);
    }
  }
  filling_ = false;
  SetItemText(IDC_txtItemDescription, model_.ItemDescription());
}

void TConfigEditorForm::ShowConfigFile() {
  SetItemText(IDC_cbConfigFile, model_.ConfigFileText());
  SetItemText(IDC_txtCurrFolder, model_.CurrentFolder());
}

void TConfigEditorForm::ItemChanged(TConfigGroup group, const NMLISTVIEW& change) {
  if (filling_ || !(change.uChanged & LVIF_STATE) || change.iItem < 0) return;
  const UINT changed = change.uNewState ^ change.uOldState;
  if ((changed & LVIS_STATEIMAGEMASK) && (change.uOldState & LVIS_STATEIMAGEMASK))
    model_.CheckLine(group, change.iItem, StateChecked(change.uNewState));
  if ((changed & LVIS_SELECTED) && (change.uNewState & LVIS_SELECTED) &&
      model_.SelectedLine(group) != change.iItem) {
    model_.SelectLine(group, change.iItem);
    ShowSelection();
  }
}

bool TConfigEditorForm::OnNotify(const NMHDR& header, LRESULT& result) {
  if (header.code != LVN_ITEMCHANGED) return false;
  const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
  if (header.idFrom == IDC_cklbPersonalityItems)
    ItemChanged(TConfigGroup::Personality, change);
  else if (header.idFrom == IDC_cklbConnectivityItems)
    ItemChanged(TConfigGroup::Connectivity, change);
  else
    return false;
  result = 0;
  return true;
}

bool TConfigEditorForm::OnCommand(int id, int code, HWND control) {
  if (id == IDC_cbConfigFile) {
    if (code == CBN_KILLFOCUS) cbConfigFileExit();
    if (code == CBN_SELENDOK) cbConfigFileSelect();
    return true;
  }
  if (code != BN_CLICKED) return false;
  switch (id) {
    case IDC_btOpenFile: btOpenFileClick(); return true;
    case IDC_btSaveFileAs: btSaveFileAsClick(); return true;
    case IDC_btDefaults: btDefaultsClick(); return true;
    case IDC_btSelectAll: btSelectAllClick(); return true;
    case IDC_btSelectNone: btSelectNoneClick(); return true;
    case IDC_btFiles: btFilesClick(); return true;
    case IDOK: btOKClick(); return true;
  }
  return false;
}

void TConfigEditorForm::btOpenFileClick() {
  std::vector<std::string> names;
  if (!qv::ui::AskFileNames(Handle(), kOpenConfigDialog, OFN_FILEMUSTEXIST, false, "", "", names))
    return;
  model_.OpenFile(names.front());
  ShowConfigFile();
  FillCheckLists();
}

void TConfigEditorForm::btSaveFileAsClick() {
  model_.SetConfigFileText(ItemText(IDC_cbConfigFile));
  std::vector<std::string> names;
  if (!qv::ui::AskFileNames(Handle(), kSaveConfigDialog, OFN_OVERWRITEPROMPT, true,
                            model_.ConfigFileText(), "", names))
    return;
  model_.SaveFileAs(names.front());
  ShowConfigFile();
}

void TConfigEditorForm::btDefaultsClick() {
  model_.Defaults();
  FillCheckLists();
}

void TConfigEditorForm::btSelectAllClick() {
  model_.SelectAll();
  FillCheckLists();
}

void TConfigEditorForm::btSelectNoneClick() {
  model_.SelectNone();
  FillCheckLists();
}

void TConfigEditorForm::btFilesClick() {
  if (model_.EditDataFiles([this](TDataFileModel& picker) {
        TDataFileForm form(picker);
        return form.ShowModal(Handle()) == IDOK;
      }))
    SetFocus(Item(IDOK));
}

void TConfigEditorForm::cbConfigFileExit() {
  // Closing the window takes the focus from the box too. Loading the named
  // file then would replace the ticks OK has just accepted.
  if (Closing()) return;
  // Focus moving between the box and its own edit field does not leave it.
  HWND combo = Item(IDC_cbConfigFile);
  HWND focus = GetFocus();
  if (focus && (focus == combo || IsChild(combo, focus))) return;
  const std::string text = ItemText(IDC_cbConfigFile);
  model_.SetConfigFileText(text);
  const bool loaded = model_.LeaveConfigFile();
  if (model_.ConfigFileText() != text) SetItemText(IDC_cbConfigFile, model_.ConfigFileText());
  if (loaded) FillCheckLists();
}

void TConfigEditorForm::cbConfigFileSelect() {
  HWND combo = Item(IDC_cbConfigFile);
  const int index = static_cast<int>(SendMessageA(combo, CB_GETCURSEL, 0, 0));
  if (index < 0) return;
  const int length = static_cast<int>(SendMessageA(combo, CB_GETLBTEXTLEN, index, 0));
  if (length < 0) return;
  std::string name(static_cast<std::size_t>(length) + 1, '\0');
  SendMessageA(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(name.data()));
  name.resize(static_cast<std::size_t>(length));
  model_.ChooseRecentFile(name);
  FillCheckLists();
}

void TConfigEditorForm::FocusConfigFile() {
  HWND combo = Item(IDC_cbConfigFile);
  HWND focus = GetFocus();
  if (focus != combo && !IsChild(combo, focus)) SetFocus(combo);
}

void TConfigEditorForm::btOKClick() {
  model_.SetConfigFileText(ItemText(IDC_cbConfigFile));
  const TConfigEditorModel::TAcceptResult result = model_.Accept();
  SetItemText(IDC_cbConfigFile, model_.ConfigFileText());
  switch (result) {
    case TConfigEditorModel::TAcceptResult::Accepted:
      Close(IDOK);
      break;
    case TConfigEditorModel::TAcceptResult::EmptyName:
    case TConfigEditorModel::TAcceptResult::NotReplaced:
      FocusConfigFile();
      break;
    case TConfigEditorModel::TAcceptResult::CannotCreate:
      break;
  }
}
