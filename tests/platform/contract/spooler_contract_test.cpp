// What the printers item relies on from the spooler: the driver folder, the
// monitors at the levels each kind offers, drivers whose files lie in the
// driver folder, printers on a known port, and the refusals the item reacts
// to. Where Wine's spooler accepts what Windows refuses (unknown ports,
// duplicate printer names), the in-memory machine is pinned to Windows and
// the Wine run says so.
#include <algorithm>

#include "platform/contract/fixture.h"
#include "platform/spooler.h"

namespace qv::test {
namespace {

constexpr const char* kDriver = "Qorvel Contract Driver";
constexpr const char* kPrinter = "Qorvel Contract Printer";

class SpoolerContract : public ContractTest {
 protected:
  ISpooler& spooler() { return *bench().machine().Spooler(); }
  void TearDown() override {
    if (bench().machine().Spooler()) spooler().DeleteLocalPrinter(kPrinter);
    ContractTest::TearDown();
  }

  std::string DriverFolder() {
    std::string dir;
    EXPECT_EQ(spooler().DriverDirectory(dir), err::Success);
    return dir;
  }

  // A driver file in the driver folder: Wine's PostScript driver under
  // Wine, a small program file elsewhere.
  std::string DriverFile() {
    const std::string dir = DriverFolder();
    const std::string file = dir + "\\qvcontract.drv";
    std::string bytes = bench().wine() ? bench().ReadFile(dir + "\\3\\wineps.drv")
                                       : std::string("MZ contract driver");
    bench().WriteFile(file, bytes);
    return file;
  }

  void AddDriver() {
    DriverInfo d;
    d.version = bench().kind() == okWinNT ? 2 : 0;
    d.name = kDriver;
    d.driverPath = d.dataFile = d.configFile = DriverFile();
    d.defaultDataType = "RAW";
    ASSERT_EQ(spooler().AddPrintDriver(d), err::Success);
  }

  PrinterInfo Printer(const std::string& port = "FILE:") {
    PrinterInfo p;
    p.printerName = kPrinter;
    p.driverName = kDriver;
    p.portName = port;
    p.printProcessor = "WinPrint";
    p.dataType = "RAW";
    p.location = "contract";
    return p;
  }

