// The options dialog ("Options", tab "Backup"): whether a load makes a
// backup first and the folder it goes to, through TOptionsModel.
#pragma once

#include <string>

#include "ui/logic/options_model.h"
#include "ui/win32/form_dialog.h"

class TOptionsForm : public TFormDialog {
 public:
  // Nothing reaches the options until OK.
  explicit TOptionsForm(TOptions& options);

 protected:
  void FormCreate() override;
  bool OnCommand(int id, int code, HWND control) override;

 private:
  // The edit box, "&Browse..." and "To folder :" follow the check box.
  void ShowFolderControls();
  void btChooseFolderClick();
  void btOKClick();

  TOptionsModel model_;
};

namespace qv::ui {

// The shell's folder browser rooted at the drives, file-system folders
// only, the selected path shown as its status text, `initialFolder`
// selected at first. True with the chosen folder on OK.
bool AskFolder(HWND owner, const std::string& title, const std::string& initialFolder,
               std::string& folder);

}  // namespace qv::ui
