// Message boxes as the program shows them.
#pragma once

#include <cstdint>
#include <string>

// The application title: the caption of the standard error box and the
// first half of every other box's caption.
inline constexpr const char* kApplicationTitle = "Qorvel";

// The standard error box: the application title as caption, an error icon
// and OK. In quiet mode no box is shown (nobody is there to close it): the
// text goes to the debug log.
void ShowErrorBox(const std::string& text);

// A box captioned "Qorvel : " + caption; returns the qv::id of the button
// that closed it. Without a prompts port (no person to ask), and in quiet
// mode, no box is shown and the first button is taken.
int ShowMessageBox(const std::string& text, const std::string& caption, std::uint32_t style);

// The system's message text for an error code without its closing line
// break, as it is shown in boxes and kept in error fields.
std::string SystemErrorText(std::uint32_t code);
