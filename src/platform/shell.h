// Shell port: special folders, the recycle bin, file type names and icons,
// and two facts about program files that the loader keeps (where a module
// is found, and its version resource).
//
// The folders the items carry (Start Menu, Programs, Startup, SendTo,
// Desktop) are found through the "Shell Folders" registry key, not here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/win_types.h"

namespace qv {

// CSIDL_* values of the file-system folders of the user's shell.
namespace csidl {
inline constexpr int Programs = 0x02;
inline constexpr int Startup = 0x07;
inline constexpr int SendTo = 0x09;
inline constexpr int StartMenu = 0x0B;
inline constexpr int DesktopDirectory = 0x10;
}  // namespace csidl

// What SHGetFileInfo tells about a file or folder.
struct ShellFileInfo {
  std::string typeName;  // "Text Document", "File Folder", ...
  int iconIndex = -1;    // index in the system image list
};

class IShell {
 public:
  virtual ~IShell() = default;

  // SHGetSpecialFolderLocation + SHGetPathFromIDList: the folder's path
  // without a trailing backslash; err::FileNotFound when the folder has no
  // file-system path.
  virtual WinError SpecialFolder(int csidl, std::string& path) = 0;

  // SHFileOperation(FO_DELETE, FOF_SILENT | FOF_NOCONFIRMATION |
  // FOF_ALLOWUNDO), progress title "Progress", no owner window: moves a file
  // or a folder with everything in it to the recycle bin. 0 on success,
  // otherwise SHFileOperation's result, which is not always a Win32 error
  // code.
  virtual WinError SendToRecycleBin(std::string_view path) = 0;

  // SHGetFileInfo(path, attributes, SHGFI_USEFILEATTRIBUTES | SHGFI_TYPENAME
  // | SHGFI_SYSICONINDEX): the type name and system image index the shell
  // gives a name with these attributes (fattr::Directory for a folder). The
  // file need not exist. False when the shell gives nothing.
  virtual bool FileTypeInfo(std::string_view path, std::uint32_t attributes,
                            ShellFileInfo& info) = 0;

  // SearchPath(NULL, name, NULL): the full path of a module file, looked for
  // in the program's folder, the current folder, the system folder, the
  // Windows folder and the PATH folders, in that order. err::FileNotFound
  // when it is nowhere.
  virtual WinError FindModule(std::string_view name, std::string& fullPath) = 0;

  // GetFileVersionInfo + VerQueryValue("\\"): dwFileVersionMS and
  // dwFileVersionLS of a file's version resource. A missing file or one
  // without version information fails and leaves both parts 0.
  virtual WinError FileVersion(std::string_view path, std::uint32_t& versionMS,
                               std::uint32_t& versionLS) = 0;
};

}  // namespace qv
