// The desktop and identity items saved on each kind of Windows and loaded on
// each kind, through the save and load runs.
#include "config/cat_config.h"
#include "engine/run_report.h"
#include "engine/runs.h"
#include <random>

#include "support/item_fixture.h"
#include "support/property_rounds.h"
#include "support/kind_round.h"

namespace qv::test {
namespace {

constexpr const char* kDesktop = "Control Panel\\Desktop";
constexpr const char* kVnetsup = "System\\CurrentControlSet\\Services\\VxD\\VNETSUP";
constexpr const char* kBitmap = "C:\\Pictures\\Harbour.bmp";

class ItemKindMatrix : public ::testing::TestWithParam<std::tuple<OSKind, OSKind>> {};


// A source with something to say for every item.
void Prepare(MemoryMachine& m) {
  MachineScope on(m);
  m.Files().MakeFolder("C:\\Pictures");
  PutFile(m, kBitmap, "BM harbour");
  std::string bitmap = kBitmap;
  ASSERT_TRUE(m.SystemParameters()->ParameterText(spi::SetDeskWallpaper, 0, &bitmap,
                                                  spif::UpdateIniFile));
  UTLSetRegString(hkey::CurrentUser, kDesktop, "WallpaperStyle", "2");
  std::string pattern = "0 80 114 32 0 5 39 2";
  ASSERT_TRUE(m.SystemParameters()->ParameterText(spi::SetDeskPattern, 0, &pattern,
                                                  spif::UpdateIniFile));
  IProfiles& ini = *m.Profiles();
  std::string system;
  m.System().SystemFolder(system);
  PutFile(m, system + "\\Flying.scr", "MZ");
  ini.WriteProfileValue("system.ini", "boot", "SCRNSAVE.EXE", system + "\\Flying.scr");
  ini.WriteProfileValue("control.ini", "Screen Saver.Flying", "Density", "25");
  m.SystemParameters()->Parameter(spi::SetScreenSaveTimeout, 300, nullptr, spif::UpdateIniFile);
  const std::uint8_t secret[] = {1, 2, 3, 4, 5};
  UTLSetRegBinary(hkey::CurrentUser, kDesktop, "ScreenSave_Data", secret, sizeof secret);
  UTLSetRegDWORD(hkey::CurrentUser, kDesktop, "ScreenSaveUsePassword", 1);
  UTLSetRegString(hkey::CurrentUser, kDesktop, "ScreenSaverIsSecure", "1");
  m.SystemParameters()->Parameter(spi::SetLowPowerTimeout, 1500, nullptr, spif::UpdateIniFile);
  m.SystemParameters()->Parameter(spi::SetLowPowerActive, 1, nullptr, spif::UpdateIniFile);
  UTLSetRegString(hkey::LocalMachine, kVnetsup, "Comment", "Harbour office");
  UTLSetRegString(hkey::LocalMachine, kVnetsup, "WorkGroup", "HARBOUR");
  m.SetMembership("HARBOUR", {});
  m.SetComputerName("HARBOURPC");
}

// Settings of the target's own, which the move replaces: a wallpaper,
// pattern, screen saver, power phases, name, membership and description.
void Scramble(MemoryMachine& m, std::mt19937& rng) {
  MachineScope on(m);
  auto pick = [&](std::initializer_list<const char*> options) {
    return std::string(*(options.begin() + rng() % options.size()));
  };
  m.Files().MakeFolder("C:\\Pictures");
  std::string bitmap = "C:\\Pictures\\" + pick({"Own.bmp", "Hill.bmp"});
  PutFile(m, bitmap, "BM own");
  m.SystemParameters()->ParameterText(spi::SetDeskWallpaper, 0, &bitmap, spif::UpdateIniFile);
  std::string pattern = pick({"(None)", "1 2 3 4 5 6 7 8"});
  m.SystemParameters()->ParameterText(spi::SetDeskPattern, 0, &pattern, spif::UpdateIniFile);
  std::string system;
  m.System().SystemFolder(system);
  const std::string saver = system + "\\" + pick({"Mystify.scr", "Marquee.scr"});
  PutFile(m, saver, "MZ");
  m.Profiles()->WriteProfileValue("system.ini", "boot", "SCRNSAVE.EXE", saver);
  m.SystemParameters()->Parameter(spi::SetScreenSaveTimeout, rng() % 2 ? 60 : 900, nullptr,
                                  spif::UpdateIniFile);
  m.SystemParameters()->Parameter(spi::SetLowPowerTimeout, rng() % 2 ? 600 : 900, nullptr,
                                  spif::UpdateIniFile);
  m.SystemParameters()->Parameter(spi::SetLowPowerActive, rng() % 2, nullptr, spif::UpdateIniFile);
  if (rng() % 2) UTLSetRegString(hkey::LocalMachine, kVnetsup, "Comment", pick({"Mine", "Desk"}));
  m.SetMembership(pick({"WORKGROUP", "LAB"}), {});
  m.SetComputerName(pick({"OWNPC", "DESK7"}));
}

// One move from a source of kind `from` to a target of kind `to`; with
// `rng` the target first gets random settings of its own.
void MoveAcross(OSKind from, OSKind to, std::mt19937* rng) {
  const bool to9x = to != okWinNT, from9x = from != okWinNT;
  MemoryMachine source(from), target(to);
  Prepare(source);
  if (rng) Scramble(target, *rng);
  KindRound run;
  ASSERT_EQ(run.Save(source, {"Wallpaper", "Pattern", "Screen saver", "Power"},
                     {"Computer Name", "WorkGroup/Domain", "Computer Description"}),
            SETTINGS_OK);
  run.Enter(target);
  std::string targetSystem;
  target.System().SystemFolder(targetSystem);
  PutFile(target, targetSystem + "\\Flying.scr", "MZ");
  ASSERT_EQ(run.Load(target), SETTINGS_OK);

  // Wallpaper and pattern: everywhere.
  EXPECT_EQ(FileText(target, kBitmap), "BM harbour");
  EXPECT_EQ(UTLGetRegString(hkey::CurrentUser, kDesktop, "Wallpaper", ""), kBitmap);
  EXPECT_TRUE(run.reported("The wallpaper is stretched to fit the screen."));
  EXPECT_EQ(UTLGetRegString(hkey::CurrentUser, kDesktop, "Pattern", ""), "0 80 114 32 0 5 39 2");

  // Screen saver: found by its name in the target's system folder, and
  // set as the source named it.
  std::string sourceSystem;
  source.System().SystemFolder(sourceSystem);
  EXPECT_EQ(target.Profiles()->ReadProfileString("system.ini", "boot", "SCRNSAVE.EXE", "none"),
            sourceSystem + "\\Flying.scr");
  EXPECT_TRUE(run.reported("Screen saver set to " + sourceSystem + "\\Flying.scr"));
  EXPECT_EQ(target.Profiles()->ReadProfileString("control.ini", "Screen Saver.Flying", "Density", ""),
            "25");
  std::int32_t timeOut = 0;
  target.SystemParameters()->Parameter(spi::GetScreenSaveTimeout, 0, &timeOut, 0);
  EXPECT_EQ(timeOut, 300);
  EXPECT_TRUE(run.reported("Screen saver uses password protection"));
  std::uint8_t secret[8] = {};
  const std::uint32_t secretSize =
      UTLGetRegBinary(hkey::CurrentUser, kDesktop, "ScreenSave_Data", secret, sizeof secret);
  EXPECT_EQ(secretSize, from9x && from == to ? 5u : 0u);
  if (to9x)
    EXPECT_EQ(UTLGetRegDWORD(hkey::CurrentUser, kDesktop, "ScreenSaveUsePassword", 0), 1u);
  else
    EXPECT_EQ(UTLGetRegString(hkey::CurrentUser, kDesktop, "ScreenSaverIsSecure", ""), "1");

  // Power: Windows 98 alone of these has the phases.
  std::int32_t lowPower = 0;
  const bool powerMoves = from == okWin98 && to == okWin98;
  const bool targetHasPower =
      target.SystemParameters()->Parameter(spi::GetLowPowerTimeout, 0, &lowPower, 0);
  EXPECT_EQ(targetHasPower, to == okWin98);
  if (targetHasPower) {
    EXPECT_EQ(lowPower == 1500, powerMoves);
  }
  EXPECT_EQ(run.reported("Low Power Saving is activated after 25 minutes."), powerMoves);

  // Description and Windows 95/98 workgroup.
  if (to9x) {
    EXPECT_EQ(UTLGetRegString(hkey::LocalMachine, kVnetsup, "Comment", ""),
              from9x ? "Harbour office" : "");
    EXPECT_TRUE(run.reported("Computer Description : " + std::string(from9x ? "Harbour office" : "")));
  } else {
    EXPECT_TRUE(run.reported("Computer Description is not supported on Windows NT"));
  }
  // The workgroup, whichever way each kind keeps it, and the computer name
  // at the next start.
  if (to9x)
    EXPECT_EQ(UTLGetRegString(hkey::LocalMachine, kVnetsup, "WorkGroup", ""), "HARBOUR");
  else
    EXPECT_EQ(target.PrimaryDomain().name, "HARBOUR");
  EXPECT_TRUE(run.reported("WorkGroup     : HARBOUR"));
  EXPECT_TRUE(run.reported("Computer name : HARBOURPC"));
  target.Restart();
  std::string name;
  target.System().ComputerName(name);
  EXPECT_EQ(name, "HARBOURPC");
  EXPECT_TRUE(RestartRequired);
}

TEST_P(ItemKindMatrix, DesktopAndIdentityItemsMoveAsTheirKindsAllow) {
  auto [from, to] = GetParam();
  MoveAcross(from, to, nullptr);
  // Then onto targets with settings of their own (more in the soak runs).
  for (unsigned round = 1; round < PropertyRounds(2); ++round) {
    SCOPED_TRACE("random target " + std::to_string(round));
    std::mt19937 rng(round * 2654435761u + static_cast<unsigned>(from * 3 + to));
    MoveAcross(from, to, &rng);
  }
}

INSTANTIATE_TEST_SUITE_P(AllKinds, ItemKindMatrix,
                         ::testing::Combine(::testing::Values(okWin95, okWin98, okWinNT),
                                            ::testing::Values(okWin95, okWin98, okWinNT)));

}  // namespace
}  // namespace qv::test
