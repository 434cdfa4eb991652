// The accessibility features: time-out, FilterKeys, MouseKeys, StickyKeys,
// ToggleKeys, SerialKeys, High Contrast, SoundSentry, the keyboard
// preference and ShowSounds.
#pragma once

#include <cstdint>
#include <string>

#include "engine/settings.h"
#include "stream/win_structs.h"

// "Accessibility": the eight structures in their 32-bit layout (a size field
// of 0 marks a feature the source could not read), the texts three of them
// point at, and the two flags (kUnreadParameter where the source could not
// read them).
class TAccessibilitySettings : public TSettings {
 public:
  static constexpr std::size_t kPortBuffer = 128;       // active port, port
  static constexpr std::size_t kEffectDllBuffer = 260;  // MAX_PATH

  bool Read(TConnection& stream) override;
  bool Write(TConnection& stream) override;

 private:
  void Describe(TConnection& stream);
  void ReadSerialKeysFromRegistry();
  void ApplySerialKeys();

  AccessTimeout Timeout;
  FilterKeys Filter;
  MouseKeys Mouse;
  StickyKeys Sticky;
  ToggleKeys Toggle;
  SerialKeys Serial;
  HighContrast Contrast;
  SoundSentry Sentry;
  // The texts behind the pointer fields; the flags tell whether the pointer
  // is set.
  std::string ActivePort;
  bool ActivePortSet = false;
  std::string Port;
  bool PortSet = false;
  std::string DefaultScheme;
  std::string EffectDll;
  std::int32_t KeyboardPref = 0;
  std::int32_t ShowSounds = 0;
};
