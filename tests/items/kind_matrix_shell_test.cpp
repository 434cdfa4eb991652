// The shell and Active Desktop items saved on each kind of Windows and
// loaded on each kind, through the save and load runs.
#include "config/cat_config.h"
#include "engine/run_report.h"
#include "engine/runs.h"
#include "support/item_fixture.h"
#include "support/kind_round.h"

namespace qv::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr const char* kExplorer = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";
const std::string kCabinet = std::string(kExplorer) + "\\CabinetState";
const std::string kAdvanced = std::string(kExplorer) + "\\Advanced";

class ShellKindMatrix : public ::testing::TestWithParam<std::tuple<OSKind, OSKind>> {};

Bytes Value(const std::string& key, const char* name) {
  Bytes v(1024);
  v.resize(UTLGetRegBinary(hkey::CurrentUser, key, name, v.data(), 1024));
  return v;
}

// A source whose Explorer shows everything in separate windows, with the
// full path, and whose folders are all in Details with the status bar.
void Prepare(MemoryMachine& m) {
  MachineScope on(m);
  const Bytes cabinet{0x0C, 0, 2, 0, 0x3B, 1, 0, 0, 0x60, 0, 0, 0};
  UTLSetRegBinary(hkey::CurrentUser, kCabinet, "Settings", cabinet.data(), 12);
  if (m.Kind() == okWin98) {
    UTLSetRegDWORD(hkey::CurrentUser, kAdvanced, "Hidden", 1);
    UTLSetRegDWORD(hkey::CurrentUser, kAdvanced, "HideFileExt", 0);
  } else {
    Bytes state = Value(kExplorer, "ShellState");
    state.at(4) |= 0x03;
    UTLSetRegBinary(hkey::CurrentUser, kExplorer, "ShellState", state.data(),
                    static_cast<std::uint32_t>(state.size()));
  }
  for (const char* stream : {"0", "1"}) {
    const std::string key = std::string(kExplorer) + "\\Streams\\" + stream;
    Bytes cab = Value(key, "CabView");
    cab.at(44) = 4;
    cab.at(60) = 0x04;
    UTLSetRegBinary(hkey::CurrentUser, key, "CabView", cab.data(),
                    static_cast<std::uint32_t>(cab.size()));
  }
  if (m.Kind() == okWin98) {
    ActiveDesktopSetup desktop = m.ActiveDesktopNow();
    desktop.options.activeDesktop = true;
    DesktopComponent clock;
    clock.friendlyName = u"Clock";
    clock.source = u"C:\\WINDOWS\\Clock.htm";
    clock.checked = true;
    desktop.components.push_back(clock);
    m.SetActiveDesktop(desktop);
  }
}

TEST_P(ShellKindMatrix, ExplorerOptionsMoveAndTheActiveDesktopWhereBothHaveIt) {
  auto [from, to] = GetParam();
  MemoryMachine source(from), target(to);
  Prepare(source);
  KindRound run;
  ASSERT_EQ(run.Save(source, {"Shell", "Active Desktop"}), SETTINGS_OK);
  ASSERT_EQ(run.Load(target), SETTINGS_OK);

  // Explorer: the cabinet bits everywhere; the file options as the
  // target's kind keeps them.
  EXPECT_EQ(Value(kCabinet, "Settings").at(4) & 0x21, 0x21);
  if (to == okWin98) {
    EXPECT_EQ(UTLGetRegDWORD(hkey::CurrentUser, kAdvanced, "Hidden", 9), 1u);
    EXPECT_EQ(UTLGetRegDWORD(hkey::CurrentUser, kAdvanced, "HideFileExt", 9), 0u);
  } else {
    EXPECT_EQ(Value(kExplorer, "ShellState").at(4) & 0x03, 0x03);
  }
  for (const char* stream : {"0", "1"}) {
    const Bytes cab = Value(std::string(kExplorer) + "\\Streams\\" + stream, "CabView");
    EXPECT_EQ(cab.at(44), 4);
    EXPECT_EQ(cab.at(60) & 0x06, 0x04);
  }
  EXPECT_TRUE(run.reported("File views are browsed in separate windows"));
  EXPECT_TRUE(run.reported("The Full MS-DOS path is displayed in the title bar"));
  EXPECT_TRUE(run.reported("View type     : Details"));
  EXPECT_TRUE(RestartRequired);
  EXPECT_TRUE(run.reported("The system must be restarted for some settings to take effect."));

  // Active Desktop: Windows 98 alone of these has it.
  const ActiveDesktopSetup desktop = target.ActiveDesktopNow();
  if (from == okWin98 && to == okWin98) {
    EXPECT_TRUE(desktop.options.activeDesktop);
    ASSERT_EQ(desktop.components.size(), 1u);
    EXPECT_EQ(desktop.components[0].source, u"C:\\WINDOWS\\Clock.htm");
    EXPECT_TRUE(run.reported("1 Active Desktop components found."));
  } else {
    EXPECT_TRUE(desktop.components.empty());
  }
  EXPECT_EQ(run.reported("Components cannot be installed."), from == okWin98 && to != okWin98);
  EXPECT_EQ(run.reported("ActiveDesktop is not installed."), to != okWin98);
}

TEST_P(ShellKindMatrix, TheTaskbarMovesToTheSameEdgeAtTheTargetsScale) {
  auto [from, to] = GetParam();
  MachineSetup small{from};
  small.screenWidth = 800;
  small.screenHeight = 600;
  MemoryMachine source(small), target(to);
  TaskbarSetup bar;
  bar.edge = appbar::Top;
  bar.thickness = 28;
  bar.autoHide = true;
  bar.boxes[2].checked = true;
  source.SetTaskbar(bar);
  KindRound run;
  ASSERT_EQ(run.Save(source, {"Task bar"}), SETTINGS_OK);
  ASSERT_EQ(run.Load(target), SETTINGS_OK);
  const TaskbarSetup now = target.Taskbar();
  EXPECT_EQ(now.edge, appbar::Top);
  EXPECT_EQ(now.thickness, 35);  // 28 x 768 / 600
  EXPECT_TRUE(now.autoHide);
  EXPECT_TRUE(now.boxes[2].checked);
  EXPECT_TRUE(run.reported("The Taskbar is on the top of the screen"));
  EXPECT_TRUE(run.reported("The taskbar is 35 pixels high and 1024 pixels wide."));
}

INSTANTIATE_TEST_SUITE_P(AllKinds, ShellKindMatrix,
                         ::testing::Combine(::testing::Values(okWin95, okWin98, okWinNT),
                                            ::testing::Values(okWin95, okWin98, okWinNT)));

}  // namespace
}  // namespace qv::test