  bool Listed(const std::string& name, PrinterInfo* out = nullptr) {
    std::vector<PrinterInfo> list;
    EXPECT_EQ(spooler().PrinterList(penum::Local | penum::Connections, list), err::Success);
    for (const PrinterInfo& p : list)
      if (p.printerName == name) {
        if (out) *out = p;
        return true;
      }
    return false;
  }
};

TEST_P(SpoolerContract, DriverFolderIsAFolderWithoutTrailingBackslash) {
  ASSERT_NE(bench().machine().Spooler(), nullptr);
  const std::string dir = DriverFolder();
  ASSERT_FALSE(dir.empty());
  EXPECT_NE(dir.back(), '\\');
  std::uint32_t attributes = 0;
  ASSERT_EQ(files().Attributes(dir, attributes), err::Success) << dir;
  EXPECT_NE(attributes & fattr::Directory, 0u);
}

TEST_P(SpoolerContract, MonitorsAtTheLevelsOfTheKind) {
  std::vector<MonitorInfo> one, two;
  ASSERT_EQ(spooler().MonitorList(1, one), err::Success);
  auto local = [](const MonitorInfo& m) { return m.name == "Local Port"; };
  EXPECT_NE(std::find_if(one.begin(), one.end(), local), one.end());
  if (IsNT()) {
    ASSERT_EQ(spooler().MonitorList(2, two), err::Success);
    auto it = std::find_if(two.begin(), two.end(), local);
    ASSERT_NE(it, two.end());
    EXPECT_FALSE(it->dllName.empty());
    EXPECT_FALSE(it->environment.empty());
  } else {
    EXPECT_EQ(spooler().MonitorList(2, two), err::InvalidLevel);
  }
  EXPECT_EQ(spooler().MonitorList(3, two), err::InvalidLevel);
}

TEST_P(SpoolerContract, DriverAndPrinterAreAddedListedAndDeleted) {
  AddDriver();
  std::vector<DriverInfo> drivers;
  ASSERT_EQ(spooler().DriverList(drivers), err::Success);
  EXPECT_NE(std::find_if(drivers.begin(), drivers.end(),
                         [](const DriverInfo& d) { return d.name == kDriver; }),
            drivers.end());
  ASSERT_EQ(spooler().AddLocalPrinter(Printer()), err::Success);
  PrinterInfo p;
  ASSERT_TRUE(Listed(kPrinter, &p));
  EXPECT_EQ(p.driverName, kDriver);
  EXPECT_EQ(p.portName, "FILE:");
  EXPECT_EQ(p.location, "contract");
  EXPECT_EQ(p.attributes & pattr::WorkOffline, 0u);
  EXPECT_EQ(spooler().DeleteLocalPrinter(kPrinter), err::Success);
  EXPECT_FALSE(Listed(kPrinter));
}

TEST_P(SpoolerContract, RefusalsTheItemReactsTo) {
  AddDriver();
  PrinterInfo unknownDriver = Printer();
  unknownDriver.driverName = "Qorvel No Such Driver";
  // Windows names the driver unknown; Wine calls the parameter wrong.
  EXPECT_EQ(spooler().AddLocalPrinter(unknownDriver),
            bench().wine() ? err::InvalidParameter : err::UnknownPrinterDriver);
  EXPECT_FALSE(Listed(kPrinter));

  // An unknown port: Windows refuses it unless the printer works offline;
  // Wine takes it.
  const WinError unknownPort = spooler().AddLocalPrinter(Printer("QVNOPORT:"));
  if (bench().wine()) {
    EXPECT_EQ(unknownPort, err::Success);
    spooler().DeleteLocalPrinter(kPrinter);
  } else {
    EXPECT_EQ(unknownPort, err::UnknownPort);
    PrinterInfo offline = Printer("QVNOPORT:");
    offline.attributes |= pattr::WorkOffline;
    EXPECT_EQ(spooler().AddLocalPrinter(offline), err::Success);
    PrinterInfo p;
    ASSERT_TRUE(Listed(kPrinter, &p));
    EXPECT_NE(p.attributes & pattr::WorkOffline, 0u);
    spooler().DeleteLocalPrinter(kPrinter);
  }

  // The same name twice: refused by Windows, taken by Wine.
  ASSERT_EQ(spooler().AddLocalPrinter(Printer()), err::Success);
  const WinError twice = spooler().AddLocalPrinter(Printer());
  if (bench().wine()) {
    EXPECT_EQ(twice, err::Success);
    spooler().DeleteLocalPrinter(kPrinter);
  } else {
    EXPECT_EQ(twice, err::PrinterAlreadyExists);
  }

  // A monitor that is there already.
  MonitorInfo local{"Local Port", "", "localspl.dll"};
  std::vector<MonitorInfo> two;
  if (IsNT() && spooler().MonitorList(2, two) == err::Success)
    for (const MonitorInfo& m : two)
      if (m.name == "Local Port") local.dllName = m.dllName.substr(m.dllName.find_last_of('\\') + 1);
  EXPECT_NE(spooler().AddPrintMonitor(local), err::Success);
}

TEST_P(SpoolerContract, DriverNamingAnUnknownMonitor) {
  DriverInfo d;
  d.name = kDriver;
  d.driverPath = d.dataFile = d.configFile = DriverFile();
  DriverInfo incomplete = d;
  incomplete.configFile.clear();
  EXPECT_EQ(spooler().AddPrintDriver(incomplete), err::InvalidParameter);
  d.monitorName = "Qorvel No Such Monitor";
  // Windows refuses a monitor it does not know; Wine takes the driver.
  EXPECT_EQ(spooler().AddPrintDriver(d),
            bench().wine() ? err::Success : err::UnknownPrintMonitor);
  d.monitorName.clear();
  EXPECT_EQ(spooler().AddPrintDriver(d), err::Success);
}

QV_CONTRACT_SUITE(SpoolerContract);

}  // namespace
}  // namespace qv::test
