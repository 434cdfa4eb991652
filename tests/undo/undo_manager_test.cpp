// The undo manager: the capture before a load, what a load records, and
// putting the machine back afterwards.
#include "undo/undo_manager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "config/cat_config.h"
#include "config/options.h"
#include "engine/file_utils.h"
#include "engine/program.h"
#include "engine/runs.h"
#include "engine/settings.h"
#include "engine/status.h"
#include "platform/prompts.h"
#include "registry/reg_utils.h"
#include "stream/connection.h"
#include "support/memory_fixture.h"
#include "support/stand_in_items.h"
#include "support/streams.h"
#include "undo/registry_store.h"

namespace qv::test {
namespace {

class UndoTest : public MemoryMachineTest {
 protected:
  explicit UndoTest(OSKind kind = okWinNT)
      : MemoryMachineTest(kind), program_(""), statusScope_(status_) {
    Options().CreateBackup = false;
    ColorsKeyItem::writes = 0;
  }
  ~UndoTest() override {
    UndoManager().Recording = false;
    UndoManager().Reset();
  }

  TUndoManager& undo() { return UndoManager(); }
  TRecordingStatus& status() { return status_; }

  // A file's configuration with nothing selected but `names`.
  static TCatConfig Selecting(const std::vector<std::string>& names) {
    TCatConfig c;
    c.PersonalityItems.SetAll(false);
    c.ConnectivityItems.SetAll(false);
    c.FileList.clear();
    for (const std::string& n : names) c.PersonalityItems.SetSelected(n, true);
    return c;
  }

  // Starts recording a load whose image restores nothing.
  void BeginRecordedLoad() {
    TCatConfig none = Selecting({});
    undo().Recording = true;
    ASSERT_EQ(undo().BeginLoad("", none), SETTINGS_OK);
    ASSERT_TRUE(undo().UndoAvailable());
  }

  bool KeyExists(RegKey root, const std::string& path) {
    RegKey k = 0;
    if (machine().Registry().OpenKey(root, path, RegAccess::Read, k) != err::Success) return false;
    machine().Registry().CloseKey(k);
    return true;
  }
  bool ValueExists(RegKey root, const std::string& path, const std::string& name) {
    RegKey k = 0;
    if (machine().Registry().OpenKey(root, path, RegAccess::Read, k) != err::Success) return false;
    bool found = machine().Registry().QueryValue(k, name, nullptr, nullptr, nullptr) == err::Success;
    machine().Registry().CloseKey(k);
    return found;
  }
  bool LogHas(const std::string& prefix) {
    for (const std::string& l : log())
      if (l.rfind(prefix, 0) == 0) return true;
    return false;
  }
  std::vector<std::string> LogLines(const std::string& prefix) {
    std::vector<std::string> out;
    for (const std::string& l : log())
      if (l.rfind(prefix, 0) == 0) out.push_back(l);
    return out;
  }

