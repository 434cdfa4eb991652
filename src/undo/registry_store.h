// Raw registry data carried through a settings stream: one value
// (TRegistryEntry) or a whole key with its values (TRegistryStore).
//
// Stream form of an entry: string key path, string value name, integer value
// type, integer data size, then exactly that many raw bytes.
// Stream form of a key: integer root (the predefined handle's value, e.g.
// 0x80000001 for HKEY_CURRENT_USER), integer entry count, then the entries:
// first the key's own values sorted by name (case ignored), then, when sub
// keys are included, each sub key's in name order, depth first.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"

class TConnection;

// Orders names as registry and file-system names are compared: letter case
// ignored (ASCII letters). Negative, 0 or positive.
int CompareNames(std::string_view a, std::string_view b);

class TRegistryEntry {
 public:
  // `registry` is lent by the creator; null uses the current machine's.
  TRegistryEntry(qv::IRegistry* registry, std::string valueName, std::string keyPath,
                 qv::RegKey root);

  // Reads the value's type and data from the registry; false (and a debug
  // line) when the key does not open.
  bool ReadFromRegistry();
  void WriteToStream(TConnection& stream) const;
  // Replaces key path, value name, type and data with the next entry of
  // the stream. A data size the stream cannot hold raises the stream's
  // read error before any memory is reserved.
  void ReadFromStream(TConnection& stream);
  // Tells the undo manager first, then stores the value, creating the key.
  // False (and a debug line) when the key cannot be created or the value
  // not set.
  bool WriteToRegistry();

  qv::RegKey Root() const { return root_; }
  const std::string& KeyPath() const { return keyPath_; }
  const std::string& ValueName() const { return valueName_; }
  std::uint32_t Type() const { return type_; }
  const std::vector<std::uint8_t>& Data() const { return data_; }
  std::uint32_t DataSize() const { return static_cast<std::uint32_t>(data_.size()); }
  void SetData(std::uint32_t type, std::vector<std::uint8_t> data);

 private:
  qv::IRegistry& Registry() const;

  qv::IRegistry* registry_;
  qv::RegKey root_;
  std::string keyPath_;
  std::string valueName_;
  std::uint32_t type_ = qv::regtype::Dword;
  std::vector<std::uint8_t> data_;
};

class TRegistryStore {
 public:
  // `apply`: entries read by ReadKey are written into the registry.
  TRegistryStore(TConnection& stream, bool apply);

  // Writes the key's values (and those of all its sub keys when asked) as a
  // key record. A key that does not open counts as empty. Always true.
  bool WriteKey(qv::RegKey root, const std::string& keyPath, bool includeSubKeys);
  // Reads one key record and, with `apply`, writes every entry back. False
  // when the record names a root that is not one of the predefined keys:
  // its entries are read past and none is applied.
  bool ReadKey();
  // From now on ReadKey applies only entries of this key (and, with
  // `includeSubKeys`, of its sub keys); any other entry in a record is read
  // past with a debug line. For records that come from another machine.
  void Confine(qv::RegKey root, std::string keyPath, bool includeSubKeys);

 private:
  bool Allowed(const TRegistryEntry& entry) const;

  void Collect(qv::IRegistry& registry, qv::RegKey root, const std::string& keyPath,
               bool includeSubKeys, std::vector<TRegistryEntry>& entries);

  TConnection& stream_;
  bool apply_;
  bool confined_ = false;
  qv::RegKey confinedRoot_ = 0;
  std::string confinedPath_;
  bool confinedSubKeys_ = false;
};
