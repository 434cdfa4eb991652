#include "items/connectivity/printer_settings.h"

#include <algorithm>
#include <cctype>
#include <set>

#include "config/options.h"
#include "engine/debug_log.h"
#include "engine/file_utils.h"
#include "engine/messages.h"
#include "engine/program.h"
#include "engine/status.h"
#include "items/connectivity/module_scanner.h"
#include "items/item_support.h"
#include "platform/machine.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/spooler.h"
#include "stream/connection.h"
#include "stream/file_transfer.h"
#include "undo/undo_manager.h"

namespace {

constexpr const char* kMonitorsKey = "System\\CurrentControlSet\\control\\Print\\Monitors\\";
// A device mode is dmSize + dmDriverExtra bytes, both 16-bit counts.
constexpr std::int32_t kMaxDevModeSize = 2 * 0xFFFF;
// The fixed part of an ANSI DEVMODE up to dmDriverExtra (32-bit layout).
constexpr std::size_t kDevModeSizeOffset = 36;
constexpr std::size_t kDevModeExtraOffset = 38;
// The least a dependent-file entry takes in a stream: an empty name, the
// size and the exists flag.
constexpr std::uint64_t kMinDependentEntry = 12;

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

bool Contains(const std::string& text, const std::string& part) {
  return !part.empty() && Upper(text).find(Upper(part)) != std::string::npos;
}

std::string FileName(const std::string& path) { return items::LastPathComponent(path); }

qv::ISpooler* Spooler() { return qv::CurrentMachine().Spooler(); }

std::string SysText(qv::WinError code) { return SystemErrorText(code); }

std::uint64_t FileSizeOf(const std::string& path) {
  qv::FileInfo info;
  if (qv::CurrentMachine().Files().QueryInfo(path, info) != qv::err::Success) return 0;
  return info.size;
}

void VersionOf(const std::string& path, std::uint32_t& high, std::uint32_t& low) {
  high = low = 0;
  if (qv::IShell* shell = qv::CurrentMachine().Shell()) {
    if (shell->FileVersion(path, high, low) != qv::err::Success) high = low = 0;
  }
}

struct NoCaseLess {
  bool operator()(const std::string& a, const std::string& b) const { return Upper(a) < Upper(b); }
};
using NameList = std::set<std::string, NoCaseLess>;

// --- File fields ----------------------------------------------------------

// From the exists flag on: the flag, the version parts and the file record.
// False when the file could not be put into the stream after it was found
// readable (the stream is then out of step).
bool WriteFileBody(TConnection& stream, const std::string& path, std::string& error) {
  TFileWriter writer(stream);
  const bool exists = !path.empty() && FileExists(path) && writer.CanRead(path);
  stream.WriteBoolean(exists, "ExistsOnSource");
  if (!exists) return true;
  std::uint32_t high = 0, low = 0;
  VersionOf(path, high, low);
  stream.WriteInteger(static_cast<std::int32_t>(high), "VersionHigh");
  stream.WriteInteger(static_cast<std::int32_t>(low), "VersionLow");
  if (!writer.WriteFile(path)) {
    error = writer.ErrorMessage();
    return false;
  }
  return true;
}

// A whole file field: the name without folder, then (when the field has
// one) the carried-here flag, then the body.
bool WriteFileField(TConnection& stream, const std::string& path, bool withCarried, bool carried,
                    std::string& error) {
  const std::string name = path.empty() ? std::string() : FileName(path);
  stream.WriteString(name, "FileName");
  if (name.empty()) return true;
  if (withCarried) {
    stream.WriteBoolean(carried, "CarriedHere");
    if (!carried) return true;
  }
  return WriteFileBody(stream, path, error);
}

// Reads a body. When `target` is not empty and `install` is set, the file
// is written there if the version rule lets it; otherwise it is passed
// over. False when the file record could not be taken out of the stream.
bool ReadFileBody(TConnection& stream, const std::string& target, bool install,
                  std::string& error) {
  if (!stream.ReadBoolean("ExistsOnSource")) return true;
  const std::uint32_t high = static_cast<std::uint32_t>(stream.ReadInteger("VersionHigh"));
  const std::uint32_t low = static_cast<std::uint32_t>(stream.ReadInteger("VersionLow"));
  TFileReader reader(stream, Options().ComparebyDate, Options().ComparebyChecksum);
  if (install && !target.empty()) {
    std::uint32_t existingHigh = 0, existingLow = 0;
    if (FileExists(target)) VersionOf(target, existingHigh, existingLow);
    if (items::ShouldCopyVersion(high, low, existingHigh, existingLow)) {
      DebugLog("Copying file " + target);
      UndoManager().RecordFile(target);
      if (!reader.ReadFile(true, target)) {
        error = reader.ErrorMessage().empty() ? "Cannot write " + target : reader.ErrorMessage();
        return false;
      }
      return true;
    }
  }
  if (!reader.SkipFile()) {
    error = reader.ErrorMessage();
    return false;
  }
  return true;
}

// A file field read into `folder` (with its trailing backslash). `path`
// becomes the folder plus the name, or empty for no file; `refused` names a
// file name that is not a plain name (its file is passed over).
bool ReadFileField(TConnection& stream, const std::string& folder, bool withCarried, bool install,
                   std::string& path, std::string& refused, std::string& error) {
  path.clear();
  const std::string name = stream.ReadString("FileName");
  if (name.empty()) return true;
  const bool bare = items::IsBareFileName(name);
  if (bare)
    path = folder + name;
  else if (refused.empty())
    refused = name;
  if (withCarried && !stream.ReadBoolean("CarriedHere")) return true;
  return ReadFileBody(stream, bare ? path : std::string(), install, error);
}

void RefusedLine(TConnection& stream, const std::string& what, const std::string& name,
                 const std::string& file) {
  const std::string line = what + " " + name + " skipped : the file name \"" + file +
                           "\" is not a plain file name.";
  DebugLog(line);
  stream.AddComment(line);
}

}  // namespace

