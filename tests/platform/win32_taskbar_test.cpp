// The taskbar procedures of the desktop port on real windows. Wine has no
// Taskbar Properties dialog (and under a bare display no visible taskbar),
// so the test plays the shell: a "Shell_TrayWnd" window on its own thread
// that opens a #32770 dialog with auto check boxes on WM_COMMAND 0x1019D,
// and that docks to the edge a drag ends at, or grows when its inner edge
// is dragged, as the shell's taskbar does.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "engine/debug_log.h"
#include "engine/program.h"
#include "items/personality/taskbar_settings.h"
#include "platform/win32/win32_taskbar.h"
#include "stream/connection.h"
#include "stream/source_info.h"
#include "support/streams.h"

namespace qv::test {
namespace {

struct Box {
  const char* caption;
  DWORD style;
  bool checked;
};

const Box kBoxes[] = {{"&Always on top", BS_AUTOCHECKBOX, true},
                      {"A&uto hide", BS_AUTOCHECKBOX, false},
                      {"Plain box", BS_CHECKBOX, true},  // not an auto check box
                      {"Show &Clock", BS_AUTOCHECKBOX, true},
                      {"Dock", BS_AUTORADIOBUTTON, false}};

// What the pretend shell is told and what it did.
struct Shell {
  std::atomic<int> commands{0};   // WM_COMMAND 0x1019D received
  int openAt = 1;                 // the command that opens the dialog (0: never)
  std::atomic<bool> okPressed{false};
  std::vector<bool> finalStates;  // the boxes when OK came
  HWND tray = nullptr;
  HWND dialog = nullptr;
  POINT down{};
  bool downOnInnerEdge = false;
};

Shell* shell = nullptr;
WNDPROC dialogDefault = nullptr;

LRESULT CALLBACK DialogProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_COMMAND && LOWORD(wp) == IDOK) {
    std::vector<bool> states;
    for (HWND c = GetWindow(w, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
      states.push_back(SendMessageA(c, BM_GETCHECK, 0, 0) == BST_CHECKED);
    shell->finalStates = states;
    shell->okPressed = true;
    DestroyWindow(w);
    shell->dialog = nullptr;
    return 0;
  }
  return CallWindowProcA(dialogDefault, w, m, wp, lp);
}

void OpenDialog() {
  HWND d = CreateWindowExA(0, "#32770", "Taskbar Properties", WS_POPUP | WS_VISIBLE | WS_CAPTION,
                           200, 200, 300, 220, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  int y = 10;
  for (const Box& b : kBoxes) {
    HWND c = CreateWindowExA(0, "Button", b.caption, WS_CHILD | WS_VISIBLE | b.style, 10, y, 250,
                             20, d, nullptr, GetModuleHandleA(nullptr), nullptr);
    SendMessageA(c, BM_SETCHECK, b.checked ? BST_CHECKED : BST_UNCHECKED, 0);
    y += 24;
  }
  CreateWindowExA(0, "Button", "OK", WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON, 10, y, 80, 24, d,
                  reinterpret_cast<HMENU>(IDOK), GetModuleHandleA(nullptr), nullptr);
  dialogDefault = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(d, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DialogProc)));
  shell->dialog = d;
}

void Dock(HWND w, int edge, int thickness) {
  const int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
  switch (edge) {
    case 0: SetWindowPos(w, nullptr, 0, 0, thickness, cy, SWP_NOZORDER); break;
    case 1: SetWindowPos(w, nullptr, 0, 0, cx, thickness, SWP_NOZORDER); break;
    case 2: SetWindowPos(w, nullptr, cx - thickness, 0, thickness, cy, SWP_NOZORDER); break;
    default: SetWindowPos(w, nullptr, 0, cy - thickness, cx, thickness, SWP_NOZORDER); break;
  }
}

int EdgeOf(HWND w, int& thickness) {
  RECT r;
  GetWindowRect(w, &r);
  const int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
  if (r.top > 0) { thickness = r.bottom - r.top; return 3; }
  if (r.bottom < cy) { thickness = r.bottom - r.top; return 1; }
  if (r.right < cx) { thickness = r.right - r.left; return 0; }
  thickness = r.right - r.left;
  return 2;
}

LRESULT CALLBACK TrayProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  switch (m) {
    case WM_COMMAND:
      if (wp == 0x1019D) {
        const int n = ++shell->commands;
        if (!shell->dialog && shell->openAt != 0 && n >= shell->openAt) OpenDialog();
        return 0;
      }
      break;
    case WM_LBUTTONDOWN: {
      SetCapture(w);
      GetCursorPos(&shell->down);
      RECT r;
      GetWindowRect(w, &r);
      int thickness = 0;
      const int edge = EdgeOf(w, thickness);
      const POINT p = shell->down;
      shell->downOnInnerEdge = (edge == 3 && p.y <= r.top + 2) || (edge == 1 && p.y >= r.bottom - 3) ||
                               (edge == 0 && p.x >= r.right - 3) || (edge == 2 && p.x <= r.left + 2);
      return 0;
    }
    case WM_LBUTTONUP: {
      ReleaseCapture();
      POINT up;
      GetCursorPos(&up);
      int thickness = 0;
      const int edge = EdgeOf(w, thickness);
      if (shell->downOnInnerEdge) {
        const int dx = up.x - shell->down.x, dy = up.y - shell->down.y;
        const int grow = edge == 3 ? -dy : edge == 1 ? dy : edge == 0 ? dx : -dx;
        Dock(w, edge, thickness + grow);
        return 0;
      }
      const int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
      const int distances[] = {up.x, up.y, cx - 1 - up.x, cy - 1 - up.y};
      const int nearest =
          static_cast<int>(std::min_element(std::begin(distances), std::end(distances)) - distances);
      Dock(w, nearest, thickness);
      return 0;
    }
  }
  return DefWindowProcA(w, m, wp, lp);
}

