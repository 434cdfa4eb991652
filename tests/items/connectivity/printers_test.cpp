// The printers item on in-memory machines: what a save carries, what a load
// installs, and what it refuses.
#include <algorithm>
#include <cctype>
#include <functional>
#include <random>

#include "engine/messages.h"
#include "platform/memory/memory_state.h"

#include "items/connectivity/module_scanner.h"
#include "items/connectivity/printer_settings.h"
#include "support/item_fixture.h"
#include "support/printer_setup.h"
#include "ui/logic/settings_view_model.h"

namespace qv::test {
namespace {

std::string Up(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// The system's text for an error, as the machine gives it.
std::string Message(MemoryMachine& m, WinError code) {
  MachineScope on(m);
  return SystemErrorText(code);
}

std::string Sep(MemoryMachine& m) { return SystemFolderOf(m) + "\\HARBOUR.SEP"; }

// A source of `kind` with a monitor, a driver that names it and a printer on
// LPT1: with a separator page.
void PrepareSource(MemoryMachine& m, DriverSetup setup = {}) {
  InstallMonitor(m, "Harbour Port", "HPMON.DLL", 3);
  setup.monitor = "Harbour Port";
  InstallDriver(m, setup);
  PutFile(m, Sep(m), "\\H\\B harbour separator");
  PrinterInfo p = Printer("Harbour Laser 1", setup.name);
  p.sepFile = Sep(m);
  InstallPrinter(m, p);
}

class PrintersTest : public ItemTest {};

TEST_F(PrintersTest, SameKindInstallsMonitorDriverWithEveryFileAndPrinter) {
  for (OSKind kind : {okWin95, okWin98, okWinNT}) {
    SCOPED_TRACE(OSKindName(kind));
    MemoryMachine source(kind), target(kind);
    PrepareSource(source);
    ItemResult saved = Save<TOSPrinterSettings>(source);
    ASSERT_TRUE(saved.ok);
    EXPECT_EQ(saved.lines, (std::vector<std::string>{
                               "1 Printers found.", "",
                               "Harbour Laser 1  (using driver \"Harbour Laser\")", ""}));
    ItemResult loaded = Load<TOSPrinterSettings>(target);
    ASSERT_TRUE(loaded.ok);
    EXPECT_EQ(Consumed(), Written());
    EXPECT_TRUE(loaded.Has("Installing monitor Harbour Port"));
    EXPECT_TRUE(loaded.Has("Installing printer driver Harbour Laser"));
    EXPECT_TRUE(loaded.Has("Installing printer Harbour Laser 1"));
    EXPECT_TRUE(RestartRequired);

    EXPECT_TRUE(HasMonitor(target, "Harbour Port"));
    DriverInfo d;
    ASSERT_TRUE(HasDriver(target, "Harbour Laser", &d));
    // The spooler's driver folder, spelt in upper case.
    const std::string dir = Up(DriverFolderOf(target)) + "\\";
    EXPECT_EQ(d.driverPath, dir + "HLASER.DRV");
    EXPECT_EQ(d.dataFile, dir + "HLASER.PPD");
    EXPECT_EQ(d.monitorName, "Harbour Port");
    EXPECT_EQ(d.defaultDataType, "RAW");
    // The dependent file and the module the scanner found, as dependents.
    EXPECT_EQ(d.dependentFiles, (std::vector<std::string>{dir + "HLFONTS.DAT", dir + "HLHELP.DLL"}));
    for (const char* f : {"HLASER.DRV", "HLASER.PPD", "HLUI.DLL", "HLASER.HLP", "HLFONTS.DAT",
                          "HLHELP.DLL"})
      EXPECT_EQ(FileText(target, dir + f), FileText(source, DriverFolderOf(source) + "\\" + f)) << f;
    // System modules stay behind.
    EXPECT_EQ(FileText(target, dir + "GDI32.DLL"), "<missing>");
    EXPECT_EQ(FileText(target, SystemFolderOf(target) + "\\HPMON.DLL"),
              FileText(source, SystemFolderOf(source) + "\\HPMON.DLL"));

    std::vector<PrinterInfo> list;
    const PrinterInfo* p = FindPrinter(target, "Harbour Laser 1", list);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->driverName, "Harbour Laser");
    EXPECT_EQ(p->portName, "LPT1:");
    EXPECT_EQ(p->location, "Harbour office");
    EXPECT_EQ(p->sepFile, Sep(target));
    EXPECT_EQ(p->devMode, DevMode("Harbour Laser 1"));
    EXPECT_EQ(p->attributes & pattr::WorkOffline, 0u);
    EXPECT_EQ(FileText(target, Sep(target)), "\\H\\B harbour separator");
    EXPECT_TRUE(LogHas("Printer Harbour Laser 1 added!"));
  }
}

TEST_F(PrintersTest, OtherKindInstallsNothingButWritesTheSeparatorPage) {
  const std::pair<OSKind, OSKind> pairs[] = {
      {okWin95, okWin98}, {okWin98, okWin95}, {okWinNT, okWin98}, {okWin95, okWinNT}};
  for (auto [from, to] : pairs) {
    SCOPED_TRACE(std::string(OSKindName(from)) + " to " + OSKindName(to));
    MemoryMachine source(from), target(to);
    PrepareSource(source);
    ASSERT_TRUE(Save<TOSPrinterSettings>(source).ok);
    ItemResult loaded = Load<TOSPrinterSettings>(target);
    ASSERT_TRUE(loaded.ok);
    EXPECT_EQ(Consumed(), Written());
    EXPECT_TRUE(loaded.Has(std::string("Printer information is from a ") + OSKindName(from) +
                           " system."));
    EXPECT_TRUE(loaded.Has(std::string("This system is running ") + OSKindName(to)));
    EXPECT_TRUE(loaded.Has("Printers will not be installed due to incompatible drivers."));
    EXPECT_TRUE(loaded.Has("Skipping printer Harbour Laser 1"));
    EXPECT_TRUE(loaded.Has("Skipping printer driver Harbour Laser"));
    EXPECT_FALSE(HasDriver(target, "Harbour Laser"));
    EXPECT_FALSE(HasMonitor(target, "Harbour Port"));
    std::vector<PrinterInfo> list;
    EXPECT_EQ(FindPrinter(target, "Harbour Laser 1", list), nullptr);
    EXPECT_EQ(FileText(target, DriverFolderOf(target) + "\\HLHELP.DLL"), "<missing>");
    EXPECT_EQ(FileText(target, Sep(target)), "\\H\\B harbour separator");
  }
}

TEST_F(PrintersTest, AFileNamedInSeveralMainFieldsTravelsOnce) {
  MemoryMachine source(okWinNT), target(okWinNT);
  DriverSetup setup;
  InstallDriver(source, setup);
  const std::string dir = DriverFolderOf(source) + "\\";
  PutFile(source, dir + "BIG.DRV", std::string(50000, 'x'));
  source.state().spooler.drivers.back().dataFile = dir + "BIG.DRV";
  source.state().spooler.drivers.back().configFile = dir + "BIG.DRV";
  InstallPrinter(source, Printer("Harbour Laser 1", setup.name));
  ASSERT_TRUE(Save<TOSPrinterSettings>(source).ok);
  EXPECT_LT(Written(), 60000);
  ASSERT_TRUE(Load<TOSPrinterSettings>(target).ok);
  DriverInfo d;
  ASSERT_TRUE(HasDriver(target, setup.name, &d));
  EXPECT_EQ(d.dataFile, d.configFile);
  EXPECT_EQ(FileText(target, d.configFile), std::string(50000, 'x'));
}

TEST_F(PrintersTest, PrinterOnAPortTheTargetLacksIsAddedOffline) {
  MemoryMachine source(okWinNT), target(okWinNT);
  AddSpoolerPort(source, "\\\\HARBOUR\\LASER");
  InstallDriver(source, {});
  InstallPrinter(source, Printer("Far Laser", "Harbour Laser", "\\\\HARBOUR\\LASER"));
  ASSERT_TRUE(Save<TOSPrinterSettings>(source).ok);
  ASSERT_TRUE(Load<TOSPrinterSettings>(target).ok);
  std::vector<PrinterInfo> list;
  const PrinterInfo* p = FindPrinter(target, "Far Laser", list);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->attributes, 0x40u | pattr::WorkOffline);
  EXPECT_EQ(p->portName, "\\\\HARBOUR\\LASER");
  EXPECT_TRUE(LogHas("Unknown Port - Adding printer offline..."));
}

TEST_F(PrintersTest, MonitorMissingOnSourceLoadsAsNothingAndTheDriverGoesWithoutIt) {
  MemoryMachine source(okWinNT), target(okWinNT);
  DriverSetup setup;
  InstallDriver(source, setup);
  // A driver whose monitor has gone from the source since it was installed.
  source.state().spooler.drivers.back().monitorName = "Ghost Port";
  InstallPrinter(source, Printer("Ghost Laser", setup.name));
  ItemResult saved = Save<TOSPrinterSettings>(source);
  ASSERT_TRUE(saved.ok);
  EXPECT_TRUE(LogHas("ERROR : Monitor not found : Ghost Port"));
  EXPECT_TRUE(LogHas("ERROR writing Monitor Ghost Port . Monitor not found."));
  ItemResult loaded = Load<TOSPrinterSettings>(target);
  ASSERT_TRUE(loaded.ok);
  EXPECT_TRUE(loaded.Has("Installing monitor Ghost Port"));
  EXPECT_FALSE(HasMonitor(target, "Ghost Port"));
  EXPECT_TRUE(LogHas("Unknown monitor - trying without monitor"));
  DriverInfo d;
  ASSERT_TRUE(HasDriver(target, setup.name, &d));
  EXPECT_EQ(d.monitorName, "");
  std::vector<PrinterInfo> list;
  EXPECT_NE(FindPrinter(target, "Ghost Laser", list), nullptr);
}

TEST(PrinterVersionRule, CopiesOnlyANewerOrAnUnversionedFile) {
  struct Case {
    std::uint32_t ch, cl, eh, el;
    bool copy;
  } cases[] = {
      {0, 0, 0, 0, true},          // neither has a version (or the file is missing)
      {1, 0, 0, 0, true},          // missing or unversioned existing file
      {0, 5, 0, 0, true},
      {4, 7, 4, 7, false},         // equal
      {4, 7, 5, 0, false},         // existing higher
      {4, 7, 4, 8, false},         // existing low part higher
      {4, 8, 4, 7, true},          // carried low part higher
      {5, 0, 4, 9, true},          // carried high part higher
      {0, 0, 1, 0, false},         // carried without version, existing with
  };
  for (const Case& c : cases)
    EXPECT_EQ(items::ShouldCopyVersion(c.ch, c.cl, c.eh, c.el), c.copy)
        << c.ch << "." << c.cl << " over " << c.eh << "." << c.el;
}

TEST_F(PrintersTest, ExistingDriverFilesOfHigherOrEqualVersionStayMissingOnesAreCopied) {
  MemoryMachine source(okWinNT), target(okWinNT);
  DriverSetup setup;  // version 4.0 / 7
  InstallDriver(source, setup);
  InstallPrinter(source, Printer("Harbour Laser 1", setup.name));
  const std::string dir = DriverFolderOf(target) + "\\";
  const std::string higher = PeImage({"KERNEL32.DLL"}, 0x00050000, 0);
  const std::string equal = PeImage({"USER32.DLL"}, 0x00040000, 7);
  const std::string lower = PeImage({"GDI32.DLL"}, 0x00040000, 6);
  PutFile(target, dir + "HLASER.DRV", higher);
  PutFile(target, dir + "HLUI.DLL", equal);
  PutFile(target, dir + "HLHELP.DLL", PeImage({}, 0, 0));  // helper carried as 1.1: replaced
  PutFile(target, dir + "HLASER.PPD", lower);  // carried without version: stays
  ASSERT_TRUE(Save<TOSPrinterSettings>(source).ok);
  ASSERT_TRUE(Load<TOSPrinterSettings>(target).ok);
  EXPECT_EQ(FileText(target, dir + "HLASER.DRV"), higher);
  EXPECT_EQ(FileText(target, dir + "HLUI.DLL"), equal);
  EXPECT_EQ(FileText(target, dir + "HLHELP.DLL"),
            FileText(source, DriverFolderOf(source) + "\\HLHELP.DLL"));
  EXPECT_EQ(FileText(target, dir + "HLASER.PPD"), lower);
  EXPECT_EQ(FileText(target, dir + "HLASER.HLP"), "help Harbour Laser");  // missing: copied
  EXPECT_TRUE(LogHas("Copying file " + Up(dir) + "HLASER.HLP"));
  EXPECT_FALSE(LogHas("Copying file " + Up(dir) + "HLASER.DRV"));
}

TEST_F(PrintersTest, TwoPrintersOnOneDriverWriteItOnceAndNamesAreSorted) {
  MemoryMachine source(okWinNT), target(okWinNT);
  DriverSetup zeta;
  zeta.name = "Zeta Jet";
  zeta.driver = "ZJET.DRV";
  zeta.helpers.clear();
  zeta.imports = {"KERNEL32.DLL"};
  InstallDriver(source, zeta);
  InstallDriver(source, {});
  InstallPrinter(source, Printer("Upstairs", "Zeta Jet"));
  InstallPrinter(source, Printer("Downstairs", "Harbour Laser", "LPT2:"));
  InstallPrinter(source, Printer("Hall", "Zeta Jet", "COM1:"));
  ASSERT_TRUE(Save<TOSPrinterSettings>(source).ok);
  std::vector<std::string> written;
  for (const std::string& l : log())
    if (l.rfind("Writing driver ", 0) == 0 || l.rfind("Writing printer ", 0) == 0)
      written.push_back(l);
  EXPECT_EQ(written, (std::vector<std::string>{
                         "Writing driver 0 Harbour Laser", "Writing driver 1 Zeta Jet",
                         "Writing printer 0 Upstairs", "Writing printer 1 Downstairs",
                         "Writing printer 2 Hall"}));
  ItemResult loaded = Load<TOSPrinterSettings>(target);
  ASSERT_TRUE(loaded.ok);
  EXPECT_EQ(std::count(loaded.lines.begin(), loaded.lines.end(),
                       "Installing printer driver Zeta Jet"),
            1);
  std::vector<PrinterInfo> list;
  target.Spooler()->PrinterList(penum::Local, list);
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[2].printerName, "Hall");
  EXPECT_EQ(list[2].portName, "COM1:");
}

