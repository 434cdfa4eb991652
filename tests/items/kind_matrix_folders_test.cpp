// The folder items saved on each kind of Windows and loaded on each kind,
// through the save and load runs: the shell folders sit in other places on
// Windows NT (the user's profile) than on Windows 95/98 (the Windows
// folder), and icon positions travel only between Windows 95/98 machines.
#include "config/cat_config.h"
#include "config/options.h"
#include "engine/run_report.h"
#include "engine/file_utils.h"
#include "engine/runs.h"
#include "items/personality/folder_settings.h"
#include "support/item_fixture.h"
#include "support/kind_round.h"

namespace qv::test {
namespace {

class FolderKindMatrix : public ::testing::TestWithParam<std::tuple<OSKind, OSKind, bool>> {};

std::string ShellFolder(MemoryMachine& m, const char* value) {
  MachineScope on(m);
  return GetShellFolder(hkey::CurrentUser, value);
}

TEST_P(FolderKindMatrix, FoldersMoveIntoTheTargetsOwnShellFolders) {
  auto [from, to, replace] = GetParam();
  const bool iconsMove = from != okWinNT && to != okWinNT;
  MemoryMachine source(from), target(to);
  const std::string menu = ShellFolder(source, "Start Menu");
  PutFile(source, menu + "\\Top.lnk", "top");
  {
    MachineScope on(source);
    ForceFolders(ShellFolder(source, "Programs") + "\\Accessories");
  }
  PutFile(source, ShellFolder(source, "Programs") + "\\Accessories\\Notes.lnk", "notes");
  PutFile(source, ShellFolder(source, "Startup") + "\\Run.lnk", "run");
  PutFile(source, ShellFolder(source, "SendTo") + "\\Floppy.lnk", "floppy");
  PutFile(source, ShellFolder(source, "Desktop") + "\\Plan.txt", "plan");
  source.SetDesktopIcons({{"My Computer", {40, 40}}, {"Plan", {300, 200}}});

  const std::string targetDesktop = ShellFolder(target, "Desktop");
  const std::string targetMenu = ShellFolder(target, "Start Menu");
  PutFile(target, targetDesktop + "\\Stray.txt", "stray");
  PutFile(target, targetMenu + "\\Mine.lnk", "mine");
  PutFile(target, ShellFolder(target, "SendTo") + "\\Mine.lnk", "mine");

  KindRound run;
  ASSERT_EQ(run.Save(source, {"Start Menu", "SendTo menu", "Desktop Icons"}), SETTINGS_OK);
  run.Enter(target);
  Options().ReplaceStartMenu = replace;
  Options().ReplaceDesktop = replace;
  ASSERT_EQ(run.Load(target), SETTINGS_OK);

  EXPECT_EQ(FileText(target, targetMenu + "\\Top.lnk"), "top");
  EXPECT_EQ(FileText(target, ShellFolder(target, "Programs") + "\\Accessories\\Notes.lnk"), "notes");
  EXPECT_EQ(FileText(target, ShellFolder(target, "Startup") + "\\Run.lnk"), "run");
  EXPECT_EQ(FileText(target, ShellFolder(target, "SendTo") + "\\Floppy.lnk"), "floppy");
  EXPECT_EQ(FileText(target, targetDesktop + "\\Plan.txt"), "plan");
  EXPECT_TRUE(run.reported("Creating " + targetDesktop + "\\Plan.txt"));
  // Replace or merge: the Start Menu and the Desktop follow the answer, the
  // SendTo folder always merges.
  EXPECT_EQ(FileText(target, targetDesktop + "\\Stray.txt"), replace ? "<missing>" : "stray");
  EXPECT_EQ(FileText(target, targetMenu + "\\Mine.lnk"), replace ? "<missing>" : "mine");
  EXPECT_EQ(FileText(target, ShellFolder(target, "SendTo") + "\\Mine.lnk"), "mine");
  EXPECT_EQ(run.reported("File " + targetDesktop + "\\Stray.txt has been moved to the RecycleBin"),
            replace);
  EXPECT_EQ(target.RecycleBin().size(), replace ? 2u : 0u);

  Point plan{-1, -1}, computer{-1, -1};
  for (const DesktopIcon& icon : target.DesktopIcons()) {
    if (icon.label == "Plan") plan = icon.position;
    if (icon.label == "My Computer") computer = icon.position;
  }
  EXPECT_EQ(computer == (Point{40, 40}), iconsMove);
  // On Windows 95/98 the new file's icon appears while the load waits for
  // it and is placed; Windows NT places no icons.
  if (to != okWinNT) {
    EXPECT_EQ(plan == (Point{300, 200}), iconsMove);
  }
}

INSTANTIATE_TEST_SUITE_P(AllKinds, FolderKindMatrix,
                         ::testing::Combine(::testing::Values(okWin95, okWin98, okWinNT),
                                            ::testing::Values(okWin95, okWin98, okWinNT),
                                            ::testing::Bool()));

}  // namespace
}  // namespace qv::test
