#include "platform/win32/win32_machine.h"

namespace qv {

IRegistry& Win32Machine::Registry() { return registry_; }

IFiles& Win32Machine::Files() { return files_; }

ISystemInfo& Win32Machine::System() { return system_; }

IPrompts* Win32Machine::Prompts() { return &prompts_; }

ISystemParameters* Win32Machine::SystemParameters() { return &parameters_; }

IProfiles* Win32Machine::Profiles() { return &profiles_; }

IShell* Win32Machine::Shell() { return &shell_; }

INetwork* Win32Machine::Network() { return &network_; }

ISpooler* Win32Machine::Spooler() { return &spooler_; }
IDialUp* Win32Machine::DialUp() { return &dialup_; }
IActiveDesktop* Win32Machine::ActiveDesktop() { return &activeDesktop_; }

IDesktop* Win32Machine::Desktop() { return &desktop_; }

void Win32Machine::SetMainWindow(HWND window) { network_.SetOwnerWindow(window); }

int Win32Prompts::ShowMessage(std::string_view text, std::string_view caption,
                              std::uint32_t style) {
  const std::string t(text), c(caption);
  // Owned by the active window of this thread, as the program's boxes are.
  return MessageBoxA(GetActiveWindow(), t.c_str(), c.c_str(), style | MB_TASKMODAL);
}

bool Win32Prompts::KeyDown(int virtualKey) { return GetKeyState(virtualKey) < 0; }

}  // namespace qv
