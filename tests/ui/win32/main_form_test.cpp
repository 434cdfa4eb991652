// The main window shell under Wine: menus, shortcuts, tool bar, the large
// buttons, pnlStatus hints, and Save, Load and Undo driven through its
// commands with the real runs on the real system.
#include "ui/win32/main_form.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <fstream>
#include <thread>

#include "config/cat_config.h"
#include "config/options.h"
#include "engine/program.h"
#include "engine/run_report.h"
#include "engine/status.h"
#include "platform/machine.h"
#include "registry/reg_utils.h"
#include "stream/connection.h"
#include "ui/win32/debug_form.h"
#include "ui/win32/resource.h"
#include "ui/win32/status_form.h"
#include "ui/win32/window_test_support.h"
#include "undo/undo_manager.h"

namespace qv::test {
namespace {

std::string MenuText(HMENU menu, int id) {
  char text[256] = "";
  GetMenuStringA(menu, id, text, sizeof text, MF_BYCOMMAND);
  return text;
}

bool MenuEnabled(HMENU menu, int id) {
  UINT state = GetMenuState(menu, id, MF_BYCOMMAND);
  return state != static_cast<UINT>(-1) && !(state & (MF_GRAYED | MF_DISABLED));
}

class MainFormTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    if (IsSkipped()) return;
    program_ = std::make_unique<ProgramObjects>("");
    // A small selection keeps the runs short.
    CurrentConfig().PersonalityItems.SetAll(false);
    CurrentConfig().ConnectivityItems.SetAll(false);
    CurrentConfig().FileList.clear();
    Options().CreateBackup = false;
  }
  void TearDown() override { program_.reset(); }

  std::unique_ptr<ProgramObjects> program_;
};

TEST_F(MainFormTest, HasItsMenusButtonsAndToolBar) {
  TMainForm form;
  HWND window = form.Handle();
  EXPECT_EQ(TextOf(window), "ZTR Qorvel");
  LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & (WS_THICKFRAME | WS_MAXIMIZEBOX));

  HMENU menu = GetMenu(window);
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(MenuText(menu, IDM_miLoadSettings), "L&oad Settings...\tCtrl+O");
  EXPECT_EQ(MenuText(menu, IDM_miSaveSettings), "&Save Settings...\tCtrl+S");
  EXPECT_EQ(MenuText(menu, IDM_Exit1), "E&xit");
  EXPECT_EQ(MenuText(menu, IDM_miUndo), "&Undo\tCtrl+Z");
  EXPECT_EQ(MenuText(menu, IDM_miOptions), "&Options...");
  EXPECT_EQ(MenuText(menu, IDM_Configuration1), "&Configuration...");
  EXPECT_EQ(MenuText(menu, IDM_miReport), "&Report...");
  EXPECT_EQ(MenuText(menu, IDM_miViewSettings), "&Settings...");
  EXPECT_EQ(MenuText(menu, IDM_miInstalledApplications), "&Installed Applications");
  EXPECT_EQ(MenuText(menu, IDM_About1), "&About...");
  EXPECT_EQ(MenuText(menu, IDM_CommandLine1), "&Command line parameters...");
  // Undo and the report wait for a load and a run.
  EXPECT_FALSE(MenuEnabled(menu, IDM_miUndo));
  EXPECT_FALSE(MenuEnabled(menu, IDM_miReport));
  for (int id : {IDM_miSaveSettings, IDM_miLoadSettings, IDM_miOptions, IDM_Configuration1,
                 IDM_miViewSettings, IDM_miInstalledApplications})
    EXPECT_TRUE(MenuEnabled(menu, id)) << id;
  EXPECT_TRUE(ItemEnabled(window, IDC_btView));

  EXPECT_EQ(ItemTextOf(window, IDC_btSave), "Save Settings");
  EXPECT_EQ(ItemTextOf(window, IDC_btLoad), "Load Settings");
  EXPECT_EQ(ItemTextOf(window, IDC_btView), "View Settings");
  HWND toolbar = GetDlgItem(window, IDC_ToolBar1);
  ASSERT_NE(toolbar, nullptr);
  EXPECT_EQ(SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0), 5);  // four and a separator
  TBBUTTON separator{};
  SendMessageA(toolbar, TB_GETBUTTON, 2, reinterpret_cast<LPARAM>(&separator));
  EXPECT_TRUE(separator.fsStyle & BTNS_SEP);
  EXPECT_TRUE(SendMessageA(toolbar, TB_ISBUTTONENABLED, IDC_btLoadSettings, 0));
  EXPECT_FALSE(SendMessageA(toolbar, TB_ISBUTTONENABLED, IDC_btUndo, 0));

  // The window's status window is the program's while it lives.
  EXPECT_EQ(&StatusWindow(), static_cast<IRunStatus*>(&form.StatusForm()));
  EXPECT_EQ(GetWindow(form.StatusForm().Handle(), GW_OWNER), window);

  form.Show();
  EXPECT_TRUE(SaveScreenshot(window, "main"));
}

