#include "stream/source_info.h"

#include "stream/connection.h"
#include "support/memory_fixture.h"
#include "support/streams.h"

namespace {

using qv::test::ReaderOf;

TEST(OSNameText, PlatformNameAndVersion) {
  EXPECT_EQ(OSNameText({qv::platformid::NT, 4, 0, 1381, "Service Pack 6"}),
            "Windows NT 4.0  Build 1381 Service Pack 6");
  // Windows 95/98 keep the version in the build number's high word.
  EXPECT_EQ(OSNameText({qv::platformid::Windows, 4, 0, 0x040003B6, ""}),
            "Windows 95 4.0  Build 67109814 ");
  EXPECT_EQ(OSNameText({qv::platformid::Windows, 4, 10, 0x040A08AE, " A "}),
            "Windows 98 4.10  Build 67766446  A ");
  EXPECT_EQ(OSNameText({qv::platformid::Win32s, 1, 30, 0, ""}), "Win32s 1.30  Build 0 ");
  EXPECT_EQ(OSNameText({7, 1, 2, 3, "x"}), " 1.2  Build 3 x");
}

class SourceInfoTest : public qv::test::MemoryMachineTest {
 protected:
  SourceInfoTest() : MemoryMachineTest(qv::okWinNT) {}
};

TEST_F(SourceInfoTest, TheRecordDescribesTheWritingMachineInOrder) {
  qv::MachineSetup setup;
  setup.kind = qv::okWin98;
  setup.userName = "Alice";
  setup.computerName = "SOURCEPC";
  setup.screenWidth = 800;
  setup.screenHeight = 600;
  setup.dpi = 120;
  qv::MemoryMachine source(setup);
  TWriteMemoryConnection w;
  w.Initialize();
  {
    qv::MachineScope onSource(source);
    TSourceInfo info;
    info.Write(w);
  }
  auto r = ReaderOf(w);
  EXPECT_EQ(r->ReadString(), "Alice");
  EXPECT_EQ(r->ReadString(), "SOURCEPC");
  EXPECT_EQ(r->ReadString(), "C:\\WINDOWS\\SYSTEM");
  EXPECT_EQ(r->ReadString(), "C:\\WINDOWS");
  EXPECT_EQ(r->ReadInteger(), qv::okWin98);
  EXPECT_EQ(r->ReadString(), "Windows 98 4.10  Build 67766446  A ");
  EXPECT_EQ(r->ReadInteger(), 800);
  EXPECT_EQ(r->ReadInteger(), 600);
  EXPECT_EQ(r->ReadInteger(), 120);
  EXPECT_EQ(r->ReadInteger(), 120);
  EXPECT_EQ(r->Remaining(), 0);

  // Read on Windows NT, the record still says Windows 98.
  r->Rewind();
  SourceInfo().Read(*r);
  EXPECT_EQ(SourceInfo().OSVersion(), qv::okWin98);
  EXPECT_EQ(SourceInfo().MachineName(), "SOURCEPC");
  EXPECT_EQ(qv::RunningKind(machine().System()), qv::okWinNT);

  // A save after that load describes this machine, not the loaded one.
  TWriteMemoryConnection again;
  again.Initialize();
  SourceInfo().Write(again);
  auto r2 = ReaderOf(again);
  TSourceInfo written;
  written.Read(*r2);
  EXPECT_EQ(written.MachineName(), "QORVELPC");
  EXPECT_EQ(written.OSVersion(), qv::okWinNT);
  EXPECT_EQ(written.OSName(), "Windows NT 4.0  Build 1381 Service Pack 6");
  EXPECT_EQ(written.ScreenWidth(), 1024);
}

TEST_F(SourceInfoTest, ValuesThatCannotBeReadAreUnknown) {
  machine().SetUserName("");
  machine().SetComputerName(std::string(300, 'N'));
  TSourceInfo info;
  info.Gather();
  EXPECT_EQ(info.UserName(), "Unknown");
  EXPECT_EQ(info.MachineName(), std::string(255, 'N'));
}

}  // namespace
