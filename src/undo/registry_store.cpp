#include "undo/registry_store.h"

#include <algorithm>
#include <utility>

#include "engine/debug_log.h"
#include "engine/messages.h"
#include "engine/program.h"
#include "platform/machine.h"
#include "engine/settings.h"
#include "stream/connection.h"
#include "undo/undo_manager.h"

namespace {

char Folded(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// The port wants paths relative to the root; one leading backslash is
// tolerated as the registry functions tolerate it.
std::string_view PortPath(std::string_view path) {
  if (!path.empty() && path.front() == '\\') path.remove_prefix(1);
  return path;
}

std::string SubKeyPath(const std::string& parent, const std::string& name) {
  return parent.empty() ? name : parent + "\\" + name;
}

bool NameLess(const std::string& a, const std::string& b) { return CompareNames(a, b) < 0; }

}  // namespace

int CompareNames(std::string_view a, std::string_view b) {
  std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    auto ca = static_cast<unsigned char>(Folded(a[i]));
    auto cb = static_cast<unsigned char>(Folded(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

// ---------------------------------------------------------------------------
// TRegistryEntry

TRegistryEntry::TRegistryEntry(qv::IRegistry* registry, std::string valueName,
                               std::string keyPath, qv::RegKey root)
    : registry_(registry),
      root_(root),
      keyPath_(std::move(keyPath)),
      valueName_(std::move(valueName)) {}

qv::IRegistry& TRegistryEntry::Registry() const {
  return registry_ ? *registry_ : qv::CurrentMachine().Registry();
}

void TRegistryEntry::SetData(std::uint32_t type, std::vector<std::uint8_t> data) {
  type_ = type;
  data_ = std::move(data);
}

bool TRegistryEntry::ReadFromRegistry() {
  qv::IRegistry& registry = Registry();
  qv::RegKey key = 0;
  if (registry.OpenKey(root_, PortPath(keyPath_), qv::RegAccess::Full, key) != qv::err::Success) {
    DebugLog("Error opening registry key " + keyPath_);
    return false;
  }
  qv::RegKeyCloser closer(registry, key);

  std::uint32_t type = 0;
  std::uint32_t size = 0;
  qv::WinError e = registry.QueryValue(key, valueName_, &type, nullptr, &size);
  if (e != qv::err::Success) {
    DebugLog("RegQueryValueEx Failed retrieving data type for " + keyPath_ + " " + valueName_);
    data_.clear();
    return true;
  }
  type_ = type;
  // The value may grow between asking for its size and reading it.
  for (int attempt = 0; attempt < 4; ++attempt) {
    data_.assign(size, 0);
    if (size == 0) break;
    std::uint32_t got = size;
    e = registry.QueryValue(key, valueName_, nullptr, data_.data(), &got);
    if (e == qv::err::MoreData) {
      size = got;
      continue;
    }
    if (e != qv::err::Success) got = 0;
    data_.resize(std::min(got, size));
    break;
  }
  return true;
}

void TRegistryEntry::WriteToStream(TConnection& stream) const {
  stream.WriteString(keyPath_, "KeyPath");
  stream.WriteString(valueName_, "ValueName");
  stream.WriteInteger(static_cast<std::int32_t>(type_), "ValueType");
  stream.WriteInteger(static_cast<std::int32_t>(data_.size()), "DataSize");
  if (!data_.empty()) stream.WriteBuffer(data_.data(), static_cast<std::uint32_t>(data_.size()));
}

void TRegistryEntry::ReadFromStream(TConnection& stream) {
  keyPath_ = stream.ReadString("KeyPath");
  valueName_ = stream.ReadString("ValueName");
  type_ = static_cast<std::uint32_t>(stream.ReadInteger("ValueType"));
  std::int32_t size = stream.ReadInteger("DataSize");
  if (size < 0) throw EConnectionReadError("Invalid registry value size " + std::to_string(size));
  auto n = static_cast<std::uint32_t>(size);
  stream.RequireAvailable(n);
  data_.assign(n, 0);
  if (n) stream.ReadBuffer(data_.data(), n);
}

bool TRegistryEntry::WriteToRegistry() {
  UndoManager().RecordRegistryValue(root_, keyPath_, valueName_);

  qv::IRegistry& registry = Registry();
  qv::RegKey key = 0;
  if (qv::WinError e = registry.CreateKey(root_, PortPath(keyPath_), key); e != qv::err::Success) {
    DebugLog("Error writing registry key " + keyPath_ + " " + valueName_);
    NoteWriteFailure("Could not write registry value " + std::string(qv::RootKeyName(root_)) +
                             "\\" + std::string(PortPath(keyPath_)) + " " + valueName_ + " : " +
                             SystemErrorText(e));
    return false;
  }
  qv::RegKeyCloser closer(registry, key);
  qv::WinError e = registry.SetValue(key, valueName_, type_, data_.empty() ? nullptr : data_.data(),
                                     static_cast<std::uint32_t>(data_.size()));
  if (e != qv::err::Success) {
    DebugLog("RegSetValueEx failed : " + keyPath_ + " " + valueName_ + " " + SystemErrorText(e));
    NoteWriteFailure("Could not write registry value " + std::string(qv::RootKeyName(root_)) +
                             "\\" + std::string(PortPath(keyPath_)) + " " + valueName_ + " : " +
                             SystemErrorText(e));
    return false;
  }
  return true;
}

// ---------------------------------------------------------------------------
// TRegistryStore

TRegistryStore::TRegistryStore(TConnection& stream, bool apply) : stream_(stream), apply_(apply) {}

void TRegistryStore::Collect(qv::IRegistry& registry, qv::RegKey root, const std::string& keyPath,
                             bool includeSubKeys, std::vector<TRegistryEntry>& entries) {
  qv::RegKey key = 0;
  if (registry.OpenKey(root, PortPath(keyPath), qv::RegAccess::Full, key) != qv::err::Success) {
    DebugLog("Error opening registry. " + keyPath);
    return;
  }
  std::vector<std::string> values;
  std::vector<std::string> subKeys;
  {
    qv::RegKeyCloser closer(registry, key);
    std::string name;
    for (std::uint32_t i = 0; registry.EnumValue(key, i, name, nullptr, nullptr) == qv::err::Success;
         ++i)
      values.push_back(name);
    if (includeSubKeys)
      for (std::uint32_t i = 0; registry.EnumKey(key, i, name) == qv::err::Success; ++i)
        subKeys.push_back(name);
  }
  std::sort(values.begin(), values.end(), NameLess);
  std::sort(subKeys.begin(), subKeys.end(), NameLess);

  for (const std::string& value : values) {
    TRegistryEntry entry(&registry, value, keyPath, root);
    entry.ReadFromRegistry();
    entries.push_back(std::move(entry));
  }
  for (const std::string& sub : subKeys)
    Collect(registry, root, SubKeyPath(keyPath, sub), true, entries);
}

bool TRegistryStore::WriteKey(qv::RegKey root, const std::string& keyPath, bool includeSubKeys) {
  // Everything is gathered before the count is written, so the count always
  // matches the entries that follow it.
  std::vector<TRegistryEntry> entries;
  Collect(qv::CurrentMachine().Registry(), root, keyPath, includeSubKeys, entries);

  stream_.WriteInteger(static_cast<std::int32_t>(root), "RegistryKey");
  stream_.WriteInteger(static_cast<std::int32_t>(entries.size()), "Count");
  for (const TRegistryEntry& entry : entries) entry.WriteToStream(stream_);
  return true;
}

bool TRegistryStore::ReadKey() {
  auto root = static_cast<qv::RegKey>(stream_.ReadInteger("RegistryKey"));
  std::int32_t count = stream_.ReadInteger("Count");
  // A root that is not a predefined key would be taken as whatever handle
  // happens to carry that number: such a record is read but never applied.
  bool usable = qv::hkey::IsRoot(root);
  if (!usable)
    DebugLog("Error writing registry key : invalid root key " + std::to_string(root));
  // Every entry takes at least its two string lengths, type and size.
  if (count < 0) throw EConnectionReadError("Invalid registry entry count " + std::to_string(count));
  stream_.RequireAvailable(static_cast<std::uint64_t>(count) * 16);
  for (std::int32_t i = 0; i < count; ++i) {
    TRegistryEntry entry(nullptr, std::string(), std::string(), root);
    entry.ReadFromStream(stream_);
    if (!apply_ || !usable) continue;
    if (Allowed(entry))
      entry.WriteToRegistry();
    else
      DebugLog("Registry entry passed over : " + entry.KeyPath() + " " + entry.ValueName());
  }
  return usable;
}

void TRegistryStore::Confine(qv::RegKey root, std::string keyPath, bool includeSubKeys) {
  confined_ = true;
  confinedRoot_ = root;
  confinedPath_ = std::move(keyPath);
  confinedSubKeys_ = includeSubKeys;
}

bool TRegistryStore::Allowed(const TRegistryEntry& entry) const {
  if (!confined_) return true;
  if (entry.Root() != confinedRoot_) return false;
  std::string_view path = entry.KeyPath();
  while (!path.empty() && path.front() == '\\') path.remove_prefix(1);
  if (CompareNames(path, confinedPath_) == 0) return true;
  if (!confinedSubKeys_ || path.size() <= confinedPath_.size() + 1) return false;
  if (path[confinedPath_.size()] != '\\') return false;
  // No ".." or empty steps that would lead out of the key.
  std::string_view rest = path.substr(confinedPath_.size() + 1);
  for (std::size_t at = 0; at <= rest.size();) {
    std::size_t end = rest.find('\\', at);
    if (end == std::string_view::npos) end = rest.size();
    std::string_view step = rest.substr(at, end - at);
    if (step.empty() || step == "." || step == "..") return false;
    at = end + 1;
  }
  return CompareNames(path.substr(0, confinedPath_.size()), confinedPath_) == 0;
}