namespace items {

bool IsBareFileName(const std::string& name) {
  if (name.empty() || name.size() > 255) return false;
  bool onlyDots = true;
  for (char ch : name) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c < 0x20 || std::string_view("\\/:*?\"<>|").find(ch) != std::string_view::npos)
      return false;
    if (ch != '.' && ch != ' ') onlyDots = false;
  }
  if (onlyDots) return false;
  // Device names, also with an extension ("NUL.TXT" is the device too).
  std::string stem = Upper(name.substr(0, name.find('.')));
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  static const std::set<std::string> kDevices = {"CON", "PRN", "AUX", "NUL", "CLOCK$"};
  if (kDevices.count(stem)) return false;
  if (stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0) &&
      stem[3] >= '0' && stem[3] <= '9')
    return false;
  return true;
}

bool ShouldCopyVersion(std::uint32_t carriedHigh, std::uint32_t carriedLow,
                       std::uint32_t existingHigh, std::uint32_t existingLow) {
  if (carriedHigh == 0 && carriedLow == 0 && existingHigh == 0 && existingLow == 0) return true;
  if (carriedHigh < existingHigh) return false;
  if (carriedHigh == existingHigh) return existingLow < carriedLow;
  return true;
}

}  // namespace items

// --- Printers -------------------------------------------------------------

std::string PrinterStatusText(std::uint32_t status) {
  static const char* const kWords[] = {
      "Paused  ",           "Error  ",         "Pending Deletion  ",
      "Paper Jam  ",        "Paper Out  ",     "Manual Feed  ",
      "Paper Problem  ",    "Offline  ",       "IO Active  ",
      "Busy  ",             "Printing  ",      "Output Bin Full  ",
      "Not Available  ",    "Waiting  ",       "Processing  ",
      "Initializing  ",     "Warming Up  ",    "Toner Low  ",
      "No Toner  ",         "Page Punt  ",     "User Intervention required ",
      "Out Of Memory  ",    "Door Open  ",     "Server Unknown  ",
      "Power Save  "};
  std::string text;
  for (unsigned bit = 0; bit < sizeof kWords / sizeof kWords[0]; ++bit)
    if (status & (1u << bit)) text += kWords[bit];
  return text;
}

namespace {

void LogPrinterFields(const TPrinterInfo& p) {
  DebugLog("Server name : " + p.ServerName);
  DebugLog("Share name : " + p.ShareName);
  DebugLog("Port name : " + p.PortName);
  DebugLog("Driver name : " + p.DriverName);
  DebugLog("Comment : " + p.Comment);
  DebugLog("Location : " + p.Location);
  DebugLog("Separator File : " + p.SepFile);
  DebugLog("Print Processor  : " + p.PrintProcessor);
  DebugLog("DataType  : " + p.DataType);
  DebugLog("Parameters  : " + p.Parameters);
}

// Whether the device mode's own sizes account for all its bytes.
bool DevModeConsistent(const std::vector<std::uint8_t>& bytes) {
  if (bytes.size() < kDevModeExtraOffset + 2) return false;
  const std::size_t size = bytes[kDevModeSizeOffset] | bytes[kDevModeSizeOffset + 1] << 8;
  const std::size_t extra = bytes[kDevModeExtraOffset] | bytes[kDevModeExtraOffset + 1] << 8;
  return size >= kDevModeExtraOffset + 2 && size + extra == bytes.size();
}

}  // namespace

