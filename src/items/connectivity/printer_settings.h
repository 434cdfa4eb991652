// Printers: the print monitors, printer drivers (with every file they need)
// and printers of this computer, carried to a computer of the same Windows
// kind and installed there through the spooler.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/settings.h"

class TFileReader;

// One printer (PRINTER_INFO_2).
struct TPrinterInfo {
  std::string ServerName, PrinterName, ShareName, PortName, DriverName, Comment, Location,
      SepFile, PrintProcessor, DataType, StatusText, Parameters;
  std::uint32_t Attributes = 0, Priority = 0, DefaultPriority = 0, StartTime = 0, UntilTime = 0,
                Status = 0, Jobs = 0, AveragePPM = 0;
  std::int32_t DevModeSize = 0;
  std::vector<std::uint8_t> DevMode;
};

// The text of a printer's status bits ("Paused  Offline  ").
std::string PrinterStatusText(std::uint32_t status);

class TPrinters {
 public:
  void EnumeratePrinters();
  std::string GetPrinterName(int index) const;
  int Count() const { return static_cast<int>(Printers.size()); }
  // The index of the printer (exact name; with several, the last), or -1.
  int FindPrinter(const std::string& name) const;
  std::string GetDriverName(const std::string& printerName) const;
  bool WritePrinter(const std::string& name, TConnection& stream);
  bool InstallPrinter(TConnection& stream) { return ReadPrinter(stream, true); }
  bool SkipPrinter(TConnection& stream) { return ReadPrinter(stream, false); }

  std::vector<TPrinterInfo> Printers;
  std::vector<TPrinterInfo> Unused;  // stays empty
  std::string ErrorText;

 private:
  bool ReadPrinter(TConnection& stream, bool install);
};

// One printer driver (DRIVER_INFO_3) and the files it needs.
struct TDriverInfo {
  std::uint32_t Version = 0;
  std::string Name, Environment, DriverPath, DataFile, ConfigFile, HelpFile, MonitorName,
      DefaultDataType;
  int FileCount = 0;
  std::uint64_t TotalSize = 0;
  std::vector<std::string> Files;  // upper-case full paths
};

class TDrivers {
 public:
  TDrivers();
  void EnumerateDrivers();
  const TDriverInfo* FindDriver(const std::string& name) const;
  bool WriteDriver(const std::string& name, TConnection& stream);
  bool InstallDriver(TConnection& stream) { return ReadDriver(stream, true); }
  bool SkipDriver(TConnection& stream) { return ReadDriver(stream, false); }

  std::vector<TDriverInfo> Drivers;
  std::string DriverDirectory;  // upper case, with a trailing backslash
  std::string ErrorText;

 private:
  bool ReadDriver(TConnection& stream, bool install);
};

// One print monitor (MONITOR_INFO_2).
struct TMonitorInfo {
  std::string Name, Environment, DLLName;
};

class TMonitors {
 public:
  TMonitors();
  void EnumerateMonitors();
  const TMonitorInfo* FindMonitor(const std::string& name) const;
  bool WriteMonitor(const std::string& name, TConnection& stream);
  bool InstallMonitor(TConnection& stream) { return ReadMonitor(stream, true); }
  bool SkipMonitor(TConnection& stream) { return ReadMonitor(stream, false); }

  std::vector<TMonitorInfo> Monitors;
  std::string SystemDirectory;  // with a trailing backslash
  std::string ErrorText;

 private:
  bool ReadMonitor(TConnection& stream, bool install);
};

// "Printers".
class TOSPrinterSettings : public TSettings {
 public:
  bool Read(TConnection& stream) override;
  bool Write(TConnection& stream) override;
};

namespace items {
// Whether a file name read from a settings file is a plain name that stays
// in the folder it is written to: no folder, drive or device, no "..".
bool IsBareFileName(const std::string& name);
// Whether a carried file of version (high, low) replaces an existing one.
bool ShouldCopyVersion(std::uint32_t carriedHigh, std::uint32_t carriedLow,
                       std::uint32_t existingHigh, std::uint32_t existingLow);
}  // namespace items
