#include "ui/win32/main_form.h"

#include <commctrl.h>

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
#include "registry/reg_utils.h"
#include "stream/connection.h"
#include "ui/win32/debug_form.h"
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

std::string ShortHint(int id) {
  std::string hint = FullHint(id);
  std::size_t bar = hint.find('|');
  return bar == std::string::npos ? hint : hint.substr(0, bar);
}

std::string BareName(const std::string& path) {
  std::size_t slash = path.find_last_of("\\/:");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FolderOfPath(const std::string& path) {
  std::size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// One replace-or-merge question; false when it was cancelled. The answer
// is stored whichever button closed the window.
bool AskReplaceOrMerge(HWND owner, const std::string& question, bool& replace) {
  TQueryForm form;
  form.SetQuestion(question);
  form.SetReplace(replace);
  INT_PTR answer = form.ShowModal(owner);
  replace = form.IsReplace();
  return answer == IDOK;
}

}  // namespace

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
  RegisterFileAssociation();
  CreateControls();
  EnableUndo(false);
  UpdateReportItem();
  // Windows of later steps: enabled once they are built.
  HMENU menu = GetMenu(hwnd_);
  for (int id : {IDM_miOptions, IDM_Configuration1, IDM_miViewSettings,
                 IDM_miInstalledApplications})
    EnableMenuItem(menu, id, MF_BYCOMMAND | MF_GRAYED);
  EnableWindow(GetDlgItem(hwnd_, IDC_btView), FALSE);
  SendMessageA(toolbar_, TB_ENABLEBUTTON, IDC_btConfigure, FALSE);

  status_ = std::make_unique<TStatusForm>(hwnd_);
  statusScope_ = std::make_unique<StatusScope>(*status_);

  // The stored configuration file, when there is one; else the default.
  const std::string& config = Options().ConfigFile;
  if (!config.empty()) CurrentConfig().Load(config);
}

void TMainForm::RegisterFileAssociation() {
  // Settings files open in this program from the shell (an unattended load).
  // Errors are ignored.
  char path[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, path, sizeof path);
  UTLSetRegString(qv::hkey::ClassesRoot, "\\.QRV", "", "qrv_auto_file");
  UTLSetRegString(qv::hkey::ClassesRoot, "\\qrv_auto_file", "", "QRV file");
  UTLSetRegString(qv::hkey::ClassesRoot, "\\qrv_auto_file\\shell\\open\\command", "",
                  std::string("\"") + path + "\" \"%1\"");
}

LRESULT TMainForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam));
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
        tip = ShortHint(static_cast<int>(header->idFrom));
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
      UndoClick();
      break;
    case IDM_miReport: {
      TReportDialog dialog;
      dialog.SetLines(RunReport().Lines());
      dialog.ShowModal(hwnd_);
      break;
    }
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

std::string TMainForm::HintFor(int id) {
  std::string hint = FullHint(id);
  std::size_t bar = hint.find('|');
  return bar == std::string::npos ? hint : hint.substr(bar + 1);
}

void TMainForm::SetHint(const std::string& hint) {
  if (status_bar_ && qv::ui::WindowText(status_bar_) != hint)
    SetWindowTextA(status_bar_, hint.c_str());
}

void TMainForm::EnableUndo(bool enable) {
  // The menu item and the tool bar button always change together.
  EnableMenuItem(GetMenu(hwnd_), IDM_miUndo, MF_BYCOMMAND | (enable ? MF_ENABLED : MF_GRAYED));
  SendMessageA(toolbar_, TB_ENABLEBUTTON, IDC_btUndo, enable ? TRUE : FALSE);
}

void TMainForm::UpdateReportItem() {
  EnableMenuItem(GetMenu(hwnd_), IDM_miReport,
                 MF_BYCOMMAND | (RunReport().HasLines() ? MF_ENABLED : MF_GRAYED));
}

void TMainForm::SaveClick() {
  qv::ui::SaveFileRequest request;
  request.title = "Save Settings as";
  request.defaultExtension = "QRV";
  request.filter = "QRV files (*.qrv)|*.QRV";
  request.overwritePrompt = true;
  request.initialFolder = lastSaveFolder_;
  std::string fileName;
  if (!qv::ui::AskSaveFileName(hwnd_, request, fileName)) return;
  lastSaveFolder_ = FolderOfPath(fileName);
  // The configuration editor comes in here once it exists: the save then
  // uses the configuration it was given.
  SaveTo(fileName);
}

