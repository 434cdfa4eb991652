#include "undo/undo_manager.h"

#include <algorithm>
#include <exception>

#include "config/cat_config.h"
#include "config/options.h"
#include "engine/debug_log.h"
#include "engine/file_utils.h"
#include "engine/messages.h"
#include "engine/program.h"
#include "engine/run_report.h"
#include "engine/runs.h"
#include "engine/status.h"
#include "platform/desktop.h"
#include "platform/machine.h"
#include "platform/prompts.h"
#include "stream/connection.h"
#include "undo/registry_store.h"

namespace {

bool SameName(const std::string& a, const std::string& b) { return CompareNames(a, b) == 0; }

std::string_view PortPath(std::string_view path) {
  if (!path.empty() && path.front() == '\\') path.remove_prefix(1);
  return path;
}

// The folders from the drive's root down to `folder`, the root excluded:
// "C:\A\B" gives "C:\A", "C:\A\B". A UNC folder starts below its share.
std::vector<std::string> FolderChain(std::string folder) {
  while (folder.size() > 1 && folder.back() == '\\') folder.pop_back();
  std::size_t first = 0;  // the chain's folders are longer than this
  if (folder.size() >= 2 && folder[1] == ':') {
    first = 3;  // "C:\"
  } else if (folder.rfind("\\\\", 0) == 0) {
    std::size_t server = folder.find('\\', 2);
    std::size_t share = server == std::string::npos ? server : folder.find('\\', server + 1);
    if (share == std::string::npos) return {};
    first = share;  // "\\server\share" itself is the root
  } else if (!folder.empty() && folder[0] == '\\') {
    first = 1;
  }
  std::vector<std::string> chain;
  for (std::size_t i = first; i <= folder.size(); ++i) {
    if (i != folder.size() && folder[i] != '\\') continue;
    if (i > first && i > 0) chain.push_back(folder.substr(0, i));
  }
  return chain;
}

// Removes a folder and its sub folders depth first; only empty folders go,
// files inside stay (and keep their folders).
void RemoveFolderTree(qv::IFiles& files, const std::string& folder) {
  std::vector<std::string> subFolders;
  qv::FindHandle find = 0;
  qv::FileInfo info;
  if (files.FindFirst(folder + "\\*.*", find, info) == qv::err::Success) {
    do {
      if ((info.attributes & qv::fattr::Directory) && info.name != "." && info.name != "..")
        subFolders.push_back(folder + "\\" + info.name);
    } while (files.FindNext(find, info) == qv::err::Success);
    files.FindClose(find);
  }
  for (const std::string& sub : subFolders) RemoveFolderTree(files, sub);

  qv::WinError e = files.RemoveFolder(folder);
  if (e != qv::err::Success) {
    DebugLog("UNDO : Error deleting folder " + folder + "\\");
    DebugLog(SystemErrorText(e));
  }
}

// Windows NT refuses to delete a key that has sub keys: the tree goes
// bottom up. A key that does not open is left alone.
void DeleteKeyTree(qv::IRegistry& registry, qv::RegKey root, const std::string& path) {
  qv::RegKey key = 0;
  if (registry.OpenKey(root, PortPath(path), qv::RegAccess::Full, key) != qv::err::Success) return;
  std::vector<std::string> subKeys;
  {
    qv::RegKeyCloser closer(registry, key);
    std::string name;
    for (std::uint32_t i = 0; registry.EnumKey(key, i, name) == qv::err::Success; ++i)
      subKeys.push_back(name);
  }
  for (const std::string& sub : subKeys) DeleteKeyTree(registry, root, path + "\\" + sub);
  qv::WinError e = registry.DeleteKey(root, PortPath(path));
  if (e != qv::err::Success)
    DebugLog("UNDO3 : Error deleting registry entry " + path + " " + SystemErrorText(e));
}

// Makes a configuration current while it lives.
class CurrentConfigSwap {
 public:
  explicit CurrentConfigSwap(TCatConfig& config) : previous_(SwapCurrentConfig(&config)) {}
  ~CurrentConfigSwap() { SwapCurrentConfig(previous_); }
  CurrentConfigSwap(const CurrentConfigSwap&) = delete;
  CurrentConfigSwap& operator=(const CurrentConfigSwap&) = delete;

 private:
  TCatConfig* previous_;
};

}  // namespace

TUndoManager::TUndoManager() = default;
TUndoManager::~TUndoManager() = default;

