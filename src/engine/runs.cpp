#include "engine/runs.h"

#include <memory>
#include <vector>

#include "config/cat_config.h"
#include "config/options.h"
#include "engine/debug_log.h"
#include "engine/file_utils.h"
#include "engine/messages.h"
#include "engine/program.h"
#include "engine/run_report.h"
#include "engine/status.h"
#include "platform/machine.h"
#include "platform/system_parameters.h"
#include "registry/reg_utils.h"
#include "stream/connection.h"
#include "stream/file_transfer.h"
#include "stream/source_info.h"
#include "undo/undo_manager.h"

namespace {

const char* const kEndOfSection = "END_OF_SECTION";

SETTINGS_RC Outcome(bool ok) {
  if (StatusWindow().CancelRequested()) return SETTINGS_CANCELLED;
  return ok ? SETTINGS_OK : SETTINGS_ERROR;
}

// Shows an error raised inside a run; quiet runs only report it.
void ShowRunError(const std::string& message) {
  if (!IsQuietMode()) ShowErrorBox(message);
}

struct SectionStep {
  const char* name;
  const char* statusText;
};

const SectionStep kPersonalitySteps[] = {
    {"Start Menu", "Saving StartMenu contents..."},
    {"Task bar", "Saving taskbar settings..."},
    {"Desktop Icons", "Saving desktop icons..."},
    {"Shell", "Saving shell settings..."},
    {"Active Desktop", "Saving ActiveDesktop settings..."},
    {"Display", "Saving screen settings..."},
    {"Icon metrics", "Saving icon metrics..."},
    {"Window metrics", "Saving window metrics..."},
    {"Colors", "Saving colors..."},
    {"Wallpaper", "Saving wallpaper..."},
    {"Pattern", "Saving pattern..."},
    {"Screen saver", "Saving screen saver settings..."},
    {"SendTo menu", "Saving SendTo menu contents..."},
    {"Accessibility", "Saving accessibility settings..."},
    {"Sound", "Saving sound settings..."},
    {"Power", "Saving power settings..."},
    {"Keyboard", "Saving keyboard settings..."},
    {"Mouse", "Saving mouse settings..."},
    {"Printers", "Saving printer settings..."},
};

const SectionStep kConnectivitySteps[] = {
    {"Computer Name", "Saving Computer name..."},
    {"WorkGroup/Domain", "Saving Computer workgroup / login domain ..."},
    {"Computer Description", "Saving Computer description..."},
    {"Mapped Drives", "Saving mapped drives..."},
    {"Shared Folders and Drives", "Saving shared drives and folders..."},
    {"TCPIP Configuration", "Saving TCP/IP settings..."},
    {"DNS Configuration", "Saving DNS settings..."},
    {"WINS Configuration", "Saving WINS settings..."},
    {"RAS Networking connections", "Saving RAS settings..."},
};

// The files a data-file entry that is not a file stands for: every file of
// a folder and its subfolders (files first, then the subfolders, in the
// order the file system lists them), or the files a wildcard path matches.
void ExpandEntry(const std::string& entry, std::vector<std::string>& paths) {
  qv::IFiles& files = qv::CurrentMachine().Files();
  auto list = [&](const std::string& folder, const std::string& pattern, bool recurse,
                  auto& self) -> void {
    std::vector<std::string> subfolders;
    qv::FindHandle h;
    qv::FileInfo info;
    if (files.FindFirst(folder + pattern, h, info) == qv::err::Success) {
      do {
        if (info.name == "." || info.name == "..") continue;
        if (info.attributes & qv::fattr::Directory) {
          if (recurse) subfolders.push_back(info.name);
        } else {
          paths.push_back(folder + info.name);
        }
      } while (files.FindNext(h, info) == qv::err::Success);
      files.FindClose(h);
    }
    for (const std::string& sub : subfolders) self(folder + sub + "\\", pattern, recurse, self);
  };
  if (FolderExists(entry)) {
    std::string folder = entry;
    if (folder.back() != '\\') folder += '\\';
    list(folder, "*.*", true, list);
    return;
  }
  std::size_t slash = entry.find_last_of('\\');
  std::string folder = slash == std::string::npos ? ".\\" : entry.substr(0, slash + 1);
  std::string pattern = slash == std::string::npos ? entry : entry.substr(slash + 1);
  list(folder, pattern, false, list);
}

// ---------------------------------------------------------------------------
// Save

class TWriteSettingsThread {
 public:
  TWriteSettingsThread(TConnection& stream, IRunStatus* status)
      : registryAccess_(UTLHasRegistryAccess()), stream_(stream), status_(status) {}

