#include "ui/win32/settings_view_form.h"

#include <commctrl.h>

#include "ui/win32/forms_resource.h"
#include "ui/win32/ui_support.h"

TSettingsViewForm::TSettingsViewForm() : TFormDialog(IDD_SettingsViewForm) {}

void TSettingsViewForm::FormCreate() {
  HWND tabs = Item(IDC_pcSettings);
  const char* captions[] = {"Personality", "Connectivity"};
  for (int i = 0; i < 2; ++i) {
    TCITEMA tab{};
    tab.mask = TCIF_TEXT;
    tab.pszText = const_cast<char*>(captions[i]);
    SendMessageA(tabs, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&tab));
  }
  // The lists lie inside the tabs' display area.
  RECT area;
  GetWindowRect(tabs, &area);
  MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&area), 2);
  SendMessageA(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
  const struct {
    int id;
    TViewGroup group;
  } lists[] = {{IDC_lbPersonalityItems, TViewGroup::Personality},
               {IDC_lbConnectivityItems, TViewGroup::Connectivity}};
  for (const auto& list : lists) {
    HWND box = Item(list.id);
    SetWindowPos(box, HWND_TOP, area.left, area.top, area.right - area.left,
                 area.bottom - area.top, SWP_NOACTIVATE);
    for (const std::string& name : model_.Names(list.group))
      SendMessageA(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
  }
  TabCtrl_SetCurSel(tabs, 0);
  ShowPage(0);
}

void TSettingsViewForm::ShowPage(int page) {
  ShowWindow(Item(IDC_lbPersonalityItems), page == 0 ? SW_SHOW : SW_HIDE);
  ShowWindow(Item(IDC_lbConnectivityItems), page == 1 ? SW_SHOW : SW_HIDE);
}

bool TSettingsViewForm::OnNotify(const NMHDR& header, LRESULT& result) {
  if (header.idFrom != IDC_pcSettings || header.code != TCN_SELCHANGE) return false;
  ShowPage(TabCtrl_GetCurSel(Item(IDC_pcSettings)));
  result = 0;
  return true;
}

bool TSettingsViewForm::OnCommand(int id, int code, HWND control) {
  if (code != LBN_SELCHANGE) return false;
  if (id == IDC_lbPersonalityItems) ListClick(TViewGroup::Personality, id);
  else if (id == IDC_lbConnectivityItems) ListClick(TViewGroup::Connectivity, id);
  else return false;
  return true;
}

void TSettingsViewForm::ListClick(TViewGroup group, int listId) {
  HWND list = Item(listId);
  const int index = static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0));
  if (index < 0) return;
  const int length = static_cast<int>(SendMessageA(list, LB_GETTEXTLEN, index, 0));
  if (length < 0) return;
  std::string name(static_cast<std::size_t>(length) + 1, '\0');
  SendMessageA(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(name.data()));
  name.resize(static_cast<std::size_t>(length));
  std::string text;
  {
    TBusyCursor busy;
    text = qv::ui::JoinLines(model_.Show(group, name));
  }
  SetItemText(IDC_moDescription, text);
}
