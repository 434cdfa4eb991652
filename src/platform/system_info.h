// System-information port: version, names, folders, metrics, device caps and
// error texts.
#pragma once

#include <cstdint>
#include <string>

#include "platform/win_types.h"

namespace qv {

// OSVERSIONINFO as GetVersionEx fills it.
struct OsVersion {
  std::uint32_t platform = 0;  // 0 Win32s, 1 Windows 95/98, 2 Windows NT
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  std::uint32_t build = 0;     // Windows 95/98 keep the version in the high word
  std::string servicePack;     // szCSDVersion
};

namespace platformid {
inline constexpr std::uint32_t Win32s = 0;
inline constexpr std::uint32_t Windows = 1;
inline constexpr std::uint32_t NT = 2;
}  // namespace platformid

// The kind of Windows a version describes: the Windows platform with minor
// version 0 is Windows 95, any other minor version Windows 98; the NT
// platform is Windows NT; anything else is unknown.
OSKind KindOfVersion(const OsVersion& version);

// GetSystemMetrics indexes (SM_*) the program asks for.
namespace sm {
inline constexpr int CxScreen = 0;
inline constexpr int CyScreen = 1;
inline constexpr int CxIcon = 11;
inline constexpr int CyIcon = 12;
inline constexpr int MousePresent = 19;
inline constexpr int SwapButton = 23;
inline constexpr int CxDoubleClk = 36;
inline constexpr int CyDoubleClk = 37;
inline constexpr int CxIconSpacing = 38;
inline constexpr int CyIconSpacing = 39;
inline constexpr int CxSmIcon = 49;
inline constexpr int CySmIcon = 50;
inline constexpr int Network = 63;
inline constexpr int CleanBoot = 67;
}  // namespace sm

// GetDeviceCaps indexes for the screen.
namespace caps {
inline constexpr int HorzRes = 8;
inline constexpr int VertRes = 10;
inline constexpr int BitsPixel = 12;
inline constexpr int Planes = 14;
inline constexpr int LogPixelsX = 88;
inline constexpr int LogPixelsY = 90;
}  // namespace caps

class ISystemInfo {
 public:
  virtual ~ISystemInfo() = default;

  // GetVersionEx.
  virtual WinError Version(OsVersion& version) = 0;
  // GetUserName / GetComputerName.
  virtual WinError UserName(std::string& name) = 0;
  virtual WinError ComputerName(std::string& name) = 0;
  // GetSystemDirectory / GetWindowsDirectory (no trailing backslash).
  virtual WinError SystemFolder(std::string& path) = 0;
  virtual WinError WindowsFolder(std::string& path) = 0;
  // GetSystemMetrics: 0 for an index the system does not know.
  virtual int Metric(int index) = 0;
  // GetDeviceCaps of the screen's device context.
  virtual int DeviceCaps(int index) = 0;

  // The calling thread's last error code (GetLastError / SetLastError).
  virtual WinError LastError() = 0;
  virtual void SetLastError(WinError code) = 0;
  // FormatMessage(FORMAT_MESSAGE_FROM_SYSTEM) for a code, as the system words
  // it (with its closing line break); "" when the system has no text.
  virtual std::string ErrorMessage(WinError code) = 0;

  // The current date and time in the system's short date and long time
  // format, separated by one space (GetDateFormat with DATE_SHORTDATE and
  // GetTimeFormat for the user's locale), such as "1/1/01 12:00:00 AM".
  virtual std::string DateTimeText() = 0;
  // A file time (UTC) as local date and time in the same format as
  // DateTimeText (FileTimeToLocalFileTime, then GetDateFormat and
  // GetTimeFormat); "" when the time cannot be converted.
  virtual std::string FileTimeText(FileTime time) = 0;
};

// The kind of the running machine's Windows (okUnknown when the version
// cannot be read).
OSKind RunningKind(ISystemInfo& system);

}  // namespace qv