bool TMainForm::SaveTo(const std::string& fileName) {
  TWriteFileConnection writer;
  writer.ConnectionVersion = kConnectionVersion;
  if (!writer.Open(fileName, kSettingsMagic)) {
    ShowErrorBox("Error saving " + fileName + "\r\n" + writer.LastError());
    return false;
  }
  Options().LastSavedFile = fileName;
  SETTINGS_RC result = SaveSettings(fileName, writer, false, false);
  UpdateReportItem();
  return result == SETTINGS_OK;
}

void TMainForm::LoadClick() {
  qv::ui::SaveFileRequest request;
  request.title = "Load Settings";
  request.defaultExtension = "qrv";
  request.filter = "QRV files (*.qrv)|*.QRV";
  std::string fileName;
  if (!qv::ui::AskOpenFileName(hwnd_, request, fileName)) return;
  LoadFile(fileName);
}

bool TMainForm::LoadFile(const std::string& fileName) {
  bool loaded = false;
  if (std::unique_ptr<TReadFileConnection> reader = OpenForLoad(fileName)) {
    ApplyLoad(fileName, *reader);
    loaded = true;
  }
  UpdateReportItem();
  return loaded;
}

std::unique_ptr<TReadFileConnection> TMainForm::OpenForLoad(const std::string& fileName) {
  auto reader = std::make_unique<TReadFileConnection>();
  if (!reader->Open(fileName, kSettingsMagic)) {
    // A file that cannot be opened has had its box from Open itself; one
    // that opens but is no settings file is refused here with its reason.
    if (reader->LastError().rfind("Error opening file", 0) != 0)
      ShowErrorBox("Error reading " + fileName + "\r\n" + reader->LastError());
    return nullptr;
  }
  qv::IPrompts* prompts = qv::CurrentMachine().Prompts();
  bool ctrlHeld = prompts && prompts->KeyDown(qv::vk::Control);
  if (reader->ConnectionVersion != kConnectionVersion && !ctrlHeld) {
    ShowErrorBox("QRV File version mismatch : Unable to load " + fileName);
    return nullptr;
  }
  // Read the file's item lists ahead, then go back so the load reads them
  // again from the same place.
  TCatConfig configuration;
  try {
    std::int32_t start = reader->GetPosition();
    configuration.ReadItemLists(*reader);
    reader->Seek(start - reader->GetPosition());
  } catch (const std::exception& e) {
    ShowErrorBox("Error reading " + fileName + "\r\n" + e.what());
    return nullptr;
  }
  TOptions& options = Options();
  const std::string name = BareName(fileName);
  if (configuration.PersonalityItems.IsSelected("Start Menu") &&
      !AskReplaceOrMerge(hwnd_,
                         "The file " + name +
                             " contains a new Start Menu. Do you want to REPLACE or MERGE your "
                             "existing StartMenu with the new one ?",
                         options.ReplaceStartMenu))
    return nullptr;
  if (configuration.PersonalityItems.IsSelected("Desktop Icons") &&
      !AskReplaceOrMerge(hwnd_,
                         "The file " + name +
                             " contains a new set of Desktop Icons. Do you want to REPLACE or "
                             "MERGE your existing Desktop Icons with the new one ?",
                         options.ReplaceDesktop))
    return nullptr;
  return reader;
}

void TMainForm::ApplyLoad(const std::string& fileName, TConnection& reader) {
  TUndoManager& undo = UndoManager();
  undo.Recording = true;
  StatusWindow().SetCaption("Loading settings...");
  std::string backupFile;
  SETTINGS_RC result = LoadSettings(fileName, reader, true, backupFile, false);
  if (result == SETTINGS_ERROR) {
    EnableUndo(true);
    TReportDialog dialog;
    dialog.SetLines(RunReport().Lines());
    dialog.ShowModal(hwnd_);
  } else if (result == SETTINGS_OK) {
    if (AskKeepSettings(backupFile)) {
      EnableUndo(true);
      TReportDialog dialog;
      dialog.SetLines(RunReport().Lines());
      dialog.ShowModal(hwnd_);
    } else {
      undo.Restore();
      EnableUndo(false);
      if (Options().CreateBackup && !backupFile.empty())
        qv::CurrentMachine().Files().Remove(backupFile);
    }
  }
  undo.Recording = false;
}

void TMainForm::UndoClick() {
  EnableUndo(false);
  if (UndoManager().UndoAvailable()) UndoManager().Restore();
  UpdateReportItem();
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
