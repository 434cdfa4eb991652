#include "ui/win32/ui_support.h"

#include <commctrl.h>
#include <commdlg.h>

#include <cstdint>
#include <mutex>

#include "engine/messages.h"
#include "platform/machine.h"

namespace qv::ui {

namespace {
HWND g_mainWindow = nullptr;
}

void EnsureCommonControls() {
  static std::once_flag once;
  std::call_once(once, [] {
    INITCOMMONCONTROLSEX init{};
    init.dwSize = sizeof init;
    init.dwICC = ICC_WIN95_CLASSES | ICC_ANIMATE_CLASS | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES |
                 ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES;
    InitCommonControlsEx(&init);
  });
}

HINSTANCE ResourceModule() { return GetModuleHandleA(nullptr); }

HWND MainWindow() { return g_mainWindow; }
void SetMainWindow(HWND window) { g_mainWindow = window; }

HWND ModalOwner() {
  if (g_mainWindow && IsWindow(g_mainWindow)) return g_mainWindow;
  return GetActiveWindow();
}

std::string WindowText(HWND window) {
  int length = GetWindowTextLengthA(window);
  if (length <= 0) return std::string();
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  int got = GetWindowTextA(window, text.data(), length + 1);
  text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  return text;
}

std::string ItemText(HWND dialog, int id) {
  HWND item = GetDlgItem(dialog, id);
  return item ? WindowText(item) : std::string();
}

void CentreOnScreen(HWND window) {
  RECT r;
  if (!GetWindowRect(window, &r)) return;
  int width = r.right - r.left;
  int height = r.bottom - r.top;
  int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  SetWindowPos(window, nullptr, x < 0 ? 0 : x, y < 0 ? 0 : y, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(line);
      line.clear();
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      line += c;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i) text += "\r\n";
    text += lines[i];
  }
  return text;
}

namespace {

bool AskFileName(HWND owner, const SaveFileRequest& request, bool save, std::string& fileName) {
  // "Description|Pattern|..." becomes the dialog's list of NUL-ended
  // strings with a second NUL at the end.
  std::string filter = request.filter;
  for (char& c : filter)
    if (c == '|') c = '\0';
  filter.append(2, '\0');

  char name[MAX_PATH] = "";
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = name;
  ofn.nMaxFile = sizeof name;
  ofn.lpstrTitle = request.title.c_str();
  ofn.lpstrInitialDir = request.initialFolder.empty() ? nullptr : request.initialFolder.c_str();
  ofn.lpstrDefExt = request.defaultExtension.empty() ? nullptr : request.defaultExtension.c_str();
  ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST;
  if (save && request.overwritePrompt) ofn.Flags |= OFN_OVERWRITEPROMPT;
  if (!save) ofn.Flags |= OFN_FILEMUSTEXIST;
  BOOL chosen = save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn);
  if (!chosen) return false;
  fileName = name;
  return true;
}

}  // namespace

bool AskSaveFileName(HWND owner, const SaveFileRequest& request, std::string& fileName) {
  return AskFileName(owner, request, true, fileName);
}

bool AskOpenFileName(HWND owner, const SaveFileRequest& request, std::string& fileName) {
  return AskFileName(owner, request, false, fileName);
}

}  // namespace qv::ui