void TPrinters::EnumeratePrinters() {
  Printers.clear();
  DebugLog("Enumerating Printers...");
  qv::ISpooler* spooler = Spooler();
  std::vector<qv::PrinterInfo> list;
  const qv::WinError code =
      spooler ? spooler->PrinterList(qv::penum::Local | qv::penum::Connections, list)
              : qv::err::NotSupported;
  if (code != qv::err::Success) {
    DebugLog("EnumPrinters failed : " + SysText(code));
    list.clear();
  }
  DebugLog(std::to_string(list.size()) + " existing printers.");
  for (const qv::PrinterInfo& in : list) {
    TPrinterInfo p;
    p.ServerName = in.serverName;
    p.PrinterName = in.printerName;
    p.ShareName = in.shareName;
    p.PortName = in.portName;
    p.DriverName = in.driverName;
    p.Comment = in.comment;
    p.Location = in.location;
    p.SepFile = in.sepFile;
    p.PrintProcessor = in.printProcessor;
    p.DataType = in.dataType;
    p.Parameters = in.parameters;
    p.Attributes = in.attributes;
    p.Priority = in.priority;
    p.DefaultPriority = in.defaultPriority;
    p.StartTime = in.startTime;
    p.UntilTime = in.untilTime;
    p.Status = in.status;
    p.Jobs = in.jobs;
    p.AveragePPM = in.averagePpm;
    DebugLog("Printer " + p.PrinterName);
    if (!in.devMode.empty() && in.devMode.size() <= static_cast<std::size_t>(kMaxDevModeSize)) {
      p.DevMode = in.devMode;
      p.DevModeSize = static_cast<std::int32_t>(in.devMode.size());
      DebugLog("Devmode size is " + std::to_string(p.DevModeSize));
      const std::size_t extra =
          in.devMode.size() >= kDevModeExtraOffset + 2
              ? (in.devMode[kDevModeExtraOffset] | in.devMode[kDevModeExtraOffset + 1] << 8)
              : 0;
      DebugLog("Extra bytes : " + std::to_string(extra));
    } else {
      DebugLog("No Device Mode data found.");
    }
    LogPrinterFields(p);
    p.StatusText = PrinterStatusText(p.Status);
    Printers.push_back(std::move(p));
  }
}

std::string TPrinters::GetPrinterName(int index) const {
  return index >= 0 && index < Count() ? Printers[index].PrinterName : std::string();
}

int TPrinters::FindPrinter(const std::string& name) const {
  int found = -1;
  for (int i = 0; i < Count(); ++i)
    if (Printers[i].PrinterName == name) found = i;
  return found;
}

std::string TPrinters::GetDriverName(const std::string& printerName) const {
  const int i = FindPrinter(printerName);
  return i < 0 ? std::string() : Printers[i].DriverName;
}

bool TPrinters::WritePrinter(const std::string& name, TConnection& stream) {
  const int index = FindPrinter(name);
  if (index < 0) {
    DebugLog("Printer " + name + " NOT FOUND.");
    ErrorText = "Printer " + name + " not found.";
    return false;
  }
  const TPrinterInfo& p = Printers[index];
  stream.WriteString(p.ServerName, "ServerName");
  stream.WriteString(p.PrinterName, "PrinterName");
  stream.WriteString(p.ShareName, "ShareName");
  stream.WriteString(p.PortName, "PortName");
  stream.WriteString(p.DriverName, "DriverName");
  stream.WriteString(p.Comment, "Comment");
  stream.WriteString(p.Location, "Location");
  // A separator file named without a folder lies in the system folder.
  std::string separator = p.SepFile;
  if (!separator.empty() && !FileExists(separator) &&
      separator.find_first_of("\\/:") == std::string::npos)
    separator = items::SystemFolder() + "\\" + separator;
  TFileWriter writer(stream);
  if (!separator.empty() && FileExists(separator) && writer.CanRead(separator)) {
    stream.WriteString(FileName(separator), "SepFile");
    if (!writer.WriteFile(separator)) {
      ErrorText = writer.ErrorMessage();
      return false;
    }
  } else {
    stream.WriteString("", "SepFile");
  }
  stream.WriteString(p.PrintProcessor, "PrintProcessor");
  stream.WriteString(p.DataType, "DataType");
  stream.WriteString(p.Parameters, "Parameters");
  stream.WriteInteger(static_cast<std::int32_t>(p.Attributes), "Attributes");
  stream.WriteInteger(static_cast<std::int32_t>(p.Priority), "Priority");
  stream.WriteInteger(static_cast<std::int32_t>(p.DefaultPriority), "DefaultPriority");
  stream.WriteInteger(static_cast<std::int32_t>(p.StartTime), "StartTime");
  stream.WriteInteger(static_cast<std::int32_t>(p.UntilTime), "UntilTime");
  stream.WriteInteger(p.DevModeSize, "DevModeSize");
  if (p.DevModeSize > 0) stream.WriteBuffer(p.DevMode.data(), static_cast<std::uint32_t>(p.DevModeSize));
  return true;
}

