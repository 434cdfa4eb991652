// SystemParametersInfoA, the system colours, the display mode, keyboard
// layouts, double-click and caret blink times and the mouse cursor on the
// real Windows API.
#include <cstring>

#include "platform/win32/win32_machine.h"

namespace qv {

namespace {

// The structures without pointers have the same layout in 32-bit and 64-bit
// Windows: their bytes go to the system as they are.
static_assert(sizeof(LOGFONTA) == spisize::LogFont);
static_assert(sizeof(ICONMETRICSA) == spisize::IconMetrics);
static_assert(sizeof(MINIMIZEDMETRICS) == spisize::MinimizedMetrics);
static_assert(sizeof(ANIMATIONINFO) == spisize::AnimationInfo);
static_assert(sizeof(ACCESSTIMEOUT) == spisize::AccessTimeout);
static_assert(sizeof(FILTERKEYS) == spisize::FilterKeys);
static_assert(sizeof(MOUSEKEYS) == spisize::MouseKeys);
static_assert(sizeof(STICKYKEYS) == spisize::StickyKeys);
static_assert(sizeof(TOGGLEKEYS) == spisize::ToggleKeys);
static_assert(offsetof(NONCLIENTMETRICSA, lfMessageFont) + sizeof(LOGFONTA) ==
              spisize::NonClientMetrics);

// The accessibility structures that hold pointers keep the 32-bit layout up
// to their first pointer in every build, and are that layout exactly in a
// 32-bit build.
static_assert(offsetof(SERIALKEYSA, lpszActivePort) == 8);
static_assert(offsetof(HIGHCONTRASTA, lpszDefaultScheme) == 8);
static_assert(offsetof(SOUNDSENTRYA, lpszWindowsEffectDLL) == 40);
#ifndef _WIN64
static_assert(sizeof(SERIALKEYSA) == spisize::SerialKeys);
static_assert(offsetof(SERIALKEYSA, lpszPort) == 12 && offsetof(SERIALKEYSA, iActive) == 24);
static_assert(sizeof(HIGHCONTRASTA) == spisize::HighContrast);
static_assert(sizeof(SOUNDSENTRYA) == spisize::SoundSentry);
static_assert(offsetof(SOUNDSENTRYA, iWindowsEffectOrdinal) == 44);
#endif

std::uint32_t Get32(const std::vector<std::uint8_t>& b, std::size_t offset) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | b[offset + i];
  return v;
}

void Put32(std::vector<std::uint8_t>& b, std::size_t offset, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[offset + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// The 32-bit block's field at `offset`, or 0 past its end.
std::uint32_t Field(const std::vector<std::uint8_t>& b, std::size_t offset) {
  return offset + 4 <= b.size() ? Get32(b, offset) : 0;
}

std::optional<std::string> TextAt(const char* p) {
  if (!p) return std::nullopt;
  return std::string(p);
}

// A text to hand to the system through a pointer field: null without one.
class TextArg {
 public:
  explicit TextArg(const std::optional<std::string>& text) {
    if (text) {
      buffer_.assign(text->begin(), text->end());
      buffer_.push_back('\0');
    }
  }
  LPSTR get() { return buffer_.empty() ? nullptr : buffer_.data(); }

 private:
  std::vector<char> buffer_;
};

bool SerialKeys(unsigned action, UINT uiParam, UINT cbSize, std::vector<std::uint8_t>& block,
                unsigned winIni, ParameterTexts* texts) {
  // 32-bit: cbSize, dwFlags, lpszActivePort 8, lpszPort 12, iBaudRate,
  // iPortState, iActive.
  SERIALKEYSA sk = {};
  sk.cbSize = cbSize;
  sk.dwFlags = Field(block, 4);
  sk.iBaudRate = Field(block, 16);
  sk.iPortState = Field(block, 20);
  sk.iActive = Field(block, 24);
  const bool get = action == spi::GetSerialKeys;
  char activePort[128] = {};
  TextArg active(texts && !get ? texts->first : std::nullopt);
  TextArg port(texts && !get ? texts->second : std::nullopt);
  if (get) {
    sk.lpszActivePort = activePort;
  } else {
    sk.lpszActivePort = active.get();
    sk.lpszPort = port.get();
  }
  if (!SystemParametersInfoA(action, uiParam, &sk, winIni)) return false;
  if (get) {
    Put32(block, 4, sk.dwFlags);
    Put32(block, 8, 0);
    Put32(block, 12, 0);
    Put32(block, 16, sk.iBaudRate);
    Put32(block, 20, sk.iPortState);
    Put32(block, 24, sk.iActive);
    if (texts) *texts = ParameterTexts{TextAt(sk.lpszActivePort), TextAt(sk.lpszPort)};
  }
  return true;
}

bool HighContrast(unsigned action, UINT uiParam, UINT cbSize, std::vector<std::uint8_t>& block,
                  unsigned winIni, ParameterTexts* texts) {
  // 32-bit: cbSize, dwFlags, lpszDefaultScheme 8. On a get the system
  // points the field at its own copy of the scheme's name.
  HIGHCONTRASTA hc = {};
  hc.cbSize = cbSize;
  hc.dwFlags = Field(block, 4);
  const bool get = action == spi::GetHighContrast;
  TextArg scheme(texts && !get ? texts->first : std::nullopt);
  if (!get) hc.lpszDefaultScheme = scheme.get();
  if (!SystemParametersInfoA(action, uiParam, &hc, winIni)) return false;
  if (get) {
    Put32(block, 4, hc.dwFlags);
    Put32(block, 8, 0);
    if (texts) *texts = ParameterTexts{TextAt(hc.lpszDefaultScheme), std::nullopt};
  }
  return true;
}

bool SoundSentry(unsigned action, UINT uiParam, UINT cbSize, std::vector<std::uint8_t>& block,
                 unsigned winIni, ParameterTexts* texts) {
  // 32-bit: ten DWORDs from cbSize to iWindowsEffectMSec,
  // lpszWindowsEffectDLL 40, iWindowsEffectOrdinal 44.
  SOUNDSENTRYA ss = {};
  ss.cbSize = cbSize;
  ss.dwFlags = Field(block, 4);
  ss.iFSTextEffect = Field(block, 8);
  ss.iFSTextEffectMSec = Field(block, 12);
  ss.iFSTextEffectColorBits = Field(block, 16);
  ss.iFSGrafEffect = Field(block, 20);
  ss.iFSGrafEffectMSec = Field(block, 24);
  ss.iFSGrafEffectColor = Field(block, 28);
  ss.iWindowsEffect = Field(block, 32);
  ss.iWindowsEffectMSec = Field(block, 36);
  ss.iWindowsEffectOrdinal = Field(block, 44);
  const bool get = action == spi::GetSoundSentry;
  char library[MAX_PATH] = {};
  TextArg dll(texts && !get ? texts->first : std::nullopt);
  ss.lpszWindowsEffectDLL = get ? library : dll.get();
  if (!SystemParametersInfoA(action, uiParam, &ss, winIni)) return false;
  if (get) {
    const DWORD values[] = {ss.dwFlags,         ss.iFSTextEffect,      ss.iFSTextEffectMSec,
                            ss.iFSTextEffectColorBits, ss.iFSGrafEffect, ss.iFSGrafEffectMSec,
                            ss.iFSGrafEffectColor, ss.iWindowsEffect,  ss.iWindowsEffectMSec};
    for (std::size_t i = 0; i < std::size(values); ++i) Put32(block, 4 + 4 * i, values[i]);
    Put32(block, 40, 0);
    Put32(block, 44, ss.iWindowsEffectOrdinal);
    if (texts) *texts = ParameterTexts{TextAt(ss.lpszWindowsEffectDLL), std::nullopt};
  }
  return true;
}

DisplayMode ModeOf(const DEVMODEA& dm) {
  DisplayMode mode;
  mode.fields = dm.dmFields & (dm::BitsPerPel | dm::PelsWidth | dm::PelsHeight |
                               dm::DisplayFrequency);
  mode.bitsPerPel = dm.dmBitsPerPel;
  mode.pelsWidth = dm.dmPelsWidth;
  mode.pelsHeight = dm.dmPelsHeight;
  mode.displayFrequency = dm.dmDisplayFrequency;
  return mode;
}

WinError LastErrorOr(WinError fallback) {
  WinError e = ::GetLastError();
  return e != err::Success ? e : fallback;
}

// --- Display: the icon-title font ------------------------------------------
// Wine's SystemParametersInfoA hands the LOGFONTA of SPI_SETICONTITLELOGFONT
// to the wide call unconverted (the face name arrives as garbage). Windows NT
// converts it the same way as done here, so on the NT platform the font goes
// through the wide call; Windows 95/98 have only the ANSI one.
bool SetIconTitleFont(std::vector<std::uint8_t>& block, unsigned winIni) {
  if (block.size() != spisize::LogFont) {
    ::SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  LOGFONTA font = {};
  std::memcpy(&font, block.data(), sizeof font);
  font.lfFaceName[LF_FACESIZE - 1] = 0;
  if (GetVersion() & 0x80000000u)
    return SystemParametersInfoA(SPI_SETICONTITLELOGFONT, sizeof font, &font, winIni) != FALSE;
  LOGFONTW wide = {};
  wide.lfHeight = font.lfHeight;
  wide.lfWidth = font.lfWidth;
  wide.lfEscapement = font.lfEscapement;
  wide.lfOrientation = font.lfOrientation;
  wide.lfWeight = font.lfWeight;
  wide.lfItalic = font.lfItalic;
  wide.lfUnderline = font.lfUnderline;
  wide.lfStrikeOut = font.lfStrikeOut;
  wide.lfCharSet = font.lfCharSet;
  wide.lfOutPrecision = font.lfOutPrecision;
  wide.lfClipPrecision = font.lfClipPrecision;
  wide.lfQuality = font.lfQuality;
  wide.lfPitchAndFamily = font.lfPitchAndFamily;
  MultiByteToWideChar(CP_ACP, 0, font.lfFaceName, -1, wide.lfFaceName, LF_FACESIZE);
  return SystemParametersInfoW(SPI_SETICONTITLELOGFONT, sizeof wide, &wide, winIni) != FALSE;
}

}  // namespace

bool Win32SystemParameters::Parameter(unsigned action, std::uint32_t uiParam,
                                      std::int32_t* value, unsigned winIni) {
  // INT, UINT and BOOL values are all 32 bits wide.
  return SystemParametersInfoA(action, uiParam, value, winIni) != FALSE;
}

bool Win32SystemParameters::ParameterBlock(unsigned action, std::uint32_t uiParam,
                                           std::vector<std::uint8_t>& block, unsigned winIni,
                                           ParameterTexts* texts) {
  // The structures with pointers are rebuilt field by field; a size given
  // as the 32-bit one (in uiParam or cbSize) becomes the running system's.
  auto convert = [&](std::uint32_t size32, std::uint32_t sizeReal, auto call) {
    if (block.size() != size32) {
      ::SetLastError(ERROR_INVALID_PARAMETER);
      return false;
    }
    const std::uint32_t cbSize = Get32(block, 0) == size32 ? sizeReal : Get32(block, 0);
    return call(uiParam == size32 ? sizeReal : uiParam, cbSize);
  };
  if (action == spi::SetIconTitleLogFont) return SetIconTitleFont(block, winIni);
  switch (action) {
    case spi::GetSerialKeys:
    case spi::SetSerialKeys:
      return convert(spisize::SerialKeys, sizeof(SERIALKEYSA), [&](UINT ui, UINT cb) {
        return SerialKeys(action, ui, cb, block, winIni, texts);
      });
    case spi::GetHighContrast:
    case spi::SetHighContrast:
      return convert(spisize::HighContrast, sizeof(HIGHCONTRASTA), [&](UINT ui, UINT cb) {
        return HighContrast(action, ui, cb, block, winIni, texts);
      });
    case spi::GetSoundSentry:
    case spi::SetSoundSentry:
      return convert(spisize::SoundSentry, sizeof(SOUNDSENTRYA), [&](UINT ui, UINT cb) {
        return SoundSentry(action, ui, cb, block, winIni, texts);
      });
    default: break;
  }
  // Every other structure is free of pointers: an aligned copy of the bytes
  // is the structure itself.
  std::vector<std::uint32_t> buffer((block.size() + 3) / 4 + 1, 0);
  if (!block.empty()) std::memcpy(buffer.data(), block.data(), block.size());
  if (!SystemParametersInfoA(action, uiParam, buffer.data(), winIni)) return false;
  if (!block.empty()) std::memcpy(block.data(), buffer.data(), block.size());
  return true;
}

bool Win32SystemParameters::ParameterText(unsigned action, std::uint32_t uiParam,
                                          const std::string* text, unsigned winIni) {
  std::vector<char> buffer;
  if (text) {
    buffer.assign(text->begin(), text->end());
    buffer.push_back('\0');
  }
  return SystemParametersInfoA(action, uiParam, text ? buffer.data() : nullptr, winIni) != FALSE;
}

std::uint32_t Win32SystemParameters::SysColor(int index) { return GetSysColor(index); }

WinError Win32SystemParameters::ChangeSysColors(const std::vector<int>& indices,
                                                const std::vector<std::uint32_t>& colors) {
  if (indices.size() != colors.size()) return ERROR_INVALID_PARAMETER;
  if (indices.empty()) return err::Success;
  std::vector<INT> elements(indices.begin(), indices.end());
  std::vector<COLORREF> values(colors.begin(), colors.end());
  if (!SetSysColors(static_cast<int>(elements.size()), elements.data(), values.data()))
    return LastErrorOr(ERROR_INVALID_PARAMETER);
  return err::Success;
}

WinError Win32SystemParameters::CurrentDisplayMode(DisplayMode& mode) {
  DEVMODEA dm = {};
  dm.dmSize = sizeof dm;
  if (!EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &dm))
    return LastErrorOr(ERROR_INVALID_PARAMETER);
  mode = ModeOf(dm);
  return err::Success;
}

std::vector<DisplayMode> Win32SystemParameters::DisplayModes() {
  std::vector<DisplayMode> modes;
  DEVMODEA dm = {};
  dm.dmSize = sizeof dm;
  for (DWORD i = 0; EnumDisplaySettingsA(nullptr, i, &dm); ++i) {
    modes.push_back(ModeOf(dm));
    dm = DEVMODEA{};
    dm.dmSize = sizeof dm;
  }
  return modes;
}

std::int32_t Win32SystemParameters::ChangeDisplayMode(const DisplayMode& mode,
                                                      std::uint32_t flags) {
  DEVMODEA dm = {};
  dm.dmSize = sizeof dm;
  dm.dmFields = mode.fields;
  dm.dmBitsPerPel = mode.bitsPerPel;
  dm.dmPelsWidth = mode.pelsWidth;
  dm.dmPelsHeight = mode.pelsHeight;
  dm.dmDisplayFrequency = mode.displayFrequency;
  return ChangeDisplaySettingsA(&dm, flags);
}

WinError Win32SystemParameters::KeyboardLayoutName(std::string& name) {
  char buffer[KL_NAMELENGTH] = {};
  if (!GetKeyboardLayoutNameA(buffer)) return LastErrorOr(ERROR_INVALID_PARAMETER);
  name = buffer;
  return err::Success;
}

WinError Win32SystemParameters::LoadKeyboardLayoutByName(std::string_view name,
                                                         std::uint32_t flags) {
  const std::string n(name);
  if (!LoadKeyboardLayoutA(n.c_str(), flags)) return LastErrorOr(ERROR_INVALID_PARAMETER);
  return err::Success;
}

WinError Win32SystemParameters::LocaleText(std::uint32_t locale, std::uint32_t type,
                                           std::string& text) {
  int n = GetLocaleInfoA(locale, type, nullptr, 0);
  if (n <= 0) return LastErrorOr(ERROR_INVALID_PARAMETER);
  std::string buffer(static_cast<std::size_t>(n), '\0');
  n = GetLocaleInfoA(locale, type, buffer.data(), n);
  if (n <= 0) return LastErrorOr(ERROR_INVALID_PARAMETER);
  text.assign(buffer.data());
  return err::Success;
}

std::uint32_t Win32SystemParameters::DoubleClickTime() { return GetDoubleClickTime(); }

WinError Win32SystemParameters::ChangeDoubleClickTime(std::uint32_t milliseconds) {
  if (!SetDoubleClickTime(milliseconds)) return LastErrorOr(ERROR_INVALID_PARAMETER);
  return err::Success;
}

std::uint32_t Win32SystemParameters::CaretBlinkTime() { return GetCaretBlinkTime(); }

WinError Win32SystemParameters::ChangeCaretBlinkTime(std::uint32_t milliseconds) {
  if (!SetCaretBlinkTime(milliseconds)) return LastErrorOr(ERROR_INVALID_PARAMETER);
  return err::Success;
}

WinError Win32SystemParameters::CursorPosition(Point& position) {
  POINT p = {};
  if (!GetCursorPos(&p)) return LastErrorOr(ERROR_INVALID_PARAMETER);
  position = Point{p.x, p.y};
  return err::Success;
}

WinError Win32SystemParameters::MoveCursor(Point position) {
  if (!SetCursorPos(position.x, position.y)) return LastErrorOr(ERROR_INVALID_PARAMETER);
  return err::Success;
}

void Win32SystemParameters::BroadcastSettingChange() {
  PostMessageA(HWND_BROADCAST, WM_SETTINGCHANGE, 0, 0);
}

}  // namespace qv
