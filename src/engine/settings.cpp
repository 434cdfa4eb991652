#include "engine/settings.h"

#include <map>
#include <mutex>

#include "config/section_catalogue.h"
#include "engine/debug_log.h"
#include "engine/messages.h"
#include "items/connectivity/identity_settings.h"
#include "items/connectivity/printer_settings.h"
#include "items/connectivity/ras_settings.h"
#include "items/connectivity/shared_settings.h"
#include "items/connectivity/tcpip_settings.h"
#include "items/connectivity/workgroup_settings.h"
#include "items/personality/accessibility_settings.h"
#include "items/personality/active_desktop_settings.h"
#include "items/personality/background_settings.h"
#include "items/personality/color_settings.h"
#include "items/personality/display_settings.h"
#include "items/personality/folder_settings.h"
#include "items/personality/input_settings.h"
#include "items/personality/power_settings.h"
#include "items/personality/screen_saver_settings.h"
#include "items/personality/shell_settings.h"
#include "items/personality/sound_settings.h"
#include "items/personality/taskbar_settings.h"
#include "platform/machine.h"
#include "platform/system_parameters.h"
#include "stream/connection.h"

std::atomic<bool> RestartRequired{false};
std::atomic<bool> SettingChangePending{false};
double HorizontalScaleFactor = 1.0;
double VerticalScaleFactor = 1.0;

namespace {

struct WriteFailures {
  std::mutex lock;
  std::vector<std::string> lines;
  std::size_t more = 0;
};

WriteFailures& Failures() {
  static WriteFailures failures;
  return failures;
}

constexpr std::size_t kKeptFailures = 100;

}  // namespace

void NoteWriteFailure(const std::string& line) {
  WriteFailures& f = Failures();
  std::lock_guard g(f.lock);
  if (f.lines.size() < kKeptFailures)
    f.lines.push_back(line);
  else
    ++f.more;
}

std::vector<std::string> TakeWriteFailures() {
  WriteFailures& f = Failures();
  std::lock_guard g(f.lock);
  std::vector<std::string> lines = std::move(f.lines);
  if (f.more) lines.push_back("... and " + std::to_string(f.more) + " more writes failed");
  f.lines.clear();
  f.more = 0;
  return lines;
}

TSettings::~TSettings() = default;

bool TSettings::RequiresRegistryAccess() { return false; }

namespace {

using Factory = ScopedSettingsItem::Factory;

struct Overrides {
  std::mutex lock;
  std::map<std::string, Factory> byName;
};

Overrides& TheOverrides() {
  static Overrides overrides;
  return overrides;
}

template <class Item>
std::unique_ptr<TSettings> Make() {
  return std::make_unique<Item>();
}

// The item classes that exist, by the class name the catalogue gives for
// their section. Each item adds its line here when it is built.
const std::map<std::string, Factory>& BuiltItems() {
  static const std::map<std::string, Factory> items = {
      {"TWallpaperSettings", Make<TWallpaperSettings>},
      {"TPatternSettings", Make<TPatternSettings>},
      {"TScreenSaverSettings", Make<TScreenSaverSettings>},
      {"TPowerSettings", Make<TPowerSettings>},
      {"TAccessibilitySettings", Make<TAccessibilitySettings>},
      {"TSoundSettings", Make<TSoundSettings>},
      {"TKeyboardSettings", Make<TKeyboardSettings>},
      {"TMouseSettings", Make<TMouseSettings>},
      {"TScreenSettings", Make<TScreenSettings>},
      {"TIconMetricsSettings", Make<TIconMetricsSettings>},
      {"TWindowMetricsSettings", Make<TWindowMetricsSettings>},
      {"TColorSettings", Make<TColorSettings>},
      {"TComputerNameSettings", Make<TComputerNameSettings>},
      {"TWorkGroupSettings", Make<TWorkGroupSettings>},
      {"TComputerDescSettings", Make<TComputerDescSettings>},
      {"TOSPrinterSettings", Make<TOSPrinterSettings>},
      {"TIPSettings", Make<TIPSettings>},
      {"TWINSSettings", Make<TWINSSettings>},
      {"TDNSSettings", Make<TDNSSettings>},
      {"TSharedSettings", Make<TSharedSettings>},
      {"TMappedDrivesSettings", Make<TMappedDrivesSettings>},
      {"TRASSettings", Make<TRASSettings>},
      {"TStartMenuSettings", Make<TStartMenuSettings>},
      {"TSendToMenuSettings", Make<TSendToMenuSettings>},
      {"TDesktopIconSettings", Make<TDesktopIconSettings>},
      {"TShellSettings", Make<TShellSettings>},
      {"TActiveDesktopSettings", Make<TActiveDesktopSettings>},
      {"TTaskBarSettings", Make<TTaskBarSettings>},
  };
  return items;
}

}  // namespace

std::unique_ptr<TSettings> CreateSettingsItem(const std::string& name) {
  {
    Overrides& o = TheOverrides();
    std::lock_guard g(o.lock);
    auto it = o.byName.find(name);
    if (it != o.byName.end()) return it->second();
  }
  const TCatalogueEntry* entry = FindCatalogueEntry(name);
  if (!entry) return nullptr;
  auto it = BuiltItems().find(entry->className);
  return it == BuiltItems().end() ? nullptr : it->second();
}

ScopedSettingsItem::ScopedSettingsItem(std::string name, Factory factory) : name_(std::move(name)) {
  Overrides& o = TheOverrides();
  std::lock_guard g(o.lock);
  o.byName[name_] = std::move(factory);
}

ScopedSettingsItem::~ScopedSettingsItem() {
  Overrides& o = TheOverrides();
  std::lock_guard g(o.lock);
  o.byName.erase(name_);
}

void LogSystemParameterFailure(unsigned action) {
  qv::ISystemInfo& system = qv::CurrentMachine().System();
  qv::WinError code = system.LastError();
  DebugLog("SystemParameters Failed! id:" + std::to_string(action) + " Error:" +
           std::to_string(code) + " " + SystemErrorText(code));
  system.SetLastError(0);
}

std::int32_t WriteSystemParameter(TConnection& stream, unsigned getAction, std::string_view key) {
  std::int32_t value = 0;
  qv::ISystemParameters* parameters = qv::CurrentMachine().SystemParameters();
  if (!parameters || !parameters->Parameter(getAction, 0, &value, 0)) {
    LogSystemParameterFailure(getAction);
    value = static_cast<std::int32_t>(kUnreadParameter);
  }
  stream.WriteInteger(value, key);
  return value;
}

std::int32_t ReadSystemParameter(TConnection& stream, unsigned setAction, std::string_view key) {
  std::int32_t value = stream.ReadInteger(key);
  if (static_cast<std::uint32_t>(value) == kUnreadParameter) return value;
  qv::ISystemParameters* parameters = qv::CurrentMachine().SystemParameters();
  if (!parameters ||
      !parameters->Parameter(setAction, static_cast<std::uint32_t>(value), nullptr,
                             qv::spif::UpdateIniFile)) {
    LogSystemParameterFailure(setAction);
    return static_cast<std::int32_t>(kUnreadParameter);
  }
  return value;
}

void ReportRegistryAccessRequired(TConnection& stream) {
  stream.AddComment("Registry access is required to retrieve or modify this setting.");
}