bool TPrinters::ReadPrinter(TConnection& stream, bool install) {
  ErrorText.clear();
  TPrinterInfo p;
  p.ServerName = stream.ReadString("ServerName");
  p.PrinterName = stream.ReadString("PrinterName");
  p.ShareName = stream.ReadString("ShareName");
  p.PortName = stream.ReadString("PortName");
  p.DriverName = stream.ReadString("DriverName");
  p.Comment = stream.ReadString("Comment");
  p.Location = stream.ReadString("Location");
  const std::string separator = stream.ReadString("SepFile");
  std::string refused;
  if (!separator.empty()) {
    TFileReader reader(stream, Options().ComparebyDate, Options().ComparebyChecksum);
    if (items::IsBareFileName(separator)) {
      // Written whether or not the printer is installed.
      p.SepFile = items::SystemFolder() + "\\" + separator;
      DebugLog("Separator file is " + p.SepFile);
      UndoManager().RecordFile(p.SepFile);
      if (!reader.ReadFile(false, p.SepFile)) {
        ErrorText = reader.ErrorMessage().empty() ? "Cannot write " + p.SepFile
                                                  : reader.ErrorMessage();
        return false;
      }
    } else {
      refused = separator;
      if (!reader.SkipFile()) {
        ErrorText = reader.ErrorMessage();
        return false;
      }
    }
  }
  p.PrintProcessor = stream.ReadString("PrintProcessor");
  p.DataType = stream.ReadString("DataType");
  p.Parameters = stream.ReadString("Parameters");
  p.Attributes = static_cast<std::uint32_t>(stream.ReadInteger("Attributes"));
  p.Priority = static_cast<std::uint32_t>(stream.ReadInteger("Priority"));
  p.DefaultPriority = static_cast<std::uint32_t>(stream.ReadInteger("DefaultPriority"));
  p.StartTime = static_cast<std::uint32_t>(stream.ReadInteger("StartTime"));
  p.UntilTime = static_cast<std::uint32_t>(stream.ReadInteger("UntilTime"));
  const std::int32_t size = stream.ReadInteger("DevModeSize");
  if (size < 0 || size > kMaxDevModeSize)
    throw EConnectionReadError("Invalid device mode size " + std::to_string(size) + ".");
  stream.RequireAvailable(static_cast<std::uint64_t>(size));
  p.DevMode.resize(static_cast<std::size_t>(size));
  if (size > 0) stream.ReadBuffer(p.DevMode.data(), static_cast<std::uint32_t>(size));
  p.DevModeSize = size;

  DebugLog("Printer name : " + p.PrinterName);
  LogPrinterFields(p);
  if (!refused.empty()) {
    RefusedLine(stream, "Printer", p.PrinterName, refused);
    return true;
  }
  if (!install) return true;

  qv::PrinterInfo info;
  info.serverName = p.ServerName;
  info.printerName = p.PrinterName;
  info.shareName = p.ShareName;
  info.portName = p.PortName;
  info.driverName = p.DriverName;
  info.comment = p.Comment;
  info.location = p.Location;
  info.sepFile = p.SepFile;
  info.printProcessor = p.PrintProcessor;
  info.dataType = p.DataType;
  info.parameters = p.Parameters;
  info.attributes = p.Attributes;
  info.priority = p.Priority;
  info.defaultPriority = p.DefaultPriority;
  info.startTime = p.StartTime;
  info.untilTime = p.UntilTime;
  // A device mode whose own sizes do not match its bytes is not handed on.
  if (!p.DevMode.empty()) {
    if (DevModeConsistent(p.DevMode))
      info.devMode = p.DevMode;
    else
      DebugLog("Device mode of " + p.PrinterName + " is damaged and not used.");
  }

  DebugLog("Installing Printer " + p.PrinterName);
  qv::ISpooler* spooler = Spooler();
  qv::WinError code = spooler ? spooler->AddLocalPrinter(info) : qv::err::NotSupported;
  if (code == qv::err::UnknownPort) {
    DebugLog("Unknown Port - Adding printer offline...");
    info.attributes |= qv::pattr::WorkOffline;
    code = spooler->AddLocalPrinter(info);
  }
  if (code != qv::err::Success) {
    const std::string message = SysText(code);
    DebugLog("AddPrinter failed : " + std::to_string(code) + "  " + message);
    ErrorText = p.PrinterName + " : Printer installation failed :\n" + message;
    stream.AddComment(ErrorText);
    stream.AddComment("Printer attributes : ");
    const std::pair<const char*, const std::string*> fields[] = {
        {"Server name : ", &p.ServerName},     {"Share name : ", &p.ShareName},
        {"Port name : ", &p.PortName},         {"Driver name : ", &p.DriverName},
        {"Comment : ", &p.Comment},            {"Location : ", &p.Location},
        {"Separator File : ", &p.SepFile},     {"Print Processor  : ", &p.PrintProcessor},
        {"DataType  : ", &p.DataType},         {"Parameters  : ", &p.Parameters}};
    for (const auto& [label, value] : fields)
      if (!value->empty()) stream.AddComment(label + *value);
    stream.AddComment("");
    return code != qv::err::Cancelled;
  }
  DebugLog("Printer " + p.PrinterName + " added!");
  return true;
}

