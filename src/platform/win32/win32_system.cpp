#include "platform/win32/win32_machine.h"

namespace qv {

namespace {

// Calls `get(size, buffer)` of a GetSystemDirectory-like function: it returns
// the length on success, the size needed (with the terminating NUL) when the
// buffer is too small, and 0 on failure.
template <typename Get>
WinError GetFolder(std::string& result, Get get) {
  std::string buffer(MAX_PATH + 1, '\0');
  for (;;) {
    UINT n = get(static_cast<UINT>(buffer.size()), buffer.data());
    if (n == 0) return ::GetLastError();
    if (n < buffer.size()) {
      result.assign(buffer.data(), n);
      return err::Success;
    }
    buffer.resize(n);
  }
}

}  // namespace

WinError Win32System::Version(OsVersion& version) {
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof(info);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExA(&info)) return ::GetLastError();
#pragma GCC diagnostic pop
  version.platform = info.dwPlatformId;
  version.major = info.dwMajorVersion;
  version.minor = info.dwMinorVersion;
  version.build = info.dwBuildNumber;
  version.servicePack = info.szCSDVersion;
  return err::Success;
}

WinError Win32System::UserName(std::string& name) {
  std::string buffer(257, '\0');  // UNLEN + 1
  for (;;) {
    DWORD size = static_cast<DWORD>(buffer.size());
    if (GetUserNameA(buffer.data(), &size)) {
      name.assign(buffer.data());  // size counts the NUL
      return err::Success;
    }
    DWORD e = ::GetLastError();
    if (e != ERROR_INSUFFICIENT_BUFFER || size <= buffer.size()) return e;
    buffer.resize(size);
  }
}

WinError Win32System::ComputerName(std::string& name) {
  std::string buffer(MAX_COMPUTERNAME_LENGTH + 1, '\0');
  for (;;) {
    DWORD size = static_cast<DWORD>(buffer.size());
    if (GetComputerNameA(buffer.data(), &size)) {
      name.assign(buffer.data(), size);
      return err::Success;
    }
    DWORD e = ::GetLastError();
    if (e != ERROR_BUFFER_OVERFLOW || size <= buffer.size()) return e;
    buffer.resize(size);
  }
}

WinError Win32System::SystemFolder(std::string& path) {
  return GetFolder(path, [](UINT size, char* buffer) { return GetSystemDirectoryA(buffer, size); });
}

WinError Win32System::WindowsFolder(std::string& path) {
  return GetFolder(path,
                   [](UINT size, char* buffer) { return GetWindowsDirectoryA(buffer, size); });
}

int Win32System::Metric(int index) { return GetSystemMetrics(index); }

int Win32System::DeviceCaps(int index) {
  HDC dc = GetDC(nullptr);
  if (!dc) return 0;
  int value = GetDeviceCaps(dc, index);
  ReleaseDC(nullptr, dc);
  return value;
}

WinError Win32System::LastError() { return ::GetLastError(); }

void Win32System::SetLastError(WinError code) { ::SetLastError(code); }

std::string Win32System::ErrorMessage(WinError code) {
  char* text = nullptr;
  DWORD n = FormatMessageA(
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
      nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<char*>(&text),
      0, nullptr);
  if (n == 0 || !text) return "";
  std::string message(text, n);
  LocalFree(text);
  return message;
}

std::string Win32System::DateTimeText() {
  char date[128] = {};
  char time[128] = {};
  if (!GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, date, sizeof date))
    date[0] = '\0';
  if (!GetTimeFormatA(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, time, sizeof time))
    time[0] = '\0';
  return std::string(date) + " " + time;
}

std::string Win32System::FileTimeText(FileTime time) {
  FILETIME utc;
  utc.dwLowDateTime = static_cast<DWORD>(time & 0xFFFFFFFFu);
  utc.dwHighDateTime = static_cast<DWORD>(time >> 32);
  FILETIME local;
  SYSTEMTIME st;
  if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &st)) return "";
  char date[128] = {};
  char clock[128] = {};
  if (!GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, date, sizeof date) ||
      !GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &st, nullptr, clock, sizeof clock))
    return "";
  return std::string(date) + " " + clock;
}

}  // namespace qv