 private:
  ProgramObjects program_;
  TRecordingStatus status_;
  StatusScope statusScope_;
};

// Each kind of Windows: NT refuses to delete a key with sub keys in one go.
class UndoKindTest : public UndoTest, public ::testing::WithParamInterface<OSKind> {
 protected:
  UndoKindTest() : UndoTest(GetParam()) {}
};

INSTANTIATE_TEST_SUITE_P(Kinds, UndoKindTest, ::testing::Values(okWin95, okWin98, okWinNT),
                         [](const auto& info) {
                           std::string n = OSKindName(info.param);
                           n.erase(std::remove(n.begin(), n.end(), ' '), n.end());
                           return n;
                         });

// --- registry -------------------------------------------------------------

TEST_P(UndoKindTest, NewKeyWithValuesAndSubKeysIsDeleted) {
  UTLSetRegString(hkey::CurrentUser, "Software", "Kept", "yes");
  MemoryMachine before(machine());
  BeginRecordedLoad();

  // The load creates Software\Vendor\App with a value and a sub key; the
  // undo must take all of it, the missing parent "Vendor" included.
  undo().RecordRegistryValue(hkey::CurrentUser, "Software\\Vendor\\App", "Name");
  UTLSetRegString(hkey::CurrentUser, "Software\\Vendor\\App", "Name", "new");
  undo().RecordRegistryValue(hkey::CurrentUser, "Software\\Vendor\\App", "Size");
  UTLSetRegDWORD(hkey::CurrentUser, "Software\\Vendor\\App", "Size", 3);
  undo().RecordRegistryValue(hkey::CurrentUser, "Software\\Vendor\\App\\Sub", "X");
  UTLSetRegDWORD(hkey::CurrentUser, "Software\\Vendor\\App\\Sub", "X", 1);

  undo().Restore();
  EXPECT_FALSE(KeyExists(hkey::CurrentUser, "Software\\Vendor"));
  EXPECT_EQ(MemoryMachine::Differences(before, machine(), {false}), std::vector<std::string>{});
  EXPECT_FALSE(LogHas("UNDO"));
}

TEST_F(UndoTest, NewValueInExistingKeyIsDeletedAloneAndOverwrittenValuesAreNotRecorded) {
  const std::string prefs = "Software\\Vendor\\Prefs";
  UTLSetRegString(hkey::CurrentUser, prefs, "Picture", "old.bmp");
  UTLSetRegString(hkey::CurrentUser, prefs, "Other", "stays");
  BeginRecordedLoad();

  undo().RecordRegistryValue(hkey::CurrentUser, prefs, "Tile");
  UTLSetRegString(hkey::CurrentUser, prefs, "Tile", "1");
  // An existing value is part of the image, not a record: with no item to
  // put it back, it keeps what the load wrote.
  undo().RecordRegistryValue(hkey::CurrentUser, prefs, "Picture");
  UTLSetRegString(hkey::CurrentUser, prefs, "Picture", "new.bmp");

  undo().Restore();
  EXPECT_FALSE(ValueExists(hkey::CurrentUser, prefs, "Tile"));
  EXPECT_EQ(UTLGetRegString(hkey::CurrentUser, prefs, "Other", ""), "stays");
  EXPECT_EQ(UTLGetRegString(hkey::CurrentUser, prefs, "Picture", ""), "new.bmp");
}

TEST_F(UndoTest, ValueWhoseKeyIsGoneLogsAndUndoGoesOn) {
  UTLSetRegString(hkey::CurrentUser, "Software\\Tmp", "A", "a");
  BeginRecordedLoad();
  undo().RecordRegistryValue(hkey::CurrentUser, "Software\\Tmp", "New");
  UTLSetRegString(hkey::CurrentUser, "Software\\Tmp", "New", "x");
  undo().RecordRegistryValue(hkey::CurrentUser, "Software\\Made", "V");
  UTLSetRegString(hkey::CurrentUser, "Software\\Made", "V", "x");
  // Somebody removes the key before the undo.
  machine().Registry().DeleteKey(hkey::CurrentUser, "Software\\Tmp");

  undo().Restore();
  EXPECT_EQ(LogLines("UNDO1"),
            std::vector<std::string>{"UNDO1 : Error opening registry section Software\\Tmp"});
  EXPECT_FALSE(KeyExists(hkey::CurrentUser, "Software\\Made"));
}

TEST_F(UndoTest, KeysWithoutAccessAreNeverRecorded) {
  // A key that exists but does not open with full access is not the load's:
  // it must not be taken for a missing one and deleted by the undo.
  UTLSetRegString(hkey::LocalMachine, "Software\\Shared", "V", "x");
  machine().SetAdministrator(false);
  BeginRecordedLoad();
  undo().RecordRegistryValue(hkey::LocalMachine, "Software\\Shared", "W");
  machine().SetAdministrator(true);
  undo().Restore();
  EXPECT_TRUE(ValueExists(hkey::LocalMachine, "Software\\Shared", "V"));
}

TEST_F(UndoTest, RecordingOffRecordsNothing) {
  BeginRecordedLoad();
  undo().Recording = false;
  undo().RecordRegistryValue(hkey::CurrentUser, "Software\\Off", "V");
  UTLSetRegString(hkey::CurrentUser, "Software\\Off", "V", "x");
  undo().RecordFile("C:\\Off\\f.txt");
  ForceFolders("C:\\Off");
  WriteFile("C:\\Off\\f.txt", "data");

  undo().Restore();
  EXPECT_TRUE(KeyExists(hkey::CurrentUser, "Software\\Off"));
  EXPECT_EQ(ReadFile("C:\\Off\\f.txt"), "data");
}

// --- files and folders ----------------------------------------------------

TEST_F(UndoTest, FileInMissingFoldersIsDeletedThenItsFolders) {
  MemoryMachine before(machine());
  BeginRecordedLoad();
  undo().RecordFile("C:\\New\\Deep\\a.txt");
  ForceFolders("C:\\New\\Deep");
  WriteFile("C:\\New\\Deep\\a.txt", "a");
  // A read-only, hidden file is deleted as well.
  undo().RecordFile("C:\\New\\b.txt");
  WriteFile("C:\\New\\b.txt", "b");
  files().SetAttributes("C:\\New\\b.txt", fattr::ReadOnly | fattr::Hidden);

  undo().Restore();
  EXPECT_FALSE(FolderExists("C:\\New"));
  EXPECT_EQ(MemoryMachine::Differences(before, machine(), {false}), std::vector<std::string>{});
  EXPECT_FALSE(LogHas("UNDO"));
}

TEST_F(UndoTest, FolderHoldingAUsersFileStays) {
  BeginRecordedLoad();
  undo().RecordFile("C:\\New\\Deep\\a.txt");
  ForceFolders("C:\\New\\Deep");
  WriteFile("C:\\New\\Deep\\a.txt", "a");
  WriteFile("C:\\New\\Deep\\mine.txt", "the user's");  // put there after the load

  undo().Restore();
  EXPECT_EQ(ReadFile("C:\\New\\Deep\\a.txt"), "<missing>");
  EXPECT_EQ(ReadFile("C:\\New\\Deep\\mine.txt"), "the user's");
  EXPECT_TRUE(LogHas("UNDO : Error deleting folder C:\\New\\Deep\\"));
  EXPECT_TRUE(LogHas("UNDO : Error deleting folder C:\\New\\"));
}

TEST_F(UndoTest, FileThatExistedBeforeTheLoadIsNeverDeleted) {
  // The load overwrites a file the user already had: undo must not delete
  // it (with no item to put its old contents back, it keeps the new ones).
  ForceFolders("C:\\Docs");
  WriteFile("C:\\Docs\\letter.txt", "mine");
  BeginRecordedLoad();
  undo().RecordFile("C:\\Docs\\letter.txt");
  WriteFile("C:\\Docs\\letter.txt", "loaded");
  undo().RecordFile("C:\\Docs\\added.txt");
  WriteFile("C:\\Docs\\added.txt", "loaded");

  undo().Restore();
  EXPECT_EQ(ReadFile("C:\\Docs\\letter.txt"), "loaded");
  EXPECT_EQ(ReadFile("C:\\Docs\\added.txt"), "<missing>");
  EXPECT_TRUE(FolderExists("C:\\Docs"));
}

// --- capture, restore, twice ----------------------------------------------

TEST_F(UndoTest, UndoTwiceDoesNothingTheSecondTime) {
  BeginRecordedLoad();
  undo().RecordRegistryValue(hkey::CurrentUser, "Software\\Once", "V");
  UTLSetRegString(hkey::CurrentUser, "Software\\Once", "V", "x");
  undo().Restore();
  EXPECT_FALSE(undo().UndoAvailable());
  EXPECT_FALSE(undo().Recording);
  // The restore ran as a load with the status window, not quietly.
  ASSERT_EQ(status().captions(), std::vector<std::string>{"Restoring settings..."});
  EXPECT_EQ(status().finished(), std::vector<SETTINGS_RC>{SETTINGS_OK});
  EXPECT_FALSE(status().messagesSuppressed());

  UTLSetRegString(hkey::CurrentUser, "Software\\Once", "V", "again");
  undo().Restore();
  EXPECT_TRUE(KeyExists(hkey::CurrentUser, "Software\\Once"));
  EXPECT_EQ(status().captions().size(), 1u);  // no second restore run
}

TEST_F(UndoTest, BeginLoadCapturesTheFilesSelectionWithoutPrinters) {
  ScopedSettingsItem colors("Colors", [] { return std::make_unique<ColorsKeyItem>(); });
  int printerWrites = 0;
  TCatConfig* seen = nullptr;
  struct Printers : TSettings {
    int& writes;
    TCatConfig*& seen;
    Printers(int& w, TCatConfig*& s) : writes(w), seen(s) {}
    bool Write(TConnection&) override {
      ++writes;
      seen = &CurrentConfig();
      return true;
    }
    bool Read(TConnection&) override { return true; }
  };
  ScopedSettingsItem printers("Printers",
                              [&] { return std::make_unique<Printers>(printerWrites, seen); });
  TCatConfig* current = &CurrentConfig();

  TCatConfig file = Selecting({"Colors", "Printers"});
  undo().Recording = true;
  EXPECT_EQ(undo().BeginLoad("", file), SETTINGS_OK);
  EXPECT_FALSE(file.PersonalityItems.IsSelected("Printers"));
  EXPECT_EQ(printerWrites, 0);
  EXPECT_EQ(ColorsKeyItem::writes, 1);  // the file's selection, not the program's
  EXPECT_EQ(&CurrentConfig(), current);
  EXPECT_TRUE(undo().UndoAvailable());
}

TEST_F(UndoTest, BeginLoadWithoutRecordingKeepsNoImageButWritesTheBackup) {
  ScopedSettingsItem colors("Colors", [] { return std::make_unique<ColorsKeyItem>(); });
  UTLSetRegString(hkey::CurrentUser, kColorsKey, "Background", "0 0 0");
  TCatConfig file = Selecting({"Colors"});
  undo().Recording = false;
  ASSERT_EQ(undo().BeginLoad("C:\\backup.qrv", file), SETTINGS_OK);
  EXPECT_FALSE(undo().UndoAvailable());
  EXPECT_TRUE(FileExists("C:\\backup.qrv"));

  UTLSetRegString(hkey::CurrentUser, kColorsKey, "Background", "255 255 255");
  undo().Restore();  // nothing to undo
  EXPECT_EQ(UTLGetRegString(hkey::CurrentUser, kColorsKey, "Background", ""), "255 255 255");
  EXPECT_TRUE(status().captions().empty());
}

TEST_F(UndoTest, BackupFileHoldsTheWholeImage) {
  ScopedSettingsItem colors("Colors", [] { return std::make_unique<ColorsKeyItem>(); });
  UTLSetRegString(hkey::CurrentUser, kColorsKey, "Background", "0 0 0");
  UTLSetRegString(hkey::CurrentUser, kColorsKey, "Window", "1 2 3");
  TCatConfig file = Selecting({"Colors"});
  undo().Recording = true;
  ASSERT_EQ(undo().BeginLoad("C:\\backup.qrv", file), SETTINGS_OK);

  std::string bytes = ReadFile("C:\\backup.qrv");
  ASSERT_GT(bytes.size(), 16u);
  EXPECT_EQ(bytes.substr(4, 8), std::string("ZTR QRV\0", 8));
  EXPECT_EQ(bytes.substr(12, 4), std::string("\x7C\0\0\0", 4));

  // Loading the backup file puts the captured values back.
  UTLSetRegString(hkey::CurrentUser, kColorsKey, "Background", "9 9 9");
  TReadFileConnection reader;
  ASSERT_TRUE(reader.Open("C:\\backup.qrv", kSettingsMagic)) << reader.LastError();
  EXPECT_EQ(reader.ConnectionVersion, kConnectionVersion);
  undo().Recording = false;
  std::string none;
  EXPECT_EQ(LoadSettings("", reader, false, none, true), SETTINGS_OK);
  EXPECT_EQ(UTLGetRegString(hkey::CurrentUser, kColorsKey, "Background", ""), "0 0 0");
  EXPECT_EQ(UTLGetRegString(hkey::CurrentUser, kColorsKey, "Window", ""), "1 2 3");
}

TEST_F(UndoTest, FailedCaptureLeavesNothingToUndo) {
  struct Failing : TSettings {
    bool Write(TConnection&) override { return false; }
    bool Read(TConnection&) override { return true; }
  };
  ScopedSettingsItem colors("Colors", [] { return std::make_unique<Failing>(); });
  TCatConfig* current = &CurrentConfig();
  TCatConfig file = Selecting({"Colors"});
  undo().Recording = true;
  EXPECT_EQ(undo().BeginLoad("C:\\backup.qrv", file), SETTINGS_ERROR);
  EXPECT_FALSE(undo().UndoAvailable());
  EXPECT_FALSE(FileExists("C:\\backup.qrv"));
  EXPECT_EQ(&CurrentConfig(), current);
}

// --- the keep-settings question --------------------------------------------

TEST_F(UndoTest, AskKeepSettingsNamesTheBackupAndReturnsTheAnswer) {
  machine().QueueAnswer(id::Yes);
  machine().QueueAnswer(id::No);
  EXPECT_TRUE(AskKeepSettings("C:\\TEMP\\QRVBackup1.qrv"));
  EXPECT_FALSE(AskKeepSettings(""));

  std::vector<ShownPrompt> shown = machine().ShownPrompts();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].text,
            "Previous settings are backed up in C:\\TEMP\\QRVBackup1.qrv\r\n\r\n"
            "Your system settings have been modified.\r\n"
            "Do you wish to keep these settings ?");
  EXPECT_EQ(shown[1].text,
            "Your system settings have been modified. Do you wish to keep these settings ?");
  for (const ShownPrompt& p : shown) {
    EXPECT_EQ(p.style & mb::ButtonsMask, mb::YesNo);
    EXPECT_EQ(p.caption.rfind("Qorvel : ", 0), 0u) << p.caption;
  }
}