// --- Drivers --------------------------------------------------------------

TDrivers::TDrivers() {
  qv::ISpooler* spooler = Spooler();
  std::string directory;
  if (spooler && spooler->DriverDirectory(directory) == qv::err::Success) {
    if (!directory.empty() && directory.back() != '\\') directory += "\\";
    DriverDirectory = Upper(directory);
    DebugLog("Printer Driver dir :" + DriverDirectory);
  } else {
    DebugLog("GetPrinterDriverDirectory failed.");
  }
}

void TDrivers::EnumerateDrivers() {
  Drivers.clear();
  qv::ISpooler* spooler = Spooler();
  std::vector<qv::DriverInfo> list;
  const qv::WinError code = spooler ? spooler->DriverList(list) : qv::err::NotSupported;
  if (code != qv::err::Success) {
    DebugLog("Error GetDriversList " + SysText(code));
    return;
  }
  DebugLog(std::to_string(list.size()) + " existing printer drivers found.");
  for (const qv::DriverInfo& in : list) {
    TDriverInfo d;
    DebugLog("Driver " + in.name);
    d.Version = in.version;
    d.Name = in.name;
    d.Environment = in.environment;
    d.MonitorName = in.monitorName;
    d.DefaultDataType = in.defaultDataType;
    auto main = [&](const std::string& path) {
      std::string up = Upper(path);
      if (!up.empty() && !Contains(up, DriverDirectory)) up = DriverDirectory + up;
      return up;
    };
    d.DriverPath = main(in.driverPath);
    d.DataFile = main(in.dataFile);
    d.ConfigFile = main(in.configFile);
    d.HelpFile = main(in.helpFile);

    // What the scanner finds, without system modules and the scanned file.
    std::vector<std::string> candidates;
    auto scan = [&](const std::string& path) {
      const std::string own = Upper(FileName(path));
      for (const std::string& module : items::ScanModuleDependencies(path)) {
        const std::string name = Upper(FileName(module));
        if (items::IsSystemModule(name) || name == own) continue;
        candidates.push_back(Upper(module));
      }
    };
    if (!d.DriverPath.empty()) scan(d.DriverPath);
    auto listed = [&](const std::string& path) {
      return std::find(d.Files.begin(), d.Files.end(), path) != d.Files.end();
    };
    for (const std::string& dependent : in.dependentFiles) {
      std::string path = Upper(dependent);
      if (path.empty()) continue;
      const std::string inDirectory = DriverDirectory + FileName(path);
      if (!FileExists(path) && FileExists(inDirectory)) path = inDirectory;
      scan(path);
      if (listed(path)) continue;
      d.Files.push_back(path);
      DebugLog("dependent File : " + path);
      ++d.FileCount;
      d.TotalSize += FileSizeOf(path);
    }
    DebugLog("Additional files : ");
    for (const std::string& candidate : candidates) {
      if (listed(candidate)) continue;
      DebugLog(candidate);
      d.Files.push_back(candidate);
      ++d.FileCount;
      d.TotalSize += FileSizeOf(candidate);
    }
    Drivers.push_back(std::move(d));
  }
}

const TDriverInfo* TDrivers::FindDriver(const std::string& name) const {
  for (const TDriverInfo& d : Drivers)
    if (d.Name == name) return &d;
  return nullptr;
}

bool TDrivers::WriteDriver(const std::string& name, TConnection& stream) {
  const TDriverInfo* d = FindDriver(name);
  if (!d) {
    DebugLog("ERROR : Driver not found : " + name);
    DebugLog("ERROR writing driver " + name + " . Driver not found.");
    return false;
  }
  // A main file goes in its own field unless it travels in the file list,
  // or an earlier main field of the driver (the same file named as driver
  // and data file, say) carries it already.
  std::vector<std::string> sent;
  auto carried = [&](const std::string& path) {
    if (std::find(d->Files.begin(), d->Files.end(), path) != d->Files.end()) return false;
    if (std::find(sent.begin(), sent.end(), path) != sent.end()) return false;
    sent.push_back(path);
    return true;
  };
  std::string error;
  stream.WriteInteger(static_cast<std::int32_t>(d->Version), "Version");
  stream.WriteString(d->Name, "Name");
  stream.WriteString(d->Environment, "Environment");
  for (const std::string* path : {&d->DriverPath, &d->DataFile, &d->ConfigFile, &d->HelpFile}) {
    if (!WriteFileField(stream, *path, true, carried(*path), error)) {
      ErrorText = error;
      return false;
    }
  }
  stream.WriteString(d->MonitorName, "MonitorName");
  stream.WriteString(d->DefaultDataType, "DefaultDataType");
  stream.WriteInteger(static_cast<std::int32_t>(d->Files.size()), "FileCount");
  stream.WriteString(DriverDirectory, "DriverDirectory");
  IRunStatus& status = StatusWindow();
  const std::string previous = status.GetActionText();
  bool cancelled = false;
  for (const std::string& file : d->Files) {
    cancelled = cancelled || status.CancelRequested();
    stream.WriteString(FileName(file), "FileName");
    stream.WriteInteger(static_cast<std::int32_t>(FileSizeOf(file)), "FileSize");
    if (cancelled) {
      // The count is written already: the rest go as missing files, so
      // that the section stays readable.
      stream.WriteBoolean(false, "ExistsOnSource");
      continue;
    }
    status.SetActionText(previous + "\n" + "Writing " + file);
    if (!WriteFileBody(stream, file, error)) {
      status.SetActionText(previous);
      ErrorText = error;
      return false;
    }
  }
  status.SetActionText(previous);
  return !cancelled;
}

