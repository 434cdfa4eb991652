#include "items/personality/screen_saver_settings.h"

#include <cstdlib>

#include "engine/debug_log.h"
#include "engine/file_utils.h"
#include "items/item_support.h"
#include "platform/machine.h"
#include "platform/profiles.h"
#include "platform/system_parameters.h"
#include "registry/reg_utils.h"
#include "stream/connection.h"
#include "undo/registry_store.h"

namespace {

constexpr const char* kDesktopKey = "Control Panel\\Desktop";
constexpr const char* kPasswordData = "ScreenSave_Data";
constexpr const char* kEndOfList = "END-OF-LIST";

// A control.ini section that belongs to a screen saver: "Screen Saver.Name"
// in any case.
bool IsSaverSection(std::string name) {
  for (char& c : name)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return name.find("SCREEN SAVER.") != std::string::npos;
}

// The leading decimal number of a text, 0 when there is none.
long NumberOf(const std::string& text) {
  char* end = nullptr;
  long value = std::strtol(text.c_str(), &end, 10);
  return end == text.c_str() ? 0 : value;
}

}  // namespace

bool TScreenSaverSettings::Write(TConnection& stream) {
  qv::IProfiles* profiles = qv::CurrentMachine().Profiles();
  const std::string systemIni = items::WindowsFile("system.ini");
  SaverPath = profiles ? profiles->ReadProfileString(systemIni, "boot", "SCRNSAVE.EXE", "") : "";
  stream.WriteString(SaverPath, "SCRNSAVE.EXE");
  TimeOut = static_cast<std::uint32_t>(
      WriteSystemParameter(stream, qv::spi::GetScreenSaveTimeout, "ScreenSaveTimeOut"));

  WriteSaverSections(stream);

  bool hasPasswordData = false;
  if (items::RunningOnNT()) {
    std::string secure = "0";
    try {
      secure = UTLGetRegString(qv::hkey::CurrentUser, kDesktopKey, "ScreenSaverIsSecure", "0");
    } catch (const ERegistryException&) {
      secure = "0";
    }
    PasswordProtected = NumberOf(secure) != 0;
    stream.WriteBoolean(false, "HasPasswordData");
  } else {
    PasswordProtected =
        UTLGetRegDWORD(qv::hkey::CurrentUser, kDesktopKey, "ScreenSaveUsePassword", 0) != 0;
    hasPasswordData = PasswordProtected &&
                      items::RegValueExists(qv::hkey::CurrentUser, kDesktopKey, kPasswordData);
    TRegistryEntry entry(nullptr, kPasswordData, kDesktopKey, qv::hkey::CurrentUser);
    if (hasPasswordData && !entry.ReadFromRegistry()) hasPasswordData = false;
    stream.WriteBoolean(hasPasswordData, "HasPasswordData");
    if (hasPasswordData) entry.WriteToStream(stream);
  }
  stream.WriteBoolean(PasswordProtected, "PasswordProtected");

  FileFound = true;
  Describe(stream);
  return true;
}

void TScreenSaverSettings::WriteSaverSections(TConnection& stream) {
  qv::IProfiles* profiles = qv::CurrentMachine().Profiles();
  const std::string controlIni = items::WindowsFile("control.ini");
  if (profiles) {
    for (const std::string& section : profiles->ProfileSectionNames(controlIni)) {
      if (!IsSaverSection(section)) continue;
      std::vector<std::string> keys = profiles->ProfileKeyNames(controlIni, section);
      stream.WriteString(section, "Section");
      stream.WriteInteger(static_cast<std::int32_t>(keys.size()), "Count");
      for (const std::string& key : keys) {
        stream.WriteString(key, "Key");
        stream.WriteString(profiles->ReadProfileString(controlIni, section, key, ""), "Value");
      }
    }
  }
  stream.WriteString(kEndOfList, "Section");
}

bool TScreenSaverSettings::SaverFileFound() const {
  if (SaverPath.empty()) return true;
  if (!items::FitsIni(SaverPath, false)) return false;  // no file has such a name
  if (FileExists(SaverPath)) return true;
  const std::string name = items::LastPathComponent(SaverPath);
  if (name.empty()) return false;
  for (std::string folder : {items::WindowsFolder(), items::SystemFolder()}) {
    if (folder.empty()) continue;
    if (folder.back() != '\\') folder += '\\';
    if (FileExists(folder + name)) return true;
  }
  return false;
}