TEST_F(MainFormTest, HintsGoToTheStatusPanel) {
  TMainForm form;
  HWND window = form.Handle();
  SendMessageA(window, WM_MENUSELECT, MAKEWPARAM(IDM_miUndo, MF_STRING),
               reinterpret_cast<LPARAM>(GetMenu(window)));
  EXPECT_EQ(ItemTextOf(window, IDC_pnlStatus), "Undo the last settings change");
  EXPECT_EQ(TMainForm::HintFor(IDC_btLoadSettings),
            "Loads an existing settings file and applys the changes to this computer");
  EXPECT_EQ(TMainForm::HintFor(IDC_btUndo), "Restore previous settings");
  SendMessageA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(GetDlgItem(window, IDC_btView)),
               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(ItemTextOf(window, IDC_pnlStatus), "View your current system settings");
  SendMessageA(window, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
  EXPECT_EQ(ItemTextOf(window, IDC_pnlStatus), "");
}

TEST_F(MainFormTest, RegistersTheSettingsFileType) {
  TMainForm form;
  EXPECT_EQ(UTLGetRegString(hkey::ClassesRoot, "\\.QRV", "", ""), "qrv_auto_file");
  EXPECT_EQ(UTLGetRegString(hkey::ClassesRoot, "\\qrv_auto_file", "", ""), "QRV file");
  std::string command =
      UTLGetRegString(hkey::ClassesRoot, "\\qrv_auto_file\\shell\\open\\command", "", "");
  EXPECT_EQ(command.front(), '"');
  EXPECT_NE(command.find("qorvel_tests.exe\" \"%1\""), std::string::npos) << command;
}

TEST_F(MainFormTest, AboutAndCommandLineOpenFromTheHelpMenu) {
  TMainForm form;
  form.Show();
  std::string version;
  WindowDriver about("ZTR Qorvel", [&](HWND window) {
    version = ItemTextOf(window, IDC_Version);
    Click(window, IDOK);
  });
  SendMessageA(form.Handle(), WM_COMMAND, IDM_About1, 0);
  EXPECT_TRUE(about.Join());
  EXPECT_EQ(version, "Version 1.00  Build 124");
  WindowDriver help("QRV Command line parameters", [](HWND window) { Click(window, IDOK); });
  SendMessageA(form.Handle(), WM_COMMAND, IDM_CommandLine1, 0);
  EXPECT_TRUE(help.Join());
}

TEST_F(MainFormTest, SaveThenLoadKeptThenUndo) {
  TMainForm form;
  form.Show();
  HWND window = form.Handle();
  CurrentConfig().PersonalityItems.SetSelected("Pattern", true);
  std::string file = FreshTempFile("qorvel_main_test.qrv");

  // Save through the File menu: the dialog, then the run with the status
  // window.
  bool answered = false, edited = false;
  std::thread saver([&] {
    answered = AnswerSaveDialog("Save Settings as", file);
    // The configuration editor comes first, then the run.
    HWND editor = answered ? WaitForDialog("Configuration Editor") : nullptr;
    if (!editor) return;
    edited = true;
    PostMessageA(editor, WM_COMMAND, IDOK, 0);
  });
  SendMessageA(window, WM_COMMAND, IDM_miSaveSettings, 0);
  saver.join();
  ASSERT_TRUE(answered);
  ASSERT_TRUE(edited);
  EXPECT_EQ(ReadWholeFile(file).substr(4, 7), "ZTR QRV");
  EXPECT_EQ(Options().LastSavedFile, file);
  EXPECT_TRUE(MenuEnabled(GetMenu(window), IDM_miReport));
  EXPECT_EQ(form.StatusForm().Caption(), "Saving current settings...");

  // Load it through the tool bar: keep the settings (Yes), read the report.
  std::string reportCaption;
  std::thread loader([&] {
    if (!AnswerSaveDialog("Load Settings", file)) return;
    HWND question = WaitForDialog("Qorvel : Confirm");
    if (!question) return;
    PostMessageA(question, WM_COMMAND, IDYES, 0);
    HWND report = WaitForDialog("Report");
    if (!report) return;
    reportCaption = TextOf(report);
    SaveScreenshot(report, "main_load_report");
    Click(report, IDCANCEL);
  });
  SendMessageA(window, WM_COMMAND, IDC_btLoadSettings, 0);
  loader.join();
  EXPECT_EQ(reportCaption, "Report");
  EXPECT_TRUE(MenuEnabled(GetMenu(window), IDM_miUndo));
  EXPECT_TRUE(SendMessageA(GetDlgItem(window, IDC_ToolBar1), TB_ISBUTTONENABLED, IDC_btUndo, 0));
  EXPECT_TRUE(UndoManager().UndoAvailable());
  bool copied = false;
  for (const std::string& line : RunReport().Lines())
    copied |= line == "Settings copied from : " + file;
  EXPECT_TRUE(copied);

  // Undo: restores and disables itself.
  SendMessageA(window, WM_COMMAND, IDM_miUndo, 0);
  EXPECT_FALSE(MenuEnabled(GetMenu(window), IDM_miUndo));

  // The file is now the first recent file at the end of the File menu.
  HMENU fileMenu = GetSubMenu(GetMenu(window), 0);
  const int items = GetMenuItemCount(fileMenu);
  char last[MAX_PATH + 8] = "";
  GetMenuStringA(fileMenu, items - 1, last, sizeof last, MF_BYPOSITION);
  EXPECT_EQ(std::string(last), "&1 " + file);
  EXPECT_TRUE(GetMenuState(fileMenu, items - 2, MF_BYPOSITION) & MF_SEPARATOR);
  DeleteFileA(file.c_str());
  DeleteFileA((file.substr(0, file.size() - 4) + ".cfg").c_str());
}

TEST_F(MainFormTest, LoadOfAnotherVersionIsRefused) {
  TMainForm form;
  std::string file = FreshTempFile("qorvel_old_version.qrv");
  {
    TWriteFileConnection writer;
    writer.ConnectionVersion = 100;
    ASSERT_TRUE(writer.Open(file, kSettingsMagic));
  }
  std::string box;
  std::thread closer([&] {
    HWND error = WaitForDialog("Qorvel : Error");
    if (!error) return;
    char text[512] = "";
    GetDlgItemTextA(error, 0xFFFF, text, sizeof text);  // the box's text
    box = text;
    PostMessageA(error, WM_COMMAND, IDOK, 0);
  });
  EXPECT_FALSE(form.LoadFile(file));
  closer.join();
  EXPECT_EQ(box, "QRV File version mismatch : Unable to load " + file);
  DeleteFileA(file.c_str());
}

TEST_F(MainFormTest, LoadOfAFileThatIsNoSettingsFileSaysWhy) {
  TMainForm form;
  std::string file = FreshTempFile("qorvel_not_settings.qrv");
  {
    std::ofstream out(file, std::ios::binary);
    out << "this is plain text, not a settings file";
  }
  std::vector<std::string> boxes;
  std::thread closer([&] {
    // Every box that comes within a second is read and closed.
    while (HWND error = WaitForDialog("Qorvel : Error", 1000)) {
      char text[512] = "";
      GetDlgItemTextA(error, 0xFFFF, text, sizeof text);
      boxes.push_back(text);
      PostMessageA(error, WM_COMMAND, IDOK, 0);
      WaitUntil([&] { return !IsWindow(error); });
    }
  });
  EXPECT_FALSE(form.LoadFile(file));
  closer.join();
  EXPECT_EQ(boxes, std::vector<std::string>{file + " is not a valid settings file."});
  EXPECT_FALSE(UndoManager().UndoAvailable());
  DeleteFileA(file.c_str());
}

TEST_F(MainFormTest, InstalledApplicationsAndTheViewerOpenFromTheMenus) {
  TMainForm form;
  form.Show();
  std::vector<std::string> lines;
  WindowDriver report("Report", [&](HWND window) {
    lines.push_back(ItemTextOf(window, IDC_memoContents));
    Click(window, IDCANCEL);
  });
  SendMessageA(form.Handle(), WM_COMMAND, IDM_miInstalledApplications, 0);
  EXPECT_TRUE(report.Join());
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find(" Installed applications detected."), std::string::npos) << lines[0];

  bool viewed = false;
  WindowDriver viewer("Current Settings", [&](HWND window) {
    viewed = true;
    Click(window, IDCANCEL);
  });
  SendMessageA(form.Handle(), WM_COMMAND, IDC_btView, 0);
  EXPECT_TRUE(viewer.Join());
  EXPECT_TRUE(viewed);
}

