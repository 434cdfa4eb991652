// The data-file picker ("Data Files"): the list view `lvFiles` of the
// extra files and folders a save copies, the name box with Add and Browse,
// Delete, Select all, sorting by column, the view styles, the status bar
// `stFiles` with the totals, and files dropped from the shell. The entries,
// totals, sorting and enabled states are TDataFileModel's.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "ui/logic/data_file_model.h"
#include "ui/win32/form_dialog.h"

class TDataFileForm : public TFormDialog {
 public:
  // After OK the model holds the entries in view order (GetFileList).
  explicit TDataFileForm(TDataFileModel& model);

  TDataFileModel& Model() { return model_; }

 protected:
  void FormCreate() override;
  void FormDestroy() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnNotify(const NMHDR& header, LRESULT& result) override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  // Rebuilds the list view from the model's entries, with their selection.
  void ShowEntries();
  // The selection as the model has it.
  void ShowSelection();
  // The status bar's panels and the buttons' enabled states.
  void ShowStatus();
  // The list view's style, the pressed view button.
  void ShowViewStyle();
  void SetViewStyle(TViewStyle style);
  // The system image index to show for an entry, -1 for none.
  int ImageOf(const TDataFileEntry& entry) const;
  void ItemChanged(const NMLISTVIEW& change);
  void ShowPopupMenu(POINT at);

  void btAddClick();
  void btBrowseClick();
  void btDeleteClick();
  void btSelectAllClick();
  void lvFilesColumnClick(int column);
  void FilesDropped(HDROP drop);

  TDataFileModel& model_;
  bool filling_ = false;  // list changes made by the window itself
  HIMAGELIST smallImages_ = nullptr;  // the shell's, shared: never destroyed
  HIMAGELIST largeImages_ = nullptr;
};
