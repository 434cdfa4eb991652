// INI files of the in-memory machine: real files on its drives, read and
// edited through its files port as the profile calls would.
//
// Windows NT maps some INI sections into the registry (IniFileMapping);
// this machine does not: on every kind the calls read and write the files.
#pragma once

#include "platform/files.h"
#include "platform/profiles.h"

namespace qv::mem {

class MemoryProfiles : public IProfiles {
 public:
  // `windowsFolder` is where bare file names live.
  MemoryProfiles(IFiles& files, const std::string& windowsFolder)
      : files_(files), windowsFolder_(windowsFolder) {}

  std::string ReadProfileString(std::string_view file, std::string_view section,
                                std::string_view key, std::string_view defaultValue) override;
  WinError WriteProfileValue(std::string_view file, std::string_view section,
                             std::string_view key, std::string_view value) override;
  WinError DeleteProfileKey(std::string_view file, std::string_view section,
                            std::string_view key) override;
  WinError DeleteProfileSection(std::string_view file, std::string_view section) override;
  std::vector<std::string> ProfileSectionNames(std::string_view file) override;
  std::vector<std::string> ProfileKeyNames(std::string_view file,
                                           std::string_view section) override;
  std::string ReadWinIniString(std::string_view section, std::string_view key,
                               std::string_view defaultValue) override;
  WinError WriteWinIniValue(std::string_view section, std::string_view key,
                            std::string_view value) override;

 private:
  std::string PathOf(std::string_view file) const;
  // The file's text; false when it cannot be read.
  bool Load(const std::string& path, std::string& text);
  WinError Store(const std::string& path, const std::string& text);
  template <typename Edit>
  WinError Change(std::string_view file, Edit edit);

  IFiles& files_;
  const std::string& windowsFolder_;
};

}  // namespace qv::mem
