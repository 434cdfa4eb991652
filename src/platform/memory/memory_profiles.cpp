#include "platform/memory/memory_profiles.h"

#include "platform/memory/ini_text.h"

namespace qv::mem {

std::string MemoryProfiles::PathOf(std::string_view file) const {
  if (file.find_first_of("\\/:") == std::string_view::npos)
    return windowsFolder_ + "\\" + std::string(file);
  return std::string(file);
}

bool MemoryProfiles::Load(const std::string& path, std::string& text) {
  text.clear();
  FileHandle h;
  if (files_.Open(path, FileAccess::Read, Disposition::OpenExisting, 0, h) != err::Success)
    return false;
  char buf[4096];
  std::uint32_t done = 0;
  while (files_.Read(h, buf, sizeof buf, done) == err::Success && done) text.append(buf, done);
  files_.Close(h);
  return true;
}

WinError MemoryProfiles::Store(const std::string& path, const std::string& text) {
  FileHandle h;
  WinError e = files_.Open(path, FileAccess::Write, Disposition::CreateAlways, 0, h);
  if (e != err::Success) return e;
  std::uint32_t done = 0;
  e = files_.Write(h, text.data(), static_cast<std::uint32_t>(text.size()), done);
  files_.Close(h);
  return e;
}

template <typename Edit>
WinError MemoryProfiles::Change(std::string_view file, Edit edit) {
  const std::string path = PathOf(file);
  std::string text;
  Load(path, text);
  IniText ini(text);
  edit(ini);
  return Store(path, ini.Text());
}

std::string MemoryProfiles::ReadProfileString(std::string_view file, std::string_view section,
                                              std::string_view key,
                                              std::string_view defaultValue) {
  std::string text;
  if (Load(PathOf(file), text)) {
    if (auto value = IniText(text).Get(section, key)) return *value;
  }
  // The calls hand back the default without its trailing blanks.
  std::string d(defaultValue);
  while (!d.empty() && d.back() == ' ') d.pop_back();
  return d;
}

WinError MemoryProfiles::WriteProfileValue(std::string_view file, std::string_view section,
                                           std::string_view key, std::string_view value) {
  return Change(file, [&](IniText& ini) { ini.Set(section, key, value); });
}

WinError MemoryProfiles::DeleteProfileKey(std::string_view file, std::string_view section,
                                          std::string_view key) {
  return Change(file, [&](IniText& ini) { ini.DeleteKey(section, key); });
}

WinError MemoryProfiles::DeleteProfileSection(std::string_view file, std::string_view section) {
  return Change(file, [&](IniText& ini) { ini.DeleteSection(section); });
}

std::vector<std::string> MemoryProfiles::ProfileSectionNames(std::string_view file) {
  std::string text;
  if (!Load(PathOf(file), text)) return {};
  return IniText(text).Sections();
}

std::vector<std::string> MemoryProfiles::ProfileKeyNames(std::string_view file,
                                                         std::string_view section) {
  std::string text;
  if (!Load(PathOf(file), text)) return {};
  return IniText(text).Keys(section);
}

std::string MemoryProfiles::ReadWinIniString(std::string_view section, std::string_view key,
                                             std::string_view defaultValue) {
  return ReadProfileString("win.ini", section, key, defaultValue);
}

WinError MemoryProfiles::WriteWinIniValue(std::string_view section, std::string_view key,
                                          std::string_view value) {
  return WriteProfileValue("win.ini", section, key, value);
}

}  // namespace qv::mem
