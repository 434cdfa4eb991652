// A small helper for the end-to-end checks and the demo, run under Wine on
// a test PC:
//   printer_tool add <printer> <driver> [separator file]
//       installs <driver> from the files of Wine's own PostScript driver
//       (copied from the spooler's version folder into its driver folder,
//       as a setup program leaves them) and a printer using it on FILE:;
//   printer_tool list
//       prints one line per printer: name|driver|port|location.
// Exits with 0 on success, else with the system's error code.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/win32/win32_spooler.h"

int main(int argc, char** argv) {
  qv::Win32Spooler spooler;
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "list") {
    std::vector<qv::PrinterInfo> printers;
    const qv::WinError code =
        spooler.PrinterList(qv::penum::Local | qv::penum::Connections, printers);
    for (const qv::PrinterInfo& p : printers)
      std::printf("%s|%s|%s|%s\n", p.printerName.c_str(), p.driverName.c_str(),
                  p.portName.c_str(), p.location.c_str());
    return static_cast<int>(code);
  }
  if (mode != "add" || argc < 4) {
    std::fprintf(stderr, "usage: printer_tool add <printer> <driver> [separator] | list\n");
    return 87;
  }
  std::string dir;
  qv::WinError code = spooler.DriverDirectory(dir);
  if (code) return static_cast<int>(code);
  const std::string file = dir + "\\wineps.drv";
  if (GetFileAttributesA(file.c_str()) == INVALID_FILE_ATTRIBUTES &&
      !CopyFileA((dir + "\\3\\wineps.drv").c_str(), file.c_str(), TRUE))
    return static_cast<int>(GetLastError());
  qv::DriverInfo d;
  d.version = 3;
  d.name = argv[3];
  d.driverPath = d.dataFile = d.configFile = file;
  d.defaultDataType = "RAW";
  code = spooler.AddPrintDriver(d);
  if (code) return static_cast<int>(code);
  qv::PrinterInfo p;
  p.printerName = argv[2];
  p.driverName = argv[3];
  p.portName = "FILE:";
  p.printProcessor = "winprint";
  p.dataType = "RAW";
  p.comment = "made for the end-to-end check";
  p.location = "Harbour office";
  p.priority = 1;
  p.defaultPriority = 1;
  if (argc > 4) p.sepFile = argv[4];
  return static_cast<int>(spooler.AddLocalPrinter(p));
}
