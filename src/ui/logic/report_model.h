// The report window's logic: the lines it shows and saving them.
// TReportDialog shows the lines in `memoContents`; `btSave` saves them.
#pragma once

#include <string>
#include <vector>

class TReportModel {
 public:
  // Any line list: the run report, the installed applications.
  void SetLines(const std::vector<std::string>& lines) { lines_ = lines; }
  const std::vector<std::string>& Lines() const { return lines_; }
  // The text area's text: the lines joined by CR LF.
  std::string Text() const;

  // Writes the lines to `fileName` as a text file, replacing it. A file
  // that cannot be written is reported in the standard error box; false
  // then.
  bool SaveToFile(const std::string& fileName) const;

 private:
  std::vector<std::string> lines_;
};
