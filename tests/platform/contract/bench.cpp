#include "platform/contract/bench.h"

#include <atomic>
#include <chrono>
#include <stdexcept>

namespace qv::test {

namespace {

std::vector<Target>& Registry() {
  static std::vector<Target> targets;
  return targets;
}

std::string UniqueSuffix() {
  static std::atomic<unsigned> counter{0};
  auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
  return std::to_string(static_cast<unsigned long long>(ticks) % 1000000007ull) + "-" +
         std::to_string(++counter);
}

}  // namespace

const std::vector<Target>& Targets() { return Registry(); }

bool RegisterTarget(Target target) {
  Registry().push_back(std::move(target));
  return true;
}

std::string TargetName(const Target& t) { return t.name; }

void PrintTo(const Target& t, std::ostream* os) { *os << t.name; }

Bench::Bench(Machine& machine)
    : machine_(machine), scope_(machine), kind_(RunningKind(machine.System())) {
  RegKey probe;
  if (reg().OpenKey(hkey::LocalMachine, "Software\\Wine", RegAccess::Read, probe) == err::Success) {
    wine_ = true;
    reg().CloseKey(probe);
  }
  std::string suffix = UniqueSuffix();
  scratchKey_ = "Software\\QorvelTest\\" + suffix;
  RegKey k;
  if (reg().CreateKey(hkey::CurrentUser, scratchKey_, k) != err::Success)
    throw std::runtime_error("cannot create the scratch key");
  reg().CloseKey(k);

  std::string temp;
  files().TempFolder(temp);
  scratchDir_ = temp + "qvtest-" + suffix;
  if (files().MakeFolder(scratchDir_) != err::Success)
    throw std::runtime_error("cannot create the scratch folder " + scratchDir_);
}

Bench::~Bench() {
  DeleteTree(hkey::CurrentUser, scratchKey_);
  RemoveTree(scratchDir_);
}

WinError Bench::DeleteTree(RegKey root, const std::string& path) {
  RegKey k;
  WinError e = reg().OpenKey(root, path, RegAccess::Full, k);
  if (e != err::Success) return e;
  std::vector<std::string> children;
  std::string name;
  for (std::uint32_t i = 0; reg().EnumKey(k, i, name) == err::Success; ++i)
    children.push_back(name);
  reg().CloseKey(k);
  for (const std::string& child : children) DeleteTree(root, path + "\\" + child);
  return reg().DeleteKey(root, path);
}

void Bench::RemoveTree(const std::string& path) {
  FindHandle h;
  FileInfo info;
  std::vector<FileInfo> entries;
  if (files().FindFirst(path + "\\*", h, info) == err::Success) {
    do {
      if (info.name != "." && info.name != "..") entries.push_back(info);
    } while (files().FindNext(h, info) == err::Success);
    files().FindClose(h);
  }
  for (const FileInfo& e : entries) {
    std::string child = path + "\\" + e.name;
    if (e.attributes & fattr::Directory) {
      RemoveTree(child);
    } else {
      files().SetAttributes(child, fattr::Normal);
      files().Remove(child);
    }
  }
  files().SetAttributes(path, fattr::Normal);
  files().RemoveFolder(path);
}

void Bench::WriteFile(const std::string& path, const std::string& contents) {
  FileHandle h;
  if (files().Open(path, FileAccess::Write, Disposition::CreateAlways, 0, h) != err::Success)
    throw std::runtime_error("cannot create " + path);
  std::uint32_t done = 0;
  WinError e = files().Write(h, contents.data(), static_cast<std::uint32_t>(contents.size()), done);
  files().Close(h);
  if (e != err::Success || done != contents.size()) throw std::runtime_error("cannot write " + path);
}

std::string Bench::ReadFile(const std::string& path) {
  FileHandle h;
  if (files().Open(path, FileAccess::Read, Disposition::OpenExisting, 0, h) != err::Success)
    throw std::runtime_error("cannot open " + path);
  std::string out;
  char buf[4096];
  std::uint32_t done = 0;
  while (files().Read(h, buf, sizeof buf, done) == err::Success && done > 0) out.append(buf, done);
  files().Close(h);
  return out;
}

}  // namespace qv::test
