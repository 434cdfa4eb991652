// The status window: shown modally while a save, load or restore run works
// on its worker thread. The worker reaches it only through posted messages
// and the cancel flag:
//   WM_USER+1  the run has ended (wParam 1 for success, lParam the result)
//   WM_USER+2  show the stored action text
//   WM_USER+3  progress bar on (wParam 1) or off (0), position back to 0
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>

#include "engine/status.h"

inline constexpr UINT WM_STATUS_FINISHED = WM_USER + 1;
inline constexpr UINT WM_STATUS_ACTION = WM_USER + 2;
inline constexpr UINT WM_STATUS_PROGRESSBAR = WM_USER + 3;

class TStatusForm : public IRunStatus {
 public:
  // Creates the window, hidden, owned by `owner` (the main window, or none
  // in batch mode). It lives until this object is destroyed and serves
  // every run.
  explicit TStatusForm(HWND owner = nullptr);
  ~TStatusForm() override;
  TStatusForm(const TStatusForm&) = delete;
  TStatusForm& operator=(const TStatusForm&) = delete;

  HWND Handle() const { return hwnd_; }

  void ResetForRun() override;
  void SetCaption(const std::string& caption) override;
  std::string Caption() override;
  void SetMessagesSuppressed(bool suppressed) override;
  void SetCloseAutomatically(bool close) override;
  void ShowCancel(bool show) override;
  void SetActionText(const std::string& text) override;
  std::string GetActionText() override;
  void ShowProgressBar(bool show) override;
  void SetProgress(int percent) override;
  bool CancelRequested() override;
  void PostFinished(bool success, SETTINGS_RC result) override;
  SETTINGS_RC RunModal(const std::function<void()>& worker) override;

  // The window's state as the user interface thread sees it.
  bool Finished() const { return finished_; }
  bool CanClose() const { return canClose_; }
  bool Running() const { return running_; }
  int Progress() const { return progress_.load(); }

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  bool OnUiThread() const;
  void ApplyCaption();
  void ApplyCancelButton();
  void OnRunEnded(bool success, SETTINGS_RC result);
  void OnCloseButton();
  void OnCloseRequest();
  void RequestCancel();
  void CloseWindow();
  void StartAnimation();
  void StopAnimation();
  void ShowOutcome(const std::string& text);
  // Shows the window modally until it closes; false when the message loop
  // received WM_QUIT (its exit code is in `quitCode`).
  bool ShowModal(WPARAM& quitCode);
  // Waits for `done` while this thread's messages go on being handled (the
  // worker may send debug-log lines or post its last messages meanwhile).
  void WaitWithMessages(HANDLE done);

  HWND hwnd_ = nullptr;
  HWND owner_ = nullptr;
  DWORD uiThread_ = 0;
  bool animationOpen_ = false;

  // Shared with the worker.
  mutable std::mutex lock_;
  std::string caption_ = "Settings";
  std::string action_;
  bool cancelVisible_ = false;
  bool postedSuccess_ = false;
  SETTINGS_RC postedResult_ = SETTINGS_ERROR;
  std::atomic<bool> cancel_{false};
  std::atomic<bool> finishPosted_{false};
  std::atomic<int> progress_{0};

  // User interface thread only.
  bool running_ = false;
  bool finished_ = false;
  std::atomic<bool> suppressed_{false};
  std::atomic<bool> closeAutomatically_{false};
  bool canClose_ = false;
  bool closePending_ = false;
  bool modalDone_ = true;
  bool inModal_ = false;
  SETTINGS_RC result_ = SETTINGS_ERROR;
};
