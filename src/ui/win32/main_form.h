// The main window: menus, tool bar, the three large buttons and pnlStatus.
// What its commands decide is TMainModel's; the window shows the dialogs
// and keeps the menus' enabled states and the recent files in step.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <string>
#include <vector>

class TConnection;
class TMainModel;
class TReadFileConnection;
class TStatusForm;
class StatusScope;
class TFileMenu;

class TMainForm {
 public:
  // Creates the window (hidden) with its status window.
  TMainForm();
  ~TMainForm();
  TMainForm(const TMainForm&) = delete;
  TMainForm& operator=(const TMainForm&) = delete;

  HWND Handle() const { return hwnd_; }
  HACCEL Accelerators() const { return accelerators_; }
  TStatusForm& StatusForm() { return *status_; }

  void Show();

  TMainModel& Model() { return *model_; }

  // The whole interactive load of one file; true when it was loaded.
  bool LoadFile(const std::string& fileName);

  // The Save command after its dialog: the configuration editor, then the
  // save into `fileName`.
  bool SaveTo(const std::string& fileName);

  // The hint shown in pnlStatus for a control or menu item (the part after
  // "|" of a two-part hint); "" when it has none.
  static std::string HintFor(int id);

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void FormCreate();
  void CreateControls();
  void OnCommand(int id);
  void OnDropFiles(HDROP drop);
  void SetHint(const std::string& hint);
  // Undo (menu and tool bar) and Report as the model says.
  void UpdateCommands();
  void ShowLines(const std::vector<std::string>& lines);

  void SaveClick();
  void LoadClick();

  HWND hwnd_ = nullptr;
  HWND toolbar_ = nullptr;
  HWND status_bar_ = nullptr;
  HACCEL accelerators_ = nullptr;
  std::unique_ptr<TStatusForm> status_;
  std::unique_ptr<StatusScope> statusScope_;
  std::unique_ptr<TFileMenu> fileMenu_;
  std::unique_ptr<TMainModel> model_;
};

// Creates the main window and the hidden debug window, shows the debug
// window when asked, and runs the message loop until the main window closes.
void RunMainWindow(bool showDebugWindow);
