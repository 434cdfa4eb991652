// Registry access functions: one value per call.
//
// Each call opens its key (always with full access, also for reading), does
// one thing and closes the key again; nothing is kept between calls, so the
// functions may be used from any thread. Key paths are relative to the root
// handle; one leading backslash is ignored. Reads fall back to the caller's
// default and writes return false; each failure leaves one debug-log line
// that begins with the function's name.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/registry.h"
#include "stream/connection.h"

// A registry value that exists but cannot be used the way the caller asked
// (a string read of a DWORD value, a failing binary write).
class ERegistryException : public Exception {
 public:
  using Exception::Exception;
};

// The value's string (REG_SZ or REG_EXPAND_SZ, up to its first zero
// character), or `defaultValue` when the key or the value is missing or the
// key cannot be opened. Raises ERegistryException for a value of another type.
std::string UTLGetRegString(qv::RegKey root, std::string_view keyPath, std::string_view valueName,
                            const std::string& defaultValue);

// Stores a REG_SZ value, creating the key and any missing parents.
bool UTLSetRegString(qv::RegKey root, std::string_view keyPath, std::string_view valueName,
                     std::string_view value);

// Stores a REG_MULTI_SZ value that holds the one string.
bool UTLSetRegMultiString(qv::RegKey root, std::string_view keyPath, std::string_view valueName,
                          std::string_view value);

// A REG_DWORD value, or the first (at most 4) bytes of a REG_BINARY value as a
// little-endian integer; `defaultValue` in every other case.
std::uint32_t UTLGetRegDWORD(qv::RegKey root, std::string_view keyPath,
                             std::string_view valueName, std::uint32_t defaultValue);

// Stores a REG_DWORD value, creating the key and any missing parents.
bool UTLSetRegDWORD(qv::RegKey root, std::string_view keyPath, std::string_view valueName,
                    std::uint32_t value);

// Stores `count` bytes as a REG_BINARY value. A key that cannot be opened
// or created is ignored; a failing write raises ERegistryException.
void UTLSetRegBinary(qv::RegKey root, std::string_view keyPath, std::string_view valueName,
                     const void* buffer, std::uint32_t count);

// Copies a REG_BINARY value that fits into `buffer` and returns its size; 0
// when it does not fit. Values of a type that is neither a string nor a
// DWORD nor binary (REG_MULTI_SZ, REG_NONE, ...) are copied raw, cut to the
// buffer size. Strings, DWORDs, a missing key or value: 0.
std::uint32_t UTLGetRegBinary(qv::RegKey root, std::string_view keyPath,
                              std::string_view valueName, void* buffer, std::uint32_t bufferSize);

// Deletes the named value (not the key) when the key exists. Never recursive.
void UTLDeleteRegKey(qv::RegKey root, std::string_view keyPath, std::string_view valueName);

// Notes a registry write that failed with `code` for the report of the run
// (what the UTL functions do for their own writes), for writes made
// through the registry itself.
void NoteRegistryWriteFailure(qv::RegKey root, std::string_view keyPath,
                              std::string_view valueName, qv::WinError code);

// Whether HKEY_LOCAL_MACHINE\Software opens with full access: the user may
// change machine-wide settings.
bool UTLHasRegistryAccess();

