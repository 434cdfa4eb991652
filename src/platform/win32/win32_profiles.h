// INI files through the real profile calls.
#pragma once

#include "platform/profiles.h"

namespace qv {

class Win32Profiles : public IProfiles {
 public:
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
};

}  // namespace qv
