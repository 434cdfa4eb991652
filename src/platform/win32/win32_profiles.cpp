#include "platform/win32/win32_profiles.h"

#include <windows.h>

#include <vector>

namespace qv {

namespace {

// GetPrivateProfileStringA into a buffer that grows until the answer fits
// (the call returns size - 1, or size - 2 for lists, when it was cut).
std::string Query(const char* section, const char* key, const char* def, const char* file) {
  std::vector<char> buf(1024);
  for (;;) {
    DWORD n = file ? GetPrivateProfileStringA(section, key, def, buf.data(),
                                              static_cast<DWORD>(buf.size()), file)
                   : GetProfileStringA(section, key, def, buf.data(),
                                       static_cast<DWORD>(buf.size()));
    if (n + 2 < buf.size() || buf.size() >= (1u << 24)) return std::string(buf.data(), n);
    buf.resize(buf.size() * 4);
  }
}

std::vector<std::string> SplitList(const std::string& list) {
  std::vector<std::string> out;
  std::size_t i = 0;
  while (i < list.size()) {
    std::size_t end = list.find('\0', i);
    if (end == std::string::npos) end = list.size();
    if (end > i) out.emplace_back(list.substr(i, end - i));
    i = end + 1;
  }
  return out;
}

WinError Result(BOOL ok) { return ok ? err::Success : GetLastError(); }

}  // namespace

std::string Win32Profiles::ReadProfileString(std::string_view file, std::string_view section,
                                             std::string_view key, std::string_view defaultValue) {
  const std::string f(file), s(section), k(key), d(defaultValue);
  return Query(s.c_str(), k.c_str(), d.c_str(), f.c_str());
}

WinError Win32Profiles::WriteProfileValue(std::string_view file, std::string_view section,
                                          std::string_view key, std::string_view value) {
  const std::string f(file), s(section), k(key), v(value);
  return Result(WritePrivateProfileStringA(s.c_str(), k.c_str(), v.c_str(), f.c_str()));
}

WinError Win32Profiles::DeleteProfileKey(std::string_view file, std::string_view section,
                                         std::string_view key) {
  const std::string f(file), s(section), k(key);
  return Result(WritePrivateProfileStringA(s.c_str(), k.c_str(), nullptr, f.c_str()));
}

WinError Win32Profiles::DeleteProfileSection(std::string_view file, std::string_view section) {
  const std::string f(file), s(section);
  return Result(WritePrivateProfileStringA(s.c_str(), nullptr, nullptr, f.c_str()));
}

std::vector<std::string> Win32Profiles::ProfileSectionNames(std::string_view file) {
  const std::string f(file);
  std::vector<char> buf(4096);
  for (;;) {
    DWORD n = GetPrivateProfileSectionNamesA(buf.data(), static_cast<DWORD>(buf.size()), f.c_str());
    if (n + 2 < buf.size() || buf.size() >= (1u << 24)) return SplitList(std::string(buf.data(), n));
    buf.resize(buf.size() * 4);
  }
}

std::vector<std::string> Win32Profiles::ProfileKeyNames(std::string_view file,
                                                        std::string_view section) {
  const std::string f(file), s(section);
  return SplitList(Query(s.c_str(), nullptr, "", f.c_str()));
}

std::string Win32Profiles::ReadWinIniString(std::string_view section, std::string_view key,
                                            std::string_view defaultValue) {
  const std::string s(section), k(key), d(defaultValue);
  return Query(s.c_str(), k.c_str(), d.c_str(), nullptr);
}

WinError Win32Profiles::WriteWinIniValue(std::string_view section, std::string_view key,
                                         std::string_view value) {
  const std::string s(section), k(key), v(value);
  return Result(WriteProfileStringA(s.c_str(), k.c_str(), v.c_str()));
}

}  // namespace qv
