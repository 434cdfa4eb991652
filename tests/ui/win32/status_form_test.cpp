// The status window under Wine: its controls, the worker's messages, Cancel,
// the close rules and the closing messages, with fake workers and with the
// real save run.
#include "ui/win32/status_form.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "engine/runs.h"
#include "platform/memory/memory_machine.h"
#include "stream/connection.h"
#include "support/engine_fixture.h"
#include "ui/win32/resource.h"
#include "ui/win32/window_test_support.h"

namespace qv::test {
namespace {

// What the runs do before they show the window (the save run's order).
void PrepareRun(TStatusForm& form, const std::string& caption, bool suppressed = false) {
  form.ResetForRun();
  form.SetMessagesSuppressed(suppressed);
  form.SetCaption(caption);
  form.ShowCancel(true);
  form.ShowProgressBar(false);
  form.SetCloseAutomatically(true);
}

class StatusFormTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    if (IsSkipped()) return;
    // A machine whose message boxes are recorded instead of shown.
    machine_ = std::make_unique<MemoryMachine>(okWinNT);
    scope_ = std::make_unique<MachineScope>(*machine_);
    form_ = std::make_unique<TStatusForm>();
  }
  void TearDown() override {
    form_.reset();
    scope_.reset();
    machine_.reset();
  }

  HWND window() { return form_->Handle(); }
  std::vector<std::string> boxes() {
    std::vector<std::string> texts;
    for (const ShownPrompt& p : machine_->ShownPrompts()) texts.push_back(p.text);
    return texts;
  }
  // Waits until the window is on the screen (from the worker's thread).
  bool Shown() { return WaitUntil([&] { return IsWindowVisible(window()) != FALSE; }); }

  std::unique_ptr<MemoryMachine> machine_;
  std::unique_ptr<MachineScope> scope_;
  std::unique_ptr<TStatusForm> form_;
};

TEST_F(StatusFormTest, IsCreatedHiddenWithItsControls) {
  EXPECT_FALSE(IsWindowVisible(window()));
  EXPECT_EQ(TextOf(window()), "Settings");
  EXPECT_EQ(ItemTextOf(window(), IDC_btClose), "Cancel");
  EXPECT_EQ(ItemTextOf(window(), IDC_txtProgress1), "");
  EXPECT_NE(GetDlgItem(window(), IDC_Animate1), nullptr);
  ASSERT_NE(GetDlgItem(window(), IDC_ProgressBar1), nullptr);
  EXPECT_FALSE(ItemVisible(window(), IDC_ProgressBar1));
  PBRANGE range{};
  SendDlgItemMessageA(window(), IDC_ProgressBar1, PBM_GETRANGE, FALSE,
                      reinterpret_cast<LPARAM>(&range));
  EXPECT_EQ(range.iLow, 0);
  EXPECT_EQ(range.iHigh, 100);
  // Fixed border with a system menu only.
  LONG_PTR style = GetWindowLongPtrA(window(), GWL_STYLE);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
}

TEST_F(StatusFormTest, ResetForRunHidesCancelAndClearsTheLine) {
  SetDlgItemTextA(window(), IDC_txtProgress1, "old text");
  form_->ShowCancel(true);
  form_->ResetForRun();
  EXPECT_FALSE(ItemVisible(window(), IDC_btClose));
  EXPECT_FALSE(form_->CanClose());
  EXPECT_EQ(ItemTextOf(window(), IDC_txtProgress1), "");
  EXPECT_EQ(form_->GetActionText(), "");
  EXPECT_FALSE(form_->CancelRequested());
  form_->ShowCancel(true);
  EXPECT_TRUE(ItemVisible(window(), IDC_btClose));
  EXPECT_TRUE(form_->CanClose());
}

