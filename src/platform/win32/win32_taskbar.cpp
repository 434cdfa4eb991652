#include "platform/win32/win32_taskbar.h"

#include <windows.h>
#include <shellapi.h>

#include <cstring>
#include <set>

namespace qv {

namespace {

constexpr WPARAM kTaskbarProperties = 0x1019D;  // the taskbar's command for its dialog
constexpr int kAttempts = 7;
constexpr int kCloseAttempts = 11;
constexpr DWORD kDragWait = 1000;

HWND Tray() { return FindWindowA("Shell_TrayWnd", nullptr); }

int ScreenWidth() { return GetSystemMetrics(SM_CXSCREEN); }
int ScreenHeight() { return GetSystemMetrics(SM_CYSCREEN); }

std::string ClassOf(HWND window) {
  char name[256] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

std::string TextOf(HWND window) {
  char text[1024] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

BOOL CALLBACK AddTitle(HWND window, LPARAM list) {
  std::string title = TextOf(window);
  if (!title.empty()) reinterpret_cast<std::set<std::string>*>(list)->insert(title);
  return TRUE;
}

// The titles of the top-level windows that have one, sorted, once each.
std::set<std::string> Titles() {
  std::set<std::string> titles;
  EnumWindows(AddTitle, reinterpret_cast<LPARAM>(&titles));
  return titles;
}

BOOL CALLBACK AddChild(HWND window, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

bool SameText(const std::string& a, const std::string& b) {
  return a.size() == b.size() && CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(),
                                                static_cast<int>(a.size()), b.c_str(),
                                                static_cast<int>(b.size())) == CSTR_EQUAL;
}

void AskTaskbar(HWND tray) {
  DWORD_PTR answer = 0;
  SendMessageTimeoutA(tray, WM_COMMAND, kTaskbarProperties, 0, SMTO_ABORTIFHUNG, 5000, &answer);
}

// Lets this thread's windows and the system catch up for a while.
void Pump(DWORD milliseconds) {
  const DWORD start = GetTickCount();
  do {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(10);
  } while (GetTickCount() - start < milliseconds);
}

// The mouse to a screen point, as absolute input.
void MouseTo(POINT p) {
  const int cx = ScreenWidth(), cy = ScreenHeight();
  if (cx <= 0 || cy <= 0) return;
  mouse_event(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, static_cast<DWORD>(p.x * 0xFFFF / cx),
              static_cast<DWORD>(p.y * 0xFFFF / cy), 0, 0);
}

void Drag(POINT from, POINT to) {
  MouseTo(from);
  Pump(50);
  mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
  Pump(50);
  MouseTo(to);
  Pump(50);
  mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
}

// The edge a bar's rectangle lies on (appbar numbering).
int EdgeOf(const RECT& r) {
  if (r.top > 0) return appbar::Bottom;
  if (r.bottom < ScreenHeight()) return appbar::Top;
  if (r.right < ScreenWidth()) return appbar::Left;
  return appbar::Right;
}

// Waits at most a second for the bar's rectangle to leave `before`.
bool WaitForChange(HWND tray, const RECT& before) {
  const DWORD start = GetTickCount();
  do {
    Pump(100);
    RECT now{};
    if (!GetWindowRect(tray, &now)) return false;
    if (!EqualRect(&now, &before)) return true;
  } while (GetTickCount() - start < kDragWait);
  return false;
}

bool ClientEmpty(HWND tray) {
  RECT client{};
  return !GetClientRect(tray, &client) || IsRectEmpty(&client);
}

APPBARDATA BarData(HWND tray) {
  APPBARDATA data{};
  data.cbSize = sizeof data;
  data.hWnd = tray;
  return data;
}

Rect ToRect(const RECT& r) { return Rect{r.left, r.top, r.right, r.bottom}; }

}  // namespace

void Win32Taskbar::Log(const std::string& line) {
  std::lock_guard<std::mutex> g(logLock_);
  log_.push_back(line);
}

std::vector<std::string> Win32Taskbar::TakeTaskbarLog() {
  std::lock_guard<std::mutex> g(logLock_);
  std::vector<std::string> lines;
  lines.swap(log_);
  return lines;
}

bool Win32Taskbar::TaskbarExists() { return Tray() != nullptr; }

std::uint32_t Win32Taskbar::TaskbarState() {
  HWND tray = Tray();
  if (!tray) return 0;
  APPBARDATA data = BarData(tray);
  return static_cast<std::uint32_t>(SHAppBarMessage(ABM_GETSTATE, &data)) &
         (appbar::AutoHide | appbar::AlwaysOnTop);
}

bool Win32Taskbar::AutoHideBarOn(int edge) {
  APPBARDATA data = BarData(nullptr);
  data.uEdge = static_cast<UINT>(edge);
  return SHAppBarMessage(ABM_GETAUTOHIDEBAR, &data) != 0;
}

bool Win32Taskbar::TaskbarPosition(Rect& rect) {
  APPBARDATA data = BarData(Tray());
  if (SHAppBarMessage(ABM_GETTASKBARPOS, &data) != 1) return false;
  rect = ToRect(data.rc);
  return true;
}

WinError Win32Taskbar::TaskbarWindowRect(Rect& rect) {
  HWND tray = Tray();
  RECT r{};
  if (!tray || !GetWindowRect(tray, &r)) return err::InvalidWindowHandle;
  rect = ToRect(r);
  return err::Success;
}

WinError Win32Taskbar::TaskbarClientRect(Rect& rect) {
  HWND tray = Tray();
  RECT r{};
  if (!tray || !GetClientRect(tray, &r)) return err::InvalidWindowHandle;
  rect = ToRect(r);
  return err::Success;
}

bool Win32Taskbar::Reveal(bool putCursorBack) {
  HWND tray = Tray();
  if (!tray) return false;
  POINT saved{};
  GetCursorPos(&saved);
  APPBARDATA data = BarData(tray);
  const UINT state = static_cast<UINT>(SHAppBarMessage(ABM_GETSTATE, &data));
  const bool autoHide = (state & ABS_AUTOHIDE) != 0;
  const bool onTop = (state & ABS_ALWAYSONTOP) != 0;
  RECT r{};
  GetWindowRect(tray, &r);
  POINT at{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  if (autoHide) {
    const int cx = ScreenWidth(), cy = ScreenHeight();
    switch (EdgeOf(r)) {
      case appbar::Left: at = POINT{0, cy / 2}; break;
      case appbar::Top: at = POINT{cx / 2, 0}; break;
      case appbar::Right: at = POINT{cx - 1, cy / 2}; break;
      default: at = POINT{cx / 2, cy - 1}; break;
    }
  }
  MouseTo(at);
  MouseTo(at);
  if (!onTop) {
    SetForegroundWindow(tray);
    SHAppBarMessage(ABM_ACTIVATE, &data);
  }
  if (autoHide) {
    SHAppBarMessage(ABM_ACTIVATE, &data);
    const DWORD start = GetTickCount();
    while (ClientEmpty(tray) && GetTickCount() - start < kDragWait) Pump(20);
  }
  const bool shown = !ClientEmpty(tray);
  if (putCursorBack) SetCursorPos(saved.x, saved.y);
  return shown;
}

bool Win32Taskbar::RevealTaskbar() { return Reveal(true); }

bool Win32Taskbar::MoveTaskbar(int edge) {
  HWND tray = Tray();
  if (!tray || edge < appbar::Left || edge > appbar::Bottom) return false;
  POINT saved{};
  GetCursorPos(&saved);
  Reveal(false);
  RECT r{};
  GetWindowRect(tray, &r);
  const int cx = ScreenWidth(), cy = ScreenHeight();
  // A point of the bar's own surface (not one of its buttons): from the
  // centre along the long side.
  const bool horizontal = (r.right - r.left) >= (r.bottom - r.top);
  POINT grab{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  bool found = false;
  while (grab.x >= 0 && grab.x < cx && grab.y >= 0 && grab.y < cy) {
    if (WindowFromPoint(grab) == tray) {
      found = true;
      break;
    }
    if (horizontal)
      ++grab.x;
    else
      ++grab.y;
  }
  bool moved = false;
  if (found) {
    POINT target{};
    switch (edge) {
      case appbar::Left: target = POINT{10, cy / 2}; break;
      case appbar::Top: target = POINT{cx / 2, 10}; break;
      case appbar::Right: target = POINT{cx - 10, cy / 2}; break;
      default: target = POINT{cx / 2, cy - 10}; break;
    }
    Drag(grab, target);
    moved = WaitForChange(tray, r);
  }
  SetCursorPos(saved.x, saved.y);
  return moved;
}

bool Win32Taskbar::ResizeTaskbar(int thickness) {
  HWND tray = Tray();
  if (!tray) return false;
  POINT saved{};
  GetCursorPos(&saved);
  Reveal(false);
  RECT r{};
  GetWindowRect(tray, &r);
  const int cx = ScreenWidth(), cy = ScreenHeight();
  const int edge = EdgeOf(r);
  const bool across = edge == appbar::Left || edge == appbar::Right;
  const int change = thickness - (across ? r.right - r.left : r.bottom - r.top);
  bool sized = true;
  if (change != 0) {
    // One pixel inside the inner edge, at the middle of the screen, dragged
    // away from the screen's edge to grow the bar, towards it to shrink it.
    POINT grab{}, to{};
    switch (edge) {
      case appbar::Left: grab = POINT{r.right - 2, cy / 2}; to = POINT{grab.x + change, grab.y}; break;
      case appbar::Top: grab = POINT{cx / 2, r.bottom - 2}; to = POINT{grab.x, grab.y + change}; break;
      case appbar::Right: grab = POINT{r.left + 1, cy / 2}; to = POINT{grab.x - change, grab.y}; break;
      default: grab = POINT{cx / 2, r.top + 1}; to = POINT{grab.x, grab.y - change}; break;
    }
    Drag(grab, to);
    sized = WaitForChange(tray, r);
  }
  SetCursorPos(saved.x, saved.y);
  return sized;
}

bool Win32Taskbar::DialogStep(bool set, std::vector<TaskbarOption>& options) {
  HWND tray = Tray();
  if (!tray) return false;
  const std::set<std::string> before = Titles();
  AskTaskbar(tray);
  const std::string dialogClass = "#" + std::to_string(32770);
  for (int attempt = 1; attempt <= kAttempts; ++attempt) {
    const std::set<std::string> now = Titles();
    std::string title;
    for (const std::string& t : now) {
      if (before.count(t)) continue;
      Log("Not found : " + t);
      title = t;
    }
    if (now.size() != before.size() && !title.empty()) {
      HWND dialog = FindWindowA(nullptr, title.c_str());
      if (dialog && ClassOf(dialog) == dialogClass) {
        std::vector<HWND> children;
        EnumChildWindows(dialog, AddChild, reinterpret_cast<LPARAM>(&children));
        std::vector<TaskbarOption> found;
        for (HWND child : children) {
          if (ClassOf(child) != "Button") continue;
          if ((GetWindowLongA(child, GWL_STYLE) & 0x0F) != BS_AUTOCHECKBOX) continue;
          const std::string caption = TextOf(child);
          if (set) {
            bool checked = false;
            for (const TaskbarOption& o : options)
              if (SameText(o.caption, caption)) {
                checked = o.checked;
                break;
              }
            SendMessageA(child, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
          } else {
            found.push_back({caption, SendMessageA(child, BM_GETCHECK, 0, 0) == BST_CHECKED});
          }
        }
        if (!set) options = found;
      }
      for (int close = 1; close <= kCloseAttempts; ++close) {
        HWND open = FindWindowA(nullptr, title.c_str());
        if (!open) break;
        PostMessageA(open, WM_COMMAND, IDOK, 0);
        Log("Closing properties dialog..." + std::to_string(close));
        Sleep(100);
      }
      return true;
    }
    Log("Trying invokation again...");
    AskTaskbar(tray);
    Sleep(100);
  }
  Log("Failed");
  return false;
}

bool Win32Taskbar::ReadTaskbarOptions(std::vector<TaskbarOption>& options) {
  options.clear();
  return DialogStep(false, options);
}

bool Win32Taskbar::SetTaskbarOptions(const std::vector<TaskbarOption>& options) {
  std::vector<TaskbarOption> wanted = options;
  return DialogStep(true, wanted);
}

}  // namespace qv
