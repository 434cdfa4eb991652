// What a save, load or restore run tells the person watching it: the
// status window's contract. The Win32 window implements it; quiet runs and
// tests use the silent or recording forms.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "engine/settings.h"

class IRunStatus {
 public:
  virtual ~IRunStatus() = default;

  virtual void ResetForRun() = 0;
  virtual void SetCaption(const std::string& caption) = 0;
  virtual std::string Caption() = 0;
  // No outcome box at the end (quiet load).
  virtual void SetMessagesSuppressed(bool suppressed) = 0;
  virtual void SetCloseAutomatically(bool close) = 0;
  virtual void ShowCancel(bool show) = 0;
  // Callable from the worker.
  virtual void SetActionText(const std::string& text) = 0;
  virtual std::string GetActionText() = 0;
  virtual void ShowProgressBar(bool show) = 0;
  virtual void SetProgress(int percent) = 0;
  virtual bool CancelRequested() = 0;
  // The end-of-run message.
  virtual void PostFinished(bool success, SETTINGS_RC result) = 0;
  // Starts `worker` on its own thread and shows the window modally until the
  // end-of-run message arrives; returns the result it carried.
  virtual SETTINGS_RC RunModal(const std::function<void()>& worker) = 0;
};

// The program's status window; a silent one until the user interface (or a
// test) installs another.
IRunStatus& StatusWindow();

class StatusScope {
 public:
  explicit StatusScope(IRunStatus& status);
  ~StatusScope();
  StatusScope(const StatusScope&) = delete;
  StatusScope& operator=(const StatusScope&) = delete;

 private:
  IRunStatus* previous_;
};

// Records what a run tells it; RunModal runs the worker on a thread and
// waits for its end-of-run message. A cancel can be requested in advance,
// or when a given action text is shown.
class TRecordingStatus : public IRunStatus {
 public:
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

  // Sets the cancel flag as soon as `actionText` is shown ("" at once).
  void CancelAt(const std::string& actionText);

  std::vector<std::string> actions() const;
  std::vector<std::string> captions() const;
  // Every PostFinished received, in order.
  std::vector<SETTINGS_RC> finished() const;
  bool messagesSuppressed() const;

 private:
  mutable std::mutex lock_;
  std::condition_variable ended_;
  std::string caption_;
  std::string action_;
  std::vector<std::string> actions_;
  std::vector<std::string> captions_;
  std::vector<SETTINGS_RC> finished_;
  std::string cancelAt_;
  bool cancelArmed_ = false;
  bool cancel_ = false;
  bool suppressed_ = false;
};