TEST_F(StatusFormTest, SuccessfulRunShowsItsWorkAndClosesWithoutMessage) {
  HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                               nullptr, GetModuleHandleA(nullptr), nullptr);
  // The status window of a main window: a form owned by it.
  form_.reset();
  form_ = std::make_unique<TStatusForm>(owner);
  PrepareRun(*form_, "Saving current settings...");

  struct Seen {
    bool shown = false, ownerDisabled = false, cancelShown = false, barShown = false,
         screenshot = false;
    std::string caption, line;
    LRESULT position = -1;
  } seen;
  SETTINGS_RC result = form_->RunModal([&] {
    form_->SetActionText("Saving wallpaper...");
    seen.shown = Shown();
    seen.ownerDisabled = !IsWindowEnabled(owner);
    WaitUntil([&] { return ItemTextOf(window(), IDC_txtProgress1) == "Saving wallpaper..."; });
    seen.line = ItemTextOf(window(), IDC_txtProgress1);
    seen.caption = TextOf(window());
    seen.cancelShown = ItemVisible(window(), IDC_btClose);
    form_->ShowProgressBar(true);
    form_->SetProgress(40);
    WaitUntil([&] {
      return ItemVisible(window(), IDC_ProgressBar1) &&
             SendDlgItemMessageA(window(), IDC_ProgressBar1, PBM_GETPOS, 0, 0) == 40;
    });
    seen.barShown = ItemVisible(window(), IDC_ProgressBar1);
    seen.position = SendDlgItemMessageA(window(), IDC_ProgressBar1, PBM_GETPOS, 0, 0);
    seen.screenshot = SaveScreenshot(window(), "status");
    form_->PostFinished(true, SETTINGS_OK);
  });

  EXPECT_EQ(result, SETTINGS_OK);
  EXPECT_TRUE(seen.shown);
  EXPECT_TRUE(seen.ownerDisabled);
  EXPECT_EQ(seen.caption, "Saving current settings...");
  EXPECT_EQ(seen.line, "Saving wallpaper...");
  EXPECT_TRUE(seen.cancelShown);
  EXPECT_TRUE(seen.barShown);
  EXPECT_EQ(seen.position, 40);
  EXPECT_TRUE(seen.screenshot);
  EXPECT_EQ(form_->GetActionText(), "Done.");
  EXPECT_TRUE(form_->Finished());
  EXPECT_FALSE(IsWindowVisible(window()));
  EXPECT_TRUE(IsWindowEnabled(owner));
  EXPECT_TRUE(boxes().empty());
  form_.reset();
  DestroyWindow(owner);
}

TEST_F(StatusFormTest, CancelStopsTheRunAndSaysSo) {
  PrepareRun(*form_, "Saving current settings...");
  struct Seen {
    bool cancelled = false, disabled = false, stillCancelling = false;
    std::string button, buttonAfterSecondPress;
  } seen;
  SETTINGS_RC result = form_->RunModal([&] {
    Shown();
    Click(window(), IDC_btClose);
    seen.cancelled = WaitUntil([&] { return form_->CancelRequested(); });
    WaitUntil([&] { return ItemTextOf(window(), IDC_btClose) == "Cancelling"; });
    seen.button = ItemTextOf(window(), IDC_btClose);
    seen.disabled = !ItemEnabled(window(), IDC_btClose);
    // A second press does nothing: the button is disabled.
    SendMessageA(window(), WM_COMMAND, MAKEWPARAM(IDC_btClose, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(window(), IDC_btClose)));
    seen.buttonAfterSecondPress = ItemTextOf(window(), IDC_btClose);
    seen.stillCancelling = IsWindowVisible(window()) && !ItemEnabled(window(), IDC_btClose);
    form_->PostFinished(false, SETTINGS_CANCELLED);
  });
  EXPECT_EQ(result, SETTINGS_CANCELLED);
  EXPECT_TRUE(seen.cancelled);
  EXPECT_EQ(seen.button, "Cancelling");
  EXPECT_TRUE(seen.disabled);
  EXPECT_EQ(seen.buttonAfterSecondPress, "Cancelling");
  EXPECT_TRUE(seen.stillCancelling);
  EXPECT_EQ(boxes(), std::vector<std::string>{"Operation cancelled."});
  EXPECT_FALSE(IsWindowVisible(window()));
}

