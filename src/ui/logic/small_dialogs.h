// The texts of the small dialogs: the about box's version line, the
// command-line help table (TCmdLineForm) and the replace-or-merge questions
// that TQueryForm asks before a load.
#pragma once

#include <functional>
#include <string>
#include <vector>

class TCatConfig;

// The about box's `Version` label: "Version 1.00  Build <build>".
std::string AboutVersionText();

struct TSwitchHelp {
  const char* switchText;
  const char* meaning;
};
// The switches in the order the help window lists them.
const std::vector<TSwitchHelp>& CommandLineHelp();

// A path's last name, without its folder or drive.
std::string FileNameOnly(const std::string& path);

// The two questions for a settings file.
std::string StartMenuQuestion(const std::string& fileName);
std::string DesktopIconsQuestion(const std::string& fileName);

// Shows TQueryForm with `question`, preset from `replace`; returns true when
// it was closed with OK and leaves the state of its radio buttons in
// `replace` whichever button closed it.
using TAskReplace = std::function<bool(const std::string& question, bool& replace)>;

// Before a load: for a file whose configuration selects "Start Menu", then
// (unless that question was cancelled) for "Desktop Icons", asks whether to
// replace or merge, preset from and stored into the options ReplaceStartMenu
// and ReplaceDesktop. False when a question was cancelled: no load.
bool AskReplaceOrMerge(const TCatConfig& fileConfig, const std::string& fileName,
                       const TAskReplace& ask);
