// The data-file picker under Wine: its columns, entries and status bar,
// Add / Delete / Select all with their enabled states, sorting by a click on
// a column header, the view styles from buttons and menu, and files dropped
// on it; shown modally and driven from a second thread.
#include "ui/win32/data_file_form.h"

#include <gtest/gtest.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <fstream>

#include "config/options.h"
#include "engine/file_utils.h"
#include "ui/win32/forms.h"
#include "ui/win32/forms_resource.h"
#include "ui/win32/forms_test_support.h"

namespace qv::test {
namespace {

class DataFileFormTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    if (IsSkipped()) return;
    // Modified times an hour apart: small.txt oldest, then big.bin, notes.doc.
    WriteFile("C:\\Data\\small.txt", std::string(1536, 's'), 3600);
    WriteFile("C:\\Data\\big.bin", std::string(3000, 'b'), 7200);
    WriteFile("C:\\Data\\notes.doc", std::string(10, 'n'), 10800);
    ForceFolders("C:\\Data\\Sub");
  }
  static HWND Files(HWND window) { return GetDlgItem(window, IDC_lvFiles); }
  static std::string Panel(HWND window, int part) {
    char text[256] = "";
    SendMessageA(GetDlgItem(window, IDC_stFiles), SB_GETTEXTA, part, reinterpret_cast<LPARAM>(text));
    return text;
  }
  static DWORD ViewBits(HWND window) {
    return static_cast<DWORD>(GetWindowLongPtrA(Files(window), GWL_STYLE)) & LVS_TYPEMASK;
  }
  static bool Pressed(HWND window, int id) {
    return IsDlgButtonChecked(window, id) == BST_CHECKED;
  }
  // A click on a column header as the list view reports it.
  static void ClickColumn(HWND window, int column) {
    NMLISTVIEW click{};
    click.hdr.hwndFrom = Files(window);
    click.hdr.idFrom = IDC_lvFiles;
    click.hdr.code = LVN_COLUMNCLICK;
    click.iItem = -1;
    click.iSubItem = column;
    SendMessageA(window, WM_NOTIFY, IDC_lvFiles, reinterpret_cast<LPARAM>(&click));
  }
};

