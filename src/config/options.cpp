#include "config/options.h"

#include <algorithm>
#include <vector>

#include "platform/machine.h"

TOptions* ProgramOptions = nullptr;

bool IsQuietMode() { return ProgramOptions != nullptr && ProgramOptions->QuietMode; }

namespace {

// Reads values of one key in order until the first one that is not usable.
class StoredValues {
 public:
  StoredValues(qv::IRegistry& registry, qv::RegKey key) : registry_(registry), key_(key) {}

  bool ok() const { return ok_; }

  bool Dword(const char* name, std::uint32_t& value) {
    if (!ok_) return false;
    std::uint32_t type = 0;
    std::uint8_t bytes[4] = {};
    std::uint32_t size = sizeof bytes;
    if (registry_.QueryValue(key_, name, &type, bytes, &size) != qv::err::Success ||
        type != qv::regtype::Dword || size != sizeof bytes)
      return ok_ = false;
    value = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | std::uint32_t{bytes[3]} << 24;
    return true;
  }

  bool Bool(const char* name, bool& value) {
    std::uint32_t v = 0;
    if (!Dword(name, v)) return false;
    value = v != 0;
    return true;
  }

  bool String(const char* name, std::string& value) {
    if (!ok_) return false;
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    qv::WinError e = registry_.QueryValue(key_, name, &type, nullptr, &size);
    if (e == qv::err::FileNotFound) {
      value.clear();
      return true;
    }
    if (e != qv::err::Success || (type != qv::regtype::Sz && type != qv::regtype::ExpandSz))
      return ok_ = false;
    std::vector<std::uint8_t> data(size);
    if (size != 0 &&
        registry_.QueryValue(key_, name, &type, data.data(), &size) != qv::err::Success)
      return ok_ = false;
    data.resize(std::min<std::size_t>(size, data.size()));
    value.assign(data.begin(), std::find(data.begin(), data.end(), std::uint8_t{0}));
    return true;
  }

 private:
  qv::IRegistry& registry_;
  qv::RegKey key_;
  bool ok_ = true;
};

std::string_view RelativePath(const std::string& path) {
  std::string_view p = path;
  if (!p.empty() && p.front() == '\\') p.remove_prefix(1);
  return p;
}

}  // namespace

TOptions::TOptions(const std::string& keyPath) : keyPath_(keyPath) {
  std::string temp;
  if (qv::CurrentMachine().Files().TempFolder(temp) == qv::err::Success) BackupDir = temp;
  if (!keyPath_.empty()) LoadFromRegistry();
}

TOptions::~TOptions() {
  if (!bSaveToRegistry) return;
  try {
    SaveToRegistry();
  } catch (...) {
    // Storing the options at exit must never end the program.
  }
}

void TOptions::LoadFromRegistry() {
  if (keyPath_.empty()) return;
  qv::IRegistry& registry = qv::CurrentMachine().Registry();
  qv::RegKey key;
  if (registry.OpenKey(qv::hkey::CurrentUser, RelativePath(keyPath_), qv::RegAccess::Full, key) !=
      qv::err::Success)
    return;
  qv::RegKeyCloser closer(registry, key);
  StoredValues values(registry, key);
  values.Bool("ReplaceStartMenu", ReplaceStartMenu);
  values.Bool("ReplaceDesktop", ReplaceDesktop);
  values.Bool("DoBackup", CreateBackup);
  values.String("BackupDir", BackupDir);
  values.String("ConfigFile", ConfigFile);
  values.String("LastSavedFile", LastSavedFile);
  std::uint32_t number = 0;
  if (values.Dword("LastConfigPage", number)) LastConfigPage = static_cast<std::int32_t>(number);
  // A view style the list view does not know keeps the default.
  if (values.Dword("LastFileViewType", number) && number <= vsReport)
    AdvancedOptionsViewType = static_cast<TViewStyle>(number);
}

void TOptions::SaveToRegistry() {
  // Without a key there is nowhere to store to: the values would land in
  // the root of HKEY_CURRENT_USER.
  if (keyPath_.empty()) return;
  qv::IRegistry& registry = qv::CurrentMachine().Registry();
  qv::RegKey key;
  if (registry.CreateKey(qv::hkey::CurrentUser, RelativePath(keyPath_), key) != qv::err::Success)
    return;
  qv::RegKeyCloser closer(registry, key);
  auto dword = [&](const char* name, std::uint32_t value) {
    std::uint8_t bytes[4] = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                             static_cast<std::uint8_t>(value >> 16),
                             static_cast<std::uint8_t>(value >> 24)};
    registry.SetValue(key, name, qv::regtype::Dword, bytes, sizeof bytes);
  };
  auto string = [&](const char* name, const std::string& value) {
    registry.SetValue(key, name, qv::regtype::Sz, reinterpret_cast<const std::uint8_t*>(value.c_str()),
                      static_cast<std::uint32_t>(value.size() + 1));
  };
  dword("ReplaceStartMenu", ReplaceStartMenu ? 1 : 0);
  dword("ReplaceDesktop", ReplaceDesktop ? 1 : 0);
  dword("DoBackup", CreateBackup ? 1 : 0);
  string("BackupDir", BackupDir);
  string("ConfigFile", ConfigFile);
  string("LastSavedFile", LastSavedFile);
  dword("LastConfigPage", static_cast<std::uint32_t>(LastConfigPage));
  dword("LastFileViewType", static_cast<std::uint32_t>(AdvancedOptionsViewType));
}
