// The report window, the about box, the command-line help and the
// replace-or-merge question.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "ui/win32/form_dialog.h"

// Shows a list of lines (the run report, or any other list) and saves it.
class TReportDialog : public TFormDialog {
 public:
  TReportDialog();
  // Fills the text area; any line list will do.
  void SetLines(const std::vector<std::string>& lines);
  // The text area's lines, as shown.
  std::vector<std::string> Lines() const;
  // Writes the text area's lines to `fileName`, replacing it.
  bool SaveToFile(const std::string& fileName, std::string& error) const;

 protected:
  void FormCreate() override;
  bool OnCommand(int id, int code, HWND control) override;

 private:
  void btSaveClick();

  std::vector<std::string> lines_;
};

class TAboutForm : public TFormDialog {
 public:
  TAboutForm();

 protected:
  void FormCreate() override;
  bool OnCommand(int id, int code, HWND control) override;
};

class TCmdLineForm : public TFormDialog {
 public:
  TCmdLineForm();

 protected:
  void FormCreate() override;
  bool OnCommand(int id, int code, HWND control) override;
};

// Asks whether the Start Menu or the desktop icons of a settings file
// replace or merge with the existing ones.
class TQueryForm : public TFormDialog {
 public:
  TQueryForm();
  void SetQuestion(const std::string& text);
  void SetReplace(bool replace);
  // True unless "Merge" was checked when the window closed (or, before it
  // is shown, as preset).
  bool IsReplace() const { return replace_; }

 protected:
  void FormCreate() override;
  bool OnCommand(int id, int code, HWND control) override;

 private:
  std::string question_;
  bool replace_ = true;
};