bool TDrivers::ReadDriver(TConnection& stream, bool install) {
  ErrorText.clear();
  qv::DriverInfo info;
  info.version = static_cast<std::uint32_t>(stream.ReadInteger("Version"));
  info.name = stream.ReadString("Name");
  info.environment = stream.ReadString("Environment");
  std::string refused, error;
  for (std::string* path : {&info.driverPath, &info.dataFile, &info.configFile, &info.helpFile}) {
    if (!ReadFileField(stream, DriverDirectory, true, install, *path, refused, error)) {
      ErrorText = error;
      return false;
    }
  }
  info.monitorName = stream.ReadString("MonitorName");
  info.defaultDataType = stream.ReadString("DefaultDataType");
  const std::int32_t count = stream.ReadInteger("FileCount");
  if (count < 0)
    throw EConnectionReadError("Invalid file count " + std::to_string(count) + ".");
  stream.RequireAvailable(static_cast<std::uint64_t>(count) * kMinDependentEntry);
  stream.ReadString("DriverDirectory");  // the source's: not used
  for (std::int32_t i = 0; i < count; ++i) {
    const std::string name = stream.ReadString("FileName");
    stream.ReadInteger("FileSize");
    std::string target;
    if (!items::IsBareFileName(name)) {
      if (refused.empty()) refused = name.empty() ? std::string("(empty)") : name;
    } else {
      target = DriverDirectory + name;
      info.dependentFiles.push_back(target);
    }
    if (!ReadFileBody(stream, target, install, error)) {
      ErrorText = error;
      return false;
    }
  }
  if (!refused.empty()) {
    RefusedLine(stream, "Driver", info.name, refused);
    return true;
  }
  if (!install) return true;

  DebugLog("Name = " + info.name);
  DebugLog("Environment = " + info.environment);
  DebugLog("DriverPath = " + info.driverPath);
  DebugLog("DataFile = " + info.dataFile);
  DebugLog("ConfigFile = " + info.configFile);
  DebugLog("HelpFile = " + info.helpFile);
  DebugLog("MonitorName = " + info.monitorName);
  DebugLog("DefaultDataType = " + info.defaultDataType);
  DebugLog("Installing Driver " + info.name);
  qv::ISpooler* spooler = Spooler();
  qv::WinError code = spooler ? spooler->AddPrintDriver(info) : qv::err::NotSupported;
  if (code == qv::err::UnknownPrintMonitor) {
    DebugLog("Unknown monitor - trying without monitor");
    info.monitorName.clear();
    code = spooler->AddPrintDriver(info);
  }
  if (code != qv::err::Success) {
    ErrorText = info.name + "\nAddDriver failed :" + std::to_string(code) + " " + SysText(code);
    return false;
  }
  return true;
}

// --- Monitors -------------------------------------------------------------

TMonitors::TMonitors() {
  std::string directory;
  if (qv::CurrentMachine().System().SystemFolder(directory) == qv::err::Success &&
      !directory.empty()) {
    if (directory.back() != '\\') directory += "\\";
    SystemDirectory = directory;
    DebugLog("Printer Monitor dir :" + SystemDirectory);
  } else {
    DebugLog("GetSystemDirectory failed.");
  }
}

