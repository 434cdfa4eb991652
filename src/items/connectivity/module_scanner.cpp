#include "items/connectivity/module_scanner.h"

#include <algorithm>
#include <cctype>
#include <set>

#include "engine/debug_log.h"
#include "engine/file_utils.h"
#include "platform/files.h"
#include "platform/machine.h"
#include "platform/shell.h"

namespace items {

namespace {

// Limits that keep a hostile image from costing much.
constexpr std::size_t kMaxSections = 96;           // what the loader accepts
constexpr std::size_t kMaxDescriptors = 4096;      // import descriptors per image
constexpr std::size_t kMaxNameLength = 260;        // MAX_PATH
constexpr std::uint64_t kMaxImageSize = 64u << 20;  // files larger are not scanned
constexpr std::size_t kMaxModules = 512;           // modules per scan

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

std::string FileNameOf(const std::string& path) {
  std::size_t cut = path.find_last_of("\\/:");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

class Image {
 public:
  Image(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool Has(std::uint64_t offset, std::uint64_t count) const {
    return offset <= size_ && count <= size_ - offset;
  }
  bool U16(std::uint64_t at, std::uint32_t& value) const {
    if (!Has(at, 2)) return false;
    value = data_[at] | static_cast<std::uint32_t>(data_[at + 1]) << 8;
    return true;
  }
  bool U32(std::uint64_t at, std::uint32_t& value) const {
    if (!Has(at, 4)) return false;
    value = data_[at] | static_cast<std::uint32_t>(data_[at + 1]) << 8 |
            static_cast<std::uint32_t>(data_[at + 2]) << 16 |
            static_cast<std::uint32_t>(data_[at + 3]) << 24;
    return true;
  }
  // A zero-terminated name of printable characters, within the image.
  bool Name(std::uint64_t at, std::string& name) const {
    name.clear();
    for (std::uint64_t i = at; i < size_ && name.size() <= kMaxNameLength; ++i) {
      const std::uint8_t c = data_[i];
      if (c == 0) return !name.empty();
      if (c < 0x20 || c == 0x7F) return false;
      name.push_back(static_cast<char>(c));
    }
    return false;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
};

struct Section {
  std::uint32_t virtualAddress = 0;
  std::uint32_t span = 0;  // the larger of the virtual and the raw size
  std::uint32_t rawOffset = 0;
  std::uint32_t rawSize = 0;
};

// The file offset of a relative virtual address, or false when no section
// holds it in the file.
bool OffsetOf(const std::vector<Section>& sections, std::uint32_t rva, std::uint64_t& offset) {
  for (const Section& s : sections) {
    if (rva < s.virtualAddress) continue;
    const std::uint64_t delta = static_cast<std::uint64_t>(rva) - s.virtualAddress;
    if (delta >= s.span || delta >= s.rawSize) continue;
    offset = static_cast<std::uint64_t>(s.rawOffset) + delta;
    return true;
  }
  return false;
}

}  // namespace

bool IsSystemModule(const std::string& upperName) {
  static const std::set<std::string> kSystem = {
      "SYSTEM32.DLL", "KERNEL32.DLL", "USER32.DLL",   "MSVCRT20.DLL", "ADVAPI32.DLL",
      "GDI32.DLL",    "SPOOLSS.DLL",  "WINSPOOL.DRV", "MPR.DLL",      "MSVCRT40.DLL",
      "MSVCRT.DLL",   "MSVCIRT.DLL",  "NTDLL.DLL",    "NTOSKRNL.EXE", "RPCRT4.DLL",
      "WIN32K.SYS",   "HAL.DLL",      "SHELL32.DLL",  "COMCTL32.DLL", "COMDLG32.DLL",
      "LZ32.DLL",     "NTVDM.EXE",    "WOW32.DLL",    "VERSION.DLL"};
  return kSystem.count(upperName) != 0;
}

ModuleImports ParseModuleImports(const std::uint8_t* data, std::size_t size) {
  ModuleImports result;
  if (!data) return result;
  Image image(data, size);
  std::uint32_t mz = 0, lfanew = 0;
  if (!image.U16(0, mz) || mz != 0x5A4D || !image.U32(0x3C, lfanew)) return result;
  std::uint32_t signature = 0;
  if (!image.U16(lfanew, signature)) return result;
  if (signature == 0x454E || signature == 0x454C || signature == 0x584C) {  // NE, LE, LX
    result.format = ModuleFormat::Older;
    return result;
  }
  std::uint32_t pe = 0;
  if (!image.U32(lfanew, pe) || pe != 0x00004550) return result;  // "PE\0\0"

  const std::uint64_t coff = static_cast<std::uint64_t>(lfanew) + 4;
  std::uint32_t sectionCount = 0, optionalSize = 0, magic = 0;
  if (!image.U16(coff + 2, sectionCount) || !image.U16(coff + 16, optionalSize)) return result;
  const std::uint64_t optional = coff + 20;
  if (!image.U16(optional, magic)) return result;
  std::uint64_t countAt = 0, directories = 0;
  if (magic == 0x10B) {
    countAt = optional + 92;
    directories = optional + 96;
  } else if (magic == 0x20B) {
    countAt = optional + 108;
    directories = optional + 112;
  } else {
    return result;
  }
  result.format = ModuleFormat::Portable;
  if (sectionCount > kMaxSections) return result;

  std::vector<Section> sections;
  const std::uint64_t table = optional + optionalSize;
  for (std::uint32_t i = 0; i < sectionCount; ++i) {
    const std::uint64_t at = table + 40ull * i;
    Section s;
    std::uint32_t virtualSize = 0;
    if (!image.U32(at + 8, virtualSize) || !image.U32(at + 12, s.virtualAddress) ||
        !image.U32(at + 16, s.rawSize) || !image.U32(at + 20, s.rawOffset))
      return result;
    s.span = std::max(virtualSize, s.rawSize);
    // Only what the file really holds can be read.
    if (s.rawOffset >= size) continue;
    s.rawSize = static_cast<std::uint32_t>(
        std::min<std::uint64_t>(s.rawSize, size - static_cast<std::uint64_t>(s.rawOffset)));
    sections.push_back(s);
  }

  // The import directory: entry 1, inside the optional header.
  std::uint32_t directoryCount = 0, importRva = 0;
  if (!image.U32(countAt, directoryCount) || directoryCount < 2) return result;
  const std::uint64_t importEntry = directories + 8;
  if (importEntry + 8 > optional + optionalSize) return result;
  if (!image.U32(importEntry, importRva) || importRva == 0) return result;
  std::uint64_t descriptor = 0;
  if (!OffsetOf(sections, importRva, descriptor)) return result;

  std::set<std::string> seen;
  for (std::size_t i = 0; i < kMaxDescriptors; ++i, descriptor += 20) {
    std::uint32_t lookup = 0, stamp = 0, chain = 0, nameRva = 0, thunks = 0;
    if (!image.U32(descriptor, lookup) || !image.U32(descriptor + 4, stamp) ||
        !image.U32(descriptor + 8, chain) || !image.U32(descriptor + 12, nameRva) ||
        !image.U32(descriptor + 16, thunks))
      break;
    if (lookup == 0 && stamp == 0 && chain == 0 && nameRva == 0 && thunks == 0) break;
    std::uint64_t nameAt = 0;
    std::string name;
    if (!OffsetOf(sections, nameRva, nameAt) || !image.Name(nameAt, name)) continue;
    if (seen.insert(Upper(name)).second) result.names.push_back(name);
  }
  return result;
}

namespace {

bool ReadImage(const std::string& path, std::vector<std::uint8_t>& bytes) {
  qv::IFiles& files = qv::CurrentMachine().Files();
  qv::FileHandle handle = 0;
  if (files.Open(path, qv::FileAccess::Read, qv::Disposition::OpenExisting, 0, handle) !=
      qv::err::Success)
    return false;
  qv::FileCloser closer(files, handle);
  std::uint64_t size = 0;
  if (files.Size(handle, size) != qv::err::Success || size > kMaxImageSize) return false;
  bytes.resize(static_cast<std::size_t>(size));
  std::size_t got = 0;
  while (got < bytes.size()) {
    std::uint32_t done = 0;
    const std::uint32_t want =
        static_cast<std::uint32_t>(std::min<std::size_t>(bytes.size() - got, 1u << 20));
    if (files.Read(handle, bytes.data() + got, want, done) != qv::err::Success || done == 0)
      break;
    got += done;
  }
  bytes.resize(got);
  return true;
}

struct Scan {
  std::set<std::string> names;  // imported names already looked for
  std::set<std::string> paths;  // upper-case full paths already scanned
  std::vector<std::string> result;
};

void ScanFile(const std::string& path, Scan& scan) {
  if (scan.result.size() >= kMaxModules) return;
  if (!scan.paths.insert(Upper(path)).second) return;
  std::vector<std::uint8_t> bytes;
  if (!ReadImage(path, bytes)) return;
  const ModuleImports imports = ParseModuleImports(bytes.data(), bytes.size());
  if (imports.format != ModuleFormat::Portable) return;
  scan.result.push_back(path);
  scan.names.insert(Upper(FileNameOf(path)));

  qv::Machine& machine = qv::CurrentMachine();
  qv::IShell* shell = machine.Shell();
  if (!shell) return;
  qv::IFiles& files = machine.Files();
  std::string previous;
  const bool moved = files.CurrentFolder(previous) == qv::err::Success &&
                     files.SetCurrentFolder(FolderOf(path)) == qv::err::Success;
  std::vector<std::string> found;
  for (const std::string& name : imports.names) {
    const std::string upper = Upper(name);
    if (!scan.names.insert(upper).second) continue;
    std::string full;
    if (shell->FindModule(name, full) != qv::err::Success) continue;
    // The system's own modules import only each other: not walked into.
    if (IsSystemModule(Upper(FileNameOf(full)))) continue;
    found.push_back(full);
  }
  // Each found module is scanned from its own folder.
  for (const std::string& full : found) ScanFile(full, scan);
  if (moved) files.SetCurrentFolder(previous);
}

}  // namespace

std::vector<std::string> ScanModuleDependencies(const std::string& path) {
  Scan scan;
  ScanFile(path, scan);
  return scan.result;
}

}  // namespace items