// --- whole runs -------------------------------------------------------------

// Saves a source machine's Colors key and picture, loads them here with
// recording on as the main window does, then answers No: the machine must be
// as it was before the load.
class UndoRunTest : public UndoKindTest {
 protected:
  UndoRunTest()
      : colors_("Colors", [] { return std::make_unique<ColorsKeyItem>(); }),
        picture_("Wallpaper", [] { return std::make_unique<PictureItem>(); }) {
    MachineScope onSource(source_);
    UTLSetRegString(hkey::CurrentUser, kColorsKey, "Background", "0 128 128");
    UTLSetRegString(hkey::CurrentUser, kColorsKey, "Menu", "1 1 1");
    UTLSetRegString(hkey::CurrentUser, std::string(kColorsKey) + "\\Schemes\\Dark", "Text", "2");
    ForceFolders(FolderOf(kPicture));
    PictureItem::Put("source picture");
  }

  std::unique_ptr<TReadMemoryConnection> SaveOnSource() {
    MachineScope onSource(source_);
    TCatConfig file = Selecting({"Colors", "Wallpaper"});
    TCatConfig* previous = SwapCurrentConfig(&file);
    TWriteMemoryConnection w;
    w.ConnectionVersion = kConnectionVersion;
    w.Initialize();
    SETTINGS_RC r = SaveSettings("", w, true, true);
    SwapCurrentConfig(previous);
    EXPECT_EQ(r, SETTINGS_OK);
    return ReaderOf(w);
  }

