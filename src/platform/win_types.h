// Plain Windows value types, constants and error codes shared by the ports.
//
// The names avoid the macros of <windows.h> (ERROR_*, HKEY_*, DeleteFile, ...)
// so that this header and the ports can be included together with it.
#pragma once

#include <cstdint>
#include <string>

namespace qv {

using WinError = std::uint32_t;

// Win32 error codes used by the ports (the values of winerror.h).
namespace err {
inline constexpr WinError Success = 0;
inline constexpr WinError InvalidFunction = 1;
inline constexpr WinError FileNotFound = 2;
inline constexpr WinError PathNotFound = 3;
inline constexpr WinError AccessDenied = 5;
inline constexpr WinError InvalidHandle = 6;
inline constexpr WinError NotEnoughMemory = 8;
inline constexpr WinError InvalidDrive = 15;
inline constexpr WinError NoMoreFiles = 18;
inline constexpr WinError NotReady = 21;
inline constexpr WinError SharingViolation = 32;
inline constexpr WinError HandleEof = 38;
inline constexpr WinError NotSupported = 50;
inline constexpr WinError FileExists = 80;
inline constexpr WinError InvalidParameter = 87;
inline constexpr WinError DiskFull = 112;
inline constexpr WinError InsufficientBuffer = 122;
inline constexpr WinError InvalidName = 123;
inline constexpr WinError ProcNotFound = 127;
inline constexpr WinError NegativeSeek = 131;
inline constexpr WinError DirNotEmpty = 145;
inline constexpr WinError BadPathname = 161;
inline constexpr WinError AlreadyExists = 183;
inline constexpr WinError Directory = 267;  // ERROR_DIRECTORY: not a folder
inline constexpr WinError MoreData = 234;
inline constexpr WinError NoMoreItems = 259;
inline constexpr WinError BadKey = 1010;
inline constexpr WinError NotLoggedOn = 1245;
inline constexpr WinError KeyDeleted = 1018;
inline constexpr WinError ChildMustBeVolatile = 1021;
}  // namespace err

// Kind of Windows, as stored in settings files.
enum OSKind : std::int32_t {
  okUnknown = -1,
  okWin95 = 0,
  okWin98 = 1,
  okWinNT = 2,
};

// Human-readable name of a kind ("Windows 95", ...), for test names and logs.
const char* OSKindName(OSKind kind);

// 100-nanosecond intervals since 1601-01-01 UTC, as in a FILETIME.
using FileTime = std::uint64_t;

}  // namespace qv
