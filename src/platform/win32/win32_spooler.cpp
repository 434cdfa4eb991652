#include "platform/win32/win32_spooler.h"

#include <windows.h>
#include <winspool.h>

#include <cstddef>
#include <cstring>

namespace qv {

// The device mode travels as the system lays it out; its sizes sit where
// the settings file expects them.
static_assert(offsetof(DEVMODEA, dmSize) == 36, "DEVMODEA layout");
static_assert(offsetof(DEVMODEA, dmDriverExtra) == 38, "DEVMODEA layout");

#ifndef APD_COPY_NEW_FILES
#define APD_COPY_NEW_FILES 0x00000008
#endif
#ifndef APD_COPY_FROM_DIRECTORY
#define APD_COPY_FROM_DIRECTORY 0x00000010
#endif

namespace {

std::string Text(const char* s) { return s ? std::string(s) : std::string(); }

// An empty string is handed over as an absent field.
char* Field(std::string& s) { return s.empty() ? nullptr : s.data(); }

WinError LastErrorOr(WinError fallback) {
  const DWORD code = GetLastError();
  return code ? code : fallback;
}

// Calls an Enum function twice, once for the size and once for real, and
// hands each entry it returned, read as an `Info`, to `take`.
template <class Info, class Call, class Take>
WinError EnumerateEach(Call call, Take take) {
  std::vector<BYTE> buffer;
  DWORD needed = 0, count = 0;
  if (call(nullptr, 0, &needed, &count)) return err::Success;
  DWORD code = GetLastError();
  if (code != ERROR_INSUFFICIENT_BUFFER) return code ? code : err::InvalidFunction;
  buffer.assign(needed, 0);
  if (!call(buffer.data(), needed, &needed, &count)) return LastErrorOr(err::InvalidFunction);
  const auto* list = reinterpret_cast<const Info*>(buffer.data());
  for (DWORD i = 0; i < count; ++i) take(list[i]);
  return err::Success;
}

}  // namespace

WinError Win32Spooler::PrinterList(std::uint32_t flags, std::vector<PrinterInfo>& printers) {
  printers.clear();
  return EnumerateEach<PRINTER_INFO_2A>(
      [&](BYTE* data, DWORD size, DWORD* needed, DWORD* returned) {
        return EnumPrintersA(flags, nullptr, 2, data, size, needed, returned);
      },
      [&](const PRINTER_INFO_2A& in) {
        PrinterInfo p;
        p.serverName = Text(in.pServerName);
        p.printerName = Text(in.pPrinterName);
        p.shareName = Text(in.pShareName);
        p.portName = Text(in.pPortName);
        p.driverName = Text(in.pDriverName);
        p.comment = Text(in.pComment);
        p.location = Text(in.pLocation);
        if (in.pDevMode) {
          const std::size_t size = in.pDevMode->dmSize + in.pDevMode->dmDriverExtra;
          const auto* bytes = reinterpret_cast<const std::uint8_t*>(in.pDevMode);
          p.devMode.assign(bytes, bytes + size);
        }
        p.sepFile = Text(in.pSepFile);
        p.printProcessor = Text(in.pPrintProcessor);
        p.dataType = Text(in.pDatatype);
        p.parameters = Text(in.pParameters);
        p.attributes = in.Attributes;
        p.priority = in.Priority;
        p.defaultPriority = in.DefaultPriority;
        p.startTime = in.StartTime;
        p.untilTime = in.UntilTime;
        p.status = in.Status;
        p.jobs = in.cJobs;
        p.averagePpm = in.AveragePPM;
        printers.push_back(std::move(p));
      });
}

WinError Win32Spooler::DriverList(std::vector<DriverInfo>& drivers) {
  drivers.clear();
  return EnumerateEach<DRIVER_INFO_3A>(
      [&](BYTE* data, DWORD size, DWORD* needed, DWORD* returned) {
        return EnumPrinterDriversA(nullptr, nullptr, 3, data, size, needed, returned);
      },
      [&](const DRIVER_INFO_3A& in) {
        DriverInfo d;
        d.version = in.cVersion;
        d.name = Text(in.pName);
        d.environment = Text(in.pEnvironment);
        d.driverPath = Text(in.pDriverPath);
        d.dataFile = Text(in.pDataFile);
        d.configFile = Text(in.pConfigFile);
        d.helpFile = Text(in.pHelpFile);
        for (const char* f = in.pDependentFiles; f && *f; f += std::strlen(f) + 1)
          d.dependentFiles.emplace_back(f);
        d.monitorName = Text(in.pMonitorName);
        d.defaultDataType = Text(in.pDefaultDataType);
        drivers.push_back(std::move(d));
      });
}

WinError Win32Spooler::MonitorList(std::uint32_t level, std::vector<MonitorInfo>& monitors) {
  monitors.clear();
  if (level != 1 && level != 2) return err::InvalidLevel;
  auto call = [&](BYTE* data, DWORD size, DWORD* needed, DWORD* returned) {
    return EnumMonitorsA(nullptr, level, data, size, needed, returned);
  };
  if (level == 1)
    return EnumerateEach<MONITOR_INFO_1A>(call, [&](const MONITOR_INFO_1A& in) {
      MonitorInfo m;
      m.name = Text(in.pName);
      monitors.push_back(std::move(m));
    });
  return EnumerateEach<MONITOR_INFO_2A>(call, [&](const MONITOR_INFO_2A& in) {
    MonitorInfo m;
    m.name = Text(in.pName);
    m.environment = Text(in.pEnvironment);
    m.dllName = Text(in.pDLLName);
    monitors.push_back(std::move(m));
  });
}

WinError Win32Spooler::DriverDirectory(std::string& path) {
  path.clear();
  char buffer[MAX_PATH * 2] = "";
  DWORD needed = 0;
  if (!GetPrinterDriverDirectoryA(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(buffer),
                                  sizeof buffer, &needed))
    return LastErrorOr(err::InvalidFunction);
  path = buffer;
  while (!path.empty() && path.back() == '\\') path.pop_back();
  return err::Success;
}

WinError Win32Spooler::AddPrintMonitor(const MonitorInfo& monitor) {
  std::string name = monitor.name, environment = monitor.environment, dll = monitor.dllName;
  MONITOR_INFO_2A info{};
  info.pName = Field(name);
  info.pEnvironment = Field(environment);
  info.pDLLName = Field(dll);
  if (!AddMonitorA(nullptr, 2, reinterpret_cast<BYTE*>(&info)))
    return LastErrorOr(err::InvalidFunction);
  return err::Success;
}

WinError Win32Spooler::AddPrintDriver(const DriverInfo& driver) {
  // The driver, data and configuration files are required at this level;
  // Wine's spooler crashes on a missing one instead of refusing it.
  if (driver.name.empty() || driver.driverPath.empty() || driver.dataFile.empty() ||
      driver.configFile.empty())
    return ERROR_INVALID_PARAMETER;
  DriverInfo d = driver;
  std::string dependents;
  for (const std::string& f : d.dependentFiles) {
    dependents += f;
    dependents.push_back('\0');
  }
  dependents.push_back('\0');
  DRIVER_INFO_3A info{};
  info.cVersion = d.version;
  info.pName = Field(d.name);
  info.pEnvironment = Field(d.environment);
  info.pDriverPath = Field(d.driverPath);
  info.pDataFile = Field(d.dataFile);
  info.pConfigFile = Field(d.configFile);
  info.pHelpFile = Field(d.helpFile);
  info.pDependentFiles = d.dependentFiles.empty() ? nullptr : dependents.data();
  info.pMonitorName = Field(d.monitorName);
  info.pDefaultDataType = Field(d.defaultDataType);

  using AddEx = BOOL(WINAPI*)(LPSTR, DWORD, LPBYTE, DWORD);
  HMODULE winspool = GetModuleHandleA("winspool.drv");
  auto addEx = winspool ? reinterpret_cast<AddEx>(
                              reinterpret_cast<void*>(GetProcAddress(winspool, "AddPrinterDriverExA")))
                        : nullptr;
  if (addEx) {
    if (addEx(nullptr, 3, reinterpret_cast<BYTE*>(&info),
              APD_COPY_NEW_FILES | APD_COPY_FROM_DIRECTORY))
      return err::Success;
    const DWORD code = GetLastError();
    // Systems without the copy flags refuse them: the plain call follows.
    if (code != ERROR_INVALID_PARAMETER && code != ERROR_INVALID_FLAGS && code != 0) return code;
  }
  if (!AddPrinterDriverA(nullptr, 3, reinterpret_cast<BYTE*>(&info)))
    return LastErrorOr(err::InvalidFunction);
  return err::Success;
}

WinError Win32Spooler::AddLocalPrinter(const PrinterInfo& printer) {
  PrinterInfo p = printer;
  PRINTER_INFO_2A info{};
  info.pServerName = Field(p.serverName);
  info.pPrinterName = Field(p.printerName);
  info.pShareName = Field(p.shareName);
  info.pPortName = Field(p.portName);
  info.pDriverName = Field(p.driverName);
  info.pComment = Field(p.comment);
  info.pLocation = Field(p.location);
  // The device mode in a buffer of its own, aligned for the structure.
  std::vector<std::uint64_t> devMode((p.devMode.size() + 7) / 8 + 1);
  if (p.devMode.size() >= offsetof(DEVMODEA, dmDriverExtra) + sizeof(WORD)) {
    std::memcpy(devMode.data(), p.devMode.data(), p.devMode.size());
    info.pDevMode = reinterpret_cast<DEVMODEA*>(devMode.data());
  }
  info.pSepFile = Field(p.sepFile);
  info.pPrintProcessor = Field(p.printProcessor);
  info.pDatatype = Field(p.dataType);
  info.pParameters = Field(p.parameters);
  info.pSecurityDescriptor = nullptr;
  info.Attributes = p.attributes;
  info.Priority = p.priority;
  info.DefaultPriority = p.defaultPriority;
  info.StartTime = p.startTime;
  info.UntilTime = p.untilTime;
  HANDLE handle = AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&info));
  if (!handle) return LastErrorOr(err::InvalidFunction);
  ClosePrinter(handle);
  return err::Success;
}

WinError Win32Spooler::DeleteLocalPrinter(std::string_view printerName) {
  std::string name(printerName);
  PRINTER_DEFAULTSA defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
  HANDLE handle = nullptr;
  if (!OpenPrinterA(name.data(), &handle, &defaults)) return LastErrorOr(err::InvalidFunction);
  const BOOL deleted = DeletePrinter(handle);
  const DWORD code = deleted ? 0 : GetLastError();
  ClosePrinter(handle);
  return deleted ? err::Success : (code ? code : err::InvalidFunction);
}

}  // namespace qv
