#include "ui/win32/main_form.h"

#include <commctrl.h>
#include <shellapi.h>

#include <stdexcept>

#include "config/cat_config.h"
#include "config/options.h"
#include "engine/messages.h"
#include "engine/program.h"
#include "engine/run_report.h"
#include "engine/runs.h"
#include "engine/status.h"
#include "platform/machine.h"
#include "platform/prompts.h"
#include "app/app_list.h"
#include "stream/connection.h"
#include "ui/logic/dropped_files.h"
#include "ui/logic/main_model.h"
#include "ui/win32/debug_form.h"
#include "ui/win32/forms.h"
#include "ui/win32/resource.h"
#include "ui/win32/small_dialogs.h"
#include "ui/win32/status_form.h"
#include "ui/win32/ui_support.h"
#include "undo/undo_manager.h"

namespace {

constexpr const char* kClassName = "TMainForm";

struct Hint {
  int id;
  const char* text;
};

// Hints of the controls and menu items; tool bar hints carry a short part
// for the tooltip and a long one for pnlStatus.
const Hint kHints[] = {
    {IDC_btSave, "Save settings to a file"},
    {IDC_btLoad, "Loads an existing settings file and applys the changes to this computer"},
    {IDC_btView, "View your current system settings"},
    {IDC_btLoadSettings,
     "Load|Loads an existing settings file and applys the changes to this computer"},
    {IDC_btSaveSettings, "Save|Save current settings"},
    {IDC_btUndo, "Undo|Restore previous settings"},
    {IDC_btConfigure, "Configure|Configure settings"},
    {IDM_miLoadSettings, "Loads an existing settings file"},
    {IDM_miSaveSettings, "Save settings to a file"},
    {IDM_Exit1, "Exit QRV"},
    {IDM_miUndo, "Undo the last settings change"},
    {IDM_miOptions, "Set system options"},
    {IDM_Configuration1, "Invokes the Configuration Editor"},
    {IDM_miReport, "View the results of the last settings change."},
    {IDM_miViewSettings, "View your current system settings"},
};

std::string FullHint(int id) {
  for (const Hint& h : kHints)
    if (h.id == id) return h.text;
  return std::string();
}

// Recent settings files in the File menu: command IDs from here on, one
// per entry (1-based).
constexpr int kRecentFileFirst = 1700;

}  // namespace

// The File menu as the recent-files list sees it: the list appends its
// items (a separator, then one per entry) at the menu's end and takes them
// away again as a whole.
class TFileMenu : public IMRUMenu {
 public:
  explicit TFileMenu(HMENU menu) : menu_(menu) {}
  ~TFileMenu() override { RemoveMRUItems(); }

  int GetCount() override { return GetMenuItemCount(menu_); }
  IMRUMenu* GetParent() override { return nullptr; }
  int IndexOf(IMRUMenu*) override { return -1; }
  IMRUMenu* InsertMRUItem(int index, const std::string& caption, int entry) override {
    const int count = GetMenuItemCount(menu_);
    const UINT at = static_cast<UINT>(index < 0 || index > count ? count : index);
    const UINT_PTR id = entry > 0 ? static_cast<UINT_PTR>(kRecentFileFirst + entry) : 0;
    if (caption == "-")
      InsertMenuA(menu_, at, MF_BYPOSITION | MF_SEPARATOR, id, nullptr);
    else
      InsertMenuA(menu_, at, MF_BYPOSITION | MF_STRING, id, caption.c_str());
    items_.push_back(std::make_unique<Item>());
    return items_.back().get();
  }
  void RemoveMRUItems() override {
    for (std::size_t i = 0; i < items_.size(); ++i)
      DeleteMenu(menu_, GetMenuItemCount(menu_) - 1, MF_BYPOSITION);
    items_.clear();
  }

 private:
  // An item the list made; it holds nothing itself.
  class Item : public IMRUMenu {
   public:
    int GetCount() override { return 0; }
    IMRUMenu* GetParent() override { return nullptr; }
    int IndexOf(IMRUMenu*) override { return -1; }
    IMRUMenu* InsertMRUItem(int, const std::string&, int) override { return nullptr; }
    void RemoveMRUItems() override {}
  };

