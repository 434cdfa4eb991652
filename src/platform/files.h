// Files-and-folders port: the kernel32 file calls the program uses.
//
// Paths are ANSI Windows paths ("C:\WINDOWS\win.ini"); '/' counts as '\'.
// Relative paths are taken from the current folder. Every failing call
// returns its Win32 error code and also leaves it as the thread's last
// error (see ISystemInfo::LastError), as the real calls do.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/win_types.h"

namespace qv {

// FILE_ATTRIBUTE_* values.
namespace fattr {
inline constexpr std::uint32_t ReadOnly = 0x01;
inline constexpr std::uint32_t Hidden = 0x02;
inline constexpr std::uint32_t System = 0x04;
inline constexpr std::uint32_t Directory = 0x10;
inline constexpr std::uint32_t Archive = 0x20;
inline constexpr std::uint32_t Normal = 0x80;
inline constexpr std::uint32_t Temporary = 0x100;
inline constexpr std::uint32_t Invalid = 0xFFFFFFFFu;  // INVALID_FILE_ATTRIBUTES
}  // namespace fattr

struct FileTimes {
  FileTime creation = 0;
  FileTime lastAccess = 0;
  FileTime lastWrite = 0;
};

// What GetFileAttributesEx and FindFirstFile/FindNextFile tell about an entry.
struct FileInfo {
  std::uint32_t attributes = 0;
  FileTimes times;
  std::uint64_t size = 0;  // 0 for folders
  std::string name;        // the entry's own name, without its folder
};

using FileHandle = std::uint32_t;  // 0 is never a valid handle
using FindHandle = std::uint32_t;

enum class FileAccess { Read = 1, Write = 2, ReadWrite = 3 };

// CreateFile's creation dispositions, with their Win32 values.
enum class Disposition {
  CreateNew = 1,         // fails with err::FileExists when the file exists
  CreateAlways = 2,      // truncates an existing file
  OpenExisting = 3,      // fails with err::FileNotFound when missing
  OpenAlways = 4,
  TruncateExisting = 5,  // needs write access
};

enum class SeekOrigin { Begin = 0, Current = 1, End = 2 };

class IFiles {
 public:
  virtual ~IFiles() = default;

  // GetFileAttributes; `attributes` is fattr::Invalid on failure.
  virtual WinError Attributes(std::string_view path, std::uint32_t& attributes) = 0;
  // SetFileAttributes. Only read-only, hidden, system, archive, normal and
  // temporary can be set; 0 and Normal both mean "no attribute".
  virtual WinError SetAttributes(std::string_view path, std::uint32_t attributes) = 0;
  // GetFileAttributesEx: attributes, times and size of a file or folder;
  // `name` is the path's last name as given.
  virtual WinError QueryInfo(std::string_view path, FileInfo& info) = 0;

  // CreateFile (share read and write, no delete sharing). `attributes` is
  // used when a file is created. Opening a read-only file for writing, or a
  // folder, fails with err::AccessDenied.
  virtual WinError Open(std::string_view path, FileAccess access, Disposition disposition,
                        std::uint32_t attributes, FileHandle& handle) = 0;
  virtual WinError Close(FileHandle handle) = 0;
  // ReadFile: `done` < `count` only at the end of the file.
  virtual WinError Read(FileHandle handle, void* buffer, std::uint32_t count,
                        std::uint32_t& done) = 0;
  // WriteFile: a full disk gives err::DiskFull (`done` tells what was written).
  virtual WinError Write(FileHandle handle, const void* buffer, std::uint32_t count,
                         std::uint32_t& done) = 0;
  // SetFilePointerEx. `position` (optional) receives the new position.
  virtual WinError Seek(FileHandle handle, std::int64_t offset, SeekOrigin origin,
                        std::uint64_t* position = nullptr) = 0;
  virtual WinError Size(FileHandle handle, std::uint64_t& size) = 0;
  // SetEndOfFile at the current position.
  virtual WinError Truncate(FileHandle handle) = 0;
  // GetFileTime / SetFileTime; a null pointer leaves that time unchanged.
  virtual WinError Times(FileHandle handle, FileTimes& times) = 0;
  virtual WinError SetTimes(FileHandle handle, const FileTime* creation,
                            const FileTime* lastAccess, const FileTime* lastWrite) = 0;

  // DeleteFile: a read-only file gives err::AccessDenied, an open one
  // err::SharingViolation, a folder err::AccessDenied.
  virtual WinError Remove(std::string_view path) = 0;
  // MoveFile: fails with err::AlreadyExists when the target exists.
  virtual WinError Rename(std::string_view from, std::string_view to) = 0;
  // CreateDirectory: err::AlreadyExists when the name exists, err::PathNotFound
  // when the parent folder is missing.
  virtual WinError MakeFolder(std::string_view path) = 0;
  // RemoveDirectory: err::DirNotEmpty when the folder holds anything.
  virtual WinError RemoveFolder(std::string_view path) = 0;

  // FindFirstFile / FindNextFile / FindClose with the wildcards '*' and '?'.
  // A pattern whose folder does not exist gives err::PathNotFound, one that
  // matches nothing err::FileNotFound. Folders other than a drive's root
  // list "." and ".." too. FindNext ends with err::NoMoreFiles. The order of
  // the entries is the file system's.
  virtual WinError FindFirst(std::string_view pattern, FindHandle& handle, FileInfo& info) = 0;
  virtual WinError FindNext(FindHandle handle, FileInfo& info) = 0;
  virtual WinError FindClose(FindHandle handle) = 0;

  // GetDiskFreeSpaceEx for the drive or folder `root`.
  virtual WinError DiskFreeSpace(std::string_view root, std::uint64_t& freeBytes,
                                 std::uint64_t& totalBytes) = 0;
  // GetTempPath: the temporary folder, with a trailing backslash.
  virtual WinError TempFolder(std::string& path) = 0;
  // GetCurrentDirectory / SetCurrentDirectory.
  virtual WinError CurrentFolder(std::string& path) = 0;
  virtual WinError SetCurrentFolder(std::string_view path) = 0;
};

// Closes a file handle when it goes out of scope.
class FileCloser {
 public:
  FileCloser(IFiles& files, FileHandle handle) : files_(files), handle_(handle) {}
  ~FileCloser() {
    if (handle_ != 0) files_.Close(handle_);
  }
  FileCloser(const FileCloser&) = delete;
  FileCloser& operator=(const FileCloser&) = delete;

 private:
  IFiles& files_;
  FileHandle handle_;
};

}  // namespace qv
