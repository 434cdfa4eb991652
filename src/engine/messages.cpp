#include "engine/messages.h"

#include "config/options.h"
#include "engine/debug_log.h"
#include "platform/machine.h"
#include "platform/prompts.h"

void ShowErrorBox(const std::string& text) {
  qv::IPrompts* prompts = qv::CurrentMachine().Prompts();
  // Quiet runs wait for nobody: the text goes to the log, and the caller
  // reports the failure in the run's report and exit code.
  if (!prompts || IsQuietMode()) {
    DebugLog(text);
    return;
  }
  prompts->ShowMessage(text, kApplicationTitle, qv::mb::Ok | qv::mb::IconError);
}

int ShowMessageBox(const std::string& text, const std::string& caption, std::uint32_t style) {
  qv::IPrompts* prompts = qv::CurrentMachine().Prompts();
  if (!prompts || IsQuietMode()) {
    DebugLog(text);
    std::uint32_t buttons = style & qv::mb::ButtonsMask;
    return buttons == qv::mb::YesNo || buttons == qv::mb::YesNoCancel ? qv::id::Yes : qv::id::Ok;
  }
  return prompts->ShowMessage(text, std::string(kApplicationTitle) + " : " + caption, style);
}

std::string SystemErrorText(std::uint32_t code) {
  std::string text = qv::CurrentMachine().System().ErrorMessage(code);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}