  HMENU menu_;
  std::vector<std::unique_ptr<Item>> items_;
};

TMainForm::TMainForm() {
  qv::ui::EnsureCommonControls();
  static bool registered = [] {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = qv::ui::ResourceModule();
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    return RegisterClassExA(&wc) != 0;
  }();
  (void)registered;
  HMENU menu = LoadMenuA(qv::ui::ResourceModule(), MAKEINTRESOURCEA(IDM_MainMenu1));
  // Small and of fixed size: a single border, system menu and minimise box.
  RECT frame{0, 0, 420, 250};
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  AdjustWindowRectEx(&frame, style, TRUE, 0);
  hwnd_ = CreateWindowExA(0, kClassName, "ZTR Qorvel", style, CW_USEDEFAULT, CW_USEDEFAULT,
                          frame.right - frame.left, frame.bottom - frame.top, nullptr, menu,
                          qv::ui::ResourceModule(), this);
  if (!hwnd_) throw std::runtime_error("The main window cannot be created.");
  accelerators_ = LoadAcceleratorsA(qv::ui::ResourceModule(), MAKEINTRESOURCEA(IDA_MainForm));
  qv::ui::CentreOnScreen(hwnd_);
  qv::ui::SetMainWindow(hwnd_);
  FormCreate();
}

TMainForm::~TMainForm() {
  model_.reset();
  fileMenu_.reset();
  statusScope_.reset();
  status_.reset();
  if (qv::ui::MainWindow() == hwnd_) qv::ui::SetMainWindow(nullptr);
  if (hwnd_ && IsWindow(hwnd_)) {
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

void TMainForm::Show() {
  ShowWindow(hwnd_, SW_SHOW);
  UpdateWindow(hwnd_);
}

LRESULT CALLBACK TMainForm::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    auto* self = static_cast<TMainForm*>(create->lpCreateParams);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->hwnd_ = window;
  }
  auto* self = reinterpret_cast<TMainForm*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!self) return DefWindowProcA(window, message, wParam, lParam);
  return self->HandleMessage(message, wParam, lParam);
}

