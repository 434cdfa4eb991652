#include "items/personality/accessibility_settings.h"

#include <cstdlib>
#include <optional>
#include <vector>

#include "engine/debug_log.h"
#include "items/item_support.h"
#include "platform/machine.h"
#include "platform/system_parameters.h"
#include "registry/reg_utils.h"
#include "stream/connection.h"

namespace {

constexpr const char* kSerialKeysKey = "Control Panel\\Accessibility\\SerialKeys";

// Flags of the structures (the winuser.h values).
constexpr std::uint32_t ATF_TIMEOUTON = 0x01, ATF_ONOFFFEEDBACK = 0x02;
constexpr std::uint32_t FKF_FILTERKEYSON = 0x01, FKF_AVAILABLE = 0x02, FKF_HOTKEYACTIVE = 0x04,
                        FKF_CONFIRMHOTKEY = 0x08, FKF_HOTKEYSOUND = 0x10, FKF_INDICATOR = 0x20,
                        FKF_CLICKON = 0x40;
constexpr std::uint32_t MKF_MOUSEKEYSON = 0x01, MKF_AVAILABLE = 0x02, MKF_HOTKEYACTIVE = 0x04,
                        MKF_CONFIRMHOTKEY = 0x08, MKF_HOTKEYSOUND = 0x10, MKF_INDICATOR = 0x20,
                        MKF_MODIFIERS = 0x40;
constexpr std::uint32_t SKF_STICKYKEYSON = 0x01, SKF_AVAILABLE = 0x02, SKF_HOTKEYACTIVE = 0x04,
                        SKF_CONFIRMHOTKEY = 0x08, SKF_HOTKEYSOUND = 0x10, SKF_INDICATOR = 0x20,
                        SKF_AUDIBLEFEEDBACK = 0x40, SKF_TWOKEYSOFF = 0x100;
constexpr std::uint32_t TKF_TOGGLEKEYSON = 0x01, TKF_AVAILABLE = 0x02, TKF_HOTKEYACTIVE = 0x04,
                        TKF_CONFIRMHOTKEY = 0x08, TKF_HOTKEYSOUND = 0x10;
constexpr std::uint32_t SERKF_SERIALKEYSON = 0x01, SERKF_AVAILABLE = 0x02, SERKF_INDICATOR = 0x04;
constexpr std::uint32_t HCF_HIGHCONTRASTON = 0x01, HCF_AVAILABLE = 0x02, HCF_HOTKEYACTIVE = 0x04,
                        HCF_CONFIRMHOTKEY = 0x08, HCF_HOTKEYSOUND = 0x10, HCF_INDICATOR = 0x20,
                        HCF_HOTKEYAVAILABLE = 0x40;
constexpr std::uint32_t SSF_SOUNDSENTRYON = 0x01, SSF_AVAILABLE = 0x02;
constexpr std::uint32_t kHighFlagBits = ~0x7Fu;  // any flag bit from 0x80 upward

qv::ISystemParameters* Parameters() { return qv::CurrentMachine().SystemParameters(); }

// Fetches one structure: on failure the failure line, and the structure
// stays zeroed with its size field 0 (not available).
template <class Struct>
void Fetch(unsigned getAction, Struct& out, qv::ParameterTexts* texts = nullptr) {
  out = Struct{};
  std::vector<std::uint8_t> block = out.ToBytes();
  qv::ISystemParameters* parameters = Parameters();
  if (parameters &&
      parameters->ParameterBlock(getAction, static_cast<std::uint32_t>(Struct::kSize), block, 0,
                                 texts) &&
      Struct::FromBytes(block, out))
    return;
  LogSystemParameterFailure(getAction);
  out = Struct{};
  out.cbSize = 0;
}

std::int32_t FetchValue(unsigned getAction) {
  std::int32_t value = 0;
  qv::ISystemParameters* parameters = Parameters();
  if (parameters && parameters->Parameter(getAction, 0, &value, 0)) return value;
  LogSystemParameterFailure(getAction);
  return static_cast<std::int32_t>(kUnreadParameter);
}

// Applies one structure when the source delivered it. False when the
// system refused it (the failure line is then written).
template <class Struct>
bool Apply(unsigned setAction, const Struct& s, qv::ParameterTexts* texts = nullptr) {
  std::vector<std::uint8_t> block = s.ToBytes();
  qv::ISystemParameters* parameters = Parameters();
  if (parameters && parameters->ParameterBlock(setAction, static_cast<std::uint32_t>(Struct::kSize),
                                               block, qv::spif::UpdateIniFile, texts))
    return true;
  LogSystemParameterFailure(setAction);
  return false;
}

void ApplyValue(unsigned setAction, std::int32_t value) {
  if (static_cast<std::uint32_t>(value) == kUnreadParameter) return;
  qv::ISystemParameters* parameters = Parameters();
  if (!parameters || !parameters->Parameter(setAction, static_cast<std::uint32_t>(value), nullptr,
                                            qv::spif::UpdateIniFile))
    LogSystemParameterFailure(setAction);
}

// A structure read from a file: its size field must be 0 or its size.
// Anything else is no structure this program wrote, and is not applied.
template <class Struct>
void ReadStruct(TConnection& stream, Struct& out, const char* name) {
  std::vector<std::uint8_t> block(Struct::kSize, 0);
  stream.ReadBuffer(block.data(), static_cast<std::uint32_t>(block.size()));
  Struct::FromBytes(block, out);
  if (out.cbSize != 0 && out.cbSize != Struct::kSize) {
    DebugLog(std::string(name) + " passed over: size " + std::to_string(out.cbSize));
    out.cbSize = 0;
  }
}

template <class Struct>
void WriteStruct(TConnection& stream, const Struct& s) {
  const std::vector<std::uint8_t> block = s.ToBytes();
  stream.WriteBuffer(block.data(), static_cast<std::uint32_t>(block.size()));
}

// A text cut to what a Windows buffer of `size` characters holds.
std::string Fit(std::string text, std::size_t size) {
  if (text.size() > size - 1) text.resize(size - 1);
  return text;
}

std::optional<std::string> TextOrNull(const std::string& text) {
  if (text.empty()) return std::nullopt;
  return text;
}

// The leading decimal number of a text, 0 when there is none.
std::uint32_t NumberIn(const std::string& text) {
  return static_cast<std::uint32_t>(std::strtoul(text.c_str(), nullptr, 10));
}

std::string Str(std::uint32_t v) { return std::to_string(v); }

const char* TextEffect(std::uint32_t effect) {
  switch (effect) {
    case 0:
      return "give no visual signal";
    case 1:
      return "flash characters in the corner of the screen";
    case 2:
      return "flash the screen border (that is, the overscan area), which is unavailable on some "
             "displays";
    case 3:
      return "flash the entire display";
    default:
      return "";
  }
}

const char* GraphicsEffect(std::uint32_t effect) {
  switch (effect) {
    case 0:
      return "generate no visual signal";
    case 3:
      return "flash the entire display";
    default:
      return "";
  }
}

const char* WindowsEffect(std::uint32_t effect) {
  switch (effect) {
    case 0:
      return "generate no visual signal";
    case 1:
      return "flash the title bar of the active window";
    case 2:
      return "flash the active window";
    case 3:
      return "flash the entire display";
    case 4:
      return "generate a custom effect";
    default:
      return "";
  }
}

}  // namespace

