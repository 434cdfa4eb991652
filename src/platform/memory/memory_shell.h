// The in-memory machine's shell: special folders from the user's "Shell
// Folders" key, and a recycle bin that keeps what was moved there.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/memory/memory_machine.h"
#include "platform/shell.h"

namespace qv::mem {

// What the recycle bin holds: every file and folder moved there, in the
// order they went (a folder before what was inside it).
struct RecycleBinState {
  std::vector<RecycledEntry> entries;
};

// SHFileOperation(FO_DELETE) with FOF_ALLOWUNDO moves the file or the
// folder, with everything below it, out of its drive into the recycle bin
// and answers 0; a missing name answers 2 (err::FileNotFound), as the
// shell does for it; a name with an open file below it answers
// err::SharingViolation and moves nothing. Special folders are the
// "Shell Folders" values of HKEY_CURRENT_USER. File type names, module
// search and version resources are not modelled: the shell gives nothing.
class MemoryShell : public IShell {
 public:
  explicit MemoryShell(MemoryMachine::State& s) : s_(s) {}
  WinError SpecialFolder(int csidl, std::string& path) override;
  WinError SendToRecycleBin(std::string_view path) override;
  bool FileTypeInfo(std::string_view path, std::uint32_t attributes,
                    ShellFileInfo& info) override;
  WinError FindModule(std::string_view name, std::string& fullPath) override;
  WinError FileVersion(std::string_view path, std::uint32_t& versionMS,
                       std::uint32_t& versionLS) override;

 private:
  MemoryMachine::State& s_;
};

// Readable lines for the recycle-bin differences between two states.
void CompareRecycleBins(const RecycleBinState& a, const RecycleBinState& b,
                        std::vector<std::string>& out);

}  // namespace qv::mem