  void Execute() {
    result_ = RunSave();
    if (status_) status_->PostFinished(result_ == SETTINGS_OK, result_);
  }

  SETTINGS_RC RunSave() {
    TRunReport& report = RunReport();
    report.Attach(&stream_);
    report.ClearLines();
    report.WriteHeader(fileName_, "", false);
    SETTINGS_RC r;
    try {
      CurrentConfig().WriteItemLists(stream_);
      SourceInfo().Write(stream_);
      r = SavePersonalityItems();
      if (r == SETTINGS_OK) r = SaveConnectivityItems();
      if (r == SETTINGS_OK) r = SaveDataFiles();
    } catch (const std::exception& e) {
      ShowRunError(e.what());
      stream_.AddComment(e.what());
      r = SETTINGS_ERROR;
    }
    report.WriteTail();
    report.CollectComments();
    return r;
  }

  SETTINGS_RC SaveSection(TSectionNames& list, const std::string& name,
                          const std::string& statusText) {
    bool ok = true;
    if (list.IsSelected(name)) {
      StatusWindow().SetActionText(statusText);
      std::unique_ptr<TSettings> item = CreateSettingsItem(name);
      if (item) {
        if (!item->RequiresRegistryAccess() || registryAccess_) {
          stream_.WriteString(name);
          ok = item->Write(stream_);
        } else {
          stream_.AddComment("Skipping section " + name + " : Registry access required.");
        }
      }
      // A selected section whose item is not built yet is left out.
    }
    return Outcome(ok);
  }

  template <std::size_t N>
  SETTINGS_RC SaveGroup(TSectionNames& list, const SectionStep (&steps)[N]) {
    for (const SectionStep& step : steps) {
      SETTINGS_RC r = SaveSection(list, step.name, step.statusText);
      if (r != SETTINGS_OK) return r;
    }
    stream_.WriteString(kEndOfSection);
    return SETTINGS_OK;
  }

  SETTINGS_RC SavePersonalityItems() {
    return SaveGroup(CurrentConfig().PersonalityItems, kPersonalitySteps);
  }
  SETTINGS_RC SaveConnectivityItems() {
    return SaveGroup(CurrentConfig().ConnectivityItems, kConnectivitySteps);
  }

  SETTINGS_RC SaveDataFiles() {
    bool ok = true;
    bool stopped = false;
    IRunStatus& status = StatusWindow();
    TFileWriter writer(stream_);
    auto saveOne = [&](const std::string& path) {
      status.SetActionText("Saving " + path);
      // An unreadable file is reported before its marker is written, so the
      // stream never holds a marker without its record.
      if (!writer.CanRead(path)) {
        ok = false;
      } else {
        stream_.WriteString("FILE");
        stream_.WriteString(path);
        ok = writer.WriteFile(path);
      }
      stream_.AddComment(ok ? "Saved " + path : writer.ErrorMessage());
    };
    for (const std::string& entry : dataFiles_) {
      if (status.CancelRequested()) break;
      if (FileExists(entry)) {
        saveOne(entry);
      } else {
        std::vector<std::string> paths;
        ExpandEntry(entry, paths);
        for (const std::string& path : paths) {
          if (status.CancelRequested()) break;
          saveOne(path);
        }
      }
      if (!ok) {
        stopped = true;
        break;
      }
    }
    if (stopped) {
      stream_.AddComment(writer.ErrorMessage());
      if (!IsQuietMode()) ShowErrorBox(writer.ErrorMessage());
    }
    stream_.WriteString(kEndOfSection);
    return Outcome(ok);
  }

  void SetFileName(const std::string& name) { fileName_ = name; }
  void SetDataFiles(const std::vector<std::string>& files) { dataFiles_ = files; }
  SETTINGS_RC Result() const { return result_; }

 private:
  bool registryAccess_;
  TConnection& stream_;
  IRunStatus* status_;
  std::string fileName_;
  std::vector<std::string> dataFiles_;
  SETTINGS_RC result_ = SETTINGS_ERROR;
};

// ---------------------------------------------------------------------------
// Load

class TReadSettingsThread {
 public:
  explicit TReadSettingsThread(TConnection& stream)
      : Connection(stream), registryAccess_(UTLHasRegistryAccess()) {}

  std::string SettingsFile;
  std::string BackupSettingsFile;
  bool DoBackup = false;
  TConnection& Connection;
  SETTINGS_RC ReturnCode = SETTINGS_ERROR;

  void Execute() {
    SETTINGS_RC result;
    try {
      result = RunLoad();
    } catch (const std::exception& e) {
      ShowRunError(e.what());
      result = SETTINGS_ERROR;
    }
    ReturnCode = result;
    StatusWindow().PostFinished(result == SETTINGS_OK, result);
  }

