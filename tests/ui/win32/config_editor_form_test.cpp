// The configuration editor under Wine: its controls and captions, the check
// lists with their ticks and selection, the configuration-file box, Select
// all / none, Defaults, OK with its questions, and the data-file picker it
// opens; shown modally and driven from a second thread.
#include "ui/win32/config_editor_form.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "config/cat_config.h"
#include "config/options.h"
#include "engine/file_utils.h"
#include "engine/program.h"
#include "platform/prompts.h"
#include "ui/logic/main_model.h"
#include "ui/win32/forms.h"
#include "ui/win32/forms_resource.h"
#include "ui/win32/forms_test_support.h"

namespace qv::test {
namespace {

class ConfigEditorFormTest : public FormTest {
 protected:
  // The editor as the main window prepares it from the current configuration.
  void Prepare(TConfigEditorModel& editor, const std::string& fileName) {
    editor.SetFileList(CurrentConfig().FileList);
    editor.SetPersonality(CurrentConfig().PersonalityItems);
    editor.SetConnectivity(CurrentConfig().ConnectivityItems);
    editor.SetFilename(fileName);
  }
  static HWND Personality(HWND window) { return GetDlgItem(window, IDC_cklbPersonalityItems); }
  static HWND Connectivity(HWND window) { return GetDlgItem(window, IDC_cklbConnectivityItems); }
  static bool Selected(const TSectionNames& items, const std::string& name) {
    std::string n;
    bool selected = false;
    for (int i = 0; items.GetItem(i, n, selected); ++i)
      if (n == name) return selected;
    ADD_FAILURE() << "no item " << name;
    return false;
  }
  static constexpr const char* kConfigText =
      "Personality\r\n  Wallpaper\r\n  colors\r\nEndPersonality\r\n"
      "Connectivity\r\n  Computer Name\r\nEndConnectivity\r\n"
      "Files\r\n\"C:\\My Documents\\Budget.xls\"\r\nEndFiles\r\n";
};

TEST_F(ConfigEditorFormTest, ShowsTheConfigurationAndOkReturnsTheTicks) {
  ForceFolders("C:\\Configs");
  const std::string name = "C:\\Configs\\office.cfg";
  TConfigEditorModel editor;
  Prepare(editor, name);
  struct Seen {
    std::string combo, description, expectedDescription;
    std::vector<std::string> personality, connectivity, captions, hints;
    bool startMenu = false, printers = true, screenshot = false;
    int personalitySelected = -1, connectivitySelected = -1;
    bool okEnabled = false, checkBoxes = false;
  } seen;
  const TSectionNames& connectivity = CurrentConfig().ConnectivityItems;
  seen.expectedDescription =
      connectivity.GetDescription(connectivity.IndexOf("Computer Description"));
  WindowDriver driver("Configuration Editor", [&](HWND window) {
    seen.combo = ItemTextOf(window, IDC_cbConfigFile);
    seen.personality = ListColumn(Personality(window));
    seen.connectivity = ListColumn(Connectivity(window));
    for (int id : {IDC_gbPersonality, IDC_gbConnectivity, IDC_lbCurrFolder, IDC_btDefaults,
                   IDC_btSelectAll, IDC_btSelectNone, IDC_btFiles, IDOK, IDCANCEL})
      seen.captions.push_back(ItemTextOf(window, id));
    seen.checkBoxes = (SendMessageA(Personality(window), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) &
                       LVS_EX_CHECKBOXES) != 0;
    seen.startMenu = ListChecked(Personality(window), FindListItem(Personality(window), "Start Menu"));
    seen.printers = ListChecked(Personality(window), FindListItem(Personality(window), "Printers"));
    seen.personalitySelected = SelectedCount(Personality(window));
    seen.connectivitySelected = SelectedCount(Connectivity(window));
    seen.description = ItemTextOf(window, IDC_txtItemDescription);
    seen.okEnabled = ItemEnabled(window, IDOK);
    for (int id : {IDC_btOpenFile, IDC_btSaveFileAs, IDOK}) seen.hints.push_back(HintOf(window, id));
    seen.screenshot = SaveScreenshot(window, "config_editor");
    // A person ticks Printers and clears the Start Menu, then presses OK.
    SetListChecked(Personality(window), FindListItem(Personality(window), "Printers"), true);
    SetListChecked(Personality(window), FindListItem(Personality(window), "Start Menu"), false);
    Press(window, IDOK);
  });
  ASSERT_TRUE(ShowConfigEditor(nullptr, editor));
  ASSERT_TRUE(driver.Join());

  EXPECT_EQ(seen.combo, name);
  ASSERT_EQ(seen.personality.size(), 19u);
  EXPECT_EQ(seen.personality.front(), "Accessibility");
  EXPECT_EQ(seen.personality.back(), "Window metrics");
  ASSERT_EQ(seen.connectivity.size(), 9u);
  EXPECT_EQ(seen.connectivity.front(), "Computer Description");
  EXPECT_EQ(seen.captions,
            (std::vector<std::string>{"Personality", "Connectivity", "Current Folder :",
                                      "&Defaults", "&Select all", "Select &none", "Data &files...",
                                      "OK", "Cancel"}));
  EXPECT_TRUE(seen.checkBoxes);
  EXPECT_TRUE(seen.startMenu);
  EXPECT_FALSE(seen.printers);
  // The later fill took the selection: the connectivity list's first line.
  EXPECT_EQ(seen.personalitySelected, 0);
  EXPECT_EQ(seen.connectivitySelected, 1);
  EXPECT_EQ(seen.description, seen.expectedDescription);
  EXPECT_TRUE(seen.okEnabled);
  EXPECT_EQ(seen.hints, (std::vector<std::string>{"Open an existing configuration file",
                                                  "Save the current configuration as a new file",
                                                  "Save the configuration"}));
  EXPECT_TRUE(seen.screenshot);

  // The editor's name was accepted without a question, and the file proved
  // writable.
  EXPECT_TRUE(prompts().empty());
  EXPECT_EQ(editor.Filename(), name);
  EXPECT_TRUE(Exists(name));
  ASSERT_FALSE(editor.RecentFiles().empty());
  EXPECT_EQ(editor.RecentFiles().front(), name);
  TSectionNames result = CurrentConfig().PersonalityItems;
  editor.GetPersonality(result);
  EXPECT_TRUE(Selected(result, "Printers"));
  EXPECT_FALSE(Selected(result, "Start Menu"));
  EXPECT_TRUE(Selected(result, "Wallpaper"));
}

TEST_F(ConfigEditorFormTest, SelectionTicksDefaultsAndTheConfigFileBox) {
  ForceFolders("C:\\Configs");
  WriteFile("C:\\Configs\\other.cfg", kConfigText);
  TConfigEditorModel editor;
  Prepare(editor, "");
  struct Seen {
    std::string wallpaperDescription, expectedWallpaper;
    int connectivityAfterSelect = -1;
    int noneChecked = -1, allChecked = -1, allCount = 0;
    std::string typed, kept;
    std::vector<std::string> loadedChecked;
    int defaultsChecked = -1, expectedDefaults = 0;
  } seen;
  const TSectionNames& personality = CurrentConfig().PersonalityItems;
  seen.expectedWallpaper = personality.GetDescription(personality.IndexOf("Wallpaper"));
  TCatConfig defaults;
  std::string n;
  bool s = false;
  for (int i = 0; defaults.PersonalityItems.GetItem(i, n, s); ++i) seen.expectedDefaults += s;
  WindowDriver driver("Configuration Editor", [&](HWND window) {
    // Selecting a personality line clears the connectivity selection.
    SelectListItem(Personality(window), FindListItem(Personality(window), "Wallpaper"));
    seen.wallpaperDescription = ItemTextOf(window, IDC_txtItemDescription);
    seen.connectivityAfterSelect = SelectedCount(Connectivity(window));

    Press(window, IDC_btSelectNone);
    seen.noneChecked = CheckedCount(Personality(window)) + CheckedCount(Connectivity(window));
    Press(window, IDC_btSelectAll);
    seen.allChecked = CheckedCount(Personality(window)) + CheckedCount(Connectivity(window));
    seen.allCount = ListCount(Personality(window)) + ListCount(Connectivity(window));

    // Leaving the box adds ".cfg"; a name that holds ".CFG" stays.
    FocusItem(window, IDC_cbConfigFile);
    SetText(window, IDC_cbConfigFile, "C:\\Configs\\mycfg");
    FocusItem(window, IDC_cklbPersonalityItems);
    seen.typed = ItemTextOf(window, IDC_cbConfigFile);
    FocusItem(window, IDC_cbConfigFile);
    SetText(window, IDC_cbConfigFile, "A.CFG.bak");
    FocusItem(window, IDC_cklbPersonalityItems);
    seen.kept = ItemTextOf(window, IDC_cbConfigFile);

    // Leaving it with an existing file loads that file's selection.
    FocusItem(window, IDC_cbConfigFile);
    SetText(window, IDC_cbConfigFile, "C:\\Configs\\other");
    FocusItem(window, IDC_btDefaults);
    for (HWND list : {Personality(window), Connectivity(window)})
      for (int i = 0; i < ListCount(list); ++i)
        if (ListChecked(list, i)) seen.loadedChecked.push_back(ListText(list, i));

    Press(window, IDC_btDefaults);
    // The focus back in the box when the window closes.
    FocusItem(window, IDC_cbConfigFile);
    seen.defaultsChecked = CheckedCount(Personality(window));
    Press(window, IDCANCEL);
  });
  EXPECT_FALSE(ShowConfigEditor(nullptr, editor));
  ASSERT_TRUE(driver.Join());

  EXPECT_EQ(seen.wallpaperDescription, seen.expectedWallpaper);
  EXPECT_EQ(seen.connectivityAfterSelect, 0);
  EXPECT_EQ(seen.noneChecked, 0);
  EXPECT_EQ(seen.allChecked, seen.allCount);
  EXPECT_EQ(seen.allCount, 28);
  EXPECT_EQ(seen.typed, "C:\\Configs\\mycfg.cfg");
  EXPECT_EQ(seen.kept, "A.CFG.bak");
  EXPECT_EQ(seen.loadedChecked,
            (std::vector<std::string>{"Colors", "Wallpaper", "Computer Name"}));
  EXPECT_EQ(seen.defaultsChecked, seen.expectedDefaults);
  // Defaults cleared the data files of the loaded file; Cancel accepted no name.
  EXPECT_TRUE(editor.GetFileList().empty());
  EXPECT_EQ(editor.Filename(), "");
  EXPECT_EQ(editor.ConfigFileText(), "C:\\Configs\\other.cfg");
}

TEST_F(ConfigEditorFormTest, OkAsksAndStaysOpenUntilTheNameIsGood) {
  ForceFolders("C:\\Configs");
  WriteFile("C:\\Configs\\taken.cfg", kConfigText);
  TConfigEditorModel editor;
  Prepare(editor, "C:\\Configs\\mine.cfg");
  struct Seen {
    bool openAfterEmpty = false, openAfterNo = false, openAfterCannot = false;
    std::size_t promptsAfterEmpty = 0;
  } seen;
  // Every box takes one answer: the notice, No, the error, Yes.
  machine().QueueAnswer(id::Ok);
  machine().QueueAnswer(id::No);
  machine().QueueAnswer(id::Ok);
  machine().QueueAnswer(id::Yes);
  WindowDriver driver("Configuration Editor", [&](HWND window) {
    SetText(window, IDC_cbConfigFile, "");
    Press(window, IDOK);
    seen.openAfterEmpty = IsWindowVisible(window) != FALSE;
    // Another existing file: the first answer is No.
    SetText(window, IDC_cbConfigFile, "C:\\Configs\\taken");
    Press(window, IDOK);
    seen.openAfterNo = IsWindowVisible(window) != FALSE;
    // A folder that does not exist: the file cannot be created.
    SetText(window, IDC_cbConfigFile, "C:\\Missing\\x.cfg");
    Press(window, IDOK);
    seen.openAfterCannot = IsWindowVisible(window) != FALSE;
    // The existing file again, answered Yes.
    SetText(window, IDC_cbConfigFile, "C:\\Configs\\taken.cfg");
    Press(window, IDOK);
  });
  EXPECT_TRUE(ShowConfigEditor(nullptr, editor));
  ASSERT_TRUE(driver.Join());
  EXPECT_TRUE(seen.openAfterEmpty);
  EXPECT_TRUE(seen.openAfterNo);
  EXPECT_TRUE(seen.openAfterCannot);
  const std::string question =
      "C:\\Configs\\taken.cfg\nThis file already exists\n\nReplace existing file ?";
  EXPECT_EQ(promptTexts(), (std::vector<std::string>{"Enter a valid file name", question,
                                                     "Cannot create C:\\Missing\\x.cfg",
                                                     question}));
  ASSERT_EQ(prompts().size(), 4u);
  EXPECT_EQ(prompts()[2].caption, "Qorvel : Error");
  EXPECT_EQ(editor.Filename(), "C:\\Configs\\taken.cfg");
  // The box held the focus when the window closed: the existing file it
  // names was not loaded over the editor's ticks.
  TSectionNames result = CurrentConfig().PersonalityItems;
  editor.GetPersonality(result);
  EXPECT_TRUE(Selected(result, "Start Menu"));
  // Proving the file writable did not empty it.
  EXPECT_EQ(ReadFile("C:\\Configs\\taken.cfg"), kConfigText);
}

TEST_F(ConfigEditorFormTest, DataFilesButtonOpensThePickerAndTakesItsList) {
  WriteFile("C:\\Data\\notes.txt", std::string(100, 'n'));
  TConfigEditorModel editor;
  Prepare(editor, "");
  editor.SetFileList({"C:\\Data\\*.doc"});
  bool pickerSeen = false;
  std::vector<std::string> pickerNames;
  WindowDriver driver("Configuration Editor", [&](HWND window) {
    WindowDriver picker("Data Files", [&](HWND files) {
      pickerNames = ListColumn(GetDlgItem(files, IDC_lvFiles));
      SetText(files, IDC_edFilename, "C:\\Data\\notes.txt");
      Press(files, IDC_btAdd);
      Press(files, IDOK);
    });
    // The picker is modal: post, so that this thread can drive it.
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_btFiles, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, IDC_btFiles)));
    pickerSeen = picker.Join();
    WaitUntil([&] { return IsWindowEnabled(window) != FALSE; });
    Press(window, IDCANCEL);
  });
  EXPECT_FALSE(ShowConfigEditor(nullptr, editor));
  ASSERT_TRUE(driver.Join());
  ASSERT_TRUE(pickerSeen);
  EXPECT_EQ(pickerNames, (std::vector<std::string>{"C:\\Data\\*.doc"}));
  EXPECT_EQ(editor.GetFileList(),
            (std::vector<std::string>{"C:\\Data\\*.doc", "C:\\Data\\notes.txt"}));
  const std::vector<std::string> expectedLog = {"Creating DataFileForm", "DataFileForm Created.",
                                                "SetFileList : ", "SetFileList : returned.",
                                                "Showing form..."};
  std::vector<std::string> lines = log();
  EXPECT_NE(std::search(lines.begin(), lines.end(), expectedLog.begin(), expectedLog.end()),
            lines.end());
}

