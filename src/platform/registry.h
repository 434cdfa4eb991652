// Registry port: the advapi32 registry calls the program uses.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win_types.h"

namespace qv {

// A key handle. The predefined roots carry the numeric values of the Win32
// predefined handles (HKEY_CURRENT_USER is 0x80000001), which is also how a
// root is written into a settings file. Handles returned by OpenKey and
// CreateKey are small numbers chosen by the adapter and never have the high
// bit set.
using RegKey = std::uint32_t;

namespace hkey {
inline constexpr RegKey ClassesRoot = 0x80000000u;
inline constexpr RegKey CurrentUser = 0x80000001u;
inline constexpr RegKey LocalMachine = 0x80000002u;
inline constexpr RegKey Users = 0x80000003u;
inline constexpr RegKey CurrentConfig = 0x80000005u;
inline constexpr RegKey DynData = 0x80000006u;
inline constexpr bool IsRoot(RegKey k) { return (k & 0x80000000u) != 0; }
}  // namespace hkey

// "HKEY_CURRENT_USER", ... or "" for a key that is not a predefined root.
const char* RootKeyName(RegKey root);

// Registry value types (REG_*).
namespace regtype {
inline constexpr std::uint32_t None = 0;
inline constexpr std::uint32_t Sz = 1;
inline constexpr std::uint32_t ExpandSz = 2;
inline constexpr std::uint32_t Binary = 3;
inline constexpr std::uint32_t Dword = 4;
inline constexpr std::uint32_t MultiSz = 7;
}  // namespace regtype

// KEY_READ or KEY_ALL_ACCESS. The program opens every key with full access;
// read access exists for code that only enumerates.
enum class RegAccess { Read, Full };

class IRegistry {
 public:
  virtual ~IRegistry() = default;

  // RegOpenKeyEx. An empty sub key opens `parent` again under a new handle.
  virtual WinError OpenKey(RegKey parent, std::string_view subKey, RegAccess access,
                           RegKey& result) = 0;
  // RegCreateKeyEx with full access: opens the key, creating it and any
  // missing parents. `created` (optional) tells whether the key was new.
  virtual WinError CreateKey(RegKey parent, std::string_view subKey, RegKey& result,
                             bool* created = nullptr) = 0;
  // RegCloseKey. Closing a predefined root is allowed and does nothing.
  virtual WinError CloseKey(RegKey key) = 0;

  // RegQueryValueEx. `type`, `data` and `size` may each be null. With `data`
  // set, *size is the buffer size on entry; on return it holds the value's
  // size. A buffer that is too small gives err::MoreData and leaves the
  // buffer's contents unspecified.
  virtual WinError QueryValue(RegKey key, std::string_view name, std::uint32_t* type,
                              std::uint8_t* data, std::uint32_t* size) = 0;
  // RegSetValueEx: stores exactly `size` bytes of `data` with `type`.
  virtual WinError SetValue(RegKey key, std::string_view name, std::uint32_t type,
                            const std::uint8_t* data, std::uint32_t size) = 0;
  // RegDeleteValue.
  virtual WinError DeleteValue(RegKey key, std::string_view name) = 0;
  // RegDeleteKey. Whether a key that has sub keys can be deleted depends on
  // the kind of Windows: Windows 95/98 delete the whole tree, Windows NT
  // refuses with err::AccessDenied.
  virtual WinError DeleteKey(RegKey parent, std::string_view subKey) = 0;

  // RegEnumKeyEx: the name of the index-th sub key; err::NoMoreItems past
  // the last one.
  virtual WinError EnumKey(RegKey key, std::uint32_t index, std::string& name) = 0;
  // RegEnumValue: name, type and data of the index-th value (values come in
  // the order they were created); err::NoMoreItems past the last one.
  // `type` and `data` may be null.
  virtual WinError EnumValue(RegKey key, std::uint32_t index, std::string& name,
                             std::uint32_t* type, std::vector<std::uint8_t>* data) = 0;
  // RegQueryInfoKey: number of sub keys and values. Either may be null.
  virtual WinError QueryInfoKey(RegKey key, std::uint32_t* subKeys, std::uint32_t* values) = 0;
};

// Closes a key handle when it goes out of scope.
class RegKeyCloser {
 public:
  RegKeyCloser(IRegistry& reg, RegKey key) : reg_(reg), key_(key) {}
  ~RegKeyCloser() { reg_.CloseKey(key_); }
  RegKeyCloser(const RegKeyCloser&) = delete;
  RegKeyCloser& operator=(const RegKeyCloser&) = delete;

 private:
  IRegistry& reg_;
  RegKey key_;
};

}  // namespace qv
