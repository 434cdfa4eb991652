// Running one settings item on its own: written on a source machine into a
// memory stream, read back on a target machine, with the program objects,
// a recording status and the debug log in place.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/debug_log.h"
#include "engine/program.h"
#include "engine/settings.h"
#include "engine/status.h"
#include "platform/memory/memory_machine.h"
#include "platform/profiles.h"
#include "platform/system_parameters.h"
#include "registry/reg_utils.h"
#include "stream/connection.h"
#include "support/memory_fixture.h"
#include "support/streams.h"

namespace qv::test {

struct ItemResult {
  bool ok = false;
  std::vector<std::string> lines;  // the comments the item added

  bool Has(const std::string& line) const {
    for (const std::string& l : lines)
      if (l == line) return true;
    return false;
  }
};

class ItemTest : public ::testing::Test {
 protected:
  ItemTest() : program_(""), statusScope_(status_) {
    RestartRequired = false;
    SettingChangePending = false;
  }

  // Writes the item on `machine` into a fresh stream kept for Load.
  template <class Item>
  ItemResult Save(MemoryMachine& machine) {
    MachineScope on(machine);
    written_ = std::make_unique<TWriteMemoryConnection>();
    written_->Initialize();
    written_->OSVersion = machine.Kind();
    Item item;
    ItemResult result;
    result.ok = item.Write(*written_);
    result.lines = *written_->GetComments();
    return result;
  }

  // Reads the last saved payload on `machine`.
  template <class Item>
  ItemResult Load(MemoryMachine& machine) {
    MachineScope on(machine);
    auto reader = ReaderOf(*written_);
    reader->OSVersion = written_->OSVersion;
    Item item;
    ItemResult result;
    result.ok = item.Read(*reader);
    result.lines = *reader->GetComments();
    consumed_ = reader->GetPosition();
    return result;
  }

  // A fresh payload, as written on a machine of `kind`, for Load.
  TWriteMemoryConnection& NewPayload(OSKind kind) {
    written_ = std::make_unique<TWriteMemoryConnection>();
    written_->Initialize();
    written_->OSVersion = kind;
    return *written_;
  }

  // What the item says about `machine` (the settings viewer's view).
  template <class Item>
  ItemResult Describe(MemoryMachine& machine) {
    MachineScope on(machine);
    TCommentConnection comments;
    Item item;
    ItemResult result;
    result.ok = item.Write(comments);
    result.lines = *comments.GetComments();
    return result;
  }

  // The bytes the last Save wrote, and how many of them the last Load read.
  std::int32_t Written() const { return written_->Position(); }
  std::int32_t Consumed() const { return consumed_; }
  TWriteMemoryConnection& written() { return *written_; }

  std::vector<std::string> log() const { return log_.Lines(); }
  bool LogHas(const std::string& line) const {
    for (const std::string& l : log_.Lines())
      if (l == line) return true;
    return false;
  }

  // Machine helpers.
  static std::string WinFile(MemoryMachine& m, const std::string& name) {
    std::string folder;
    m.System().WindowsFolder(folder);
    return folder + "\\" + name;
  }
  static std::string Ini(MemoryMachine& m, const std::string& file, const std::string& section,
                         const std::string& key, const std::string& fallback = "<none>") {
    MachineScope on(m);
    return m.Profiles()->ReadProfileString(file, section, key, fallback);
  }
  static void SetIni(MemoryMachine& m, const std::string& file, const std::string& section,
                     const std::string& key, const std::string& value) {
    MachineScope on(m);
    ASSERT_EQ(m.Profiles()->WriteProfileValue(file, section, key, value), err::Success);
  }
  static std::string Reg(MemoryMachine& m, RegKey root, const std::string& key,
                         const std::string& value, const std::string& fallback = "<none>") {
    MachineScope on(m);
    return UTLGetRegString(root, key, value, fallback);
  }
  static void SetReg(MemoryMachine& m, RegKey root, const std::string& key,
                     const std::string& value, const std::string& data) {
    MachineScope on(m);
    ASSERT_TRUE(UTLSetRegString(root, key, value, data));
  }
  static std::int32_t Parameter(MemoryMachine& m, unsigned getAction) {
    std::int32_t value = -1;
    EXPECT_TRUE(m.SystemParameters()->Parameter(getAction, 0, &value, 0));
    return value;
  }
  static void SetParameter(MemoryMachine& m, unsigned setAction, std::uint32_t value) {
    ASSERT_TRUE(m.SystemParameters()->Parameter(setAction, value, nullptr, spif::UpdateIniFile));
  }

 private:
  ProgramObjects program_;
  TRecordingStatus status_;
  StatusScope statusScope_;
  DebugLogRecorder log_;
  std::unique_ptr<TWriteMemoryConnection> written_;
  std::int32_t consumed_ = 0;
};

}  // namespace qv::test
