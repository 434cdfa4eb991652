// The spooler port on the real system (Wine on the build machines): a
// driver made from the files of Wine's own PostScript driver, a printer on
// FILE:, and the printers item saving them.
//
// Wine's spooler accepts unknown ports and names the items refuse on
// Windows, so these tests prove the calls and the structures, not the
// spooler's checks (the memory machine pins those).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>

#include "engine/program.h"
#include "engine/status.h"
#include "items/connectivity/printer_settings.h"
#include "platform/memory/memory_machine.h"
#include "platform/memory/memory_spooler.h"
#include "platform/win32/win32_spooler.h"
#include "stream/connection.h"
#include "support/streams.h"

namespace qv::test {
namespace {

constexpr const char* kDriver = "Qorvel Test PS";
constexpr const char* kPrinter = "Qorvel Test Printer";

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// wineps.drv copied from the spooler's version folder into its driver
// folder, where a setup program leaves the files it installs.
std::string PrepareDriverFile(Win32Spooler& spooler) {
  std::string dir;
  EXPECT_EQ(spooler.DriverDirectory(dir), err::Success);
  const std::string file = dir + "\\wineps.drv";
  if (GetFileAttributesA(file.c_str()) == INVALID_FILE_ATTRIBUTES)
    CopyFileA((dir + "\\3\\wineps.drv").c_str(), file.c_str(), TRUE);
  return file;
}

class Win32SpoolerTest : public ::testing::Test {
 protected:
  void TearDown() override { spooler_.DeleteLocalPrinter(kPrinter); }
  Win32Spooler spooler_;
};

TEST_F(Win32SpoolerTest, DriverAndPrinterAreAddedAndListed) {
  const std::string file = PrepareDriverFile(spooler_);
  DriverInfo d;
  d.version = 3;
  d.name = kDriver;
  d.driverPath = d.dataFile = d.configFile = file;
  d.defaultDataType = "RAW";
  ASSERT_EQ(spooler_.AddPrintDriver(d), err::Success);

  std::vector<DriverInfo> drivers;
  ASSERT_EQ(spooler_.DriverList(drivers), err::Success);
  auto driver = std::find_if(drivers.begin(), drivers.end(),
                             [](const DriverInfo& x) { return x.name == kDriver; });
  ASSERT_NE(driver, drivers.end());
  EXPECT_NE(Lower(driver->driverPath).find("wineps.drv"), std::string::npos);
  EXPECT_FALSE(driver->environment.empty());

  PrinterInfo p;
  p.printerName = kPrinter;
  p.driverName = kDriver;
  p.portName = "FILE:";
  p.printProcessor = "winprint";
  p.dataType = "RAW";
  p.comment = "made by the tests";
  p.location = "Harbour office";
  p.priority = 1;
  ASSERT_EQ(spooler_.AddLocalPrinter(p), err::Success);
  std::vector<PrinterInfo> printers;
  ASSERT_EQ(spooler_.PrinterList(penum::Local | penum::Connections, printers), err::Success);
  auto printer = std::find_if(printers.begin(), printers.end(),
                              [](const PrinterInfo& x) { return x.printerName == kPrinter; });
  ASSERT_NE(printer, printers.end());
  EXPECT_EQ(printer->driverName, kDriver);
  EXPECT_EQ(printer->portName, "FILE:");
  EXPECT_EQ(printer->location, "Harbour office");
  // A device mode, when the driver gives one, is as long as it says.
  if (!printer->devMode.empty()) {
    const auto* dm = reinterpret_cast<const DEVMODEA*>(printer->devMode.data());
    EXPECT_EQ(printer->devMode.size(), static_cast<std::size_t>(dm->dmSize + dm->dmDriverExtra));
  }
  EXPECT_EQ(spooler_.DeleteLocalPrinter(kPrinter), err::Success);
  EXPECT_NE(spooler_.DeleteLocalPrinter(kPrinter), err::Success);
}

TEST_F(Win32SpoolerTest, MonitorsAtBothLevels) {
  std::vector<MonitorInfo> one, two;
  ASSERT_EQ(spooler_.MonitorList(1, one), err::Success);
  ASSERT_EQ(spooler_.MonitorList(2, two), err::Success);
  ASSERT_FALSE(two.empty());
  EXPECT_EQ(one.size(), two.size());
  auto local = std::find_if(two.begin(), two.end(),
                            [](const MonitorInfo& m) { return m.name == "Local Port"; });
  ASSERT_NE(local, two.end());
  EXPECT_FALSE(local->dllName.empty());
  EXPECT_EQ(spooler_.MonitorList(7, one), err::InvalidLevel);
  // A monitor that exists is refused as such.
  MonitorInfo again{"Local Port", "", local->dllName};
  EXPECT_NE(spooler_.AddPrintMonitor(again), err::Success);
}

TEST_F(Win32SpoolerTest, ThePrintersItemSavesWhatTheSpoolerHolds) {
  const std::string file = PrepareDriverFile(spooler_);
  DriverInfo d;
  d.version = 3;
  d.name = kDriver;
  d.driverPath = d.dataFile = d.configFile = file;
  ASSERT_EQ(spooler_.AddPrintDriver(d), err::Success);
  PrinterInfo p;
  p.printerName = kPrinter;
  p.driverName = kDriver;
  p.portName = "FILE:";
  p.printProcessor = "winprint";
  p.dataType = "RAW";  // Wine refuses a printer without one (87)
  ASSERT_EQ(spooler_.AddLocalPrinter(p), err::Success);

  ProgramObjects program("");
  TWriteMemoryConnection stream;
  stream.Initialize();
  TOSPrinterSettings item;
  ASSERT_TRUE(item.Write(stream));
  const std::vector<std::string>& lines = *stream.GetComments();
  EXPECT_NE(std::find(lines.begin(), lines.end(),
                      std::string(kPrinter) + "  (using driver \"" + kDriver + "\")"),
            lines.end());
  // What was written reads back in step on a machine of another kind.
  MemoryMachine other(okWin98);
  MachineScope on(other);
  auto reader = ReaderOf(stream);
  reader->OSVersion = okWinNT;
  TOSPrinterSettings skipping;
  ASSERT_TRUE(skipping.Read(*reader));
  EXPECT_EQ(reader->Remaining(), 0);
  const std::vector<std::string>& read = *reader->GetComments();
  EXPECT_NE(std::find(read.begin(), read.end(), std::string("Skipping printer driver ") + kDriver),
            read.end());
}

}  // namespace
}  // namespace qv::test