TEST_F(DataFileFormTest, ShowsColumnsEntriesAndTotals) {
  TDataFileModel picker;
  picker.SetFileList({"C:\\Data\\small.txt", "C:\\Data\\Sub", "C:\\Data\\*.xls", "C:\\Data\\big.bin"});
  struct Seen {
    std::vector<std::string> headers, names, sizes, types;
    std::vector<int> widths;
    std::string files, total, modified, hint;
    bool add = true, del = true, all = false, details = false, report = false, screenshot = false;
    int image = -2, wildcardImage = 0;
  } seen;
  WindowDriver driver("Data Files", [&](HWND window) {
    HWND list = Files(window);
    for (int i = 0; i < 4; ++i) {
      char text[64] = "";
      LVCOLUMNA column{};
      column.mask = LVCF_TEXT | LVCF_WIDTH;
      column.pszText = text;
      column.cchTextMax = sizeof text;
      SendMessageA(list, LVM_GETCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
      seen.headers.push_back(text);
      seen.widths.push_back(column.cx);
    }
    seen.names = ListColumn(list, 0);
    seen.sizes = ListColumn(list, 1);
    seen.types = ListColumn(list, 2);
    seen.modified = ListText(list, 0, 3);
    LVITEMA item{};
    item.mask = LVIF_IMAGE;
    item.iItem = 0;
    SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    seen.image = item.iImage;
    item.iItem = 2;
    SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    seen.wildcardImage = item.iImage;
    seen.files = Panel(window, 0);
    seen.total = Panel(window, 1);
    seen.hint = HintOf(window, IDC_edFilename);
    seen.add = ItemEnabled(window, IDC_btAdd);
    seen.del = ItemEnabled(window, IDC_btDelete);
    seen.all = ItemEnabled(window, IDC_btSelectAll);
    seen.details = Pressed(window, IDC_btShowFilesDetails);
    seen.report = ViewBits(window) == LVS_REPORT;
    seen.screenshot = SaveScreenshot(window, "data_files");
    Press(window, IDOK);
  });
  EXPECT_TRUE(ShowDataFiles(nullptr, picker));
  ASSERT_TRUE(driver.Join());
  EXPECT_EQ(seen.headers, (std::vector<std::string>{"Name", "Size", "Type", "Modified"}));
  EXPECT_EQ(seen.widths[0], 160);
  EXPECT_EQ(seen.widths[2], 80);
  EXPECT_EQ(seen.widths[3], 110);
  EXPECT_EQ(seen.names, (std::vector<std::string>{"C:\\Data\\small.txt", "C:\\Data\\Sub",
                                                  "C:\\Data\\*.xls", "C:\\Data\\big.bin"}));
  // 1,536 bytes round up to 2KB; a folder shows a blank; a wildcard nothing.
  EXPECT_EQ(seen.sizes, (std::vector<std::string>{"2KB", " ", "", "3KB"}));
  EXPECT_EQ(seen.types, (std::vector<std::string>{"TXT File", "File Folder", "", "BIN File"}));
  EXPECT_FALSE(seen.modified.empty());
  // The machine's shell gave the image (the test shell's index: the
  // extension's length); a name that is nothing has none.
  EXPECT_EQ(seen.image, 3);
  EXPECT_LT(seen.wildcardImage, 0);
  EXPECT_EQ(seen.files, "4 file(s)");
  EXPECT_EQ(seen.total, "4.43 KB");  // 4,536 bytes
  EXPECT_EQ(seen.hint, "Enter a filenme - wildcards are permitted");
  EXPECT_FALSE(seen.add);
  EXPECT_FALSE(seen.del);
  EXPECT_TRUE(seen.all);
  EXPECT_TRUE(seen.details);
  EXPECT_TRUE(seen.report);
  EXPECT_TRUE(seen.screenshot);
  EXPECT_EQ(picker.GetFileList(), (std::vector<std::string>{"C:\\Data\\small.txt", "C:\\Data\\Sub",
                                                            "C:\\Data\\*.xls", "C:\\Data\\big.bin"}));
}

TEST_F(DataFileFormTest, AddDeleteAndSelectAllFollowTheList) {
  TDataFileModel picker;
  struct Seen {
    bool addEmpty = true, addTyped = false, addAfter = true, allEmpty = true, allAfter = false;
    std::string editAfter, filesAfterAdd, totalAfterAdd;
    bool deleteBefore = true, deleteSelected = false;
    int selectedAfterAll = 0;
    std::string filesAfterDelete, totalAfterDelete, filesAfterKey;
    std::vector<std::string> namesAfterDelete;
  } seen;
  WindowDriver driver("Data Files", [&](HWND window) {
    HWND list = Files(window);
    seen.addEmpty = ItemEnabled(window, IDC_btAdd);
    seen.allEmpty = ItemEnabled(window, IDC_btSelectAll);
    for (const char* name : {"C:\\Data\\small.txt", "C:\\Data\\big.bin", "C:\\Data\\notes.doc"}) {
      SetText(window, IDC_edFilename, name);
      seen.addTyped = ItemEnabled(window, IDC_btAdd);
      Press(window, IDC_btAdd);
    }
    seen.editAfter = ItemTextOf(window, IDC_edFilename);
    seen.addAfter = ItemEnabled(window, IDC_btAdd);
    seen.allAfter = ItemEnabled(window, IDC_btSelectAll);
    seen.filesAfterAdd = Panel(window, 0);
    seen.totalAfterAdd = Panel(window, 1);
    seen.deleteBefore = ItemEnabled(window, IDC_btDelete);
    SelectListItem(list, 1);  // big.bin
    seen.deleteSelected = ItemEnabled(window, IDC_btDelete);
    Press(window, IDC_btDelete);
    seen.namesAfterDelete = ListColumn(list);
    seen.filesAfterDelete = Panel(window, 0);
    seen.totalAfterDelete = Panel(window, 1);
    Press(window, IDC_btSelectAll);
    seen.selectedAfterAll = SelectedCount(list);
    // The Delete key removes the selection too.
    SendMessageA(list, WM_KEYDOWN, VK_DELETE, 0);
    seen.filesAfterKey = Panel(window, 0);
    SetText(window, IDC_edFilename, "C:\\Data\\*.txt");
    Press(window, IDC_btAdd);
    Press(window, IDOK);
  });
  EXPECT_TRUE(ShowDataFiles(nullptr, picker));
  ASSERT_TRUE(driver.Join());
  EXPECT_FALSE(seen.addEmpty);
  EXPECT_FALSE(seen.allEmpty);
  EXPECT_TRUE(seen.addTyped);
  EXPECT_EQ(seen.editAfter, "");
  EXPECT_FALSE(seen.addAfter);
  EXPECT_TRUE(seen.allAfter);
  EXPECT_EQ(seen.filesAfterAdd, "3 file(s)");
  EXPECT_EQ(seen.totalAfterAdd, "4.44 KB");  // 4,546 bytes
  EXPECT_FALSE(seen.deleteBefore);
  EXPECT_TRUE(seen.deleteSelected);
  EXPECT_EQ(seen.namesAfterDelete,
            (std::vector<std::string>{"C:\\Data\\small.txt", "C:\\Data\\notes.doc"}));
  EXPECT_EQ(seen.filesAfterDelete, "2 file(s)");
  EXPECT_EQ(seen.totalAfterDelete, "1.51 KB");  // 1,546 bytes
  EXPECT_EQ(seen.selectedAfterAll, 2);
  EXPECT_EQ(seen.filesAfterKey, "0 file(s)");
  EXPECT_EQ(picker.GetFileList(), (std::vector<std::string>{"C:\\Data\\*.txt"}));
}

TEST_F(DataFileFormTest, ColumnClicksSortTheView) {
  TDataFileModel picker;
  picker.SetFileList({"C:\\Data\\small.txt", "C:\\Data\\notes.doc", "C:\\Data\\big.bin"});
  std::vector<std::vector<std::string>> orders;
  WindowDriver driver("Data Files", [&](HWND window) {
    ClickColumn(window, 1);  // Size: the reverse flag starts set, so largest first
    orders.push_back(ListColumn(Files(window)));
    ClickColumn(window, 1);  // Size again: ascending
    orders.push_back(ListColumn(Files(window)));
    ClickColumn(window, 0);  // Name: the flag stays as it is
    orders.push_back(ListColumn(Files(window)));
    ClickColumn(window, 3);  // Modified
    orders.push_back(ListColumn(Files(window)));
    ClickColumn(window, 3);  // Modified again: newest first
    orders.push_back(ListColumn(Files(window)));
    Press(window, IDOK);
  });
  EXPECT_TRUE(ShowDataFiles(nullptr, picker));
  ASSERT_TRUE(driver.Join());
  const std::string small = "C:\\Data\\small.txt", big = "C:\\Data\\big.bin",
                    notes = "C:\\Data\\notes.doc";
  ASSERT_EQ(orders.size(), 5u);
  EXPECT_EQ(orders[0], (std::vector<std::string>{big, small, notes}));
  EXPECT_EQ(orders[1], (std::vector<std::string>{notes, small, big}));
  EXPECT_EQ(orders[2], (std::vector<std::string>{big, notes, small}));
  EXPECT_EQ(orders[3], (std::vector<std::string>{small, big, notes}));
  EXPECT_EQ(orders[4], (std::vector<std::string>{notes, big, small}));
  // OK returns the names in view order.
  EXPECT_EQ(picker.GetFileList(), orders[4]);
}

TEST_F(DataFileFormTest, ViewButtonsAndMenuItemsSetTheStyle) {
  Options().AdvancedOptionsViewType = vsList;
  TDataFileModel picker;
  struct Seen {
    DWORD start = 0, afterSmall = 0, afterMenu = 0;
    bool listPressed = false, smallPressed = false, largePressed = false, detailsPressed = true;
    bool screenshot = false;
  } seen;
  WindowDriver driver("Data Files", [&](HWND window) {
    seen.start = ViewBits(window);
    seen.listPressed = Pressed(window, IDC_btShowFilesList);
    // A view button is a radio button: a click checks it.
    SendMessageA(GetDlgItem(window, IDC_btShowFilesSmallIcons), BM_SETCHECK, BST_CHECKED, 0);
    Press(window, IDC_btShowFilesSmallIcons);
    seen.afterSmall = ViewBits(window);
    seen.smallPressed = Pressed(window, IDC_btShowFilesSmallIcons);
    // The pop-up menu's "Lar&ge Icons".
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDM_FilesLargeIcons, 0), 0);
    seen.afterMenu = ViewBits(window);
    seen.largePressed = Pressed(window, IDC_btShowFilesLargeIcons);
    seen.detailsPressed = Pressed(window, IDC_btShowFilesDetails);
    seen.screenshot = SaveScreenshot(window, "data_files_large_icons");
    Press(window, IDCANCEL);
  });
  EXPECT_FALSE(ShowDataFiles(nullptr, picker));
  ASSERT_TRUE(driver.Join());
  EXPECT_EQ(seen.start, static_cast<DWORD>(LVS_LIST));
  EXPECT_TRUE(seen.listPressed);
  EXPECT_EQ(seen.afterSmall, static_cast<DWORD>(LVS_SMALLICON));
  EXPECT_TRUE(seen.smallPressed);
  EXPECT_EQ(seen.afterMenu, static_cast<DWORD>(LVS_ICON));
  EXPECT_TRUE(seen.largePressed);
  EXPECT_FALSE(seen.detailsPressed);
  EXPECT_TRUE(seen.screenshot);
  EXPECT_EQ(picker.ViewStyle(), vsIcon);
}

