// The debug window under Wine: lines from any thread, in order and without
// limit, Clear, Save through its dialog, and where it shows itself.
#include "ui/win32/debug_form.h"

#include <gtest/gtest.h>

#include <thread>

#include "ui/win32/resource.h"
#include "ui/win32/window_test_support.h"

namespace qv::test {
namespace {

class DebugFormTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    if (IsSkipped()) return;
    ResetDebugLog();
    form_ = std::make_unique<TDebugForm>();
  }
  void TearDown() override { form_.reset(); }

  LRESULT Count() { return SendMessageA(form_->List(), LB_GETCOUNT, 0, 0); }
  LRESULT Selected() { return SendMessageA(form_->List(), LB_GETCURSEL, 0, 0); }

  // Lets the test's thread handle messages until `done` is set.
  void PumpUntil(std::atomic<bool>& done) {
    while (!done) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
      MSG msg;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
    }
  }

  std::unique_ptr<TDebugForm> form_;
};

TEST_F(DebugFormTest, IsCreatedHiddenWithItsListBox) {
  EXPECT_EQ(TextOf(form_->Handle()), "Debugging Information");
  EXPECT_FALSE(IsWindowVisible(form_->Handle()));
  EXPECT_EQ(GetDlgItem(form_->Handle(), IDC_lbDebug), form_->List());
  // The list box fills the window.
  RECT client, list;
  GetClientRect(form_->Handle(), &client);
  GetWindowRect(form_->List(), &list);
  EXPECT_EQ(list.right - list.left, client.right);
  EXPECT_EQ(list.bottom - list.top, client.bottom);
}

TEST_F(DebugFormTest, HiddenWindowCollectsLinesAndSelectsTheLast) {
  DebugLog("first line");
  DebugLog("second line");
  EXPECT_EQ(form_->Lines(), (std::vector<std::string>{"first line", "second line"}));
  EXPECT_EQ(Selected(), 1);
}

TEST_F(DebugFormTest, LinesFromAWorkerArriveInOrderBeyondTheRing) {
  std::atomic<bool> done{false};
  std::thread worker([&] {
    for (int i = 0; i < 250; ++i) DebugLog("line " + std::to_string(i));
    done = true;
  });
  PumpUntil(done);
  worker.join();
  std::vector<std::string> lines = form_->Lines();
  ASSERT_EQ(lines.size(), 250u);
  for (int i = 0; i < 250; ++i) EXPECT_EQ(lines[i], "line " + std::to_string(i));
  EXPECT_EQ(Selected(), 249);
}

TEST_F(DebugFormTest, ClearThenNewLinesStartFromTheTop) {
  for (int i = 0; i < 5; ++i) DebugLog("old " + std::to_string(i));
  SendMessageA(form_->Handle(), WM_COMMAND, IDM_DebugClear, 0);
  EXPECT_EQ(Count(), 0);
  DebugLog("new");
  EXPECT_EQ(form_->Lines(), std::vector<std::string>{"new"});
  // The ring starts again at its first slot.
  EXPECT_EQ(DebugLogSlot(0), "new");
}

TEST_F(DebugFormTest, SaveWritesTheLinesToTheChosenFile) {
  DebugLog("alpha");
  DebugLog("beta");
  std::string file = FreshTempFile("qorvel_debug_test.txt");
  bool answered = false;
  std::thread driver([&] { answered = AnswerSaveDialog("Save Debug Information", file); });
  SendMessageA(form_->Handle(), WM_COMMAND, IDM_DebugSave, 0);
  driver.join();
  ASSERT_TRUE(answered);
  EXPECT_EQ(ReadWholeFile(file), "alpha\r\nbeta\r\n");
  DeleteFileA(file.c_str());
}

TEST_F(DebugFormTest, ShownAtTheBottomOfTheScreenInTheMiddle) {
  for (int i = 0; i < 12; ++i) DebugLog("Debug line " + std::to_string(i));
  form_->Show();
  EXPECT_TRUE(IsWindowVisible(form_->Handle()));
  RECT r;
  GetWindowRect(form_->Handle(), &r);
  EXPECT_EQ(r.bottom, GetSystemMetrics(SM_CYSCREEN));
  int centre = (r.left + r.right) / 2;
  EXPECT_NEAR(centre, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
  EXPECT_TRUE(SaveScreenshot(form_->Handle(), "debug"));
  // Closing hides it; it goes on collecting.
  SendMessageA(form_->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_FALSE(IsWindowVisible(form_->Handle()));
  EXPECT_TRUE(IsWindow(form_->Handle()));
  DebugLog("after close");
  EXPECT_EQ(form_->Lines().back(), "after close");
}

TEST_F(DebugFormTest, LinesAreDroppedOnceTheWindowIsGone) {
  HWND list = form_->List();
  form_.reset();
  EXPECT_FALSE(IsWindow(list));
  DebugLog("nobody listens");  // must not reach a destroyed window
  SUCCEED();
}

}  // namespace
}  // namespace qv::test
