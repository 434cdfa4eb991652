// A fixture for the window logic: its own in-memory machine with a shell
// that names file types, the program-wide objects (options kept out of the
// registry) and the debug log.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/debug_log.h"
#include "engine/file_utils.h"
#include "engine/program.h"
#include "platform/files.h"
#include "platform/memory/memory_machine.h"
#include "platform/shell.h"
#include "support/memory_fixture.h"

namespace qv::test {

// Type names by extension, "File Folder" for folders; image index = the
// extension's length (folders 3), so tests can tell an image was asked for.
class TypeNameShell : public IShell {
 public:
  WinError SpecialFolder(int, std::string&) override { return err::FileNotFound; }
  WinError SendToRecycleBin(std::string_view) override { return err::NotSupported; }
  bool FileTypeInfo(std::string_view path, std::uint32_t attributes,
                    ShellFileInfo& info) override {
    ++calls;
    if (attributes & fattr::Directory) {
      info = {"File Folder", 3};
      return true;
    }
    auto dot = path.rfind('.');
    std::string ext = dot == std::string_view::npos ? "" : std::string(path.substr(dot + 1));
    for (char& c : ext) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    info = {ext.empty() ? "File" : ext + " File", static_cast<int>(ext.size())};
    return true;
  }
  WinError FindModule(std::string_view, std::string&) override { return err::FileNotFound; }
  WinError FileVersion(std::string_view, std::uint32_t&, std::uint32_t&) override {
    return err::FileNotFound;
  }
  int calls = 0;
};

class ShellMemoryMachine : public MemoryMachine {
 public:
  using MemoryMachine::MemoryMachine;
  IShell* Shell() override { return &shell; }
  TypeNameShell shell;
};

class UiLogicTest : public ::testing::Test {
 protected:
  explicit UiLogicTest(OSKind kind = okWinNT) : machine_(kind), scope_(machine_), program_("") {}

  ShellMemoryMachine& machine() { return machine_; }
  IFiles& files() { return machine_.Files(); }
  std::vector<std::string> log() const { return log_.Lines(); }

  // Writes a file (and its folders) whose last-write time is `when` seconds after 2001-03-15
  // 00:00 (0: the machine's clock).
  void WriteFile(const std::string& path, const std::string& bytes, int when = 0) {
    ForceFolders(FolderOf(path));
    FileHandle h;
    ASSERT_EQ(files().Open(path, FileAccess::Write, Disposition::CreateAlways, 0, h), err::Success)
        << path;
    std::uint32_t done;
    files().Write(h, bytes.data(), static_cast<std::uint32_t>(bytes.size()), done);
    if (when != 0) {
      const FileTime t = kMarch2001 + static_cast<FileTime>(when) * 10'000'000;
      files().SetTimes(h, nullptr, nullptr, &t);
    }
    files().Close(h);
  }
  std::string ReadFile(const std::string& path) { return FileText(machine_, path); }
  bool Exists(const std::string& path) {
    std::uint32_t a = 0;
    return files().Attributes(path, a) == err::Success;
  }
  std::vector<ShownPrompt> prompts() const { return machine_.ShownPrompts(); }

  static constexpr FileTime kMarch2001 = 126291312000000000ull - 12ull * 3600 * 10'000'000;

 private:
  ShellMemoryMachine machine_;
  MachineScope scope_;
  DebugLogRecorder log_;
  ProgramObjects program_;
};

}  // namespace qv::test
