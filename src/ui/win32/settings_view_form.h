// The settings viewer ("Current Settings"): every item of the current
// configuration on the tabs "Personality" and "Connectivity", and the
// description of the current state of the one clicked, each produced once
// while the window is open (TSettingsViewModel).
#pragma once

#include "ui/logic/settings_view_model.h"
#include "ui/win32/form_dialog.h"

class TSettingsViewForm : public TFormDialog {
 public:
  TSettingsViewForm();

  TSettingsViewModel& Model() { return model_; }

 protected:
  void FormCreate() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnNotify(const NMHDR& header, LRESULT& result) override;

 private:
  // Shows the list of the tab that is chosen.
  void ShowPage(int page);
  void ListClick(TViewGroup group, int listId);

  TSettingsViewModel model_;
};
