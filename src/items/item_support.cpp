#include "items/item_support.h"

#include <cmath>
#include <limits>

#include "engine/debug_log.h"
#include "engine/messages.h"
#include "engine/program.h"
#include "engine/settings.h"
#include "platform/machine.h"
#include "platform/profiles.h"
#include "platform/system_info.h"
#include "registry/reg_utils.h"
#include "undo/undo_manager.h"

namespace items {

std::string DurationText(std::uint32_t seconds) {
  if (seconds % 60 == 0) return std::to_string(seconds / 60) + " minutes.";
  return std::to_string(seconds) + " seconds.";
}

std::string LastPathComponent(const std::string& path) {
  std::size_t cut = path.find_last_of("\\/:");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string WindowsFolder() {
  std::string folder;
  qv::CurrentMachine().System().WindowsFolder(folder);
  return folder;
}

std::string SystemFolder() {
  std::string folder;
  qv::CurrentMachine().System().SystemFolder(folder);
  return folder;
}

std::string WindowsFile(std::string_view name) {
  std::string folder = WindowsFolder();
  if (!folder.empty() && folder.back() == '\\') folder.pop_back();
  return folder + "\\" + std::string(name);
}

qv::OSKind RunningOSKind() { return qv::RunningKind(qv::CurrentMachine().System()); }

bool RunningOnNT() { return RunningOSKind() == qv::okWinNT; }

namespace {

bool IniWritten(qv::WinError e, std::string_view file, std::string_view section,
                std::string_view key) {
  if (e == qv::err::Success) return true;
  std::string place = std::string(file) + " [" + std::string(section) + "] " + std::string(key);
  DebugLog("WritePrivateProfileString failed : " + place + " " + SystemErrorText(e));
  NoteWriteFailure("Could not write " + place + " : " + SystemErrorText(e));
  return false;
}

}  // namespace

bool WriteIniValue(std::string_view file, std::string_view section, std::string_view key,
                   std::string_view value) {
  qv::IProfiles* profiles = qv::CurrentMachine().Profiles();
  if (!profiles) return false;
  return IniWritten(profiles->WriteProfileValue(file, section, key, value), file, section, key);
}

bool WriteWinIniValue(std::string_view section, std::string_view key, std::string_view value) {
  qv::IProfiles* profiles = qv::CurrentMachine().Profiles();
  if (!profiles) return false;
  return IniWritten(profiles->WriteWinIniValue(section, key, value), "win.ini", section, key);
}

bool SetRegStringForUndo(qv::RegKey root, std::string_view keyPath, std::string_view valueName,
                         std::string_view value) {
  UndoManager().RecordRegistryValue(root, std::string(keyPath), std::string(valueName));
  return UTLSetRegString(root, keyPath, valueName, value);
}

bool SetRegDWORDForUndo(qv::RegKey root, std::string_view keyPath, std::string_view valueName,
                        std::uint32_t value) {
  UndoManager().RecordRegistryValue(root, std::string(keyPath), std::string(valueName));
  return UTLSetRegDWORD(root, keyPath, valueName, value);
}

bool FitsIni(const std::string& text, bool name) {
  for (char c : text) {
    if (c == '\r' || c == '\n' || c == '\0') return false;
    if (name && (c == '[' || c == ']' || c == '=')) return false;
  }
  return !name || !text.empty();
}

bool RegValueExists(qv::RegKey root, std::string_view keyPath, std::string_view valueName) {
  qv::IRegistry& registry = qv::CurrentMachine().Registry();
  std::string path(keyPath);
  if (!path.empty() && path.front() == '\\') path.erase(0, 1);
  qv::RegKey key = 0;
  if (registry.OpenKey(root, path, qv::RegAccess::Read, key) != qv::err::Success) return false;
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  bool exists = registry.QueryValue(key, valueName, &type, nullptr, &size) == qv::err::Success;
  registry.CloseKey(key);
  return exists;
}

std::int32_t Scaled(std::int32_t value, double factor) {
  if (!std::isfinite(factor) || factor <= 0) return value;
  const double scaled = std::trunc(static_cast<double>(value) * factor);
  if (scaled < static_cast<double>(std::numeric_limits<std::int32_t>::min()) ||
      scaled > static_cast<double>(std::numeric_limits<std::int32_t>::max()))
    return value;
  return static_cast<std::int32_t>(scaled);
}

}  // namespace items