TEST_F(PrintersTest, RefusedInstallationReportsAttributesAndGoesOnCancelStops) {
  MemoryMachine source(okWinNT);
  InstallDriver(source, {});
  PrinterInfo first = Printer("First", "Harbour Laser");
  first.shareName = "FIRST";
  InstallPrinter(source, first);
  InstallPrinter(source, Printer("Second", "Harbour Laser"));
  InstallPrinter(source, Printer("Third", "Harbour Laser"));
  ASSERT_TRUE(Save<TOSPrinterSettings>(source).ok);

  MemoryMachine target(okWinNT);
  target.state().spooler.printers.push_back(Printer("First", "Other"));  // refused: exists
  RefusePrinter(target, "Second", err::Cancelled);
  ItemResult loaded = Load<TOSPrinterSettings>(target);
  EXPECT_FALSE(loaded.ok);
  const std::string exists = Message(target, err::PrinterAlreadyExists);
  EXPECT_TRUE(loaded.Has("First : Printer installation failed :\n" + exists));
  EXPECT_TRUE(loaded.Has("Printer attributes : "));
  EXPECT_TRUE(loaded.Has("Share name : FIRST"));
  EXPECT_TRUE(loaded.Has("Port name : LPT1:"));
  EXPECT_TRUE(loaded.Has("Print Processor  : WinPrint"));
  EXPECT_TRUE(LogHas("AddPrinter failed : 1802  " + exists));
  const std::string cancelled = Message(target, err::Cancelled);
  EXPECT_TRUE(loaded.Has("Printer installation failed : Second : Printer installation failed :\n" +
                         cancelled));
  // The section ends there: the third printer is not read.
  EXPECT_FALSE(loaded.Has("Installing printer Third"));
  std::vector<PrinterInfo> list;
  EXPECT_EQ(FindPrinter(target, "Third", list), nullptr);
}

