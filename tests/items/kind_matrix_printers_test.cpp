// Printers saved on each kind of Windows and loaded on each kind, through
// the save and load runs: installed only between machines of one kind, and
// the separator page written everywhere.
#include "config/cat_config.h"
#include "engine/run_report.h"
#include "engine/runs.h"
#include "support/item_fixture.h"
#include "support/kind_round.h"
#include "support/printer_setup.h"

namespace qv::test {
namespace {

class PrinterKindMatrix : public ::testing::TestWithParam<std::tuple<OSKind, OSKind>> {};

TEST_P(PrinterKindMatrix, PrintersInstallOnlyWithinAKind) {
  auto [from, to] = GetParam();
  const bool same = from == to;
  MemoryMachine source(from), target(to);
  DriverSetup setup;
  InstallMonitor(source, "Harbour Port", "HPMON.DLL");
  setup.monitor = "Harbour Port";
  InstallDriver(source, setup);
  const std::string sep = SystemFolderOf(source) + "\\HARBOUR.SEP";
  PutFile(source, sep, "separator");
  PrinterInfo printer = Printer("Harbour Laser 1", setup.name, "FILE:");
  printer.sepFile = sep;
  InstallPrinter(source, printer);
  AddSpoolerPort(source, "\\\\HARBOUR\\JET");
  InstallPrinter(source, Printer("Harbour Jet", setup.name, "\\\\HARBOUR\\JET"));

  KindRound run;
  ASSERT_EQ(run.Save(source, {"Printers"}), SETTINGS_OK);
  ASSERT_EQ(run.Load(target), SETTINGS_OK);

  std::vector<PrinterInfo> list;
  const PrinterInfo* laser = FindPrinter(target, "Harbour Laser 1", list);
  EXPECT_EQ(laser != nullptr, same);
  EXPECT_EQ(HasDriver(target, setup.name), same);
  EXPECT_EQ(HasMonitor(target, "Harbour Port"), same);
  EXPECT_EQ(run.reported("Printers will not be installed due to incompatible drivers."), !same);
  EXPECT_EQ(run.reported(std::string("Printer information is from a ") + OSKindName(from) +
                     " system."),
            !same);
  EXPECT_TRUE(run.reported(std::string(same ? "Installing" : "Skipping") + " printer Harbour Jet"));
  if (same) {
    ASSERT_NE(laser, nullptr);
    EXPECT_EQ(laser->portName, "FILE:");
    const PrinterInfo* jet = FindPrinter(target, "Harbour Jet", list);
    ASSERT_NE(jet, nullptr);
    EXPECT_NE(jet->attributes & pattr::WorkOffline, 0u);  // the port is not there
  }
  EXPECT_EQ(FileText(target, SystemFolderOf(target) + "\\HARBOUR.SEP"), "separator");
  EXPECT_EQ(FileText(target, DriverFolderOf(target) + "\\HLASER.DRV") != "<missing>", same);
  EXPECT_TRUE(run.reported("The system must be restarted for some settings to take effect."));
}

INSTANTIATE_TEST_SUITE_P(AllKinds, PrinterKindMatrix,
                         ::testing::Combine(::testing::Values(okWin95, okWin98, okWinNT),
                                            ::testing::Values(okWin95, okWin98, okWinNT)));

}  // namespace
}  // namespace qv::test
