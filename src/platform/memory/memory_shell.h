// The in-memory machine's shell: special folders from the user's "Shell
// Folders" key, and a recycle bin that keeps what was moved there.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"
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
// "Shell Folders" values of HKEY_CURRENT_USER. File type names are not
// modelled. A file's version is what its bytes say: the first
// VS_FIXEDFILEINFO (signature 0xFEEF04BD at a 4-byte boundary) in the file
// gives dwFileVersionMS and dwFileVersionLS, as the version resource of a
// real module would.
class MemoryShell : public IShell {
 public:
  MemoryShell(MemoryMachine::State& s, IFiles& files) : s_(s), files_(files) {}
  WinError SpecialFolder(int csidl, std::string& path) override;
  WinError SendToRecycleBin(std::string_view path) override;
  bool FileTypeInfo(std::string_view path, std::uint32_t attributes,
                    ShellFileInfo& info) override;
  // A name with a folder is looked for where it says; a bare name in the
  // current folder, the system folder and the Windows folder, in that order.
  WinError FindModule(std::string_view name, std::string& fullPath) override;
  WinError FileVersion(std::string_view path, std::uint32_t& versionMS,
                       std::uint32_t& versionLS) override;

 private:
  bool IsFile(const std::string& path);
  MemoryMachine::State& s_;
  IFiles& files_;
};

// Readable lines for the recycle-bin differences between two states.
void CompareRecycleBins(const RecycleBinState& a, const RecycleBinState& b,
                        std::vector<std::string>& out);

}  // namespace qv::mem
