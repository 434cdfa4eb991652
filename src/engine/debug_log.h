// The program-wide debug log: one sink for diagnostic lines.
//
// Lines go through a ring of 100 slots to the debug window, which appends
// them to its list. While no window is attached (batch mode, start-up) lines
// are dropped. Callable from any thread; the caller waits until the window
// has taken its line.
#pragma once

#include <mutex>
#include <string>
#include <vector>

// What the debug window implements to receive lines.
class IDebugSink {
 public:
  virtual ~IDebugSink() = default;
  // Called on the writing thread; the line is DebugLogSlot(slot) and stays
  // there until the call returns.
  virtual void DebugLine(int slot) = 0;
};

// Appends one line to the debug log.
void DebugLog(const std::string& text);

// Attaches the debug window (null detaches it).
void AttachDebugSink(IDebugSink* sink);
// The text in a ring slot (0..99).
std::string DebugLogSlot(int slot);
// The window's "Clear": the write index goes back to slot 0.
void ResetDebugLog();

// Collects every debug-log line while it lives; tests and diagnostics use it.
class DebugLogRecorder : public IDebugSink {
 public:
  DebugLogRecorder();
  ~DebugLogRecorder() override;
  DebugLogRecorder(const DebugLogRecorder&) = delete;
  DebugLogRecorder& operator=(const DebugLogRecorder&) = delete;

  void DebugLine(int slot) override;
  std::vector<std::string> Lines() const;
  void Clear();

 private:
  mutable std::mutex lock_;
  std::vector<std::string> lines_;
  IDebugSink* previous_;
};