class Win32Taskbar : public ::testing::Test {
 protected:
  void Start(int openAt) {
    shell = &state_;
    state_.openAt = openAt;
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    thread_ = std::thread([this, ready] {
      WNDCLASSA wc{};
      wc.lpfnWndProc = TrayProc;
      wc.hInstance = GetModuleHandleA(nullptr);
      wc.lpszClassName = "Shell_TrayWnd";
      wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
      RegisterClassA(&wc);
      const int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
      state_.tray = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "Shell_TrayWnd", "",
                                    WS_POPUP | WS_VISIBLE, 0, cy - 30, cx, 30, nullptr, nullptr,
                                    GetModuleHandleA(nullptr), nullptr);
      threadId_ = GetCurrentThreadId();
      SetEvent(ready);
      MSG msg;
      while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
      if (state_.dialog) DestroyWindow(state_.dialog);
      DestroyWindow(state_.tray);
      UnregisterClassA("Shell_TrayWnd", GetModuleHandleA(nullptr));
    });
    WaitForSingleObject(ready, 10000);
    CloseHandle(ready);
  }
  void TearDown() override {
    if (thread_.joinable()) {
      PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
      thread_.join();
    }
    shell = nullptr;
  }
  static bool Has(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }

  Shell state_;
  std::thread thread_;
  DWORD threadId_ = 0;
  qv::Win32Taskbar desktop_;
};

TEST_F(Win32Taskbar, ReadsTheAutoCheckBoxesInDialogOrderAndClosesWithOk) {
  Start(1);
  ASSERT_TRUE(desktop_.TaskbarExists());
  std::vector<TaskbarOption> options;
  ASSERT_TRUE(desktop_.ReadTaskbarOptions(options));
  ASSERT_EQ(options.size(), 3u);
  EXPECT_EQ(options[0].caption, "&Always on top");
  EXPECT_TRUE(options[0].checked);
  EXPECT_EQ(options[1].caption, "A&uto hide");
  EXPECT_FALSE(options[1].checked);
  EXPECT_EQ(options[2].caption, "Show &Clock");
  EXPECT_TRUE(options[2].checked);
  const std::vector<std::string> log = desktop_.TakeTaskbarLog();
  EXPECT_TRUE(Has(log, "Not found : Taskbar Properties"));
  EXPECT_TRUE(Has(log, "Closing properties dialog...1"));
  EXPECT_FALSE(Has(log, "Closing properties dialog...2"));
  EXPECT_TRUE(state_.okPressed);
  EXPECT_EQ(FindWindowA(nullptr, "Taskbar Properties"), nullptr);
}

TEST_F(Win32Taskbar, SetsBoxesByCaptionWithoutCaseAndUnchecksTheOthers) {
  Start(1);
  ASSERT_TRUE(desktop_.SetTaskbarOptions({{"a&uto HIDE", true}, {"Show &Clock", false}}));
  ASSERT_TRUE(state_.okPressed);
  // Always on top, Auto hide, Plain box (left alone), Show Clock, Dock, OK.
  ASSERT_GE(state_.finalStates.size(), 5u);
  EXPECT_FALSE(state_.finalStates[0]);
  EXPECT_TRUE(state_.finalStates[1]);
  EXPECT_TRUE(state_.finalStates[2]);
  EXPECT_FALSE(state_.finalStates[3]);
}

