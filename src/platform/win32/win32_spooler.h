// The print spooler through winspool's ANSI calls.
#pragma once

#include "platform/spooler.h"

namespace qv {

class Win32Spooler : public ISpooler {
 public:
  WinError PrinterList(std::uint32_t flags, std::vector<PrinterInfo>& printers) override;
  WinError DriverList(std::vector<DriverInfo>& drivers) override;
  WinError MonitorList(std::uint32_t level, std::vector<MonitorInfo>& monitors) override;
  WinError DriverDirectory(std::string& path) override;
  WinError AddPrintMonitor(const MonitorInfo& monitor) override;
  // AddPrinterDriverEx with APD_COPY_NEW_FILES | APD_COPY_FROM_DIRECTORY
  // where the system has it (the spooler then copies the files from where
  // they lie into its version folder), else AddPrinterDriver.
  WinError AddPrintDriver(const DriverInfo& driver) override;
  WinError AddLocalPrinter(const PrinterInfo& printer) override;
  WinError DeleteLocalPrinter(std::string_view printerName) override;
};

}  // namespace qv
