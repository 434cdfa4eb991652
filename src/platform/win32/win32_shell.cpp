#include "platform/win32/win32_shell.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>
#include <vector>

namespace qv {

WinError Win32Shell::SpecialFolder(int csidl, std::string& path) {
  LPITEMIDLIST list = nullptr;
  HRESULT hr = SHGetSpecialFolderLocation(nullptr, csidl, &list);
  if (FAILED(hr) || !list) return err::FileNotFound;
  char buffer[MAX_PATH] = "";
  const BOOL found = SHGetPathFromIDListA(list, buffer);
  CoTaskMemFree(list);
  if (!found || !buffer[0]) return err::FileNotFound;
  path = buffer;
  while (path.size() > 3 && path.back() == '\\') path.pop_back();
  return err::Success;
}

WinError Win32Shell::SendToRecycleBin(std::string_view path) {
  // The operation takes a list of names, each ended by a zero, the list by
  // a second one.
  std::string from(path);
  from.push_back('\0');
  from.push_back('\0');
  SHFILEOPSTRUCTA operation{};
  operation.hwnd = nullptr;
  operation.wFunc = FO_DELETE;
  operation.pFrom = from.c_str();
  operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_ALLOWUNDO;
  operation.lpszProgressTitle = "Progress";
  return static_cast<WinError>(SHFileOperationA(&operation));
}

bool Win32Shell::FileTypeInfo(std::string_view path, std::uint32_t attributes,
                              ShellFileInfo& info) {
  const std::string name(path);
  SHFILEINFOA file{};
  const DWORD_PTR list =
      SHGetFileInfoA(name.c_str(), attributes, &file, sizeof file,
                     SHGFI_USEFILEATTRIBUTES | SHGFI_TYPENAME | SHGFI_SYSICONINDEX);
  if (!list) return false;
  info.typeName = file.szTypeName;
  info.iconIndex = file.iIcon;
  return true;
}

WinError Win32Shell::FindModule(std::string_view name, std::string& fullPath) {
  const std::string wanted(name);
  char buffer[MAX_PATH] = "";
  char* part = nullptr;
  const DWORD length = SearchPathA(nullptr, wanted.c_str(), nullptr, sizeof buffer, buffer, &part);
  if (length == 0) {
    const DWORD code = GetLastError();
    return code ? code : err::FileNotFound;
  }
  if (length >= sizeof buffer) {
    std::vector<char> longer(length + 1);
    if (!SearchPathA(nullptr, wanted.c_str(), nullptr, length + 1, longer.data(), &part))
      return GetLastError();
    fullPath = longer.data();
    return err::Success;
  }
  fullPath = buffer;
  return err::Success;
}

WinError Win32Shell::FileVersion(std::string_view path, std::uint32_t& versionMS,
                                 std::uint32_t& versionLS) {
  versionMS = versionLS = 0;
  const std::string file(path);
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeA(file.c_str(), &handle);
  if (size == 0) return GetLastError() ? GetLastError() : err::FileNotFound;
  std::vector<char> data(size);
  if (!GetFileVersionInfoA(file.c_str(), 0, size, data.data())) return GetLastError();
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT fixedSize = 0;
  if (!VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &fixedSize) || !fixed ||
      fixedSize < sizeof(VS_FIXEDFILEINFO))
    return err::FileNotFound;
  versionMS = fixed->dwFileVersionMS;
  versionLS = fixed->dwFileVersionLS;
  return err::Success;
}

}  // namespace qv
