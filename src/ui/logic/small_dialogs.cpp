#include "ui/logic/small_dialogs.h"

#include "app/startup.h"
#include "config/cat_config.h"
#include "config/options.h"
#include "engine/program.h"

std::string AboutVersionText() { return "Version 1.00  Build " + std::to_string(kBuildNumber); }

const std::vector<TSwitchHelp>& CommandLineHelp() {
  static const std::vector<TSwitchHelp> table = {
      {"-l <filename.qrv>", "Load settings from the given file"},
      {"-s <filename.qrv>", "Save settings to the given file"},
      {"-r <filename.txt>", "Generate report file"},
      {"-b <filename.qrv>", "Backup settings to the given file when loading new settings"},
      {"-c <filename.cfg>", "Use the specified configuration file when saving settings"},
      {"-a <filename.txt>", "List installed applications"},
      {"-q ", "Quiet mode - no prompts are given"},
  };
  return table;
}

std::string FileNameOnly(const std::string& path) {
  std::size_t cut = path.find_last_of("\\/:");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string StartMenuQuestion(const std::string& fileName) {
  return "The file " + FileNameOnly(fileName) +
         " contains a new Start Menu. Do you want to REPLACE or MERGE your existing StartMenu "
         "with the new one ?";
}

std::string DesktopIconsQuestion(const std::string& fileName) {
  return "The file " + FileNameOnly(fileName) +
         " contains a new set of Desktop Icons. Do you want to REPLACE or MERGE your existing "
         "Desktop Icons with the new one ?";
}

bool AskReplaceOrMerge(const TCatConfig& fileConfig, const std::string& fileName,
                       const TAskReplace& ask) {
  TOptions& options = Options();
  auto question = [&](const std::string& text, bool& option) {
    bool replace = option;
    bool ok = ask ? ask(text, replace) : true;
    option = replace;
    return ok;
  };
  if (fileConfig.PersonalityItems.IsSelected("Start Menu") &&
      !question(StartMenuQuestion(fileName), options.ReplaceStartMenu))
    return false;
  if (fileConfig.PersonalityItems.IsSelected("Desktop Icons") &&
      !question(DesktopIconsQuestion(fileName), options.ReplaceDesktop))
    return false;
  return true;
}
