#include "engine/run_report.h"

#include "config/options.h"
#include "engine/file_utils.h"
#include "engine/messages.h"
#include "engine/program.h"
#include "engine/settings.h"
#include "platform/machine.h"
#include "stream/connection.h"
#include "stream/source_info.h"

namespace {

const std::string kRule(79, '-');

std::string OrUnknown(qv::WinError e, const std::string& value) {
  return e == qv::err::Success && !value.empty() ? value : "Unknown";
}

}  // namespace

void TRunReport::Attach(TConnection* connection) { connection_ = connection; }

void TRunReport::ClearLines() { lines_.clear(); }

void TRunReport::WriteHeader(const std::string& settingsFile, const std::string& backupFile,
                             bool isLoad) {
  lines_.clear();
  if (!connection_) return;
  TConnection& c = *connection_;
  qv::ISystemInfo& system = qv::CurrentMachine().System();
  std::string computer, user;
  qv::WinError computerError = system.ComputerName(computer);
  qv::WinError userError = system.UserName(user);
  qv::OsVersion version;
  std::string osName = system.Version(version) == qv::err::Success ? OSNameText(version) : "";

  c.AddComment(kRule);
  c.AddComment("ZTR QRV - Qorvel");
  c.AddComment("");
  c.AddComment("System Application Report generated " + system.DateTimeText());
  c.AddComment("");
  c.AddComment("System Name : " + OrUnknown(computerError, computer));
  c.AddComment("System User : " + OrUnknown(userError, user));
  c.AddComment("Operating system : " + osName);
  c.AddComment("");
  if (isLoad) {
    const TSourceInfo& source = SourceInfo();
    if (!settingsFile.empty()) c.AddComment("Settings copied from : " + settingsFile);
    c.AddComment("Source System Name : " + source.MachineName());
    c.AddComment("Source System User : " + source.UserName());
    c.AddComment("Source Operating system is " + source.OSName());
    c.AddComment("");
    if (!backupFile.empty()) c.AddComment("System settings backed up to " + backupFile);
  } else {
    c.AddComment("Settings saved to : " + settingsFile);
    c.AddComment("Configuration file : " + (ProgramOptions ? ProgramOptions->ConfigFile : ""));
  }
  c.AddComment("");
}

void TRunReport::WriteTail() {
  if (connection_) {
    if (RestartRequired)
      connection_->AddComment("The system must be restarted for some settings to take effect.");
    connection_->AddComment("");
    connection_->AddComment("End of Report");
    connection_->AddComment(kRule);
  }
  lines_.clear();
}

void TRunReport::CollectComments() {
  if (!connection_) return;
  if (const std::vector<std::string>* comments = connection_->GetComments())
    lines_.insert(lines_.end(), comments->begin(), comments->end());
}

bool TRunReport::SaveReport(const std::string& fileName) {
  std::string error;
  if (WriteTextLines(fileName, lines_, error)) return true;
  if (!IsQuietMode()) ShowErrorBox(error);
  return false;
}