TEST_F(MainFormTest, DroppedFilesGoToTheModel) {
  TMainForm form;
  form.Show();
  std::string box;
  WindowDriver notice("Qorvel", [&](HWND window) {
    char text[512] = "";
    GetDlgItemTextA(window, 0xFFFF, text, sizeof text);
    box = text;
    PostMessageA(window, WM_COMMAND, IDOK, 0);
  });
  SendMessageA(form.Handle(), WM_DROPFILES,
               reinterpret_cast<WPARAM>(MakeDrop({"C:\\a.qrv", "C:\\b.qrv"})), 0);
  EXPECT_TRUE(notice.Join());
  EXPECT_EQ(box, "Qorvel cannot load multiple settings files. Try again with a single file.");
}

TEST_F(MainFormTest, RunMainWindowShowsTheDebugWindowWhenAsked) {
  bool debugShown = false, mainShown = false;
  std::thread closer([&] {
    HWND debug = WaitForWindow("Debugging Information");
    debugShown = debug != nullptr;
    HWND main = WaitForWindow("ZTR Qorvel");
    mainShown = main != nullptr;
    if (debug) SaveScreenshot(debug, "main_debug");
    if (main) PostMessageA(main, WM_COMMAND, IDM_Exit1, 0);
  });
  RunMainWindow(true);
  closer.join();
  EXPECT_TRUE(debugShown);
  EXPECT_TRUE(mainShown);
  // Once the window is gone the debug log has no window any more, and the
  // program's status window is the silent one again.
  EXPECT_EQ(dynamic_cast<TStatusForm*>(&StatusWindow()), nullptr);
}

}  // namespace
}  // namespace qv::test