TEST_F(StatusFormTest, FailedRunSaysSoUnlessMessagesAreSuppressed) {
  PrepareRun(*form_, "Loading settings...");
  SETTINGS_RC result = form_->RunModal([&] {
    Shown();
    form_->PostFinished(false, SETTINGS_ERROR);
  });
  EXPECT_EQ(result, SETTINGS_ERROR);
  EXPECT_EQ(boxes(), std::vector<std::string>{
                         "Operation failed. View the Report for more information"});
  EXPECT_FALSE(ItemVisible(window(), IDC_Animate1));

  // A quiet load that fails: no box.
  machine_->ClearShownPrompts();
  PrepareRun(*form_, "Loading settings...", true);
  EXPECT_TRUE(ItemVisible(window(), IDC_Animate1) ||
              GetDlgItem(window(), IDC_Animate1) != nullptr);
  result = form_->RunModal([&] { form_->PostFinished(false, SETTINGS_ERROR); });
  EXPECT_EQ(result, SETTINGS_ERROR);
  EXPECT_TRUE(boxes().empty());
}

TEST_F(StatusFormTest, ClosingFromTheSystemMenuWhileWorkingCancelsAndWaitsForThisRun) {
  // An earlier run that succeeded.
  PrepareRun(*form_, "Saving current settings...");
  ASSERT_EQ(form_->RunModal([&] { form_->PostFinished(true, SETTINGS_OK); }), SETTINGS_OK);

  PrepareRun(*form_, "Loading settings...");
  std::atomic<bool> workerEnded{false};
  struct Seen {
    bool cancelled = false, visibleWhileStopping = false;
  } seen;
  SETTINGS_RC result = form_->RunModal([&] {
    Shown();
    PostMessageA(window(), WM_SYSCOMMAND, SC_CLOSE, 0);
    seen.cancelled = WaitUntil([&] { return form_->CancelRequested(); });
    // The run takes a while to stop: the window waits for it.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    seen.visibleWhileStopping = IsWindowVisible(window()) != FALSE;
    workerEnded = true;
    form_->PostFinished(false, SETTINGS_CANCELLED);
  });
  EXPECT_TRUE(workerEnded);
  EXPECT_EQ(result, SETTINGS_CANCELLED);
  EXPECT_TRUE(seen.cancelled);
  EXPECT_TRUE(seen.visibleWhileStopping);
  EXPECT_FALSE(IsWindowVisible(window()));
  EXPECT_EQ(boxes(), std::vector<std::string>{"Operation cancelled."});
}

