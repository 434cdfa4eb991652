#include "ui/win32/form_dialog.h"

#include <commctrl.h>
#include <commdlg.h>

#include "ui/win32/ui_support.h"

INT_PTR TFormDialog::ShowModal(HWND owner) {
  qv::ui::EnsureCommonControls();
  INT_PTR result = DialogBoxParamA(qv::ui::ResourceModule(), MAKEINTRESOURCEA(templateId_), owner,
                                   DialogProc, reinterpret_cast<LPARAM>(this));
  hwnd_ = nullptr;
  tooltip_ = nullptr;
  closing_ = false;
  return result;
}

void TFormDialog::Close(INT_PTR result) {
  closing_ = true;
  EndDialog(hwnd_, result);
}

std::string TFormDialog::ItemText(int id) const { return qv::ui::ItemText(hwnd_, id); }

void TFormDialog::SetItemText(int id, const std::string& text) {
  SetDlgItemTextA(hwnd_, id, text.c_str());
}

void TFormDialog::EnableItem(int id, bool enabled) {
  if (HWND item = Item(id)) EnableWindow(item, enabled ? TRUE : FALSE);
}

void TFormDialog::SetHint(int id, const std::string& hint) {
  HWND control = Item(id);
  if (!control) return;
  if (!tooltip_) {
    tooltip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_,
                               nullptr, qv::ui::ResourceModule(), nullptr);
    if (!tooltip_) return;
  }
  TOOLINFOA tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = hwnd_;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = const_cast<char*>(hint.c_str());  // copied by the tooltip
  SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

INT_PTR CALLBACK TFormDialog::DialogProc(HWND window, UINT message, WPARAM wParam,
                                         LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<TFormDialog*>(lParam);
    SetWindowLongPtrA(window, DWLP_USER, lParam);
    self->hwnd_ = window;
    qv::ui::CentreOnScreen(window);
    // The caller may have shown the wait cursor while it prepared the window.
    SetCursor(LoadCursor(nullptr, IDC_ARROW));
    self->FormCreate();
    // A window that put the focus on one of its controls keeps it there;
    // otherwise the first control gets it.
    HWND focus = GetFocus();
    return focus && IsChild(window, focus) ? FALSE : TRUE;
  }
  auto* self = reinterpret_cast<TFormDialog*>(GetWindowLongPtrA(window, DWLP_USER));
  if (!self) return FALSE;
  LRESULT result = 0;
  switch (message) {
    case WM_CLOSE:
      // The system menu's Close counts as the Cancel button.
      wParam = MAKEWPARAM(IDCANCEL, BN_CLICKED);
      lParam = reinterpret_cast<LPARAM>(GetDlgItem(window, IDCANCEL));
      [[fallthrough]];
    case WM_COMMAND:
      if (self->OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)))
        return TRUE;
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        self->Close(LOWORD(wParam));
        return TRUE;
      }
      return FALSE;
    case WM_NOTIFY:
      if (self->OnNotify(*reinterpret_cast<const NMHDR*>(lParam), result)) {
        SetWindowLongPtrA(window, DWLP_MSGRESULT, result);
        return TRUE;
      }
      return FALSE;
    case WM_DESTROY:
      self->FormDestroy();
      return FALSE;
    case WM_NCDESTROY:
      SetWindowLongPtrA(window, DWLP_USER, 0);
      return FALSE;
    default:
      if (self->OnMessage(message, wParam, lParam, result)) {
        SetWindowLongPtrA(window, DWLP_MSGRESULT, result);
        return TRUE;
      }
      return FALSE;
  }
}

namespace qv::ui {

bool AskFileNames(HWND owner, const TFileDialogSpec& kind, DWORD flags, bool save,
                  const std::string& initialName, const std::string& initialFolder,
                  std::vector<std::string>& names) {
  // "Description|Pattern|..." becomes the dialog's list of NUL-ended
  // strings with a second NUL at the end.
  std::string filter = kind.filter;
  for (char& c : filter)
    if (c == '|') c = '\0';
  filter.append(2, '\0');

  // Room for many chosen files: the folder and every name, NUL-separated.
  std::vector<char> buffer((flags & OFN_ALLOWMULTISELECT) ? 65536 : MAX_PATH, '\0');
  if (initialName.size() < buffer.size())
    initialName.copy(buffer.data(), initialName.size());

  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = buffer.data();
  ofn.nMaxFile = static_cast<DWORD>(buffer.size());
  ofn.lpstrInitialDir = initialFolder.empty() ? nullptr : initialFolder.c_str();
  ofn.lpstrTitle = kind.title;
  ofn.lpstrDefExt = kind.defaultExt && *kind.defaultExt ? kind.defaultExt : nullptr;
  ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | flags;
  if (!(save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn))) return false;

  names.clear();
  const char* p = buffer.data();
  std::string first = p;
  p += first.size() + 1;
  if (!(flags & OFN_ALLOWMULTISELECT) || *p == '\0') {
    // One file: the buffer holds its full path.
    names.push_back(first);
    return true;
  }
  // Several files: the folder, then each name in it.
  std::string folder = first;
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  while (*p) {
    std::string name = p;
    p += name.size() + 1;
    names.push_back(folder + name);
  }
  return true;
}

}  // namespace qv::ui
