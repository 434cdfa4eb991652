#include "ui/win32/data_file_form.h"

#include <commdlg.h>
#include <shellapi.h>

#include "engine/file_utils.h"
#include "ui/logic/dropped_files.h"
#include "ui/win32/forms_resource.h"
#include "ui/win32/ui_support.h"

namespace {

// The list view's style bits for a view style.
DWORD ListViewStyle(TViewStyle style) {
  switch (style) {
    case vsIcon: return LVS_ICON;
    case vsSmallIcon: return LVS_SMALLICON;
    case vsList: return LVS_LIST;
    default: return LVS_REPORT;
  }
}

int ViewButton(TViewStyle style) {
  switch (style) {
    case vsIcon: return IDC_btShowFilesLargeIcons;
    case vsSmallIcon: return IDC_btShowFilesSmallIcons;
    case vsList: return IDC_btShowFilesList;
    default: return IDC_btShowFilesDetails;
  }
}

int ViewMenuItem(TViewStyle style) {
  switch (style) {
    case vsIcon: return IDM_FilesLargeIcons;
    case vsSmallIcon: return IDM_FilesSmallIcons;
    case vsList: return IDM_FilesList;
    default: return IDM_FilesDetails;
  }
}

}  // namespace

TDataFileForm::TDataFileForm(TDataFileModel& model)
    : TFormDialog(IDD_DataFileForm), model_(model) {}

