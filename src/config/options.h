// The program's persistent preferences, kept per user in the registry,
// and the command-line fields of one run.
#pragma once

#include <cstdint>
#include <string>

// The data-file picker's list view style.
enum TViewStyle : std::int32_t {
  vsIcon = 0,
  vsSmallIcon = 1,
  vsList = 2,
  vsReport = 3,
};

// The key of the program's options under HKEY_CURRENT_USER.
inline constexpr const char* kOptionsKey = "Software\\ZTR\\Qorvel\\Options";

class TOptions {
 public:
  // Loads the stored values from `keyPath` under HKEY_CURRENT_USER at once
  // when the path is not empty. Without a path the object keeps its
  // defaults and never touches the registry.
  explicit TOptions(const std::string& keyPath);
  // Stores the values when bSaveToRegistry is set.
  ~TOptions();
  TOptions(const TOptions&) = delete;
  TOptions& operator=(const TOptions&) = delete;

  // Reads the stored values (the constructor does this). Values stop at the
  // first boolean or integer that is missing or not a DWORD, and at the
  // first string of another type; those and all later ones keep what they
  // hold. A missing string reads as "".
  void LoadFromRegistry();
  // Writes the stored values, creating the key. Errors are not reported.
  void SaveToRegistry();

  const std::string& KeyPath() const { return keyPath_; }

  // Published options.
  bool ComparebyChecksum = true;
  bool ComparebyDate = true;
  bool ReplaceStartMenu = true;   // "ReplaceStartMenu"
  bool ReplaceDesktop = true;     // "ReplaceDesktop"
  bool CreateBackup = true;       // "DoBackup"
  std::string BackupDir;          // "BackupDir"; the temporary folder by default
  std::string LastSavedFile;      // "LastSavedFile"
  std::int32_t LastConfigPage = 0;  // "LastConfigPage"
  bool QuietMode = false;
  TViewStyle AdvancedOptionsViewType = vsReport;  // "LastFileViewType"
  bool bSaveToRegistry = true;

  // Command-line fields (empty when not given). ConfigFile is also stored.
  std::string SaveToFile;
  std::string LoadFromFile;
  std::string ReportFile;
  std::string BackupToFile;
  std::string AppListFile;
  std::string ConfigFile;  // "ConfigFile"

 private:
  std::string keyPath_;
};

// The program's options object, set by start-up for the life of the
// process; null before (and in tests that do not set it).
extern TOptions* ProgramOptions;

// Whether the program's options ask for quiet mode (false without options).
bool IsQuietMode();