TEST_F(PrintersTest, DriverTheSpoolerRefusesEndsTheSection) {
  MemoryMachine source(okWinNT), target(okWinNT);
  InstallDriver(source, {});
  InstallPrinter(source, Printer("Harbour Laser 1", "Harbour Laser"));
  ASSERT_TRUE(Save<TOSPrinterSettings>(source).ok);
  // The target's driver folder is a file: nothing can be copied there.
  const std::string dir = DriverFolderOf(target);
  target.Files().RemoveFolder(dir);
  PutFile(target, dir, "not a folder");
  ItemResult loaded = Load<TOSPrinterSettings>(target);
  EXPECT_FALSE(loaded.ok);
  bool reported = false;
  for (const std::string& l : loaded.lines)
    reported = reported || l.rfind("Driver installation failed : ", 0) == 0;
  EXPECT_TRUE(reported);
  EXPECT_FALSE(loaded.Has("Installing printer Harbour Laser 1"));
}

TEST_F(PrintersTest, DescribeListsPrintersAndStoresNothing) {
  MemoryMachine m(okWin98);
  PrepareSource(m);
  InstallPrinter(m, Printer("Second", "Harbour Laser", "FILE:"));
  ItemResult d = Describe<TOSPrinterSettings>(m);
  ASSERT_TRUE(d.ok);
  EXPECT_EQ(d.lines, (std::vector<std::string>{
                         "2 Printers found.", "",
                         "Harbour Laser 1  (using driver \"Harbour Laser\")",
                         "Second  (using driver \"Harbour Laser\")", ""}));
  EXPECT_FALSE(LogHas("Writing driver 0 Harbour Laser"));
  // Windows 95/98 name the monitor's DLL in the registry only.
  EXPECT_TRUE(LogHas("Monitor Dll is " + SystemFolderOf(m) + "\\HPMON.DLL"));
  EXPECT_TRUE(LogHas("Monitor Env is Windows 4.0"));
}