bool TAccessibilitySettings::Write(TConnection& stream) {
  Fetch(qv::spi::GetAccessTimeout, Timeout);
  Fetch(qv::spi::GetFilterKeys, Filter);
  Fetch(qv::spi::GetMouseKeys, Mouse);
  Fetch(qv::spi::GetStickyKeys, Sticky);
  Fetch(qv::spi::GetToggleKeys, Toggle);

  // SERIALKEYS: the active port comes back in the buffer offered; the port
  // pointer stays null.
  qv::ParameterTexts serialTexts;
  Fetch(qv::spi::GetSerialKeys, Serial, &serialTexts);
  ActivePort.clear();
  Port.clear();
  PortSet = false;
  if (Serial.cbSize != 0) {
    ActivePortSet = serialTexts.first.has_value();
    ActivePort = Fit(serialTexts.first.value_or(""), kPortBuffer);
  } else {
    ActivePortSet = true;  // the pointer still names the buffer
    ReadSerialKeysFromRegistry();
  }

  qv::ParameterTexts contrastTexts;
  Fetch(qv::spi::GetHighContrast, Contrast, &contrastTexts);
  DefaultScheme = Contrast.cbSize != 0 ? contrastTexts.first.value_or("") : "";

  qv::ParameterTexts sentryTexts;
  Fetch(qv::spi::GetSoundSentry, Sentry, &sentryTexts);
  EffectDll = Sentry.cbSize != 0 ? Fit(sentryTexts.first.value_or(""), kEffectDllBuffer) : "";

  KeyboardPref = FetchValue(qv::spi::GetKeyboardPref);
  ShowSounds = FetchValue(qv::spi::GetShowSounds);

  WriteStruct(stream, Timeout);
  WriteStruct(stream, Filter);
  WriteStruct(stream, Mouse);
  WriteStruct(stream, Sticky);
  WriteStruct(stream, Toggle);
  WriteStruct(stream, Serial);
  stream.WriteString(ActivePort, "ActivePort");
  stream.WriteString(Port, "Port");
  WriteStruct(stream, Contrast);
  stream.WriteString(DefaultScheme, "DefaultScheme");
  WriteStruct(stream, Sentry);
  stream.WriteString(EffectDll, "WindowsEffectDLL");
  stream.WriteInteger(KeyboardPref, "KeyboardPref");
  stream.WriteInteger(ShowSounds, "ShowSounds");
  Describe(stream);
  return true;
}

