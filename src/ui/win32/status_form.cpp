#include "ui/win32/status_form.h"

#include <commctrl.h>

#include <stdexcept>
#include <thread>

#include "engine/debug_log.h"
#include "engine/messages.h"
#include "platform/machine.h"
#include "platform/prompts.h"
#include "ui/win32/resource.h"
#include "ui/win32/ui_support.h"

namespace {

// Changes asked for from the worker, applied on the window's own thread.
constexpr UINT kApplyCaption = WM_APP + 1;
constexpr UINT kApplyCancelButton = WM_APP + 2;
constexpr UINT kResetForRun = WM_APP + 3;

// The system's file-copy animation in shell32.
constexpr int kFileCopyAnimation = 161;

SETTINGS_RC ValidResult(LPARAM value) {
  switch (value) {
    case SETTINGS_OK:
    case SETTINGS_ERROR:
    case SETTINGS_CANCELLED:
      return static_cast<SETTINGS_RC>(value);
    default:
      return SETTINGS_ERROR;
  }
}

}  // namespace

TStatusForm::TStatusForm(HWND owner) : owner_(owner), uiThread_(GetCurrentThreadId()) {
  qv::ui::EnsureCommonControls();
  hwnd_ = CreateDialogParamA(qv::ui::ResourceModule(), MAKEINTRESOURCEA(IDD_StatusForm), owner,
                             DialogProc, reinterpret_cast<LPARAM>(this));
  if (!hwnd_) throw std::runtime_error("The status window cannot be created.");
  HMODULE shell = GetModuleHandleA("shell32.dll");
  if (!shell) shell = LoadLibraryA("shell32.dll");
  if (shell) {
    animationOpen_ = SendDlgItemMessageA(hwnd_, IDC_Animate1, ACM_OPENA,
                                         reinterpret_cast<WPARAM>(shell),
                                         reinterpret_cast<LPARAM>(
                                             MAKEINTRESOURCEA(kFileCopyAnimation))) != 0;
  }
  if (!animationOpen_) ShowWindow(GetDlgItem(hwnd_, IDC_Animate1), SW_HIDE);
  SetWindowTextA(hwnd_, caption_.c_str());
  ApplyCancelButton();
}

TStatusForm::~TStatusForm() {
  if (hwnd_) {
    SetWindowLongPtrA(hwnd_, DWLP_USER, 0);
    DestroyWindow(hwnd_);
  }
}

bool TStatusForm::OnUiThread() const { return GetCurrentThreadId() == uiThread_; }

INT_PTR CALLBACK TStatusForm::DialogProc(HWND window, UINT message, WPARAM wParam,
                                         LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<TStatusForm*>(lParam);
    SetWindowLongPtrA(window, DWLP_USER, lParam);
    self->hwnd_ = window;
    return TRUE;
  }
  auto* self = reinterpret_cast<TStatusForm*>(GetWindowLongPtrA(window, DWLP_USER));
  return self ? self->HandleMessage(message, wParam, lParam) : FALSE;
}

INT_PTR TStatusForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_STATUS_FINISHED:
      OnRunEnded(wParam == 1, ValidResult(lParam));
      return TRUE;
    case WM_STATUS_ACTION: {
      std::string text;
      {
        std::lock_guard g(lock_);
        text = action_;
      }
      SetDlgItemTextA(hwnd_, IDC_txtProgress1, text.c_str());
      RedrawWindow(hwnd_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
      return TRUE;
    }
    case WM_STATUS_PROGRESSBAR: {
      HWND bar = GetDlgItem(hwnd_, IDC_ProgressBar1);
      progress_ = 0;
      SendMessageA(bar, PBM_SETPOS, 0, 0);
      ShowWindow(bar, wParam == 1 ? SW_SHOW : SW_HIDE);
      return TRUE;
    }
    case kApplyCaption:
      ApplyCaption();
      return TRUE;
    case kApplyCancelButton:
      ApplyCancelButton();
      return TRUE;
    case kResetForRun:
      ResetForRun();
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDC_btClose && HIWORD(wParam) == BN_CLICKED) {
        OnCloseButton();
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {  // Escape
        OnCloseRequest();
        return TRUE;
      }
      return FALSE;
    case WM_CLOSE:  // the system menu's Close
      OnCloseRequest();
      return TRUE;
    default:
      return FALSE;
  }
}

void TStatusForm::ResetForRun() {
  if (!OnUiThread()) {
    PostMessageA(hwnd_, kResetForRun, 0, 0);
    return;
  }
  {
    std::lock_guard g(lock_);
    action_.clear();
    cancelVisible_ = false;
  }
  PostMessageA(hwnd_, WM_STATUS_ACTION, 0, 0);
  closeAutomatically_ = false;
  ApplyCancelButton();
  StartAnimation();
  finished_ = false;
  cancel_ = false;
  closePending_ = false;
  SetDlgItemTextA(hwnd_, IDC_btClose, "Cancel");
  EnableWindow(GetDlgItem(hwnd_, IDC_btClose), TRUE);
  SetDlgItemTextA(hwnd_, IDC_txtProgress1, "");
}

