// The configuration editor's logic: filling and reading back the check
// lists, selection and ticks, the configuration-file box, Open, Save as,
// Defaults, OK and the data-file picker.
#include "ui/logic/config_editor_model.h"

#include <gtest/gtest.h>

#include "config/cat_config.h"
#include "engine/program.h"
#include "platform/prompts.h"
#include "registry/reg_utils.h"
#include "support/ui_fixture.h"
#include "ui/logic/data_file_model.h"

namespace qv::test {
namespace {

using Group = TConfigGroup;
using Result = TConfigEditorModel::TAcceptResult;

class ConfigEditorModelTest : public UiLogicTest {
 protected:
  // The editor as the main window prepares it from the current configuration.
  void Prepare(TConfigEditorModel& editor, const std::string& fileName = "") {
    editor.SetFileList(CurrentConfig().FileList);
    editor.SetPersonality(CurrentConfig().PersonalityItems);
    editor.SetConnectivity(CurrentConfig().ConnectivityItems);
    editor.SetFilename(fileName);
  }
  static std::vector<std::string> Names(const std::vector<TCheckLine>& lines) {
    std::vector<std::string> names;
    for (const TCheckLine& l : lines) names.push_back(l.name);
    return names;
  }
  static int LineOf(const TConfigEditorModel& editor, Group group, const std::string& name) {
    std::vector<TCheckLine> lines = editor.Lines(group);
    for (std::size_t i = 0; i < lines.size(); ++i)
      if (lines[i].name == name) return static_cast<int>(i);
    return -1;
  }
  static bool Checked(const TConfigEditorModel& editor, Group group, const std::string& name) {
    int line = LineOf(editor, group, name);
    return line >= 0 && editor.Lines(group)[static_cast<std::size_t>(line)].checked;
  }
  static constexpr const char* kConfigText =
      "Personality\r\n  Wallpaper\r\n  colors\r\nEndPersonality\r\n"
      "Connectivity\r\n  Computer Name\r\nEndConnectivity\r\n"
      "Files\r\n\"C:\\My Documents\\Budget.xls\"\r\nEndFiles\r\n";
};

TEST_F(ConfigEditorModelTest, ListsShowTheItemsSortedWithTheirTicks) {
  TConfigEditorModel editor;
  Prepare(editor);
  std::vector<std::string> personality = Names(editor.Lines(Group::Personality));
  ASSERT_EQ(personality.size(), 19u);
  EXPECT_EQ(personality.front(), "Accessibility");
  EXPECT_EQ(personality.back(), "Window metrics");
  EXPECT_TRUE(std::is_sorted(personality.begin(), personality.end(),
                             [](const std::string& a, const std::string& b) {
                               return strcasecmp(a.c_str(), b.c_str()) < 0;
                             }));
  EXPECT_FALSE(Checked(editor, Group::Personality, "Printers"));
  EXPECT_TRUE(Checked(editor, Group::Personality, "Start Menu"));
  EXPECT_EQ(Names(editor.Lines(Group::Connectivity)).front(), "Computer Description");
  // The editor keeps the configuration's order for its own lists.
  std::string first;
  bool selected = false;
  ASSERT_TRUE(editor.Personality().GetItem(0, first, selected));
  EXPECT_EQ(first, "Start Menu");

  // Each fill selects its first line; the later fill took the selection.
  EXPECT_EQ(editor.SelectedLine(Group::Personality), -1);
  EXPECT_EQ(editor.SelectedLine(Group::Connectivity), 0);
  EXPECT_EQ(editor.ItemDescription(),
            CurrentConfig().ConnectivityItems.GetDescription(
                CurrentConfig().ConnectivityItems.IndexOf("Computer Description")));
}

TEST_F(ConfigEditorModelTest, SelectingALineClearsTheOtherListAndShowsTheDescription) {
  TSectionNames items;
  items.Add("Zeta", "");
  items.Add("alpha", "First letter");
  TConfigEditorModel editor;
  editor.SetPersonality(items);
  editor.SetConnectivity(CurrentConfig().ConnectivityItems);

  editor.SelectLine(Group::Personality, 0);  // "alpha" sorts first
  EXPECT_EQ(editor.SelectedLine(Group::Personality), 0);
  EXPECT_EQ(editor.SelectedLine(Group::Connectivity), -1);
  EXPECT_EQ(editor.ItemDescription(), "First letter");

  editor.SelectLine(Group::Personality, 1);
  EXPECT_EQ(editor.ItemDescription(), "");  // "Zeta" has none

  editor.SelectLine(Group::Connectivity, 2);
  EXPECT_EQ(editor.SelectedLine(Group::Personality), -1);
  EXPECT_EQ(editor.SelectedLine(Group::Connectivity), 2);

  editor.SelectLine(Group::Personality, 5);  // past the end: nothing changes
  EXPECT_EQ(editor.SelectedLine(Group::Connectivity), 2);
}

TEST_F(ConfigEditorModelTest, TicksChangeTheEditorsFlagsOnly) {
  TConfigEditorModel editor;
  Prepare(editor);
  editor.CheckLine(Group::Personality, LineOf(editor, Group::Personality, "Printers"), true);
  editor.CheckLine(Group::Connectivity, LineOf(editor, Group::Connectivity, "DNS Configuration"),
                   false);
  EXPECT_TRUE(editor.Personality().IsSelected("Printers"));
  EXPECT_FALSE(editor.Connectivity().IsSelected("DNS Configuration"));
  EXPECT_TRUE(editor.Connectivity().IsSelected("WINS Configuration"));
  EXPECT_FALSE(CurrentConfig().PersonalityItems.IsSelected("Printers"));

  editor.SelectNone();
  for (const TCheckLine& l : editor.Lines(Group::Personality)) EXPECT_FALSE(l.checked) << l.name;
  for (const TCheckLine& l : editor.Lines(Group::Connectivity)) EXPECT_FALSE(l.checked) << l.name;
  editor.SelectAll();
  for (const TCheckLine& l : editor.Lines(Group::Personality)) EXPECT_TRUE(l.checked) << l.name;
  for (const TCheckLine& l : editor.Lines(Group::Connectivity)) EXPECT_TRUE(l.checked) << l.name;
}

TEST_F(ConfigEditorModelTest, ReadingBackClearsTheTargetThenCopiesKnownNames) {
  TSectionNames items;
  items.Add("Wallpaper", "");
  items.Add("Mystery", "");
  items.Add("Colors", "");
  items.SetSelected("Colors", false);
  TConfigEditorModel editor;
  editor.SetPersonality(items);

  TSectionNames target = CurrentConfig().PersonalityItems;  // all but Printers ticked
  editor.GetPersonality(target);
  EXPECT_EQ(target.GetCount(), 19);  // items are neither added nor removed
  EXPECT_EQ(target.IndexOf("Mystery"), -1);
  EXPECT_TRUE(target.IsSelected("Wallpaper"));
  EXPECT_FALSE(target.IsSelected("Colors"));
  EXPECT_FALSE(target.IsSelected("Start Menu"));  // the editor does not know it
}

TEST_F(ConfigEditorModelTest, ComboNamesGainTheExtensionWhenLeft) {
  EXPECT_EQ(WithConfigExtension("mycfg"), "mycfg.cfg");
  EXPECT_EQ(WithConfigExtension("A.CFG.bak"), "A.CFG.bak");
  EXPECT_EQ(WithConfigExtension("x.Cfg"), "x.Cfg");
  EXPECT_EQ(WithConfigExtension(""), "");

  TConfigEditorModel editor;
  Prepare(editor);
  editor.SetConfigFileText("");
  EXPECT_FALSE(editor.LeaveConfigFile());
  EXPECT_EQ(editor.ConfigFileText(), "");

  editor.SetConfigFileText("C:\\mycfg");
  EXPECT_FALSE(editor.LeaveConfigFile());  // no such file: nothing loaded
  EXPECT_EQ(editor.ConfigFileText(), "C:\\mycfg.cfg");
  EXPECT_TRUE(editor.GetFileList().empty());

  WriteFile("C:\\mycfg.cfg", kConfigText);
  editor.SetConfigFileText("C:\\mycfg");
  EXPECT_TRUE(editor.LeaveConfigFile());
  EXPECT_EQ(editor.GetFileList(), std::vector<std::string>{"C:\\My Documents\\Budget.xls"});
  EXPECT_TRUE(Checked(editor, Group::Personality, "Colors"));
  EXPECT_FALSE(Checked(editor, Group::Personality, "Start Menu"));
  EXPECT_FALSE(Checked(editor, Group::Connectivity, "DNS Configuration"));
}

TEST_F(ConfigEditorModelTest, OpeningAFileFillsTheEditorButNotTheCurrentConfiguration) {
  WriteFile("C:\\cfg\\office.cfg", kConfigText);
  TConfigEditorModel editor;
  Prepare(editor, "C:\\cfg\\default.cfg");
  ASSERT_TRUE(editor.OpenFile("C:\\cfg\\office.cfg"));
  EXPECT_EQ(editor.ConfigFileText(), "C:\\cfg\\office.cfg");
  EXPECT_EQ(editor.Filename(), "C:\\cfg\\default.cfg");  // OK has not accepted it yet
  EXPECT_TRUE(Checked(editor, Group::Personality, "Wallpaper"));
  EXPECT_FALSE(Checked(editor, Group::Personality, "Shell"));
  EXPECT_EQ(editor.GetFileList().size(), 1u);

  // Cancel now leaves the program's configuration as it was.
  EXPECT_TRUE(CurrentConfig().PersonalityItems.IsSelected("Shell"));
  EXPECT_TRUE(CurrentConfig().ConnectivityItems.IsSelected("DNS Configuration"));
  EXPECT_TRUE(CurrentConfig().FileList.empty());
}

TEST_F(ConfigEditorModelTest, AFileWithoutASectionKeepsTheEditorsSelectionForIt) {
  WriteFile("C:\\p.cfg", "Personality\r\n  Mouse\r\nEndPersonality\r\n");
  TConfigEditorModel editor;
  Prepare(editor);
  editor.CheckLine(Group::Connectivity, LineOf(editor, Group::Connectivity, "Computer Name"),
                   false);
  ASSERT_TRUE(editor.ChooseRecentFile("C:\\p.cfg"));
  EXPECT_EQ(editor.ConfigFileText(), "C:\\p.cfg");
  EXPECT_TRUE(Checked(editor, Group::Personality, "Mouse"));
  EXPECT_FALSE(Checked(editor, Group::Personality, "Keyboard"));
  EXPECT_FALSE(Checked(editor, Group::Connectivity, "Computer Name"));  // the editor's tick
  EXPECT_TRUE(Checked(editor, Group::Connectivity, "TCPIP Configuration"));
  EXPECT_FALSE(editor.ChooseRecentFile("C:\\deleted.cfg"));
  EXPECT_TRUE(Checked(editor, Group::Personality, "Mouse"));
}

TEST_F(ConfigEditorModelTest, SaveAsNamesTheFileAndItsFolderWithoutWriting) {
  ASSERT_EQ(files().MakeFolder("C:\\Start"), err::Success);
  ASSERT_EQ(files().SetCurrentFolder("C:\\Start"), err::Success);
  TConfigEditorModel editor;
  EXPECT_EQ(editor.CurrentFolder(), "C:\\Start");
  editor.SaveFileAs("D:\\Configs\\new.cfg");
  EXPECT_EQ(editor.ConfigFileText(), "D:\\Configs\\new.cfg");
  EXPECT_EQ(editor.CurrentFolder(), "D:\\Configs");
  EXPECT_FALSE(Exists("D:\\Configs\\new.cfg"));
}

TEST_F(ConfigEditorModelTest, DefaultsClearTheDataFilesButKeepTheName) {
  CurrentConfig().FileList = {"C:\\a.txt"};
  CurrentConfig().PersonalityItems.SetAll(false);
  TConfigEditorModel editor;
  Prepare(editor, "C:\\mine.cfg");
  editor.SetConfigFileText("C:\\typed.cfg");
  editor.Defaults();
  EXPECT_TRUE(editor.GetFileList().empty());
  EXPECT_EQ(editor.ConfigFileText(), "C:\\typed.cfg");
  EXPECT_EQ(editor.Filename(), "C:\\mine.cfg");
  EXPECT_TRUE(Checked(editor, Group::Personality, "Start Menu"));
  EXPECT_FALSE(Checked(editor, Group::Personality, "Printers"));
  EXPECT_EQ(editor.SelectedLine(Group::Connectivity), 0);
}

// ---- OK ----

TEST_F(ConfigEditorModelTest, OkWithoutANameAsksForOne) {
  TConfigEditorModel editor;
  Prepare(editor);
  EXPECT_EQ(editor.Accept(), Result::EmptyName);
  ASSERT_EQ(prompts().size(), 1u);
  EXPECT_EQ(prompts()[0].text, "Enter a valid file name");
  EXPECT_EQ(prompts()[0].caption, "Qorvel");
  EXPECT_EQ(editor.Filename(), "");
}

TEST_F(ConfigEditorModelTest, OkWithANewNameThatExistsAsksBeforeReplacing) {
  WriteFile("C:\\other.cfg", kConfigText);
  TConfigEditorModel editor;
  Prepare(editor, "C:\\mine.cfg");
  editor.SetConfigFileText("C:\\other");

  machine().QueueAnswer(id::No);
  EXPECT_EQ(editor.Accept(), Result::NotReplaced);
  ASSERT_EQ(prompts().size(), 1u);
  EXPECT_EQ(prompts()[0].text,
            "C:\\other.cfg\nThis file already exists\n\nReplace existing file ?");
  EXPECT_EQ(prompts()[0].caption, "Qorvel : Confirm");
  EXPECT_EQ(prompts()[0].style & mb::ButtonsMask, mb::YesNo);
  EXPECT_EQ(editor.Filename(), "C:\\mine.cfg");

  machine().QueueAnswer(id::Yes);
  EXPECT_EQ(editor.Accept(), Result::Accepted);
  EXPECT_EQ(editor.Filename(), "C:\\other.cfg");
  // Proving the file writable does not empty it: only the later save
  // writes it.
  EXPECT_EQ(ReadFile("C:\\other.cfg"), kConfigText);
}

TEST_F(ConfigEditorModelTest, OkWithTheOpeningNameOrANewFileDoesNotAsk) {
  WriteFile("C:\\mine.cfg", kConfigText);
  TConfigEditorModel editor;
  Prepare(editor, "C:\\mine.cfg");
  editor.SetConfigFileText("c:\\MINE.CFG");
  EXPECT_EQ(editor.Accept(), Result::Accepted);
  EXPECT_TRUE(prompts().empty());
  EXPECT_EQ(editor.Filename(), "c:\\MINE.CFG");
  EXPECT_EQ(ReadFile("C:\\mine.cfg"), kConfigText);

  editor.SetConfigFileText("C:\\brand new");
  EXPECT_EQ(editor.Accept(), Result::Accepted);
  EXPECT_TRUE(prompts().empty());
  EXPECT_EQ(editor.Filename(), "C:\\brand new.cfg");
  EXPECT_EQ(editor.ConfigFileText(), "C:\\brand new.cfg");
  EXPECT_EQ(ReadFile("C:\\brand new.cfg"), "");  // created to prove it can be
}

TEST_F(ConfigEditorModelTest, OkWithAFileThatCannotBeCreatedStaysOpen) {
  WriteFile("C:\\locked.cfg", "x");
  ASSERT_EQ(files().SetAttributes("C:\\locked.cfg", fattr::ReadOnly), err::Success);
  TConfigEditorModel editor;
  Prepare(editor, "C:\\locked.cfg");
  EXPECT_EQ(editor.Accept(), Result::CannotCreate);
  ASSERT_EQ(prompts().size(), 1u);
  EXPECT_EQ(prompts()[0].text, "Cannot create C:\\locked.cfg");
  EXPECT_EQ(prompts()[0].caption, "Qorvel : Error");
  EXPECT_EQ(prompts()[0].style & mb::IconMask, mb::IconError);

  editor.SetConfigFileText("Q:\\no drive\\x.cfg");
  EXPECT_EQ(editor.Accept(), Result::CannotCreate);
  EXPECT_EQ(editor.Filename(), "C:\\locked.cfg");
  EXPECT_TRUE(editor.RecentFiles().empty());
}

TEST_F(ConfigEditorModelTest, AcceptedNamesAreRememberedNewestFirstUpToEight) {
  {
    TConfigEditorModel editor;
    for (int i = 1; i <= 9; ++i) {
      editor.SetConfigFileText("C:\\c" + std::to_string(i));
      ASSERT_EQ(editor.Accept(), Result::Accepted) << i;
    }
    editor.SetConfigFileText("C:\\C5.CFG");
    ASSERT_EQ(editor.Accept(), Result::Accepted);
    ASSERT_EQ(editor.RecentFiles().size(), 8u);
    EXPECT_EQ(editor.RecentFiles()[0], "C:\\C5.CFG");
    EXPECT_EQ(editor.RecentFiles()[1], "C:\\c9.cfg");
    EXPECT_EQ(editor.RecentFiles()[7], "C:\\c2.cfg");
  }
  EXPECT_EQ(UTLGetRegString(hkey::CurrentUser, "Software\\ZTR\\Qorvel\\CFGList\\CFG Items", "I0",
                            ""),
            "C:\\C5.CFG");
  TConfigEditorModel next;
  ASSERT_EQ(next.RecentFiles().size(), 8u);
  EXPECT_EQ(next.RecentFiles()[1], "C:\\c9.cfg");
}

// ---- Data files ----

TEST_F(ConfigEditorModelTest, DataFilesGoThroughThePicker) {
  CurrentConfig().FileList = {"C:\\a.txt", "C:\\*.doc"};
  TConfigEditorModel editor;
  Prepare(editor);

  bool shown = false;
  EXPECT_TRUE(editor.EditDataFiles([&](TDataFileModel& picker) {
    shown = true;
    EXPECT_EQ(picker.GetFileList(), (std::vector<std::string>{"C:\\a.txt", "C:\\*.doc"}));
    picker.SetSelected(0, true);
    picker.DeleteSelected();
    picker.SetEditText("D:\\notes");
    picker.AddFromEdit();
    return true;
  }));
  EXPECT_TRUE(shown);
  EXPECT_EQ(editor.GetFileList(), (std::vector<std::string>{"C:\\*.doc", "D:\\notes"}));
  EXPECT_EQ(log(), (std::vector<std::string>{"Creating DataFileForm", "DataFileForm Created.",
                                             "SetFileList : ", "SetFileList : returned.",
                                             "Showing form..."}));

  // Cancel keeps the editor's list.
  EXPECT_FALSE(editor.EditDataFiles([](TDataFileModel& picker) {
    picker.SelectAll();
    picker.DeleteSelected();
    return false;
  }));
  EXPECT_EQ(editor.GetFileList().size(), 2u);
}

}  // namespace
}  // namespace qv::test
