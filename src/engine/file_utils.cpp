#include "engine/file_utils.h"

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
