#include "platform/win32/win32_desktop.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "stream/win_structs.h"

namespace qv {

namespace {

// The first child of `parent` whose class name is exactly `className`.
HWND ChildOfClass(HWND parent, const char* className) {
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    char name[64] = "";
    GetClassNameA(child, name, sizeof name);
    if (std::strcmp(name, className) == 0) return child;
  }
  return nullptr;
}

// Where the structures sit in the block. A 32-bit program shares the
// shell's layout: the block is the one the settings format describes. A
// 64-bit program can only reach a list view of its own bitness, whose
// structures are wider; they follow the label buffer at an aligned offset.
#ifdef _WIN64
constexpr std::size_t kItemAt = 264;
constexpr std::size_t kPointAt = kItemAt + sizeof(LVITEMA);
constexpr std::size_t kSaveSize = kPointAt + sizeof(POINT);
constexpr std::size_t kFindAt = 264;
constexpr std::size_t kLoadSize = kFindAt + sizeof(LVFINDINFOA);
#else
static_assert(offsetof(LVITEMA, iIndent) + sizeof(int) == ListViewItem::kSize);
static_assert(offsetof(LVITEMA, pszText) == 20);
static_assert(sizeof(LVFINDINFOA) == ListViewFindInfo::kSize);
static_assert(offsetof(LVFINDINFOA, pt) == 12);
constexpr std::size_t kItemAt = listview_block::kItemOffset;
constexpr std::size_t kPointAt = listview_block::kPointOffset;
constexpr std::size_t kSaveSize = listview_block::kSaveSize;
constexpr std::size_t kFindAt = listview_block::kFindOffset;
constexpr std::size_t kLoadSize = listview_block::kLoadSize;
#endif

// The "QRV Listview" mapping for the length of one operation.
class SharedBlock {
 public:
  explicit SharedBlock(std::size_t size) {
    mapping_ = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                  static_cast<DWORD>(size), "QRV Listview");
    if (!mapping_) {
      error_ = GetLastError();
      return;
    }
    view_ = static_cast<char*>(MapViewOfFile(mapping_, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    if (!view_) error_ = GetLastError();
  }
  ~SharedBlock() {
    if (view_) UnmapViewOfFile(view_);
    if (mapping_) CloseHandle(mapping_);
  }
  SharedBlock(const SharedBlock&) = delete;
  SharedBlock& operator=(const SharedBlock&) = delete;

  char* view() const { return view_; }
  WinError error() const { return view_ ? 0 : (error_ ? error_ : ERROR_NOT_ENOUGH_MEMORY); }

 private:
  HANDLE mapping_ = nullptr;
  char* view_ = nullptr;
  DWORD error_ = 0;
};

// The blocks are filled through the system's own structures; in a 32-bit
// program they are the layouts above (the codec in win_structs gives the
// same bytes).
void FillSaveBlock(char* view, int index) {
  std::memset(view, 0, kSaveSize);
  LVITEMA item{};
  item.mask = LVIF_TEXT;
  item.iItem = index;
  item.pszText = view;
  item.cchTextMax = static_cast<int>(listview_block::kLabelSize);
  std::memcpy(view + kItemAt, &item, std::min(sizeof item, kPointAt - kItemAt));
}

void FillLoadBlock(char* view, std::string_view label) {
  std::memset(view, 0, kLoadSize);
  std::memcpy(view, label.data(), std::min(label.size(), listview_block::kLabelSize - 1));
  LVFINDINFOA find{};
  find.flags = LVFI_STRING;
  find.psz = view;
  std::memcpy(view + kFindAt, &find, sizeof find);
}

HWND ListView() {
  HWND progman, defView, listView;
  return Win32Desktop::FindListView(progman, defView, listView) ? listView : nullptr;
}

}  // namespace

bool Win32Desktop::FindListView(HWND& progman, HWND& defView, HWND& listView) {
  defView = listView = nullptr;
  progman = FindWindowA("Progman", "Program Manager");
  if (progman) defView = ChildOfClass(progman, "SHELLDLL_DefView");
  if (defView) listView = ChildOfClass(defView, "SysListView32");
  return listView != nullptr;
}

bool Win32Desktop::WindowExists(std::string_view className, std::string_view title) {
  const std::string c(className), t(title);
  return FindWindowA(c.c_str(), t.empty() ? nullptr : t.c_str()) != nullptr;
}

void Win32Desktop::Wait(std::uint32_t milliseconds) { Sleep(milliseconds); }

bool Win32Desktop::DesktopListViewExists() { return ListView() != nullptr; }

void Win32Desktop::RepaintDesktop() {
  HWND progman, defView, listView;
  FindListView(progman, defView, listView);
  for (HWND window : {progman, defView, listView})
    if (window) UpdateWindow(window);
}

WinError Win32Desktop::DesktopIcons(std::vector<DesktopIcon>& icons) {
  icons.clear();
  HWND listView = ListView();
  if (!listView) return ERROR_INVALID_WINDOW_HANDLE;
  const int count = static_cast<int>(SendMessageA(listView, LVM_GETITEMCOUNT, 0, 0));
  SharedBlock block(kSaveSize);
  if (WinError e = block.error()) return e;
  char* view = block.view();
  for (int i = 0; i < count; ++i) {
    FillSaveBlock(view, i);
    SendMessageA(listView, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(view + kItemAt));
    SendMessageA(listView, LVM_GETITEMPOSITION, static_cast<WPARAM>(i),
                 reinterpret_cast<LPARAM>(view + kPointAt));
    DesktopIcon icon;
    icon.label.assign(view, strnlen(view, listview_block::kLabelSize - 1));
    POINT point;
    std::memcpy(&point, view + kPointAt, sizeof point);
    icon.position = Point{point.x, point.y};
    icons.push_back(icon);
  }
  return 0;
}

WinError Win32Desktop::DesktopIconCount(int& count) {
  count = 0;
  HWND listView = ListView();
  if (!listView) return ERROR_INVALID_WINDOW_HANDLE;
  count = static_cast<int>(SendMessageA(listView, LVM_GETITEMCOUNT, 0, 0));
  return 0;
}

WinError Win32Desktop::FindDesktopIcon(std::string_view label, int& index) {
  index = -1;
  HWND listView = ListView();
  if (!listView) return ERROR_INVALID_WINDOW_HANDLE;
  SharedBlock block(kLoadSize);
  if (WinError e = block.error()) return e;
  FillLoadBlock(block.view(), label);
  index = static_cast<int>(SendMessageA(listView, LVM_FINDITEMA, static_cast<WPARAM>(-1),
                                        reinterpret_cast<LPARAM>(block.view() + kFindAt)));
  return 0;
}

WinError Win32Desktop::SetDesktopIconPosition(int index, Point position) {
  HWND listView = ListView();
  if (!listView) return ERROR_INVALID_WINDOW_HANDLE;
  SendMessageA(listView, LVM_SETITEMPOSITION, static_cast<WPARAM>(index),
               MAKELPARAM(position.x, position.y));
  return 0;
}

WinError Win32Desktop::RedrawDesktopIcons() {
  HWND listView = ListView();
  if (!listView) return ERROR_INVALID_WINDOW_HANDLE;
  const LRESULT count = SendMessageA(listView, LVM_GETITEMCOUNT, 0, 0);
  SendMessageA(listView, LVM_REDRAWITEMS, 0, count);
  return 0;
}

bool Win32Desktop::TaskbarExists() { return taskbar_.TaskbarExists(); }
std::uint32_t Win32Desktop::TaskbarState() { return taskbar_.TaskbarState(); }
bool Win32Desktop::AutoHideBarOn(int edge) { return taskbar_.AutoHideBarOn(edge); }
bool Win32Desktop::TaskbarPosition(Rect& rect) { return taskbar_.TaskbarPosition(rect); }
WinError Win32Desktop::TaskbarWindowRect(Rect& rect) { return taskbar_.TaskbarWindowRect(rect); }
WinError Win32Desktop::TaskbarClientRect(Rect& rect) { return taskbar_.TaskbarClientRect(rect); }
bool Win32Desktop::RevealTaskbar() { return taskbar_.RevealTaskbar(); }
bool Win32Desktop::MoveTaskbar(int edge) { return taskbar_.MoveTaskbar(edge); }
bool Win32Desktop::ResizeTaskbar(int thickness) { return taskbar_.ResizeTaskbar(thickness); }
bool Win32Desktop::ReadTaskbarOptions(std::vector<TaskbarOption>& options) {
  return taskbar_.ReadTaskbarOptions(options);
}
bool Win32Desktop::SetTaskbarOptions(const std::vector<TaskbarOption>& options) {
  return taskbar_.SetTaskbarOptions(options);
}
std::vector<std::string> Win32Desktop::TakeTaskbarLog() { return taskbar_.TakeTaskbarLog(); }

}  // namespace qv
