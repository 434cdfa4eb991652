#include "engine/runs.h"
#include "stream/file_transfer.h"
#include "stream/source_info.h"
#include "support/engine_fixture.h"
#include "support/streams.h"

namespace qv::test {
namespace {

class SaveRunTest : public EngineTest {
 protected:
  // Saves synchronously into a memory image and returns a reader over it.
  std::unique_ptr<TReadMemoryConnection> SaveImage(SETTINGS_RC expected = SETTINGS_OK) {
    TWriteMemoryConnection w;
    w.ConnectionVersion = kConnectionVersion;
    w.Initialize();
    EXPECT_EQ(SaveSettings("C:\\out.qrv", w, true, true), expected);
    return ReaderOf(w);
  }
  // Reads the configuration and source-system records off an image.
  void SkipRecords(TConnection& r) {
    TCatConfig c;
    c.ReadItemLists(r);
    TSourceInfo s;
    s.Read(r);
  }
};

TEST_F(SaveRunTest, AnEmptySaveIsTheRecordsAndThreeGroupEnds) {
  auto r = SaveImage();
  TWriteMemoryConnection expected;
  expected.Initialize();
  expected.WriteInteger(3);
  expected.WriteBuffer("END", 3);
  expected.WriteInteger(3);
  expected.WriteBuffer("END", 3);
  TSourceInfo().Write(expected);
  for (int i = 0; i < 3; ++i) expected.WriteString("END_OF_SECTION");
  const std::uint8_t* block;
  std::uint32_t size;
  expected.GetBuffer(block, size);
  ASSERT_EQ(r->Capacity(), expected.Position());
  std::vector<std::uint8_t> got(r->Capacity());
  r->ReadBuffer(got.data(), r->Capacity());
  EXPECT_EQ(got, std::vector<std::uint8_t>(block, block + expected.Position()));

  // The report: header, an empty line, and the tail.
  auto lines = report();
  ASSERT_EQ(lines.size(), 15u);
  EXPECT_EQ(lines[0], std::string(79, '-'));
  EXPECT_EQ(lines[1], "ZTR QRV - Qorvel");
  EXPECT_EQ(lines[5], "System Name : QORVELPC");
  EXPECT_EQ(lines[6], "System User : User");
  EXPECT_EQ(lines[7], "Operating system : Windows NT 4.0  Build 1381 Service Pack 6");
  EXPECT_EQ(lines[9], "Settings saved to : C:\\out.qrv");
  EXPECT_EQ(lines[10], "Configuration file : ");
  EXPECT_EQ(std::vector<std::string>(lines.begin() + 11, lines.end()),
            (std::vector<std::string>{"", "", "End of Report", std::string(79, '-')}));
}

TEST_F(SaveRunTest, SectionsGoInSaveOrderWithinTheirGroups) {
  UseFake("Mouse", 18);
  UseFake("Colors", 9);
  UseFake("Computer Name", 101);
  auto r = SaveImage();
  SkipRecords(*r);
  EXPECT_EQ(r->ReadString(), "Colors");
  EXPECT_EQ(r->ReadInteger(), 9);
  EXPECT_EQ(r->ReadString(), "Colors payload");
  EXPECT_EQ(r->ReadString(), "Mouse");
  EXPECT_EQ(r->ReadInteger(), 18);
  EXPECT_EQ(r->ReadString(), "Mouse payload");
  EXPECT_EQ(r->ReadString(), "END_OF_SECTION");
  EXPECT_EQ(r->ReadString(), "Computer Name");
  EXPECT_EQ(r->ReadInteger(), 101);
  EXPECT_EQ(r->ReadString(), "Computer Name payload");
  EXPECT_EQ(r->ReadString(), "END_OF_SECTION");
  EXPECT_EQ(r->ReadString(), "END_OF_SECTION");
  EXPECT_EQ(r->Remaining(), 0);
  EXPECT_TRUE(ReportHas("Saved Colors"));
  EXPECT_EQ(status().actions(),
            (std::vector<std::string>{"Saving colors...", "Saving mouse settings...",
                                      "Saving Computer name..."}));
}

TEST_F(SaveRunTest, WithoutRegistryAccessSuchSectionsAreSkipped) {
  machine().SetAdministrator(false);
  UseFake("Computer Name", 1, true, true, true);
  UseFake("WorkGroup/Domain", 2, true, true, false);  // as on Windows NT
  auto r = SaveImage();
  SkipRecords(*r);
  EXPECT_EQ(r->ReadString(), "END_OF_SECTION");
  EXPECT_EQ(r->ReadString(), "WorkGroup/Domain");
  EXPECT_TRUE(ReportHas("Skipping section Computer Name : Registry access required."));
}

TEST_F(SaveRunTest, ACancelTakesEffectAfterTheSectionInProgress) {
  UseFake("Colors", 9);
  UseFake("Mouse", 18);
  status().CancelAt("Saving colors...");
  auto r = SaveImage(SETTINGS_CANCELLED);
  SkipRecords(*r);
  EXPECT_EQ(r->ReadString(), "Colors");
  r->ReadInteger();
  r->ReadString();
  EXPECT_EQ(r->Remaining(), 0);  // no group end, no later group
}

TEST_F(SaveRunTest, AFailingSectionStopsTheRun) {
  UseFake("Colors", 9, false);
  UseFake("Mouse", 18);
  auto r = SaveImage(SETTINGS_ERROR);
  SkipRecords(*r);
  EXPECT_EQ(r->ReadString(), "Colors");
  r->ReadInteger();
  r->ReadString();
  EXPECT_EQ(r->Remaining(), 0);
}

TEST_F(SaveRunTest, DataFilesExpandFoldersAndWildcards) {
  files().MakeFolder("C:\\data");
  files().MakeFolder("C:\\data\\sub");
  WriteFile("C:\\data\\a.txt", "a");
  WriteFile("C:\\data\\b.doc", "bb");
  WriteFile("C:\\data\\sub\\c.txt", "ccc");
  files().MakeFolder("C:\\docs");
  WriteFile("C:\\docs\\x.txt", "x");
  WriteFile("C:\\docs\\y.bin", "y");
  files().MakeFolder("C:\\docs\\deeper");
  WriteFile("C:\\docs\\deeper\\z.txt", "z");
  WriteFile("C:\\single.ini", "s");
  CurrentConfig().FileList = {"C:\\data", "C:\\docs\\*.txt", "C:\\nothing\\*.*", "C:\\single.ini"};
  auto r = SaveImage();
  SkipRecords(*r);
  EXPECT_EQ(r->ReadString(), "END_OF_SECTION");
  EXPECT_EQ(r->ReadString(), "END_OF_SECTION");
  std::vector<std::string> saved;
  TFileReader skipper(*r, false, false);
  for (;;) {
    std::string marker = r->ReadString();
    if (marker == "END_OF_SECTION") break;
    ASSERT_EQ(marker, "FILE");
    saved.push_back(r->ReadString());
    ASSERT_TRUE(skipper.SkipFile());
  }
  EXPECT_EQ(saved, (std::vector<std::string>{"C:\\data\\a.txt", "C:\\data\\b.doc",
                                             "C:\\data\\sub\\c.txt", "C:\\docs\\x.txt",
                                             "C:\\single.ini"}));
  EXPECT_EQ(r->Remaining(), 0);
  EXPECT_TRUE(ReportHas("Saved C:\\data\\sub\\c.txt"));
}

TEST_F(SaveRunTest, TheStatusWindowRunGetsExactlyOneEndMessage) {
  UseFake("Colors", 9);
  TWriteMemoryConnection w;
  w.Initialize();
  EXPECT_EQ(SaveSettings("x", w, false, false), SETTINGS_OK);
  EXPECT_EQ(status().finished(), std::vector<SETTINGS_RC>{SETTINGS_OK});
  EXPECT_EQ(status().captions().back(), "Saving current settings...");
  EXPECT_EQ(SaveSettings("x", w, true, true), SETTINGS_OK);
  EXPECT_EQ(status().finished().size(), 1u);  // the synchronous run posts nothing
}

TEST_F(SaveRunTest, AStreamErrorEndsTheRunWithItsMessage) {
  UseFake("Colors", 9);
  std::uint64_t freeBytes, total;
  files().DiskFreeSpace("C:\\", freeBytes, total);
  TWriteFileConnection f;
  f.ConnectionVersion = kConnectionVersion;
  ASSERT_TRUE(f.Open("C:\\full.qrv", kSettingsMagic));
  machine().SetDriveCapacity('C', total - freeBytes + 40);
  EXPECT_EQ(SaveSettings("C:\\full.qrv", f, true, true), SETTINGS_ERROR);
  EXPECT_TRUE(ReportHas("Insufficient disk space"));
  ASSERT_FALSE(machine().ShownPrompts().empty());
  EXPECT_EQ(machine().ShownPrompts().back().text, "Insufficient disk space");
}

}  // namespace
}  // namespace qv::test