TEST_F(Win32Taskbar, TriesTheCommandAgainUntilTheDialogAppears) {
  Start(3);
  std::vector<TaskbarOption> options;
  ASSERT_TRUE(desktop_.ReadTaskbarOptions(options));
  EXPECT_EQ(state_.commands, 3);
  const std::vector<std::string> log = desktop_.TakeTaskbarLog();
  EXPECT_EQ(std::count(log.begin(), log.end(), "Trying invokation again..."), 2);
  EXPECT_FALSE(Has(log, "Failed"));
}

TEST_F(Win32Taskbar, ADialogThatNeverAppearsFailsAfterSevenAttempts) {
  Start(0);
  std::vector<TaskbarOption> options{{"left over", true}};
  EXPECT_FALSE(desktop_.ReadTaskbarOptions(options));
  EXPECT_TRUE(options.empty());
  EXPECT_EQ(state_.commands, 8);  // the first command and seven more
  const std::vector<std::string> log = desktop_.TakeTaskbarLog();
  EXPECT_EQ(std::count(log.begin(), log.end(), "Trying invokation again..."), 7);
  EXPECT_EQ(log.back(), "Failed");
}

TEST_F(Win32Taskbar, DragsTheBarToAnEdgeAndItsInnerEdgeAndPutsTheCursorBack) {
  Start(1);
  SetCursorPos(123, 234);
  Rect before;
  ASSERT_EQ(desktop_.TaskbarWindowRect(before), err::Success);
  ASSERT_EQ(before.Height(), 30);
  Rect client;
  ASSERT_EQ(desktop_.TaskbarClientRect(client), err::Success);
  EXPECT_FALSE(client.IsEmpty());

  EXPECT_TRUE(desktop_.MoveTaskbar(appbar::Left));
  Rect now;
  desktop_.TaskbarWindowRect(now);
  EXPECT_EQ(now.left, 0);
  EXPECT_EQ(now.Width(), 30);
  EXPECT_EQ(now.Height(), GetSystemMetrics(SM_CYSCREEN));
  POINT cursor;
  GetCursorPos(&cursor);
  EXPECT_EQ(cursor.x, 123);
  EXPECT_EQ(cursor.y, 234);

  EXPECT_TRUE(desktop_.ResizeTaskbar(70));
  desktop_.TaskbarWindowRect(now);
  EXPECT_EQ(now.Width(), 70);
  EXPECT_TRUE(desktop_.ResizeTaskbar(70));  // nothing to change
  GetCursorPos(&cursor);
  EXPECT_EQ(cursor.x, 123);
  EXPECT_EQ(cursor.y, 234);
}

// The item on this system's own machine, against the same taskbar.
TEST_F(Win32Taskbar, TheItemSavesAndAppliesThroughTheRealProcedures) {
  Start(1);
  ProgramObjects program("");
  DebugLogRecorder log;
  SourceInfo().Gather();  // a file from a screen like this one
  const int cx = GetSystemMetrics(SM_CXSCREEN);
  TWriteMemoryConnection saved;
  saved.Initialize();
  {
    TTaskBarSettings item;
    ASSERT_TRUE(item.Write(saved));
  }
  EXPECT_EQ(*saved.GetComments(),
            (std::vector<std::string>{"Task bar settings : ", "&Always on top", "Show &Clock", "",
                                      "The Taskbar is on the bottom of the screen",
                                      "The taskbar is 30 pixels high and " + std::to_string(cx) +
                                          " pixels wide."}));
  const std::vector<std::string> logged = log.Lines();
  EXPECT_NE(std::find(logged.begin(), logged.end(), "Not found : Taskbar Properties"), logged.end());

  // A file that wants the bar on the left, 50 pixels wide, hiding itself.
  TWriteMemoryConnection wanted;
  wanted.Initialize();
  wanted.WriteInteger(2);
  wanted.WriteString("&Always on top");
  wanted.WriteInteger(0);
  wanted.WriteString("A&uto hide");
  wanted.WriteInteger(1);
  wanted.WriteInteger(appbar::Left);
  wanted.WriteInteger(GetSystemMetrics(SM_CYSCREEN));
  wanted.WriteInteger(50);
  auto reader = ReaderOf(wanted);
  state_.okPressed = false;
  {
    TTaskBarSettings item;
    ASSERT_TRUE(item.Read(*reader));
  }
  Rect now;
  ASSERT_EQ(desktop_.TaskbarWindowRect(now), err::Success);
  EXPECT_EQ(now.left, 0);
  EXPECT_EQ(now.Width(), 50);
  ASSERT_TRUE(state_.okPressed);
  ASSERT_GE(state_.finalStates.size(), 2u);
  EXPECT_FALSE(state_.finalStates[0]);
  EXPECT_TRUE(state_.finalStates[1]);
  EXPECT_NE(std::find(reader->GetComments()->begin(), reader->GetComments()->end(),
                      "The Taskbar is on the left screen edge"),
            reader->GetComments()->end());
}

}  // namespace
}  // namespace qv::test
