// The undo property over the real desktop and identity items: loading a
// settings file saved on any kind of machine and undoing the load leaves the
// target as it was.
//
// What a load changes that undo cannot take back, by design, is kept out of
// the targets here and pinned by its own tests: every load switches the
// screen saver on, keys a load adds to control.ini stay (undo takes away
// registry values and files, not INI keys), and a target whose saved
// wallpaper or screen saver file is missing is captured as having none.
// Leaving a domain does not take back the trust that joining it recorded.
#include <random>

#include "config/cat_config.h"
#include "config/options.h"
#include "engine/program.h"
#include "engine/run_report.h"
#include "engine/runs.h"
#include "undo/undo_manager.h"
#include "engine/status.h"
#include "platform/profiles.h"
#include "platform/system_parameters.h"
#include "registry/reg_utils.h"
#include "support/memory_fixture.h"
#include "support/property_rounds.h"
#include "support/streams.h"
#include "support/undo_round.h"

namespace qv::test {
namespace {

constexpr const char* kDesktop = "Control Panel\\Desktop";
constexpr const char* kVnetsup = "System\\CurrentControlSet\\Services\\VxD\\VNETSUP";
const char* const kItems[] = {"Wallpaper",     "Pattern",          "Screen saver",
                              "Power",         "Computer Name",    "WorkGroup/Domain",
                              "Computer Description"};

class UndoItemsProperty : public ::testing::TestWithParam<OSKind> {};

void PutFile(const std::string& path, const std::string& text) {
  IFiles& files = CurrentMachine().Files();
  files.MakeFolder(path.substr(0, path.find_last_of('\\')));
  FileHandle h;
  ASSERT_EQ(files.Open(path, FileAccess::Write, Disposition::CreateAlways, 0, h), err::Success);
  std::uint32_t done;
  files.Write(h, text.data(), static_cast<std::uint32_t>(text.size()), done);
  files.Close(h);
}

std::string Folder(bool system) {
  std::string folder;
  if (system)
    CurrentMachine().System().SystemFolder(folder);
  else
    CurrentMachine().System().WindowsFolder(folder);
  return folder;
}

// Random desktop and identity state on the current machine.
void Randomize(std::mt19937& rng, const char* tag, bool target) {
  IProfiles& ini = *CurrentMachine().Profiles();
  ISystemParameters& spi = *CurrentMachine().SystemParameters();

  if (Coin(rng)) {
    const std::string bitmap = "C:\\Pictures\\" + Pick(rng, {"sea.bmp", "hill.bmp"});
    PutFile(bitmap, std::string("BM ") + tag);
    // As the control panel sets it: the system's wallpaper and its settings.
    spi.ParameterText(spi::SetDeskWallpaper, 0, &bitmap, spif::UpdateIniFile);
    UTLSetRegString(hkey::CurrentUser, kDesktop, "TileWallpaper", Pick(rng, {"0", "1"}));
    if (Coin(rng)) UTLSetRegString(hkey::CurrentUser, kDesktop, "WallpaperStyle", Pick(rng, {"0", "2"}));
    if (Coin(rng)) UTLSetRegString(hkey::CurrentUser, kDesktop, "WallpaperOriginX", "4");
  }
  if (Coin(rng)) {
    const std::string pattern = Pick(rng, {"(None)", "170 85 170 85 170 85 170 85", tag});
    ini.WriteWinIniValue("Desktop", "Pattern", pattern);
    spi.ParameterText(spi::SetDeskPattern, 0, &pattern, spif::UpdateIniFile);
  }

  // Screen saver: a file in the system folder, or none.
  if (Coin(rng)) {
    const std::string saver = Folder(true) + "\\" + Pick(rng, {"Mystify.scr", "Marquee.scr"});
    PutFile(saver, "MZ");
    ini.WriteProfileValue("system.ini", "boot", "SCRNSAVE.EXE", saver);
  }
  spi.Parameter(spi::SetScreenSaveTimeout, Coin(rng) ? 600 : 90, nullptr, spif::UpdateIniFile);
  // Targets hold every saver key a source may bring (see above).
  for (const char* section : {"Screen Saver.Marquee", "Screen Saver.Mystify"})
    for (const char* key : {"Speed", "Text"})
      if (target || Coin(rng)) ini.WriteProfileValue("control.ini", section, key, Pick(rng, {"1", "2", tag}));
  if (Coin(rng)) {
    const bool secure = Coin(rng);
    UTLSetRegString(hkey::CurrentUser, kDesktop, "ScreenSaverIsSecure", secure ? "1" : "0");
    UTLSetRegDWORD(hkey::CurrentUser, kDesktop, "ScreenSaveUsePassword", secure ? 1 : 0);
    const std::uint8_t data[] = {0x10, static_cast<std::uint8_t>(rng()), 0x00, 0x33};
    if (secure && Coin(rng)) UTLSetRegBinary(hkey::CurrentUser, kDesktop, "ScreenSave_Data", data, sizeof data);
  }

  spi.Parameter(spi::SetLowPowerActive, Coin(rng), nullptr, spif::UpdateIniFile);
  spi.Parameter(spi::SetLowPowerTimeout, Coin(rng) ? 900 : 75, nullptr, spif::UpdateIniFile);
  spi.Parameter(spi::SetPowerOffActive, Coin(rng), nullptr, spif::UpdateIniFile);
  spi.Parameter(spi::SetPowerOffTimeout, Coin(rng) ? 1800 : 45, nullptr, spif::UpdateIniFile);

  if (Coin(rng)) UTLSetRegString(hkey::LocalMachine, kVnetsup, "Comment", std::string("Desk of ") + tag);
  if (Coin(rng)) UTLSetRegString(hkey::LocalMachine, kVnetsup, "WorkGroup", Pick(rng, {"SALES", "LAB", tag}));
}

TEST_P(UndoItemsProperty, LoadThenUndoLeavesAnyMachineAsItWas) {
  const OSKind kind = GetParam();
  EachRound(kind, PropertyRounds(20), [&](auto& rng, auto& source, auto& target) {
    source.SetComputerName(Pick(rng, {"ALPHA", "BRAVO", "CHARLIE"}));
    target.SetComputerName(Pick(rng, {"DELTA", "ECHO"}));
    // Windows NT workgroups (a domain join leaves its trust behind: see
    // the membership tests).
    source.SetMembership(Pick(rng, {"WORKGROUP", "SALES", "LAB"}), {});
    target.SetMembership(Pick(rng, {"WORKGROUP", "SALES", "HOTEL"}), {});
    auto differences = LoadThenUndo(
        source, target,
        [&] {
          Randomize(rng, "source", false);
          for (const char* item : kItems) {
            CurrentConfig().PersonalityItems.SetSelected(item, Coin(rng));
            CurrentConfig().ConnectivityItems.SetSelected(item, Coin(rng));
          }
        },
        [&] {
          Randomize(rng, "target", true);
          Options().CreateBackup = Coin(rng);
        });
    EXPECT_EQ(differences, std::vector<std::string>{});
  }, 104729u);
}

INSTANTIATE_TEST_SUITE_P(Kinds, UndoItemsProperty, ::testing::Values(okWin95, okWin98, okWinNT),
                         [](const auto& info) { return std::to_string(info.param); });

}  // namespace
}  // namespace qv::test
