// Desktop port: the shell's desktop window with its icons, the taskbar, and
// the window-level calls the program makes to other programs (finding a
// window).
//
// Several operations stand for a whole procedure on the live desktop:
// reading and placing the desktop icons through the "QRV Listview" shared
// block, driving the Taskbar Properties dialog, dragging the taskbar with
// the mouse. The Win32 adapter carries the procedure out; the in-memory
// machine gives its observable result.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system_parameters.h"
#include "platform/win_types.h"

namespace qv {

// Error codes of the desktop operations (the values of winerror.h).
namespace err {
inline constexpr WinError InvalidWindowHandle = 1400;
}  // namespace err

// Screen edges (ABE_*) and application-bar states (ABS_*) of the taskbar.
namespace appbar {
inline constexpr int Left = 0;
inline constexpr int Top = 1;
inline constexpr int Right = 2;
inline constexpr int Bottom = 3;
inline constexpr std::uint32_t AutoHide = 0x01;
inline constexpr std::uint32_t AlwaysOnTop = 0x02;
}  // namespace appbar

// One item of the desktop list view: its label as the list view shows it
// and its position in the list view's client coordinates.
struct DesktopIcon {
  std::string label;
  Point position;
};

// One auto check box of the Taskbar Properties dialog.
struct TaskbarOption {
  std::string caption;  // as GetWindowText gives it, '&' included
  bool checked = false;
};

class IDesktop {
 public:
  virtual ~IDesktop() = default;

  // FindWindow(className, title) for a top-level window; an empty title
  // matches any title.
  virtual bool WindowExists(std::string_view className, std::string_view title = {}) = 0;
  // Sleep: used while the shell catches up with new desktop files. The
  // in-memory machine does not sleep.
  virtual void Wait(std::uint32_t milliseconds) = 0;

  // The desktop list view: the first "SysListView32" child of the first
  // "SHELLDLL_DefView" child of the "Progman" window titled "Program
  // Manager". False when any of the three is missing.
  virtual bool DesktopListViewExists() = 0;
  // UpdateWindow on those three windows (those that exist): the desktop
  // repaints what changed.
  virtual void RepaintDesktop() = 0;

  // The items below reach the desktop list view through the shared block,
  // which works on Windows 95/98 only; items call them only there (on
  // Windows NT the adapter may answer err::NotSupported). A missing list
  // view gives err::InvalidWindowHandle; a shared block that cannot be made
  // gives the system's code.
  //
  // LVM_GETITEMCOUNT + LVM_GETITEMA + LVM_GETITEMPOSITION for every item:
  // label (at most 259 characters) and position of each item in index
  // order, items with an empty label included.
  virtual WinError DesktopIcons(std::vector<DesktopIcon>& icons) = 0;
  // LVM_GETITEMCOUNT.
  virtual WinError DesktopIconCount(int& count) = 0;
  // LVM_FINDITEMA(-1, LVFI_STRING label): the index of the first item with
  // that label (compared without regard to case), or -1 when none has it.
  virtual WinError FindDesktopIcon(std::string_view label, int& index) = 0;
  // LVM_SETITEMPOSITION(index, MAKELPARAM(x, y)): each coordinate travels
  // as a 16-bit word.
  virtual WinError SetDesktopIconPosition(int index, Point position) = 0;
  // LVM_REDRAWITEMS from 0 to the item count.
  virtual WinError RedrawDesktopIcons() = 0;

  // FindWindow("Shell_TrayWnd", NULL) exists.
  virtual bool TaskbarExists() = 0;
  // SHAppBarMessage(ABM_GETSTATE): appbar::AutoHide and appbar::AlwaysOnTop
  // bits; 0 without a taskbar.
  virtual std::uint32_t TaskbarState() = 0;
  // SHAppBarMessage(ABM_GETAUTOHIDEBAR) for an edge: whether an auto-hide
  // bar is docked there.
  virtual bool AutoHideBarOn(int edge) = 0;
  // SHAppBarMessage(ABM_GETTASKBARPOS): the taskbar's rectangle; false when
  // the call does not answer 1.
  virtual bool TaskbarPosition(Rect& rect) = 0;
  // GetWindowRect / GetClientRect of the taskbar window. An auto-hidden bar
  // has an empty client area. err::InvalidWindowHandle without a taskbar.
  virtual WinError TaskbarWindowRect(Rect& rect) = 0;
  virtual WinError TaskbarClientRect(Rect& rect) = 0;
  // Shows an auto-hidden or covered taskbar by moving the mouse onto its
  // edge, bringing it to the foreground and activating it (ABM_ACTIVATE),
  // waiting at most 1000 ms; puts the mouse cursor back afterwards. True
  // when the bar's client area is no longer empty.
  virtual bool RevealTaskbar() = 0;
  // Drags the taskbar to a screen edge (appbar::Left ... appbar::Bottom)
  // with the mouse and waits at most 1000 ms for it to move; puts the mouse
  // cursor back. True when the bar's rectangle changed.
  virtual bool MoveTaskbar(int edge) = 0;
  // Drags the taskbar's inner edge so that its thickness (its width on the
  // left or right edge, its height on the top or bottom edge) becomes
  // `thickness` pixels, and waits at most 1000 ms; puts the mouse cursor
  // back. True when nothing had to change or the bar's rectangle changed.
  virtual bool ResizeTaskbar(int thickness) = 0;

  // Opens the Taskbar Properties dialog (WM_COMMAND 0x1019D to the
  // taskbar, tried up to seven times), reads its auto check boxes in dialog
  // order, and closes it with IDOK. False when there is no taskbar or the
  // dialog did not appear (for example because it was open already).
  virtual bool ReadTaskbarOptions(std::vector<TaskbarOption>& options) = 0;
  // The same dialog, setting each auto check box from the option whose
  // caption matches its own without regard to case (unchecked when none
  // does), then closing it with IDOK, which applies the boxes.
  virtual bool SetTaskbarOptions(const std::vector<TaskbarOption>& options) = 0;

  // --- Taskbar procedures' diagnostics ---------------------------------------
  // The diagnostic lines of the taskbar procedures above since the last
  // call ("Not found : <title>", "Trying invokation again...", "Failed",
  // "Closing properties dialog...<n>"), in order; the caller passes them to
  // the debug log. Taking them empties the list.
  virtual std::vector<std::string> TakeTaskbarLog() { return {}; }
};

}  // namespace qv