// Where the system does not answer for SerialKeys, its settings are read
// from the registry as the control panel keeps them. The structure's size
// field stays 0.
void TAccessibilitySettings::ReadSerialKeysFromRegistry() {
  const qv::RegKey user = qv::hkey::CurrentUser;
  auto text = [&](const char* name, const char* fallback) {
    try {
      return UTLGetRegString(user, kSerialKeysKey, name, fallback);
    } catch (const ERegistryException&) {
      return std::string(fallback);
    }
  };
  ActivePort = Fit(text("ActivePort", "COM1"), kPortBuffer);
  if (items::RunningOnNT()) {
    Serial.dwFlags = UTLGetRegDWORD(user, kSerialKeysKey, "Flags", 0);
    Serial.iActive = Serial.dwFlags & 1;
    Serial.iBaudRate = UTLGetRegDWORD(user, kSerialKeysKey, "Baud", 300);
  } else {
    Serial.dwFlags = NumberIn(text("Flags", "0"));
    Serial.iActive = Serial.dwFlags & 1;
    Serial.iBaudRate = NumberIn(text("BaudRate", "300"));
  }
}

bool TAccessibilitySettings::Read(TConnection& stream) {
  ReadStruct(stream, Timeout, "ACCESSTIMEOUT");
  ReadStruct(stream, Filter, "FILTERKEYS");
  ReadStruct(stream, Mouse, "MOUSEKEYS");
  ReadStruct(stream, Sticky, "STICKYKEYS");
  ReadStruct(stream, Toggle, "TOGGLEKEYS");
  ReadStruct(stream, Serial, "SERIALKEYS");
  ActivePort = Fit(stream.ReadString("ActivePort"), kPortBuffer);
  ActivePortSet = !ActivePort.empty();
  Port = Fit(stream.ReadString("Port"), kPortBuffer);
  PortSet = !Port.empty();
  ReadStruct(stream, Contrast, "HIGHCONTRAST");
  DefaultScheme = stream.ReadString("DefaultScheme");
  ReadStruct(stream, Sentry, "SOUNDSENTRY");
  EffectDll = Fit(stream.ReadString("WindowsEffectDLL"), kEffectDllBuffer);
  KeyboardPref = stream.ReadInteger("KeyboardPref");
  ShowSounds = stream.ReadInteger("ShowSounds");

  if (Timeout.cbSize != 0) Apply(qv::spi::SetAccessTimeout, Timeout);
  if (Filter.cbSize != 0) Apply(qv::spi::SetFilterKeys, Filter);
  ApplyValue(qv::spi::SetKeyboardPref, KeyboardPref);
  ApplyValue(qv::spi::SetShowSounds, ShowSounds);
  if (Mouse.cbSize != 0) Apply(qv::spi::SetMouseKeys, Mouse);
  if (Sticky.cbSize != 0) Apply(qv::spi::SetStickyKeys, Sticky);
  if (Sentry.cbSize != 0) {
    qv::ParameterTexts texts{TextOrNull(EffectDll), std::nullopt};
    Apply(qv::spi::SetSoundSentry, Sentry, &texts);
  }
  if (Toggle.cbSize != 0) Apply(qv::spi::SetToggleKeys, Toggle);
  if (Serial.cbSize != 0) ApplySerialKeys();
  if (Contrast.cbSize != 0) {
    qv::ParameterTexts texts{TextOrNull(DefaultScheme), std::nullopt};
    Apply(qv::spi::SetHighContrast, Contrast, &texts);
  }
  Describe(stream);
  return true;
}

