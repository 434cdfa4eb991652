// The message boxes the windows show, as the person at the computer sees
// them: through the current machine's prompts port, captioned with the
// application title.
#pragma once

#include <string>

// A plain notice: the application title as caption, no icon, OK.
void ShowNotice(const std::string& text);
// An error: "Qorvel : Error", an error icon, OK.
void ShowErrorNotice(const std::string& text);
// A Yes/No confirmation, "Qorvel : Confirm" with a question icon; true only
// for Yes.
bool ConfirmYesNo(const std::string& text);
