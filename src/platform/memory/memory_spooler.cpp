#include "platform/memory/memory_spooler.h"

#include <algorithm>
#include <mutex>

#include "platform/memory/memory_state.h"

namespace qv {
namespace mem {

namespace {

constexpr const char* kMonitorsKey = "System\\CurrentControlSet\\control\\Print\\Monitors";
constexpr WinError kInvalidEnvironment = 1805;
constexpr WinError kModuleNotFound = 126;

bool IsNT(const MemoryMachine::State& s) { return s.setup.kind == okWinNT; }

bool SameName(std::string_view a, std::string_view b) { return FoldCase(a) == FoldCase(b); }

std::string DriverFolder(const MemoryMachine::State& s) {
  return IsNT(s) ? s.systemFolder + "\\spool\\drivers\\w32x86" : s.systemFolder;
}

template <class T>
T* FindNamed(std::vector<T>& list, std::string_view name, std::string T::*field) {
  for (T& item : list)
    if (SameName(item.*field, name)) return &item;
  return nullptr;
}

bool KnownPort(const SpoolerState& spooler, std::string_view port) {
  for (const std::string& p : spooler.ports)
    if (SameName(p, port)) return true;
  return false;
}

void MakeFolderChain(MemoryMachine::State& s, const std::string& path) {
  FsPath p;
  if (ResolvePath(path, s.currentFolder, false, p) != err::Success) return;
  auto drive = s.drives.find(p.drive);
  if (drive == s.drives.end()) return;
  FsNode* node = &drive->second.root;
  for (const std::string& part : p.parts) {
    FsNode& child = node->children[FoldCase(part)];
    if (child.name.empty()) {
      child.name = part;
      child.id = s.NewId();
      child.attributes = fattr::Directory;
    }
    node = &child;
  }
}

}  // namespace

std::string SpoolerEnvironment(const MemoryMachine::State& state) {
  return IsNT(state) ? "Windows NT x86" : "Windows 4.0";
}

void InitializeSpooler(MemoryMachine::State& s) {
  s.spooler = SpoolerState{};
  s.spooler.ports = {"LPT1:", "LPT2:", "COM1:", "COM2:", "FILE:"};
  s.spooler.monitors.push_back(
      MonitorInfo{"Local Port", SpoolerEnvironment(s), IsNT(s) ? "localmon.dll" : "spoolss.dll"});
  PutString(MakeKey(s, hkey::LocalMachine, std::string(kMonitorsKey) + "\\Local Port"), "Driver",
            s.spooler.monitors.back().dllName);
  MakeFolderChain(s, DriverFolder(s));
}

bool MemorySpooler::IsFile(const std::string& path) {
  std::uint32_t attributes = 0;
  return files_.Attributes(path, attributes) == err::Success && attributes != fattr::Invalid &&
         (attributes & fattr::Directory) == 0;
}

WinError MemorySpooler::PrinterList(std::uint32_t flags, std::vector<PrinterInfo>& printers) {
  std::lock_guard g(s_.lock);
  printers.clear();
  if (flags & penum::Local) printers = s_.spooler.printers;
  return err::Success;
}

WinError MemorySpooler::DriverList(std::vector<DriverInfo>& drivers) {
  std::lock_guard g(s_.lock);
  drivers = s_.spooler.drivers;
  return err::Success;
}

WinError MemorySpooler::MonitorList(std::uint32_t level, std::vector<MonitorInfo>& monitors) {
  std::lock_guard g(s_.lock);
  monitors.clear();
  if (level != 1 && level != 2) return Fail(err::InvalidLevel);
  if (level == 2 && !IsNT(s_)) return Fail(err::InvalidLevel);
  for (const MonitorInfo& m : s_.spooler.monitors)
    monitors.push_back(level == 1 ? MonitorInfo{m.name, "", ""} : m);
  return err::Success;
}

WinError MemorySpooler::DriverDirectory(std::string& path) {
  std::lock_guard g(s_.lock);
  path = DriverFolder(s_);
  return err::Success;
}

WinError MemorySpooler::AddPrintMonitor(const MonitorInfo& monitor) {
  std::lock_guard g(s_.lock);
  if (monitor.name.empty() || monitor.dllName.empty()) return Fail(err::InvalidParameter);
  if (!monitor.environment.empty() && !SameName(monitor.environment, SpoolerEnvironment(s_)))
    return Fail(kInvalidEnvironment);
  if (FindNamed(s_.spooler.monitors, monitor.name, &MonitorInfo::name))
    return Fail(err::AlreadyExists);
  // The DLL is loaded from the system folder.
  if (monitor.dllName.find_first_of("\\/:") != std::string::npos ||
      !IsFile(s_.systemFolder + "\\" + monitor.dllName))
    return Fail(kModuleNotFound);
  s_.spooler.monitors.push_back(
      MonitorInfo{monitor.name, SpoolerEnvironment(s_), monitor.dllName});
  PutString(MakeKey(s_, hkey::LocalMachine, std::string(kMonitorsKey) + "\\" + monitor.name),
            "Driver", monitor.dllName);
  return err::Success;
}

WinError MemorySpooler::AddPrintDriver(const DriverInfo& driver) {
  std::lock_guard g(s_.lock);
  // Level 3 needs the driver, data and configuration files.
  if (driver.name.empty() || driver.driverPath.empty() || driver.dataFile.empty() ||
      driver.configFile.empty())
    return Fail(err::InvalidParameter);
  if (!driver.environment.empty() && !SameName(driver.environment, SpoolerEnvironment(s_)))
    return Fail(kInvalidEnvironment);
  for (const std::string* file : {&driver.driverPath, &driver.dataFile, &driver.configFile,
                                  &driver.helpFile})
    if (!file->empty() && !IsFile(*file)) return Fail(err::FileNotFound);
  for (const std::string& file : driver.dependentFiles)
    if (!IsFile(file)) return Fail(err::FileNotFound);
  if (!driver.monitorName.empty() &&
      !FindNamed(s_.spooler.monitors, driver.monitorName, &MonitorInfo::name))
    return Fail(err::UnknownPrintMonitor);
  DriverInfo stored = driver;
  stored.environment = SpoolerEnvironment(s_);
  // A driver of the same name is replaced (an upgrade).
  if (DriverInfo* existing = FindNamed(s_.spooler.drivers, driver.name, &DriverInfo::name))
    *existing = stored;
  else
    s_.spooler.drivers.push_back(stored);
  return err::Success;
}

WinError MemorySpooler::AddLocalPrinter(const PrinterInfo& printer) {
  std::lock_guard g(s_.lock);
  if (printer.printerName.empty() ||
      printer.printerName.find_first_of(",\\") != std::string::npos)
    return Fail(err::InvalidPrinterName);
  auto refused = s_.spooler.refusals.find(FoldCase(printer.printerName));
  if (refused != s_.spooler.refusals.end()) return Fail(refused->second);
  if (FindNamed(s_.spooler.printers, printer.printerName, &PrinterInfo::printerName))
    return Fail(err::PrinterAlreadyExists);
  if (!FindNamed(s_.spooler.drivers, printer.driverName, &DriverInfo::name))
    return Fail(err::UnknownPrinterDriver);
  // A printer may name several ports, separated by commas; one that the
  // spooler does not know is accepted only for a printer that works offline.
  if ((printer.attributes & pattr::WorkOffline) == 0) {
    std::string ports = printer.portName;
    if (ports.empty()) return Fail(err::UnknownPort);
    std::size_t start = 0;
    while (start <= ports.size()) {
      std::size_t comma = ports.find(',', start);
      std::string port = ports.substr(start, comma == std::string::npos ? std::string::npos
                                                                         : comma - start);
      if (!port.empty() && !KnownPort(s_.spooler, port)) return Fail(err::UnknownPort);
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
  }
  PrinterInfo stored = printer;
  stored.serverName.clear();
  stored.status = 0;
  stored.jobs = 0;
  stored.averagePpm = 0;
  s_.spooler.printers.push_back(stored);
  return err::Success;
}

WinError MemorySpooler::DeleteLocalPrinter(std::string_view printerName) {
  std::lock_guard g(s_.lock);
  auto& list = s_.spooler.printers;
  auto it = std::find_if(list.begin(), list.end(), [&](const PrinterInfo& p) {
    return SameName(p.printerName, printerName);
  });
  if (it == list.end()) return Fail(err::InvalidPrinterName);
  list.erase(it);
  return err::Success;
}

void CompareSpooler(const MemoryMachine::State& a, const MemoryMachine::State& b,
                    std::vector<std::string>& out) {
  auto names = [](const auto& list, auto field) {
    std::vector<std::string> n;
    for (const auto& item : list) n.push_back(item.*field);
    return n;
  };
  auto compare = [&](const char* what, const std::vector<std::string>& x,
                     const std::vector<std::string>& y) {
    for (const std::string& n : x)
      if (std::find(y.begin(), y.end(), n) == y.end())
        out.push_back(std::string("spooler ") + what + " " + n + ": only in first");
    for (const std::string& n : y)
      if (std::find(x.begin(), x.end(), n) == x.end())
        out.push_back(std::string("spooler ") + what + " " + n + ": only in second");
  };
  compare("printer", names(a.spooler.printers, &PrinterInfo::printerName),
          names(b.spooler.printers, &PrinterInfo::printerName));
  compare("driver", names(a.spooler.drivers, &DriverInfo::name),
          names(b.spooler.drivers, &DriverInfo::name));
  compare("monitor", names(a.spooler.monitors, &MonitorInfo::name),
          names(b.spooler.monitors, &MonitorInfo::name));
  compare("port", a.spooler.ports, b.spooler.ports);
}

}  // namespace mem

void AddSpoolerPort(MemoryMachine& machine, const std::string& port) {
  std::lock_guard g(machine.state().lock);
  auto& ports = machine.state().spooler.ports;
  for (const std::string& p : ports)
    if (mem::FoldCase(p) == mem::FoldCase(port)) return;
  ports.push_back(port);
}

void RemoveSpoolerPort(MemoryMachine& machine, const std::string& port) {
  std::lock_guard g(machine.state().lock);
  auto& ports = machine.state().spooler.ports;
  ports.erase(std::remove_if(ports.begin(), ports.end(),
                             [&](const std::string& p) {
                               return mem::FoldCase(p) == mem::FoldCase(port);
                             }),
              ports.end());
}

void RefusePrinter(MemoryMachine& machine, const std::string& printerName, WinError code) {
  std::lock_guard g(machine.state().lock);
  machine.state().spooler.refusals[mem::FoldCase(printerName)] = code;
}

}  // namespace qv
