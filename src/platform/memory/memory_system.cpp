#include <cstdio>

#include "platform/memory/memory_state.h"

namespace qv::mem {

namespace {
thread_local WinError t_lastError = err::Success;
}  // namespace

WinError Fail(WinError code) {
  t_lastError = code;
  return code;
}

WinError ThreadLastError() { return t_lastError; }
void SetThreadLastError(WinError code) { t_lastError = code; }

WinError MemorySystem::Version(OsVersion& version) {
  std::lock_guard g(s_.lock);
  version = s_.version;
  return err::Success;
}

WinError MemorySystem::UserName(std::string& name) {
  std::lock_guard g(s_.lock);
  // No user name means nobody is logged on.
  if (s_.userName.empty()) return Fail(err::NotLoggedOn);
  name = s_.userName;
  return err::Success;
}

WinError MemorySystem::ComputerName(std::string& name) {
  std::lock_guard g(s_.lock);
  name = s_.computerName;
  return err::Success;
}

WinError MemorySystem::SystemFolder(std::string& path) {
  std::lock_guard g(s_.lock);
  path = s_.systemFolder;
  return err::Success;
}

WinError MemorySystem::WindowsFolder(std::string& path) {
  std::lock_guard g(s_.lock);
  path = s_.windowsFolder;
  return err::Success;
}

int MemorySystem::Metric(int index) {
  std::lock_guard g(s_.lock);
  auto it = s_.metrics.find(index);
  return it == s_.metrics.end() ? 0 : it->second;
}

int MemorySystem::DeviceCaps(int index) {
  std::lock_guard g(s_.lock);
  auto it = s_.deviceCaps.find(index);
  return it == s_.deviceCaps.end() ? 0 : it->second;
}

WinError MemorySystem::LastError() { return ThreadLastError(); }
void MemorySystem::SetLastError(WinError code) { SetThreadLastError(code); }

std::string MemorySystem::ErrorMessage(WinError code) { return SystemMessageText(code); }

namespace {

// The machine keeps local time in its clock and its file times alike. US
// English Windows writes the short date as "M/d/yy" and the long time as
// "h:mm:ss tt".
std::string LocalTimeText(FileTime time) {
  const std::int64_t seconds = static_cast<std::int64_t>(time / 10'000'000);
  std::int64_t days = seconds / 86400;
  const std::int64_t rest = seconds % 86400;
  // Days since 1601-01-01 to a civil date (proleptic Gregorian calendar).
  days -= 134774;  // to days since 1970-01-01
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t doe = days - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  const std::int64_t day = doy - (153 * mp + 2) / 5 + 1;
  const std::int64_t month = mp < 10 ? mp + 3 : mp - 9;
  const std::int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);
  const int hour = static_cast<int>(rest / 3600);
  const int minute = static_cast<int>(rest / 60 % 60);
  const int second = static_cast<int>(rest % 60);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%d/%d/%02d %d:%02d:%02d %s", static_cast<int>(month),
                static_cast<int>(day), static_cast<int>(year % 100),
                hour % 12 == 0 ? 12 : hour % 12, minute, second, hour < 12 ? "AM" : "PM");
  return buf;
}

}  // namespace

std::string MemorySystem::DateTimeText() {
  FileTime now;
  {
    std::lock_guard g(s_.lock);
    now = s_.clock;
  }
  return LocalTimeText(now);
}

std::string MemorySystem::FileTimeText(FileTime time) {
  // FileTimeToSystemTime refuses times with the top bit set.
  if (time >= 0x8000000000000000ull) return "";
  return LocalTimeText(time);
}

int MemoryPrompts::ShowMessage(std::string_view text, std::string_view caption,
                               std::uint32_t style) {
  std::lock_guard g(s_.lock);
  int answer;
  if (!s_.answers.empty()) {
    answer = s_.answers.front();
    s_.answers.pop_front();
  } else {
    switch (style & mb::ButtonsMask) {
      case mb::YesNo:
      case mb::YesNoCancel: answer = id::Yes; break;
      default: answer = id::Ok; break;
    }
  }
  s_.shown.push_back(ShownPrompt{std::string(text), std::string(caption), style, answer});
  return answer;
}

