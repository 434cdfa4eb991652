#include "ui/win32/modal_dialog.h"

#include "ui/win32/ui_support.h"

INT_PTR TModalDialog::ShowModal(HWND owner) {
  qv::ui::EnsureCommonControls();
  INT_PTR result = DialogBoxParamA(qv::ui::ResourceModule(), MAKEINTRESOURCEA(templateId_), owner,
                                   DialogProc, reinterpret_cast<LPARAM>(this));
  hwnd_ = nullptr;
  return result;
}

void TModalDialog::Close(INT_PTR result) { EndDialog(hwnd_, result); }

INT_PTR CALLBACK TModalDialog::DialogProc(HWND window, UINT message, WPARAM wParam,
                                          LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<TModalDialog*>(lParam);
    SetWindowLongPtrA(window, DWLP_USER, lParam);
    self->hwnd_ = window;
    qv::ui::CentreOnScreen(window);
    self->FormCreate();
    return TRUE;
  }
  auto* self = reinterpret_cast<TModalDialog*>(GetWindowLongPtrA(window, DWLP_USER));
  if (!self) return FALSE;
  switch (message) {
    case WM_CLOSE:
      // The system menu's Close counts as the Cancel button.
      wParam = MAKEWPARAM(IDCANCEL, BN_CLICKED);
      [[fallthrough]];
    case WM_COMMAND:
      if (self->OnCommand(LOWORD(wParam), HIWORD(wParam))) return TRUE;
      // OK and Cancel (also Enter and Escape) close the window.
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        self->Close(LOWORD(wParam));
        return TRUE;
      }
      return FALSE;
    case WM_NCDESTROY:
      SetWindowLongPtrA(window, DWLP_USER, 0);
      return FALSE;
  }
  return FALSE;
}
