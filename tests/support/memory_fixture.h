// A fixture that runs a test on its own in-memory machine (made current)
// and records the debug log.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/debug_log.h"
#include "platform/memory/memory_machine.h"

namespace qv::test {

// A file of a machine: written whole, read whole ("<missing>" when absent).
inline void PutFile(MemoryMachine& m, const std::string& path, const std::string& bytes) {
  FileHandle h = 0;
  ASSERT_EQ(m.Files().Open(path, FileAccess::Write, Disposition::CreateAlways, 0, h), err::Success)
      << path;
  std::uint32_t done = 0;
  m.Files().Write(h, bytes.data(), static_cast<std::uint32_t>(bytes.size()), done);
  m.Files().Close(h);
}

inline std::string FileText(MemoryMachine& m, const std::string& path) {
  FileHandle h = 0;
  if (m.Files().Open(path, FileAccess::Read, Disposition::OpenExisting, 0, h) != err::Success)
    return "<missing>";
  std::string out;
  char buf[4096];
  std::uint32_t done = 0;
  while (m.Files().Read(h, buf, sizeof buf, done) == err::Success && done) out.append(buf, done);
  m.Files().Close(h);
  return out;
}

class MemoryMachineTest : public ::testing::Test {
 protected:
  explicit MemoryMachineTest(OSKind kind = okWinNT) : machine_(kind), scope_(machine_) {}

  MemoryMachine& machine() { return machine_; }
  IFiles& files() { return machine_.Files(); }
  std::vector<std::string> log() const { return log_.Lines(); }

  void WriteFile(const std::string& path, const std::string& bytes) {
    PutFile(machine_, path, bytes);
  }
  std::string ReadFile(const std::string& path) { return FileText(machine_, path); }

 private:
  MemoryMachine machine_;
  MachineScope scope_;
  DebugLogRecorder log_;
};

}  // namespace qv::test