void TStatusForm::SetCaption(const std::string& caption) {
  {
    std::lock_guard g(lock_);
    caption_ = caption;
  }
  if (OnUiThread())
    ApplyCaption();
  else
    PostMessageA(hwnd_, kApplyCaption, 0, 0);
}

std::string TStatusForm::Caption() {
  std::lock_guard g(lock_);
  return caption_;
}

void TStatusForm::ApplyCaption() {
  std::string caption = Caption();
  SetWindowTextA(hwnd_, caption.c_str());
}

void TStatusForm::SetMessagesSuppressed(bool suppressed) { suppressed_ = suppressed; }

void TStatusForm::SetCloseAutomatically(bool close) { closeAutomatically_ = close; }

void TStatusForm::ShowCancel(bool show) {
  {
    std::lock_guard g(lock_);
    cancelVisible_ = show;
  }
  if (OnUiThread())
    ApplyCancelButton();
  else
    PostMessageA(hwnd_, kApplyCancelButton, 0, 0);
}

void TStatusForm::ApplyCancelButton() {
  bool show;
  {
    std::lock_guard g(lock_);
    show = cancelVisible_;
  }
  // The window may be closed from its system menu exactly when the Cancel
  // button is there.
  canClose_ = show;
  ShowWindow(GetDlgItem(hwnd_, IDC_btClose), show ? SW_SHOW : SW_HIDE);
  if (HMENU menu = GetSystemMenu(hwnd_, FALSE))
    EnableMenuItem(menu, SC_CLOSE, MF_BYCOMMAND | (show ? MF_ENABLED : MF_GRAYED));
}

void TStatusForm::SetActionText(const std::string& text) {
  {
    std::lock_guard g(lock_);
    action_ = text;
  }
  if (hwnd_) PostMessageA(hwnd_, WM_STATUS_ACTION, 0, 0);
}

std::string TStatusForm::GetActionText() {
  std::lock_guard g(lock_);
  return action_;
}

void TStatusForm::ShowProgressBar(bool show) {
  PostMessageA(hwnd_, WM_STATUS_PROGRESSBAR, show ? 1 : 0, 0);
}

void TStatusForm::SetProgress(int percent) {
  if (percent < 0) percent = 0;
  if (percent > 100) percent = 100;
  progress_ = percent;
  PostMessageA(GetDlgItem(hwnd_, IDC_ProgressBar1), PBM_SETPOS, static_cast<WPARAM>(percent), 0);
}

bool TStatusForm::CancelRequested() { return cancel_.load(); }

void TStatusForm::PostFinished(bool success, SETTINGS_RC result) {
  {
    std::lock_guard g(lock_);
    postedSuccess_ = success;
    postedResult_ = result;
  }
  finishPosted_ = true;
  PostMessageA(hwnd_, WM_STATUS_FINISHED, success ? 1 : 0, static_cast<LPARAM>(result));
}

SETTINGS_RC TStatusForm::RunModal(const std::function<void()>& worker) {
  if (!OnUiThread() || running_) {
    // No window to show from here (another thread, or a run inside a run):
    // the worker runs on this thread and its own end-of-run value counts.
    finishPosted_ = false;
    worker();
    std::lock_guard g(lock_);
    return finishPosted_ ? postedResult_ : SETTINGS_ERROR;
  }

  // An end-of-run message still queued belongs to an earlier run.
  MSG stale;
  while (PeekMessageA(&stale, hwnd_, WM_STATUS_FINISHED, WM_STATUS_FINISHED, PM_REMOVE)) {
  }
  finishPosted_ = false;
  finished_ = false;
  result_ = SETTINGS_ERROR;
  closePending_ = false;
  running_ = true;

  HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::thread thread([this, &worker, done] {
    try {
      worker();
    } catch (const std::exception& e) {
      DebugLog(std::string("Run ended by an error : ") + e.what());
    } catch (...) {
      DebugLog("Run ended by an unknown error");
    }
    // A worker that ended without saying so has failed; the window must not
    // wait for it for ever.
    if (!finishPosted_) PostFinished(false, SETTINGS_ERROR);
    SetEvent(done);
  });

  WPARAM quitCode = 0;
  bool quit = !ShowModal(quitCode);
  // The program is ending: stop the run through its flag before waiting.
  if (quit) cancel_ = true;
  WaitWithMessages(done);
  thread.join();
  CloseHandle(done);

  if (!finished_) {
    // The window closed before the end-of-run message was handled (the
    // program is ending): the worker's own value is this run's result.
    MSG pending;
    while (PeekMessageA(&pending, hwnd_, WM_STATUS_FINISHED, WM_STATUS_FINISHED, PM_REMOVE)) {
    }
    std::lock_guard g(lock_);
    result_ = finishPosted_ ? postedResult_ : SETTINGS_ERROR;
    finished_ = true;
  }
  running_ = false;
  if (quit) PostQuitMessage(static_cast<int>(quitCode));
  return result_;
}

