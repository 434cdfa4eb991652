// The report window, the about box, the command-line help and the
// replace-or-merge question under Wine, shown modally and driven from a
// second thread as a person would.
#include "ui/win32/small_dialogs.h"

#include <gtest/gtest.h>

#include "app/app_windows.h"
#include "engine/program.h"
#include "engine/run_report.h"
#include "engine/status.h"
#include "ui/win32/app_ui.h"
#include "ui/win32/resource.h"
#include "ui/win32/status_form.h"
#include "ui/win32/window_test_support.h"

namespace qv::test {
namespace {

using SmallDialogsTest = WindowTest;

const std::vector<std::string> kReport = {
    "-------------------------------------------------------------------------------",
    "ZTR QRV - Qorvel",
    "",
    "Settings saved to : C:\\Temp\\pc17.qrv",
    "End of Report",
};

TEST_F(SmallDialogsTest, ReportShowsItsLinesAndCloses) {
  TReportDialog dialog;
  dialog.SetLines(kReport);
  struct Seen {
    std::string text, save, close;
    bool readOnly = false, screenshot = false, nothingSelected = false, closeFocused = false;
  } seen;
  WindowDriver driver("Report", [&](HWND window) {
    seen.text = ItemTextOf(window, IDC_memoContents);
    seen.save = ItemTextOf(window, IDC_btSave);
    seen.close = ItemTextOf(window, IDCANCEL);
    seen.readOnly = GetWindowLongPtrA(GetDlgItem(window, IDC_memoContents), GWL_STYLE) & ES_READONLY;
    // Close has the focus; the text is not selected.
    DWORD start = 0, end = 0;
    SendDlgItemMessageA(window, IDC_memoContents, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                        reinterpret_cast<LPARAM>(&end));
    seen.nothingSelected = start == end;
    seen.closeFocused = SendDlgItemMessageA(window, IDCANCEL, BM_GETSTATE, 0, 0) & BST_FOCUS;
    seen.screenshot = SaveScreenshot(window, "report");
    Click(window, IDCANCEL);
  });
  EXPECT_EQ(dialog.ShowModal(nullptr), IDCANCEL);
  ASSERT_TRUE(driver.Join());
  EXPECT_EQ(seen.text,
            "-------------------------------------------------------------------------------\r\n"
            "ZTR QRV - Qorvel\r\n\r\nSettings saved to : C:\\Temp\\pc17.qrv\r\nEnd of Report");
  EXPECT_EQ(seen.save, "&Save...");
  EXPECT_EQ(seen.close, "Close");
  EXPECT_TRUE(seen.readOnly);
  EXPECT_TRUE(seen.nothingSelected);
  EXPECT_TRUE(seen.closeFocused);
  EXPECT_TRUE(seen.screenshot);
}

TEST_F(SmallDialogsTest, ReportSaveWritesTheShownLines) {
  TReportDialog dialog;
  dialog.SetLines(kReport);
  std::string file = FreshTempFile("qorvel_report_test.txt");
  bool answered = false;
  WindowDriver driver("Report", [&](HWND window) {
    Click(window, IDC_btSave);
    answered = AnswerSaveDialog("Save Report", file);
    // Escape closes the window too.
    PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_EQ(dialog.ShowModal(nullptr), IDCANCEL);
  ASSERT_TRUE(driver.Join());
  ASSERT_TRUE(answered);
  EXPECT_EQ(ReadWholeFile(file),
            "-------------------------------------------------------------------------------\r\n"
            "ZTR QRV - Qorvel\r\n\r\nSettings saved to : C:\\Temp\\pc17.qrv\r\nEnd of Report\r\n");
  DeleteFileA(file.c_str());
}

TEST_F(SmallDialogsTest, AboutBoxShowsProductAndBuild) {
  TAboutForm form;
  struct Seen {
    std::string product, version, ok;
    bool screenshot = false;
  } seen;
  WindowDriver driver("ZTR Qorvel", [&](HWND window) {
    seen.product = ItemTextOf(window, IDC_ProductName);
    seen.version = ItemTextOf(window, IDC_Version);
    seen.ok = ItemTextOf(window, IDOK);
    seen.screenshot = SaveScreenshot(window, "about");
    PostMessageA(window, WM_COMMAND, IDCANCEL, 0);  // Escape
  });
  // OK is also the cancel button: Escape answers OK.
  EXPECT_EQ(form.ShowModal(nullptr), IDOK);
  ASSERT_TRUE(driver.Join());
  EXPECT_EQ(seen.product, "ZTR QRV - Qorvel");
  EXPECT_EQ(seen.version, "Version 1.00  Build 124");
  EXPECT_EQ(seen.ok, "OK");
  EXPECT_TRUE(seen.screenshot);
}

TEST_F(SmallDialogsTest, CommandLineHelpListsEverySwitchInOrder) {
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"-l <filename.qrv>", "Load settings from the given file"},
      {"-s <filename.qrv>", "Save settings to the given file"},
      {"-r <filename.txt>", "Generate report file"},
      {"-b <filename.qrv>", "Backup settings to the given file when loading new settings"},
      {"-c <filename.cfg>", "Use the specified configuration file when saving settings"},
      {"-a <filename.txt>", "List installed applications"},
      {"-q ", "Quiet mode - no prompts are given"},
  };
  TCmdLineForm form;
  std::vector<std::pair<std::string, std::string>> rows;
  bool okBelowRows = false, screenshot = false;
  WindowDriver driver("QRV Command line parameters", [&](HWND window) {
    RECT last{};
    for (int i = 0; GetDlgItem(window, IDC_CmdLineSwitch + i); ++i) {
      rows.emplace_back(ItemTextOf(window, IDC_CmdLineSwitch + i),
                        ItemTextOf(window, IDC_CmdLineMeaning + i));
      GetWindowRect(GetDlgItem(window, IDC_CmdLineMeaning + i), &last);
    }
    RECT ok;
    GetWindowRect(GetDlgItem(window, IDOK), &ok);
    RECT frame;
    GetWindowRect(window, &frame);
    okBelowRows = ok.top >= last.bottom && ok.bottom <= frame.bottom;
    screenshot = SaveScreenshot(window, "cmdline");
    PostMessageA(window, WM_COMMAND, IDCANCEL, 0);  // Escape
  });
  EXPECT_EQ(form.ShowModal(nullptr), IDOK);
  ASSERT_TRUE(driver.Join());
  EXPECT_EQ(rows, expected);
  EXPECT_TRUE(okBelowRows);
  EXPECT_TRUE(screenshot);
}

const char* const kStartMenuQuestion =
    "The file pc17.qrv contains a new Start Menu. Do you want to REPLACE or MERGE your existing "
    "StartMenu with the new one ?";

TEST_F(SmallDialogsTest, QueryShowsTheQuestionAndAnswersReplace) {
  TQueryForm form;
  form.SetQuestion(kStartMenuQuestion);
  form.SetReplace(false);
  struct Seen {
    std::string question, replace, merge;
    bool mergeChecked = false, replaceChecked = true, screenshot = false;
  } seen;
  WindowDriver driver("QRV Query", [&](HWND window) {
    seen.question = ItemTextOf(window, IDC_txtLabel);
    seen.replace = ItemTextOf(window, IDC_btReplace);
    seen.merge = ItemTextOf(window, IDC_btMerge);
    seen.mergeChecked = IsDlgButtonChecked(window, IDC_btMerge) == BST_CHECKED;
    seen.replaceChecked = IsDlgButtonChecked(window, IDC_btReplace) == BST_CHECKED;
    seen.screenshot = SaveScreenshot(window, "query");
    Click(window, IDC_btReplace);
    Click(window, IDOK);
  });
  EXPECT_EQ(form.ShowModal(nullptr), IDOK);
  ASSERT_TRUE(driver.Join());
  EXPECT_EQ(seen.question, kStartMenuQuestion);
  EXPECT_EQ(seen.replace, "&Replace");
  EXPECT_EQ(seen.merge, "&Merge");
  EXPECT_TRUE(seen.mergeChecked);
  EXPECT_FALSE(seen.replaceChecked);
  EXPECT_TRUE(seen.screenshot);
  EXPECT_TRUE(form.IsReplace());
}

TEST_F(SmallDialogsTest, QueryKeepsTheAnswerWhenCancelled) {
  TQueryForm form;
  form.SetQuestion("Question");
  form.SetReplace(true);
  EXPECT_TRUE(form.IsReplace());
  WindowDriver driver("QRV Query", [&](HWND window) {
    Click(window, IDC_btMerge);
    WaitUntil([&] { return IsDlgButtonChecked(window, IDC_btMerge) == BST_CHECKED; });
    Click(window, IDCANCEL);
  });
  EXPECT_EQ(form.ShowModal(nullptr), IDCANCEL);
  ASSERT_TRUE(driver.Join());
  EXPECT_FALSE(form.IsReplace());

  // Closing from the system menu is a cancel too.
  TQueryForm again;
  again.SetReplace(false);
  WindowDriver closer("QRV Query",
                      [&](HWND window) { PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0); });
  EXPECT_EQ(again.ShowModal(nullptr), IDCANCEL);
  ASSERT_TRUE(closer.Join());
  EXPECT_FALSE(again.IsReplace());
}

// The hooks start-up and the batch steps call.
class AppWindowsTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    saved_ = AppWindows();
  }
  void TearDown() override { AppWindows() = saved_; }
  TAppWindows saved_;
  ProgramObjects program_{""};
};

