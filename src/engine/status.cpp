#include "engine/status.h"

#include <atomic>
#include <thread>

namespace {

// No window: the run goes on the calling thread and nothing is shown.
class TSilentStatus : public IRunStatus {
 public:
  void ResetForRun() override {
    std::lock_guard g(lock_);
    action_.clear();
  }
  void SetCaption(const std::string& caption) override {
    std::lock_guard g(lock_);
    caption_ = caption;
  }
  std::string Caption() override {
    std::lock_guard g(lock_);
    return caption_;
  }
  void SetMessagesSuppressed(bool) override {}
  void SetCloseAutomatically(bool) override {}
  void ShowCancel(bool) override {}
  void SetActionText(const std::string& text) override {
    std::lock_guard g(lock_);
    action_ = text;
  }
  std::string GetActionText() override {
    std::lock_guard g(lock_);
    return action_;
  }
  void ShowProgressBar(bool) override {}
  void SetProgress(int) override {}
  bool CancelRequested() override { return false; }
  void PostFinished(bool, SETTINGS_RC result) override {
    std::lock_guard g(lock_);
    last_ = result;
  }
  SETTINGS_RC RunModal(const std::function<void()>& worker) override {
    {
      std::lock_guard g(lock_);
      last_ = SETTINGS_ERROR;
    }
    worker();
    std::lock_guard g(lock_);
    return last_;
  }

 private:
  std::mutex lock_;
  std::string caption_;
  std::string action_;
  SETTINGS_RC last_ = SETTINGS_ERROR;
};

TSilentStatus& Silent() {
  static TSilentStatus status;
  return status;
}

std::atomic<IRunStatus*> g_status{nullptr};

}  // namespace

IRunStatus& StatusWindow() {
  IRunStatus* s = g_status.load();
  return s ? *s : Silent();
}

StatusScope::StatusScope(IRunStatus& status) : previous_(g_status.exchange(&status)) {}

StatusScope::~StatusScope() { g_status.store(previous_); }

void TRecordingStatus::ResetForRun() {
  std::lock_guard g(lock_);
  action_.clear();
  cancel_ = cancelArmed_ && cancelAt_.empty();
}

void TRecordingStatus::SetCaption(const std::string& caption) {
  std::lock_guard g(lock_);
  caption_ = caption;
  captions_.push_back(caption);
}

std::string TRecordingStatus::Caption() {
  std::lock_guard g(lock_);
  return caption_;
}

void TRecordingStatus::SetMessagesSuppressed(bool suppressed) {
  std::lock_guard g(lock_);
  suppressed_ = suppressed;
}

void TRecordingStatus::SetCloseAutomatically(bool) {}
void TRecordingStatus::ShowCancel(bool) {}

void TRecordingStatus::SetActionText(const std::string& text) {
  std::lock_guard g(lock_);
  action_ = text;
  actions_.push_back(text);
  if (cancelArmed_ && text == cancelAt_) cancel_ = true;
}

std::string TRecordingStatus::GetActionText() {
  std::lock_guard g(lock_);
  return action_;
}

void TRecordingStatus::ShowProgressBar(bool) {}
void TRecordingStatus::SetProgress(int) {}

bool TRecordingStatus::CancelRequested() {
  std::lock_guard g(lock_);
  return cancel_;
}

void TRecordingStatus::PostFinished(bool, SETTINGS_RC result) {
  std::lock_guard g(lock_);
  finished_.push_back(result);
  ended_.notify_all();
}

SETTINGS_RC TRecordingStatus::RunModal(const std::function<void()>& worker) {
  std::size_t before;
  {
    std::lock_guard g(lock_);
    before = finished_.size();
  }
  std::thread thread(worker);
  SETTINGS_RC result;
  {
    std::unique_lock g(lock_);
    ended_.wait(g, [&] { return finished_.size() > before; });
    result = finished_[before];
  }
  thread.join();
  return result;
}

void TRecordingStatus::CancelAt(const std::string& actionText) {
  std::lock_guard g(lock_);
  cancelArmed_ = true;
  cancelAt_ = actionText;
  if (actionText.empty()) cancel_ = true;
}

std::vector<std::string> TRecordingStatus::actions() const {
  std::lock_guard g(lock_);
  return actions_;
}

std::vector<std::string> TRecordingStatus::captions() const {
  std::lock_guard g(lock_);
  return captions_;
}

std::vector<SETTINGS_RC> TRecordingStatus::finished() const {
  std::lock_guard g(lock_);
  return finished_;
}

bool TRecordingStatus::messagesSuppressed() const {
  std::lock_guard g(lock_);
  return suppressed_;
}
