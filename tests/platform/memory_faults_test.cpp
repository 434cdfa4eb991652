// The faults a test can plant in a memory machine: a disk that fills up at
// a given write, a registry write that fails.
#include <gtest/gtest.h>

#include "support/memory_fixture.h"

namespace qv::test {
namespace {

class MemoryFaults : public MemoryMachineTest {};

TEST_F(MemoryFaults, TheDiskFillsAtThePlannedWriteAndStaysFull) {
  FileHandle h = 0;
  ASSERT_EQ(files().Open("C:\\f.txt", FileAccess::Write, Disposition::CreateAlways, 0, h), err::Success);
  machine().FillDiskAtWrite(3);
  const char block[10] = {};
  std::uint32_t done = 0;
  EXPECT_EQ(files().Write(h, block, 10, done), err::Success);
  EXPECT_EQ(files().Write(h, block, 10, done), err::Success);
  EXPECT_EQ(files().Write(h, block, 10, done), err::DiskFull);  // the third
  EXPECT_EQ(done, 0u);
  EXPECT_EQ(files().Write(h, block, 10, done), err::DiskFull);  // still full
  // Half of the failed write's size is left: less still fits.
  EXPECT_EQ(files().Write(h, block, 5, done), err::Success);
  EXPECT_EQ(files().Write(h, block, 1, done), err::DiskFull);
  EXPECT_EQ(machine().FileWrites(), 6u);
  files().Close(h);
  EXPECT_EQ(ReadFile("C:\\f.txt").size(), 25u);
  // A copy plans nothing.
  MemoryMachine copy(machine());
  EXPECT_EQ(copy.FileWrites(), 0u);
}

TEST_F(MemoryFaults, ThePlannedRegistryWriteFailsAndOnlyThatOne) {
  IRegistry& r = machine().Registry();
  machine().FailRegistryWrite(2);
  RegKey key = 0;
  ASSERT_EQ(r.CreateKey(hkey::CurrentUser, "Software\\Faults", key), err::Success);  // 1
  const std::uint8_t data[] = {1, 0, 0, 0};
  EXPECT_EQ(r.SetValue(key, "a", regtype::Dword, data, 4), err::AccessDenied);      // 2
  EXPECT_EQ(r.QueryValue(key, "a", nullptr, nullptr, nullptr), err::FileNotFound);
  EXPECT_EQ(r.SetValue(key, "a", regtype::Dword, data, 4), err::Success);           // 3
  EXPECT_EQ(r.DeleteValue(key, "a"), err::Success);                                 // 4
  r.CloseKey(key);
  EXPECT_EQ(r.DeleteKey(hkey::CurrentUser, "Software\\Faults"), err::Success);      // 5
  EXPECT_EQ(machine().RegistryWrites(), 5u);
  // Reads are not writes.
  EXPECT_EQ(r.OpenKey(hkey::CurrentUser, "Software", RegAccess::Full, key), err::Success);
  r.CloseKey(key);
  EXPECT_EQ(machine().RegistryWrites(), 5u);
}

}  // namespace
}  // namespace qv::test
