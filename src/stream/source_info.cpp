#include "stream/source_info.h"

#include <cstdio>

#include "platform/machine.h"
#include "stream/connection.h"

namespace {

constexpr std::size_t kMaxName = 255;

std::string Known(qv::WinError e, std::string value) {
  if (e != qv::err::Success || value.empty()) return "Unknown";
  if (value.size() > kMaxName) value.resize(kMaxName);
  return value;
}

}  // namespace

std::string OSNameText(const qv::OsVersion& v) {
  std::string name;
  switch (v.platform) {
    case qv::platformid::Win32s: name = "Win32s"; break;
    case qv::platformid::Windows: name = v.minor == 0 ? "Windows 95" : "Windows 98"; break;
    case qv::platformid::NT: name = "Windows NT"; break;
    default: break;
  }
  char text[64 + 128];
  std::snprintf(text, sizeof text, " %d.%d  Build %d %s", static_cast<int>(v.major),
                static_cast<int>(v.minor), static_cast<int>(v.build), v.servicePack.c_str());
  return name + text;
}

void TSourceInfo::Gather() {
  qv::ISystemInfo& system = qv::CurrentMachine().System();
  std::string text;
  qv::WinError e = system.UserName(text);
  userName_ = Known(e, text);
  e = system.ComputerName(text);
  machineName_ = Known(e, text);
  e = system.SystemFolder(text);
  systemDirectory_ = Known(e, text);
  e = system.WindowsFolder(text);
  windowsDirectory_ = Known(e, text);
  qv::OsVersion version;
  if (system.Version(version) == qv::err::Success) {
    osVersion_ = qv::KindOfVersion(version);
    osName_ = OSNameText(version);
  } else {
    osVersion_ = qv::okUnknown;
    osName_.clear();
  }
  screenWidth_ = system.DeviceCaps(qv::caps::HorzRes);
  screenHeight_ = system.DeviceCaps(qv::caps::VertRes);
  horizontalResolution_ = system.DeviceCaps(qv::caps::LogPixelsX);
  verticalResolution_ = system.DeviceCaps(qv::caps::LogPixelsY);
}

void TSourceInfo::Write(TConnection& stream) {
  Gather();
  stream.WriteString(userName_, "UserName");
  stream.WriteString(machineName_, "MachineName");
  stream.WriteString(systemDirectory_, "SystemDirectory");
  stream.WriteString(windowsDirectory_, "WindowsDirectory");
  stream.WriteInteger(osVersion_, "OSVersion");
  stream.WriteString(osName_, "OSName");
  stream.WriteInteger(screenWidth_, "ScreenWidth");
  stream.WriteInteger(screenHeight_, "ScreenHeight");
  stream.WriteInteger(horizontalResolution_, "HorizontalResolution");
  stream.WriteInteger(verticalResolution_, "VerticalResolution");
}

void TSourceInfo::Read(TConnection& stream) {
  userName_ = stream.ReadString("UserName");
  machineName_ = stream.ReadString("MachineName");
  systemDirectory_ = stream.ReadString("SystemDirectory");
  windowsDirectory_ = stream.ReadString("WindowsDirectory");
  osVersion_ = stream.ReadInteger("OSVersion");
  osName_ = stream.ReadString("OSName");
  screenWidth_ = stream.ReadInteger("ScreenWidth");
  screenHeight_ = stream.ReadInteger("ScreenHeight");
  horizontalResolution_ = stream.ReadInteger("HorizontalResolution");
  verticalResolution_ = stream.ReadInteger("VerticalResolution");
}

TSourceInfo& SourceInfo() {
  static TSourceInfo info;
  return info;
}
