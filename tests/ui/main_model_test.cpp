// The main window's logic: save and load as the commands run them, the
// keep-or-undo outcome and the enabled states, the replace-or-merge
// questions, recent files, drops and the file association.
#include "ui/logic/main_model.h"

#include <gtest/gtest.h>

#include "config/cat_config.h"
#include "config/options.h"
#include "engine/program.h"
#include "engine/run_report.h"
#include "platform/prompts.h"
#include "registry/reg_utils.h"
#include "stream/connection.h"
#include "support/engine_fixture.h"
#include "support/stand_in_items.h"
#include "ui/logic/config_editor_model.h"
#include "undo/undo_manager.h"

namespace qv::test {
namespace {

constexpr const char* kColorsValue = "Window";

class MainModelTest : public EngineTest {
 protected:
  MainModelTest() {
    colors_ = std::make_unique<ScopedSettingsItem>(
        "Colors", [] { return std::make_unique<ColorsKeyItem>(); });
    CurrentConfig().PersonalityItems.SetSelected("Colors", true);
    SetColors("255 255 255");
    Options().BackupDir = "C:\\Backups\\";
    ForceFolders("C:\\Backups");
  }

  void SetColors(const std::string& value) {
    UTLSetRegString(hkey::CurrentUser, kColorsKey, kColorsValue, value);
  }
  bool Exists(const std::string& path) {
    std::uint32_t a = 0;
    return files().Attributes(path, a) == err::Success;
  }
  std::string Colors() { return UTLGetRegString(hkey::CurrentUser, kColorsKey, kColorsValue, ""); }

  // Hooks that record what the window was asked to show.
  TMainWindowHooks Hooks() {
    TMainWindowHooks hooks;
    hooks.AskReplace = [this](const std::string& question, bool& replace) {
      questions.push_back(question);
      replace = answerReplace;
      return answerOk;
    };
    hooks.ShowReport = [this] { ++reportsShown; };
    hooks.ShowEditor = [this](TConfigEditorModel& editor) {
      ++editorsShown;
      editorName = editor.Filename();
      if (editWith) editWith(editor);
      return editorOk;
    };
    return hooks;
  }

  // Saves the colors "255 255 255" into `file` through the Save command.
  void SaveSource(TMainModel& main, const std::string& file) {
    ForceFolders(FolderOf(file));
    ASSERT_TRUE(main.SaveCommand(file));
  }

  std::vector<std::string> questions;
  bool answerReplace = true;
  bool answerOk = true;
  int reportsShown = 0;
  int editorsShown = 0;
  bool editorOk = true;
  std::string editorName;
  std::function<void(TConfigEditorModel&)> editWith;

