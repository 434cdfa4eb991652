#include "registry/reg_utils.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/debug_log.h"
#include "engine/settings.h"
#include "platform/machine.h"

namespace {

// ERROR_INVALID_DATA: the value exists but has a type the caller cannot use.
constexpr qv::WinError kInvalidData = 13;

std::string_view KeyPath(std::string_view path) {
  if (!path.empty() && path.front() == '\\') path.remove_prefix(1);
  return path;
}

// The system's text for `code`; the code also becomes the thread's last
// error, so whoever looks at it next sees why this call failed.
std::string ErrorText(qv::WinError code) {
  qv::ISystemInfo& system = qv::CurrentMachine().System();
  system.SetLastError(code);
  return system.ErrorMessage(code);
}

std::string FailureLine(const char* what, std::string_view keyPath, std::string_view valueName,
                        qv::WinError code) {
  std::string line = what;
  line += keyPath;
  line += ' ';
  line += valueName;
  line += ' ';
  line += ErrorText(code);
  return line;
}

// An open key that closes itself.
class Key {
 public:
  Key() : registry_(qv::CurrentMachine().Registry()) {}
  ~Key() {
    if (open_) registry_.CloseKey(key_);
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;

  qv::WinError Open(qv::RegKey root, std::string_view path) {
    qv::WinError e = registry_.OpenKey(root, KeyPath(path), qv::RegAccess::Full, key_);
    open_ = e == qv::err::Success;
    return e;
  }
  qv::WinError Create(qv::RegKey root, std::string_view path) {
    qv::WinError e = registry_.CreateKey(root, KeyPath(path), key_);
    open_ = e == qv::err::Success;
    return e;
  }

  // The value's type and whole data.
  qv::WinError Query(std::string_view name, std::uint32_t& type, std::vector<std::uint8_t>& data) {
    for (int attempt = 0; attempt < 4; ++attempt) {
      std::uint32_t size = 0;
      qv::WinError e = registry_.QueryValue(key_, name, &type, nullptr, &size);
      if (e != qv::err::Success) return e;
      data.assign(size, 0);
      if (size == 0) return qv::err::Success;
      e = registry_.QueryValue(key_, name, &type, data.data(), &size);
      if (e == qv::err::MoreData) continue;  // the value grew in between
      if (e != qv::err::Success) return e;
      data.resize(std::min<std::size_t>(size, data.size()));
      return e;
    }
    return qv::err::MoreData;
  }

  qv::WinError Set(std::string_view name, std::uint32_t type, const std::uint8_t* data,
                   std::uint32_t size) {
    return registry_.SetValue(key_, name, type, data, size);
  }
  qv::WinError Delete(std::string_view name) { return registry_.DeleteValue(key_, name); }

 private:
  qv::IRegistry& registry_;
  qv::RegKey key_ = 0;
  bool open_ = false;
};

std::string StringOf(const std::vector<std::uint8_t>& data) {
  auto end = std::find(data.begin(), data.end(), std::uint8_t{0});
  return std::string(data.begin(), end);
}

bool IsString(std::uint32_t type) { return type == qv::regtype::Sz || type == qv::regtype::ExpandSz; }

std::string RegistryPlace(qv::RegKey root, std::string_view keyPath, std::string_view valueName) {
  std::string place = qv::RootKeyName(root);
  place += '\\';
  place += KeyPath(keyPath);
  if (!valueName.empty()) {
    place += ' ';
    place += valueName;
  }
  return place;
}

}  // namespace

// A failed registry write, as the run's report will give it.
void NoteRegistryWriteFailure(qv::RegKey root, std::string_view keyPath,
                              std::string_view valueName, qv::WinError code) {
  std::string text = qv::CurrentMachine().System().ErrorMessage(code);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  ::NoteWriteFailure("Could not write registry value " + RegistryPlace(root, keyPath, valueName) +
                     " : " + text);
}

std::string UTLGetRegString(qv::RegKey root, std::string_view keyPath, std::string_view valueName,
                            const std::string& defaultValue) {
  Key key;
  qv::WinError e = key.Open(root, keyPath);
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
  if (e == qv::err::Success) e = key.Query(valueName, type, data);
  if (e != qv::err::Success) {
    DebugLog(FailureLine("UTLGetRegString failed : ", keyPath, valueName, e));
    return defaultValue;
  }
  if (!IsString(type))
    throw ERegistryException("Invalid data type for '" + std::string(valueName) + "'");
  return StringOf(data);
}

bool UTLSetRegString(qv::RegKey root, std::string_view keyPath, std::string_view valueName,
                     std::string_view value) {
  Key key;
  qv::WinError e = key.Create(root, keyPath);
  if (e == qv::err::Success) {
    std::string text(value);  // stored with its terminating zero
    e = key.Set(valueName, qv::regtype::Sz, reinterpret_cast<const std::uint8_t*>(text.c_str()),
                static_cast<std::uint32_t>(text.size() + 1));
  }
  if (e != qv::err::Success) {
    DebugLog(FailureLine("UTLSetRegString failed : ", keyPath, valueName, e));
    NoteRegistryWriteFailure(root, keyPath, valueName, e);
    return false;
  }
  return true;
}

bool UTLSetRegMultiString(qv::RegKey root, std::string_view keyPath, std::string_view valueName,
                          std::string_view value) {
  Key key;
  qv::WinError e = key.Create(root, keyPath);
  if (e == qv::err::Success) {
    // A list of one string: the characters, its zero and the list's zero.
    std::vector<std::uint8_t> block(value.size() + 2, 0);
    std::size_t length = std::min(value.find('\0'), value.size());
    std::memcpy(block.data(), value.data(), length);
    e = key.Set(valueName, qv::regtype::MultiSz, block.data(),
                static_cast<std::uint32_t>(block.size()));
    DebugLog(std::string("UTLSetRegMultiString : ") + (e == qv::err::Success ? "1" : "0"));
  }
  if (e != qv::err::Success) {
    std::string what = "UTLSetRegMultiString ERROR : ";
    what += keyPath;
    what += ' ';
    what += valueName;
    what += ' ';
    what += value;
    what += ' ';
    DebugLog(what + ErrorText(e));
    NoteRegistryWriteFailure(root, keyPath, valueName, e);
    return false;
  }
  return true;
}

std::uint32_t UTLGetRegDWORD(qv::RegKey root, std::string_view keyPath,
                             std::string_view valueName, std::uint32_t defaultValue) {
  Key key;
  qv::WinError e = key.Open(root, keyPath);
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
  if (e == qv::err::Success) e = key.Query(valueName, type, data);
  if (e == qv::err::Success && (type == qv::regtype::Dword || type == qv::regtype::Binary)) {
    // Little-endian; bytes the value lacks count as zero, bytes beyond the
    // fourth are not looked at.
    std::uint32_t result = 0;
    std::size_t n = std::min<std::size_t>(data.size(), 4);
    for (std::size_t i = 0; i < n; ++i) result |= std::uint32_t{data[i]} << (8 * i);
    return result;
  }
  if (e == qv::err::Success) e = kInvalidData;
  DebugLog(FailureLine("UTLGetRegDWORD failed : ", keyPath, valueName, e));
  return defaultValue;
}

bool UTLSetRegDWORD(qv::RegKey root, std::string_view keyPath, std::string_view valueName,
                    std::uint32_t value) {
  Key key;
  qv::WinError e = key.Create(root, keyPath);
  if (e == qv::err::Success) {
    std::uint8_t bytes[4] = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                             static_cast<std::uint8_t>(value >> 16),
                             static_cast<std::uint8_t>(value >> 24)};
    e = key.Set(valueName, qv::regtype::Dword, bytes, sizeof bytes);
  }
  if (e != qv::err::Success) {
    DebugLog(FailureLine("UTLSetRegDWORD failed : ", keyPath, valueName, e));
    NoteRegistryWriteFailure(root, keyPath, valueName, e);
    return false;
  }
  return true;
}