  // Loads with a backup file in C:\Backups, checks that the load changed
  // the machine, undoes it and deletes the backup file as the main window
  // does; returns what still differs from the state before the load.
  std::vector<std::string> LoadThenUndo() {
    auto settings = SaveOnSource();
    Options().CreateBackup = true;
    Options().BackupDir = "C:\\Backups";
    ForceFolders("C:\\Backups");
    MemoryMachine before(machine());

    std::string backup;
    undo().Recording = true;
    EXPECT_EQ(LoadSettings("", *settings, true, backup, true), SETTINGS_OK);
    EXPECT_EQ(backup, "C:\\Backups\\QRVBackup1.qrv");
    EXPECT_EQ(UTLGetRegString(hkey::CurrentUser, kColorsKey, "Background", ""), "0 128 128");
    EXPECT_EQ(ReadFile(kPicture), "source picture");
    EXPECT_TRUE(undo().UndoAvailable());

    undo().Restore();
    undo().Recording = false;
    files().Remove(backup);
    return MemoryMachine::Differences(before, machine(), {false});
  }

 private:
  MemoryMachine source_{okWinNT};
  ScopedSettingsItem colors_;
  ScopedSettingsItem picture_;
};

INSTANTIATE_TEST_SUITE_P(Kinds, UndoRunTest, ::testing::Values(okWin95, okWin98, okWinNT),
                         [](const auto& info) {
                           std::string n = OSKindName(info.param);
                           n.erase(std::remove(n.begin(), n.end(), ' '), n.end());
                           return n;
                         });

