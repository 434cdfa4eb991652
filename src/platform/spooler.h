// Print-spooler port: the winspool calls that list and install printers,
// printer drivers and print monitors on the local computer.
//
// Strings are ANSI. In a structure handed to an Add call an empty string
// stands for an absent (null) field.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win_types.h"

namespace qv {

// Spooler error codes (the values of winerror.h).
namespace err {
inline constexpr WinError InvalidLevel = 124;
inline constexpr WinError Cancelled = 1223;
inline constexpr WinError UnknownPort = 1796;
inline constexpr WinError UnknownPrinterDriver = 1797;
inline constexpr WinError InvalidPrinterName = 1801;
inline constexpr WinError PrinterAlreadyExists = 1802;
inline constexpr WinError UnknownPrintMonitor = 3000;
}  // namespace err

// EnumPrinters flags (PRINTER_ENUM_*).
namespace penum {
inline constexpr std::uint32_t Local = 0x02;
inline constexpr std::uint32_t Connections = 0x04;
}  // namespace penum

// Printer attributes (PRINTER_ATTRIBUTE_*) the printers item sets.
namespace pattr {
inline constexpr std::uint32_t WorkOffline = 0x400;
}  // namespace pattr

// PRINTER_INFO_2, without its security descriptor.
struct PrinterInfo {
  std::string serverName;
  std::string printerName;
  std::string shareName;
  std::string portName;
  std::string driverName;
  std::string comment;
  std::string location;
  // The ANSI DEVMODE as it lies in memory: dmSize + dmDriverExtra bytes;
  // empty when the printer has none.
  std::vector<std::uint8_t> devMode;
  std::string sepFile;
  std::string printProcessor;
  std::string dataType;
  std::string parameters;
  std::uint32_t attributes = 0;
  std::uint32_t priority = 0;
  std::uint32_t defaultPriority = 0;
  std::uint32_t startTime = 0;  // minutes after midnight UTC
  std::uint32_t untilTime = 0;
  std::uint32_t status = 0;     // PRINTER_STATUS_* bits
  std::uint32_t jobs = 0;
  std::uint32_t averagePpm = 0;
};

// DRIVER_INFO_3.
struct DriverInfo {
  std::uint32_t version = 0;  // cVersion
  std::string name;
  std::string environment;    // "Windows 4.0", "Windows NT x86", ...
  std::string driverPath;
  std::string dataFile;
  std::string configFile;
  std::string helpFile;
  std::vector<std::string> dependentFiles;  // pDependentFiles, one entry per file
  std::string monitorName;
  std::string defaultDataType;
};

// MONITOR_INFO_2; level 1 gives the name only.
struct MonitorInfo {
  std::string name;
  std::string environment;
  std::string dllName;
};

class ISpooler {
 public:
  virtual ~ISpooler() = default;

  // EnumPrinters(flags, NULL, 2): the printers in the spooler's order.
  virtual WinError PrinterList(std::uint32_t flags, std::vector<PrinterInfo>& printers) = 0;
  // EnumPrinterDrivers(NULL, NULL, 3): the drivers installed for the local
  // environment.
  virtual WinError DriverList(std::vector<DriverInfo>& drivers) = 0;
  // EnumMonitors(NULL, level): level 1 (names only) or 2. Windows 95/98
  // offer level 1 only and refuse level 2 with err::InvalidLevel.
  virtual WinError MonitorList(std::uint32_t level, std::vector<MonitorInfo>& monitors) = 0;
  // GetPrinterDriverDirectory(NULL, NULL, 1): the folder into which driver
  // files are copied for the local environment, without a trailing
  // backslash.
  virtual WinError DriverDirectory(std::string& path) = 0;

  // AddMonitor(NULL, 2, ...): `dllName` is the file name without folder,
  // the file already lying in the system folder. err::AlreadyExists when a
  // monitor of that name is installed.
  virtual WinError AddPrintMonitor(const MonitorInfo& monitor) = 0;
  // AddPrinterDriver(NULL, 3, ...): the files must already lie at the paths
  // given; a driver without its driver, data or configuration file is
  // refused with err::InvalidParameter. A monitor name the spooler does not
  // know gives err::UnknownPrintMonitor.
  virtual WinError AddPrintDriver(const DriverInfo& driver) = 0;
  // AddPrinter(NULL, 2, ...) followed by ClosePrinter: no security
  // descriptor; `status`, `jobs` and `averagePpm` are not used. A port the
  // spooler does not know gives err::UnknownPort.
  virtual WinError AddLocalPrinter(const PrinterInfo& printer) = 0;
  // OpenPrinter + DeletePrinter + ClosePrinter. No item removes printers;
  // tests use it to take away the printers they added.
  virtual WinError DeleteLocalPrinter(std::string_view printerName) = 0;
};

}  // namespace qv
