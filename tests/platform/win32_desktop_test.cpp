// The desktop port on the real system (Wine on the build machines). Wine
// has no shell desktop window, so the test makes its own: a "Progman"
// window titled "Program Manager", its "SHELLDLL_DefView" child and that
// one's "SysListView32" child, in this process, where the shared block's
// addresses are valid for the list view. The messages and the block's
// layouts are then proven on a real list view.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

#include "platform/win32/win32_desktop.h"

namespace qv::test {
namespace {

class FakeShellDesktop {
 public:
  FakeShellDesktop() {
    INITCOMMONCONTROLSEX init{sizeof init, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&init);
    Register("Progman");
    Register("SHELLDLL_DefView");
    progman_ = CreateWindowExA(0, "Progman", "Program Manager", WS_OVERLAPPEDWINDOW, 0, 0, 800,
                               600, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    // A sibling of another class comes first: the search looks at classes.
    CreateWindowExA(0, "STATIC", "SHELLDLL_DefView", WS_CHILD, 0, 0, 10, 10, progman_, nullptr,
                    nullptr, nullptr);
    defView_ = CreateWindowExA(0, "SHELLDLL_DefView", "", WS_CHILD | WS_VISIBLE, 0, 0, 800, 600,
                               progman_, nullptr, GetModuleHandleA(nullptr), nullptr);
    listView_ = CreateWindowExA(0, WC_LISTVIEWA, "FolderView", WS_CHILD | WS_VISIBLE | LVS_ICON,
                                0, 0, 800, 600, defView_, nullptr, nullptr, nullptr);
  }
  ~FakeShellDesktop() {
    if (progman_) DestroyWindow(progman_);
  }
  void Add(const std::string& label, int x, int y) {
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = Count();
    item.pszText = const_cast<char*>(label.c_str());
    const int index = static_cast<int>(SendMessageA(listView_, LVM_INSERTITEMA, 0,
                                                    reinterpret_cast<LPARAM>(&item)));
    SendMessageA(listView_, LVM_SETITEMPOSITION, index, MAKELPARAM(x, y));
  }
  int Count() { return static_cast<int>(SendMessageA(listView_, LVM_GETITEMCOUNT, 0, 0)); }
  POINT Position(int index) {
    POINT p{-1, -1};
    SendMessageA(listView_, LVM_GETITEMPOSITION, index, reinterpret_cast<LPARAM>(&p));
    return p;
  }
  HWND progman() const { return progman_; }
  HWND defView() const { return defView_; }
  HWND listView() const { return listView_; }

 private:
  static void Register(const char* name) {
    WNDCLASSA c{};
    c.lpfnWndProc = DefWindowProcA;
    c.hInstance = GetModuleHandleA(nullptr);
    c.lpszClassName = name;
    RegisterClassA(&c);
  }
  HWND progman_ = nullptr;
  HWND defView_ = nullptr;
  HWND listView_ = nullptr;
};

TEST(Win32Desktop, FindsTheListViewThroughProgmanAndItsDefView) {
  Win32Desktop desktop;
  ASSERT_FALSE(desktop.DesktopListViewExists());  // Wine shows no shell desktop
  int index = 0;
  EXPECT_EQ(desktop.FindDesktopIcon("x", index), static_cast<WinError>(ERROR_INVALID_WINDOW_HANDLE));
  std::vector<DesktopIcon> icons;
  EXPECT_EQ(desktop.DesktopIcons(icons), static_cast<WinError>(ERROR_INVALID_WINDOW_HANDLE));

  FakeShellDesktop shell;
  ASSERT_TRUE(shell.listView());
  HWND progman, defView, listView;
  ASSERT_TRUE(Win32Desktop::FindListView(progman, defView, listView));
  EXPECT_EQ(progman, shell.progman());
  EXPECT_EQ(defView, shell.defView());
  EXPECT_EQ(listView, shell.listView());
  EXPECT_TRUE(desktop.WindowExists("Progman", "Program Manager"));
  EXPECT_TRUE(static_cast<IDesktop&>(desktop).WindowExists("Progman"));
  EXPECT_FALSE(desktop.WindowExists("Progman", "Another title"));
  desktop.RepaintDesktop();
}

TEST(Win32Desktop, ReadsFindsAndPlacesIconsThroughTheSharedBlock) {
  FakeShellDesktop shell;
  const std::string longLabel(300, 'L');
  shell.Add("My Computer", 16, 8);
  shell.Add("Recycle Bin", 16, 83);
  shell.Add("", 40, 40);
  shell.Add(longLabel, 100, 160);
  Win32Desktop desktop;

  int count = 0;
  ASSERT_EQ(desktop.DesktopIconCount(count), 0u);
  EXPECT_EQ(count, 4);
  std::vector<DesktopIcon> icons;
  ASSERT_EQ(desktop.DesktopIcons(icons), 0u);
  ASSERT_EQ(icons.size(), 4u);
  EXPECT_EQ(icons[0].label, "My Computer");
  EXPECT_EQ(icons[0].position, (Point{16, 8}));
  EXPECT_EQ(icons[1].label, "Recycle Bin");
  EXPECT_EQ(icons[1].position, (Point{16, 83}));
  EXPECT_EQ(icons[2].label, "");
  EXPECT_EQ(icons[3].label, std::string(259, 'L'));

  int index = -2;
  ASSERT_EQ(desktop.FindDesktopIcon("recycle bin", index), 0u);
  EXPECT_EQ(index, 1);
  ASSERT_EQ(desktop.FindDesktopIcon("Briefcase", index), 0u);
  EXPECT_EQ(index, -1);

  ASSERT_EQ(desktop.SetDesktopIconPosition(1, Point{640, 384}), 0u);
  POINT placed = shell.Position(1);
  EXPECT_EQ(placed.x, 640);
  EXPECT_EQ(placed.y, 384);
  EXPECT_EQ(desktop.RedrawDesktopIcons(), 0u);

  // The shared block is gone again after each call.
  HANDLE left = OpenFileMappingA(FILE_MAP_READ, FALSE, "QRV Listview");
  EXPECT_EQ(left, nullptr);
  if (left) CloseHandle(left);
}

TEST(Win32Desktop, TaskbarQueriesAnswerWithoutATaskbarWindow) {
  Win32Desktop desktop;
  // Whatever Wine invents for the bar, the queries answer and an auto-hide
  // bar is reported on no edge.
  for (int edge = 0; edge < 4; ++edge) EXPECT_FALSE(desktop.AutoHideBarOn(edge)) << edge;
  Rect rect;
  if (!desktop.TaskbarExists()) {
    EXPECT_EQ(desktop.TaskbarState(), 0u);
    EXPECT_EQ(desktop.TaskbarWindowRect(rect), static_cast<WinError>(ERROR_INVALID_WINDOW_HANDLE));
  }
}

}  // namespace
}  // namespace qv::test
