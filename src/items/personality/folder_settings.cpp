#include "items/personality/folder_settings.h"

#include <algorithm>
#include <cstdio>

#include "config/options.h"
#include "engine/debug_log.h"
#include "engine/file_utils.h"
#include "engine/program.h"
#include "engine/status.h"
#include "items/personality/icon_positions.h"
#include "platform/machine.h"
#include "platform/shell.h"
#include "stream/connection.h"
#include "stream/file_transfer.h"
#include "undo/undo_manager.h"

namespace {

std::string Upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

bool SameText(const std::string& a, const std::string& b) { return Upper(a) == Upper(b); }

bool Excluded(const std::string& path, const std::vector<std::string>& exclusions) {
  for (const std::string& e : exclusions)
    if (SameText(path, e)) return true;
  return false;
}

std::string LeafName(const std::string& path) {
  const std::size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The entries of one folder, "." and ".." left out, in the file system's order.
std::vector<qv::FileInfo> Entries(const std::string& folder) {
  std::vector<qv::FileInfo> out;
  qv::IFiles& files = qv::CurrentMachine().Files();
  qv::FindHandle h = 0;
  qv::FileInfo info;
  if (files.FindFirst(folder + "\\*.*", h, info) != qv::err::Success) return out;
  do {
    if (info.name != "." && info.name != "..") out.push_back(info);
  } while (files.FindNext(h, info) == qv::err::Success);
  files.FindClose(h);
  return out;
}

void CollectFiles(const std::string& folder, const std::vector<std::string>& exclusions,
                  std::vector<std::string>& out) {
  for (const qv::FileInfo& entry : Entries(folder)) {
    const std::string path = folder + "\\" + entry.name;
    if (entry.attributes & qv::fattr::Directory) {
      if (!Excluded(path, exclusions)) CollectFiles(path, exclusions, out);
    } else {
      out.push_back(path);
    }
  }
}

void CollectFolders(const std::string& folder, const std::vector<std::string>& exclusions,
                    std::vector<std::string>& out) {
  for (const qv::FileInfo& entry : Entries(folder)) {
    const std::string path = folder + "\\" + entry.name;
    if ((entry.attributes & qv::fattr::Directory) && !Excluded(path, exclusions)) {
      CollectFolders(path, exclusions, out);
      out.push_back(path);
    }
  }
}

// Names Windows gives to devices: a file of that name (with any
// extension) is the device, not a file.
bool IsDeviceName(const std::string& name) {
  std::string base = Upper(name.substr(0, name.find('.')));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  for (const char* device : {"CON", "PRN", "AUX", "NUL", "CLOCK$", "CONIN$", "CONOUT$"})
    if (base == device) return true;
  if (base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
      base[3] >= '0' && base[3] <= '9')
    return true;
  return false;
}

// A folder path as entries are joined to it: "C:\\" and "C:\\Start Menu\\"
// become "C:" and "C:\\Start Menu".
std::string WithoutTrailingBackslash(std::string path) {
  while (!path.empty() && path.back() == '\\') path.pop_back();
  return path;
}

// Passes over the rest of a block's entries, from entry `from` on.
void SkipEntries(TConnection& stream, TFileReader& reader, std::int32_t from, std::int32_t count) {
  for (std::int32_t i = from; i < count; ++i) {
    if (stream.ReadString("Path").empty()) continue;
    stream.ReadInteger("Size");
    if (!reader.SkipFile()) return;
  }
}

}  // namespace

std::string GetShellFolder(qv::RegKey root, const std::string& valueName) {
  qv::IRegistry& registry = qv::CurrentMachine().Registry();
  qv::RegKey key = 0;
  if (registry.OpenKey(root, kShellFoldersKey, qv::RegAccess::Read, key) != qv::err::Success)
    return "error";
  std::string path;
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  if (registry.QueryValue(key, valueName, &type, nullptr, &size) == qv::err::Success &&
      (type == qv::regtype::Sz || type == qv::regtype::ExpandSz) && size > 0) {
    path.assign(size, '\0');
    if (registry.QueryValue(key, valueName, &type, reinterpret_cast<std::uint8_t*>(path.data()),
                            &size) != qv::err::Success)
      size = 0;
    path.resize(size);
    if (auto zero = path.find('\0'); zero != std::string::npos) path.resize(zero);
  }
  registry.CloseKey(key);
  return path;
}

void MoveToRecycleBin(const std::string& path) {
  qv::Machine& machine = qv::CurrentMachine();
  std::uint32_t attributes = qv::fattr::Invalid;
  if (machine.Files().Attributes(path, attributes) != qv::err::Success ||
      attributes == qv::fattr::Invalid)
    return;
  if (qv::IShell* shell = machine.Shell()) shell->SendToRecycleBin(path);
}

std::vector<std::string> ListFiles(const std::string& folder,
                                   const std::vector<std::string>& exclusions) {
  std::vector<std::string> out;
  CollectFiles(folder, exclusions, out);
  return out;
}

std::vector<std::string> ListFolders(const std::string& folder,
                                     const std::vector<std::string>& exclusions) {
  std::vector<std::string> out;
  CollectFolders(folder, exclusions, out);
  return out;
}

std::vector<std::string> OtherShellFolders(const std::string& folder) {
  std::vector<std::string> out;
  qv::IRegistry& registry = qv::CurrentMachine().Registry();
  qv::RegKey key = 0;
  if (registry.OpenKey(qv::hkey::CurrentUser, kShellFoldersKey, qv::RegAccess::Read, key) !=
      qv::err::Success)
    return out;
  std::string name;
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
  for (std::uint32_t i = 0; registry.EnumValue(key, i, name, &type, &data) == qv::err::Success; ++i) {
    if (type != qv::regtype::Sz && type != qv::regtype::ExpandSz) continue;
    std::string path(data.begin(), data.end());
    if (auto zero = path.find('\0'); zero != std::string::npos) path.resize(zero);
    if (!path.empty() && !SameText(path, folder)) out.push_back(path);
  }
  registry.CloseKey(key);
  return out;
}

bool StaysInsideFolder(const std::string& remainder) {
  if (remainder.size() < 2 || remainder[0] != '\\') return false;
  std::size_t start = 1;
  while (start <= remainder.size()) {
    std::size_t end = remainder.find_first_of("\\/", start);
    if (end == std::string::npos) end = remainder.size();
    const std::string name = remainder.substr(start, end - start);
    if (name.empty() || name == "." || name == "..") return false;
    // Windows drops trailing dots and spaces: ".. " would climb out too.
    if (name.back() == '.' || name.back() == ' ') return false;
    for (unsigned char c : name)
      if (c < 32 || std::string("<>:\"|?*/").find(static_cast<char>(c)) != std::string::npos)
        return false;
    if (IsDeviceName(name)) return false;
    if (end < remainder.size() && remainder[end] == '/') return false;
    start = end + 1;
  }
  return true;
}

// ---- TFileList ----

void TFileList::AddFile(const std::string& path) {
  const std::string upper = Upper(path);
  if (fileSet_.insert(upper).second) files_.push_back(upper);
  std::string folder = upper;
  for (;;) {
    const std::size_t slash = folder.find_last_of('\\');
    if (slash == std::string::npos) break;
    folder.resize(slash);
    // Stop above the drive: "C:" itself is no folder to keep.
    if (folder.empty() || (folder.size() == 2 && folder[1] == ':')) break;
    if (folderSet_.insert(folder).second) folders_.push_back(folder);
  }
}

void TFileList::Recycle(TConnection& stream, const std::vector<std::string>& existingFiles,
                        const std::vector<std::string>& existingFolders) {
  IRunStatus& status = StatusWindow();
  status.SetActionText("Recycling files...");
  status.ShowProgressBar(true);
  const std::size_t nFiles = existingFiles.size();
  for (std::size_t i = 0; i < nFiles; ++i) {
    status.SetProgress(static_cast<int>(i * 100 / nFiles));
    const std::string& path = existingFiles[i];
    if (fileSet_.count(Upper(path))) continue;
    stream.AddComment("File " + path + " has been moved to the RecycleBin");
    MoveToRecycleBin(path);
  }
  status.SetActionText("Recycling folders...");
  const std::size_t nFolders = existingFolders.size();
  for (std::size_t i = 0; i < nFolders; ++i) {
    status.SetProgress(static_cast<int>(i * 100 / nFolders));
    const std::string& path = existingFolders[i];
    if (folderSet_.count(Upper(path))) continue;
    stream.AddComment("Folder " + path + " has been moved to the RecycleBin");
    MoveToRecycleBin(path);
  }
  status.ShowProgressBar(false);
}

// ---- TRegistryFolders ----

TRegistryFolders::TRegistryFolders() = default;
TRegistryFolders::~TRegistryFolders() = default;

bool TRegistryFolders::WriteFolder(TConnection& stream, const std::string& valueName) {
  qv::Machine& machine = qv::CurrentMachine();
  qv::IRegistry& registry = machine.Registry();
  qv::IFiles& files = machine.Files();
  const std::string keyPath = kShellFoldersKey;
  qv::RegKey key = 0;
  if (registry.OpenKey(qv::hkey::CurrentUser, keyPath, qv::RegAccess::Read, key) !=
      qv::err::Success) {
    stream.AddComment("Error opening key for desktop : " + keyPath);
    return false;
  }
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  const bool isString =
      registry.QueryValue(key, valueName, &type, nullptr, &size) == qv::err::Success &&
      (type == qv::regtype::Sz || type == qv::regtype::ExpandSz);
  registry.CloseKey(key);
  if (!isString) {
    stream.AddComment("Error retrieving path for desktop : " + keyPath);
    return false;
  }
  const std::string folder = GetShellFolder(qv::hkey::CurrentUser, valueName);
  stream.AddComment("Files from " + folder + " :");

  const std::vector<std::string> exclusions = OtherShellFolders(folder);
  stream.WriteString(valueName, "ValueName");
  const std::vector<std::string> list = ListFiles(folder, exclusions);
  const std::int32_t count = static_cast<std::int32_t>(list.size());
  stream.WriteInteger(count, "Count");
  stream.WriteString(folder, "Folder");

  IRunStatus& status = StatusWindow();
  const std::string remembered = status.GetActionText();
  status.ShowProgressBar(true);
  bool result = true;
  std::uint64_t total = 0;
  for (std::int32_t i = 0; i < count; ++i) {
    status.SetProgress(static_cast<int>(static_cast<std::int64_t>(i) * 100 / count));
    if (status.CancelRequested()) {
      result = false;
      break;
    }
    const std::string& path = list[static_cast<std::size_t>(i)];
    stream.AddComment(path.size() > folder.size() ? path.substr(folder.size() + 1) : path);

    qv::FileHandle h = 0;
    if (files.Open(path, qv::FileAccess::Read, qv::Disposition::OpenExisting, 0, h) !=
        qv::err::Success) {
      const std::string warning = "Warning : Could not copy " + path;
      stream.AddComment(warning);
      DebugLog(warning);
      stream.WriteString("", "Path");
      continue;
    }
    std::uint64_t fileSize = 0;
    if (files.Size(h, fileSize) != qv::err::Success) fileSize = 0;
    files.Close(h);

    stream.WriteString(path, "Path");
    total += fileSize;
    stream.WriteInteger(static_cast<std::int32_t>(fileSize), "Size");
    status.SetActionText(remembered + "\r\n" + LeafName(path));
    if (!writer_) writer_ = std::make_unique<TFileWriter>(stream);
    if (!writer_->WriteFile(path)) {
      stream.AddComment("Error : " + writer_->ErrorMessage());
      result = false;
      break;
    }
  }
  if (result) {
    char summary[64];
    std::snprintf(summary, sizeof summary, "%d files, %.0fKB", count,
                  static_cast<double>((total + 1023) / 1024));
    stream.AddComment("");
    stream.AddComment(summary);
    stream.AddComment("");
  }
  status.ShowProgressBar(false);
  status.SetActionText(remembered);
  return result;
}

bool TRegistryFolders::ReadFolder(TConnection& stream, bool replace,
                                  std::initializer_list<const char*> accepted) {
  IRunStatus& status = StatusWindow();
  const std::string valueName = stream.ReadString("ValueName");
  status.SetActionText("Copying data from " + valueName);
  const std::int32_t count = stream.ReadInteger("Count");
  const std::string sourceFolder = WithoutTrailingBackslash(stream.ReadString("Folder"));
  // Every entry holds at least its (possibly empty) path.
  if (count < 0) {
    stream.AddComment("Error : the " + valueName + " folder's file count is damaged.");
    return false;
  }
  if (count > 0) stream.RequireAvailable(static_cast<std::uint64_t>(count) * 4u);
  if (!reader_)
    reader_ = std::make_unique<TFileReader>(stream, Options().ComparebyDate,
                                            Options().ComparebyChecksum);

  // Only the folders this item carries are written to: a block naming
  // another shell folder (Fonts, Personal, ...) could fill or, in replace
  // mode, empty a folder the user never chose.
  bool known = false;
  for (const char* name : accepted)
    if (SameText(valueName, name)) known = true;
  if (!known) {
    const std::string line = "Refused the folder " + valueName + " : it is not part of this item.";
    stream.AddComment(line);
    DebugLog(line);
    SkipEntries(stream, *reader_, 0, count);
    return true;
  }
  const std::string targetFolder =
      WithoutTrailingBackslash(GetShellFolder(qv::hkey::CurrentUser, valueName));
  if (targetFolder.empty() || targetFolder == "error") {
    const std::string line = "No " + valueName + " folder on this system : its files are not copied.";
    stream.AddComment(line);
    DebugLog(line);
    SkipEntries(stream, *reader_, 0, count);
    return true;
  }

  const std::vector<std::string> exclusions = OtherShellFolders(targetFolder);
  const std::vector<std::string> existingFiles = ListFiles(targetFolder, exclusions);
  const std::vector<std::string> existingFolders = ListFolders(targetFolder, exclusions);

  status.ShowProgressBar(true);
  const std::string remembered = status.GetActionText();
  TFileList delivered;
  bool result = true;
  for (std::int32_t i = 0; i < count; ++i) {
    status.SetProgress(static_cast<int>(static_cast<std::int64_t>(i) * 100 / count));
    const std::string path = stream.ReadString("Path");
    if (path.empty()) continue;
    status.SetActionText(remembered + "\r\n" + LeafName(path));
    stream.ReadInteger("Size");

    const bool under = path.size() > sourceFolder.size() &&
                       SameText(path.substr(0, sourceFolder.size()), sourceFolder);
    const std::string remainder = under ? path.substr(sourceFolder.size()) : std::string();
    if (!under || !StaysInsideFolder(remainder)) {
      const std::string line = "Refused " + path + " : it does not lie inside " + sourceFolder;
      stream.AddComment(line);
      DebugLog(line);
      if (!reader_->SkipFile()) {
        stream.AddComment(reader_->ErrorMessage());
        result = false;
        break;
      }
      continue;
    }
    const std::string target = targetFolder + remainder;
    const bool isNew = !FileExists(target);
    delivered.AddFile(target);
    if (isNew) {
      stream.AddComment("Creating " + target);
      UndoManager().RecordFile(target);
      if (!reader_->ReadFile(true, target)) {
        stream.AddComment(reader_->ErrorMessage());
        result = false;
        break;
      }
    } else if (!reader_->SkipFile()) {
      stream.AddComment(reader_->ErrorMessage());
      result = false;
      break;
    }
  }
  status.ShowProgressBar(false);
  if (result && replace) delivered.Recycle(stream, existingFiles, existingFolders);
  return result;
}

// ---- The items ----

bool TStartMenuSettings::Write(TConnection& stream) {
  stream.AddComment("The Start Menu consists of files copied from 3 folders.");
  stream.AddComment("");
  stream.WriteInteger(3, "FolderCount");
  TRegistryFolders folders;
  bool result = folders.WriteFolder(stream, "Start Menu");
  if (result) result = folders.WriteFolder(stream, "Programs");
  if (result) result = folders.WriteFolder(stream, "Startup");
  return result;
}

bool TStartMenuSettings::Read(TConnection& stream) {
  const std::int32_t count = stream.ReadInteger("FolderCount");
  stream.AddComment("Start Menu modified");
  TRegistryFolders folders;
  bool result = false;
  for (std::int32_t i = 0; i < count; ++i) {
    result = folders.ReadFolder(stream, Options().ReplaceStartMenu,
                                {"Start Menu", "Programs", "Startup"});
    if (!result) break;
  }
  return result;
}

bool TSendToMenuSettings::Write(TConnection& stream) {
  stream.AddComment("The SendTo Menu consists of files copied from the SendTo folder.");
  stream.AddComment("");
  TRegistryFolders folders;
  return folders.WriteFolder(stream, "SendTo");
}

bool TSendToMenuSettings::Read(TConnection& stream) {
  stream.AddComment("Copied SendTo menu items.");
  TRegistryFolders folders;
  return folders.ReadFolder(stream, false, {"SendTo"});
}

bool TDesktopIconSettings::Write(TConnection& stream) {
  stream.AddComment("The Desktop Icons consists of files copied from the Desktop folder.");
  stream.AddComment("");
  TRegistryFolders folders;
  if (!folders.WriteFolder(stream, "Desktop")) return false;
  return WriteIconPositions(stream);
}

bool TDesktopIconSettings::Read(TConnection& stream) {
  stream.AddComment("Desktop icons changed");
  TRegistryFolders folders;
  if (!folders.ReadFolder(stream, Options().ReplaceDesktop, {"Desktop"})) return false;
  return ReadIconPositions(stream);
}