void TAccessibilitySettings::ApplySerialKeys() {
  qv::ParameterTexts texts{ActivePortSet ? std::optional<std::string>(ActivePort) : std::nullopt,
                           PortSet ? std::optional<std::string>(Port) : std::nullopt};
  if (Apply(qv::spi::SetSerialKeys, Serial, &texts)) return;
  // The system keeps SerialKeys only in the registry: it takes effect with
  // the next start.
  std::uint32_t flags = Serial.dwFlags;
  if (Serial.iActive != 0) flags |= 1;
  const qv::RegKey user = qv::hkey::CurrentUser;
  items::SetRegStringForUndo(user, kSerialKeysKey, "ActivePort", ActivePort);
  if (items::RunningOnNT()) {
    items::SetRegStringForUndo(user, kSerialKeysKey, "Port", ActivePort);
    items::SetRegDWORDForUndo(user, kSerialKeysKey, "Flags", flags);
    items::SetRegDWORDForUndo(user, kSerialKeysKey, "Baud", Serial.iBaudRate);
  } else {
    items::SetRegStringForUndo(user, kSerialKeysKey, "Flags", std::to_string(flags));
    items::SetRegStringForUndo(user, kSerialKeysKey, "BaudRate", std::to_string(Serial.iBaudRate));
  }
  RestartRequired = true;
}

