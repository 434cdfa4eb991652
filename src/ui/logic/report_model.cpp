#include "ui/logic/report_model.h"

#include "engine/messages.h"
#include "platform/files.h"
#include "platform/machine.h"

std::string TReportModel::Text() const {
  std::string text;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (i > 0) text += "\r\n";
    text += lines_[i];
  }
  return text;
}

bool TReportModel::SaveToFile(const std::string& fileName) const {
  std::string text;
  for (const std::string& line : lines_) text += line + "\r\n";
  qv::IFiles& files = qv::CurrentMachine().Files();
  qv::FileHandle handle = 0;
  qv::WinError e =
      files.Open(fileName, qv::FileAccess::Write, qv::Disposition::CreateAlways, 0, handle);
  if (e == qv::err::Success) {
    std::uint32_t done = 0;
    e = files.Write(handle, text.data(), static_cast<std::uint32_t>(text.size()), done);
    files.Close(handle);
    if (e == qv::err::Success && done != text.size()) e = qv::err::DiskFull;
  }
  if (e != qv::err::Success) {
    ShowErrorBox("Cannot write " + fileName + ". " + SystemErrorText(e));
    return false;
  }
  return true;
}
