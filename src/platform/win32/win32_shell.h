// The shell through the real calls: special folders, the recycle bin, file
// type names and icons, module search and version resources.
#pragma once

#include "platform/shell.h"

namespace qv {

class Win32Shell : public IShell {
 public:
  WinError SpecialFolder(int csidl, std::string& path) override;
  WinError SendToRecycleBin(std::string_view path) override;
  bool FileTypeInfo(std::string_view path, std::uint32_t attributes,
                    ShellFileInfo& info) override;
  WinError FindModule(std::string_view name, std::string& fullPath) override;
  WinError FileVersion(std::string_view path, std::uint32_t& versionMS,
                       std::uint32_t& versionLS) override;
};

}  // namespace qv
