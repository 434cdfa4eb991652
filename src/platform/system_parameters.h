// System-parameters port: SystemParametersInfo, the system colours, the
// display mode, the keyboard layout, the double-click and caret blink times
// and the mouse cursor position.
//
// Structures go through SystemParametersInfo as byte blocks with their 32-bit
// ANSI layout (little-endian 32-bit fields, LOGFONT with a 32-byte face
// name), exactly as they travel in a settings file; the adapter converts them
// to whatever the running system expects.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win_types.h"

namespace qv {

// A point and a rectangle in screen (or client) pixels.
struct Point {
  std::int32_t x = 0;
  std::int32_t y = 0;
  bool operator==(const Point&) const = default;
};

struct Rect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
  std::int32_t Width() const { return right - left; }
  std::int32_t Height() const { return bottom - top; }
  bool IsEmpty() const { return right <= left || bottom <= top; }
  bool operator==(const Rect&) const = default;
};

// SystemParametersInfo actions (SPI_*) the items use.
namespace spi {
inline constexpr unsigned GetMouse = 3;
inline constexpr unsigned SetMouse = 4;
inline constexpr unsigned GetBorder = 5;
inline constexpr unsigned SetBorder = 6;
inline constexpr unsigned GetKeyboardSpeed = 10;
inline constexpr unsigned SetKeyboardSpeed = 11;
inline constexpr unsigned GetScreenSaveTimeout = 14;
inline constexpr unsigned SetScreenSaveTimeout = 15;
inline constexpr unsigned GetScreenSaveActive = 16;
inline constexpr unsigned SetScreenSaveActive = 17;
inline constexpr unsigned SetDeskWallpaper = 20;
inline constexpr unsigned SetDeskPattern = 21;
inline constexpr unsigned GetKeyboardDelay = 22;
inline constexpr unsigned SetKeyboardDelay = 23;
inline constexpr unsigned GetMenuDropAlignment = 27;
inline constexpr unsigned SetMenuDropAlignment = 28;
inline constexpr unsigned SetDoubleClkWidth = 29;
inline constexpr unsigned SetDoubleClkHeight = 30;
inline constexpr unsigned SetDoubleClickTime = 32;
inline constexpr unsigned SetMouseButtonSwap = 33;
inline constexpr unsigned SetIconTitleLogFont = 34;
inline constexpr unsigned GetNonClientMetrics = 41;
inline constexpr unsigned SetNonClientMetrics = 42;
inline constexpr unsigned GetMinimizedMetrics = 43;
inline constexpr unsigned SetMinimizedMetrics = 44;
inline constexpr unsigned GetIconMetrics = 45;
inline constexpr unsigned SetIconMetrics = 46;
inline constexpr unsigned GetFilterKeys = 50;
inline constexpr unsigned SetFilterKeys = 51;
inline constexpr unsigned GetToggleKeys = 52;
inline constexpr unsigned SetToggleKeys = 53;
inline constexpr unsigned GetMouseKeys = 54;
inline constexpr unsigned SetMouseKeys = 55;
inline constexpr unsigned GetShowSounds = 56;
inline constexpr unsigned SetShowSounds = 57;
inline constexpr unsigned GetStickyKeys = 58;
inline constexpr unsigned SetStickyKeys = 59;
inline constexpr unsigned GetAccessTimeout = 60;
inline constexpr unsigned SetAccessTimeout = 61;
inline constexpr unsigned GetSerialKeys = 62;
inline constexpr unsigned SetSerialKeys = 63;
inline constexpr unsigned GetSoundSentry = 64;
inline constexpr unsigned SetSoundSentry = 65;
inline constexpr unsigned GetHighContrast = 66;
inline constexpr unsigned SetHighContrast = 67;
inline constexpr unsigned GetKeyboardPref = 68;
inline constexpr unsigned SetKeyboardPref = 69;
inline constexpr unsigned GetAnimation = 72;
inline constexpr unsigned SetAnimation = 73;
inline constexpr unsigned GetLowPowerTimeout = 0x4F;
inline constexpr unsigned GetPowerOffTimeout = 0x50;
inline constexpr unsigned SetLowPowerTimeout = 0x51;
inline constexpr unsigned SetPowerOffTimeout = 0x52;
inline constexpr unsigned GetLowPowerActive = 0x53;
inline constexpr unsigned GetPowerOffActive = 0x54;
inline constexpr unsigned SetLowPowerActive = 0x55;
inline constexpr unsigned SetPowerOffActive = 0x56;
inline constexpr unsigned GetIconTitleLogFont = 31;
inline constexpr unsigned GetScreenSaverRunning = 0x72;
}  // namespace spi