SETTINGS_RC TUndoManager::BeginLoad(const std::string& backupFileName, TCatConfig& configuration) {
  Reset();
  backupError_.clear();
  // Printers are never captured, and therefore never restored.
  configuration.PersonalityItems.SetSelected("Printers", false);

  TWriteMemoryConnection capture;
  capture.ConnectionVersion = kConnectionVersion;
  SETTINGS_RC result = SETTINGS_ERROR;
  try {
    if (capture.Initialize()) {
      // The save run reads the current configuration.
      CurrentConfigSwap swap(configuration);
      result = SaveSettings(backupFileName, capture, true, true);
    }
  } catch (const std::exception& error) {
    DebugLog(std::string("UNDO : Error capturing the current settings : ") + error.what());
    backupError_ = std::string("Could not back up the current settings : ") + error.what();
    result = SETTINGS_ERROR;
  }
  // The capture's report lines died with it; the load run attaches its own.
  RunReport().Attach(nullptr);
  if (result != SETTINGS_OK) {
    if (backupError_.empty()) backupError_ = "Could not back up the current settings.";
    return result;
  }

  // The backup file is written from the capture itself, which knows how much
  // it holds; it is written whether or not undo is recorded. A backup that
  // is not there whole is no backup: the partial file goes, and the load
  // stops before anything is applied.
  if (!backupFileName.empty() && !capture.WriteToFile(backupFileName, kSettingsMagic)) {
    DebugLog("UNDO : Error writing backup file " + backupFileName + " " + capture.LastError());
    qv::CurrentMachine().Files().Remove(backupFileName);
    backupError_ = "Could not write backup file " + backupFileName + " : " + capture.LastError();
    return SETTINGS_ERROR;
  }

  if (Recording) {
    // Only the bytes written belong to the image; the rest of the writer's
    // block is unused space.
    const std::uint8_t* block = nullptr;
    std::uint32_t size = 0;
    capture.GetBuffer(block, size);
    auto image = std::make_unique<TReadMemoryConnection>();
    image->ConnectionVersion = kConnectionVersion;
    image->SetBuffer(block, capture.Position());
    image_ = std::move(image);
    undoAvailable_ = true;
  }
  return result;
}

void TUndoManager::RecordRegistryValue(qv::RegKey root, const std::string& keyPath,
                                       const std::string& valueName) {
  if (!Recording) return;
  qv::IRegistry& registry = qv::CurrentMachine().Registry();
  qv::RegKey key = 0;
  qv::WinError e = registry.OpenKey(root, PortPath(keyPath), qv::RegAccess::Full, key);
  if (e == qv::err::FileNotFound) {
    // The write creates the key and every missing parent: the outermost
    // missing one is what undo has to delete.
    std::string created = keyPath;
    for (std::size_t slash = keyPath.find('\\', 1); slash != std::string::npos;
         slash = keyPath.find('\\', slash + 1)) {
      std::string parent = keyPath.substr(0, slash);
      qv::RegKey probe = 0;
      qv::WinError pe = registry.OpenKey(root, PortPath(parent), qv::RegAccess::Full, probe);
      if (pe == qv::err::Success) registry.CloseKey(probe);
      if (pe == qv::err::FileNotFound) {
        created = parent;
        break;
      }
    }
    for (const Key& k : createdKeys_)
      if (k.root == root && SameName(k.path, created)) return;
    createdKeys_.push_back({root, created});
    return;
  }
  // A key that exists but does not open (no access) is not ours to delete.
  if (e != qv::err::Success) return;

  qv::RegKeyCloser closer(registry, key);
  if (registry.QueryValue(key, valueName, nullptr, nullptr, nullptr) != qv::err::FileNotFound)
    return;  // the old value is part of the image
  for (const Value& v : createdValues_)
    if (v.root == root && SameName(v.path, keyPath) && SameName(v.name, valueName)) return;
  createdValues_.push_back({root, keyPath, valueName});
}

