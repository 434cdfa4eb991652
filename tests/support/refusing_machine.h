// A memory machine seen through a SystemParametersInfo that refuses chosen
// actions with a chosen error, as Wine refuses the accessibility SET actions
// (1439) or a Windows 95/98 without the SerialKeys driver refuses SerialKeys.
// Everything else goes to the machine itself.
#pragma once

#include <set>

#include "platform/memory/memory_machine.h"
#include "platform/system_parameters.h"

namespace qv::test {

class RefusingParameters : public ISystemParameters {
 public:
  RefusingParameters(MemoryMachine& machine, std::set<unsigned> refused, WinError code)
      : machine_(machine),
        inner_(*machine.SystemParameters()),
        refused_(std::move(refused)),
        code_(code) {}

  bool Parameter(unsigned action, std::uint32_t uiParam, std::int32_t* value,
                 unsigned winIni) override {
    if (Refuse(action)) return false;
    return inner_.Parameter(action, uiParam, value, winIni);
  }
  bool ParameterBlock(unsigned action, std::uint32_t uiParam, std::vector<std::uint8_t>& block,
                      unsigned winIni, ParameterTexts* texts = nullptr) override {
    if (Refuse(action)) return false;
    return inner_.ParameterBlock(action, uiParam, block, winIni, texts);
  }
  bool ParameterText(unsigned action, std::uint32_t uiParam, const std::string* text,
                     unsigned winIni) override {
    if (Refuse(action)) return false;
    return inner_.ParameterText(action, uiParam, text, winIni);
  }
  std::uint32_t SysColor(int index) override { return inner_.SysColor(index); }
  WinError ChangeSysColors(const std::vector<int>& indices,
                           const std::vector<std::uint32_t>& colors) override {
    return inner_.ChangeSysColors(indices, colors);
  }
  WinError CurrentDisplayMode(DisplayMode& mode) override {
    return inner_.CurrentDisplayMode(mode);
  }
  std::vector<DisplayMode> DisplayModes() override { return inner_.DisplayModes(); }
  std::int32_t ChangeDisplayMode(const DisplayMode& mode, std::uint32_t flags) override {
    return inner_.ChangeDisplayMode(mode, flags);
  }
  WinError KeyboardLayoutName(std::string& name) override {
    return inner_.KeyboardLayoutName(name);
  }
  WinError LoadKeyboardLayoutByName(std::string_view name, std::uint32_t flags) override {
    return inner_.LoadKeyboardLayoutByName(name, flags);
  }
  WinError LocaleText(std::uint32_t locale, std::uint32_t type, std::string& text) override {
    return inner_.LocaleText(locale, type, text);
  }
  std::uint32_t DoubleClickTime() override { return inner_.DoubleClickTime(); }
  WinError ChangeDoubleClickTime(std::uint32_t ms) override {
    return inner_.ChangeDoubleClickTime(ms);
  }
  std::uint32_t CaretBlinkTime() override { return inner_.CaretBlinkTime(); }
  WinError ChangeCaretBlinkTime(std::uint32_t ms) override {
    return inner_.ChangeCaretBlinkTime(ms);
  }
  WinError CursorPosition(Point& position) override { return inner_.CursorPosition(position); }
  WinError MoveCursor(Point position) override { return inner_.MoveCursor(position); }
  void BroadcastSettingChange() override { inner_.BroadcastSettingChange(); }

 private:
  bool Refuse(unsigned action) {
    if (!refused_.count(action)) return false;
    machine_.System().SetLastError(code_);
    return true;
  }

  MemoryMachine& machine_;
  ISystemParameters& inner_;
  std::set<unsigned> refused_;
  WinError code_;
};

class RefusingMachine : public Machine {
 public:
  RefusingMachine(MemoryMachine& machine, std::set<unsigned> refused, WinError code)
      : machine_(machine), parameters_(machine, std::move(refused), code) {}

  IRegistry& Registry() override { return machine_.Registry(); }
  IFiles& Files() override { return machine_.Files(); }
  ISystemInfo& System() override { return machine_.System(); }
  ISystemParameters* SystemParameters() override { return &parameters_; }
  IProfiles* Profiles() override { return machine_.Profiles(); }
  INetwork* Network() override { return machine_.Network(); }
  IPrompts* Prompts() override { return machine_.Prompts(); }

 private:
  MemoryMachine& machine_;
  RefusingParameters parameters_;
};

// The SET actions of the accessibility structures and flags.
inline std::set<unsigned> AccessibilitySetActions() {
  return {spi::SetAccessTimeout, spi::SetFilterKeys, spi::SetMouseKeys,    spi::SetStickyKeys,
          spi::SetToggleKeys,    spi::SetSerialKeys, spi::SetHighContrast, spi::SetSoundSentry,
          spi::SetKeyboardPref,  spi::SetShowSounds};
}

}  // namespace qv::test