 private:
  std::unique_ptr<ScopedSettingsItem> colors_;
};

TEST(ConfigFileNames, TheFirstQrvGivesWayToCfg) {
  EXPECT_EQ(ConfigFileForSettingsFile("C:\\x\\pc17.qrv"), "C:\\x\\pc17.cfg");
  EXPECT_EQ(ConfigFileForSettingsFile("pc17.QRV"), "pc17.cfg");
  EXPECT_EQ(ConfigFileForSettingsFile("pc17.dat"), "pc17.dat.cfg");
  EXPECT_EQ(ConfigFileForSettingsFile("C:\\a.qrv\\b.qrv"), "C:\\a\\b.qrv.cfg");
}

TEST(MainWindowHints, TwoPartHintsSplitAtTheBar) {
  const std::string hint = "Load|Loads an existing settings file and applys the changes to this computer";
  EXPECT_EQ(TooltipHint(hint), "Load");
  EXPECT_EQ(StatusHint(hint), "Loads an existing settings file and applys the changes to this computer");
  EXPECT_EQ(TooltipHint("Exit QRV"), "Exit QRV");
  EXPECT_EQ(StatusHint("Exit QRV"), "Exit QRV");
  EXPECT_EQ(StatusHint("a|b|c"), "b|c");
  EXPECT_EQ(StatusHint(""), "");
}

// ---- Save ----

TEST_F(MainModelTest, SaveTakesTheEditorsChoiceAndWritesFileAndConfiguration) {
  TMainModel main(nullptr, Hooks());
  EXPECT_FALSE(main.ReportEnabled());
  editWith = [](TConfigEditorModel& editor) {
    editor.SetFileList({"C:\\notes.txt"});
    ASSERT_EQ(editor.Accept(), TConfigEditorModel::TAcceptResult::Accepted);
  };
  WriteFile("C:\\notes.txt", "remember");
  ForceFolders("C:\\Out");
  WriteFile("C:\\Out\\pc17.QRV", "locked");
  ASSERT_EQ(files().SetAttributes("C:\\Out\\pc17.QRV", fattr::ReadOnly), err::Success);
  EXPECT_FALSE(main.SaveCommand("C:\\Out\\pc17.QRV"));
  EXPECT_EQ(machine().ShownPrompts().back().caption, "Qorvel : Error");
  EXPECT_EQ(machine().ShownPrompts().back().text.rfind("Error saving C:\\Out\\pc17.QRV\r\n", 0), 0u);
  EXPECT_EQ(ReadFile("C:\\Out\\pc17.cfg"), "");  // the configuration is not saved either
  EXPECT_TRUE(main.RecentFiles().Entries().empty());

  ASSERT_EQ(files().SetAttributes("C:\\Out\\pc17.QRV", fattr::Normal), err::Success);
  ASSERT_TRUE(main.SaveCommand("C:\\Out\\pc17.QRV"));
  EXPECT_EQ(editorName, "C:\\Out\\pc17.cfg");
  EXPECT_EQ(main.LastSaveFolder(), "C:\\Out");
  EXPECT_EQ(CurrentConfig().FileList, std::vector<std::string>{"C:\\notes.txt"});
  EXPECT_EQ(Options().LastSavedFile, "C:\\Out\\pc17.QRV");
  EXPECT_EQ(Options().ConfigFile, "C:\\Out\\pc17.cfg");
  EXPECT_NE(ReadFile("C:\\Out\\pc17.cfg").find("\"C:\\notes.txt\""), std::string::npos);
  EXPECT_EQ(main.RecentFiles().Entries(), std::vector<std::string>{"C:\\Out\\pc17.QRV"});
  EXPECT_TRUE(main.ReportEnabled());
  EXPECT_TRUE(ReportHas("Settings saved to : C:\\Out\\pc17.QRV"));
}

TEST_F(MainModelTest, SaveLoadsAnExistingConfigurationOfTheSameName) {
  WriteFile("C:\\pc.cfg", "Personality\r\n  Mouse\r\nEndPersonality\r\n");
  TMainModel main(nullptr, Hooks());
  editWith = [](TConfigEditorModel& editor) {
    EXPECT_TRUE(editor.Personality().IsSelected("Mouse"));
    EXPECT_FALSE(editor.Personality().IsSelected("Colors"));
  };
  editorOk = false;  // cancelled: nothing is written
  EXPECT_FALSE(main.SaveCommand("C:\\pc.qrv"));
  EXPECT_EQ(editorName, "C:\\pc.cfg");
  EXPECT_EQ(Options().ConfigFile, "C:\\pc.cfg");
  EXPECT_FALSE(Exists("C:\\pc.qrv"));
  EXPECT_TRUE(main.RecentFiles().Entries().empty());
}

// ---- Load ----

TEST_F(MainModelTest, AKeptLoadEnablesUndoAndShowsTheReport) {
  TMainModel main(nullptr, Hooks());
  SaveSource(main, "C:\\src.qrv");
  SetColors("0 0 0");

  machine().QueueAnswer(id::Yes);  // keep
  ASSERT_TRUE(main.LoadCommand("C:\\src.qrv"));
  EXPECT_EQ(Colors(), "255 255 255");
  EXPECT_TRUE(main.UndoEnabled());
  EXPECT_EQ(reportsShown, 1);
  EXPECT_TRUE(ReportHas("Settings copied from : C:\\src.qrv"));
  EXPECT_EQ(status().captions().back(), "Loading settings...");
  EXPECT_FALSE(UndoManager().Recording);

  main.UndoCommand();
  EXPECT_FALSE(main.UndoEnabled());
  EXPECT_EQ(Colors(), "0 0 0");
}

TEST_F(MainModelTest, AnsweringNoPutsTheSettingsBackAndDeletesTheBackup) {
  TMainModel main(nullptr, Hooks());
  SaveSource(main, "C:\\src.qrv");
  SetColors("0 0 0");

  machine().QueueAnswer(id::No);
  ASSERT_TRUE(main.LoadFile("C:\\src.qrv"));
  const ShownPrompt keep = machine().ShownPrompts().back();
  EXPECT_NE(keep.text.find("Do you wish to keep these settings ?"), std::string::npos);
  const std::string backup = keep.text.substr(
      std::string("Previous settings are backed up in ").size(),
      keep.text.find("\r\n") - std::string("Previous settings are backed up in ").size());
  EXPECT_EQ(backup.rfind("C:\\Backups\\QRVBackup", 0), 0u) << keep.text;
  EXPECT_FALSE(Exists(backup));
  EXPECT_EQ(Colors(), "0 0 0");
  EXPECT_FALSE(main.UndoEnabled());
  EXPECT_EQ(reportsShown, 0);
  EXPECT_TRUE(main.ReportEnabled());
}

TEST_F(MainModelTest, ACancelledLoadLeavesUndoAsItWas) {
  TMainModel main(nullptr, Hooks());
  SaveSource(main, "C:\\src.qrv");
  SetColors("0 0 0");
  status().CancelAt("");
  const std::size_t boxes = machine().ShownPrompts().size();
  EXPECT_TRUE(main.LoadFile("C:\\src.qrv"));
  EXPECT_EQ(machine().ShownPrompts().size(), boxes);  // no keep question
  EXPECT_FALSE(main.UndoEnabled());
  EXPECT_EQ(reportsShown, 0);
}

TEST_F(MainModelTest, AnotherVersionLoadsOnlyWhileCtrlIsHeld) {
  TMainModel main(nullptr, Hooks());
  SaveSource(main, "C:\\src.qrv");
  std::string bytes = ReadFile("C:\\src.qrv");
  bytes[12] = 123;  // the version after the count and the magic
  WriteFile("C:\\old.qrv", bytes);
  SetColors("0 0 0");

  EXPECT_FALSE(main.LoadFile("C:\\old.qrv"));
  EXPECT_EQ(machine().ShownPrompts().back().text, "QRV File version mismatch : Unable to load C:\\old.qrv");
  EXPECT_EQ(Colors(), "0 0 0");

  machine().SetKeyDown(vk::Control, true);
  EXPECT_TRUE(main.LoadFile("C:\\old.qrv"));
  EXPECT_EQ(Colors(), "255 255 255");
}

TEST_F(MainModelTest, AFileThatIsNoSettingsFileIsRefusedWithABox) {
  TMainModel main(nullptr, Hooks());
  WriteFile("C:\\notes.qrv", "Dear Ann, the new PC is ready.");
  const std::size_t boxes = machine().ShownPrompts().size();
  EXPECT_FALSE(main.LoadFile("C:\\notes.qrv"));
  ASSERT_EQ(machine().ShownPrompts().size(), boxes + 1);
  EXPECT_EQ(machine().ShownPrompts().back().text, "C:\\notes.qrv is not a valid settings file.");

  // A missing file: only the box that opening it shows.
  EXPECT_FALSE(main.LoadFile("C:\\gone.qrv"));
  ASSERT_EQ(machine().ShownPrompts().size(), boxes + 2);
  EXPECT_EQ(machine().ShownPrompts().back().text.rfind("Cannot open file \"C:\\gone.qrv\".", 0), 0u);
}

TEST_F(MainModelTest, AFileCutShortInItsItemListsIsRefused) {
  TMainModel main(nullptr, Hooks());
  SaveSource(main, "C:\\src.qrv");
  WriteFile("C:\\cut.qrv", ReadFile("C:\\src.qrv").substr(0, 22));
  EXPECT_FALSE(main.LoadFile("C:\\cut.qrv"));
  EXPECT_EQ(machine().ShownPrompts().back().caption, "Qorvel");
  EXPECT_EQ(machine().ShownPrompts().back().text, "Attempt to read past end of file.");
}

TEST_F(MainModelTest, ReplaceOrMergeQuestionsComeFromTheFilesItems) {
  CurrentConfig().PersonalityItems.SetSelected("Start Menu", true);
  CurrentConfig().PersonalityItems.SetSelected("Desktop Icons", true);
  UseFake("Start Menu", 1);
  UseFake("Desktop Icons", 2);
  TMainModel main(nullptr, Hooks());
  SaveSource(main, "C:\\Saves\\pc17.qrv");

  // The first question cancelled: no load, no second question, but the
  // radio buttons' state is kept.
  answerOk = false;
  answerReplace = false;
  EXPECT_FALSE(main.LoadFile("C:\\Saves\\pc17.qrv"));
  ASSERT_EQ(questions.size(), 1u);
  EXPECT_EQ(questions[0],
            "The file pc17.qrv contains a new Start Menu. Do you want to REPLACE or MERGE your "
            "existing StartMenu with the new one ?");
  EXPECT_FALSE(Options().ReplaceStartMenu);
  EXPECT_TRUE(Options().ReplaceDesktop);
  EXPECT_TRUE(FakeItem::loaded().empty());

  answerOk = true;
  questions.clear();
  EXPECT_TRUE(main.LoadFile("C:\\Saves\\pc17.qrv"));
  ASSERT_EQ(questions.size(), 2u);
  EXPECT_EQ(questions[1],
            "The file pc17.qrv contains a new set of Desktop Icons. Do you want to REPLACE or "
            "MERGE your existing Desktop Icons with the new one ?");
  EXPECT_FALSE(Options().ReplaceDesktop);
  EXPECT_EQ(FakeItem::loaded().size(), 2u);  // read from the start after the look ahead
}

// ---- Recent files and drops ----

TEST_F(MainModelTest, ARecentFileThatIsGoneIsDroppedFromTheList) {
  {
    TMainModel main(nullptr, Hooks());
    SaveSource(main, "C:\\a.qrv");
    SaveSource(main, "C:\\b.qrv");
  }
  ASSERT_EQ(files().Remove("C:\\a.qrv"), err::Success);
  TMainModel main(nullptr, Hooks());
  ASSERT_EQ(main.RecentFiles().Entries(), (std::vector<std::string>{"C:\\b.qrv", "C:\\a.qrv"}));
  main.RecentFiles().EntryClicked(2);
  EXPECT_EQ(main.RecentFiles().Entries(), std::vector<std::string>{"C:\\b.qrv"});
  main.RecentFiles().EntryClicked(1);  // loads, and the entry stays where it is
  EXPECT_TRUE(main.UndoEnabled());
  EXPECT_EQ(main.RecentFiles().Entries(), std::vector<std::string>{"C:\\b.qrv"});
}

TEST_F(MainModelTest, DropsLoadOneSettingsFileOnly) {
  TMainModel main(nullptr, Hooks());
  SaveSource(main, "C:\\Drop\\pc.qrv");
  const std::size_t before = machine().ShownPrompts().size();

  main.FilesDropped({"C:\\a.qrv", "C:\\b.qrv"});
  EXPECT_EQ(machine().ShownPrompts().back().text,
            "Qorvel cannot load multiple settings files. Try again with a single file.");
  main.FilesDropped({"C:\\report.txt"});
  EXPECT_EQ(machine().ShownPrompts().back().text,
            "C:\\REPORT.TXT is not a valid Qorvel settings file.");
  EXPECT_EQ(machine().ShownPrompts().back().caption, "Qorvel");
  EXPECT_EQ(machine().ShownPrompts().size(), before + 2);
  EXPECT_FALSE(main.UndoEnabled());

  main.FilesDropped({"c:\\drop\\pc.qrv"});
  EXPECT_TRUE(main.UndoEnabled());
  EXPECT_EQ(main.RecentFiles().Entries().front(), "C:\\DROP\\PC.QRV");
}

TEST_F(MainModelTest, StartUpLoadsTheConfigurationFileOfTheOptions) {
  WriteFile("C:\\start.cfg", "Connectivity\r\n  DNS Configuration\r\nEndConnectivity\r\n");
  Options().ConfigFile = "C:\\start.cfg";
  CurrentConfig().ConnectivityItems.SetAll(true);
  TMainModel main(nullptr, Hooks());
  EXPECT_FALSE(main.UndoEnabled());
  EXPECT_TRUE(CurrentConfig().ConnectivityItems.IsSelected("DNS Configuration"));
  EXPECT_FALSE(CurrentConfig().ConnectivityItems.IsSelected("Computer Name"));
}

TEST_F(MainModelTest, ConfigureSavesTheEditorsResultUnderItsName) {
  TMainModel main(nullptr, Hooks());
  editWith = [](TConfigEditorModel& editor) {
    editor.SelectNone();
    editor.SetConfigFileText("C:\\mine");
    ASSERT_EQ(editor.Accept(), TConfigEditorModel::TAcceptResult::Accepted);
  };
  ASSERT_TRUE(main.ConfigureCommand());
  EXPECT_EQ(Options().ConfigFile, "C:\\mine.cfg");
  EXPECT_FALSE(CurrentConfig().PersonalityItems.IsSelected("Colors"));
  EXPECT_EQ(ReadFile("C:\\mine.cfg"),
            "Personality \r\nEndPersonality \r\nConnectivity \r\nEndConnectivity \r\n"
            "Files \r\nEndFiles \r\n");

  editorOk = false;
  editWith = [](TConfigEditorModel& editor) { editor.SelectAll(); };
  EXPECT_FALSE(main.ConfigureCommand());
  EXPECT_FALSE(CurrentConfig().PersonalityItems.IsSelected("Colors"));
}

TEST_F(MainModelTest, TheFileAssociationOpensSettingsFilesWithTheProgram) {
  RegisterFileAssociation("C:\\Program Files\\Qorvel\\qorvel.exe");
  EXPECT_EQ(UTLGetRegString(hkey::ClassesRoot, ".QRV", "", ""), "qrv_auto_file");
  EXPECT_EQ(UTLGetRegString(hkey::ClassesRoot, "qrv_auto_file", "", ""), "QRV file");
  EXPECT_EQ(UTLGetRegString(hkey::ClassesRoot, "qrv_auto_file\\shell\\open\\command", "", ""),
            "\"C:\\Program Files\\Qorvel\\qorvel.exe\" \"%1\"");
}

}  // namespace
}  // namespace qv::test
