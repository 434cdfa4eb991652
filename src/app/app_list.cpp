#include "app/app_list.h"

#include <algorithm>

#include "engine/settings.h"
#include "platform/machine.h"
#include "registry/reg_utils.h"
#include "stream/connection.h"
#include "undo/registry_store.h"

namespace {

constexpr const char* kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

std::string DisplayName(qv::IRegistry& registry, qv::RegKey key) {
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  if (registry.QueryValue(key, "DisplayName", &type, nullptr, &size) != qv::err::Success)
    return "";
  if ((type != qv::regtype::Sz && type != qv::regtype::ExpandSz) || size == 0) return "";
  std::string text(size, '\0');
  if (registry.QueryValue(key, "DisplayName", &type, reinterpret_cast<std::uint8_t*>(text.data()),
                          &size) != qv::err::Success)
    return "";
  text.resize(std::min<std::size_t>(size, text.size()));
  std::size_t zero = text.find('\0');
  if (zero != std::string::npos) text.resize(zero);
  return text;
}

}  // namespace

TAppList::TAppList() {
  qv::IRegistry& registry = qv::CurrentMachine().Registry();
  qv::RegKey uninstall = 0;
  if (registry.OpenKey(qv::hkey::LocalMachine, kUninstallKey, qv::RegAccess::Full, uninstall) !=
      qv::err::Success)
    return;
  std::vector<std::string> entries;
  std::string name;
  for (std::uint32_t i = 0; registry.EnumKey(uninstall, i, name) == qv::err::Success; ++i)
    entries.push_back(name);
  registry.CloseKey(uninstall);

  for (const std::string& entry : entries) {
    qv::RegKey key = 0;
    if (registry.OpenKey(qv::hkey::LocalMachine, std::string(kUninstallKey) + "\\" + entry,
                         qv::RegAccess::Full, key) != qv::err::Success)
      continue;
    std::string display = DisplayName(registry, key);
    registry.CloseKey(key);
    if (!display.empty()) Add(display);
  }
}

void TAppList::Add(const std::string& name) {
  auto before = [](const std::string& a, const std::string& b) { return CompareNames(a, b) < 0; };
  auto at = std::lower_bound(names_.begin(), names_.end(), name, before);
  if (at != names_.end() && CompareNames(*at, name) == 0) return;
  names_.insert(at, name);
}

bool TAppList::Describe(TConnection& stream) const {
  if (!UTLHasRegistryAccess()) {
    ReportRegistryAccessRequired(stream);
    return false;
  }
  stream.AddComment(std::to_string(names_.size()) + " Installed applications detected.");
  stream.AddComment("");
  for (const std::string& name : names_) stream.AddComment(name);
  return true;
}

std::vector<std::string> InstalledApplicationLines() {
  TCommentConnection lines;
  TAppList().Describe(lines);
  return *lines.GetComments();
}
