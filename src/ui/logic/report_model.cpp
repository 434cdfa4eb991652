#include "ui/logic/report_model.h"

#include "engine/messages.h"
#include "engine/file_utils.h"

std::string TReportModel::Text() const {
  std::string text;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (i > 0) text += "\r\n";
    text += lines_[i];
  }
  return text;
}

bool TReportModel::SaveToFile(const std::string& fileName) const {
  std::string error;
  if (WriteTextLines(fileName, lines_, error)) return true;
  ShowErrorBox(error);
  return false;
}
