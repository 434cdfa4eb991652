// Helpers for the tests of the editor-like windows under Wine: a fixture
// with the window logic's in-memory machine and program objects that skips
// without a display, and synchronous ways to act on controls from a
// driver's thread.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "support/ui_fixture.h"
#include "ui/win32/window_test_support.h"

namespace qv::test {

// The memory machine (its message boxes are recorded, with queued answers)
// and the program-wide objects; skipped when Wine has no display.
class FormTest : public UiLogicTest {
 protected:
  void SetUp() override {
    UiLogicTest::SetUp();
    if (!DisplayAvailable()) GTEST_SKIP() << "no display: windows cannot be shown";
  }
  std::vector<std::string> promptTexts() const {
    std::vector<std::string> texts;
    for (const ShownPrompt& p : prompts()) texts.push_back(p.text);
    return texts;
  }
};

// A button's click as the dialog receives it, handled before this returns
// (the handler must not show a real modal window: post for that).
inline void Press(HWND dialog, int id) {
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// A control's notification code sent to the dialog.
inline void Notify(HWND dialog, int id, int code) {
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, code),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// Moves the focus to a control the way the dialog's keyboard handling does.
inline void FocusItem(HWND dialog, int id) {
  SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, id)), TRUE);
}

inline void SetText(HWND dialog, int id, const std::string& text) {
  SendMessageA(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

inline int ListCount(HWND list) { return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); }

inline std::string ListText(HWND list, int item, int subItem = 0) {
  char text[1024] = "";
  LVITEMA lv{};
  lv.iSubItem = subItem;
  lv.pszText = text;
  lv.cchTextMax = sizeof text;
  SendMessageA(list, LVM_GETITEMTEXTA, item, reinterpret_cast<LPARAM>(&lv));
  return text;
}

inline std::vector<std::string> ListColumn(HWND list, int subItem = 0) {
  std::vector<std::string> texts;
  for (int i = 0; i < ListCount(list); ++i) texts.push_back(ListText(list, i, subItem));
  return texts;
}

inline int FindListItem(HWND list, const std::string& text) {
  LVFINDINFOA find{};
  find.flags = LVFI_STRING;
  find.psz = text.c_str();
  return static_cast<int>(SendMessageA(list, LVM_FINDITEMA, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(&find)));
}

inline UINT ListState(HWND list, int item, UINT mask) {
  return static_cast<UINT>(SendMessageA(list, LVM_GETITEMSTATE, item, mask));
}

inline bool ListChecked(HWND list, int item) {
  return ((ListState(list, item, LVIS_STATEIMAGEMASK) & LVIS_STATEIMAGEMASK) >> 12) == 2;
}

inline void SetListState(HWND list, int item, UINT state, UINT mask) {
  LVITEMA lv{};
  lv.state = state;
  lv.stateMask = mask;
  SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lv));
}

inline void SetListChecked(HWND list, int item, bool checked) {
  SetListState(list, item, INDEXTOSTATEIMAGEMASK(checked ? 2 : 1), LVIS_STATEIMAGEMASK);
}

inline void SelectListItem(HWND list, int item) {
  SetListState(list, item, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

inline int SelectedCount(HWND list) {
  return static_cast<int>(SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0));
}

inline int CheckedCount(HWND list) {
  int n = 0;
  for (int i = 0; i < ListCount(list); ++i) n += ListChecked(list, i) ? 1 : 0;
  return n;
}

// The tooltip text a dialog gives one of its controls ("" for none).
inline std::string HintOf(HWND dialog, int id) {
  struct Find {
    HWND owner;
    HWND tooltip = nullptr;
  } find{dialog};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto* f = reinterpret_cast<Find*>(data);
        char cls[64] = "";
        GetClassNameA(window, cls, sizeof cls);
        if (GetWindow(window, GW_OWNER) == f->owner && lstrcmpiA(cls, TOOLTIPS_CLASSA) == 0) {
          f->tooltip = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&find));
  if (!find.tooltip) return "";
  char text[256] = "";
  TOOLINFOA tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = dialog;
  tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(dialog, id));
  tool.lpszText = text;
  SendMessageA(find.tooltip, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
  return text;
}

}  // namespace qv::test
