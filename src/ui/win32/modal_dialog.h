// A dialog from the resource script shown modally: the base of the small
// windows (report, about box, command-line help, replace-or-merge question).
#pragma once

#include <windows.h>

class TModalDialog {
 public:
  virtual ~TModalDialog() = default;

  // Shows the dialog modally over `owner` and returns the id of the button
  // that closed it (IDOK, IDCANCEL), or -1 when it cannot be created.
  INT_PTR ShowModal(HWND owner);

  HWND Handle() const { return hwnd_; }

 protected:
  explicit TModalDialog(int templateId) : templateId_(templateId) {}

  // WM_INITDIALOG: the controls exist.
  virtual void FormCreate() {}
  // A command from a control; true when handled.
  virtual bool OnCommand(int id, int code) { return false; }
  // Ends the modal showing with `result`.
  void Close(INT_PTR result);

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  int templateId_;
  HWND hwnd_ = nullptr;
};
