#include "platform/memory/memory_shell.h"

#include <algorithm>
#include <mutex>
#include <vector>

#include "platform/memory/memory_state.h"

namespace qv::mem {

namespace {

std::uint64_t TreeBytes(const FsNode& node) {
  std::uint64_t n = node.data.size();
  for (const auto& [k, child] : node.children) n += TreeBytes(child);
  return n;
}

// Records a node and everything below it as recycled entries.
void Collect(const std::string& path, const FsNode& node, std::vector<RecycledEntry>& out) {
  RecycledEntry entry;
  entry.path = path;
  entry.folder = node.IsFolder();
  entry.content.assign(node.data.begin(), node.data.end());
  out.push_back(entry);
  for (const auto& [k, child] : node.children) Collect(path + "\\" + child.name, child, out);
}

bool Below(const FsPath& path, const FsPath& base) {
  if (path.drive != base.drive || path.parts.size() < base.parts.size()) return false;
  for (size_t i = 0; i < base.parts.size(); ++i)
    if (!EqualNoCase(path.parts[i], base.parts[i])) return false;
  return true;
}

const char* ShellFolderValue(int csidl) {
  switch (csidl) {
    case csidl::Programs: return "Programs";
    case csidl::Startup: return "Startup";
    case csidl::SendTo: return "SendTo";
    case csidl::StartMenu: return "Start Menu";
    case csidl::DesktopDirectory: return "Desktop";
    default: return nullptr;
  }
}

}  // namespace

WinError MemoryShell::SpecialFolder(int csidl, std::string& path) {
  std::lock_guard g(s_.lock);
  path.clear();
  const char* value = ShellFolderValue(csidl);
  RegNode* key = value ? FindKey(s_, hkey::CurrentUser,
                                 "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders")
                       : nullptr;
  RegValue* v = key ? key->FindValue(value) : nullptr;
  if (!v || v->type != regtype::Sz) return Fail(err::FileNotFound);
  path.assign(v->data.begin(), v->data.end());
  if (auto zero = path.find('\0'); zero != std::string::npos) path.resize(zero);
  while (path.size() > 3 && path.back() == '\\') path.pop_back();
  return err::Success;
}

WinError MemoryShell::SendToRecycleBin(std::string_view path) {
  std::lock_guard g(s_.lock);
  FsPath p;
  if (ResolvePath(path, s_.currentFolder, false, p) != err::Success || p.IsRoot())
    return err::FileNotFound;
  auto drive = s_.drives.find(p.drive);
  if (drive == s_.drives.end()) return err::FileNotFound;
  FsNode* parent = &drive->second.root;
  for (size_t i = 0; i + 1 < p.parts.size(); ++i) {
    auto c = parent->children.find(FoldCase(p.parts[i]));
    if (c == parent->children.end() || !c->second.IsFolder()) return err::FileNotFound;
    parent = &c->second;
  }
  auto it = parent->children.find(FoldCase(p.Leaf()));
  if (it == parent->children.end()) return err::FileNotFound;
  for (const auto& [h, rec] : s_.files)
    if (Below(rec.path, p)) return err::SharingViolation;

  // The name as the drive spells it.
  FsPath spelled{p.drive, {}};
  const FsNode* walk = &drive->second.root;
  for (const std::string& part : p.parts) {
    walk = &walk->children.at(FoldCase(part));
    spelled.parts.push_back(walk->name);
  }
  Collect(spelled.ToString(), it->second, s_.recycleBin.entries);
  drive->second.used -= TreeBytes(it->second);
  parent->children.erase(it);
  return err::Success;
}

bool MemoryShell::FileTypeInfo(std::string_view, std::uint32_t, ShellFileInfo&) { return false; }

bool MemoryShell::IsFile(const std::string& path) {
  std::uint32_t attributes = 0;
  return files_.Attributes(path, attributes) == err::Success && attributes != fattr::Invalid &&
         (attributes & fattr::Directory) == 0;
}

WinError MemoryShell::FindModule(std::string_view name, std::string& fullPath) {
  fullPath.clear();
  const std::string wanted(name);
  if (wanted.empty()) return Fail(err::InvalidParameter);
  std::vector<std::string> candidates;
  if (wanted.find_first_of("\\/:") != std::string::npos) {
    candidates.push_back(wanted);
  } else {
    std::string current, system, windows;
    {
      std::lock_guard g(s_.lock);
      current = s_.currentFolder.ToString();
      system = s_.systemFolder;
      windows = s_.windowsFolder;
    }
    if (!current.empty() && current.back() == '\\') current.pop_back();
    for (const std::string& folder : {current, system, windows})
      candidates.push_back(folder + "\\" + wanted);
  }
  for (const std::string& candidate : candidates) {
    FsPath resolved;
    {
      std::lock_guard g(s_.lock);
      if (ResolvePath(candidate, s_.currentFolder, false, resolved) != err::Success) continue;
    }
    const std::string full = resolved.ToString();
    if (IsFile(full)) {
      fullPath = full;
      return err::Success;
    }
  }
  return Fail(err::FileNotFound);
}

WinError MemoryShell::FileVersion(std::string_view path, std::uint32_t& versionMS,
                                  std::uint32_t& versionLS) {
  versionMS = versionLS = 0;
  FileHandle handle = 0;
  WinError code = files_.Open(path, FileAccess::Read, Disposition::OpenExisting, 0, handle);
  if (code != err::Success) return Fail(code);
  std::vector<std::uint8_t> data;
  std::uint8_t block[4096];
  std::uint32_t done = 0;
  while (files_.Read(handle, block, sizeof block, done) == err::Success && done > 0)
    data.insert(data.end(), block, block + done);
  files_.Close(handle);
  auto word = [&](std::size_t at) {
    return static_cast<std::uint32_t>(data[at]) | static_cast<std::uint32_t>(data[at + 1]) << 8 |
           static_cast<std::uint32_t>(data[at + 2]) << 16 |
           static_cast<std::uint32_t>(data[at + 3]) << 24;
  };
  // dwSignature, dwStrucVersion, dwFileVersionMS, dwFileVersionLS.
  for (std::size_t at = 0; at + 16 <= data.size(); at += 4) {
    if (word(at) != 0xFEEF04BDu) continue;
    versionMS = word(at + 8);
    versionLS = word(at + 12);
    return err::Success;
  }
  return Fail(1813);  // ERROR_RESOURCE_TYPE_NOT_FOUND
}

void CompareRecycleBins(const RecycleBinState& a, const RecycleBinState& b,
                        std::vector<std::string>& out) {
  const size_t common = std::min(a.entries.size(), b.entries.size());
  for (size_t i = 0; i < common; ++i) {
    const RecycledEntry& x = a.entries[i];
    const RecycledEntry& y = b.entries[i];
    if (x.path != y.path || x.folder != y.folder || x.content != y.content)
      out.push_back("recycle bin entry " + std::to_string(i) + ": " + x.path + " -> " + y.path);
  }
  for (size_t i = common; i < a.entries.size(); ++i)
    out.push_back("recycle bin " + a.entries[i].path + ": only in first");
  for (size_t i = common; i < b.entries.size(); ++i)
    out.push_back("recycle bin " + b.entries[i].path + ": only in second");
}

}  // namespace qv::mem
