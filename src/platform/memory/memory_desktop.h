// The in-memory machine's desktop: the shell's desktop window with its
// labelled icons, the taskbar, and the windows found by class and title.
#pragma once

#include <string>
#include <vector>

#include "platform/desktop.h"
#include "platform/memory/memory_machine.h"
#include "platform/memory/memory_taskbar.h"

namespace qv::mem {

struct DesktopState {
  // The shell runs: "Progman" / "Program Manager" with its list view.
  bool shell = true;
  // New entries of the desktop folder get their icon a moment after they
  // appear: the first wait or repaint that sees one notes it, the next one
  // lists it (below the other icons). Icons of entries that are gone
  // disappear at the next wait or repaint.
  bool listsNewFiles = true;
  std::vector<std::string> pending;  // entries seen once, upper case
  std::vector<DesktopIcon> icons;  // list-view order
  // For each icon, the desktop file it stands for (upper case), or "" for
  // an icon of no file (My Computer, the Recycle Bin).
  std::vector<std::string> iconFiles;
  // The system's code when the shared block cannot be made (0: it can).
  WinError blockError = 0;
  int waits = 0;      // Wait calls
  int redraws = 0;    // LVM_REDRAWITEMS
  int repaints = 0;   // RepaintDesktop
};

// The desktop port on the machine's state. The list-view operations work
// through the shared block only on Windows 95/98: on Windows NT they
// answer err::NotSupported. Positions travel as 16-bit words, as
// LVM_SETITEMPOSITION's MAKELPARAM carries them. The taskbar operations
// are the machine's taskbar (memory_taskbar.h).
class MemoryDesktop : public IDesktop {
 public:
  explicit MemoryDesktop(MemoryMachine::State& s) : s_(s), bar_(s) {}
  bool WindowExists(std::string_view className, std::string_view title) override;
  void Wait(std::uint32_t milliseconds) override;
  bool DesktopListViewExists() override;
  void RepaintDesktop() override;
  WinError DesktopIcons(std::vector<DesktopIcon>& icons) override;
  WinError DesktopIconCount(int& count) override;
  WinError FindDesktopIcon(std::string_view label, int& index) override;
  WinError SetDesktopIconPosition(int index, Point position) override;
  WinError RedrawDesktopIcons() override;
  bool TaskbarExists() override;
  std::uint32_t TaskbarState() override;
  bool AutoHideBarOn(int edge) override;
  bool TaskbarPosition(Rect& rect) override;
  WinError TaskbarWindowRect(Rect& rect) override;
  WinError TaskbarClientRect(Rect& rect) override;
  bool RevealTaskbar() override;
  bool MoveTaskbar(int edge) override;
  bool ResizeTaskbar(int thickness) override;
  bool ReadTaskbarOptions(std::vector<TaskbarOption>& options) override;
  bool SetTaskbarOptions(const std::vector<TaskbarOption>& options) override;
  std::vector<std::string> TakeTaskbarLog() override;

 private:
  WinError CheckListView();

  MemoryMachine::State& s_;
  MemoryTaskbar bar_;
};

// The desktop of a fresh machine.
void InitializeDesktop(MemoryMachine::State& state);
// Sets the icons; an icon whose label names a file of the desktop folder
// (the label followed by an extension, or the whole name) stands for it.
void PutDesktopIcons(MemoryMachine::State& state, const std::vector<DesktopIcon>& icons);
// Readable lines for the desktop differences between two states, as the
// desktops look once their shells have caught up with the desktop folders:
// icons of entries that are gone do not count, entries not listed yet
// count as icons in no particular place.
void CompareDesktops(MemoryMachine::State& a, MemoryMachine::State& b,
                     std::vector<std::string>& out);

}  // namespace qv::mem
