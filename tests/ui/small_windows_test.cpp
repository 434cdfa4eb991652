// The options dialog's, the report window's and the about box's logic.
#include <gtest/gtest.h>

#include "config/options.h"
#include "engine/program.h"
#include "support/ui_fixture.h"
#include "ui/logic/options_model.h"
#include "ui/logic/report_model.h"
#include "ui/logic/small_dialogs.h"

namespace qv::test {
namespace {

using SmallWindowsTest = UiLogicTest;
using OptionsResult = TOptionsModel::TAcceptResult;

TEST_F(SmallWindowsTest, OptionsDialogChecksTheFolderOnlyWhenBackingUp) {
  Options().CreateBackup = true;
  Options().BackupDir = "C:\\TEMP\\";
  TOptionsModel dialog(Options());
  EXPECT_TRUE(dialog.DoBackup());
  EXPECT_EQ(dialog.BackupDir(), "C:\\TEMP\\");
  EXPECT_TRUE(dialog.FolderControlsEnabled());

  dialog.SetBackupDir("C:\\Nowhere");
  EXPECT_EQ(dialog.Accept(), OptionsResult::MissingFolder);
  ASSERT_EQ(prompts().size(), 1u);
  EXPECT_EQ(prompts()[0].text, "Backup Directory C:\\Nowhere does not exist.");
  EXPECT_EQ(Options().BackupDir, "C:\\TEMP\\");  // nothing taken yet

  dialog.SetDoBackup(false);
  EXPECT_FALSE(dialog.FolderControlsEnabled());
  EXPECT_EQ(dialog.Accept(), OptionsResult::Accepted);
  EXPECT_FALSE(Options().CreateBackup);
  EXPECT_EQ(Options().BackupDir, "C:\\Nowhere");
  EXPECT_EQ(prompts().size(), 1u);

  ASSERT_EQ(files().MakeFolder("C:\\Backups"), err::Success);
  TOptionsModel again(Options());
  EXPECT_FALSE(again.DoBackup());
  again.SetDoBackup(true);
  again.SetBackupDir("C:\\Backups");  // the browser's choice
  EXPECT_EQ(again.Accept(), OptionsResult::Accepted);
  EXPECT_TRUE(Options().CreateBackup);
  EXPECT_EQ(Options().BackupDir, "C:\\Backups");
}

TEST_F(SmallWindowsTest, ReportWindowSavesItsLinesReplacingTheFile) {
  TReportModel report;
  report.SetLines({"first", "", "last"});
  EXPECT_EQ(report.Text(), "first\r\n\r\nlast");
  WriteFile("C:\\report.txt", "an older and longer report");
  ASSERT_TRUE(report.SaveToFile("C:\\report.txt"));
  EXPECT_EQ(ReadFile("C:\\report.txt"), "first\r\n\r\nlast\r\n");
  EXPECT_TRUE(prompts().empty());

  EXPECT_FALSE(report.SaveToFile("Q:\\missing\\report.txt"));
  ASSERT_EQ(prompts().size(), 1u);
  EXPECT_EQ(prompts()[0].caption, "Qorvel");
  EXPECT_EQ(prompts()[0].text.rfind("Cannot write Q:\\missing\\report.txt. ", 0), 0u);
}

TEST(AboutBox, VersionLineHasTwoBlanksBeforeTheBuild) {
  EXPECT_EQ(AboutVersionText(), "Version 1.00  Build 124");
}

TEST(QueryTexts, FileNamesLoseTheirFolderAndDrive) {
  EXPECT_EQ(FileNameOnly("C:\\Saves\\pc17.qrv"), "pc17.qrv");
  EXPECT_EQ(FileNameOnly("A:pc.qrv"), "pc.qrv");
  EXPECT_EQ(FileNameOnly("pc.qrv"), "pc.qrv");
}

}  // namespace
}  // namespace qv::test