TEST_P(UndoRunTest, UndoPutsBackValuesAndRemovesNewKeysFilesAndFolders) {
  // An existing Colors key with a value the load overwrites and one it does
  // not carry; no Schemes sub key, no picture, no Pictures folder.
  UTLSetRegString(hkey::CurrentUser, kColorsKey, "Background", "255 255 255");
  UTLSetRegString(hkey::CurrentUser, kColorsKey, "Window", "7 7 7");

  EXPECT_EQ(LoadThenUndo(), std::vector<std::string>{});
  EXPECT_FALSE(FolderExists("C:\\Pictures"));
  EXPECT_EQ(UTLGetRegString(hkey::CurrentUser, kColorsKey, "Background", ""), "255 255 255");
  EXPECT_FALSE(LogHas("UNDO"));
}

TEST_P(UndoRunTest, UndoWithoutAColorsKeyRemovesTheWholeKey) {
  ASSERT_EQ(machine().Registry().DeleteKey(hkey::CurrentUser, kColorsKey), err::Success);
  EXPECT_EQ(LoadThenUndo(), std::vector<std::string>{});
  EXPECT_FALSE(KeyExists(hkey::CurrentUser, kColorsKey));
  EXPECT_TRUE(KeyExists(hkey::CurrentUser, "Control Panel"));
}

TEST_P(UndoRunTest, UndoGivesBackAPictureTheUserHadInsteadOfDeletingIt) {
  ForceFolders(FolderOf(kPicture));
  PictureItem::Put("my own picture");
  EXPECT_EQ(LoadThenUndo(), std::vector<std::string>{});
  EXPECT_EQ(ReadFile(kPicture), "my own picture");
}

}  // namespace
}  // namespace qv::test
