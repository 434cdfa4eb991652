#include "engine/file_utils.h"

#include "engine/messages.h"
#include "platform/machine.h"

namespace {

bool Attributes(const std::string& path, std::uint32_t& a) {
  return qv::CurrentMachine().Files().Attributes(path, a) == qv::err::Success;
}

}  // namespace

bool FileExists(const std::string& path) {
  std::uint32_t a;
  return Attributes(path, a) && !(a & qv::fattr::Directory);
}

bool FolderExists(const std::string& path) {
  std::uint32_t a;
  return Attributes(path, a) && (a & qv::fattr::Directory);
}

std::string FolderOf(const std::string& path) {
  std::size_t slash = path.find_last_of('\\');
  if (slash == std::string::npos) return std::string();
  // "C:\x" keeps "C:\"; "\x" keeps "\".
  if (slash == 0 || (slash == 2 && path[1] == ':')) return path.substr(0, slash + 1);
  return path.substr(0, slash);
}

bool ForceFolders(const std::string& path) {
  std::string folder = path;
  while (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
  if (folder.empty() || FolderExists(folder)) return !folder.empty();
  std::string parent = FolderOf(folder);
  if (!parent.empty() && parent != folder && !ForceFolders(parent)) return false;
  qv::CurrentMachine().Files().MakeFolder(folder);
  return FolderExists(folder);
}

bool WriteTextLines(const std::string& fileName, const std::vector<std::string>& lines,
                    std::string& error) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  qv::IFiles& files = qv::CurrentMachine().Files();
  qv::FileHandle handle = 0;
  qv::WinError e =
      files.Open(fileName, qv::FileAccess::Write, qv::Disposition::CreateAlways, 0, handle);
  if (e == qv::err::Success) {
    std::uint32_t done = 0;
    e = files.Write(handle, text.data(), static_cast<std::uint32_t>(text.size()), done);
    files.Close(handle);
    if (e == qv::err::Success && done != text.size()) e = qv::err::DiskFull;
  }
  if (e == qv::err::Success) return true;
  error = "Cannot write " + fileName + ". " + SystemErrorText(e);
  return false;
}
