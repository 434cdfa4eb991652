#include <algorithm>
#include <cstring>

#include "platform/memory/memory_state.h"

namespace qv::mem {

namespace {

constexpr std::uint32_t kSettable =
    fattr::ReadOnly | fattr::Hidden | fattr::System | fattr::Archive | fattr::Temporary;

bool Reads(FileAccess a) { return a == FileAccess::Read || a == FileAccess::ReadWrite; }
bool Writes(FileAccess a) { return a == FileAccess::Write || a == FileAccess::ReadWrite; }

// Whether `path` is `base` or lies below it.
bool IsWithin(const FsPath& path, const FsPath& base) {
  if (path.drive != base.drive || path.parts.size() < base.parts.size()) return false;
  for (size_t i = 0; i < base.parts.size(); ++i)
    if (!EqualNoCase(path.parts[i], base.parts[i])) return false;
  return true;
}

std::uint64_t TreeBytes(const FsNode& node) {
  std::uint64_t n = node.data.size();
  for (const auto& [k, child] : node.children) n += TreeBytes(child);
  return n;
}

}  // namespace

FileInfo MemoryFiles::InfoOf(const FsNode& node) {
  FileInfo info;
  info.attributes = node.attributes == 0 ? fattr::Normal : node.attributes;
  info.times = node.times;
  info.size = node.IsFolder() ? 0 : node.data.size();
  info.name = node.name;
  return info;
}

WinError MemoryFiles::ResolveArg(std::string_view path, FsPath& out, bool wildcardLeaf) {
  return ResolvePath(path, s_.currentFolder, wildcardLeaf, out);
}

WinError MemoryFiles::Locate(const FsPath& path, FsNode*& node, Drive** drive) {
  auto d = s_.drives.find(path.drive);
  if (d == s_.drives.end()) return err::PathNotFound;
  if (drive) *drive = &d->second;
  node = &d->second.root;
  for (size_t i = 0; i < path.parts.size(); ++i) {
    if (!node->IsFolder()) return err::PathNotFound;
    auto c = node->children.find(FoldCase(path.parts[i]));
    if (c == node->children.end())
      return i + 1 == path.parts.size() ? err::FileNotFound : err::PathNotFound;
    node = &c->second;
  }
  return err::Success;
}

WinError MemoryFiles::LocateArg(std::string_view path, FsPath& p, FsNode*& node, Drive** drive) {
  WinError e = ResolveArg(path, p);
  if (e == err::Success) e = Locate(p, node, drive);
  return e == err::Success ? e : Fail(e);
}

WinError MemoryFiles::LocateParent(const FsPath& path, FsNode*& parent, Drive*& drive) {
  WinError e = Locate(path.Parent(), parent, &drive);
  if (e != err::Success || !parent->IsFolder()) return err::PathNotFound;
  return err::Success;
}

bool MemoryFiles::IsOpenBelow(const FsPath& path) const {
  for (const auto& [h, rec] : s_.files)
    if (IsWithin(rec.path, path)) return true;
  return false;
}

WinError MemoryFiles::Attributes(std::string_view path, std::uint32_t& attributes) {
  FileInfo info;
  WinError e = QueryInfo(path, info);
  attributes = e == err::Success ? info.attributes : fattr::Invalid;
  return e;
}

WinError MemoryFiles::QueryInfo(std::string_view path, FileInfo& info) {
  std::lock_guard g(s_.lock);
  FsPath p;
  FsNode* node = nullptr;
  if (WinError e = LocateArg(path, p, node); e != err::Success) return e;
  if (HasTrailingSeparator(path) && !node->IsFolder()) return Fail(err::InvalidName);
  info = InfoOf(*node);
  info.name = p.IsRoot() ? std::string() : p.Leaf();
  return err::Success;
}

WinError MemoryFiles::SetAttributes(std::string_view path, std::uint32_t attributes) {
  std::lock_guard g(s_.lock);
  FsPath p;
  FsNode* node = nullptr;
  if (WinError e = LocateArg(path, p, node); e != err::Success) return e;
  node->attributes = (node->attributes & fattr::Directory) | (attributes & kSettable);
  return err::Success;
}

WinError MemoryFiles::Open(std::string_view path, FileAccess access, Disposition disposition,
                           std::uint32_t attributes, FileHandle& handle) {
  std::lock_guard g(s_.lock);
  handle = 0;
  FsPath p;
  WinError e = ResolveArg(path, p);
  if (e != err::Success) return Fail(e);
  if (p.IsRoot()) return Fail(err::AccessDenied);
  FsNode* parent = nullptr;
  Drive* drive = nullptr;
  if ((e = LocateParent(p, parent, drive)) != err::Success) return Fail(e);
  if (HasTrailingSeparator(path)) return Fail(err::InvalidName);
  bool write = Writes(access);
  if (disposition == Disposition::TruncateExisting && !write) return Fail(err::InvalidParameter);

  auto it = parent->children.find(FoldCase(p.Leaf()));
  FsNode* node = it == parent->children.end() ? nullptr : &it->second;
  bool existed = node != nullptr;
  if (node) {
    if (node->IsFolder()) return Fail(err::AccessDenied);
    if (disposition == Disposition::CreateNew) return Fail(err::FileExists);
    bool truncates =
        disposition == Disposition::CreateAlways || disposition == Disposition::TruncateExisting;
    if ((write || truncates) && (node->attributes & fattr::ReadOnly)) return Fail(err::AccessDenied);
    if (truncates) {
      drive->used -= node->data.size();
      node->data.clear();
      FileTime now = s_.Tick();
      node->times.lastWrite = node->times.lastAccess = now;
      if (disposition == Disposition::CreateAlways)
        node->attributes = (attributes & kSettable) | fattr::Archive;
    }
  } else {
    if (disposition == Disposition::OpenExisting || disposition == Disposition::TruncateExisting)
      return Fail(err::FileNotFound);
    FsNode fresh;
    fresh.name = p.Leaf();
    fresh.id = s_.NewId();
    fresh.attributes = (attributes & kSettable) | fattr::Archive;
    FileTime now = s_.Tick();
    fresh.times = FileTimes{now, now, now};
    node = &parent->children.emplace(FoldCase(p.Leaf()), std::move(fresh)).first->second;
  }
  handle = s_.nextHandle++;
  s_.files[handle] = OpenFileRecord{p, node->id, access, 0};
  // CREATE_ALWAYS and OPEN_ALWAYS tell through the last error that the file
  // was there already.
  if (existed && (disposition == Disposition::CreateAlways ||
                  disposition == Disposition::OpenAlways))
    SetThreadLastError(err::AlreadyExists);
  else
    SetThreadLastError(err::Success);
  return err::Success;
}

WinError MemoryFiles::OpenRecord(FileHandle handle, OpenFileRecord*& rec, FsNode*& node,
                                 Drive*& drive) {
  auto it = s_.files.find(handle);
  if (it == s_.files.end()) return Fail(err::InvalidHandle);
  rec = &it->second;
  if (Locate(rec->path, node, &drive) != err::Success || node->id != rec->id)
    return Fail(err::InvalidHandle);
  return err::Success;
}

WinError MemoryFiles::Close(FileHandle handle) {
  std::lock_guard g(s_.lock);
  return s_.files.erase(handle) ? err::Success : Fail(err::InvalidHandle);
}

WinError MemoryFiles::Read(FileHandle handle, void* buffer, std::uint32_t count,
                           std::uint32_t& done) {
  std::lock_guard g(s_.lock);
  done = 0;
  OpenFileRecord* rec;
  FsNode* node;
  Drive* drive;
  if (WinError e = OpenRecord(handle, rec, node, drive); e != err::Success) return e;
  if (!Reads(rec->access)) return Fail(err::AccessDenied);
  std::uint64_t size = node->data.size();
  if (rec->position < size) {
    done = static_cast<std::uint32_t>(std::min<std::uint64_t>(count, size - rec->position));
    std::memcpy(buffer, node->data.data() + rec->position, done);
    rec->position += done;
  }
  return err::Success;
}

WinError MemoryFiles::Write(FileHandle handle, const void* buffer, std::uint32_t count,
                            std::uint32_t& done) {
  std::lock_guard g(s_.lock);
  done = 0;
  OpenFileRecord* rec;
  FsNode* node;
  Drive* drive;
  if (WinError e = OpenRecord(handle, rec, node, drive); e != err::Success) return e;
  if (!Writes(rec->access)) return Fail(err::AccessDenied);
  CountFileWrite(s_.faults, *drive, count);
  std::uint64_t end = rec->position + count;
  if (end > node->data.size()) {
    std::uint64_t growth = end - node->data.size();
    if (drive->used + growth > drive->capacity) return Fail(err::DiskFull);
    drive->used += growth;
    node->data.resize(end);
  }
  if (count) std::memcpy(node->data.data() + rec->position, buffer, count);
  rec->position = end;
  done = count;
  node->times.lastWrite = node->times.lastAccess = s_.Tick();
  node->attributes |= fattr::Archive;
  return err::Success;
}

WinError MemoryFiles::Seek(FileHandle handle, std::int64_t offset, SeekOrigin origin,
                           std::uint64_t* position) {
  std::lock_guard g(s_.lock);
  OpenFileRecord* rec;
  FsNode* node;
  Drive* drive;
  if (WinError e = OpenRecord(handle, rec, node, drive); e != err::Success) return e;
  std::int64_t base = 0;
  if (origin == SeekOrigin::Current) base = static_cast<std::int64_t>(rec->position);
  if (origin == SeekOrigin::End) base = static_cast<std::int64_t>(node->data.size());
  std::int64_t target = base + offset;
  if (target < 0) return Fail(err::NegativeSeek);
  rec->position = static_cast<std::uint64_t>(target);
  if (position) *position = rec->position;
  return err::Success;
}

WinError MemoryFiles::Size(FileHandle handle, std::uint64_t& size) {
  std::lock_guard g(s_.lock);
  OpenFileRecord* rec;
  FsNode* node;
  Drive* drive;
  if (WinError e = OpenRecord(handle, rec, node, drive); e != err::Success) return e;
  size = node->data.size();
  return err::Success;
}

WinError MemoryFiles::Truncate(FileHandle handle) {
  std::lock_guard g(s_.lock);
  OpenFileRecord* rec;
  FsNode* node;
  Drive* drive;
  if (WinError e = OpenRecord(handle, rec, node, drive); e != err::Success) return e;
  if (!Writes(rec->access)) return Fail(err::AccessDenied);
  std::uint64_t old = node->data.size();
  if (rec->position > old && drive->used + (rec->position - old) > drive->capacity)
    return Fail(err::DiskFull);
  drive->used = drive->used - old + rec->position;
  node->data.resize(rec->position);
  node->times.lastWrite = s_.Tick();
  return err::Success;
}

WinError MemoryFiles::Times(FileHandle handle, FileTimes& times) {
  std::lock_guard g(s_.lock);
  OpenFileRecord* rec;
  FsNode* node;
  Drive* drive;
  if (WinError e = OpenRecord(handle, rec, node, drive); e != err::Success) return e;
  times = node->times;
  return err::Success;
}

WinError MemoryFiles::SetTimes(FileHandle handle, const FileTime* creation,
                               const FileTime* lastAccess, const FileTime* lastWrite) {
  std::lock_guard g(s_.lock);
  OpenFileRecord* rec;
  FsNode* node;
  Drive* drive;
  if (WinError e = OpenRecord(handle, rec, node, drive); e != err::Success) return e;
  if (!Writes(rec->access)) return Fail(err::AccessDenied);
  if (creation) node->times.creation = *creation;
  if (lastAccess) node->times.lastAccess = *lastAccess;
  if (lastWrite) node->times.lastWrite = *lastWrite;
  return err::Success;
}

WinError MemoryFiles::Remove(std::string_view path) {
  std::lock_guard g(s_.lock);
  FsPath p;
  FsNode* node = nullptr;
  Drive* drive = nullptr;
  if (WinError e = LocateArg(path, p, node, &drive); e != err::Success) return e;
  if (node->IsFolder() || (node->attributes & fattr::ReadOnly)) return Fail(err::AccessDenied);
  if (IsOpenBelow(p)) return Fail(err::SharingViolation);
  FsNode* parent = nullptr;
  LocateParent(p, parent, drive);
  drive->used -= node->data.size();
  parent->children.erase(FoldCase(p.Leaf()));
  return err::Success;
}

WinError MemoryFiles::Rename(std::string_view from, std::string_view to) {
  std::lock_guard g(s_.lock);
  FsPath src, dst;
  FsNode* node = nullptr;
  Drive* srcDrive = nullptr;
  WinError e = LocateArg(from, src, node, &srcDrive);
  if (e != err::Success) return e;
  if (src.IsRoot()) return Fail(err::AccessDenied);
  if ((e = ResolveArg(to, dst)) != err::Success) return Fail(e);
  FsNode* dstParent = nullptr;
  Drive* dstDrive = nullptr;
  if ((e = LocateParent(dst, dstParent, dstDrive)) != err::Success) return Fail(e);
  if (dst.IsRoot()) return Fail(err::AccessDenied);
  std::string dstKey = FoldCase(dst.Leaf());
  bool sameEntry = FoldCase(src.ToString()) == FoldCase(dst.ToString());
  if (!sameEntry && dstParent->children.count(dstKey)) return Fail(err::AlreadyExists);
  if (!sameEntry && IsWithin(dst, src)) return Fail(err::SharingViolation);
  if (IsOpenBelow(src)) return Fail(err::SharingViolation);
  if (node->IsFolder() && src.drive != dst.drive) return Fail(err::AccessDenied);
  std::uint64_t bytes = TreeBytes(*node);
  if (src.drive != dst.drive && dstDrive->used + bytes > dstDrive->capacity)
    return Fail(err::DiskFull);

  FsNode moved = std::move(*node);
  FsNode* srcParent = nullptr;
  LocateParent(src, srcParent, srcDrive);
  srcParent->children.erase(FoldCase(src.Leaf()));
  srcDrive->used -= bytes;
  moved.name = dst.Leaf();
  // The parent pointer may have moved if it sat below the source; find it again.
  LocateParent(dst, dstParent, dstDrive);
  dstParent->children.emplace(dstKey, std::move(moved));
  dstDrive->used += bytes;
  return err::Success;
}

WinError MemoryFiles::MakeFolder(std::string_view path) {
  std::lock_guard g(s_.lock);
  FsPath p;
  WinError e = ResolveArg(path, p);
  if (e != err::Success) return Fail(e);
  if (p.IsRoot()) return Fail(s_.drives.count(p.drive) ? err::AccessDenied : err::PathNotFound);
  FsNode* parent = nullptr;
  Drive* drive = nullptr;
  if ((e = LocateParent(p, parent, drive)) != err::Success) return Fail(e);
  std::string key = FoldCase(p.Leaf());
  if (parent->children.count(key)) return Fail(err::AlreadyExists);
  FsNode folder;
  folder.name = p.Leaf();
  folder.id = s_.NewId();
  folder.attributes = fattr::Directory;
  FileTime now = s_.Tick();
  folder.times = FileTimes{now, now, now};
  parent->children.emplace(key, std::move(folder));
  return err::Success;
}

WinError MemoryFiles::RemoveFolder(std::string_view path) {
  std::lock_guard g(s_.lock);
  FsPath p;
  FsNode* node = nullptr;
  if (WinError e = LocateArg(path, p, node); e != err::Success) return e;
  if (!node->IsFolder()) return Fail(err::Directory);
  if (p.IsRoot() || (node->attributes & fattr::ReadOnly)) return Fail(err::AccessDenied);
  if (!node->children.empty()) return Fail(err::DirNotEmpty);
  // The process holds its current folder open.
  if (IsWithin(s_.currentFolder, p)) return Fail(err::SharingViolation);
  FsNode* parent = nullptr;
  Drive* drive = nullptr;
  LocateParent(p, parent, drive);
  parent->children.erase(FoldCase(p.Leaf()));
  return err::Success;
}

WinError MemoryFiles::FindFirst(std::string_view pattern, FindHandle& handle, FileInfo& info) {
  std::lock_guard g(s_.lock);
  handle = 0;
  FsPath p;
  WinError e = ResolveArg(pattern, p, true);
  if (e != err::Success) return Fail(e);
  if (p.IsRoot() || HasTrailingSeparator(pattern)) return Fail(err::FileNotFound);
  FsNode* folder = nullptr;
  Drive* drive = nullptr;
  if ((e = LocateParent(p, folder, drive)) != err::Success) return Fail(e);
  std::string leaf = p.Leaf();
  FindRecord rec;
  if (!p.Parent().IsRoot()) {
    for (const char* dot : {".", ".."}) {
      if (!WildcardMatch(leaf, dot)) continue;
      FileInfo d = InfoOf(*folder);
      d.name = dot;
      rec.entries.push_back(d);
    }
  }
  for (const auto& [key, child] : folder->children)
    if (WildcardMatch(leaf, child.name)) rec.entries.push_back(InfoOf(child));
  if (rec.entries.empty()) return Fail(err::FileNotFound);
  info = rec.entries[0];
  rec.next = 1;
  handle = s_.nextHandle++;
  s_.finds[handle] = std::move(rec);
  return err::Success;
}

WinError MemoryFiles::FindNext(FindHandle handle, FileInfo& info) {
  std::lock_guard g(s_.lock);
  auto it = s_.finds.find(handle);
  if (it == s_.finds.end()) return Fail(err::InvalidHandle);
  FindRecord& rec = it->second;
  if (rec.next >= rec.entries.size()) return Fail(err::NoMoreFiles);
  info = rec.entries[rec.next++];
  return err::Success;
}

WinError MemoryFiles::FindClose(FindHandle handle) {
  std::lock_guard g(s_.lock);
  return s_.finds.erase(handle) ? err::Success : Fail(err::InvalidHandle);
}

WinError MemoryFiles::DiskFreeSpace(std::string_view root, std::uint64_t& freeBytes,
                                    std::uint64_t& totalBytes) {
  std::lock_guard g(s_.lock);
  FsPath p;
  FsNode* node = nullptr;
  if (ResolveArg(root, p) != err::Success || Locate(p, node) != err::Success)
    return Fail(err::PathNotFound);
  const Drive& d = s_.drives.at(p.drive);
  totalBytes = d.capacity;
  freeBytes = d.capacity - d.used;
  return err::Success;
}

WinError MemoryFiles::TempFolder(std::string& path) {
  std::lock_guard g(s_.lock);
  path = s_.tempFolder + "\\";
  return err::Success;
}

WinError MemoryFiles::CurrentFolder(std::string& path) {
  std::lock_guard g(s_.lock);
  path = s_.currentFolder.ToString();
  return err::Success;
}

WinError MemoryFiles::SetCurrentFolder(std::string_view path) {
  std::lock_guard g(s_.lock);
  FsPath p;
  FsNode* node = nullptr;
  if (WinError e = LocateArg(path, p, node); e != err::Success) return e;
  if (!node->IsFolder()) return Fail(err::Directory);
  // Keep the spelling the folders were created with.
  FsNode* walk = &s_.drives.at(p.drive).root;
  for (std::string& part : p.parts) {
    walk = &walk->children.at(FoldCase(part));
    part = walk->name;
  }
  s_.currentFolder = p;
  return err::Success;
}

}  // namespace qv::mem