void TMonitors::EnumerateMonitors() {
  Monitors.clear();
  const bool nt = items::RunningOnNT();
  qv::ISpooler* spooler = Spooler();
  std::vector<qv::MonitorInfo> list;
  const qv::WinError code = spooler ? spooler->MonitorList(nt ? 2 : 1, list) : qv::err::NotSupported;
  if (code != qv::err::Success) {
    DebugLog("Error GetMonitorsList " + SysText(code));
    return;
  }
  DebugLog(std::to_string(list.size()) + " existing Monitors found.");
  qv::IRegistry& registry = qv::CurrentMachine().Registry();
  for (const qv::MonitorInfo& in : list) {
    TMonitorInfo m;
    m.Name = in.name;
    if (nt) {
      m.Environment = in.environment;
      m.DLLName = in.dllName;
    } else {
      qv::RegKey key = 0;
      if (registry.OpenKey(qv::hkey::LocalMachine, std::string(kMonitorsKey) + in.name,
                           qv::RegAccess::Full, key) == qv::err::Success) {
        std::uint32_t type = 0, size = 0;
        if (registry.QueryValue(key, "Driver", &type, nullptr, &size) == qv::err::Success &&
            (type == qv::regtype::Sz || type == qv::regtype::ExpandSz) && size <= 4096) {
          std::string data(size, '\0');
          if (registry.QueryValue(key, "Driver", &type, reinterpret_cast<std::uint8_t*>(data.data()),
                                  &size) == qv::err::Success) {
            data.resize(std::min<std::size_t>(size, data.size()));
            m.DLLName = data.substr(0, data.find('\0'));
          }
        }
        m.Environment = "Windows 4.0";
        registry.CloseKey(key);
      }
    }
    if (!m.DLLName.empty() && !Contains(m.DLLName, SystemDirectory))
      m.DLLName = SystemDirectory + m.DLLName;
    DebugLog("Monitor Name is " + m.Name);
    DebugLog("Monitor Env is " + m.Environment);
    DebugLog("Monitor Dll is " + m.DLLName);
    Monitors.push_back(std::move(m));
  }
}

const TMonitorInfo* TMonitors::FindMonitor(const std::string& name) const {
  for (const TMonitorInfo& m : Monitors)
    if (m.Name == name) return &m;
  return nullptr;
}

bool TMonitors::WriteMonitor(const std::string& name, TConnection& stream) {
  const TMonitorInfo* m = FindMonitor(name);
  if (!m) {
    DebugLog("ERROR : Monitor not found : " + name);
    DebugLog("ERROR writing Monitor " + name + " . Monitor not found.");
    stream.WriteBoolean(false, "Found");
    return true;
  }
  stream.WriteBoolean(true, "Found");
  DebugLog("TMonitors.WriteMonitor");
  stream.WriteString(m->Name, "Name");
  stream.WriteString(m->Environment, "Environment");
  if (!m->DLLName.empty()) DebugLog("Writing Monitor driver " + FileName(m->DLLName));
  std::string error;
  if (!WriteFileField(stream, m->DLLName, true, true, error)) {
    ErrorText = error;
    return false;
  }
  return true;
}

bool TMonitors::ReadMonitor(TConnection& stream, bool install) {
  ErrorText.clear();
  if (!stream.ReadBoolean("Found")) return true;
  qv::MonitorInfo info;
  info.name = stream.ReadString("Name");
  info.environment = stream.ReadString("Environment");
  std::string path, refused, error;
  if (!ReadFileField(stream, SystemDirectory, true, install, path, refused, error)) {
    ErrorText = error;
    return false;
  }
  if (!refused.empty()) {
    RefusedLine(stream, "Monitor", info.name, refused);
    return true;
  }
  if (!install) return true;
  info.dllName = FileName(path);
  DebugLog("Name = " + info.name);
  DebugLog("Environment = " + info.environment);
  DebugLog("DllName = " + info.dllName);
  DebugLog("Installing Monitor " + info.name);
  qv::ISpooler* spooler = Spooler();
  const qv::WinError code = spooler ? spooler->AddPrintMonitor(info) : qv::err::NotSupported;
  if (code != qv::err::Success && code != qv::err::AlreadyExists) {
    ErrorText = info.name + "\nCould not add monitor : " + SysText(code);
    return false;
  }
  return true;
}

// --- The item -------------------------------------------------------------