void TMainForm::CreateControls() {
  HINSTANCE module = qv::ui::ResourceModule();
  HFONT font = reinterpret_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));

  // Tool bar: Load, Save | Undo, Configure, with the system's small images.
  toolbar_ = CreateWindowExA(0, TOOLBARCLASSNAMEA, "",
                             WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_TOP,
                             0, 0, 0, 0, hwnd_, reinterpret_cast<HMENU>(IDC_ToolBar1), module,
                             nullptr);
  SendMessageA(toolbar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  TBADDBITMAP images{HINST_COMMCTRL, IDB_STD_SMALL_COLOR};
  SendMessageA(toolbar_, TB_ADDBITMAP, 0, reinterpret_cast<LPARAM>(&images));
  TBBUTTON buttons[] = {
      {STD_FILEOPEN, IDC_btLoadSettings, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0,
       reinterpret_cast<INT_PTR>("Load Settings")},
      {STD_FILESAVE, IDC_btSaveSettings, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0,
       reinterpret_cast<INT_PTR>("Save Settings")},
      {0, 0, TBSTATE_ENABLED, BTNS_SEP, {}, 0, 0},
      {STD_UNDO, IDC_btUndo, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0,
       reinterpret_cast<INT_PTR>("Undo")},
      {STD_PROPERTIES, IDC_btConfigure, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0,
       reinterpret_cast<INT_PTR>("Configure")},
  };
  SendMessageA(toolbar_, TB_ADDBUTTONSA, sizeof buttons / sizeof buttons[0],
               reinterpret_cast<LPARAM>(buttons));
  SendMessageA(toolbar_, TB_AUTOSIZE, 0, 0);

  // The three large buttons.
  auto large = [&](const char* caption, int id, int left) {
    HWND button = CreateWindowExA(0, "BUTTON", caption, WS_CHILD | WS_VISIBLE | WS_TABSTOP |
                                                            BS_PUSHBUTTON | BS_MULTILINE,
                                  left, 70, 120, 100, hwnd_,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), module,
                                  nullptr);
    SendMessageA(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  };
  large("Save Settings", IDC_btSave, 15);
  large("Load Settings", IDC_btLoad, 150);
  large("View Settings", IDC_btView, 285);

  // pnlStatus: one line at the bottom for the hints.
  RECT client;
  GetClientRect(hwnd_, &client);
  status_bar_ = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_SUNKEN | SS_NOPREFIX |
                                                     SS_LEFTNOWORDWRAP,
                                0, client.bottom - 20, client.right, 20, hwnd_,
                                reinterpret_cast<HMENU>(IDC_pnlStatus), module, nullptr);
  SendMessageA(status_bar_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

void TMainForm::FormCreate() {
  // Settings files open in this program from the shell (an unattended load).
  char path[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, path, sizeof path);
  RegisterFileAssociation(path);
  CreateControls();
  DragAcceptFiles(hwnd_, TRUE);

  status_ = std::make_unique<TStatusForm>(hwnd_);
  statusScope_ = std::make_unique<StatusScope>(*status_);

  TMainWindowHooks hooks;
  hooks.AskReplace = [this](const std::string& question, bool& replace) {
    TQueryForm form;
    form.SetQuestion(question);
    form.SetReplace(replace);
    const INT_PTR answer = form.ShowModal(hwnd_);
    replace = form.IsReplace();
    return answer == IDOK;
  };
  hooks.ShowReport = [this] { ShowLines(RunReport().Lines()); };
  hooks.ShowEditor = [this](TConfigEditorModel& editor) { return ShowConfigEditor(hwnd_, editor); };
  fileMenu_ = std::make_unique<TFileMenu>(GetSubMenu(GetMenu(hwnd_), 0));
  model_ = std::make_unique<TMainModel>(fileMenu_.get(), std::move(hooks));
  UpdateCommands();
}

LRESULT TMainForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam));
      return 0;
    case WM_DROPFILES:
      OnDropFiles(reinterpret_cast<HDROP>(wParam));
      return 0;
    case WM_MENUSELECT: {
      UINT flags = HIWORD(wParam);
      if (flags == 0xFFFF && !lParam)
        SetHint("");  // the menu closed
      else if (!(flags & MF_POPUP))
        SetHint(HintFor(LOWORD(wParam)));
      return 0;
    }
    case WM_SETCURSOR: {
      HWND under = reinterpret_cast<HWND>(wParam);
      if (under != toolbar_) SetHint(under == hwnd_ ? "" : HintFor(GetDlgCtrlID(under)));
      break;
    }
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (header->code == TBN_HOTITEMCHANGE) {
        auto* hot = reinterpret_cast<NMTBHOTITEM*>(lParam);
        SetHint((hot->dwFlags & HICF_LEAVING) ? "" : HintFor(hot->idNew));
      } else if (header->code == TTN_GETDISPINFOA) {
        auto* info = reinterpret_cast<NMTTDISPINFOA*>(lParam);
        static std::string tip;
        tip = TooltipHint(FullHint(static_cast<int>(header->idFrom)));
        info->lpszText = tip.data();
      }
      return 0;
    }
    case WM_CLOSE:
      DestroyWindow(hwnd_);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(hwnd_, message, wParam, lParam);
}

