// A fixture that runs a test on its own in-memory machine (made current)
// and records the debug log.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/debug_log.h"
#include "platform/memory/memory_machine.h"

namespace qv::test {

class MemoryMachineTest : public ::testing::Test {
 protected:
  explicit MemoryMachineTest(OSKind kind = okWinNT) : machine_(kind), scope_(machine_) {}

  MemoryMachine& machine() { return machine_; }
  IFiles& files() { return machine_.Files(); }
  std::vector<std::string> log() const { return log_.Lines(); }

  void WriteFile(const std::string& path, const std::string& bytes) {
    FileHandle h;
    ASSERT_EQ(files().Open(path, FileAccess::Write, Disposition::CreateAlways, 0, h), err::Success);
    std::uint32_t done;
    files().Write(h, bytes.data(), static_cast<std::uint32_t>(bytes.size()), done);
    files().Close(h);
  }
  std::string ReadFile(const std::string& path) {
    FileHandle h;
    if (files().Open(path, FileAccess::Read, Disposition::OpenExisting, 0, h) != err::Success)
      return "<missing>";
    std::string out;
    char buf[65536];
    std::uint32_t done = 0;
    while (files().Read(h, buf, sizeof buf, done) == err::Success && done) out.append(buf, done);
    files().Close(h);
    return out;
  }

 private:
  MemoryMachine machine_;
  MachineScope scope_;
  DebugLogRecorder log_;
};

}  // namespace qv::test
