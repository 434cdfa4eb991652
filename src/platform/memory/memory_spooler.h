// The in-memory machine's print spooler: printers, printer drivers with
// their files on the machine's drives, print monitors and ports, and the
// refusals of the real spooler (unknown port, driver or monitor, a printer
// that exists, an installation the user cancels).
//
// Windows NT keeps driver files in system32\spool\drivers\w32x86 for the
// environment "Windows NT x86" (driver version 2); Windows 95/98 keep them
// in the system folder for "Windows 4.0" (version 0) and answer
// EnumMonitors at level 1 only. Every kind lists its monitors under
// HKEY_LOCAL_MACHINE\System\CurrentControlSet\control\Print\Monitors\<name>
// with the DLL in the string value "Driver".
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"
#include "platform/memory/memory_machine.h"
#include "platform/spooler.h"

namespace qv {
namespace mem {

struct SpoolerState {
  std::vector<PrinterInfo> printers;  // in the order added
  std::vector<DriverInfo> drivers;
  std::vector<MonitorInfo> monitors;
  std::vector<std::string> ports;     // "LPT1:", "FILE:", ...
  // AddPrinter of these printers (folded names) fails with the code, as
  // when the spooler asks for a driver disk and the user cancels.
  std::map<std::string, WinError> refusals;
};

// A fresh machine's spooler: the ports LPT1:, LPT2:, COM1:, COM2:, FILE:,
// the monitor "Local Port" and the driver folder; no drivers, no printers.
void InitializeSpooler(MemoryMachine::State& state);
// Readable lines for the spooler differences between two states.
void CompareSpooler(const MemoryMachine::State& a, const MemoryMachine::State& b,
                    std::vector<std::string>& out);
// The environment and driver version of the machine's kind.
std::string SpoolerEnvironment(const MemoryMachine::State& state);

class MemorySpooler : public ISpooler {
 public:
  MemorySpooler(MemoryMachine::State& s, IFiles& files) : s_(s), files_(files) {}
  WinError PrinterList(std::uint32_t flags, std::vector<PrinterInfo>& printers) override;
  WinError DriverList(std::vector<DriverInfo>& drivers) override;
  WinError MonitorList(std::uint32_t level, std::vector<MonitorInfo>& monitors) override;
  WinError DriverDirectory(std::string& path) override;
  WinError AddPrintMonitor(const MonitorInfo& monitor) override;
  WinError AddPrintDriver(const DriverInfo& driver) override;
  WinError AddLocalPrinter(const PrinterInfo& printer) override;
  WinError DeleteLocalPrinter(std::string_view printerName) override;

 private:
  bool IsFile(const std::string& path);
  MemoryMachine::State& s_;
  IFiles& files_;
};

}  // namespace mem

// Test and scenario helpers.
void AddSpoolerPort(MemoryMachine& machine, const std::string& port);
void RemoveSpoolerPort(MemoryMachine& machine, const std::string& port);
// AddPrinter of `printerName` fails with `code` from now on.
void RefusePrinter(MemoryMachine& machine, const std::string& printerName, WinError code);

}  // namespace qv
