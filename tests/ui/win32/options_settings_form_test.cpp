// The options dialog and the settings viewer under Wine: controls, captions
// and enabled states, OK with a missing folder, Cancel, and the viewer's
// lists, tabs and descriptions; shown modally and driven from a second
// thread.
#include <gtest/gtest.h>

#include "config/cat_config.h"
#include "config/options.h"
#include "engine/program.h"
#include "ui/logic/settings_view_model.h"
#include "ui/win32/forms.h"
#include "ui/win32/forms_resource.h"
#include "ui/win32/forms_test_support.h"
#include "ui/win32/settings_view_form.h"
#include "ui/win32/ui_support.h"

namespace qv::test {
namespace {

using OptionsFormTest = FormTest;

TEST_F(OptionsFormTest, ShowsTheBackupOptionsAndChecksTheFolder) {
  ForceFolders("C:\\Backups");
  Options().CreateBackup = true;
  Options().BackupDir = "C:\\Temp\\";
  struct Seen {
    std::string tab, check, label, browse, note, edit;
    bool checked = false, editOn = false, editOff = true, browseOff = true, labelOff = true;
    bool editBackOn = false, openAfterMissing = false, screenshot = false;
  } seen;
  WindowDriver driver("Options", [&](HWND window) {
    char text[64] = "";
    TCITEMA tab{};
    tab.mask = TCIF_TEXT;
    tab.pszText = text;
    tab.cchTextMax = sizeof text;
    SendMessageA(GetDlgItem(window, IDC_pcOptions), TCM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tab));
    seen.tab = text;
    seen.check = ItemTextOf(window, IDC_ckDoBackup);
    seen.label = ItemTextOf(window, IDC_txtBackupToFolder);
    seen.browse = ItemTextOf(window, IDC_btChooseFolder);
    seen.note = ItemTextOf(window, IDC_txtBackupNote);
    seen.edit = ItemTextOf(window, IDC_edBackupDir);
    seen.checked = IsDlgButtonChecked(window, IDC_ckDoBackup) == BST_CHECKED;
    seen.editOn = ItemEnabled(window, IDC_edBackupDir);
    seen.screenshot = SaveScreenshot(window, "options");
    // Unticking disables the folder's controls, ticking enables them again.
    SendMessageA(GetDlgItem(window, IDC_ckDoBackup), BM_SETCHECK, BST_UNCHECKED, 0);
    Press(window, IDC_ckDoBackup);
    seen.editOff = ItemEnabled(window, IDC_edBackupDir);
    seen.browseOff = ItemEnabled(window, IDC_btChooseFolder);
    seen.labelOff = ItemEnabled(window, IDC_txtBackupToFolder);
    SendMessageA(GetDlgItem(window, IDC_ckDoBackup), BM_SETCHECK, BST_CHECKED, 0);
    Press(window, IDC_ckDoBackup);
    seen.editBackOn = ItemEnabled(window, IDC_edBackupDir);
    // A folder that does not exist keeps the dialog open.
    SetText(window, IDC_edBackupDir, "C:\\Nowhere");
    Press(window, IDOK);
    seen.openAfterMissing = IsWindowVisible(window) != FALSE;
    SetText(window, IDC_edBackupDir, "C:\\Backups");
    Press(window, IDOK);
  });
  EXPECT_TRUE(ShowOptions(nullptr));
  ASSERT_TRUE(driver.Join());
  EXPECT_EQ(seen.tab, "Backup");
  EXPECT_EQ(seen.check, "Backup current settings before loading .QRV files");
  EXPECT_EQ(seen.label, "To folder :");
  EXPECT_EQ(seen.browse, "&Browse...");
  EXPECT_EQ(seen.note,
            "A backup file is automatically created when a new settings file is loaded. This "
            "enables you to restore the system to a previous state at any time.");
  EXPECT_EQ(seen.edit, "C:\\Temp\\");
  EXPECT_TRUE(seen.checked);
  EXPECT_TRUE(seen.editOn);
  EXPECT_FALSE(seen.editOff);
  EXPECT_FALSE(seen.browseOff);
  EXPECT_FALSE(seen.labelOff);
  EXPECT_TRUE(seen.editBackOn);
  EXPECT_TRUE(seen.openAfterMissing);
  EXPECT_TRUE(seen.screenshot);
  EXPECT_EQ(promptTexts(), (std::vector<std::string>{"Backup Directory C:\\Nowhere does not exist."}));
  EXPECT_TRUE(Options().CreateBackup);
  EXPECT_EQ(Options().BackupDir, "C:\\Backups");
}

TEST_F(OptionsFormTest, UntickedFolderIsNotCheckedAndCancelChangesNothing) {
  Options().CreateBackup = true;
  Options().BackupDir = "C:\\Temp\\";
  WindowDriver cancel("Options", [&](HWND window) {
    SendMessageA(GetDlgItem(window, IDC_ckDoBackup), BM_SETCHECK, BST_UNCHECKED, 0);
    Press(window, IDC_ckDoBackup);
    SetText(window, IDC_edBackupDir, "C:\\Elsewhere");
    Press(window, IDCANCEL);
  });
  EXPECT_FALSE(ShowOptions(nullptr));
  ASSERT_TRUE(cancel.Join());
  EXPECT_TRUE(Options().CreateBackup);
  EXPECT_EQ(Options().BackupDir, "C:\\Temp\\");

  WindowDriver ok("Options", [&](HWND window) {
    SendMessageA(GetDlgItem(window, IDC_ckDoBackup), BM_SETCHECK, BST_UNCHECKED, 0);
    Press(window, IDC_ckDoBackup);
    SetText(window, IDC_edBackupDir, "C:\\Nowhere");
    Press(window, IDOK);
  });
  EXPECT_TRUE(ShowOptions(nullptr));
  ASSERT_TRUE(ok.Join());
  EXPECT_TRUE(prompts().empty());
  EXPECT_FALSE(Options().CreateBackup);
  EXPECT_EQ(Options().BackupDir, "C:\\Nowhere");
}

// The folder browser of "&Browse...": its title, the edit box's folder
// selected at first and shown as the status text, and OK putting the chosen
// folder into the edit box.
TEST_F(OptionsFormTest, BrowseChoosesTheBackupFolder) {
  char windows[MAX_PATH] = "";
  GetWindowsDirectoryA(windows, sizeof windows);
  Options().CreateBackup = true;
  Options().BackupDir = windows;
  struct Seen {
    bool browserShown = false, titleShown = false;
    std::string status, edit;
  } seen;
  WindowDriver driver("Options", [&](HWND window) {
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_btChooseFolder, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, IDC_btChooseFolder)));
    HWND browser = WaitForWindow("Browse for Folder");
    seen.browserShown = browser != nullptr;
    if (browser) {
      // The title and the status text are labels of the browser.
      auto labels = [&] {
        std::vector<std::string> texts;
        for (HWND child = GetWindow(browser, GW_CHILD); child;
             child = GetWindow(child, GW_HWNDNEXT)) {
          char cls[32] = "";
          GetClassNameA(child, cls, sizeof cls);
          if (lstrcmpiA(cls, "Static") == 0) texts.push_back(TextOf(child));
        }
        return texts;
      };
      WaitUntil([&] {
        for (const std::string& t : labels())
          if (lstrcmpiA(t.c_str(), windows) == 0) return true;
        return false;
      }, 5000);
      for (const std::string& t : labels()) {
        if (t == "Select the location for backup files.") seen.titleShown = true;
        if (lstrcmpiA(t.c_str(), windows) == 0) seen.status = t;
      }
      SaveScreenshot(browser, "options_folder_browser");
      PostMessageA(browser, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(browser, IDOK)));
      WaitUntil([&] { return !IsWindow(browser); });
    }
    WaitUntil([&] { return IsWindowEnabled(window) != FALSE; });
    seen.edit = ItemTextOf(window, IDC_edBackupDir);
    Press(window, IDCANCEL);
  });
  EXPECT_FALSE(ShowOptions(nullptr));
  ASSERT_TRUE(driver.Join());
  ASSERT_TRUE(seen.browserShown);
  EXPECT_TRUE(seen.titleShown);
  EXPECT_EQ(lstrcmpiA(seen.status.c_str(), windows), 0) << seen.status;
  EXPECT_EQ(lstrcmpiA(seen.edit.c_str(), windows), 0) << seen.edit;
}

