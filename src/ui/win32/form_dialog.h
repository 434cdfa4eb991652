// The base of the program's modal dialogs (configuration editor, data-file
// picker, options, settings viewer, report, about box, command-line help,
// replace-or-merge question): a dialog from the resource scripts shown
// modally, with notifications and any other message routed to the window's
// class, plus the small helpers those windows share.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "ui/logic/file_dialogs.h"

class TFormDialog {
 public:
  virtual ~TFormDialog() = default;
  TFormDialog(const TFormDialog&) = delete;
  TFormDialog& operator=(const TFormDialog&) = delete;

  // Shows the dialog modally over `owner` and returns the id of the button
  // that closed it (IDOK, IDCANCEL), or -1 when it cannot be created.
  INT_PTR ShowModal(HWND owner);

  HWND Handle() const { return hwnd_; }

 protected:
  explicit TFormDialog(int templateId) : templateId_(templateId) {}

  // WM_INITDIALOG: the controls exist.
  virtual void FormCreate() {}
  // WM_DESTROY: the controls still exist.
  virtual void FormDestroy() {}
  // A command from a control or a menu; true when handled. Unhandled OK and
  // Cancel (also Enter, Escape and the system menu's Close) close the window.
  virtual bool OnCommand(int id, int code, HWND control) { return false; }
  // WM_NOTIFY; true when handled, with the notification's result.
  virtual bool OnNotify(const NMHDR& header, LRESULT& result) { return false; }
  // Any other message; true when handled, with the message's result.
  virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    return false;
  }

  void Close(INT_PTR result);
  // From Close on: the window is going away (its controls may still lose
  // the focus and report it, which is no longer the person's doing).
  bool Closing() const { return closing_; }
  HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
  std::string ItemText(int id) const;
  void SetItemText(int id, const std::string& text);
  void EnableItem(int id, bool enabled);
  // A tooltip for a control.
  void SetHint(int id, const std::string& hint);

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  int templateId_;
  HWND hwnd_ = nullptr;
  HWND tooltip_ = nullptr;
  bool closing_ = false;
};

// Shows the wait cursor for its lifetime.
class TBusyCursor {
 public:
  TBusyCursor() : previous_(SetCursor(LoadCursor(nullptr, IDC_WAIT))) {}
  ~TBusyCursor() { SetCursor(previous_); }
  TBusyCursor(const TBusyCursor&) = delete;
  TBusyCursor& operator=(const TBusyCursor&) = delete;

 private:
  HCURSOR previous_;
};

namespace qv::ui {

// A common open- or save-file dialog of this `kind` (read-only box hidden, the
// current folder left as it was). `flags` adds OFN_* options
// (OFN_FILEMUSTEXIST, OFN_OVERWRITEPROMPT, OFN_ALLOWMULTISELECT).
// `initialName` and `initialFolder` may be empty. True with the chosen
// names (full paths) when the person pressed OK.
bool AskFileNames(HWND owner, const TFileDialogSpec& kind, DWORD flags, bool save,
                  const std::string& initialName, const std::string& initialFolder,
                  std::vector<std::string>& names);

}  // namespace qv::ui