TEST_F(ConfigEditorFormTest, OpenAndSaveAsGoThroughTheFileDialogs) {
  const std::string opened = FreshTempFile("qorvel_open_test.cfg");
  {
    std::ofstream out(opened, std::ios::binary);
    out << kConfigText;
  }
  ForceFolders(FolderOf(opened));
  WriteFile(opened, kConfigText);
  const std::string savedAs = FreshTempFile("qorvel_saveas_test.cfg");
  TConfigEditorModel editor;
  Prepare(editor, "");
  struct Seen {
    bool openAnswered = false, saveAnswered = false;
    std::string comboAfterOpen, comboAfterSave, folderAfterSave;
    bool startMenuAfterOpen = true, wallpaperAfterOpen = false;
  } seen;
  WindowDriver driver("Configuration Editor", [&](HWND window) {
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_btOpenFile, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, IDC_btOpenFile)));
    seen.openAnswered = AnswerSaveDialog("Select Configuration file", opened);
    WaitUntil([&] { return ItemTextOf(window, IDC_cbConfigFile) == opened; });
    seen.comboAfterOpen = ItemTextOf(window, IDC_cbConfigFile);
    seen.startMenuAfterOpen =
        ListChecked(Personality(window), FindListItem(Personality(window), "Start Menu"));
    seen.wallpaperAfterOpen =
        ListChecked(Personality(window), FindListItem(Personality(window), "Wallpaper"));

    PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_btSaveFileAs, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, IDC_btSaveFileAs)));
    seen.saveAnswered = AnswerSaveDialog("Save Configuration file as", savedAs);
    WaitUntil([&] { return ItemTextOf(window, IDC_cbConfigFile) == savedAs; });
    seen.comboAfterSave = ItemTextOf(window, IDC_cbConfigFile);
    seen.folderAfterSave = ItemTextOf(window, IDC_txtCurrFolder);
    Press(window, IDCANCEL);
  });
  EXPECT_FALSE(ShowConfigEditor(nullptr, editor));
  ASSERT_TRUE(driver.Join());
  DeleteFileA(opened.c_str());
  EXPECT_TRUE(seen.openAnswered);
  EXPECT_EQ(seen.comboAfterOpen, opened);
  EXPECT_FALSE(seen.startMenuAfterOpen);
  EXPECT_TRUE(seen.wallpaperAfterOpen);
  EXPECT_EQ(editor.GetFileList(), (std::vector<std::string>{"C:\\My Documents\\Budget.xls"}));
  EXPECT_TRUE(seen.saveAnswered);
  EXPECT_EQ(seen.comboAfterSave, savedAs);
  EXPECT_EQ(seen.folderAfterSave, FolderOf(savedAs));
  // Save as names the file; nothing is written before OK.
  EXPECT_FALSE(Exists(savedAs));
  EXPECT_EQ(GetFileAttributesA(savedAs.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(ConfigEditorFormTest, RecentFilesFillTheDropDownAndLoadWhenChosen) {
  ForceFolders("C:\\Configs");
  WriteFile("C:\\Configs\\other.cfg", kConfigText);
  {
    // An editor accepted two files; the later one comes first.
    TConfigEditorModel earlier;
    Prepare(earlier, "");
    earlier.SetConfigFileText("C:\\Configs\\other.cfg");
    machine().QueueAnswer(id::Yes);  // replace the existing file
    ASSERT_EQ(earlier.Accept(), TConfigEditorModel::TAcceptResult::Accepted);
    earlier.SetConfigFileText("C:\\Configs\\new.cfg");
    ASSERT_EQ(earlier.Accept(), TConfigEditorModel::TAcceptResult::Accepted);
  }
  TConfigEditorModel editor;
  Prepare(editor, "C:\\Configs\\new.cfg");
  std::vector<std::string> dropDown;
  std::string combo;
  bool startMenu = true, wallpaper = false;
  WindowDriver driver("Configuration Editor", [&](HWND window) {
    HWND box = GetDlgItem(window, IDC_cbConfigFile);
    const int count = static_cast<int>(SendMessageA(box, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      char text[MAX_PATH] = "";
      SendMessageA(box, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
      dropDown.push_back(text);
    }
    // Choosing the second entry of the drop-down loads it.
    SendMessageA(box, CB_SETCURSEL, 1, 0);
    Notify(window, IDC_cbConfigFile, CBN_SELENDOK);
    combo = ItemTextOf(window, IDC_cbConfigFile);
    startMenu = ListChecked(Personality(window), FindListItem(Personality(window), "Start Menu"));
    wallpaper = ListChecked(Personality(window), FindListItem(Personality(window), "Wallpaper"));
    Press(window, IDCANCEL);
  });
  EXPECT_FALSE(ShowConfigEditor(nullptr, editor));
  ASSERT_TRUE(driver.Join());
  EXPECT_EQ(dropDown, (std::vector<std::string>{"C:\\Configs\\new.cfg", "C:\\Configs\\other.cfg"}));
  EXPECT_EQ(combo, "C:\\Configs\\other.cfg");
  EXPECT_FALSE(startMenu);
  EXPECT_TRUE(wallpaper);
  EXPECT_EQ(editor.GetFileList(), (std::vector<std::string>{"C:\\My Documents\\Budget.xls"}));
}

// The main window's Configure command with this editor: after OK the
// configuration takes the ticks and is saved to the editor's file.
TEST_F(ConfigEditorFormTest, ConfigureCommandSavesWhatTheEditorAccepted) {
  ForceFolders("C:\\Configs");
  Options().ConfigFile = "C:\\Configs\\main.cfg";
  TMainWindowHooks hooks;
  hooks.ShowEditor = [](TConfigEditorModel& editor) { return ShowConfigEditor(nullptr, editor); };
  TMainModel main(nullptr, hooks);
  WindowDriver driver("Configuration Editor", [&](HWND window) {
    Press(window, IDC_btSelectNone);
    SetListChecked(Connectivity(window), FindListItem(Connectivity(window), "Computer Name"), true);
    Press(window, IDOK);
  });
  EXPECT_TRUE(main.ConfigureCommand());
  ASSERT_TRUE(driver.Join());
  EXPECT_TRUE(Selected(CurrentConfig().ConnectivityItems, "Computer Name"));
  EXPECT_FALSE(Selected(CurrentConfig().PersonalityItems, "Start Menu"));
  const std::string saved = ReadFile("C:\\Configs\\main.cfg");
  EXPECT_NE(saved.find("Computer Name"), std::string::npos) << saved;
  EXPECT_EQ(saved.find("Start Menu"), std::string::npos) << saved;
}

}  // namespace
}  // namespace qv::test