using SettingsViewFormTest = FormTest;

TEST_F(SettingsViewFormTest, ListsTheItemsAndDescribesTheOneClicked) {
  struct Seen {
    std::vector<std::string> tabs, personality;
    int connectivityCount = 0;
    bool personalityShown = false, connectivityHidden = true;
    bool connectivityShownAfterTab = false, personalityHiddenAfterTab = true;
    std::string wallpaper, computerName, groups[2], close;
    bool readOnly = false, screenshot = false;
  } seen;
  auto select = [](HWND window, int id, const std::string& name) {
    HWND list = GetDlgItem(window, id);
    int index = static_cast<int>(
        SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(name.c_str())));
    SendMessageA(list, LB_SETCURSEL, index, 0);
    Notify(window, id, LBN_SELCHANGE);
  };
  TSettingsViewForm form;
  WindowDriver driver("Current Settings", [&](HWND window) {
    HWND tabs = GetDlgItem(window, IDC_pcSettings);
    for (int i = 0; i < TabCtrl_GetItemCount(tabs); ++i) {
      char text[64] = "";
      TCITEMA tab{};
      tab.mask = TCIF_TEXT;
      tab.pszText = text;
      tab.cchTextMax = sizeof text;
      SendMessageA(tabs, TCM_GETITEMA, i, reinterpret_cast<LPARAM>(&tab));
      seen.tabs.push_back(text);
    }
    HWND personality = GetDlgItem(window, IDC_lbPersonalityItems);
    const int count = static_cast<int>(SendMessageA(personality, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      char text[128] = "";
      SendMessageA(personality, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
      seen.personality.push_back(text);
    }
    seen.connectivityCount = static_cast<int>(
        SendMessageA(GetDlgItem(window, IDC_lbConnectivityItems), LB_GETCOUNT, 0, 0));
    seen.personalityShown = ItemVisible(window, IDC_lbPersonalityItems);
    seen.connectivityHidden = ItemVisible(window, IDC_lbConnectivityItems);
    seen.groups[0] = ItemTextOf(window, IDC_gbSettings);
    seen.groups[1] = ItemTextOf(window, IDC_gbDetails);
    seen.close = ItemTextOf(window, IDCANCEL);
    seen.readOnly =
        (GetWindowLongPtrA(GetDlgItem(window, IDC_moDescription), GWL_STYLE) & ES_READONLY) != 0;

    select(window, IDC_lbPersonalityItems, "Wallpaper");
    seen.wallpaper = ItemTextOf(window, IDC_moDescription);
    seen.screenshot = SaveScreenshot(window, "settings_view");

    // The second tab shows the connectivity items.
    SendMessageA(tabs, TCM_SETCURSEL, 1, 0);
    NMHDR change{tabs, IDC_pcSettings, static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageA(window, WM_NOTIFY, IDC_pcSettings, reinterpret_cast<LPARAM>(&change));
    seen.connectivityShownAfterTab = ItemVisible(window, IDC_lbConnectivityItems);
    seen.personalityHiddenAfterTab = ItemVisible(window, IDC_lbPersonalityItems);
    select(window, IDC_lbConnectivityItems, "Computer Name");
    seen.computerName = ItemTextOf(window, IDC_moDescription);
    Press(window, IDCANCEL);
  });
  form.ShowModal(nullptr);
  ASSERT_TRUE(driver.Join());

  EXPECT_EQ(seen.tabs, (std::vector<std::string>{"Personality", "Connectivity"}));
  TSettingsViewModel names;
  EXPECT_EQ(seen.personality, names.Names(TViewGroup::Personality));
  EXPECT_EQ(seen.personality.size(), 19u);
  EXPECT_EQ(seen.connectivityCount, 9);
  EXPECT_TRUE(seen.personalityShown);
  EXPECT_FALSE(seen.connectivityHidden);
  EXPECT_TRUE(seen.connectivityShownAfterTab);
  EXPECT_FALSE(seen.personalityHiddenAfterTab);
  EXPECT_EQ(seen.groups[0], "Settings");
  EXPECT_EQ(seen.groups[1], "Details ");
  EXPECT_EQ(seen.close, "Close");
  EXPECT_TRUE(seen.readOnly);
  EXPECT_TRUE(seen.screenshot);

  // The memo shows what the item describes of this machine, kept in the
  // window's cache slot for the item's position.
  const int wallpaper = CurrentConfig().PersonalityItems.IndexOf("Wallpaper");
  const int computerName = CurrentConfig().ConnectivityItems.IndexOf("Computer Name");
  EXPECT_TRUE(form.Model().IsCached(TViewGroup::Personality, wallpaper));
  EXPECT_TRUE(form.Model().IsCached(TViewGroup::Connectivity, computerName));
  EXPECT_FALSE(form.Model().IsCached(TViewGroup::Personality,
                                     CurrentConfig().PersonalityItems.IndexOf("Mouse")));
  const std::vector<std::string>& wallpaperLines =
      form.Model().Show(TViewGroup::Personality, "Wallpaper");
  ASSERT_FALSE(wallpaperLines.empty());
  EXPECT_EQ(seen.wallpaper, qv::ui::JoinLines(wallpaperLines));
  const std::vector<std::string>& nameLines =
      form.Model().Show(TViewGroup::Connectivity, "Computer Name");
  ASSERT_FALSE(nameLines.empty());
  EXPECT_EQ(seen.computerName, qv::ui::JoinLines(nameLines));
}

}  // namespace
}  // namespace qv::test
