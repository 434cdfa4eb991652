#include "platform/memory/memory_shell.h"

#include <mutex>
#include <vector>

#include "platform/memory/memory_state.h"

namespace qv::mem {

bool MemoryShell::IsFile(const std::string& path) {
  std::uint32_t attributes = 0;
  return files_.Attributes(path, attributes) == err::Success && attributes != fattr::Invalid &&
         (attributes & fattr::Directory) == 0;
}

WinError MemoryShell::SpecialFolder(int, std::string& path) {
  path.clear();
  return Fail(err::FileNotFound);
}

WinError MemoryShell::SendToRecycleBin(std::string_view) { return Fail(err::NotSupported); }

bool MemoryShell::FileTypeInfo(std::string_view, std::uint32_t, ShellFileInfo&) { return false; }

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

}  // namespace qv::mem
