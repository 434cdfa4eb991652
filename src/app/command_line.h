// The command line: how the process's parameters become the options' run
// fields (SaveToFile, LoadFromFile, ReportFile, BackupToFile, ConfigFile,
// AppListFile, QuietMode).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "stream/connection.h"

class TOptions;

// A switch letter the program does not know: the command-line help is due
// and the process ends with exit code -1.
class EUnknownSwitch : public Exception {
 public:
  explicit EUnknownSwitch(const std::string& parameter)
      : Exception("Unknown switch " + parameter), Parameter(parameter) {}
  std::string Parameter;
};

// Splits a whole process command line (as GetCommandLine gives it) into its
// parameters: blanks (space, tab) separate, double quotes group and are
// dropped, backslashes are plain characters. The first entry is the
// program's own name; a quoted empty string is an empty parameter.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

// Reads the parameters (the program's name excluded) into the options' run
// fields, one by one in order:
//   - a parameter that does not start with '-' or '/' names a file to load,
//     taken as typed;
//   - '-' or '/' alone is ignored;
//   - otherwise the second character, in either case, is the switch: s, l,
//     r, b, c, a take a file name, q turns quiet mode on, anything else
//     raises EUnknownSwitch. A file name is the rest of the parameter after
//     two characters, or, for a two-character parameter, the whole next
//     parameter whatever it looks like; without one the field is emptied.
//     A name gets the switch's default extension unless it already holds
//     that extension anywhere (in either case).
// Later values replace earlier ones. Ends with the debug-log lines of the
// resulting fields. True when there was at least one parameter.
bool ParseCommandLine(const std::vector<std::string>& parameters, TOptions& options);
