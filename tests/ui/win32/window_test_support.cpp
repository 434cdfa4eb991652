#include "ui/win32/window_test_support.h"

#include <shlobj.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>

namespace qv::test {

namespace {

struct Search {
  std::string caption;
  bool dialogOnly = false;
  HWND found = nullptr;
};

BOOL CALLBACK FindVisible(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<Search*>(data);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != GetCurrentProcessId() || !IsWindowVisible(window)) return TRUE;
  char text[512] = "";
  GetWindowTextA(window, text, sizeof text);
  char className[64] = "";
  GetClassNameA(window, className, sizeof className);
  if (search->dialogOnly && std::string(className) != "#32770") return TRUE;
  if (search->caption == text) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

bool DisplayAvailable() {
  HWND probe = CreateWindowExA(0, "STATIC", "probe", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
  if (!probe) return false;
  DestroyWindow(probe);
  return GetSystemMetrics(SM_CXSCREEN) > 0;
}

void WindowTest::SetUp() {
  if (!DisplayAvailable()) GTEST_SKIP() << "no display: windows cannot be shown";
}

namespace {

HWND WaitFor(Search search, int timeoutMs) {
  WaitUntil(
      [&] {
        search.found = nullptr;
        EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
      },
      timeoutMs);
  return search.found;
}

}  // namespace

HWND WaitForWindow(const std::string& caption, int timeoutMs) {
  return WaitFor(Search{caption, false}, timeoutMs);
}

HWND WaitForDialog(const std::string& caption, int timeoutMs) {
  return WaitFor(Search{caption, true}, timeoutMs);
}

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() > end) return false;
    Sleep(10);
  }
}

std::string TextOf(HWND window) {
  char text[4096] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

std::string ItemTextOf(HWND dialog, int id) {
  HWND item = GetDlgItem(dialog, id);
  return item ? TextOf(item) : "<no control " + std::to_string(id) + ">";
}

bool ItemVisible(HWND dialog, int id) {
  HWND item = GetDlgItem(dialog, id);
  return item && (GetWindowLongPtrA(item, GWL_STYLE) & WS_VISIBLE);
}

bool ItemEnabled(HWND dialog, int id) {
  HWND item = GetDlgItem(dialog, id);
  return item && IsWindowEnabled(item);
}

void Click(HWND dialog, int id) {
  HWND item = GetDlgItem(dialog, id);
  if (item) PostMessageA(item, BM_CLICK, 0, 0);
}

WindowDriver::WindowDriver(std::string caption, std::function<void(HWND)> action)
    : thread_([this, caption, action] {
        HWND window = WaitForDialog(caption);
        if (!window) return;
        found_ = true;
        action(window);
        // A window the action left open is closed, so that the test goes on.
        if (IsWindow(window) && IsWindowVisible(window)) {
          Sleep(200);
          if (IsWindow(window) && IsWindowVisible(window))
            PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
        }
      }) {}

WindowDriver::~WindowDriver() { Join(); }

bool WindowDriver::Join() {
  if (!joined_) {
    thread_.join();
    joined_ = true;
  }
  return found_;
}

bool AnswerSaveDialog(const std::string& caption, const std::string& fileName) {
  HWND dialog = WaitForDialog(caption);
  if (!dialog) return false;
  // The file name box: the combo box of newer dialogs, or the edit box.
  const int fileNameBoxes[] = {0x47c /* cmb13 */, 0x480 /* edt1 */};
  bool typed = false;
  for (int id : fileNameBoxes) {
    HWND box = GetDlgItem(dialog, id);
    if (box && IsWindowVisible(box)) {
      SendMessageA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(fileName.c_str()));
      typed = true;
      break;
    }
  }
  if (!typed) return false;
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
  return WaitUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); });
}

::testing::AssertionResult SaveScreenshot(HWND window, const std::string& name) {
  if (!IsWindow(window)) return ::testing::AssertionFailure() << name << ": no window";
  // Let the window finish drawing before it is captured from the screen.
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN |
                                             RDW_FRAME | RDW_UPDATENOW);
  Sleep(300);
  RECT r;
  GetWindowRect(window, &r);
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;
  if (width <= 0 || height <= 0) return ::testing::AssertionFailure() << name << ": empty window";

  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // bottom-up, as BMP files store it
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BOOL copied = BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY | CAPTUREBLT);
  GdiFlush();
  SelectObject(memory, old);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);

  const int stride = (width * 3 + 3) & ~3;
  const std::size_t size = static_cast<std::size_t>(stride) * height;
  std::string pixels(static_cast<const char*>(bits), size);
  DeleteObject(bitmap);
  if (!copied) return ::testing::AssertionFailure() << name << ": the screen cannot be read";

  std::set<std::uint32_t> colours;
  for (int y = 0; y < height && colours.size() < 3; y += 2)
    for (int x = 0; x < width && colours.size() < 3; x += 2) {
      const auto* p = reinterpret_cast<const unsigned char*>(pixels.data()) + y * stride + x * 3;
      colours.insert(p[0] | (p[1] << 8) | (p[2] << 16));
    }

  const char* env = std::getenv("QORVEL_SCREENSHOTS");
  std::string folder = env && *env ? env : "screenshots";
  CreateDirectoryA(folder.c_str(), nullptr);
  std::string path = folder + "\\" + name + ".bmp";
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
  file.bfSize = static_cast<DWORD>(file.bfOffBits + size);
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
  out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
  if (!out) return ::testing::AssertionFailure() << name << ": cannot write " << path;
  if (colours.size() < 2)
    return ::testing::AssertionFailure() << name << ": the captured window is one flat colour";
  return ::testing::AssertionSuccess();
}

std::string FreshTempFile(const std::string& name) {
  char folder[MAX_PATH] = "";
  GetTempPathA(sizeof folder, folder);
  std::string path = std::string(folder) + name;
  DeleteFileA(path.c_str());
  return path;
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "<missing>";
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

HDROP MakeDrop(const std::vector<std::string>& names) {
  std::string list;
  for (const std::string& name : names) list += name + '\0';
  list += '\0';
  HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size());
  auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = FALSE;
  std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), list.data(), list.size());
  GlobalUnlock(memory);
  return static_cast<HDROP>(memory);
}

}  // namespace qv::test
