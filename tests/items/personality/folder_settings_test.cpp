// The Start Menu, SendTo and Desktop folders moving between machines:
// folder blocks, re-basing, replace or merge, and entries from a damaged
// or crafted settings file.
#include "items/personality/folder_settings.h"

#include "config/options.h"
#include "engine/file_utils.h"
#include "engine/program.h"
#include "stream/file_transfer.h"
#include "support/item_fixture.h"

namespace qv::test {
namespace {

constexpr const char* kMenu98 = "C:\\WINDOWS\\Start Menu";
constexpr const char* kSendTo98 = "C:\\WINDOWS\\SendTo";
constexpr const char* kDesktop98 = "C:\\WINDOWS\\Desktop";

void MakeFile(MemoryMachine& m, const std::string& path, const std::string& text) {
  MachineScope on(m);
  ASSERT_TRUE(ForceFolders(path.substr(0, path.find_last_of('\\'))));
  PutFile(m, path, text);
}

bool Exists(MemoryMachine& m, const std::string& path) {
  std::uint32_t attributes = 0;
  return m.Files().Attributes(path, attributes) == err::Success;
}

std::string GetShellFolderOn(MemoryMachine& m, const std::string& valueName) {
  MachineScope on(m);
  return GetShellFolder(hkey::CurrentUser, valueName);
}

// The comments between "Files from <folder> :" and the summary's closing
// empty line.
std::vector<std::string> Block(const ItemResult& r, const std::string& folder) {
  std::vector<std::string> out;
  bool in = false;
  for (std::size_t i = 0; i < r.lines.size(); ++i) {
    if (r.lines[i] == "Files from " + folder + " :") in = true;
    if (!in) continue;
    out.push_back(r.lines[i]);
    if (r.lines[i].find(" files, ") != std::string::npos) break;
  }
  return out;
}

class FolderItemTest : public ItemTest {
 protected:
  MemoryMachine source{okWin98};
  MemoryMachine target{okWin98};