bool TScreenSaverSettings::Read(TConnection& stream) {
  qv::IProfiles* profiles = qv::CurrentMachine().Profiles();
  SaverPath = stream.ReadString("SCRNSAVE.EXE");
  FileFound = SaverFileFound();
  if (FileFound && profiles) {
    const std::string systemIni = items::WindowsFile("system.ini");
    if (!SaverPath.empty())
      items::WriteIniValue(systemIni, "boot", "SCRNSAVE.EXE", SaverPath);
    else
      profiles->DeleteProfileKey(systemIni, "boot", "SCRNSAVE.EXE");
  }
  TimeOut = static_cast<std::uint32_t>(
      ReadSystemParameter(stream, qv::spi::SetScreenSaveTimeout, "ScreenSaveTimeOut"));

  ReadSaverSections(stream);

  if (stream.ReadBoolean("HasPasswordData")) {
    DebugLog("Password is present");
    TRegistryEntry entry(nullptr, kPasswordData, kDesktopKey, qv::hkey::CurrentUser);
    entry.ReadFromStream(stream);
    // The data means something only to the kind of Windows that made it,
    // and the record may only name the password value itself.
    const bool ours = CompareNames(entry.KeyPath(), kDesktopKey) == 0 &&
                      CompareNames(entry.ValueName(), kPasswordData) == 0;
    if (!ours)
      DebugLog("Registry entry passed over : " + entry.KeyPath() + " " + entry.ValueName());
    else if (items::RunningOSKind() == stream.OSVersion)
      entry.WriteToRegistry();
  }
  PasswordProtected = stream.ReadBoolean("PasswordProtected");
  if (items::RunningOnNT())
    items::SetRegStringForUndo(qv::hkey::CurrentUser, kDesktopKey, "ScreenSaverIsSecure",
                               PasswordProtected ? "1" : "0");
  else
    items::SetRegDWORDForUndo(qv::hkey::CurrentUser, kDesktopKey, "ScreenSaveUsePassword",
                              PasswordProtected ? 1 : 0);

  qv::ISystemParameters* parameters = qv::CurrentMachine().SystemParameters();
  if (!parameters || !parameters->Parameter(qv::spi::SetScreenSaveActive, 1, nullptr, 0))
    LogSystemParameterFailure(qv::spi::SetScreenSaveActive);
  SettingChangePending = true;
  Describe(stream);
  return true;
}

void TScreenSaverSettings::ReadSaverSections(TConnection& stream) {
  qv::IProfiles* profiles = qv::CurrentMachine().Profiles();
  const std::string controlIni = items::WindowsFile("control.ini");
  for (;;) {
    std::string section = stream.ReadString("Section");
    if (section == kEndOfList) break;
    std::int32_t count = stream.ReadInteger("Count");
    // Each pair takes at least two string lengths: a count the stream
    // cannot hold is refused before the loop runs.
    if (count > 0) stream.RequireAvailable(static_cast<std::uint64_t>(count) * 8u);
    // Only a screen saver's own sections are written, and nothing that
    // would break control.ini's lines; the rest is read past.
    const bool sectionFits = IsSaverSection(section) && items::FitsIni(section, true);
    if (!sectionFits) DebugLog("Screen saver section passed over: " + section);
    for (std::int32_t i = 0; i < count; ++i) {
      std::string key = stream.ReadString("Key");
      std::string value = stream.ReadString("Value");
      if (!sectionFits) continue;
      if (!items::FitsIni(key, true) || !items::FitsIni(value, false)) {
        DebugLog("Screen saver setting passed over: [" + section + "] " + key);
        continue;
      }
      if (profiles) items::WriteIniValue(controlIni, section, key, value);
    }
  }
}

void TScreenSaverSettings::Describe(TConnection& stream) {
  if (SaverPath.empty()) {
    stream.AddComment("Screen saver set to none");
  } else if (FileFound) {
    stream.AddComment("Screen saver set to " + SaverPath);
  } else {
    stream.AddComment("Could not set screen saver to " + items::LastPathComponent(SaverPath) +
                      " because the file does not exist.");
    stream.AddComment("The screen saver has not been changed.");
  }
  if (TimeOut != kUnreadParameter)
    stream.AddComment("The screen saver is invoked when the system has been idle for " +
                      items::DurationText(TimeOut));
  if (PasswordProtected) stream.AddComment("Screen saver uses password protection");
}
