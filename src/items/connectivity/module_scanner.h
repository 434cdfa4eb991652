// The module-dependency scanner: which libraries a program file imports,
// and which files those import in turn.
//
// The parser reads untrusted bytes (a driver file may be anything): every
// offset and count is checked against the image's size, names are bounded,
// and the walk over the import table stops at its end, the image's end or a
// fixed limit, whichever comes first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace items {

enum class ModuleFormat {
  None,      // not a program file, or a damaged one
  Portable,  // "MZ" with a "PE" image (32 or 64 bit)
  Older,     // "MZ" with an "NE", "LE" or "LX" image: recognised, not walked
};

struct ModuleImports {
  ModuleFormat format = ModuleFormat::None;
  // The imported module names in the order of the import table, each once
  // (compared without regard to case).
  std::vector<std::string> names;
};

// The import list of an image in memory.
ModuleImports ParseModuleImports(const std::uint8_t* data, std::size_t size);

// Whether a module (upper-case file name without folder) is one of the
// system's own, never carried with a driver.
bool IsSystemModule(const std::string& upperName);

// Scans `path` and every module it reaches through the current machine:
// each imported name not seen yet is looked for with the loader's search
// (the scanned file's own folder being the current folder meanwhile) and
// scanned in turn; modules that are not found are left out, and system
// modules are not walked into. The result holds the full paths of every
// portable-executable module reached, the start included (nothing when the
// start is no such module).
std::vector<std::string> ScanModuleDependencies(const std::string& path);

}  // namespace items