TEST_F(AppWindowsTest, HooksShowTheWindows) {
  InstallWin32Windows();
  ASSERT_TRUE(AppWindows().ShowAbout);
  ASSERT_TRUE(AppWindows().ShowCommandLineHelp);
  ASSERT_TRUE(AppWindows().ShowReport);
  ASSERT_TRUE(AppWindows().OpenStatusWindow);

  WindowDriver about("ZTR Qorvel", [](HWND window) { Click(window, IDOK); });
  AppWindows().ShowAbout();
  EXPECT_TRUE(about.Join());

  WindowDriver help("QRV Command line parameters", [](HWND window) { Click(window, IDOK); });
  AppWindows().ShowCommandLineHelp();
  EXPECT_TRUE(help.Join());

  WindowDriver report("Report", [](HWND window) { Click(window, IDCANCEL); });
  AppWindows().ShowReport();
  EXPECT_TRUE(report.Join());

  IRunStatus* before = &StatusWindow();
  {
    std::shared_ptr<void> window = AppWindows().OpenStatusWindow();
    auto* form = dynamic_cast<TStatusForm*>(&StatusWindow());
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(IsWindow(form->Handle()));
    EXPECT_EQ(TextOf(form->Handle()), "Settings");
  }
  EXPECT_EQ(&StatusWindow(), before);
}

}  // namespace
}  // namespace qv::test
