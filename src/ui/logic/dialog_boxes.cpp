#include "ui/logic/dialog_boxes.h"

#include "engine/debug_log.h"
#include "engine/messages.h"
#include "platform/machine.h"
#include "platform/prompts.h"

void ShowNotice(const std::string& text) {
  if (qv::IPrompts* prompts = qv::CurrentMachine().Prompts())
    prompts->ShowMessage(text, kApplicationTitle, qv::mb::Ok);
  else
    DebugLog(text);  // nobody to tell
}

void ShowErrorNotice(const std::string& text) {
  ShowMessageBox(text, "Error", qv::mb::Ok | qv::mb::IconError);
}

bool ConfirmYesNo(const std::string& text) {
  return ShowMessageBox(text, "Confirm", qv::mb::YesNo | qv::mb::IconQuestion) == qv::id::Yes;
}
