// Helpers for the tests of the program's windows under Wine: a fixture that
// needs a display, a driver that acts on a modal window from another thread
// while the test's thread runs the window, and screenshots.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace qv::test {

// Whether windows can be created and shown (Wine has a display).
bool DisplayAvailable();

// Skips the test when no window can be created (Wine without a display).
class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override;
};

// The visible top-level window of this process with that caption, waiting
// up to `timeoutMs` for it to appear; null when it does not.
HWND WaitForWindow(const std::string& caption, int timeoutMs = 10000);
// The same for a dialog box (window class "#32770") only.
HWND WaitForDialog(const std::string& caption, int timeoutMs = 10000);
// Waits until `condition` holds, up to `timeoutMs`; whether it held.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 10000);

std::string TextOf(HWND window);
std::string ItemTextOf(HWND dialog, int id);
bool ItemVisible(HWND dialog, int id);
bool ItemEnabled(HWND dialog, int id);
// Clicks a button the way a person would, from any thread.
void Click(HWND dialog, int id);

// Acts on a dialog box that the test's thread is about to show modally:
// once a dialog with `caption` appears, `action` runs on the driver's own thread
// with its handle. When the window is still there after the action, the
// driver closes it, so a failing test never hangs.
class WindowDriver {
 public:
  WindowDriver(std::string caption, std::function<void(HWND)> action);
  ~WindowDriver();
  WindowDriver(const WindowDriver&) = delete;
  WindowDriver& operator=(const WindowDriver&) = delete;

  // Waits for the driver to finish; whether the window appeared.
  bool Join();

 private:
  std::thread thread_;
  std::atomic<bool> found_{false};
  bool joined_ = false;
};

// Fills in and confirms a common save-file dialog with that caption, from a
// driver thread; false when it does not appear.
bool AnswerSaveDialog(const std::string& caption, const std::string& fileName);

// Captures the window as it is on the screen into
// <screenshot folder>\<name>.bmp (the folder is QORVEL_SCREENSHOTS, else
// "screenshots" in the current folder); the picture must show more than
// one colour. Callable from any thread.
::testing::AssertionResult SaveScreenshot(HWND window, const std::string& name);

// A file in the temporary folder, removed first.
std::string FreshTempFile(const std::string& name);

// A drop as the shell makes it (DROPFILES, then the names, each ended by a
// zero, and one more); the window that receives it frees it.
HDROP MakeDrop(const std::vector<std::string>& names);
std::string ReadWholeFile(const std::string& path);

}  // namespace qv::test
