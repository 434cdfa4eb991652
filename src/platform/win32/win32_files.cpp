#include "platform/win32/win32_machine.h"

namespace qv {

namespace {

// The calling thread's last error, as the result of a call that just failed.
// Paths are copied into named locals, so that no string is freed between the
// call and this.
WinError Failed() { return ::GetLastError(); }

// A failure found by the adapter itself: reported like the system's own.
WinError Fail(WinError code) {
  ::SetLastError(code);
  return code;
}

FileTime FromFileTime(const FILETIME& t) {
  return (static_cast<FileTime>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

FILETIME ToFileTime(FileTime t) {
  FILETIME result;
  result.dwLowDateTime = static_cast<DWORD>(t);
  result.dwHighDateTime = static_cast<DWORD>(t >> 32);
  return result;
}

// The last component of a path ("C:\a\b.txt" -> "b.txt").
std::string LastComponent(std::string_view path) {
  while (!path.empty() && (path.back() == '\\' || path.back() == '/')) path.remove_suffix(1);
  std::size_t slash = path.find_last_of("\\/:");
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

void FromFindData(const WIN32_FIND_DATAA& found, FileInfo& info) {
  info.attributes = found.dwFileAttributes;
  info.times.creation = FromFileTime(found.ftCreationTime);
  info.times.lastAccess = FromFileTime(found.ftLastAccessTime);
  info.times.lastWrite = FromFileTime(found.ftLastWriteTime);
  info.size = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                  ? 0
                  : (static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
  info.name = found.cFileName;
}

// Calls `get(size, buffer)` of a GetTempPath-like function: it returns the
// length on success, the size needed (with the terminating NUL) when the
// buffer is too small, and 0 on failure.
template <typename Get>
WinError GetString(std::string& result, Get get) {
  std::string buffer(MAX_PATH + 1, '\0');
  for (;;) {
    DWORD n = get(static_cast<DWORD>(buffer.size()), buffer.data());
    if (n == 0) return Failed();
    if (n < buffer.size()) {
      result.assign(buffer.data(), n);
      return err::Success;
    }
    buffer.resize(n);
  }
}

}  // namespace

WinError Win32Files::Attributes(std::string_view path, std::uint32_t& attributes) {
  const std::string p(path);
  DWORD a = GetFileAttributesA(p.c_str());
  attributes = a;
  if (a == INVALID_FILE_ATTRIBUTES) return Failed();
  return err::Success;
}

WinError Win32Files::SetAttributes(std::string_view path, std::uint32_t attributes) {
  const std::string p(path);
  if (!SetFileAttributesA(p.c_str(),
                          attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes))
    return Failed();
  return err::Success;
}

WinError Win32Files::QueryInfo(std::string_view path, FileInfo& info) {
  const std::string p(path);
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(p.c_str(), GetFileExInfoStandard, &data))
    return Failed();
  info.attributes = data.dwFileAttributes;
  info.times.creation = FromFileTime(data.ftCreationTime);
  info.times.lastAccess = FromFileTime(data.ftLastAccessTime);
  info.times.lastWrite = FromFileTime(data.ftLastWriteTime);
  info.size = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                  ? 0
                  : (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  info.name = LastComponent(path);
  return err::Success;
}

WinError Win32Files::Open(std::string_view path, FileAccess access, Disposition disposition,
                          std::uint32_t attributes, FileHandle& handle) {
  const std::string p(path);
  DWORD desired = 0;
  if (static_cast<int>(access) & static_cast<int>(FileAccess::Read)) desired |= GENERIC_READ;
  if (static_cast<int>(access) & static_cast<int>(FileAccess::Write)) desired |= GENERIC_WRITE;
  HANDLE h = CreateFileA(p.c_str(), desired, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, static_cast<DWORD>(disposition),
                         attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes, nullptr);
  if (h == INVALID_HANDLE_VALUE) return Failed();
  handle = files_.Add(h);
  return err::Success;
}

WinError Win32Files::Close(FileHandle handle) {
  HANDLE h;
  if (!files_.Take(handle, h)) return Fail(err::InvalidHandle);
  if (!CloseHandle(h)) return Failed();
  return err::Success;
}

WinError Win32Files::Read(FileHandle handle, void* buffer, std::uint32_t count,
                          std::uint32_t& done) {
  done = 0;
  HANDLE h;
  if (!files_.Get(handle, h)) return Fail(err::InvalidHandle);
  DWORD n = 0;
  BOOL ok = ReadFile(h, buffer, count, &n, nullptr);
  done = n;
  return ok ? err::Success : Failed();
}

WinError Win32Files::Write(FileHandle handle, const void* buffer, std::uint32_t count,
                           std::uint32_t& done) {
  done = 0;
  HANDLE h;
  if (!files_.Get(handle, h)) return Fail(err::InvalidHandle);
  DWORD n = 0;
  BOOL ok = WriteFile(h, buffer, count, &n, nullptr);
  done = n;
  return ok ? err::Success : Failed();
}

WinError Win32Files::Seek(FileHandle handle, std::int64_t offset, SeekOrigin origin,
                          std::uint64_t* position) {
  HANDLE h;
  if (!files_.Get(handle, h)) return Fail(err::InvalidHandle);
  LARGE_INTEGER distance, result;
  distance.QuadPart = offset;
  if (!SetFilePointerEx(h, distance, &result, static_cast<DWORD>(origin))) return Failed();
  if (position) *position = static_cast<std::uint64_t>(result.QuadPart);
  return err::Success;
}

WinError Win32Files::Size(FileHandle handle, std::uint64_t& size) {
  HANDLE h;
  if (!files_.Get(handle, h)) return Fail(err::InvalidHandle);
  LARGE_INTEGER result;
  if (!GetFileSizeEx(h, &result)) return Failed();
  size = static_cast<std::uint64_t>(result.QuadPart);
  return err::Success;
}

WinError Win32Files::Truncate(FileHandle handle) {
  HANDLE h;
  if (!files_.Get(handle, h)) return Fail(err::InvalidHandle);
  return SetEndOfFile(h) ? err::Success : Failed();
}

WinError Win32Files::Times(FileHandle handle, FileTimes& times) {
  HANDLE h;
  if (!files_.Get(handle, h)) return Fail(err::InvalidHandle);
  FILETIME creation, access, write;
  if (!GetFileTime(h, &creation, &access, &write)) return Failed();
  times.creation = FromFileTime(creation);
  times.lastAccess = FromFileTime(access);
  times.lastWrite = FromFileTime(write);
  return err::Success;
}

WinError Win32Files::SetTimes(FileHandle handle, const FileTime* creation,
                              const FileTime* lastAccess, const FileTime* lastWrite) {
  HANDLE h;
  if (!files_.Get(handle, h)) return Fail(err::InvalidHandle);
  FILETIME c = ToFileTime(creation ? *creation : 0);
  FILETIME a = ToFileTime(lastAccess ? *lastAccess : 0);
  FILETIME w = ToFileTime(lastWrite ? *lastWrite : 0);
  if (!SetFileTime(h, creation ? &c : nullptr, lastAccess ? &a : nullptr,
                   lastWrite ? &w : nullptr))
    return Failed();
  return err::Success;
}

WinError Win32Files::Remove(std::string_view path) {
  const std::string p(path);
  return DeleteFileA(p.c_str()) ? err::Success : Failed();
}

WinError Win32Files::Rename(std::string_view from, std::string_view to) {
  const std::string source(from), target(to);
  return MoveFileA(source.c_str(), target.c_str()) ? err::Success : Failed();
}

WinError Win32Files::MakeFolder(std::string_view path) {
  const std::string p(path);
  return CreateDirectoryA(p.c_str(), nullptr) ? err::Success : Failed();
}

WinError Win32Files::RemoveFolder(std::string_view path) {
  const std::string p(path);
  return RemoveDirectoryA(p.c_str()) ? err::Success : Failed();
}

WinError Win32Files::FindFirst(std::string_view pattern, FindHandle& handle, FileInfo& info) {
  const std::string p(pattern);
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA(p.c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return Failed();
  FromFindData(found, info);
  handle = finds_.Add(h);
  return err::Success;
}

WinError Win32Files::FindNext(FindHandle handle, FileInfo& info) {
  HANDLE h;
  if (!finds_.Get(handle, h)) return Fail(err::InvalidHandle);
  WIN32_FIND_DATAA found;
  if (!FindNextFileA(h, &found)) return Failed();
  FromFindData(found, info);
  return err::Success;
}

WinError Win32Files::FindClose(FindHandle handle) {
  HANDLE h;
  if (!finds_.Take(handle, h)) return Fail(err::InvalidHandle);
  return ::FindClose(h) ? err::Success : Failed();
}

WinError Win32Files::DiskFreeSpace(std::string_view root, std::uint64_t& freeBytes,
                                   std::uint64_t& totalBytes) {
  const std::string p(root);
  ULARGE_INTEGER available, total;
  if (!GetDiskFreeSpaceExA(p.c_str(), &available, &total, nullptr))
    return Failed();
  freeBytes = available.QuadPart;
  totalBytes = total.QuadPart;
  return err::Success;
}

WinError Win32Files::TempFolder(std::string& path) {
  return GetString(path, [](DWORD size, char* buffer) { return GetTempPathA(size, buffer); });
}

WinError Win32Files::CurrentFolder(std::string& path) {
  return GetString(path,
                   [](DWORD size, char* buffer) { return GetCurrentDirectoryA(size, buffer); });
}

WinError Win32Files::SetCurrentFolder(std::string_view path) {
  const std::string p(path);
  return SetCurrentDirectoryA(p.c_str()) ? err::Success : Failed();
}

}  // namespace qv
