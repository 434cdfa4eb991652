// The main window: menus, tool bar, the three large buttons and pnlStatus.
//
// A first shell: Save, Load, Undo, Report, About and Command line work
// through the engine directly. Configure, Options, View Settings,
// Installed Applications, the recent-files list and drag and drop come
// with their windows and the window-free models (configuration editor,
// options dialog, settings viewer, main window decisions) that the
// handlers below are then to be wired to.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

class TConnection;
class TReadFileConnection;
class TStatusForm;
class StatusScope;

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

  // The whole interactive load of one file; true when it was loaded.
  bool LoadFile(const std::string& fileName);
  // The reader positioned at the file's body, or null (wrong file, wrong
  // version without Ctrl held, or a question cancelled).
  std::unique_ptr<TReadFileConnection> OpenForLoad(const std::string& fileName);
  void ApplyLoad(const std::string& fileName, TConnection& reader);

  // Saves into `fileName` (the Save command after its dialog).
  bool SaveTo(const std::string& fileName);

  // The hint shown in pnlStatus for a control or menu item (the part after
  // "|" of a two-part hint); "" when it has none.
  static std::string HintFor(int id);

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void FormCreate();
  void CreateControls();
  void RegisterFileAssociation();
  void OnCommand(int id);
  void SetHint(const std::string& hint);
  void EnableUndo(bool enable);
  void UpdateReportItem();

  void SaveClick();
  void LoadClick();
  void UndoClick();

  HWND hwnd_ = nullptr;
  HWND toolbar_ = nullptr;
  HWND status_bar_ = nullptr;
  HACCEL accelerators_ = nullptr;
  std::unique_ptr<TStatusForm> status_;
  std::unique_ptr<StatusScope> statusScope_;
  std::string lastSaveFolder_;
};

// Creates the main window and the hidden debug window, shows the debug
// window when asked, and runs the message loop until the main window closes.
void RunMainWindow(bool showDebugWindow);