// Error codes of the system-parameter calls (the values of winerror.h).
namespace err {
// ERROR_INVALID_SPI_VALUE: Windows NT's answer to an action it does not know.
inline constexpr WinError InvalidSpiValue = 1439;
}  // namespace err

// fWinIni flags (SPIF_*).
namespace spif {
inline constexpr unsigned UpdateIniFile = 0x01;
inline constexpr unsigned SendWinIniChange = 0x02;
}  // namespace spif

// Sizes in bytes of the 32-bit ANSI structures that go through
// SystemParametersInfo (the value of each structure's size field).
namespace spisize {
inline constexpr std::uint32_t MouseBlock = 12;  // threshold 1, threshold 2, acceleration
inline constexpr std::uint32_t LogFont = 60;
inline constexpr std::uint32_t IconMetrics = 76;
inline constexpr std::uint32_t MinimizedMetrics = 20;
inline constexpr std::uint32_t NonClientMetrics = 340;
inline constexpr std::uint32_t AnimationInfo = 8;
inline constexpr std::uint32_t AccessTimeout = 12;
inline constexpr std::uint32_t FilterKeys = 24;
inline constexpr std::uint32_t MouseKeys = 28;
inline constexpr std::uint32_t StickyKeys = 8;
inline constexpr std::uint32_t ToggleKeys = 8;
inline constexpr std::uint32_t SerialKeys = 28;
inline constexpr std::uint32_t HighContrast = 12;
inline constexpr std::uint32_t SoundSentry = 48;
}  // namespace spisize

// The texts that SERIALKEYS, HIGHCONTRAST and SOUNDSENTRY reach through
// pointer fields, which a 32-bit byte block cannot carry. In field order:
// SERIALKEYS lpszActivePort and lpszPort; HIGHCONTRAST lpszDefaultScheme;
// SOUNDSENTRY lpszWindowsEffectDLL. No value stands for a null pointer.
struct ParameterTexts {
  std::optional<std::string> first;
  std::optional<std::string> second;
};

// Number of system colour indices the colours item carries (COLOR_SCROLLBAR
// 0 to COLOR_INFOBK 24).
inline constexpr int SysColorCount = 25;

// DEVMODE dmFields bits of a display mode (DM_*).
namespace dm {
inline constexpr std::uint32_t BitsPerPel = 0x40000;
inline constexpr std::uint32_t PelsWidth = 0x80000;
inline constexpr std::uint32_t PelsHeight = 0x100000;
inline constexpr std::uint32_t DisplayFrequency = 0x400000;
}  // namespace dm

// The DEVMODE fields of a display mode (the ANSI DEVMODE is 156 bytes).
struct DisplayMode {
  std::uint32_t fields = 0;  // which of the values below are given (dm::*)
  std::uint32_t bitsPerPel = 0;
  std::uint32_t pelsWidth = 0;
  std::uint32_t pelsHeight = 0;
  std::uint32_t displayFrequency = 0;  // Hz; 0 or 1 means the hardware default
  bool operator==(const DisplayMode&) const = default;
};

// ChangeDisplaySettings flags (CDS_*).
namespace cds {
inline constexpr std::uint32_t UpdateRegistry = 0x01;
inline constexpr std::uint32_t Test = 0x02;
}  // namespace cds

// ChangeDisplaySettings results (DISP_CHANGE_*).
namespace disp {
inline constexpr std::int32_t Successful = 0;
inline constexpr std::int32_t Restart = 1;
inline constexpr std::int32_t Failed = -1;
inline constexpr std::int32_t BadMode = -2;
inline constexpr std::int32_t NotUpdated = -3;
inline constexpr std::int32_t BadFlags = -4;
inline constexpr std::int32_t BadParam = -5;
}  // namespace disp

// LoadKeyboardLayout flags (KLF_*).
namespace klf {
inline constexpr std::uint32_t Activate = 0x01;
}  // namespace klf

// GetLocaleInfo types (LOCALE_*).
namespace localeinfo {
inline constexpr std::uint32_t SLanguage = 0x02;  // localized name of the language
}  // namespace localeinfo