void TAccessibilitySettings::Describe(TConnection& stream) {
  auto say = [&](const std::string& line) { stream.AddComment(line); };
  auto either = [&](bool on, const char* yes, const char* no) { say(on ? yes : no); };

  // 1. Time-out.
  if (Timeout.cbSize == 0) {
    say("The Accessibility features are unavailable");
  } else {
    if (Timeout.dwFlags & ATF_ONOFFFEEDBACK)
      say("The system plays a descending siren sound when the time-out period elapses and the "
          "accessibility features are turned off");
    if (Timeout.dwFlags & ATF_TIMEOUTON)
      say("Accessibility features timeout in " + Str(Timeout.iTimeOutMSec / 60000) + " minutes.");
    else
      say("The accessibility features will not time out.");
  }
  say("");

  // 2. FilterKeys.
  if (Filter.cbSize == 0) {
    say("The Filterkeys feature is unavailable.");
  } else {
    const std::uint32_t f = Filter.dwFlags;
    if (f & FKF_AVAILABLE) say("Filter keys are available.");
    if (f & FKF_CLICKON)
      say("The computer makes a click sound when a key is pressed or accepted, that is, if "
          "SlowKeys is on, the acceptance is separated from the press and gets a separate click.");
    either(f & FKF_FILTERKEYSON, "Filter keys are on.", "Filter keys are off.");
    if (f & FKF_HOTKEYACTIVE)
      say("FilterKeys feature can be turned on or off by holding down the SHIFT key for eight "
          "seconds.");
    if (f & FKF_HOTKEYSOUND)
      say("The computer plays a siren sound when the user turns the FilterKeys feature on or off "
          "by using the hot key.");
    if (f & FKF_CONFIRMHOTKEY)
      say("A confirmation dialog box appears when the the FilterKeys features are activated by "
          "using the hot key.");
    if (f & FKF_INDICATOR)
      say("A visual indicator is displayed when the FilterKeys features are on.");
    say("The length of time that the user must hold down a key before it is accepted by the "
        "computer is " +
        Str(Filter.iWaitMSec) + " ms.");
    say("The length of time that the user must hold down a key before it begins to repeat is " +
        Str(Filter.iDelayMSec) + " ms.");
    say("The length of time between each repetition of the keystroke is " +
        Str(Filter.iRepeatMSec) + " ms.");
    say("The amount of time that must elapse after releasing a key before the computer will "
        "accept a subsequent press of the same key is " +
        Str(Filter.iBounceMSec) + " ms.");
  }
  say("");

  // 3. MouseKeys.
  if (Mouse.cbSize == 0) {
    say("The MouseKeys feature is unavailable.");
  } else {
    const std::uint32_t f = Mouse.dwFlags;
    either(f & MKF_AVAILABLE, "The MouseKeys feature is available.",
           "The MouseKeys feature is unavailable.");
    either(f & MKF_MOUSEKEYSON, "The MouseKeys feature is on.", "The MouseKeys feature is off.");
    if (f & MKF_CONFIRMHOTKEY)
      say("A confirmation dialog box appears when the MouseKeys feature is activated by using the "
          "hot key.");
    if (f & MKF_HOTKEYACTIVE)
      say("The user can turn the MouseKeys feature on and off by using the hot key, which is LEFT "
          "ALT+LEFT SHIFT+NUM LOCK.");
    if (f & MKF_HOTKEYSOUND)
      say("The system plays a siren sound when the user turns the MouseKeys feature on or off by "
          "using the hot key.");
    if (f & MKF_INDICATOR) say("A visual indicator is displayed when the MouseKeys feature is on.");
    either(f & kHighFlagBits, "The numeric keypad moves the mouse when the NUM LOCK key is on.",
           "The numeric keypad moves the mouse cursor when the NUM LOCK key is off.");
    say("The maximum speed the mouse cursor attains when an arrow key is held down is " +
        Str(Mouse.iMaxSpeed));
    say("The length of time that it takes for the mouse cursor to reach maximum speed when an "
        "arrow key is held down is " +
        Str(Mouse.iTimeToMaxSpeed) + " ms.");
    if (f & MKF_MODIFIERS)
      say("The CTRL key increases cursor speed by a factor of " + Str(Mouse.iCtrlSpeed) +
          ", and the SHIFT key causes the cursor to delay briefly after moving a single pixel, "
          "allowing fine positioning of the cursor.");
  }
  say("");

  // 4. StickyKeys.
  if (Sticky.cbSize == 0) {
    say("The StickyKeys feature is unavailable.");
  } else {
    const std::uint32_t f = Sticky.dwFlags;
    either(f & SKF_AVAILABLE, "The StickyKeys feature is available.",
           "The StickyKeys feature is unavailable.");
    either(f & SKF_STICKYKEYSON, "the StickyKeys feature is on.", "the StickyKeys feature is off.");
    if (f & SKF_AUDIBLEFEEDBACK)
      say("The system plays a sound when the user latches, locks, or releases modifier keys using "
          "the StickyKeys feature.");
    if (f & SKF_CONFIRMHOTKEY)
      say("A confirmation dialog appears when the StickyKeys feature is activated by using the hot "
          "key.");
    if (f & SKF_HOTKEYACTIVE)
      say("The StickyKeys feature can be turned on and off by pressing the SHIFT key five times.");
    if (f & SKF_HOTKEYSOUND)
      say("The system plays a siren sound when the user turns the StickyKeys feature on or off by "
          "using the hot key.");
    if (f & SKF_INDICATOR)
      say("A visual indicator is be displayed when the StickyKeys feature is on.");
    if (f & kHighFlagBits)
      say("Pressing a modifier key twice in a row locks down the key until it is pressed a third "
          "time.");
    if (f & SKF_TWOKEYSOFF)
      say("Releasing a modifier key that has been pressed in combination with any other key turns "
          "off the StickyKeys feature.");
  }
  say("");

  // 5. ToggleKeys.
  if (Toggle.cbSize == 0) {
    say("The ToggleKeys feature is unavailable.");
  } else {
    const std::uint32_t f = Toggle.dwFlags;
    either(f & TKF_AVAILABLE, "The ToggleKeys feature is available.",
           "The ToggleKeys feature is unavailable.");
    either(f & TKF_TOGGLEKEYSON, "The ToggleKeys feature is on.", "The ToggleKeys feature is off.");
    if (f & TKF_CONFIRMHOTKEY)
      say("A confirmation dialog box appears when the Togglekeys feature is activated by using the "
          "hot key.");
    if (f & TKF_HOTKEYACTIVE)
      say("The ToggleKeys feature can be turned on and off by holding down the NUM LOCK key for "
          "eight seconds.");
    if (f & TKF_HOTKEYSOUND)
      say("The system plays a siren sound when the ToggleKeys feature is turned on or off by using "
          "the hot key.");
  }
  say("");

  // 6. SerialKeys.
  if (Serial.cbSize == 0) {
    say("The SerialKeys feature is unavailable.");
  } else {
    const std::uint32_t f = Serial.dwFlags;
    if (Serial.iActive != 0)
      say("The SerialKeys feature is currently receiving input on the port " +
          (PortSet ? Port : std::string()) + ". Baud rate is " + Str(Serial.iBaudRate));
    either(f & SERKF_SERIALKEYSON, "The SerialKeys feature is on.",
           "The SerialKeys feature is off.");
    either(f & SERKF_AVAILABLE, "The SerialKeys feature is available.",
           "The SerialKeys feature is unavailable.");
    if (f & SERKF_INDICATOR)
      say("A visual indicator is displayed when the SerialKeys feature is on.");
    if (ActivePortSet) {
      say("Active Port : " + ActivePort);
      say("Baud Rate : " + Str(Serial.iBaudRate));
    }
  }
  say("");

  // 7. High Contrast.
  if (Contrast.cbSize == 0) {
    say("The High Contrast feature is unavailable.");
  } else {
    const std::uint32_t f = Contrast.dwFlags;
    either(f & HCF_AVAILABLE, "The High Contrast feature is available.",
           "The High Contrast feature is unavailable.");
    either(f & HCF_HIGHCONTRASTON, "The High Contrast feature is on.",
           "The High Contrast feature is off.");
    if (f & HCF_HOTKEYACTIVE)
      say("The user can turn the High Contrast Mode on and off by simultaneously pressing the left "
          "ALT, left SHIFT, and PRINT SCREEN keys.");
    if (f & HCF_CONFIRMHOTKEY)
      say("A confirmation dialog appears when the the High Contrast Mode is activated by using the "
          "hot key.");
    if (f & HCF_HOTKEYAVAILABLE)
      say("The hot key associated with the High Contrast Mode can be enabled.");
    if (f & HCF_HOTKEYSOUND)
      say("A siren is played when the user turns the High Contrast Mode on or off by using the hot "
          "key.");
    if (f & HCF_INDICATOR)
      say("A visual indicator is displayed when the High Contrast Mode is on.");
  }
  say("");

  // 8. SoundSentry.
  if (Sentry.cbSize == 0) {
    say("The SoundsEntry feature is unavailable.");
  } else {
    const std::uint32_t f = Sentry.dwFlags;
    either(f & SSF_AVAILABLE, "The SoundSentry feature is available.",
           "The SoundSentry feature is unavailable.");
    either(f & SSF_SOUNDSENTRYON, "The SoundSentry feature is on.",
           "The SoundSentry feature is off.");
    say("The computer will " + std::string(TextEffect(Sentry.iFSTextEffect)) + " for " +
        Str(Sentry.iFSTextEffectMSec) +
        " ms. when a text-mode application generates a sound while running full-screen.");
    say("The computer will " + std::string(GraphicsEffect(Sentry.iFSGrafEffect)) + " for " +
        Str(Sentry.iFSGrafEffectMSec) + " ms. when a graphics-mode application generates a sound.");
    say("The computer will " + std::string(WindowsEffect(Sentry.iWindowsEffect)) + " for " +
        Str(Sentry.iWindowsEffectMSec) +
        " ms. when a Windows-based application or an MS-DOS application running in a window "
        "generates a sound.");
  }
  say("");

  // 9. Preferences.
  if (static_cast<std::uint32_t>(KeyboardPref) != kUnreadParameter)
    either(KeyboardPref != 0, "User relies on keyboard for input.",
           "User relies on mouse for input.");
  if (ShowSounds != 0 && static_cast<std::uint32_t>(ShowSounds) != kUnreadParameter)
    say("Applications should display captions for the speech and sounds they make.");
}