TEST_F(DataFileFormTest, BrowseAddsTheChosenFile) {
  TDataFileModel::ForgetBrowsedFolder();
  // The dialog shows Wine's disk; the picker describes the file through the
  // test's machine, which gets the same file.
  const std::string chosen = FreshTempFile("qorvel_browse_test.txt");
  {
    std::ofstream out(chosen, std::ios::binary);
    out << std::string(2048, 'x');
  }
  WriteFile(chosen, std::string(2048, 'x'));
  TDataFileModel picker;
  bool answered = false;
  std::vector<std::string> names;
  std::string total;
  WindowDriver driver("Data Files", [&](HWND window) {
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_btBrowse, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, IDC_btBrowse)));
    answered = AnswerSaveDialog("Add files", chosen);
    WaitUntil([&] { return ListCount(Files(window)) == 1; });
    names = ListColumn(Files(window));
    total = Panel(window, 1);
    Press(window, IDOK);
  });
  EXPECT_TRUE(ShowDataFiles(nullptr, picker));
  ASSERT_TRUE(driver.Join());
  DeleteFileA(chosen.c_str());
  EXPECT_TRUE(answered);
  EXPECT_EQ(names, (std::vector<std::string>{chosen}));
  EXPECT_EQ(total, "2.00 KB");
  // The next browse starts in the chosen file's folder.
  EXPECT_EQ(TDataFileModel::LastBrowsedFolder(), FolderOf(chosen));
  TDataFileModel::ForgetBrowsedFolder();
}

