// The undo property over the printers item: undoing a load removes every
// file the load created (driver files, monitor DLLs, separator pages).
//
// By design the undo manager never captures printers, so the printers,
// drivers and monitors a load installs stay installed after undo (with the
// registry entry the spooler keeps for a monitor): those differences are
// the only ones allowed here, and they are pinned exactly. A file the load
// replaced keeps its new contents (pinned below as well).
#include <algorithm>
#include <random>
#include <set>

#include "config/cat_config.h"
#include "config/options.h"
#include "engine/program.h"
#include "engine/status.h"
#include "support/printer_setup.h"
#include "support/property_rounds.h"
#include "support/undo_round.h"

namespace qv::test {
namespace {

class UndoPrintersProperty : public ::testing::TestWithParam<OSKind> {};

TEST_P(UndoPrintersProperty, UndoRemovesTheFilesAndLeavesOnlyTheInstalledPrinters) {
  const OSKind kind = GetParam();
  TRecordingStatus status;
  StatusScope statusScope(status);
  const unsigned rounds = PropertyRounds(12);
  for (unsigned seed = 1; seed <= rounds; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed * 7919u + static_cast<unsigned>(kind));
    const OSKind from = Coin(rng) ? kind : static_cast<OSKind>(rng() % 3);
    MemoryMachine source(from), target(kind);
    std::vector<std::string> expected;
    const bool same = from == kind;

    // Source: one or two drivers, a monitor maybe, up to three printers.
    DriverSetup laser;
    const bool monitor = Coin(rng);
    if (monitor) {
      InstallMonitor(source, "Harbour Port", "HPMON.DLL", 2);
      laser.monitor = "Harbour Port";
    }
    InstallDriver(source, laser);
    DriverSetup jet;
    jet.name = "Harbour Jet";
    jet.driver = "HJET.DRV";
    jet.config = "HJUI.DLL";
    jet.data = "HJET.PPD";
    jet.help = "";
    jet.dependents = {"HJFONTS.DAT", "HLFONTS.DAT"};  // one shared with the laser
    jet.helpers.clear();
    jet.imports = {"KERNEL32.DLL", "HLHELP.DLL"};
    const bool twoDrivers = Coin(rng);
    if (twoDrivers) {
      DriverSetup j = jet;
      j.help = "HJET.HLP";
      InstallDriver(source, j);
    }
    const int printers = static_cast<int>(rng() % 4);
    std::set<std::string> usedDrivers;
    for (int i = 0; i < printers; ++i) {
      const std::string driver = twoDrivers && Coin(rng) ? jet.name : laser.name;
      PrinterInfo p = Printer("Printer " + std::to_string(i), driver,
                              Pick(rng, {"LPT1:", "FILE:", "\\\\FAR\\AWAY"}));
      if (p.portName[0] == '\\') AddSpoolerPort(source, p.portName);
      if (Coin(rng)) {
        p.sepFile = SystemFolderOf(source) + "\\" + Pick(rng, {"PAGE.SEP", "PCL.SEP"});
        PutFile(source, p.sepFile, "separator " + std::to_string(seed));
      }
      InstallPrinter(source, p);
      usedDrivers.insert(driver);
      if (same) expected.push_back("spooler printer " + p.printerName + ": only in second");
    }
    if (same) {
      for (const std::string& d : usedDrivers)
        expected.push_back("spooler driver " + d + ": only in second");
      if (monitor && usedDrivers.count(laser.name))
        expected.push_back("spooler monitor Harbour Port: only in second");
    }

    // Target: some of the files there already, of a higher version.
    const std::string dir = DriverFolderOf(target) + "\\";
    if (Coin(rng)) PutFile(target, dir + "HLASER.DRV", PeImage({}, 0x00090000, 0));
    if (Coin(rng)) PutFile(target, dir + "HLHELP.DLL", PeImage({}, 0x00090000, 0));

    auto differences = LoadThenUndo(
        source, target,
        [&] { CurrentConfig().PersonalityItems.SetSelected("Printers", true); },
        [&] { Options().CreateBackup = Coin(rng); });
    // The spooler keeps its monitors in the registry too.
    std::vector<std::string> spooler;
    for (const std::string& d : differences)
      if (d.find("Print\\Monitors") == std::string::npos) spooler.push_back(d);
    std::sort(spooler.begin(), spooler.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(spooler, expected);
    // Nothing of the load's files is left.
    for (const char* f : {"HLASER.HLP", "HLASER.PPD", "HLUI.DLL", "HLFONTS.DAT", "HJET.DRV"})
      EXPECT_EQ(FileText(target, dir + f), "<missing>") << f;
    for (const char* f : {"PAGE.SEP", "PCL.SEP", "HPMON.DLL"})
      EXPECT_EQ(FileText(target, SystemFolderOf(target) + "\\" + f), "<missing>") << f;
  }
}

INSTANTIATE_TEST_SUITE_P(Kinds, UndoPrintersProperty, ::testing::Values(okWin95, okWin98, okWinNT),
                         [](const auto& info) { return std::to_string(info.param); });

TEST(UndoPrinters, AReplacedFileKeepsItsNewContentsAndThePrinterStays) {
  TRecordingStatus status;
  StatusScope statusScope(status);
  MemoryMachine source(okWinNT), target(okWinNT);
  InstallDriver(source, {});
  PrinterInfo p = Printer("Harbour Laser 1", "Harbour Laser");
  p.sepFile = SystemFolderOf(source) + "\\PAGE.SEP";
  PutFile(source, p.sepFile, "new page");
  InstallPrinter(source, p);
  const std::string targetSep = SystemFolderOf(target) + "\\PAGE.SEP";
  PutFile(target, targetSep, "old page");
  auto differences = LoadThenUndo(
      source, target, [&] { CurrentConfig().PersonalityItems.SetSelected("Printers", true); },
      [] {});
  EXPECT_EQ(FileText(target, targetSep), "new page");
  std::vector<PrinterInfo> list;
  EXPECT_NE(FindPrinter(target, "Harbour Laser 1", list), nullptr);
  EXPECT_TRUE(HasDriver(target, "Harbour Laser"));
  EXPECT_FALSE(differences.empty());
}

}  // namespace
}  // namespace qv::test
