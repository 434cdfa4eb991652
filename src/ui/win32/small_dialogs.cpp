#include "ui/win32/small_dialogs.h"

#include "engine/file_utils.h"
#include "engine/messages.h"
#include "ui/logic/small_dialogs.h"
#include "ui/win32/resource.h"
#include "ui/win32/ui_support.h"

// ---------------------------------------------------------------------------
// Report window

TReportDialog::TReportDialog() : TFormDialog(IDD_ReportDialog) {}

void TReportDialog::SetLines(const std::vector<std::string>& lines) {
  lines_ = lines;
  if (Handle()) SetDlgItemTextA(Handle(), IDC_memoContents, qv::ui::JoinLines(lines_).c_str());
}

std::vector<std::string> TReportDialog::Lines() const {
  if (!Handle()) return lines_;
  return qv::ui::SplitLines(qv::ui::ItemText(Handle(), IDC_memoContents));
}

bool TReportDialog::SaveToFile(const std::string& fileName, std::string& error) const {
  return WriteTextLines(fileName, Lines(), error);
}

void TReportDialog::FormCreate() {
  HWND memo = GetDlgItem(Handle(), IDC_memoContents);
  // A report can be longer than an edit control's default limit.
  SendMessageA(memo, EM_SETLIMITTEXT, 0, 0);
  SetWindowTextA(memo, qv::ui::JoinLines(lines_).c_str());
  SetFocus(GetDlgItem(Handle(), IDCANCEL));
}

bool TReportDialog::OnCommand(int id, int code, HWND) {
  if (id == IDC_btSave && code == BN_CLICKED) {
    btSaveClick();
    return true;
  }
  return false;
}

void TReportDialog::btSaveClick() {
  qv::ui::SaveFileRequest request;
  request.title = "Save Report";
  request.defaultExtension = "TXT";
  request.filter = "Text Documents (*.txt)|*.TXT";
  request.overwritePrompt = false;
  std::string fileName;
  if (!qv::ui::AskSaveFileName(Handle(), request, fileName)) return;
  std::string error;
  if (!SaveToFile(fileName, error)) ShowErrorBox(error);
}

// ---------------------------------------------------------------------------
// About box

TAboutForm::TAboutForm() : TFormDialog(IDD_AboutForm) {}

void TAboutForm::FormCreate() {
  SetDlgItemTextA(Handle(), IDC_Version, AboutVersionText().c_str());
  HICON icon = LoadIconA(qv::ui::ResourceModule(), MAKEINTRESOURCEA(1));
  if (!icon) icon = LoadIcon(nullptr, IDI_APPLICATION);
  SendDlgItemMessageA(Handle(), IDC_ProgramIcon, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
}

bool TAboutForm::OnCommand(int id, int code, HWND) {
  // OK is both the default and the cancel button.
  if (id == IDCANCEL) {
    Close(IDOK);
    return true;
  }
  return false;
}

// ---------------------------------------------------------------------------
// Command-line help

TCmdLineForm::TCmdLineForm() : TFormDialog(IDD_CmdLineForm) {}

void TCmdLineForm::FormCreate() {
  HWND dialog = Handle();
  HFONT font = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
  // Layout in dialog units, turned into pixels by the dialog's font.
  auto pixels = [dialog](int left, int top, int width, int height) {
    RECT r{left, top, left + width, top + height};
    MapDialogRect(dialog, &r);
    return r;
  };
  auto label = [&](const std::string& text, int id, const RECT& r) {
    HWND item = CreateWindowExA(0, "STATIC", text.c_str(), WS_CHILD | WS_VISIBLE | SS_NOPREFIX,
                                r.left, r.top, r.right - r.left, r.bottom - r.top, dialog,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                qv::ui::ResourceModule(), nullptr);
    SendMessageA(item, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  };
  const std::vector<TSwitchHelp>& rows = CommandLineHelp();
  const int rowHeight = 12;
  int top = 8;
  for (std::size_t i = 0; i < rows.size(); ++i, top += rowHeight) {
    label(rows[i].switchText, IDC_CmdLineSwitch + static_cast<int>(i), pixels(8, top, 72, 10));
    label(rows[i].meaning, IDC_CmdLineMeaning + static_cast<int>(i), pixels(84, top, 248, 10));
  }
  // The OK button goes under the last row, and the window fits around it.
  RECT ok = pixels(145, top + 6, 50, 14);
  SetWindowPos(GetDlgItem(dialog, IDOK), nullptr, ok.left, ok.top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER);
  RECT client = pixels(0, 0, 340, top + 6 + 14 + 8);
  RECT frame{0, 0, client.right, client.bottom};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrA(dialog, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrA(dialog, GWL_EXSTYLE)));
  SetWindowPos(dialog, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER);
  qv::ui::CentreOnScreen(dialog);
}

bool TCmdLineForm::OnCommand(int id, int code, HWND) {
  // Escape answers OK too.
  if (id == IDCANCEL) {
    Close(IDOK);
    return true;
  }
  return false;
}

// ---------------------------------------------------------------------------
// Replace-or-merge question

TQueryForm::TQueryForm() : TFormDialog(IDD_QueryForm) {}

void TQueryForm::SetQuestion(const std::string& text) {
  question_ = text;
  if (Handle()) SetDlgItemTextA(Handle(), IDC_txtLabel, question_.c_str());
}

void TQueryForm::SetReplace(bool replace) {
  replace_ = replace;
  if (Handle()) {
    CheckDlgButton(Handle(), IDC_btReplace, replace ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(Handle(), IDC_btMerge, replace ? BST_UNCHECKED : BST_CHECKED);
  }
}

void TQueryForm::FormCreate() {
  SetDlgItemTextA(Handle(), IDC_txtLabel, question_.c_str());
  SetReplace(replace_);
}

bool TQueryForm::OnCommand(int id, int code, HWND) {
  if (id == IDOK || id == IDCANCEL) {
    // The answer is kept whichever button closed the window.
    replace_ = IsDlgButtonChecked(Handle(), IDC_btMerge) != BST_CHECKED;
  }
  return false;
}
