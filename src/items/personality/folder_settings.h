// The shell folders that travel whole: the Start Menu (with its Programs
// and Startup folders), the SendTo folder and the Desktop folder. Every
// file below such a folder goes into the settings file as a file record;
// on load it lands in the same shell folder of this machine.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "engine/settings.h"
#include "platform/registry.h"

class TFileReader;
class TFileWriter;

// The key that names the user's shell folders.
inline constexpr const char* kShellFoldersKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// The path a shell folder value names under `root`; "" when the value is
// missing, "error" when the key does not open.
std::string GetShellFolder(qv::RegKey root, const std::string& valueName);

// Sends an existing file or folder (with what it holds) to the recycle bin.
void MoveToRecycleBin(const std::string& path);

// Every file below `folder`, in the order the file system lists them, each
// subfolder's files where the subfolder is met; subfolders whose path is
// one of `exclusions` (compared without regard to case) are left out.
std::vector<std::string> ListFiles(const std::string& folder,
                                   const std::vector<std::string>& exclusions);
// Every subfolder below `folder` with the same exclusion, each listed after
// its own subfolders.
std::vector<std::string> ListFolders(const std::string& folder,
                                     const std::vector<std::string>& exclusions);

// The paths of the user's other shell folders: every string value of the
// Shell Folders key whose path differs from `folder`.
std::vector<std::string> OtherShellFolders(const std::string& folder);

// Whether `remainder` (the part of a carried path after its source folder)
// names a place inside the folder: it starts with a backslash and every
// name in it is a plain file or folder name (no "..", no drive, no device,
// no characters Windows refuses in names).
bool StaysInsideFolder(const std::string& remainder);

// The paths a load delivered into a folder, and the recycling of the rest.
class TFileList {
 public:
  // Notes a delivered file and every folder it lies in.
  void AddFile(const std::string& path);
  // Sends the existing files and folders that nothing was delivered to
  // to the recycle bin: files first, in listing order, then folders
  // (deepest first, as ListFolders gives them).
  void Recycle(TConnection& stream, const std::vector<std::string>& existingFiles,
               const std::vector<std::string>& existingFolders);

  const std::vector<std::string>& DeliveredFiles() const { return files_; }
  const std::vector<std::string>& DeliveredFolders() const { return folders_; }

 private:
  std::vector<std::string> files_;    // upper case, in delivery order
  std::vector<std::string> folders_;  // upper case, without trailing backslash
  std::unordered_set<std::string> fileSet_;
  std::unordered_set<std::string> folderSet_;
};

// Writes and reads one folder block: the shell folder's value name, the
// entry count, the source folder's path and the entries.
class TRegistryFolders {
 public:
  TRegistryFolders();
  ~TRegistryFolders();

  bool WriteFolder(TConnection& stream, const std::string& valueName);
  // Reads one block into the shell folder it names, when that name is one
  // of `accepted` (a block naming another folder is passed over). With
  // `replace` the folder's files and subfolders that the block did not
  // deliver go to the recycle bin.
  bool ReadFolder(TConnection& stream, bool replace, std::initializer_list<const char*> accepted);

 private:
  std::unique_ptr<TFileWriter> writer_;
  std::unique_ptr<TFileReader> reader_;
};

// "Start Menu": the Start Menu, Programs and Startup folders.
class TStartMenuSettings : public TSettings {
 public:
  bool Read(TConnection& stream) override;
  bool Write(TConnection& stream) override;
};

// "SendTo menu": the SendTo folder, always merged on load.
class TSendToMenuSettings : public TSettings {
 public:
  bool Read(TConnection& stream) override;
  bool Write(TConnection& stream) override;
};

// "Desktop Icons": the Desktop folder, then the positions of the icons.
class TDesktopIconSettings : public TSettings {
 public:
  bool Read(TConnection& stream) override;
  bool Write(TConnection& stream) override;
};