bool TOSPrinterSettings::Write(TConnection& stream) {
  TPrinters printers;
  TDrivers drivers;
  TMonitors monitors;
  printers.EnumeratePrinters();
  drivers.EnumerateDrivers();
  monitors.EnumerateMonitors();

  NameList driverNames, monitorNames;
  stream.AddComment(std::to_string(printers.Count()) + " Printers found.");
  stream.AddComment("");
  for (const TPrinterInfo& p : printers.Printers) {
    stream.AddComment(p.PrinterName + "  (using driver \"" + p.DriverName + "\")");
    if (p.DriverName.empty()) continue;
    driverNames.insert(p.DriverName);
    if (const TDriverInfo* d = drivers.FindDriver(p.DriverName))
      if (!d->MonitorName.empty()) monitorNames.insert(d->MonitorName);
  }
  stream.AddComment("");
  if (!stream.IsWriter()) return true;

  IRunStatus& status = StatusWindow();
  bool ok = true;
  bool stop = false;
  auto cancelled = [&] {
    if (!status.CancelRequested()) return false;
    status.SetActionText("Operation cancelled.");
    return true;
  };
  int index = 0;
  for (const std::string& name : monitorNames) {
    DebugLog("Writing monitor " + std::to_string(index++) + " " + name);
    stream.WriteString("MONITOR");
    stream.WriteString(name, "MonitorName");
    status.SetActionText("Saving Monitor " + name);
    if (!monitors.WriteMonitor(name, stream)) {
      stream.AddComment("Monitor " + name + " could not be saved : " + monitors.ErrorText);
      ok = false;
      stop = true;
      break;
    }
    if (cancelled()) {
      stop = true;
      break;
    }
  }
  index = 0;
  for (auto it = driverNames.begin(); !stop && it != driverNames.end(); ++it) {
    const std::string& name = *it;
    DebugLog("Writing driver " + std::to_string(index++) + " " + name);
    // A driver the spooler does not list gets no record at all: its
    // printers still go, and the target reports them as not installed.
    if (!drivers.FindDriver(name)) {
      drivers.WriteDriver(name, stream);  // logs the missing driver
      stream.AddComment("Printer driver " + name + " not found : it is not saved.");
      continue;
    }
    stream.WriteString("DRIVER");
    stream.WriteString(name, "DriverName");
    status.SetActionText("Saving printer driver " + name);
    if (!drivers.WriteDriver(name, stream)) {
      if (!status.CancelRequested())
        stream.AddComment("Printer driver " + name + " could not be saved : " + drivers.ErrorText);
      ok = false;
      stop = true;
      if (status.CancelRequested()) status.SetActionText("Operation cancelled.");
      break;
    }
    if (cancelled()) stop = true;
  }
  for (int i = 0; !stop && i < printers.Count(); ++i) {
    const std::string name = printers.GetPrinterName(i);
    DebugLog("Writing printer " + std::to_string(i) + " " + name);
    stream.WriteString("PRINTER");
    stream.WriteString(name, "PrinterName");
    status.SetActionText("Saving Printer " + name);
    if (!printers.WritePrinter(name, stream)) {
      stream.AddComment("Printer " + name + " could not be saved : " + printers.ErrorText);
      ok = false;
      stop = true;
      break;
    }
    if (cancelled()) stop = true;
  }
  if (status.CancelRequested()) {
    status.SetActionText("Operation cancelled.");
    ok = false;
  }
  stream.WriteString("END");
  return ok;
}

bool TOSPrinterSettings::Read(TConnection& stream) {
  RestartRequired = true;
  TPrinters printers;
  TDrivers drivers;
  TMonitors monitors;
  IRunStatus& status = StatusWindow();
  status.SetActionText("Installing...");

  const qv::OSKind here = items::RunningOSKind();
  const bool install = stream.OSVersion == here && here != qv::okUnknown;
  if (!install) {
    stream.AddComment(std::string("Printer information is from a ") +
                      qv::OSKindName(static_cast<qv::OSKind>(stream.OSVersion)) + " system.");
    stream.AddComment(std::string("This system is running ") + qv::OSKindName(here));
    stream.AddComment("Printers will not be installed due to incompatible drivers.");
  }
  const std::string verb = install ? "Installing" : "Skipping";

  for (;;) {
    const std::string tag = stream.ReadString("Tag");
    if (tag == "END") return true;
    if (tag == "PRINTER") {
      const std::string name = stream.ReadString("PrinterName");
      status.SetActionText(verb + " printer " + name);
      stream.AddComment(verb + " printer " + name);
      if (!(install ? printers.InstallPrinter(stream) : printers.SkipPrinter(stream))) {
        status.SetActionText("Installation failed : " + printers.ErrorText);
        stream.AddComment("Printer installation failed : " + printers.ErrorText);
        return false;
      }
    } else if (tag == "DRIVER") {
      const std::string name = stream.ReadString("DriverName");
      status.SetActionText(verb + " printer driver " + name);
      stream.AddComment(verb + " printer driver " + name);
      if (!(install ? drivers.InstallDriver(stream) : drivers.SkipDriver(stream))) {
        status.SetActionText("Install failed : " + drivers.ErrorText);
        stream.AddComment("Driver installation failed : " + drivers.ErrorText);
        return false;
      }
    } else if (tag == "MONITOR") {
      const std::string name = stream.ReadString("MonitorName");
      status.SetActionText(verb + " monitor " + name);
      stream.AddComment(verb + " monitor " + name);
      if (!(install ? monitors.InstallMonitor(stream) : monitors.SkipMonitor(stream))) {
        status.SetActionText("Install failed : " + monitors.ErrorText);
        stream.AddComment("Monitor installation failed : " + monitors.ErrorText);
        return false;
      }
    }
    // Any other tag is passed over: the next string is read as a tag.
  }
}