// Without an image from the machine, an existing entry gets the shell's
// system image for its kind; the list view shows the shell's image lists.
TEST_F(DataFileFormTest, EntriesWithoutAnImageTakeTheShellsOwn) {
  TDataFileModel picker([](const std::string& name) {
    TFileDetails details;
    details.exists = name != "C:\\Data\\*.xls";
    details.folder = name == "C:\\Data\\Sub";
    return details;  // no type name, no image index
  });
  picker.SetFileList({"C:\\Data\\small.txt", "C:\\Data\\Sub", "C:\\Data\\*.xls"});
  std::vector<int> images;
  bool smallList = false, largeList = false;
  WindowDriver driver("Data Files", [&](HWND window) {
    for (int i = 0; i < ListCount(Files(window)); ++i) {
      LVITEMA item{};
      item.mask = LVIF_IMAGE;
      item.iItem = i;
      SendMessageA(Files(window), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
      images.push_back(item.iImage);
    }
    smallList = SendMessageA(Files(window), LVM_GETIMAGELIST, LVSIL_SMALL, 0) != 0;
    largeList = SendMessageA(Files(window), LVM_GETIMAGELIST, LVSIL_NORMAL, 0) != 0;
    Press(window, IDCANCEL);
  });
  EXPECT_FALSE(ShowDataFiles(nullptr, picker));
  ASSERT_TRUE(driver.Join());
  EXPECT_TRUE(smallList);
  EXPECT_TRUE(largeList);
  ASSERT_EQ(images.size(), 3u);
  EXPECT_GE(images[0], 0);
  EXPECT_GE(images[1], 0);
  EXPECT_NE(images[0], images[1]);  // a file's image is not a folder's
  EXPECT_LT(images[2], 0);
}

TEST_F(DataFileFormTest, DroppedFilesArriveWithTheirFullNames) {
  // Longer than the 78 characters an older picker kept of a dropped name.
  const std::string longName =
      "C:\\Data\\A folder whose name is rather long for the test\\and a file name as long.txt";
  ASSERT_GT(longName.size(), 78u);
  WriteFile(longName, "12345");
  TDataFileModel picker;
  std::vector<std::string> names, types;
  std::string files;
  bool accepts = false;
  WindowDriver driver("Data Files", [&](HWND window) {
    accepts = (GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_ACCEPTFILES) != 0;
    PostMessageA(window, WM_DROPFILES,
                 reinterpret_cast<WPARAM>(MakeDrop({longName, "C:\\Data\\big.bin"})), 0);
    WaitUntil([&] { return ListCount(Files(window)) == 2; });
    names = ListColumn(Files(window));
    types = ListColumn(Files(window), 2);
    files = Panel(window, 0);
    Press(window, IDOK);
  });
  EXPECT_TRUE(ShowDataFiles(nullptr, picker));
  ASSERT_TRUE(driver.Join());
  EXPECT_TRUE(accepts);
  EXPECT_EQ(names, (std::vector<std::string>{longName, "C:\\Data\\big.bin"}));
  EXPECT_EQ(types, (std::vector<std::string>{"TXT File", "BIN File"}));
  EXPECT_EQ(files, "2 file(s)");
  EXPECT_EQ(picker.GetFileList(), (std::vector<std::string>{longName, "C:\\Data\\big.bin"}));
}

}  // namespace
}  // namespace qv::test
