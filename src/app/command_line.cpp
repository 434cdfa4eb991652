#include "app/command_line.h"

#include <cctype>

#include "config/options.h"
#include "engine/debug_log.h"

namespace {

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// Appends `extension` unless the name already carries it somewhere; an empty
// name stays empty (the switch is cancelled).
std::string WithExtension(const std::string& name, const std::string& extension) {
  if (name.empty() || Upper(name).find(Upper(extension)) != std::string::npos) return name;
  return name + extension;
}

// The field and default extension of a switch that takes a file name; null
// field for one that does not.
struct FileSwitch {
  std::string TOptions::*field;
  const char* extension;
};

bool FindFileSwitch(char letter, FileSwitch& out) {
  switch (letter) {
    case 's': out = {&TOptions::SaveToFile, ".qrv"}; return true;
    case 'l': out = {&TOptions::LoadFromFile, ".qrv"}; return true;
    case 'r': out = {&TOptions::ReportFile, ".txt"}; return true;
    case 'b': out = {&TOptions::BackupToFile, ".qrv"}; return true;
    case 'c': out = {&TOptions::ConfigFile, ".cfg"}; return true;
    case 'a': out = {&TOptions::AppListFile, ".txt"}; return true;
    default: return false;
  }
}

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view commandLine) {
  std::vector<std::string> parameters;
  std::size_t i = 0;
  const std::size_t n = commandLine.size();
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (true) {
    while (i < n && blank(commandLine[i])) ++i;
    if (i >= n) break;
    std::string parameter;
    bool quoted = false;
    for (; i < n && (quoted || !blank(commandLine[i])); ++i) {
      if (commandLine[i] == '"')
        quoted = !quoted;
      else
        parameter += commandLine[i];
    }
    parameters.push_back(std::move(parameter));
  }
  return parameters;
}

bool ParseCommandLine(const std::vector<std::string>& parameters, TOptions& options) {
  for (std::size_t i = 0; i < parameters.size(); ++i) {
    const std::string& parameter = parameters[i];
    if (parameter.empty()) continue;  // a quoted "" names nothing
    if (parameter[0] != '-' && parameter[0] != '/') {
      options.LoadFromFile = parameter;
      continue;
    }
    if (parameter.size() == 1) continue;

    char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(parameter[1])));
    if (letter == 'q') {
      options.QuietMode = true;
      continue;
    }
    FileSwitch fileSwitch;
    if (!FindFileSwitch(letter, fileSwitch)) throw EUnknownSwitch(parameter);

    std::string value;
    if (parameter.size() >= 3)
      value = parameter.substr(2);
    else if (i + 1 < parameters.size())
      value = parameters[++i];
    options.*fileSwitch.field = WithExtension(value, fileSwitch.extension);
  }

  if (options.QuietMode) DebugLog("QuietMode");
  DebugLog("SaveToFile : " + options.SaveToFile);
  DebugLog("LoadFromFile : " + options.LoadFromFile);
  DebugLog("BackupToFile : " + options.BackupToFile);
  DebugLog("ReportFile : " + options.ReportFile);
  return !parameters.empty();
}
