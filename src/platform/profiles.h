// Profiles port: the kernel32 calls that read and write INI files
// ("system.ini", "control.ini") and the user profile win.ini.
//
// `file` is a path as the real calls take it: a bare name ("control.ini")
// means that name in the Windows folder. Section and key names compare
// without regard to case. Where Windows NT maps a section of an INI file
// into the registry, the calls see the registry, as the real ones do.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/win_types.h"

namespace qv {

class IProfiles {
 public:
  virtual ~IProfiles() = default;

  // GetPrivateProfileString(section, key, default, file): the value, or
  // `defaultValue` when the file, section or key is missing.
  virtual std::string ReadProfileString(std::string_view file, std::string_view section,
                                        std::string_view key,
                                        std::string_view defaultValue) = 0;
  // WritePrivateProfileString(section, key, value, file): replaces the key's
  // value or adds the key (and the section, and the file) when missing;
  // other keys and sections stay as they are.
  virtual WinError WriteProfileValue(std::string_view file, std::string_view section,
                                     std::string_view key, std::string_view value) = 0;
  // WritePrivateProfileString(section, key, NULL, file): removes one key. A
  // key that is not there is not an error.
  virtual WinError DeleteProfileKey(std::string_view file, std::string_view section,
                                    std::string_view key) = 0;
  // WritePrivateProfileString(section, NULL, NULL, file): removes a whole
  // section with its keys.
  virtual WinError DeleteProfileSection(std::string_view file, std::string_view section) = 0;

  // GetPrivateProfileSectionNames: the section names in the order the file
  // lists them, spelled as the file spells them; empty for a missing file.
  virtual std::vector<std::string> ProfileSectionNames(std::string_view file) = 0;
  // GetPrivateProfileString(section, NULL, "", file): the key names of a
  // section in file order; empty for a missing section.
  virtual std::vector<std::string> ProfileKeyNames(std::string_view file,
                                                   std::string_view section) = 0;

  // GetProfileString(section, key, default): the same for win.ini.
  virtual std::string ReadWinIniString(std::string_view section, std::string_view key,
                                       std::string_view defaultValue) = 0;
  // WriteProfileString(section, key, value): the same for win.ini.
  virtual WinError WriteWinIniValue(std::string_view section, std::string_view key,
                                    std::string_view value) = 0;
};

}  // namespace qv