TEST_F(PrintersTest, TheSettingsViewerShowsThePrinters) {
  MemoryMachine m(okWinNT);
  InstallDriver(m, {});
  InstallPrinter(m, Printer("Harbour Laser 1", "Harbour Laser"));
  MachineScope on(m);
  TSettingsViewModel viewer;
  EXPECT_EQ(viewer.Show(TViewGroup::Personality, "Printers"),
            (std::vector<std::string>{"1 Printers found.", "",
                                      "Harbour Laser 1  (using driver \"Harbour Laser\")", ""}));
}

TEST_F(PrintersTest, CancelDuringSaveEndsAfterTheRecordAndStaysReadable) {
  MemoryMachine source(okWinNT), target(okWinNT);
  PrepareSource(source);
  TRecordingStatus status;
  StatusScope scope(status);
  status.CancelAt("Saving printer driver Harbour Laser");
  ItemResult saved = Save<TOSPrinterSettings>(source);
  EXPECT_FALSE(saved.ok);
  EXPECT_EQ(status.GetActionText(), "Operation cancelled.");
  EXPECT_FALSE(LogHas("Writing printer 0 Harbour Laser 1"));
  // The driver's files after the cancel go as missing ones and END follows:
  // a reader passes over the whole section, and an installing one stops at
  // the driver whose files are missing.
  MemoryMachine other(okWin98);
  ASSERT_TRUE(Load<TOSPrinterSettings>(other).ok);
  EXPECT_EQ(Consumed(), Written());
  ItemResult loaded = Load<TOSPrinterSettings>(target);
  EXPECT_FALSE(loaded.ok);
  EXPECT_TRUE(loaded.Has("Driver installation failed : Harbour Laser\nAddDriver failed :2 " +
                         Message(target, err::FileNotFound)));
  EXPECT_FALSE(loaded.Has("Installing printer Harbour Laser 1"));
}