  void SetReplace(bool startMenu, bool desktop) {
    Options().ReplaceStartMenu = startMenu;
    Options().ReplaceDesktop = desktop;
  }
  std::vector<std::string> RecycledPaths() {
    std::vector<std::string> out;
    for (const RecycledEntry& e : target.RecycleBin()) out.push_back(e.path);
    return out;
  }
};

TEST_F(FolderItemTest, StartMenuCarriesItsThreeFoldersEachInItsOwnBlock) {
  MakeFile(source, std::string(kMenu98) + "\\Top.lnk", "top");
  MakeFile(source, std::string(kMenu98) + "\\Programs\\Accessories\\Notes.lnk", "notes!");
  MakeFile(source, std::string(kMenu98) + "\\Programs\\Startup\\Run.lnk", "run");

  ItemResult saved = Save<TStartMenuSettings>(source);
  ASSERT_TRUE(saved.ok);
  EXPECT_EQ(saved.lines[0], "The Start Menu consists of files copied from 3 folders.");
  EXPECT_EQ(Block(saved, kMenu98),
            (std::vector<std::string>{"Files from C:\\WINDOWS\\Start Menu :", "Top.lnk", "",
                                      "1 files, 1KB"}));
  EXPECT_EQ(Block(saved, std::string(kMenu98) + "\\Programs"),
            (std::vector<std::string>{"Files from C:\\WINDOWS\\Start Menu\\Programs :",
                                      "Accessories\\Notes.lnk", "", "1 files, 1KB"}));
  EXPECT_EQ(Block(saved, std::string(kMenu98) + "\\Programs\\Startup"),
            (std::vector<std::string>{"Files from C:\\WINDOWS\\Start Menu\\Programs\\Startup :",
                                      "Run.lnk", "", "1 files, 1KB"}));

  ItemResult loaded = Load<TStartMenuSettings>(target);
  ASSERT_TRUE(loaded.ok);
  EXPECT_EQ(Consumed(), Written());
  EXPECT_EQ(loaded.lines[0], "Start Menu modified");
  EXPECT_EQ(FileText(target, std::string(kMenu98) + "\\Top.lnk"), "top");
  EXPECT_EQ(FileText(target, std::string(kMenu98) + "\\Programs\\Accessories\\Notes.lnk"), "notes!");
  EXPECT_EQ(FileText(target, std::string(kMenu98) + "\\Programs\\Startup\\Run.lnk"), "run");
  EXPECT_TRUE(loaded.Has("Creating C:\\WINDOWS\\Start Menu\\Programs\\Accessories\\Notes.lnk"));
}

TEST_F(FolderItemTest, SummaryCountsFilesAndRoundsKibibytesUp) {
  struct Case {
    std::vector<std::size_t> sizes;
    const char* summary;
  } cases[] = {
      {{}, "0 files, 0KB"},        {{1}, "1 files, 1KB"},      {{1024}, "1 files, 1KB"},
      {{1025}, "1 files, 2KB"},    {{0, 0}, "2 files, 0KB"},   {{1000, 1000}, "2 files, 2KB"},
      {{2048, 1}, "2 files, 3KB"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.summary);
    MemoryMachine m(okWin98);
    for (std::size_t i = 0; i < c.sizes.size(); ++i)
      MakeFile(m, std::string(kSendTo98) + "\\f" + std::to_string(i) + ".lnk",
               std::string(c.sizes[i], 'x'));
    ItemResult saved = Save<TSendToMenuSettings>(m);
    ASSERT_TRUE(saved.ok);
    ASSERT_GE(saved.lines.size(), 3u);
    EXPECT_EQ(saved.lines[saved.lines.size() - 2], c.summary);
    EXPECT_EQ(saved.lines.back(), "");
  }
}

TEST_F(FolderItemTest, EntriesAreRebasedOntoTheTargetsFolderWithMissingSubfoldersMade) {
  target.AddDrive('D', 1 << 30);
  SetReg(target, hkey::CurrentUser, kShellFoldersKey, "Start Menu", "D:\\WIN98\\Start Menu");
  SetReg(target, hkey::CurrentUser, kShellFoldersKey, "Programs", "D:\\WIN98\\Start Menu\\Programs");
  SetReg(target, hkey::CurrentUser, kShellFoldersKey, "Startup",
         "D:\\WIN98\\Start Menu\\Programs\\Startup");
  {
    MachineScope on(target);
    ForceFolders("D:\\WIN98\\Start Menu\\Programs\\Startup");
  }
  MakeFile(source, std::string(kMenu98) + "\\Accessories\\Notes.lnk", "notes");
  ASSERT_TRUE(Save<TStartMenuSettings>(source).ok);
  ItemResult loaded = Load<TStartMenuSettings>(target);
  ASSERT_TRUE(loaded.ok);
  EXPECT_EQ(FileText(target, "D:\\WIN98\\Start Menu\\Accessories\\Notes.lnk"), "notes");
  EXPECT_TRUE(loaded.Has("Creating D:\\WIN98\\Start Menu\\Accessories\\Notes.lnk"));
  EXPECT_FALSE(Exists(target, std::string(kMenu98) + "\\Accessories"));
}

TEST_F(FolderItemTest, ReplaceRecyclesWhatTheSourceLackedFilesFirstAndNeverOverwrites) {
  const std::string menu = kMenu98;
  MakeFile(source, menu + "\\Accessories\\Notes.lnk", "source notes");
  MakeFile(source, menu + "\\Games.lnk", "games");
  MakeFile(target, menu + "\\ACCESSORIES\\NOTES.LNK", "target notes");  // other case
  MakeFile(target, menu + "\\Old\\Stale.lnk", "stale");
  MakeFile(target, menu + "\\Old\\Deeper\\Gone.lnk", "gone");
  MakeFile(target, menu + "\\Loose.lnk", "loose");
  MakeFile(target, menu + "\\Programs\\Keep.lnk", "programs are their own block");
  ASSERT_TRUE(Save<TStartMenuSettings>(source).ok);

  SetReplace(true, false);
  ItemResult loaded = Load<TStartMenuSettings>(target);
  ASSERT_TRUE(loaded.ok);
  // The case-different file stays as it was; its record is passed over.
  EXPECT_EQ(FileText(target, menu + "\\ACCESSORIES\\NOTES.LNK"), "target notes");
  EXPECT_EQ(FileText(target, menu + "\\Games.lnk"), "games");
  EXPECT_FALSE(Exists(target, menu + "\\Old"));
  EXPECT_FALSE(Exists(target, menu + "\\Loose.lnk"));
  // The Programs block of the source was empty: replace empties the
  // target's Programs folder too, but never reaches below into Startup.
  EXPECT_FALSE(Exists(target, menu + "\\Programs\\Keep.lnk"));
  EXPECT_TRUE(Exists(target, menu + "\\Programs\\Startup"));

  std::vector<std::string> recycled;
  for (const std::string& line : loaded.lines)
    if (line.find("RecycleBin") != std::string::npos) recycled.push_back(line);
  const std::string old = menu + "\\Old";
  EXPECT_EQ(recycled, (std::vector<std::string>{
                          "File " + menu + "\\Loose.lnk has been moved to the RecycleBin",
                          "File " + old + "\\Deeper\\Gone.lnk has been moved to the RecycleBin",
                          "File " + old + "\\Stale.lnk has been moved to the RecycleBin",
                          "Folder " + old + "\\Deeper has been moved to the RecycleBin",
                          "Folder " + old + " has been moved to the RecycleBin",
                          "File " + menu + "\\Programs\\Keep.lnk has been moved to the RecycleBin"}));
  // The recycle bin keeps what went there.
  std::vector<RecycledEntry> bin = target.RecycleBin();
  ASSERT_FALSE(bin.empty());
  EXPECT_EQ(bin[0], (RecycledEntry{menu + "\\Loose.lnk", false, "loose"}));
  EXPECT_EQ(RecycledPaths().back(), menu + "\\Programs\\Keep.lnk");
}

TEST_F(FolderItemTest, MergeAndSendToRecycleNothingAndKeepExistingFiles) {
  MakeFile(source, std::string(kDesktop98) + "\\Report.doc", "new report");
  MakeFile(source, std::string(kSendTo98) + "\\Floppy.lnk", "A:");
  MakeFile(target, std::string(kDesktop98) + "\\Report.doc", "my report");
  MakeFile(target, std::string(kDesktop98) + "\\Mine.txt", "mine");
  MakeFile(target, std::string(kSendTo98) + "\\Printer.lnk", "lpt");

  SetReplace(true, false);
  ASSERT_TRUE(Save<TDesktopIconSettings>(source).ok);
  ASSERT_TRUE(Load<TDesktopIconSettings>(target).ok);
  EXPECT_EQ(Consumed(), Written());
  EXPECT_EQ(FileText(target, std::string(kDesktop98) + "\\Report.doc"), "my report");
  EXPECT_EQ(FileText(target, std::string(kDesktop98) + "\\Mine.txt"), "mine");

  SetReplace(true, true);  // SendTo merges whatever the options say
  ASSERT_TRUE(Save<TSendToMenuSettings>(source).ok);
  ItemResult loaded = Load<TSendToMenuSettings>(target);
  ASSERT_TRUE(loaded.ok);
  EXPECT_EQ(loaded.lines[0], "Copied SendTo menu items.");
  EXPECT_EQ(FileText(target, std::string(kSendTo98) + "\\Floppy.lnk"), "A:");
  EXPECT_EQ(FileText(target, std::string(kSendTo98) + "\\Printer.lnk"), "lpt");
  EXPECT_TRUE(target.RecycleBin().empty());
}

TEST_F(FolderItemTest, DesktopReplaceRecyclesATargetFileTheSourceLacks) {
  MakeFile(source, std::string(kDesktop98) + "\\Plan.txt", "plan");
  MakeFile(target, std::string(kDesktop98) + "\\Stray.txt", "stray");
  SetReplace(false, true);
  ASSERT_TRUE(Save<TDesktopIconSettings>(source).ok);
  ItemResult loaded = Load<TDesktopIconSettings>(target);
  ASSERT_TRUE(loaded.ok);
  EXPECT_EQ(loaded.lines[0], "Desktop icons changed");
  EXPECT_EQ(FileText(target, std::string(kDesktop98) + "\\Plan.txt"), "plan");
  EXPECT_FALSE(Exists(target, std::string(kDesktop98) + "\\Stray.txt"));
  EXPECT_EQ(target.RecycleBin(),
            (std::vector<RecycledEntry>{{std::string(kDesktop98) + "\\Stray.txt", false, "stray"}}));
}

TEST_F(FolderItemTest, SaveFailsWithTheSpecsTextsWhenTheFolderCannotBeFound) {
  const std::string key = kShellFoldersKey;
  {
    MachineScope on(source);
    UTLDeleteRegKey(hkey::CurrentUser, key, "SendTo");
  }
  ItemResult missing = Save<TSendToMenuSettings>(source);
  EXPECT_FALSE(missing.ok);
  EXPECT_TRUE(missing.Has("Error retrieving path for desktop : " + key));
  {
    MachineScope on(source);
    ASSERT_EQ(source.Registry().DeleteKey(hkey::CurrentUser, key), err::Success);
  }
  ItemResult noKey = Save<TSendToMenuSettings>(source);
  EXPECT_FALSE(noKey.ok);
  EXPECT_TRUE(noKey.Has("Error opening key for desktop : " + key));
  EXPECT_EQ(GetShellFolderOn(source, "SendTo"), "error");
}

TEST_F(FolderItemTest, StatusTellsWhatIsCopiedAndRecycledAndIsPutBackAfterASave) {
  MakeFile(source, std::string(kSendTo98) + "\\Floppy.lnk", "A:");
  MakeFile(target, std::string(kSendTo98) + "\\Old.lnk", "old");
  TRecordingStatus status;
  StatusScope scope(status);
  status.SetActionText("Saving SendTo menu");
  ASSERT_TRUE(Save<TSendToMenuSettings>(source).ok);
  EXPECT_EQ(status.GetActionText(), "Saving SendTo menu");
  const std::vector<std::string> saving = status.actions();
  EXPECT_NE(std::find(saving.begin(), saving.end(), "Saving SendTo menu\r\nFloppy.lnk"), saving.end());

  // A SendTo block read in replace mode through the folder machinery.
  auto reader = ReaderOf(written());
  MachineScope on(target);
  TRegistryFolders folders;
  ASSERT_TRUE(folders.ReadFolder(*reader, true, {"SendTo"}));
  std::vector<std::string> loading = status.actions();
  loading.erase(loading.begin(), loading.begin() + static_cast<std::ptrdiff_t>(saving.size()));
  EXPECT_EQ(loading, (std::vector<std::string>{"Copying data from SendTo",
                                               "Copying data from SendTo\r\nFloppy.lnk",
                                               "Recycling files...", "Recycling folders..."}));
  EXPECT_EQ(FileText(target, std::string(kSendTo98) + "\\Old.lnk"), "<missing>");
}

TEST_F(FolderItemTest, CancelStopsTheSave) {
  MakeFile(source, std::string(kSendTo98) + "\\One.lnk", "1");
  TRecordingStatus cancelling;
  cancelling.CancelAt("");
  StatusScope scope(cancelling);
  ItemResult saved = Save<TSendToMenuSettings>(source);
  EXPECT_FALSE(saved.ok);
  EXPECT_FALSE(saved.Has("1 files, 1KB"));
}

// A folder block written by hand, as a crafted settings file could hold it.
class CraftedBlock {
 public:
  CraftedBlock(MemoryMachine& helper, TConnection& out) : helper_(helper), out_(out) {}
  void Header(const std::string& valueName, std::int32_t count, const std::string& folder) {
    out_.WriteString(valueName);
    out_.WriteInteger(count);
    out_.WriteString(folder);
  }
  void Entry(const std::string& path, const std::string& content) {
    MachineScope on(helper_);
    PutFile(helper_, "C:\\carried.bin", content);
    out_.WriteString(path);
    out_.WriteInteger(static_cast<std::int32_t>(content.size()));
    TFileWriter writer(out_);
    ASSERT_TRUE(writer.WriteFile("C:\\carried.bin"));
  }