TEST_F(StatusFormTest, ClosingFromTheSystemMenuIsRefusedWhileCancelIsHidden) {
  PrepareRun(*form_, "Restoring settings...");
  form_->ShowCancel(false);
  struct Seen {
    bool stillShown = false, cancelled = true, menuGreyed = false;
  } seen;
  SETTINGS_RC result = form_->RunModal([&] {
    Shown();
    UINT state = GetMenuState(GetSystemMenu(window(), FALSE), SC_CLOSE, MF_BYCOMMAND);
    seen.menuGreyed = state != static_cast<UINT>(-1) && (state & MF_GRAYED);
    PostMessageA(window(), WM_SYSCOMMAND, SC_CLOSE, 0);
    PostMessageA(window(), WM_CLOSE, 0, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    seen.stillShown = IsWindowVisible(window()) != FALSE;
    seen.cancelled = form_->CancelRequested();
    form_->PostFinished(true, SETTINGS_OK);
  });
  EXPECT_EQ(result, SETTINGS_OK);
  EXPECT_TRUE(seen.stillShown);
  EXPECT_FALSE(seen.cancelled);
  EXPECT_TRUE(seen.menuGreyed);
}

TEST_F(StatusFormTest, AnEarlierRunsEndMessageIsNotThisRunsResult) {
  PrepareRun(*form_, "Loading settings...");
  // A left-over end-of-run message of a successful run.
  PostMessageA(window(), WM_STATUS_FINISHED, 1, SETTINGS_OK);
  SETTINGS_RC result = form_->RunModal([&] {
    Shown();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    form_->PostFinished(false, SETTINGS_ERROR);
  });
  EXPECT_EQ(result, SETTINGS_ERROR);
}

TEST_F(StatusFormTest, AWorkerThatEndsWithoutItsMessageFails) {
  PrepareRun(*form_, "Saving current settings...");
  SETTINGS_RC result = form_->RunModal([] {});
  EXPECT_EQ(result, SETTINGS_ERROR);
  SETTINGS_RC thrown = form_->RunModal([] { throw std::runtime_error("disk gone"); });
  EXPECT_EQ(thrown, SETTINGS_ERROR);
}

TEST_F(StatusFormTest, FinishedWindowWithoutAutomaticCloseWaitsForItsButton) {
  form_->ResetForRun();
  form_->ShowCancel(true);
  form_->SetCloseAutomatically(false);
  struct Seen {
    std::string button;
    bool stayed = false;
  } seen;
  SETTINGS_RC result = form_->RunModal([&] {
    Shown();
    form_->PostFinished(true, SETTINGS_OK);
    WaitUntil([&] { return ItemTextOf(window(), IDC_txtProgress1) == "Done."; });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    seen.stayed = IsWindowVisible(window()) != FALSE;
    seen.button = ItemTextOf(window(), IDC_btClose);
    Click(window(), IDC_btClose);
  });
  EXPECT_EQ(result, SETTINGS_OK);
  EXPECT_TRUE(seen.stayed);
  EXPECT_EQ(seen.button, "Close");
  EXPECT_FALSE(IsWindowVisible(window()));
}

// The real save run drives the window: its caption and action texts, and a
// cancel from the system menu while an item is being saved.
class StatusFormRunTest : public EngineTest {
 protected:
  void SetUp() override {
    if (!DisplayAvailable()) GTEST_SKIP() << "no display: windows cannot be shown";
  }
};

// An item that waits, while it is saved, for the test to act on the window.
class WaitingItem : public TSettings {
 public:
  explicit WaitingItem(std::function<void()> whileSaving) : whileSaving_(std::move(whileSaving)) {}
  bool Write(TConnection& s) override {
    s.WriteInteger(7);
    whileSaving_();
    return true;
  }
  bool Read(TConnection&) override { return true; }

 private:
  std::function<void()> whileSaving_;
};

TEST_F(StatusFormRunTest, SaveRunCancelledFromTheSystemMenu) {
  TStatusForm form;
  StatusScope scope(form);
  std::string caption, line;
  ScopedSettingsItem wallpaper("Wallpaper", [&] {
    return std::make_unique<WaitingItem>([&] {
      WaitUntil([&] { return IsWindowVisible(form.Handle()) != FALSE; });
      WaitUntil([&] { return ItemTextOf(form.Handle(), IDC_txtProgress1) == "Saving wallpaper..."; });
      caption = TextOf(form.Handle());
      line = ItemTextOf(form.Handle(), IDC_txtProgress1);
      PostMessageA(form.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
      WaitUntil([&] { return form.CancelRequested(); });
    });
  });
  bool patternStarted = false;
  ScopedSettingsItem pattern("Pattern", [&] {
    return std::make_unique<WaitingItem>([&] { patternStarted = true; });
  });
  CurrentConfig().PersonalityItems.SetSelected("Wallpaper", true);
  CurrentConfig().PersonalityItems.SetSelected("Pattern", true);
  TWriteMemoryConnection stream;
  ASSERT_TRUE(stream.Initialize());
  SETTINGS_RC result = SaveSettings("C:\\pc.qrv", stream, false, false);
  EXPECT_EQ(result, SETTINGS_CANCELLED);
  EXPECT_EQ(caption, "Saving current settings...");
  EXPECT_EQ(line, "Saving wallpaper...");
  EXPECT_FALSE(IsWindowVisible(form.Handle()));
  // The run stopped after the wallpaper: the pattern was never started.
  EXPECT_FALSE(patternStarted);
}

TEST_F(StatusFormRunTest, SaveRunThroughTheWindowSucceeds) {
  TStatusForm form;
  StatusScope scope(form);
  UseFake("Colors", 5);
  TWriteMemoryConnection stream;
  ASSERT_TRUE(stream.Initialize());
  EXPECT_EQ(SaveSettings("C:\\pc.qrv", stream, false, false), SETTINGS_OK);
  EXPECT_TRUE(ReportHas("Saved Colors"));
  EXPECT_EQ(form.GetActionText(), "Done.");
  EXPECT_EQ(form.Caption(), "Saving current settings...");
  EXPECT_FALSE(IsWindowVisible(form.Handle()));
}

}  // namespace
}  // namespace qv::test
