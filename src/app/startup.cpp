#include "app/startup.h"

#include <exception>

#include "app/app_windows.h"
#include "app/batch.h"
#include "app/command_line.h"
#include "config/options.h"
#include "engine/file_utils.h"
#include "engine/messages.h"
#include "engine/program.h"
#include "platform/desktop.h"
#include "platform/machine.h"
#include "platform/prompts.h"
#include "registry/reg_utils.h"

bool TakeFirstRun() {
  if (UTLGetRegDWORD(qv::hkey::CurrentUser, kProgramKey, "FirstRun", 0) == kBuildNumber) return false;
  UTLSetRegDWORD(qv::hkey::CurrentUser, kProgramKey, "FirstRun", kBuildNumber);
  return true;
}

bool ShouldShowDebugWindow() {
  if (FileExists("DEBUGQRV")) return true;
  qv::Machine& machine = qv::CurrentMachine();
  if (qv::IDesktop* desktop = machine.Desktop()) {
    if (desktop->WindowExists("TAlignPalette") && desktop->WindowExists("TPropertyInspector") &&
        desktop->WindowExists("TAppBuilder"))
      return true;
  }
  qv::IPrompts* prompts = machine.Prompts();
  return prompts && prompts->KeyDown(qv::vk::Shift);
}

void RunInteractive() {
  if (TakeFirstRun() && AppWindows().ShowAbout) AppWindows().ShowAbout();
  bool showDebugWindow = ShouldShowDebugWindow();
  // Without a user interface installed there is no main window: the session
  // ends at once.
  if (AppWindows().RunMainWindow) AppWindows().RunMainWindow(showDebugWindow);
}

int RunQorvel(const std::vector<std::string>& parameters, const std::string& optionsKey) {
  try {
    ProgramObjects program(optionsKey);
    try {
      if (ParseCommandLine(parameters, Options())) return RunBatch();
      RunInteractive();
      return kExitSuccess;  // the options store themselves on the way out
    } catch (const EUnknownSwitch&) {
      Options().bSaveToRegistry = false;
      if (AppWindows().ShowCommandLineHelp) AppWindows().ShowCommandLineHelp();
      return kExitUnknownSwitch;
    } catch (...) {
      Options().bSaveToRegistry = false;
      throw;
    }
  } catch (const std::exception& e) {
    ShowErrorBox(e.what());
  } catch (...) {
    ShowErrorBox("Unexpected error.");
  }
  return kExitFailed;
}
