// Small helpers shared by the program's windows.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace qv::ui {

// Registers the common controls the windows use (progress bar, animation,
// list views, tool bar, status bar). Safe to call more than once.
void EnsureCommonControls();

// The module whose resources hold the dialogs (the program itself).
HINSTANCE ResourceModule();

// The program's main window while it exists, else null; the owner of the
// modal windows.
HWND MainWindow();
void SetMainWindow(HWND window);
// The owner for a modal window: the main window, else this thread's active
// window.
HWND ModalOwner();

std::string WindowText(HWND window);
std::string ItemText(HWND dialog, int id);

// Moves a window to the middle of the screen.
void CentreOnScreen(HWND window);

// Lines of a text as a text box holds it, and back.
std::vector<std::string> SplitLines(const std::string& text);
std::string JoinLines(const std::vector<std::string>& lines);

// A save-file dialog. `filter` pairs a description with a pattern as
// "TXT files (*.txt)|*.TXT". The read-only box is hidden and the current
// folder is left as it was.
struct SaveFileRequest {
  std::string title;
  std::string defaultExtension;
  std::string filter;
  bool overwritePrompt = false;
  std::string initialFolder;  // "" leaves the dialog's own choice
};
// True with the chosen name when the person pressed OK.
bool AskSaveFileName(HWND owner, const SaveFileRequest& request, std::string& fileName);
// The same for opening a file that must exist.
bool AskOpenFileName(HWND owner, const SaveFileRequest& request, std::string& fileName);

}  // namespace qv::ui