  SETTINGS_RC RunLoad() {
    TRunReport& report = RunReport();
    report.Attach(&Connection);
    report.ClearLines();
    RestartRequired = false;
    // Writes that failed before this run are not this run's.
    TakeWriteFailures();

    // Whatever stops the run, its report has the header, says why and ends
    // with the tail. The header goes in once the source record is read (the
    // backup's capture had the report before), or when the run stops before.
    bool headed = false;
    auto head = [&] {
      if (headed) return;
      // A run that stops before the source record names no source (the
      // backup's capture left this machine's there).
      if (!sourceReading_) SourceInfo() = TSourceInfo();
      report.Attach(&Connection);
      report.ClearLines();
      report.WriteHeader(SettingsFile, BackupSettingsFile, true);
      headed = true;
    };

    SETTINGS_RC r = SETTINGS_ERROR;
    try {
      r = ReadAndApply(head);
    } catch (const std::exception& e) {
      ShowRunError(e.what());
      head();
      Connection.AddComment(e.what());
      r = SETTINGS_ERROR;
    }
    head();
    std::vector<std::string> failedWrites = TakeWriteFailures();
    if (!failedWrites.empty()) {
      for (const std::string& line : failedWrites) Connection.AddComment(line);
      if (r == SETTINGS_OK) r = SETTINGS_ERROR;
    }

    ReturnCode = r;
    StatusWindow().SetActionText("Done.");
    report.Attach(&Connection);
    report.WriteTail();
    report.CollectComments();
    if (SettingChangePending) {
      if (qv::ISystemParameters* p = qv::CurrentMachine().SystemParameters())
        p->BroadcastSettingChange();
    }
    return r;
  }

  // The configuration record, the backup, the source record, the sections
  // and the data files; `head` starts the report.
  template <class Head>
  SETTINGS_RC ReadAndApply(Head& head) {
    {
      TCatConfig configuration;
      configuration.ReadItemLists(Connection);
      if (DoBackup) {
        SETTINGS_RC r = TakeBackup(configuration);
        if (r != SETTINGS_OK) {
          // Nothing has been applied; the report says why.
          head();
          Connection.AddComment(backupError_);
          return r;
        }
      }
    }

    // A record cut short shows what it held, not what was there before.
    TSourceInfo& source = SourceInfo();
    source = TSourceInfo();
    sourceReading_ = true;
    source.Read(Connection);
    Connection.OSVersion = source.OSVersion();
    ComputeScaleFactors(source);
    // A restore replays this machine's own image: its sizes are put back as
    // they were, even when the load being undone changed the screen.
    if (!DoBackup && SettingsFile.empty()) HorizontalScaleFactor = VerticalScaleFactor = 1.0;
    head();

    SETTINGS_RC r = LoadSectionGroup();
    if (r == SETTINGS_OK) r = LoadSectionGroup();
    if (r == SETTINGS_OK) r = LoadDataFiles();
    return r;
  }

  static void ComputeScaleFactors(const TSourceInfo& source) {
    qv::ISystemInfo& system = qv::CurrentMachine().System();
    double width = system.DeviceCaps(qv::caps::HorzRes);
    double height = system.DeviceCaps(qv::caps::VertRes);
    double dpiX = system.DeviceCaps(qv::caps::LogPixelsX);
    double dpiY = system.DeviceCaps(qv::caps::LogPixelsY);
    // A record without a usable screen leaves sizes as they are.
    HorizontalScaleFactor = source.ScreenWidth() > 0 && dpiX > 0
                                ? width / source.ScreenWidth() * source.HorizontalResolution() / dpiX
                                : 1.0;
    VerticalScaleFactor = source.ScreenHeight() > 0 && dpiY > 0
                              ? height / source.ScreenHeight() * source.VerticalResolution() / dpiY
                              : 1.0;
    if (HorizontalScaleFactor <= 0) HorizontalScaleFactor = 1.0;
    if (VerticalScaleFactor <= 0) VerticalScaleFactor = 1.0;
  }

  SETTINGS_RC TakeBackup(TCatConfig& configuration) {
    IRunStatus& status = StatusWindow();
    std::string caption = status.Caption();
    status.SetCaption("Saving settings...");
    TOptions& options = Options();
    std::string name;
    if (options.CreateBackup) {
      name = !options.BackupToFile.empty() ? options.BackupToFile
                                           : NewBackupFileName(options.BackupDir);
      if (name.empty()) {
        backupError_ = "Could not create backup file on " + options.BackupDir;
        return SETTINGS_ERROR;
      }
    }
    BackupSettingsFile = name;
    SETTINGS_RC r = UndoManager().BeginLoad(name, configuration);
    if (r != SETTINGS_OK) {
      backupError_ = UndoManager().BackupError();
      // No backup file was left behind.
      BackupSettingsFile.clear();
      UndoManager().Reset();
    }
    status.SetCaption(caption);
    return r;
  }

