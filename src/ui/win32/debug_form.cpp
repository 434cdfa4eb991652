#include "ui/win32/debug_form.h"

#include <stdexcept>

#include "engine/file_utils.h"
#include "engine/messages.h"
#include "ui/win32/resource.h"
#include "ui/win32/ui_support.h"

namespace {

constexpr const char* kClassName = "TDebugForm";

}  // namespace

TDebugForm::TDebugForm() : uiThread_(GetCurrentThreadId()) {
  qv::ui::EnsureCommonControls();
  static bool registered = [] {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = qv::ui::ResourceModule();
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    return RegisterClassExA(&wc) != 0;
  }();
  (void)registered;

  hwnd_ = CreateWindowExA(WS_EX_TOOLWINDOW, kClassName, "Debugging Information",
                          WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 640, 220, nullptr,
                          nullptr, qv::ui::ResourceModule(), this);
  if (!hwnd_) throw std::runtime_error("The debug window cannot be created.");
  popup_ = LoadMenuA(qv::ui::ResourceModule(), MAKEINTRESOURCEA(IDM_DebugPopup));
  AttachDebugSink(this);
}

TDebugForm::~TDebugForm() {
  AttachDebugSink(nullptr);
  if (popup_) DestroyMenu(popup_);
  if (hwnd_) {
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

LRESULT CALLBACK TDebugForm::WindowProc(HWND window, UINT message, WPARAM wParam,
                                        LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    auto* self = static_cast<TDebugForm*>(create->lpCreateParams);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->hwnd_ = window;
  }
  auto* self = reinterpret_cast<TDebugForm*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!self) return DefWindowProcA(window, message, wParam, lParam);
  return self->HandleMessage(message, wParam, lParam);
}

LRESULT TDebugForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: {
      list_ = CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", "",
                              WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY |
                                  LBS_NOINTEGRALHEIGHT,
                              0, 0, 0, 0, hwnd_, reinterpret_cast<HMENU>(IDC_lbDebug),
                              qv::ui::ResourceModule(), nullptr);
      if (!list_) return -1;
      RECT client;
      GetClientRect(hwnd_, &client);
      MoveWindow(list_, 0, 0, client.right, client.bottom, FALSE);
      SendMessageA(list_, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
                   FALSE);
      return 0;
    }
    case WM_SIZE:
      // The list box fills the window.
      MoveWindow(list_, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      return 0;
    case WM_USER:
      AppendSlot(static_cast<int>(wParam));
      return 0;
    case WM_CONTEXTMENU: {
      POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      if (at.x == -1 && at.y == -1) {  // from the keyboard
        at = {0, 0};
        ClientToScreen(hwnd_, &at);
      }
      TrackPopupMenu(GetSubMenu(popup_, 0), TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd_,
                     nullptr);
      return 0;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDM_DebugSave:
          SaveWithDialog();
          return 0;
        case IDM_DebugClear:
          Clear();
          return 0;
      }
      break;
    case WM_CLOSE:
      // The window lives as long as the program; closing only hides it.
      ShowWindow(hwnd_, SW_HIDE);
      return 0;
  }
  return DefWindowProcA(hwnd_, message, wParam, lParam);
}

void TDebugForm::Show() {
  RECT r;
  GetWindowRect(hwnd_, &r);
  int width = r.right - r.left;
  int height = r.bottom - r.top;
  int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  int y = GetSystemMetrics(SM_CYSCREEN) - height;
  SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
}

void TDebugForm::DebugLine(int slot) {
  if (!hwnd_) return;
  // Synchronous, also from a worker thread: the writer waits until the
  // line is in the list, so lines keep the order in which they were written.
  SendMessageA(hwnd_, WM_USER, static_cast<WPARAM>(slot), 0);
}

void TDebugForm::AppendSlot(int slot) {
  std::string text = DebugLogSlot(slot);
  LRESULT index = SendMessageA(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  if (index >= 0) SendMessageA(list_, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
  // Long lines can be scrolled to.
  if (HDC dc = GetDC(list_)) {
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(list_, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(list_, dc);
    if (size.cx + 8 > SendMessageA(list_, LB_GETHORIZONTALEXTENT, 0, 0))
      SendMessageA(list_, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(size.cx + 8), 0);
  }
  UpdateWindow(list_);
}

void TDebugForm::Clear() {
  SendMessageA(list_, LB_RESETCONTENT, 0, 0);
  SendMessageA(list_, LB_SETHORIZONTALEXTENT, 0, 0);
  ResetDebugLog();
}

std::vector<std::string> TDebugForm::Lines() const {
  std::vector<std::string> lines;
  LRESULT count = SendMessageA(list_, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    LRESULT length = SendMessageA(list_, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
    if (length < 0) continue;
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    LRESULT got = SendMessageA(list_, LB_GETTEXT, static_cast<WPARAM>(i),
                               reinterpret_cast<LPARAM>(text.data()));
    text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    lines.push_back(std::move(text));
  }
  return lines;
}

bool TDebugForm::SaveToFile(const std::string& fileName, std::string& error) const {
  return WriteTextLines(fileName, Lines(), error);
}

void TDebugForm::SaveWithDialog() {
  qv::ui::SaveFileRequest request;
  request.title = "Save Debug Information";
  request.defaultExtension = "TXT";
  request.filter = "TXT files (*.txt)|*.TXT";
  std::string fileName;
  if (!qv::ui::AskSaveFileName(hwnd_, request, fileName)) return;
  std::string error;
  if (!SaveToFile(fileName, error)) ShowErrorBox(error);
}