void TDataFileForm::FormCreate() {
  HWND list = Item(IDC_lvFiles);
  ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
  const TFileColumnSpec* columns = DataFileColumns();
  for (int i = 0; i < kDataFileColumnCount; ++i) {
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
    column.fmt = i == static_cast<int>(TFileColumn::Size) ? LVCFMT_RIGHT : LVCFMT_LEFT;
    column.cx = columns[i].width > 0 ? columns[i].width : 60;
    column.pszText = const_cast<char*>(columns[i].caption);
    column.iSubItem = i;
    SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
  }

  // The shell's system image lists. They belong to the shell and are
  // shared (LVS_SHAREIMAGELISTS): the list view must not destroy them.
  char windows[MAX_PATH] = "";
  GetWindowsDirectoryA(windows, sizeof windows);
  std::string root = std::string(windows).substr(0, 3);
  SHFILEINFOA info{};
  smallImages_ = reinterpret_cast<HIMAGELIST>(SHGetFileInfoA(
      root.c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
  largeImages_ = reinterpret_cast<HIMAGELIST>(SHGetFileInfoA(
      root.c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_LARGEICON));
  if (smallImages_) ListView_SetImageList(list, smallImages_, LVSIL_SMALL);
  if (largeImages_) ListView_SetImageList(list, largeImages_, LVSIL_NORMAL);

  // The status bar: entries and total.
  HWND status = Item(IDC_stFiles);
  int edges[2] = {120, -1};
  SendMessageA(status, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(edges));

  SetHint(IDC_edFilename, "Enter a filenme - wildcards are permitted");
  SendMessageA(Item(IDC_edFilename), EM_LIMITTEXT, 0, 0);
  SetItemText(IDC_edFilename, model_.EditText());
  DragAcceptFiles(Handle(), TRUE);
  ShowViewStyle();
  ShowEntries();
}

void TDataFileForm::FormDestroy() { DragAcceptFiles(Handle(), FALSE); }

int TDataFileForm::ImageOf(const TDataFileEntry& entry) const {
  if (entry.details.imageIndex >= 0) return entry.details.imageIndex;
  if (!entry.details.exists) return -1;
  // The machine gave no image: ask the shell by the kind of entry alone.
  SHFILEINFOA info{};
  const DWORD attributes = entry.details.folder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
  if (!SHGetFileInfoA(entry.caption.c_str(), attributes, &info, sizeof info,
                      SHGFI_USEFILEATTRIBUTES | SHGFI_SYSICONINDEX | SHGFI_SMALLICON))
    return -1;
  return info.iIcon;
}

void TDataFileForm::ShowEntries() {
  HWND list = Item(IDC_lvFiles);
  filling_ = true;
  SendMessageA(list, WM_SETREDRAW, FALSE, 0);
  ListView_DeleteAllItems(list);
  const std::vector<TDataFileEntry>& entries = model_.Entries();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const TDataFileEntry& entry = entries[i];
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_STATE;
    item.iItem = static_cast<int>(i);
    item.pszText = const_cast<char*>(entry.caption.c_str());
    item.iImage = ImageOf(entry);
    if (item.iImage < 0) item.iImage = I_IMAGENONE;
    item.stateMask = LVIS_SELECTED;
    item.state = entry.selected ? LVIS_SELECTED : 0;
    const int at =
        static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    const std::string size = entry.SizeText();
    const std::string texts[] = {size, entry.TypeText(), entry.ModifiedText()};
    const int subItems[] = {static_cast<int>(TFileColumn::Size), static_cast<int>(TFileColumn::Type),
                            static_cast<int>(TFileColumn::Modified)};
    for (int c = 0; c < 3; ++c) {
      LVITEMA sub{};
      sub.iSubItem = subItems[c];
      sub.pszText = const_cast<char*>(texts[c].c_str());
      SendMessageA(list, LVM_SETITEMTEXTA, at, reinterpret_cast<LPARAM>(&sub));
    }
  }
  SendMessageA(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
  filling_ = false;
  ShowStatus();
}

void TDataFileForm::ShowSelection() {
  HWND list = Item(IDC_lvFiles);
  filling_ = true;
  const std::vector<TDataFileEntry>& entries = model_.Entries();
  for (std::size_t i = 0; i < entries.size(); ++i)
    ListView_SetItemState(list, static_cast<int>(i), entries[i].selected ? LVIS_SELECTED : 0,
                          LVIS_SELECTED);
  filling_ = false;
  ShowStatus();
}

void TDataFileForm::ShowStatus() {
  HWND status = Item(IDC_stFiles);
  const std::string files = model_.FilesPanelText();
  const std::string total = model_.TotalPanelText();
  SendMessageA(status, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(files.c_str()));
  SendMessageA(status, SB_SETTEXTA, 1, reinterpret_cast<LPARAM>(total.c_str()));
  EnableItem(IDC_btSelectAll, model_.CanSelectAll());
  EnableItem(IDC_btDelete, model_.CanDelete());
  EnableItem(IDC_btAdd, model_.CanAdd());
}

void TDataFileForm::ShowViewStyle() {
  HWND list = Item(IDC_lvFiles);
  const LONG_PTR style = GetWindowLongPtrA(list, GWL_STYLE);
  const LONG_PTR wanted = (style & ~static_cast<LONG_PTR>(LVS_TYPEMASK)) |
                          static_cast<LONG_PTR>(ListViewStyle(model_.ViewStyle()));
  if (wanted != style) SetWindowLongPtrA(list, GWL_STYLE, wanted);
  CheckRadioButton(Handle(), IDC_btShowFilesLargeIcons, IDC_btShowFilesDetails,
                   ViewButton(model_.ViewStyle()));
}

void TDataFileForm::SetViewStyle(TViewStyle style) {
  model_.SetViewStyle(style);
  ShowViewStyle();
}

void TDataFileForm::ItemChanged(const NMLISTVIEW& change) {
  if (filling_ || !(change.uChanged & LVIF_STATE)) return;
  if (!((change.uNewState ^ change.uOldState) & LVIS_SELECTED)) return;
  const bool selected = (change.uNewState & LVIS_SELECTED) != 0;
  if (change.iItem < 0) {
    // A change of every entry at once.
    for (int i = 0; i < model_.Count(); ++i) model_.SetSelected(i, selected);
  } else {
    model_.SetSelected(change.iItem, selected);
  }
  ShowStatus();
}

bool TDataFileForm::OnNotify(const NMHDR& header, LRESULT& result) {
  if (header.idFrom != IDC_lvFiles) return false;
  result = 0;
  switch (header.code) {
    case LVN_ITEMCHANGED:
      ItemChanged(reinterpret_cast<const NMLISTVIEW&>(header));
      return true;
    case LVN_COLUMNCLICK:
      lvFilesColumnClick(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
      return true;
    case LVN_KEYDOWN: {
      const WORD key = reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey;
      if (key == VK_DELETE) btDeleteClick();
      else if (key == 'A' && GetKeyState(VK_CONTROL) < 0) btSelectAllClick();
      return true;
    }
    case NM_RCLICK: {
      POINT at;
      GetCursorPos(&at);
      ShowPopupMenu(at);
      return true;
    }
  }
  return false;
}

bool TDataFileForm::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (message == WM_DROPFILES) {
    FilesDropped(reinterpret_cast<HDROP>(wParam));
    result = 0;
    return true;
  }
  return false;
}

bool TDataFileForm::OnCommand(int id, int code, HWND control) {
  if (id == IDC_edFilename) {
    if (code == EN_CHANGE) {
      model_.SetEditText(ItemText(IDC_edFilename));
      ShowStatus();
    }
    return true;
  }
  // Buttons send BN_CLICKED (0), menu items 0 as well.
  if (code != BN_CLICKED) return false;
  switch (id) {
    case IDC_btAdd: btAddClick(); return true;
    case IDC_btBrowse: btBrowseClick(); return true;
    case IDC_btDelete:
    case IDM_FilesDelete: btDeleteClick(); return true;
    case IDC_btSelectAll:
    case IDM_FilesSelectAll: btSelectAllClick(); return true;
    case IDC_btShowFilesLargeIcons:
    case IDM_FilesLargeIcons: SetViewStyle(vsIcon); return true;
    case IDC_btShowFilesSmallIcons:
    case IDM_FilesSmallIcons: SetViewStyle(vsSmallIcon); return true;
    case IDC_btShowFilesList:
    case IDM_FilesList: SetViewStyle(vsList); return true;
    case IDC_btShowFilesDetails:
    case IDM_FilesDetails: SetViewStyle(vsReport); return true;
  }
  return false;
}

void TDataFileForm::ShowPopupMenu(POINT at) {
  HMENU menu = LoadMenuA(qv::ui::ResourceModule(), MAKEINTRESOURCEA(IDM_DataFilePopup));
  if (!menu) return;
  HMENU popup = GetSubMenu(menu, 0);
  CheckMenuRadioItem(popup, IDM_FilesLargeIcons, IDM_FilesDetails,
                     ViewMenuItem(model_.ViewStyle()), MF_BYCOMMAND);
  EnableMenuItem(popup, IDM_FilesSelectAll,
                 MF_BYCOMMAND | (model_.CanSelectAll() ? MF_ENABLED : MF_GRAYED));
  EnableMenuItem(popup, IDM_FilesDelete,
                 MF_BYCOMMAND | (model_.CanDelete() ? MF_ENABLED : MF_GRAYED));
  TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, Handle(), nullptr);
  DestroyMenu(menu);
}

void TDataFileForm::btAddClick() {
  model_.SetEditText(ItemText(IDC_edFilename));
  {
    TBusyCursor busy;
    if (!model_.AddFromEdit()) return;
  }
  SetItemText(IDC_edFilename, model_.EditText());
  SetFocus(Item(IDC_edFilename));
  ShowEntries();
}

void TDataFileForm::btBrowseClick() {
  std::vector<std::string> names;
  if (!qv::ui::AskFileNames(Handle(), kAddFilesDialog, OFN_ALLOWMULTISELECT, false, "",
                            TDataFileModel::BrowseInitialFolder(), names))
    return;
  {
    TBusyCursor busy;
    model_.AddBrowsed(names);
  }
  ShowEntries();
}

void TDataFileForm::btDeleteClick() {
  if (!model_.CanDelete()) return;
  model_.DeleteSelected();
  ShowEntries();
}

void TDataFileForm::btSelectAllClick() {
  model_.SelectAll();
  ShowSelection();
  SetFocus(Item(IDC_lvFiles));
}

void TDataFileForm::lvFilesColumnClick(int column) {
  if (column < 0 || column >= kDataFileColumnCount) return;
  {
    TBusyCursor busy;
    model_.ClickColumn(static_cast<TFileColumn>(column));
  }
  ShowEntries();
}

void TDataFileForm::FilesDropped(HDROP drop) {
  // Every name is fetched at its full length, however long.
  const std::vector<std::string> names =
      DroppedFileNames([drop](std::uint32_t index, char* buffer, std::uint32_t size) {
        return static_cast<std::uint32_t>(DragQueryFileA(drop, index, buffer, size));
      });
  DragFinish(drop);
  {
    TBusyCursor busy;
    model_.AddDropped(names);
  }
  ShowEntries();
}
