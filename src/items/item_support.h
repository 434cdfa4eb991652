// Small helpers the settings items share.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/registry.h"
#include "platform/win_types.h"

class TConnection;

namespace items {

// "10 minutes." for a whole number of minutes, otherwise "90 seconds.".
std::string DurationText(std::uint32_t seconds);

// The last component of a path ("C:\\WINDOWS\\x.scr" gives "x.scr").
std::string LastPathComponent(const std::string& path);

// The Windows folder, and that folder's file of the given name
// ("system.ini" gives "C:\\WINDOWS\\system.ini").
std::string WindowsFolder();
std::string SystemFolder();
std::string WindowsFile(std::string_view name);

// Whether the running system is Windows NT (GetVersionEx's platform).
bool RunningOnNT();
qv::OSKind RunningOSKind();

// Tells the undo manager about the value, then stores it as a string or a
// DWORD: a value the load creates is taken away again by undo.
bool SetRegStringForUndo(qv::RegKey root, std::string_view keyPath, std::string_view valueName,
                         std::string_view value);
bool SetRegDWORDForUndo(qv::RegKey root, std::string_view keyPath, std::string_view valueName,
                        std::uint32_t value);

// Writes a key of an INI file (WritePrivateProfileString; "win.ini" through
// WriteProfileString). A write that fails is logged and noted for the
// run's report (NoteWriteFailure), which then counts the load as failed.
bool WriteIniValue(std::string_view file, std::string_view section, std::string_view key,
                   std::string_view value);
bool WriteWinIniValue(std::string_view section, std::string_view key, std::string_view value);

// Whether a text read from a settings file can go into an INI file as a
// section or key name (`name`) or as a value without breaking its lines or
// sections.
bool FitsIni(const std::string& text, bool name);

// Whether the value exists (of any type).
bool RegValueExists(qv::RegKey root, std::string_view keyPath, std::string_view valueName);

// A size or position from another screen on this one: `value` times the
// scale factor, truncated toward zero. A factor that is not a finite
// positive number, or a result that does not fit 32 bits, leaves the value
// as it was.
std::int32_t Scaled(std::int32_t value, double factor);

}  // namespace items