TEST_F(PrintersTest, StatusWordsFollowTheBits) {
  EXPECT_EQ(PrinterStatusText(0), "");
  EXPECT_EQ(PrinterStatusText(0x1 | 0x80), "Paused  Offline  ");
  EXPECT_EQ(PrinterStatusText(0x100000), "User Intervention required ");
  EXPECT_EQ(PrinterStatusText(0x1000000 | 0x800000), "Server Unknown  Power Save  ");
  EXPECT_EQ(PrinterStatusText(0x2000000), "");
}

TEST_F(PrintersTest, MissingDriverOnSourceWritesNoRecordAndTheSectionStaysReadable) {
  MemoryMachine source(okWinNT), target(okWinNT);
  InstallDriver(source, {});
  InstallPrinter(source, Printer("Orphan", "Harbour Laser"));
  InstallPrinter(source, Printer("Fine", "Harbour Laser"));
  source.state().spooler.printers.front().driverName = "Gone Driver";
  ItemResult saved = Save<TOSPrinterSettings>(source);
  ASSERT_TRUE(saved.ok);
  EXPECT_TRUE(saved.Has("Printer driver Gone Driver not found : it is not saved."));
  EXPECT_TRUE(LogHas("ERROR : Driver not found : Gone Driver"));
  ItemResult loaded = Load<TOSPrinterSettings>(target);
  ASSERT_TRUE(loaded.ok);
  EXPECT_EQ(Consumed(), Written());
  EXPECT_TRUE(loaded.Has("Orphan : Printer installation failed :\n" +
                         Message(target, err::UnknownPrinterDriver)));
  std::vector<PrinterInfo> list;
  EXPECT_NE(FindPrinter(target, "Fine", list), nullptr);
}

// --- Bad input ------------------------------------------------------------