  SETTINGS_RC LoadSectionGroup() {
    SETTINGS_RC r = SETTINGS_OK;
    for (;;) {
      std::string name = Connection.ReadString();
      if (name == kEndOfSection) return r;
      r = LoadSection(name);
      if (r != SETTINGS_OK) return r;
    }
  }

  SETTINGS_RC LoadSection(const std::string& name) {
    StatusWindow().SetActionText("Reading " + name + " ... ");
    std::unique_ptr<TSettings> item = CreateSettingsItem(name);
    bool ok = item && item->Read(Connection);
    if (!ok) Connection.AddComment("Error reading section");
    Connection.AddComment("");
    return Outcome(ok);
  }

  SETTINGS_RC LoadDataFiles() {
    SETTINGS_RC r = SETTINGS_OK;
    std::string last;
    while (r == SETTINGS_OK) {
      if (last == kEndOfSection) break;
      if (StatusWindow().CancelRequested()) return SETTINGS_CANCELLED;
      last = Connection.ReadString();
      if (last == "FILE") r = ReceiveFile();
    }
    return r;
  }

  SETTINGS_RC ReceiveFile() {
    TOptions& options = Options();
    TFileReader reader(Connection, options.ComparebyDate, options.ComparebyChecksum);
    DebugLog("Reading filename...");
    std::string path = Connection.ReadString();
    bool ok;
    if (FileExists(path)) {
      ok = reader.SkipFile();
    } else {
      DebugLog("  Receiving file " + path);
      StatusWindow().SetActionText("Creating " + path);
      // The file goes where its marker says, the place that was checked
      // above, whatever name its record carries.
      UndoManager().RecordFile(path);
      ok = reader.ReadFile(true, path);
      Connection.AddComment(ok ? "Copied file " + path : reader.ErrorMessage());
    }
    return ok ? SETTINGS_OK : SETTINGS_ERROR;
  }

 private:
  bool registryAccess_;
  std::string backupError_;  // why the backup failed
  bool sourceReading_ = false;  // the source record is being read or was read
};

}  // namespace

SETTINGS_RC SaveSettings(const std::string& fileName, TConnection& stream, bool noStatusWindow,
                         bool synchronous) {
  IRunStatus& status = StatusWindow();
  if (!noStatusWindow) {
    status.ResetForRun();
    status.SetMessagesSuppressed(false);
    status.SetCaption("Saving current settings...");
    status.ShowCancel(true);
    status.ShowProgressBar(false);
    status.SetCloseAutomatically(true);
    status.SetActionText("");
  }
  TWriteSettingsThread worker(stream, synchronous ? nullptr : &status);
  worker.SetDataFiles(CurrentConfig().FileList);
  worker.SetFileName(fileName);
  if (synchronous) {
    worker.Execute();
    return worker.Result();
  }
  return status.RunModal([&] { worker.Execute(); });
}

SETTINGS_RC LoadSettings(const std::string& fileName, TConnection& stream, bool doBackup,
                         std::string& backupFileName, bool quiet) {
  IRunStatus& status = StatusWindow();
  status.ResetForRun();
  status.SetMessagesSuppressed(quiet);
  status.SetCloseAutomatically(true);
  status.ShowCancel(true);
  TReadSettingsThread worker(stream);
  worker.SettingsFile = fileName;
  worker.DoBackup = doBackup;
  SETTINGS_RC result;
  if (quiet) {
    worker.Execute();
    result = worker.ReturnCode;
  } else {
    result = status.RunModal([&] { worker.Execute(); });
  }
  backupFileName = worker.BackupSettingsFile;
  return result;
}

std::string NewBackupFileName(const std::string& folder) {
  std::string base = folder;
  if (base.empty() || base.back() != '\\') base += '\\';
  qv::IFiles& files = qv::CurrentMachine().Files();
  for (int n = 1; n < 100000; ++n) {
    std::string candidate = base + "QRVBackup" + std::to_string(n) + ".qrv";
    if (FileExists(candidate)) continue;
    qv::FileHandle h;
    if (files.Open(candidate, qv::FileAccess::Write, qv::Disposition::CreateNew, 0, h) !=
        qv::err::Success)
      return std::string();
    files.Close(h);
    files.Remove(candidate);
    return candidate;
  }
  return std::string();
}
