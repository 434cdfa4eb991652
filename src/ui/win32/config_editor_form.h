// The configuration editor ("Configuration Editor"): the personality and
// connectivity check lists, the description, the configuration-file box
// with its recent files, Open, Save as, Defaults, Select all / none, the
// data files and OK. Every decision is TConfigEditorModel's; this window
// shows the model and passes the person's actions on.
#pragma once

#include "ui/logic/config_editor_model.h"
#include "ui/win32/form_dialog.h"

class TConfigEditorForm : public TFormDialog {
 public:
  // The model comes filled (SetFileList, SetPersonality, SetConnectivity,
  // SetFilename); after OK it holds the result.
  explicit TConfigEditorForm(TConfigEditorModel& model);

  TConfigEditorModel& Model() { return model_; }

 protected:
  void FormCreate() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnNotify(const NMHDR& header, LRESULT& result) override;

 private:
  // The check list of a group and the group of a check list.
  int ListId(TConfigGroup group) const;
  // Fills a check list from the model: names, ticks and the selection.
  void FillCheckList(TConfigGroup group);
  void FillCheckLists();
  // Shows the model's selection in both lists and its description.
  void ShowSelection();
  // The combo box's text and drop-down, and `txtCurrFolder`.
  void ShowConfigFile();
  void ItemChanged(TConfigGroup group, const NMLISTVIEW& change);
  // Puts the focus in the combo box unless it is there already.
  void FocusConfigFile();

  void btOpenFileClick();
  void btSaveFileAsClick();
  void btDefaultsClick();
  void btSelectAllClick();
  void btSelectNoneClick();
  void btFilesClick();
  void btOKClick();
  void cbConfigFileExit();
  void cbConfigFileSelect();

  TConfigEditorModel& model_;
  bool filling_ = false;  // list changes made by the window itself
};
