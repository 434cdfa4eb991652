#include "engine/debug_log.h"

#include <array>
#include <atomic>

namespace {

constexpr int kSlots = 100;

struct Ring {
  std::mutex lock;
  std::array<std::string, kSlots> slots;
  int writeIndex = 0;
};

Ring& TheRing() {
  static Ring ring;
  return ring;
}

std::atomic<IDebugSink*> g_sink{nullptr};

}  // namespace

void DebugLog(const std::string& text) {
  IDebugSink* sink = g_sink.load();
  if (!sink) return;
  Ring& ring = TheRing();
  int slot;
  {
    std::lock_guard g(ring.lock);
    slot = ring.writeIndex;
    ring.slots[slot] = text;
    ring.writeIndex = (ring.writeIndex + 1) % kSlots;
  }
  // Outside the lock: the window may take the line on another thread while
  // this one waits, and that thread may log too.
  sink->DebugLine(slot);
}

void AttachDebugSink(IDebugSink* sink) { g_sink.store(sink); }

std::string DebugLogSlot(int slot) {
  if (slot < 0 || slot >= kSlots) return std::string();
  Ring& ring = TheRing();
  std::lock_guard g(ring.lock);
  return ring.slots[slot];
}

void ResetDebugLog() {
  Ring& ring = TheRing();
  std::lock_guard g(ring.lock);
  ring.writeIndex = 0;
}

DebugLogRecorder::DebugLogRecorder() : previous_(g_sink.exchange(this)) {}

DebugLogRecorder::~DebugLogRecorder() { g_sink.store(previous_); }

void DebugLogRecorder::DebugLine(int slot) {
  std::string text = DebugLogSlot(slot);
  std::lock_guard g(lock_);
  lines_.push_back(std::move(text));
}

std::vector<std::string> DebugLogRecorder::Lines() const {
  std::lock_guard g(lock_);
  return lines_;
}

void DebugLogRecorder::Clear() {
  std::lock_guard g(lock_);
  lines_.clear();
}