class ISystemParameters {
 public:
  virtual ~ISystemParameters() = default;

  // SystemParametersInfo with pvParam pointing at a 32-bit integer (or null
  // when `value` is null): a get action stores into *value, a set action
  // takes its value from uiParam. False on failure; the system's code is
  // then the thread's last error (ISystemInfo::LastError), which may be 0.
  virtual bool Parameter(unsigned action, std::uint32_t uiParam, std::int32_t* value,
                         unsigned winIni) = 0;
  // SystemParametersInfo with pvParam pointing at a structure, given as its
  // 32-bit ANSI bytes (block.size() is the structure's size, the first field
  // usually repeats it). A get action fills the block in place. For
  // SERIALKEYS, HIGHCONTRAST and SOUNDSENTRY `texts` carries the pointed-to
  // strings: on a get the adapter offers the buffers the system expects
  // (128 characters for the active port, 260 for the effect library) and
  // returns what they hold; on a set each given text is passed by pointer.
  // Pointer fields come back as 0 in the block and are ignored in it on a
  // set. False on failure, with the code as the thread's last error.
  virtual bool ParameterBlock(unsigned action, std::uint32_t uiParam,
                              std::vector<std::uint8_t>& block, unsigned winIni,
                              ParameterTexts* texts = nullptr) = 0;
  // SystemParametersInfo with pvParam pointing at an ANSI string, or null
  // when `text` is null (SPI_SETDESKWALLPAPER, SPI_SETDESKPATTERN). False on
  // failure, with the code as the thread's last error.
  virtual bool ParameterText(unsigned action, std::uint32_t uiParam, const std::string* text,
                             unsigned winIni) = 0;

  // GetSysColor: 0x00BBGGRR; 0 for an index the system does not know.
  virtual std::uint32_t SysColor(int index) = 0;
  // SetSysColors: indices[i] gets colors[i]; both lists have the same length.
  // Running programs are told at once, as the real call does.
  virtual WinError ChangeSysColors(const std::vector<int>& indices,
                                   const std::vector<std::uint32_t>& colors) = 0;

  // EnumDisplaySettings(NULL, ENUM_CURRENT_SETTINGS): the mode in use.
  virtual WinError CurrentDisplayMode(DisplayMode& mode) = 0;
  // EnumDisplaySettings(NULL, 0, 1, ...): every mode the display offers, in
  // the order the system lists them.
  virtual std::vector<DisplayMode> DisplayModes() = 0;
  // ChangeDisplaySettings(mode, flags) for the primary display: a disp::*
  // result. With cds::Test nothing changes; cds::UpdateRegistry makes the
  // mode current and stores it. Only the fields named in mode.fields count.
  virtual std::int32_t ChangeDisplayMode(const DisplayMode& mode, std::uint32_t flags) = 0;

  // GetKeyboardLayoutName: the active layout as 8 hexadecimal digits
  // ("00000409").
  virtual WinError KeyboardLayoutName(std::string& name) = 0;
  // LoadKeyboardLayout(name, flags); a layout the system does not have
  // fails.
  virtual WinError LoadKeyboardLayoutByName(std::string_view name, std::uint32_t flags) = 0;
  // GetLocaleInfo(locale, type): the text of one locale setting, such as the
  // language name of a layout's locale identifier.
  virtual WinError LocaleText(std::uint32_t locale, std::uint32_t type, std::string& text) = 0;

  // GetDoubleClickTime / SetDoubleClickTime, in milliseconds.
  virtual std::uint32_t DoubleClickTime() = 0;
  virtual WinError ChangeDoubleClickTime(std::uint32_t milliseconds) = 0;
  // GetCaretBlinkTime / SetCaretBlinkTime, in milliseconds; GetCaretBlinkTime
  // gives 0 when it fails.
  virtual std::uint32_t CaretBlinkTime() = 0;
  virtual WinError ChangeCaretBlinkTime(std::uint32_t milliseconds) = 0;

  // GetCursorPos / SetCursorPos, in screen pixels.
  virtual WinError CursorPosition(Point& position) = 0;
  virtual WinError MoveCursor(Point position) = 0;

  // PostMessage(HWND_BROADCAST, WM_SETTINGCHANGE, 0, 0): every top-level
  // window hears that settings changed.
  virtual void BroadcastSettingChange() = 0;
};

}  // namespace qv