bool TStatusForm::ShowModal(WPARAM& quitCode) {
  modalDone_ = false;
  inModal_ = true;
  bool ownerDisabled = false;
  if (owner_ && IsWindowEnabled(owner_)) {
    EnableWindow(owner_, FALSE);
    ownerDisabled = true;
  }
  qv::ui::CentreOnScreen(hwnd_);
  ShowWindow(hwnd_, SW_SHOW);
  SetForegroundWindow(hwnd_);
  UpdateWindow(hwnd_);

  bool quit = false;
  MSG msg;
  while (!modalDone_) {
    BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0) {
      quit = true;
      quitCode = msg.wParam;
      break;
    }
    if (got == -1) break;
    if (!IsDialogMessageA(hwnd_, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }

  if (ownerDisabled) EnableWindow(owner_, TRUE);
  ShowWindow(hwnd_, SW_HIDE);
  if (ownerDisabled) SetActiveWindow(owner_);
  inModal_ = false;
  return !quit;
}

void TStatusForm::WaitWithMessages(HANDLE done) {
  bool quit = false;
  WPARAM quitCode = 0;
  for (;;) {
    DWORD r = MsgWaitForMultipleObjects(1, &done, FALSE, INFINITE, QS_ALLINPUT);
    if (r == WAIT_OBJECT_0 || r == WAIT_FAILED) break;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        quit = true;
        quitCode = msg.wParam;
        continue;
      }
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  if (quit) PostQuitMessage(static_cast<int>(quitCode));
}

void TStatusForm::OnRunEnded(bool success, SETTINGS_RC result) {
  // Only the running worker's own message counts: one left over from an
  // earlier run, or a repeated one, is ignored.
  if (!running_ || finished_ || !finishPosted_) return;
  if (success) {
    {
      std::lock_guard g(lock_);
      action_ = "Done.";
    }
    SetDlgItemTextA(hwnd_, IDC_txtProgress1, "Done.");
  }
  finished_ = true;
  result_ = result;
  {
    std::lock_guard g(lock_);
    cancelVisible_ = true;
  }
  ApplyCancelButton();
  if (!success || result != SETTINGS_OK) {
    StopAnimation();
    if (!suppressed_)
      ShowOutcome(cancel_ ? "Operation cancelled."
                          : "Operation failed. View the Report for more information");
  }
  if (closeAutomatically_ || closePending_) {
    CloseWindow();
  } else {
    SetDlgItemTextA(hwnd_, IDC_btClose, "Close");
    EnableWindow(GetDlgItem(hwnd_, IDC_btClose), TRUE);
  }
}

void TStatusForm::OnCloseButton() {
  if (!running_ || finished_) {
    CloseWindow();
    return;
  }
  RequestCancel();
}

void TStatusForm::OnCloseRequest() {
  if (!canClose_) return;  // refused while the Cancel button is hidden
  if (running_ && !finished_) {
    // The run is still working: stop it through its cancel flag; the window
    // closes when the run has ended, so the result read is this run's.
    RequestCancel();
    closePending_ = true;
    return;
  }
  CloseWindow();
}

void TStatusForm::RequestCancel() {
  if (cancel_) return;
  cancel_ = true;
  SetDlgItemTextA(hwnd_, IDC_btClose, "Cancelling");
  EnableWindow(GetDlgItem(hwnd_, IDC_btClose), FALSE);
}

void TStatusForm::CloseWindow() {
  modalDone_ = true;
  if (!inModal_) ShowWindow(hwnd_, SW_HIDE);
}

void TStatusForm::StartAnimation() {
  if (!animationOpen_) return;
  HWND animation = GetDlgItem(hwnd_, IDC_Animate1);
  ShowWindow(animation, SW_SHOW);
  SendMessageA(animation, ACM_PLAY, static_cast<WPARAM>(-1), MAKELPARAM(0, 0xFFFF));
}

void TStatusForm::StopAnimation() {
  HWND animation = GetDlgItem(hwnd_, IDC_Animate1);
  if (animationOpen_) SendMessageA(animation, ACM_STOP, 0, 0);
  ShowWindow(animation, SW_HIDE);
}

void TStatusForm::ShowOutcome(const std::string& text) {
  if (qv::IPrompts* prompts = qv::CurrentMachine().Prompts())
    prompts->ShowMessage(text, kApplicationTitle, qv::mb::Ok);
  else
    DebugLog(text);
}