void FileField(TConnection& s, const std::string& name, const std::string& bytes) {
  s.WriteString(name);
  if (name.empty()) return;
  s.WriteBoolean(true);   // carried here
  s.WriteBoolean(true);   // exists on source
  s.WriteInteger(1);
  s.WriteInteger(0);
  s.WriteString("C:\\SRC\\" + name);
  s.WriteInteger(static_cast<std::int32_t>(bytes.size()));
  s.WriteInteger(0x20);
  const std::uint8_t times[24] = {};
  s.WriteBuffer(times, 24);
  std::uint32_t sum = 0;
  for (unsigned char c : bytes) sum += c;
  s.WriteInteger(static_cast<std::int32_t>(sum));
  s.WriteBuffer(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
}

void DriverRecord(TConnection& s, const std::string& name, const std::string& driverFile,
                  const std::string& dependent) {
  s.WriteString("DRIVER");
  s.WriteString(name);
  s.WriteInteger(2);
  s.WriteString(name);
  s.WriteString("Windows NT x86");
  FileField(s, driverFile, "driver bytes");
  FileField(s, driverFile, "driver bytes");  // data file
  FileField(s, driverFile, "driver bytes");  // configuration file
  FileField(s, "", "");
  s.WriteString("");
  s.WriteString("RAW");
  s.WriteInteger(1);
  s.WriteString("C:\\SRC\\");
  s.WriteString(dependent);
  s.WriteInteger(4);
  s.WriteBoolean(true);
  s.WriteInteger(0);
  s.WriteInteger(0);
  s.WriteString("C:\\SRC\\x");
  s.WriteInteger(4);
  s.WriteInteger(0x20);
  const std::uint8_t times[24] = {};
  s.WriteBuffer(times, 24);
  s.WriteInteger('d' * 4);
  s.WriteBuffer("dddd", 4);
}

// The head of a driver record with no files, up to its count of
// dependent files and the folder they came from.
void DriverWithFileCount(TConnection& s, std::int32_t count) {
  s.WriteString("DRIVER");
  s.WriteString("D");
  s.WriteInteger(2);
  s.WriteString("D");
  s.WriteString("Windows NT x86");
  for (int i = 0; i < 4; ++i) s.WriteString("");
  s.WriteString("");
  s.WriteString("RAW");
  s.WriteInteger(count);
  s.WriteString("C:\\SRC\\");
}

void PrinterRecord(TConnection& s, const std::string& name, const std::string& driver,
                   const std::string& separator, std::int32_t devModeSize = 0) {
  s.WriteString("PRINTER");
  s.WriteString(name);
  for (const std::string& v : {std::string(), name, std::string(), std::string("LPT1:"), driver,
                               std::string(), std::string()})
    s.WriteString(v);
  s.WriteString(separator);
  if (!separator.empty()) {
    s.WriteString("C:\\SRC\\sep");
    s.WriteInteger(3);
    s.WriteInteger(0x20);
    const std::uint8_t times[24] = {};
    s.WriteBuffer(times, 24);
    s.WriteInteger('s' * 3);
    s.WriteBuffer("sss", 3);
  }
  for (const char* v : {"WinPrint", "RAW", ""}) s.WriteString(v);
  for (int i = 0; i < 5; ++i) s.WriteInteger(0);
  s.WriteInteger(devModeSize);
}

TEST(PrinterFileNames, OnlyPlainNamesPass) {
  for (const char* good : {"HLASER.DRV", "a b.dll", "x..y.sep", "LPT10.DLL", "CONSOLE.DLL"})
    EXPECT_TRUE(items::IsBareFileName(good)) << good;
  for (const char* bad : {"", "..", ".", "..\\evil.dll", "sub\\x.dll", "C:x.dll", "C:\\x.dll",
                          "/etc/x", "NUL", "nul.txt", "COM1", "lpt3.dll", "CON .txt", "a*b",
                          "a?b", "a|b", " . ", "x\x01y"})
    EXPECT_FALSE(items::IsBareFileName(bad)) << bad;
}

TEST_F(PrintersTest, NamesWithFoldersAreRefusedTheirRecordsSkippedInStep) {
  MemoryMachine target(okWinNT);
  InstallDriver(target, {});  // so that printers can be added
  TWriteMemoryConnection& s = NewPayload(okWinNT);
  // A monitor whose DLL climbs out of the system folder.
  s.WriteString("MONITOR");
  s.WriteString("Evil Port");
  s.WriteBoolean(true);
  s.WriteString("Evil Port");
  s.WriteString("Windows NT x86");
  FileField(s, "..\\..\\evil.dll", "MZ evil");
  DriverRecord(s, "Evil Driver", "HLASER2.DRV", "..\\..\\WINNT\\win.ini");
  DriverRecord(s, "Drive Driver", "C:\\AUTOEXEC.BAT", "ok.dat");
  DriverRecord(s, "Good Driver", "GOOD.DRV", "GOOD.DAT");
  PrinterRecord(s, "Evil Printer", "Harbour Laser", "C:\\boot.ini");
  PrinterRecord(s, "Device Printer", "Harbour Laser", "NUL");
  PrinterRecord(s, "Good Printer", "Good Driver", "GOOD.SEP");
  s.WriteString("END");

  const std::string winIni = FileText(target, "C:\\WINNT\\win.ini");
  ItemResult loaded = Load<TOSPrinterSettings>(target);
  ASSERT_TRUE(loaded.ok);
  EXPECT_EQ(Consumed(), Written());
  EXPECT_TRUE(loaded.Has(
      "Monitor Evil Port skipped : the file name \"..\\..\\evil.dll\" is not a plain file name."));
  EXPECT_TRUE(loaded.Has("Driver Evil Driver skipped : the file name \"..\\..\\WINNT\\win.ini\" is "
                         "not a plain file name."));
  EXPECT_TRUE(loaded.Has(
      "Driver Drive Driver skipped : the file name \"C:\\AUTOEXEC.BAT\" is not a plain file name."));
  EXPECT_TRUE(loaded.Has(
      "Printer Evil Printer skipped : the file name \"C:\\boot.ini\" is not a plain file name."));
  EXPECT_TRUE(loaded.Has(
      "Printer Device Printer skipped : the file name \"NUL\" is not a plain file name."));
  EXPECT_FALSE(HasMonitor(target, "Evil Port"));
  EXPECT_FALSE(HasDriver(target, "Evil Driver"));
  EXPECT_FALSE(HasDriver(target, "Drive Driver"));
  EXPECT_EQ(FileText(target, "C:\\evil.dll"), "<missing>");
  EXPECT_EQ(FileText(target, "C:\\WINNT\\win.ini"), winIni);
  EXPECT_EQ(FileText(target, "C:\\AUTOEXEC.BAT"), "<missing>");
  EXPECT_EQ(FileText(target, "C:\\boot.ini"), "<missing>");
  std::vector<PrinterInfo> list;
  EXPECT_EQ(FindPrinter(target, "Evil Printer", list), nullptr);
  // What follows the refused records still arrives.
  EXPECT_TRUE(HasDriver(target, "Good Driver"));
  const PrinterInfo* good = FindPrinter(target, "Good Printer", list);
  ASSERT_NE(good, nullptr);
  EXPECT_EQ(good->sepFile, SystemFolderOf(target) + "\\GOOD.SEP");
  EXPECT_EQ(FileText(target, SystemFolderOf(target) + "\\GOOD.SEP"), "sss");
}

TEST_F(PrintersTest, CountsAndDeviceModeSizesAreCheckedAgainstTheStream) {
  struct Case {
    const char* what;
    std::function<void(TConnection&)> write;
  } cases[] = {
      {"device mode larger than the stream",
       [](TConnection& s) { PrinterRecord(s, "P", "D", "", 60000); }},
      {"negative device mode", [](TConnection& s) { PrinterRecord(s, "P", "D", "", -4); }},
      {"device mode beyond its largest size",
       [](TConnection& s) { PrinterRecord(s, "P", "D", "", 0x7FFFFFFF); }},
      {"file count beyond the stream", [](TConnection& s) { DriverWithFileCount(s, 100000000); }},
      {"negative file count", [](TConnection& s) { DriverWithFileCount(s, -1); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MemoryMachine target(okWinNT);
    TWriteMemoryConnection& s = NewPayload(okWinNT);
    c.write(s);
    s.WriteString("END");
    EXPECT_THROW(Load<TOSPrinterSettings>(target), EConnectionReadError);
  }
}

TEST_F(PrintersTest, ADamagedDeviceModeIsNotHandedToTheSpooler) {
  MemoryMachine target(okWinNT);
  InstallDriver(target, {});
  TWriteMemoryConnection& s = NewPayload(okWinNT);
  PrinterRecord(s, "Odd", "Harbour Laser", "", 40);
  std::vector<std::uint8_t> odd(40, 0);
  odd[36] = 200;  // claims more than it holds
  s.WriteBuffer(odd.data(), 40);
  s.WriteString("END");
  ASSERT_TRUE(Load<TOSPrinterSettings>(target).ok);
  std::vector<PrinterInfo> list;
  const PrinterInfo* p = FindPrinter(target, "Odd", list);
  ASSERT_NE(p, nullptr);
  EXPECT_TRUE(p->devMode.empty());
  EXPECT_TRUE(LogHas("Device mode of Odd is damaged and not used."));
}

// --- The scanner ----------------------------------------------------------

TEST(ModuleImports, ReadsPortableImagesAndRecognisesOlderOnes) {
  const std::string pe = PeImage({"KERNEL32.dll", "HLHELP.DLL", "kernel32.DLL"});
  auto bytes = [](const std::string& s) { return reinterpret_cast<const std::uint8_t*>(s.data()); };
  items::ModuleImports imports = items::ParseModuleImports(bytes(pe), pe.size());
  EXPECT_EQ(imports.format, items::ModuleFormat::Portable);
  EXPECT_EQ(imports.names, (std::vector<std::string>{"KERNEL32.dll", "HLHELP.DLL"}));
  const std::string pe64 = PeImage({"A.DLL"}, 0, 0, true);
  EXPECT_EQ(items::ParseModuleImports(bytes(pe64), pe64.size()).names,
            std::vector<std::string>{"A.DLL"});
  for (const char* sig : {"NE", "LE", "LX"}) {
    std::string old(0x80, '\0');
    old[0] = 'M';
    old[1] = 'Z';
    Put32(old, 0x3C, 0x40);
    old[0x40] = sig[0];
    old[0x41] = sig[1];
    imports = items::ParseModuleImports(bytes(old), old.size());
    EXPECT_EQ(imports.format, items::ModuleFormat::Older) << sig;
    EXPECT_TRUE(imports.names.empty());
  }
}

TEST(ModuleImports, DamagedImagesGiveWhatTheyHoldAndNoMore) {
  const std::string good = PeImage({"ONE.DLL", "TWO.DLL"});
  auto parse = [](const std::string& s) {
    return items::ParseModuleImports(reinterpret_cast<const std::uint8_t*>(s.data()), s.size());
  };
  struct Case {
    const char* what;
    std::function<void(std::string&)> damage;
    items::ModuleFormat format;
    std::size_t names;
  } cases[] = {
      {"empty", [](std::string& b) { b.clear(); }, items::ModuleFormat::None, 0},
      {"no MZ", [](std::string& b) { b[0] = 'X'; }, items::ModuleFormat::None, 0},
      {"header offset past the end", [](std::string& b) { Put32(b, 0x3C, 0xFFFFFFF0); },
       items::ModuleFormat::None, 0},
      {"cut inside the headers", [](std::string& b) { b.resize(0x50); },
       items::ModuleFormat::None, 0},
      {"cut inside the section table", [](std::string& b) { b.resize(0x140); },
       items::ModuleFormat::Portable, 0},
      {"too many sections", [](std::string& b) { Put16(b, 0x46, 0xFFFF); },
       items::ModuleFormat::Portable, 0},
      {"import table outside every section", [](std::string& b) { Put32(b, 0x58 + 104, 0x900000); },
       items::ModuleFormat::Portable, 0},
      {"section data past the end", [](std::string& b) { Put32(b, 0x58 + 224 + 20, 0x7FFFFFF0); },
       items::ModuleFormat::Portable, 0},
      {"name without its end", [](std::string& b) { b.resize(b.size() - 2); },
       items::ModuleFormat::Portable, 1},
      {"descriptors running off the end",
       [](std::string& b) {
         // No closing descriptor: the walk reads the names as descriptors
         // and stops at the image's end.
         Put32(b, 0x200 + 40 + 12, 0x1000 + 60);
       },
       items::ModuleFormat::Portable, 2},
      {"huge optional header", [](std::string& b) { Put16(b, 0x54, 0xFFFF); },
       items::ModuleFormat::Portable, 0},
  };
  for (const Case& c : cases) {
    std::string image = good;
    c.damage(image);
    items::ModuleImports got = parse(image);
    EXPECT_EQ(got.format, c.format) << c.what;
    EXPECT_EQ(got.names.size(), c.names) << c.what;
  }
  // Random damage: never a name longer than a path or with control bytes.
  std::mt19937 rng(17);
  for (int round = 0; round < 3000; ++round) {
    std::string image = good;
    const int flips = 1 + static_cast<int>(rng() % 8);
    for (int i = 0; i < flips; ++i) image[rng() % image.size()] = static_cast<char>(rng());
    if (rng() % 4 == 0) image.resize(rng() % image.size());
    for (const std::string& name : parse(image).names) {
      ASSERT_LE(name.size(), 261u);
      for (char ch : name) ASSERT_GE(static_cast<unsigned char>(ch), 0x20);
    }
  }
}

class ScannerTest : public MemoryMachineTest {};

TEST_F(ScannerTest, FollowsImportsFromEachFilesFolderAndStopsOnCycles) {
  const std::string dir = "C:\\DRIVERS";
  files().MakeFolder(dir);
  files().MakeFolder("C:\\ELSEWHERE");
  const std::string system = SystemFolderOf(machine());
  WriteFile(dir + "\\MAIN.DRV", PeImage({"KERNEL32.DLL", "HELP.DLL", "NOWHERE.DLL", "DEEP.DLL"}));
  WriteFile(dir + "\\HELP.DLL", PeImage({"MAIN.DRV", "DEEP.DLL", "help.dll"}));
  WriteFile(system + "\\DEEP.DLL", PeImage({"HELP.DLL", "OLD.DLL"}));
  WriteFile(system + "\\KERNEL32.DLL", PeImage({"SECRET.DLL"}));
  WriteFile(system + "\\SECRET.DLL", PeImage({}));
  std::string old(0x80, '\0');
  old[0] = 'M';
  old[1] = 'Z';
  Put32(old, 0x3C, 0x40);
  old[0x40] = 'N';
  old[0x41] = 'E';
  WriteFile(system + "\\OLD.DLL", old);
  files().SetCurrentFolder("C:\\ELSEWHERE");

  EXPECT_EQ(items::ScanModuleDependencies(dir + "\\MAIN.DRV"),
            (std::vector<std::string>{dir + "\\MAIN.DRV", dir + "\\HELP.DLL", system + "\\DEEP.DLL"}));
  std::string current;
  files().CurrentFolder(current);
  EXPECT_EQ(current, "C:\\ELSEWHERE");
  EXPECT_TRUE(items::ScanModuleDependencies(system + "\\OLD.DLL").empty());
  EXPECT_TRUE(items::ScanModuleDependencies(dir + "\\MISSING.DRV").empty());
  EXPECT_TRUE(items::IsSystemModule("WINSPOOL.DRV"));
  EXPECT_FALSE(items::IsSystemModule("HELP.DLL"));
}

}  // namespace
}  // namespace qv::test
