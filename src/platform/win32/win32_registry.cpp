#include "platform/win32/win32_machine.h"

#include <algorithm>

namespace qv {

namespace {

// The predefined handles are the root's value sign-extended to pointer size,
// as <windows.h> defines HKEY_CLASSES_ROOT and the others.
HKEY RootHandle(RegKey root) {
  return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(root)));
}

// RegOpenKeyEx with an empty sub key hands a predefined key back unchanged.
bool IsRootHandle(HKEY h) {
  return reinterpret_cast<ULONG_PTR>(h) >= reinterpret_cast<ULONG_PTR>(HKEY_CLASSES_ROOT);
}

}  // namespace

bool Win32Registry::Resolve(RegKey key, HKEY& hkey) const {
  if (hkey::IsRoot(key)) {
    hkey = RootHandle(key);
    return true;
  }
  return keys_.Get(key, hkey);
}

WinError Win32Registry::OpenKey(RegKey parent, std::string_view subKey, RegAccess access,
                                RegKey& result) {
  HKEY h;
  if (!Resolve(parent, h)) return err::InvalidHandle;
  HKEY opened = nullptr;
  LSTATUS r = RegOpenKeyExA(h, std::string(subKey).c_str(), 0,
                            access == RegAccess::Full ? KEY_ALL_ACCESS : KEY_READ, &opened);
  if (r != ERROR_SUCCESS) return r;
  result = keys_.Add(opened);
  return err::Success;
}

WinError Win32Registry::CreateKey(RegKey parent, std::string_view subKey, RegKey& result,
                                  bool* created) {
  HKEY h;
  if (!Resolve(parent, h)) return err::InvalidHandle;
  HKEY opened = nullptr;
  DWORD disposition = 0;
  LSTATUS r = RegCreateKeyExA(h, std::string(subKey).c_str(), 0, nullptr,
                              REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &opened,
                              &disposition);
  if (r != ERROR_SUCCESS) return r;
  result = keys_.Add(opened);
  if (created) *created = disposition == REG_CREATED_NEW_KEY;
  return err::Success;
}

WinError Win32Registry::CloseKey(RegKey key) {
  if (hkey::IsRoot(key)) return err::Success;
  HKEY h;
  if (!keys_.Take(key, h)) return err::InvalidHandle;
  return IsRootHandle(h) ? err::Success : RegCloseKey(h);
}

WinError Win32Registry::QueryValue(RegKey key, std::string_view name, std::uint32_t* type,
                                   std::uint8_t* data, std::uint32_t* size) {
  HKEY h;
  if (!Resolve(key, h)) return err::InvalidHandle;
  DWORD t = type ? *type : 0;
  DWORD s = size ? *size : 0;
  LSTATUS r = RegQueryValueExA(h, std::string(name).c_str(), nullptr, type ? &t : nullptr,
                               data, size ? &s : nullptr);
  if (type) *type = t;
  if (size) *size = s;
  return r;
}

WinError Win32Registry::SetValue(RegKey key, std::string_view name, std::uint32_t type,
                                 const std::uint8_t* data, std::uint32_t size) {
  HKEY h;
  if (!Resolve(key, h)) return err::InvalidHandle;
  return RegSetValueExA(h, std::string(name).c_str(), 0, type, data, size);
}

WinError Win32Registry::DeleteValue(RegKey key, std::string_view name) {
  HKEY h;
  if (!Resolve(key, h)) return err::InvalidHandle;
  return RegDeleteValueA(h, std::string(name).c_str());
}

WinError Win32Registry::DeleteKey(RegKey parent, std::string_view subKey) {
  HKEY h;
  if (!Resolve(parent, h)) return err::InvalidHandle;
  return RegDeleteKeyA(h, std::string(subKey).c_str());
}

WinError Win32Registry::EnumKey(RegKey key, std::uint32_t index, std::string& name) {
  HKEY h;
  if (!Resolve(key, h)) return err::InvalidHandle;
  std::string buffer(256, '\0');  // key names have at most 255 characters
  for (;;) {
    DWORD length = static_cast<DWORD>(buffer.size());
    LSTATUS r = RegEnumKeyExA(h, index, buffer.data(), &length, nullptr, nullptr, nullptr,
                              nullptr);
    if (r == ERROR_MORE_DATA) {
      buffer.resize(buffer.size() * 2);
      continue;
    }
    if (r != ERROR_SUCCESS) return r;
    name.assign(buffer.data(), length);
    return err::Success;
  }
}

WinError Win32Registry::EnumValue(RegKey key, std::uint32_t index, std::string& name,
                                  std::uint32_t* type, std::vector<std::uint8_t>* data) {
  HKEY h;
  if (!Resolve(key, h)) return err::InvalidHandle;
  DWORD maxName = 0, maxData = 0;
  LSTATUS r = RegQueryInfoKeyA(h, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                               &maxName, &maxData, nullptr, nullptr);
  if (r != ERROR_SUCCESS) return r;
  std::string buffer(maxName + 1, '\0');
  // Never empty, so that a value that grows meanwhile reports ERROR_MORE_DATA.
  std::vector<std::uint8_t> bytes(std::max<DWORD>(maxData, 1));
  for (;;) {
    DWORD length = static_cast<DWORD>(buffer.size());
    DWORD t = 0;
    DWORD size = static_cast<DWORD>(bytes.size());
    r = RegEnumValueA(h, index, buffer.data(), &length, nullptr, &t,
                      data ? bytes.data() : nullptr, data ? &size : nullptr);
    if (r == ERROR_MORE_DATA) {  // the value changed since RegQueryInfoKey
      buffer.resize(buffer.size() * 2);
      if (data) bytes.resize(std::max<std::size_t>(bytes.size() * 2, size));
      continue;
    }
    if (r != ERROR_SUCCESS) return r;
    name.assign(buffer.data(), length);
    if (type) *type = t;
    if (data) {
      bytes.resize(size);
      *data = std::move(bytes);
    }
    return err::Success;
  }
}

WinError Win32Registry::QueryInfoKey(RegKey key, std::uint32_t* subKeys, std::uint32_t* values) {
  HKEY h;
  if (!Resolve(key, h)) return err::InvalidHandle;
  DWORD keys = 0, vals = 0;
  LSTATUS r = RegQueryInfoKeyA(h, nullptr, nullptr, nullptr, &keys, nullptr, nullptr, &vals,
                               nullptr, nullptr, nullptr, nullptr);
  if (r != ERROR_SUCCESS) return r;
  if (subKeys) *subKeys = keys;
  if (values) *values = vals;
  return err::Success;
}

}  // namespace qv
