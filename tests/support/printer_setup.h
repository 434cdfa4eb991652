// Printers on in-memory machines: program files with imports and version
// resources, and drivers, monitors and printers installed as a setup
// program would (files first, then the spooler).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/memory/memory_machine.h"
#include "platform/memory/memory_spooler.h"
#include "platform/spooler.h"
#include "support/memory_fixture.h"

namespace qv::test {

inline void Put32(std::string& b, std::size_t at, std::uint32_t v) {
  if (b.size() < at + 4) b.resize(at + 4, '\0');
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}
inline void Put16(std::string& b, std::size_t at, std::uint16_t v) {
  if (b.size() < at + 2) b.resize(at + 2, '\0');
  b[at] = static_cast<char>(v & 0xFF);
  b[at + 1] = static_cast<char>(v >> 8);
}

// A 32-bit portable-executable image importing `imports`, with a
// version resource of (high, low) when either is not 0.
inline std::string PeImage(const std::vector<std::string>& imports, std::uint32_t high = 0,
                           std::uint32_t low = 0, bool pe64 = false) {
  std::string b(0x200, '\0');
  b[0] = 'M';
  b[1] = 'Z';
  Put32(b, 0x3C, 0x40);
  b.replace(0x40, 4, std::string("PE\0\0", 4));
  const std::size_t coff = 0x44, opt = coff + 20;
  const std::uint16_t optSize = pe64 ? 240 : 224;
  Put16(b, coff, pe64 ? 0x8664 : 0x14C);
  Put16(b, coff + 2, 1);
  Put16(b, coff + 16, optSize);
  Put16(b, opt, pe64 ? 0x20B : 0x10B);
  const std::size_t dirs = opt + (pe64 ? 112 : 96);
  Put32(b, opt + (pe64 ? 108 : 92), 16);
  // The section's contents: descriptors, a zero one, then the names.
  std::string raw((imports.size() + 1) * 20, '\0');
  for (std::size_t i = 0; i < imports.size(); ++i) {
    Put32(raw, i * 20 + 12, static_cast<std::uint32_t>(0x1000 + raw.size()));
    raw += imports[i];
    raw.push_back('\0');
  }
  while (raw.size() % 4) raw.push_back('\0');
  if (high || low) {
    const std::size_t at = raw.size();
    Put32(raw, at, 0xFEEF04BD);
    Put32(raw, at + 4, 0x00010000);
    Put32(raw, at + 8, high);
    Put32(raw, at + 12, low);
  }
  Put32(b, dirs + 8, 0x1000);
  Put32(b, dirs + 12, static_cast<std::uint32_t>((imports.size() + 1) * 20));
  const std::size_t section = opt + optSize;
  b.replace(section, 8, std::string(".idata\0\0", 8));
  Put32(b, section + 8, static_cast<std::uint32_t>(raw.size()));
  Put32(b, section + 12, 0x1000);
  Put32(b, section + 16, static_cast<std::uint32_t>(raw.size()));
  Put32(b, section + 20, 0x200);
  b += raw;
  return b;
}

// A DEVMODE of 156 bytes plus `extra` driver bytes, named `device`.
inline std::vector<std::uint8_t> DevMode(const std::string& device, std::uint16_t extra = 8) {
  std::vector<std::uint8_t> d(156 + extra, 0);
  for (std::size_t i = 0; i < device.size() && i < 31; ++i) d[i] = device[i];
  d[36] = 156;
  d[38] = static_cast<std::uint8_t>(extra);
  for (std::uint16_t i = 0; i < extra; ++i) d[156 + i] = static_cast<std::uint8_t>(0xA0 + i);
  return d;
}

inline std::string SystemFolderOf(MemoryMachine& m) {
  std::string s;
  m.System().SystemFolder(s);
  return s;
}
inline std::string DriverFolderOf(MemoryMachine& m) {
  std::string s;
  m.Spooler()->DriverDirectory(s);
  return s;
}

// A print monitor whose DLL lies in the system folder.
inline void InstallMonitor(MemoryMachine& m, const std::string& name, const std::string& dll,
                           std::uint32_t high = 0) {
  PutFile(m, SystemFolderOf(m) + "\\" + dll, PeImage({"KERNEL32.DLL"}, high, 0));
  ASSERT_EQ(m.Spooler()->AddPrintMonitor(MonitorInfo{name, "", dll}), err::Success);
}

// A driver: driver, data, config and help files in the driver folder (the
// driver file importing HELPER modules given), dependents beside them.
struct DriverSetup {
  std::string name = "Harbour Laser";
  std::string driver = "HLASER.DRV";
  std::string data = "HLASER.PPD";
  std::string config = "HLUI.DLL";
  std::string help = "HLASER.HLP";
  std::vector<std::string> dependents = {"HLFONTS.DAT"};
  std::vector<std::string> imports = {"KERNEL32.DLL", "GDI32.DLL", "HLHELP.DLL"};
  // Modules the driver file imports that lie beside it (each importing the
  // driver file back).
  std::vector<std::string> helpers = {"HLHELP.DLL"};
  std::string monitor;
  std::uint32_t versionHigh = 0x00040000;
  std::uint32_t versionLow = 7;
};

inline void InstallDriver(MemoryMachine& m, const DriverSetup& s) {
  const std::string dir = DriverFolderOf(m) + "\\";
  PutFile(m, dir + s.driver, PeImage(s.imports, s.versionHigh, s.versionLow));
  PutFile(m, dir + s.data, "*PPD-Adobe: \"4.0\" " + s.name);
  PutFile(m, dir + s.config, PeImage({"USER32.DLL", s.driver}, s.versionHigh, s.versionLow));
  PutFile(m, dir + s.help, "help " + s.name);
  for (const std::string& h : s.helpers) PutFile(m, dir + h, PeImage({s.driver, "NTDLL.DLL"}, 1, 1));
  DriverInfo d;
  d.version = m.Kind() == okWinNT ? 2 : 0;
  d.name = s.name;
  d.driverPath = dir + s.driver;
  d.dataFile = dir + s.data;
  d.configFile = dir + s.config;
  d.helpFile = dir + s.help;
  for (const std::string& f : s.dependents) {
    PutFile(m, dir + f, "dependent " + f);
    d.dependentFiles.push_back(dir + f);
  }
  d.monitorName = s.monitor;
  d.defaultDataType = "RAW";
  ASSERT_EQ(m.Spooler()->AddPrintDriver(d), err::Success);
}

inline PrinterInfo Printer(const std::string& name, const std::string& driver,
                           const std::string& port = "LPT1:") {
  PrinterInfo p;
  p.printerName = name;
  p.driverName = driver;
  p.portName = port;
  p.comment = "by the window";
  p.location = "Harbour office";
  p.printProcessor = "WinPrint";
  p.dataType = "RAW";
  p.attributes = 0x40;  // local
  p.priority = 1;
  p.defaultPriority = 1;
  p.devMode = DevMode(name);
  return p;
}

inline void InstallPrinter(MemoryMachine& m, const PrinterInfo& p) {
  ASSERT_EQ(m.Spooler()->AddLocalPrinter(p), err::Success) << p.printerName;
}

inline const PrinterInfo* FindPrinter(MemoryMachine& m, const std::string& name,
                                      std::vector<PrinterInfo>& store) {
  m.Spooler()->PrinterList(penum::Local, store);
  for (const PrinterInfo& p : store)
    if (p.printerName == name) return &p;
  return nullptr;
}

inline bool HasDriver(MemoryMachine& m, const std::string& name, DriverInfo* out = nullptr) {
  std::vector<DriverInfo> list;
  m.Spooler()->DriverList(list);
  for (const DriverInfo& d : list)
    if (d.name == name) {
      if (out) *out = d;
      return true;
    }
  return false;
}

inline bool HasMonitor(MemoryMachine& m, const std::string& name) {
  std::vector<MonitorInfo> list;
  m.Spooler()->MonitorList(1, list);
  for (const MonitorInfo& x : list)
    if (x.name == name) return true;
  return false;
}

}  // namespace qv::test
