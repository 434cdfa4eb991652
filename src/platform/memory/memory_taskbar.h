// The in-memory machine's taskbar: its place, size and states, the Taskbar
// Properties dialog's check boxes, and the mouse cursor the procedures
// that drag the bar move.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/desktop.h"
#include "platform/memory/memory_machine.h"

namespace qv::mem {

struct TaskbarState {
  TaskbarSetup setup;
  bool revealed = false;  // an auto-hidden bar is shown for the moment
  Point cursor{512, 384};
  std::vector<std::string> log;  // the procedures' diagnostic lines
};

// The taskbar operations of the desktop port on the machine's state, as
// the Win32 adapter's procedures end on a real desktop: the dialog that
// never appears is tried seven times, a bar on its edge needs no move, a
// locked bar does not follow drags, sizes stay between one pixel and half
// the screen, and the cursor is where it was after each procedure. An
// auto-hidden bar lies off the screen but for two pixels, with an empty
// client area, until it is revealed.
class MemoryTaskbar {
 public:
  explicit MemoryTaskbar(MemoryMachine::State& s) : s_(s) {}
  bool Exists();
  std::uint32_t State();
  bool AutoHideBarOn(int edge);
  bool Position(Rect& rect);
  WinError WindowRect(Rect& rect);
  WinError ClientRect(Rect& rect);
  bool Reveal();
  bool Move(int edge);
  bool Resize(int thickness);
  bool ReadOptions(std::vector<TaskbarOption>& options);
  bool SetOptions(const std::vector<TaskbarOption>& options);
  std::vector<std::string> TakeLog();

 private:
  Rect ShownRect();
  bool OpenDialog();
  void CloseDialog();

  MemoryMachine::State& s_;
};

void CompareTaskbars(const TaskbarState& a, const TaskbarState& b, std::vector<std::string>& out);

}  // namespace qv::mem
