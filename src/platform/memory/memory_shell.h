// The in-memory machine's shell: where the loader finds a module and the
// version resource of a file. A file's version is what its bytes say: the
// first VS_FIXEDFILEINFO (signature 0xFEEF04BD at a 4-byte boundary) in
// the file gives dwFileVersionMS and dwFileVersionLS, as the version
// resource of a real module would. Special folders, the recycle bin and
// file type names are not modelled here (the machine gives none).
#pragma once

#include "platform/files.h"
#include "platform/memory/memory_machine.h"
#include "platform/shell.h"

namespace qv::mem {

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

}  // namespace qv::mem