void TUndoManager::RecordFile(const std::string& path) {
  if (!Recording) return;
  // A file that is there before the load is not the load's to delete: its
  // old contents come back with the image or stay as they are.
  if (FileExists(path)) return;
  bool known = std::any_of(createdFiles_.begin(), createdFiles_.end(),
                           [&](const std::string& f) { return SameName(f, path); });
  if (!known) createdFiles_.push_back(path);

  std::string folder = FolderOf(path);
  if (folder.empty() || FolderExists(folder)) return;
  for (const std::string& f : FolderChain(folder)) {
    if (FolderExists(f)) continue;
    auto at = std::lower_bound(createdFolders_.begin(), createdFolders_.end(), f,
                               [](const std::string& a, const std::string& b) {
                                 return CompareNames(a, b) < 0;
                               });
    if (at != createdFolders_.end() && SameName(*at, f)) continue;
    createdFolders_.insert(at, f);
  }
}

void TUndoManager::Restore() {
  if (!undoAvailable_ || !image_) return;
  Recording = false;

  IRunStatus& status = StatusWindow();
  status.SetCaption("Restoring settings...");
  std::string noBackup;
  image_->Rewind();
  {
    // A file the load replaced is newer than the captured one: without
    // either comparison every captured file is put back as it was.
    struct ReplaceEveryFile {
      TOptions& options = Options();
      const bool byDate = options.ComparebyDate;
      const bool byChecksum = options.ComparebyChecksum;
      ReplaceEveryFile() {
        options.ComparebyDate = false;
        options.ComparebyChecksum = false;
      }
      ~ReplaceEveryFile() {
        options.ComparebyDate = byDate;
        options.ComparebyChecksum = byChecksum;
      }
    } replace;
    struct RestoringScope {
      bool& flag;
      explicit RestoringScope(bool& f) : flag(f) { flag = true; }
      ~RestoringScope() { flag = false; }
    } restoring(restoring_);
    LoadSettings("", *image_, false, noBackup, false);
  }

  qv::Machine& machine = qv::CurrentMachine();
  qv::IFiles& files = machine.Files();
  for (const std::string& path : createdFiles_) {
    if (!FileExists(path)) continue;
    files.SetAttributes(path, qv::fattr::Archive);
    qv::WinError e = files.Remove(path);
    if (e != qv::err::Success) {
      DebugLog("UNDO : Error deleting file " + path);
      DebugLog(SystemErrorText(e));
    }
  }
  if (!createdFiles_.empty()) {
    // Icons of deleted desktop files disappear only when the desktop repaints.
    if (qv::IDesktop* desktop = machine.Desktop()) desktop->RepaintDesktop();
  }

  for (const std::string& folder : createdFolders_)
    if (FolderExists(folder)) RemoveFolderTree(files, folder);

  qv::IRegistry& registry = machine.Registry();
  for (auto v = createdValues_.rbegin(); v != createdValues_.rend(); ++v) {
    qv::RegKey key = 0;
    if (registry.OpenKey(v->root, PortPath(v->path), qv::RegAccess::Full, key) !=
        qv::err::Success) {
      DebugLog("UNDO1 : Error opening registry section " + v->path);
      continue;
    }
    qv::RegKeyCloser closer(registry, key);
    if (registry.DeleteValue(key, v->name) != qv::err::Success)
      DebugLog("UNDO1 : Error deleting registry entry " + v->name);
  }

  bool nt = qv::RunningKind(machine.System()) == qv::okWinNT;
  for (auto k = createdKeys_.rbegin(); k != createdKeys_.rend(); ++k) {
    qv::WinError e = registry.DeleteKey(k->root, PortPath(k->path));
    if (e == qv::err::Success || e == qv::err::FileNotFound) continue;  // gone already
    if (nt)
      DeleteKeyTree(registry, k->root, k->path);
    else
      DebugLog("UNDO : Error deleting registry entry " + k->path + " " + SystemErrorText(e));
  }

  Reset();
  // The restore's report has been collected; its stream is gone.
  RunReport().Attach(nullptr);
}

void TUndoManager::Reset() {
  undoAvailable_ = false;
  image_.reset();
  createdFolders_.clear();
  createdFiles_.clear();
  createdKeys_.clear();
  createdValues_.clear();
}

bool AskKeepSettings(const std::string& backupFileName) {
  static const char* const kModified = "Your system settings have been modified.";
  static const char* const kKeep = "Do you wish to keep these settings ?";
  std::string text;
  if (!backupFileName.empty())
    text = "Previous settings are backed up in " + backupFileName + "\r\n\r\n" + kModified +
           "\r\n" + kKeep;
  else
    text = std::string(kModified) + " " + kKeep;
  return ShowMessageBox(text, "Confirm", qv::mb::YesNo | qv::mb::IconQuestion) == qv::id::Yes;
}
