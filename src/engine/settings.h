// Settings items: the base class, the catalogue's factory, and the helpers
// and run-wide values the items share.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TConnection;

// The outcome of a section, a group and a run.
enum SETTINGS_RC : std::int32_t {
  SETTINGS_OK = 0,
  SETTINGS_ERROR = 1,
  SETTINGS_CANCELLED = 2,
};

// One migratable aspect of a machine.
class TSettings {
 public:
  virtual ~TSettings();
  // Load: reads the payload Write wrote and applies it; false fails the section.
  virtual bool Read(TConnection& stream) = 0;
  // Save and describe: gathers the current state and writes the payload.
  virtual bool Write(TConnection& stream) = 0;
  // True when gathering or applying needs full access to HKEY_LOCAL_MACHINE.
  virtual bool RequiresRegistryAccess();
};

// Makes the item for a section name (compared exactly), or null for a name
// that is not in the catalogue or whose item is not built yet.
std::unique_ptr<TSettings> CreateSettingsItem(const std::string& name);

// Puts a stand-in class under a section name while it lives (tests).
class ScopedSettingsItem {
 public:
  using Factory = std::function<std::unique_ptr<TSettings>()>;
  ScopedSettingsItem(std::string name, Factory factory);
  ~ScopedSettingsItem();
  ScopedSettingsItem(const ScopedSettingsItem&) = delete;
  ScopedSettingsItem& operator=(const ScopedSettingsItem&) = delete;

 private:
  std::string name_;
};

// A parameter the source machine could not read: never applied.
inline constexpr std::uint32_t kUnreadParameter = 0xDEADBEEF;

// Saves one SystemParametersInfo value read with `getAction`.
std::int32_t WriteSystemParameter(TConnection& stream, unsigned getAction, std::string_view key);
// Reads one value and applies it with `setAction` unless it is unread.
std::int32_t ReadSystemParameter(TConnection& stream, unsigned setAction, std::string_view key);
// The debug-log line of a failed SystemParametersInfo call (the last error
// is reset to 0 afterwards).
void LogSystemParameterFailure(unsigned action);
void ReportRegistryAccessRequired(TConnection& stream);

// Run-wide values: items set the flags during a load; the load run sets the
// scale factors (source screen to this screen) before the items run.
extern std::atomic<bool> RestartRequired;
extern std::atomic<bool> SettingChangePending;

// Writes to the system that failed (a registry value or key, an INI file
// entry), one report line each, kept since the list was last taken: a load
// takes the list at its start and at its end, and a load in which a write
// failed reports the lines and counts as failed. Thread-safe; at most 100
// lines are kept, then one line tells how many more failed.
void NoteWriteFailure(const std::string& line);
std::vector<std::string> TakeWriteFailures();
extern double HorizontalScaleFactor;
extern double VerticalScaleFactor;