bool MemoryPrompts::KeyDown(int virtualKey) {
  std::lock_guard g(s_.lock);
  return s_.keysDown.count(virtualKey) != 0;
}

std::string SystemMessageText(WinError code) {
  const char* text = nullptr;
  switch (code) {
    case 0: text = "The operation completed successfully."; break;
    case 1: text = "Incorrect function."; break;
    case 2: text = "The system cannot find the file specified."; break;
    case 3: text = "The system cannot find the path specified."; break;
    case 5: text = "Access is denied."; break;
    case 6: text = "The handle is invalid."; break;
    case 8: text = "Not enough storage is available to process this command."; break;
    case 13: text = "The data is invalid."; break;
    case 15: text = "The system cannot find the drive specified."; break;
    case 18: text = "There are no more files."; break;
    case 21: text = "The device is not ready."; break;
    case 32:
      text = "The process cannot access the file because it is being used by another process.";
      break;
    case 31: text = "A device attached to the system is not functioning."; break;
    case 38: text = "Reached the end of the file."; break;
    case 50: text = "The request is not supported."; break;
    case 53: text = "The network path was not found."; break;
    case 67: text = "The network name cannot be found."; break;
    case 80: text = "The file exists."; break;
    case 85: text = "The local device name is already in use."; break;
    case 87: text = "The parameter is incorrect."; break;
    case 112: text = "There is not enough space on the disk."; break;
    case 122: text = "The data area passed to a system call is too small."; break;
    case 123: text = "The filename, directory name, or volume label syntax is incorrect."; break;
    case 127: text = "The specified procedure could not be found."; break;
    case 131:
      text = "An attempt was made to move the file pointer before the beginning of the file.";
      break;
    case 145: text = "The directory is not empty."; break;
    case 161: text = "The specified path is invalid."; break;
    case 183: text = "Cannot create a file when that file already exists."; break;
    case 234: text = "More data is available."; break;
    case 259: text = "No more data is available."; break;
    case 267: text = "The directory name is invalid."; break;
    case 317:
      text = "The system cannot find message text for message number 0x%1 in the message file "
             "for %2.";
      break;
    case 1010: text = "The configuration registry key is invalid."; break;
    case 1200: text = "The specified device name is invalid."; break;
    case 1202:
      text = "The local device name has a remembered connection to another network resource.";
      break;
    case 1203:
      text = "The network path was either typed incorrectly, does not exist, or the network "
             "provider is not currently available. Please try retyping the path or contact your "
             "network administrator.";
      break;
    case 1208: text = "An extended error has occurred."; break;
    case 1210: text = "The format of the specified computer name is invalid."; break;
    case 1222: text = "The network is not present or not started."; break;
    case 1337: text = "The security ID structure is invalid."; break;
    case 1355: text = "The specified domain either does not exist or could not be contacted."; break;
    case 1439: text = "Invalid system-wide (SPI_*) parameter."; break;
    case 1722: text = "The RPC server is unavailable."; break;
    case 1245: text = "The operation being requested was not performed because the user has not been authenticated."; break;
    case 1018:
      text = "Illegal operation attempted on a registry key that has been marked for deletion.";
      break;
    // The spooler's refusals.
    case 124: text = "The system call level is not correct."; break;
    case 126: text = "The specified module could not be found."; break;
    case 1223: text = "The operation was canceled by the user."; break;
    case 1796: text = "The specified port is unknown."; break;
    case 1797: text = "The printer driver is unknown."; break;
    case 1801: text = "The printer name is invalid."; break;
    case 1802: text = "The printer already exists."; break;
    case 1805: text = "The environment specified is invalid."; break;
    case 3000: text = "The specified print monitor is unknown."; break;
    default: return std::string();
  }
  return std::string(text) + "\r\n";
}

}  // namespace qv::mem