void TMainForm::OnCommand(int id) {
  if (id > kRecentFileFirst && id <= kRecentFileFirst + kRecentFilesMaximum) {
    model_->RecentFiles().EntryClicked(id - kRecentFileFirst);
    UpdateCommands();
    return;
  }
  switch (id) {
    case IDC_btSave:
    case IDC_btSaveSettings:
    case IDM_miSaveSettings:
      SaveClick();
      break;
    case IDC_btLoad:
    case IDC_btLoadSettings:
    case IDM_miLoadSettings:
      LoadClick();
      break;
    case IDC_btUndo:
    case IDM_miUndo:
      model_->UndoCommand();
      UpdateCommands();
      break;
    case IDC_btConfigure:
    case IDM_Configuration1:
      model_->ConfigureCommand();
      break;
    case IDM_miOptions:
      ShowOptions(hwnd_);
      break;
    case IDC_btView:
    case IDM_miViewSettings:
      ShowSettingsView(hwnd_);
      break;
    case IDM_miReport:
      ShowLines(RunReport().Lines());
      break;
    case IDM_miInstalledApplications:
      ShowLines(InstalledApplicationLines());
      break;
    case IDM_About1: {
      TAboutForm form;
      form.ShowModal(hwnd_);
      break;
    }
    case IDM_CommandLine1: {
      TCmdLineForm form;
      form.ShowModal(hwnd_);
      break;
    }
    case IDM_Exit1:
      PostMessageA(hwnd_, WM_CLOSE, 0, 0);
      break;
  }
}

void TMainForm::OnDropFiles(HDROP drop) {
  std::vector<std::string> names =
      DroppedFileNames([drop](std::uint32_t index, char* buffer, std::uint32_t size) {
        return DragQueryFileA(drop, index, buffer, size);
      });
  DragFinish(drop);
  model_->FilesDropped(names);
  UpdateCommands();
}

std::string TMainForm::HintFor(int id) { return StatusHint(FullHint(id)); }

void TMainForm::SetHint(const std::string& hint) {
  if (status_bar_ && qv::ui::WindowText(status_bar_) != hint)
    SetWindowTextA(status_bar_, hint.c_str());
}

void TMainForm::UpdateCommands() {
  // The menu item and the tool bar button always change together.
  const bool undo = model_ && model_->UndoEnabled();
  EnableMenuItem(GetMenu(hwnd_), IDM_miUndo, MF_BYCOMMAND | (undo ? MF_ENABLED : MF_GRAYED));
  SendMessageA(toolbar_, TB_ENABLEBUTTON, IDC_btUndo, undo ? TRUE : FALSE);
  const bool report = RunReport().HasLines();
  EnableMenuItem(GetMenu(hwnd_), IDM_miReport, MF_BYCOMMAND | (report ? MF_ENABLED : MF_GRAYED));
  DrawMenuBar(hwnd_);
}

void TMainForm::ShowLines(const std::vector<std::string>& lines) {
  TReportDialog dialog;
  dialog.SetLines(lines);
  dialog.ShowModal(hwnd_);
}

void TMainForm::SaveClick() {
  qv::ui::SaveFileRequest request;
  request.title = "Save Settings as";
  request.defaultExtension = "QRV";
  request.filter = "QRV files (*.qrv)|*.QRV";
  request.overwritePrompt = true;
  request.initialFolder = model_->LastSaveFolder();
  std::string fileName;
  if (!qv::ui::AskSaveFileName(hwnd_, request, fileName)) return;
  SaveTo(fileName);
}

bool TMainForm::SaveTo(const std::string& fileName) {
  const bool saved = model_->SaveCommand(fileName);
  UpdateCommands();
  return saved;
}

void TMainForm::LoadClick() {
  qv::ui::SaveFileRequest request;
  request.title = "Load Settings";
  request.defaultExtension = "qrv";
  request.filter = "QRV files (*.qrv)|*.QRV";
  std::string fileName;
  if (!qv::ui::AskOpenFileName(hwnd_, request, fileName)) return;
  model_->LoadCommand(fileName);
  UpdateCommands();
}

bool TMainForm::LoadFile(const std::string& fileName) {
  const bool loaded = model_->LoadFile(fileName);
  UpdateCommands();
  return loaded;
}

void RunMainWindow(bool showDebugWindow) {
  TMainForm main;
  TDebugForm debug;
  main.Show();
  if (showDebugWindow) debug.Show();
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (TranslateAcceleratorA(main.Handle(), main.Accelerators(), &msg)) continue;
    if (!IsDialogMessageA(main.Handle(), &msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
}