 private:
  MemoryMachine& helper_;
  TConnection& out_;
};

TEST_F(FolderItemTest, EntriesThatWouldLeaveTheFolderAreRefusedAndTheStreamStaysInStep) {
  MemoryMachine helper(okWin98);
  const std::string src = "C:\\SRC\\Start Menu";
  const std::vector<std::string> bad = {
      src + "\\..\\..\\WINDOWS\\win.ini",
      src + "\\Sub\\..\\..\\evil.lnk",
      src + "\\.. \\evil.lnk",
      src + "\\..",
      src + "\\C:\\evil.lnk",
      src + "\\Sub\\D:evil.lnk",
      src + "\\CON",
      src + "\\Sub\\lpt1.txt",
      src + "\\aux.lnk",
      src + "\\a*b.lnk",
      src + "\\Sub/../../evil.lnk",
      src + "\\",
      src + "Sibling\\evil.lnk",
      "C:\\WINDOWS\\SYSTEM\\evil.dll",
      "\\\\SERVER\\SHARE\\evil.lnk",
  };
  TWriteMemoryConnection& payload = NewPayload(okWin98);
  CraftedBlock block(helper, payload);
  payload.WriteInteger(1);
  block.Header("Start Menu", static_cast<std::int32_t>(bad.size()) + 2, src);
  for (const std::string& path : bad) block.Entry(path, "bad");
  block.Entry(src + "\\Good.lnk", "good");
  block.Entry(src + "\\Deep\\er\\Fine.lnk", "fine");

  MemoryMachine before(target);
  SetReplace(false, false);
  ItemResult loaded = Load<TStartMenuSettings>(target);
  ASSERT_TRUE(loaded.ok);
  EXPECT_EQ(Consumed(), payload.Position());
  for (const std::string& path : bad)
    EXPECT_TRUE(loaded.Has("Refused " + path + " : it does not lie inside " + src)) << path;
  EXPECT_EQ(FileText(target, std::string(kMenu98) + "\\Good.lnk"), "good");
  EXPECT_EQ(FileText(target, std::string(kMenu98) + "\\Deep\\er\\Fine.lnk"), "fine");
  // Nothing else changed on the machine.
  std::vector<std::string> changes = MemoryMachine::Differences(before, target, CompareOptions{false});
  EXPECT_EQ(changes, (std::vector<std::string>{"folder C:\\WINDOWS\\Start Menu\\Deep: only in second",
                                               "file C:\\WINDOWS\\Start Menu\\Good.lnk: only in second"}));
}

TEST_F(FolderItemTest, FolderPathsWithATrailingBackslashJoinTheirEntriesOnce) {
  MemoryMachine helper(okWin98);
  SetReg(target, hkey::CurrentUser, kShellFoldersKey, "SendTo", std::string(kSendTo98) + "\\");
  TWriteMemoryConnection& payload = NewPayload(okWin98);
  CraftedBlock block(helper, payload);
  block.Header("SendTo", 2, "D:\\");
  block.Entry("D:\\Floppy.lnk", "A:");
  block.Entry("D:\\Sub\\Zip.lnk", "zip");
  ItemResult loaded = Load<TSendToMenuSettings>(target);
  ASSERT_TRUE(loaded.ok);
  EXPECT_TRUE(loaded.Has("Creating C:\\WINDOWS\\SendTo\\Floppy.lnk"));
  EXPECT_EQ(FileText(target, std::string(kSendTo98) + "\\Sub\\Zip.lnk"), "zip");
}

TEST_F(FolderItemTest, BlocksNamingAnotherShellFolderAreRefusedAndPassedOver) {
  MemoryMachine helper(okWin98);
  MakeFile(target, "C:\\My Documents\\Thesis.doc", "years of work");
  TWriteMemoryConnection& payload = NewPayload(okWin98);
  CraftedBlock block(helper, payload);
  payload.WriteInteger(2);
  block.Header("Personal", 1, "C:\\My Documents");
  block.Entry("C:\\My Documents\\Planted.doc", "planted");
  block.Header("Programs", 1, "C:\\WINDOWS\\Start Menu\\Programs");
  block.Entry("C:\\WINDOWS\\Start Menu\\Programs\\Real.lnk", "real");

  SetReplace(true, true);
  ItemResult loaded = Load<TStartMenuSettings>(target);
  ASSERT_TRUE(loaded.ok);
  EXPECT_EQ(Consumed(), payload.Position());
  EXPECT_TRUE(loaded.Has("Refused the folder Personal : it is not part of this item."));
  EXPECT_EQ(FileText(target, "C:\\My Documents\\Thesis.doc"), "years of work");
  EXPECT_EQ(FileText(target, "C:\\My Documents\\Planted.doc"), "<missing>");
  EXPECT_EQ(FileText(target, "C:\\WINDOWS\\Start Menu\\Programs\\Real.lnk"), "real");
}

TEST_F(FolderItemTest, DamagedCountsFailOrRaiseBeforeAnythingIsWritten) {
  MemoryMachine helper(okWin98);
  {
    TWriteMemoryConnection& payload = NewPayload(okWin98);
    payload.WriteString("SendTo");
    payload.WriteInteger(-1);
    payload.WriteString(kSendTo98);
    EXPECT_FALSE(Load<TSendToMenuSettings>(target).ok);
  }
  {
    TWriteMemoryConnection& payload = NewPayload(okWin98);
    CraftedBlock block(helper, payload);
    block.Header("SendTo", 1000000, kSendTo98);
    block.Entry(std::string(kSendTo98) + "\\A.lnk", "a");
    EXPECT_THROW(Load<TSendToMenuSettings>(target), EConnectionReadError);
    EXPECT_EQ(FileText(target, std::string(kSendTo98) + "\\A.lnk"), "<missing>");
  }
  {
    TWriteMemoryConnection& payload = NewPayload(okWin98);
    payload.WriteInteger(0);
    EXPECT_FALSE(Load<TStartMenuSettings>(target).ok);
  }
}

TEST_F(FolderItemTest, AFolderMissingOnTheTargetPassesItsFilesOver) {
  SetReg(target, hkey::CurrentUser, kShellFoldersKey, "SendTo", "");
  MakeFile(source, std::string(kSendTo98) + "\\Floppy.lnk", "A:");
  ASSERT_TRUE(Save<TSendToMenuSettings>(source).ok);
  ItemResult loaded = Load<TSendToMenuSettings>(target);
  EXPECT_TRUE(loaded.ok);
  EXPECT_EQ(Consumed(), Written());
  EXPECT_TRUE(loaded.Has("No SendTo folder on this system : its files are not copied."));
  EXPECT_EQ(FileText(target, "\\Floppy.lnk"), "<missing>");
}

TEST(FolderNames, StaysInsideFolderAcceptsPlainNamesOnly) {
  for (const char* ok : {"\\a.lnk", "\\Sub\\b c.lnk", "\\.hidden", "\\a..b", "\\CONSOLE.lnk",
                         "\\com10.txt", "\\x\\y\\z"})
    EXPECT_TRUE(StaysInsideFolder(ok)) << ok;
  for (const char* bad : {"", "\\", "a.lnk", "\\..", "\\.", "\\a\\..\\..", "\\a\\\\b", "\\a.",
                          "\\a ", "\\C:x", "\\nul", "\\Com1.lnk", "\\a/b", "\\a|b", "\\a\tb"})
    EXPECT_FALSE(StaysInsideFolder(bad)) << bad;
}

TEST(FileListTest, AddFileKeepsUpperCaseFilesAndEveryAncestorBelowTheDrive) {
  TFileList list;
  list.AddFile("C:\\Windows\\Start Menu\\a.lnk");
  list.AddFile("c:\\WINDOWS\\start menu\\A.LNK");
  list.AddFile("C:\\Windows\\Start Menu\\Sub\\b.lnk");
  EXPECT_EQ(list.DeliveredFiles(), (std::vector<std::string>{"C:\\WINDOWS\\START MENU\\A.LNK",
                                                             "C:\\WINDOWS\\START MENU\\SUB\\B.LNK"}));
  EXPECT_EQ(list.DeliveredFolders(),
            (std::vector<std::string>{"C:\\WINDOWS\\START MENU", "C:\\WINDOWS",
                                      "C:\\WINDOWS\\START MENU\\SUB"}));
}

}  // namespace
}  // namespace qv::test