void UTLSetRegBinary(qv::RegKey root, std::string_view keyPath, std::string_view valueName,
                     const void* buffer, std::uint32_t count) {
  Key key;
  if (qv::WinError e = key.Create(root, keyPath); e != qv::err::Success) {
    NoteRegistryWriteFailure(root, keyPath, valueName, e);
    return;
  }
  qv::WinError e =
      key.Set(valueName, qv::regtype::Binary, static_cast<const std::uint8_t*>(buffer), count);
  if (e != qv::err::Success)
    throw ERegistryException("Failed to set data for '" + std::string(valueName) + "'");
}

std::uint32_t UTLGetRegBinary(qv::RegKey root, std::string_view keyPath,
                              std::string_view valueName, void* buffer, std::uint32_t bufferSize) {
  Key key;
  if (key.Open(root, keyPath) != qv::err::Success) return 0;
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
  if (key.Query(valueName, type, data) != qv::err::Success) return 0;
  if (IsString(type) || type == qv::regtype::Dword) return 0;
  if (type == qv::regtype::Binary && data.size() > bufferSize) return 0;
  auto n = static_cast<std::uint32_t>(std::min<std::size_t>(data.size(), bufferSize));
  if (n) std::memcpy(buffer, data.data(), n);
  return n;
}

void UTLDeleteRegKey(qv::RegKey root, std::string_view keyPath, std::string_view valueName) {
  std::string line = "UTLDeleteRegKey ";
  line += keyPath;
  line += ' ';
  line += valueName;
  DebugLog(line);
  Key key;
  if (key.Open(root, keyPath) == qv::err::Success) key.Delete(valueName);
}

bool UTLHasRegistryAccess() {
  Key key;
  return key.Open(qv::hkey::LocalMachine, "Software") == qv::err::Success;
}
