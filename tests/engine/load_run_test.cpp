#include "engine/runs.h"
#include "stream/file_transfer.h"
#include "stream/source_info.h"
#include "support/engine_fixture.h"
#include "support/streams.h"

namespace qv::test {
namespace {

class LoadRunTest : public EngineTest {
 protected:
  // A body by hand: empty item lists, this machine's source record, then
  // whatever `groups` writes.
  template <typename F>
  std::unique_ptr<TReadMemoryConnection> Body(F groups) {
    TWriteMemoryConnection w;
    w.Initialize();
    TCatConfig none;
    none.PersonalityItems.SetAll(false);
    none.ConnectivityItems.SetAll(false);
    none.WriteItemLists(w);
    TSourceInfo().Write(w);
    groups(w);
    return ReaderOf(w);
  }
  SETTINGS_RC Load(TConnection& r, bool doBackup = false) {
    std::string backup;
    SETTINGS_RC rc = LoadSettings("C:\\in.qrv", r, doBackup, backup, true);
    lastBackup_ = backup;
    return rc;
  }
  std::string lastBackup_;
};

TEST_F(LoadRunTest, EmptyGroupsLoadAndApplyNothing) {
  MemoryMachine before(machine());
  auto r = Body([](TConnection& w) {
    for (int i = 0; i < 3; ++i) w.WriteString("END_OF_SECTION");
  });
  EXPECT_EQ(Load(*r), SETTINGS_OK);
  EXPECT_EQ(r->Remaining(), 0);
  EXPECT_TRUE(MemoryMachine::Differences(before, machine()).empty());
  EXPECT_TRUE(ReportHas("Settings copied from : C:\\in.qrv"));
  EXPECT_TRUE(ReportHas("Source System Name : QORVELPC"));
  EXPECT_EQ(status().finished(), std::vector<SETTINGS_RC>{SETTINGS_OK});  // also when quiet
  EXPECT_TRUE(status().messagesSuppressed());
  EXPECT_EQ(status().actions().back(), "Done.");
}

TEST_F(LoadRunTest, AnUnknownSectionEndsTheRun) {
  UseFake("Colors", 0);
  auto r = Body([](TConnection& w) {
    w.WriteString("Colors");
    w.WriteInteger(5);
    w.WriteString("c");
    w.WriteString("start menu");  // names compare exactly
    w.WriteString("never read");
  });
  EXPECT_EQ(Load(*r), SETTINGS_ERROR);
  ASSERT_EQ(FakeItem::loaded().size(), 1u);
  EXPECT_EQ(FakeItem::loaded()[0].number, 5);
  auto lines = report();
  auto it = std::find(lines.begin(), lines.end(), "Error reading section");
  ASSERT_NE(it, lines.end());
  EXPECT_EQ(*(it + 1), "");
  EXPECT_EQ(r->ReadString(), "never read");
}

TEST_F(LoadRunTest, DataFilesAreCreatedButExistingOnesAreLeftAlone) {
  WriteFile("C:\\exists.txt", "mine");
  auto r = Body([&](TConnection& w) {
    w.WriteString("END_OF_SECTION");
    w.WriteString("END_OF_SECTION");
    for (auto [path, data] : {std::pair{"C:\\exists.txt", "theirs"},
                              std::pair{"C:\\new\\folder\\made.txt", "made"}}) {
      w.WriteString("FILE");
      w.WriteString(path);
      TFileTransferHeader h;
      h.Name = path;
      h.Size = static_cast<std::uint32_t>(std::string(data).size());
      h.Write(w);
      w.WriteBuffer(data, h.Size);
    }
    w.WriteString("END_OF_SECTION");
  });
  EXPECT_EQ(Load(*r), SETTINGS_OK);
  EXPECT_EQ(ReadFile("C:\\exists.txt"), "mine");
  EXPECT_EQ(ReadFile("C:\\new\\folder\\made.txt"), "made");
  EXPECT_TRUE(ReportHas("Copied file C:\\new\\folder\\made.txt"));
  for (const std::string& line : report()) EXPECT_EQ(line.find("exists.txt"), std::string::npos);
}

TEST_F(LoadRunTest, ARecordNamingAnotherFileStillGoesWhereItsMarkerSays) {
  WriteFile("C:\\precious.txt", "keep me");
  auto r = Body([&](TConnection& w) {
    w.WriteString("END_OF_SECTION");
    w.WriteString("END_OF_SECTION");
    w.WriteString("FILE");
    w.WriteString("C:\\harmless.txt");
    TFileTransferHeader h;
    h.Name = "C:\\precious.txt";
    h.Size = 4;
    h.Write(w);
    w.WriteBuffer("evil", 4);
    w.WriteString("END_OF_SECTION");
  });
  EXPECT_EQ(Load(*r), SETTINGS_OK);
  EXPECT_EQ(ReadFile("C:\\precious.txt"), "keep me");
  EXPECT_EQ(ReadFile("C:\\harmless.txt"), "evil");
}

TEST_F(LoadRunTest, ScaleFactorsCompareTheScreens) {
  MachineSetup small;
  small.screenWidth = 800;
  small.screenHeight = 600;
  small.dpi = 96;
  MemoryMachine source(small);
  TWriteMemoryConnection w;
  w.Initialize();
  {
    MachineScope onSource(source);
    CurrentConfig().WriteItemLists(w);
    TSourceInfo().Write(w);
  }
  for (int i = 0; i < 3; ++i) w.WriteString("END_OF_SECTION");
  machine().SetDeviceCaps(caps::LogPixelsX, 120);
  machine().SetDeviceCaps(caps::LogPixelsY, 120);
  auto r = ReaderOf(w);
  EXPECT_EQ(Load(*r), SETTINGS_OK);
  EXPECT_DOUBLE_EQ(HorizontalScaleFactor, 1.024);
  EXPECT_DOUBLE_EQ(VerticalScaleFactor, 1.024);
}

TEST_F(LoadRunTest, BackupNamesTakeTheFirstFreeNumber) {
  files().MakeFolder("C:\\backups");
  EXPECT_EQ(NewBackupFileName("C:\\backups"), "C:\\backups\\QRVBackup1.qrv");
  WriteFile("C:\\backups\\QRVBackup1.qrv", "");
  WriteFile("C:\\backups\\QRVBackup2.qrv", "");
  EXPECT_EQ(NewBackupFileName("C:\\backups\\"), "C:\\backups\\QRVBackup3.qrv");
  files().Remove("C:\\backups\\QRVBackup1.qrv");
  EXPECT_EQ(NewBackupFileName("C:\\backups"), "C:\\backups\\QRVBackup1.qrv");
  std::uint32_t a;
  EXPECT_EQ(files().Attributes("C:\\backups\\QRVBackup1.qrv", a), err::FileNotFound);
  EXPECT_EQ(NewBackupFileName("C:\\missing"), "");
}

TEST_F(LoadRunTest, AMissingBackupFolderStopsTheLoadBeforeAnything) {
  UseFake("Colors", 0);
  Options().BackupDir = "C:\\nowhere";
  auto r = Body([](TConnection& w) {
    w.WriteString("Colors");
    w.WriteInteger(5);
    w.WriteString("c");
    w.WriteString("END_OF_SECTION");
  });
  EXPECT_EQ(Load(*r, true), SETTINGS_ERROR);
  EXPECT_TRUE(FakeItem::loaded().empty());
  EXPECT_TRUE(ReportHas("Could not create backup file on C:\\nowhere"));
}

// Saved on one kind, loaded on another: the item sees the writer's kind.
class KindMatrix : public ::testing::TestWithParam<std::tuple<OSKind, OSKind>> {};

TEST_P(KindMatrix, ItemsSeeTheKindThatWroteTheirPayload) {
  auto [from, to] = GetParam();
  MemoryMachine source(from), target(to);
  TRecordingStatus status;
  StatusScope statusScope(status);
  ScopedSettingsItem fake("Colors", [] { return std::make_unique<FakeItem>("Colors", 42); });
  FakeItem::loaded().clear();
  TWriteMemoryConnection w;
  w.Initialize();
  {
    MachineScope on(source);
    ProgramObjects program("");
    CurrentConfig().PersonalityItems.SetAll(false);
    CurrentConfig().ConnectivityItems.SetAll(false);
    CurrentConfig().PersonalityItems.SetSelected("Colors", true);
    ASSERT_EQ(SaveSettings("x", w, true, true), SETTINGS_OK);
  }
  {
    MachineScope on(target);
    ProgramObjects program("");
    auto r = ReaderOf(w);
    std::string backup;
    ASSERT_EQ(LoadSettings("x", *r, false, backup, true), SETTINGS_OK);
  }
  ASSERT_EQ(FakeItem::loaded().size(), 1u);
  EXPECT_EQ(FakeItem::loaded()[0].osVersion, from);
  EXPECT_EQ(FakeItem::loaded()[0].number, 42);
}

INSTANTIATE_TEST_SUITE_P(AllKinds, KindMatrix,
                         ::testing::Combine(::testing::Values(okWin95, okWin98, okWinNT),
                                            ::testing::Values(okWin95, okWin98, okWinNT)));

}  // namespace
}  // namespace qv::test
