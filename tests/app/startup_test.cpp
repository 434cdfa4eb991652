// Start-up: exit codes of the whole program, when the options are stored,
// the first-run value and the debug-window decision.
#include "app/startup.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "app/app_windows.h"
#include "app/batch.h"
#include "config/options.h"
#include "platform/prompts.h"
#include "registry/reg_utils.h"
#include "support/memory_fixture.h"

namespace qv::test {
namespace {

class StartupTest : public MemoryMachineTest {
 protected:
  StartupTest() { AppWindows() = TAppWindows{}; }
  ~StartupTest() override { AppWindows() = TAppWindows{}; }

  int Run(const std::vector<std::string>& params) { return RunQorvel(params, kOptionsKey); }
  bool OptionsStored() {
    RegKey key = 0;
    if (machine().Registry().OpenKey(hkey::CurrentUser, kOptionsKey, RegAccess::Read, key) !=
        err::Success)
      return false;
    machine().Registry().CloseKey(key);
    return true;
  }
  std::uint32_t FirstRunValue() {
    return UTLGetRegDWORD(hkey::CurrentUser, kProgramKey, "FirstRun", 0);
  }
};

TEST_F(StartupTest, InteractiveStartShowsTheAboutBoxOnceAndStoresTheOptions) {
  int aboutBoxes = 0;
  std::vector<bool> mainWindows;
  AppWindows().ShowAbout = [&] { ++aboutBoxes; };
  AppWindows().RunMainWindow = [&](bool debug) { mainWindows.push_back(debug); };

  EXPECT_EQ(Run({}), kExitSuccess);
  EXPECT_EQ(aboutBoxes, 1);
  EXPECT_EQ(FirstRunValue(), 124u);
  EXPECT_EQ(mainWindows, std::vector<bool>{false});
  EXPECT_TRUE(OptionsStored());

  EXPECT_EQ(Run({}), kExitSuccess);
  EXPECT_EQ(aboutBoxes, 1);
  EXPECT_EQ(mainWindows.size(), 2u);

  // Without a user interface the session ends at once.
  AppWindows() = TAppWindows{};
  EXPECT_EQ(Run({}), kExitSuccess);
  EXPECT_TRUE(machine().ShownPrompts().empty());
}

TEST_F(StartupTest, BatchRunsNeverStoreTheOptionsAndTheirCodeIsTheOutcome) {
  EXPECT_EQ(Run({"-q"}), kExitSuccess);
  EXPECT_EQ(Run({"-"}), kExitSuccess);
  EXPECT_EQ(Run({"-c", "C:\\x.cfg", "-l", "C:\\missing", "-q"}), kExitFailed);
  EXPECT_FALSE(OptionsStored());
  EXPECT_EQ(FirstRunValue(), 0u) << "batch mode is not a first run";
  EXPECT_TRUE(machine().ShownPrompts().empty());
}

TEST_F(StartupTest, AnUnknownSwitchAsksForHelpAndEndsWithMinusOne) {
  int helps = 0;
  AppWindows().ShowCommandLineHelp = [&] { ++helps; };
  files().MakeFolder("C:\\work");
  EXPECT_EQ(Run({"-s", "C:\\work\\a", "-c", "C:\\x.cfg", "-x"}), kExitUnknownSwitch);
  EXPECT_EQ(helps, 1);
  EXPECT_EQ(ReadFile("C:\\work\\a.qrv"), "<missing>");  // no step ran
  EXPECT_FALSE(OptionsStored());

  AppWindows() = TAppWindows{};
  EXPECT_EQ(Run({"/?"}), kExitUnknownSwitch);
}

TEST_F(StartupTest, AnEscapedErrorIsShownAndEndsWithoutStoringTheOptions) {
  AppWindows().RunMainWindow = [](bool) { throw std::runtime_error("Out of window handles."); };
  EXPECT_EQ(Run({}), kExitFailed);
  EXPECT_FALSE(OptionsStored());

  std::vector<ShownPrompt> boxes = machine().ShownPrompts();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Out of window handles.");
  EXPECT_EQ(boxes[0].caption, "Qorvel");
  EXPECT_EQ(boxes[0].style, mb::Ok | mb::IconError);

  // A settings file whose header does not fit on the disk is a failed
  // save, not an escaped error: a quiet run shows no box, its report and
  // exit code tell.
  machine().ClearShownPrompts();
  machine().AddDrive('E', 8);
  files().MakeFolder("C:\\work");
  AppWindows() = TAppWindows{};
  EXPECT_EQ(Run({"-sE:\\a", "-q", "-rC:\\work\\r"}), kExitFailed);
  EXPECT_TRUE(machine().ShownPrompts().empty());
  EXPECT_NE(ReadFile("C:\\work\\r.txt").find("Insufficient disk space"), std::string::npos);
}

TEST_F(StartupTest, TheFirstRunValueMarksThisBuild) {
  EXPECT_TRUE(TakeFirstRun());
  EXPECT_EQ(FirstRunValue(), 124u);
  EXPECT_FALSE(TakeFirstRun());

  // An earlier build's mark, or a value of another type, counts as not run.
  UTLSetRegDWORD(hkey::CurrentUser, kProgramKey, "FirstRun", 123);
  EXPECT_TRUE(TakeFirstRun());
  EXPECT_FALSE(TakeFirstRun());
  UTLSetRegString(hkey::CurrentUser, kProgramKey, "FirstRun", "124");
  EXPECT_TRUE(TakeFirstRun());
  EXPECT_EQ(FirstRunValue(), 124u);
}

TEST_F(StartupTest, TheDebugWindowNeedsADebugFileHereOrShift) {
  files().MakeFolder("C:\\work");
  files().MakeFolder("C:\\other");
  ASSERT_EQ(files().SetCurrentFolder("C:\\work"), err::Success);
  EXPECT_FALSE(ShouldShowDebugWindow());

  files().MakeFolder("C:\\work\\DEBUGQRV");  // a folder does not count
  WriteFile("C:\\other\\DEBUGQRV", "");     // nor a file elsewhere
  EXPECT_FALSE(ShouldShowDebugWindow());

  ASSERT_EQ(files().SetCurrentFolder("C:\\other"), err::Success);
  EXPECT_TRUE(ShouldShowDebugWindow());

  ASSERT_EQ(files().SetCurrentFolder("C:\\work"), err::Success);
  machine().SetKeyDown(vk::Shift, true);
  EXPECT_TRUE(ShouldShowDebugWindow());
  machine().SetKeyDown(vk::Shift, false);
  machine().SetKeyDown(vk::Control, true);
  EXPECT_FALSE(ShouldShowDebugWindow());

  // The start-up passes the decision to the main window.
  std::vector<bool> shown;
  AppWindows().RunMainWindow = [&](bool debug) { shown.push_back(debug); };
  ASSERT_EQ(files().SetCurrentFolder("C:\\other"), err::Success);
  RunQorvel({}, kOptionsKey);
  EXPECT_EQ(shown, std::vector<bool>{true});
}

}  // namespace
}  // namespace qv::test
