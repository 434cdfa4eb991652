// The in-memory machine's system parameters: SystemParametersInfo values and
// structures, system colours, display modes, keyboard layouts, double-click
// and caret blink times, the mouse cursor and setting-change notices.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "platform/memory/memory_display.h"
#include "platform/memory/memory_state.h"

namespace qv::mem {

namespace {

using State = MemoryMachine::State;

// ---------------------------------------------------------------------------
// The action table

enum KindMask : unsigned {
  k95 = 1u << okWin95,
  k98 = 1u << okWin98,
  kNT = 1u << okWinNT,
  kAll = k95 | k98 | kNT,
};

// One pair of actions. `size` 0 means an integer that the get action stores
// through pvParam and the set action takes from uiParam; otherwise the
// structure's size, with `sized` when its first field must repeat it.
struct ActionPair {
  unsigned get;
  unsigned set;  // 0: nothing sets it
  std::uint32_t size;
  bool sized;
  bool boolean;    // integer values that the system keeps as 0 or 1
  unsigned kinds;  // the kinds of Windows that have the actions
  // Offsets of the pointer fields (lpsz...) in the 32-bit block, 0 for none.
  std::uint32_t pointer1 = 0;
  std::uint32_t pointer2 = 0;
};

// Windows 95 knows the power actions for 16-bit programs only; Windows NT 4
// not at all, nor SERIALKEYS. SPI_GETSCREENSAVERRUNNING came with Windows 98.
const ActionPair kActions[] = {
    {spi::GetMouse, spi::SetMouse, spisize::MouseBlock, false, false, kAll},
    {spi::GetBorder, spi::SetBorder, 0, false, false, kAll},
    {spi::GetKeyboardSpeed, spi::SetKeyboardSpeed, 0, false, false, kAll},
    {spi::GetScreenSaveTimeout, spi::SetScreenSaveTimeout, 0, false, false, kAll},
    {spi::GetScreenSaveActive, spi::SetScreenSaveActive, 0, false, true, kAll},
    {spi::GetKeyboardDelay, spi::SetKeyboardDelay, 0, false, false, kAll},
    {spi::GetMenuDropAlignment, spi::SetMenuDropAlignment, 0, false, true, kAll},
    {spi::GetIconTitleLogFont, spi::SetIconTitleLogFont, spisize::LogFont, false, false, kAll},
    {spi::GetNonClientMetrics, spi::SetNonClientMetrics, spisize::NonClientMetrics, true, false,
     kAll},
    {spi::GetMinimizedMetrics, spi::SetMinimizedMetrics, spisize::MinimizedMetrics, true, false,
     kAll},
    {spi::GetIconMetrics, spi::SetIconMetrics, spisize::IconMetrics, true, false, kAll},
    {spi::GetFilterKeys, spi::SetFilterKeys, spisize::FilterKeys, true, false, kAll},
    {spi::GetToggleKeys, spi::SetToggleKeys, spisize::ToggleKeys, true, false, kAll},
    {spi::GetMouseKeys, spi::SetMouseKeys, spisize::MouseKeys, true, false, kAll},
    {spi::GetShowSounds, spi::SetShowSounds, 0, false, true, kAll},
    {spi::GetStickyKeys, spi::SetStickyKeys, spisize::StickyKeys, true, false, kAll},
    {spi::GetAccessTimeout, spi::SetAccessTimeout, spisize::AccessTimeout, true, false, kAll},
    {spi::GetSerialKeys, spi::SetSerialKeys, spisize::SerialKeys, true, false, k95 | k98, 8, 12},
    {spi::GetSoundSentry, spi::SetSoundSentry, spisize::SoundSentry, true, false, kAll, 40},
    {spi::GetHighContrast, spi::SetHighContrast, spisize::HighContrast, true, false, kAll, 8},
    {spi::GetKeyboardPref, spi::SetKeyboardPref, 0, false, true, kAll},
    {spi::GetAnimation, spi::SetAnimation, spisize::AnimationInfo, true, false, kAll},
    {spi::GetLowPowerTimeout, spi::SetLowPowerTimeout, 0, false, false, k98},
    {spi::GetPowerOffTimeout, spi::SetPowerOffTimeout, 0, false, false, k98},
    {spi::GetLowPowerActive, spi::SetLowPowerActive, 0, false, true, k98},
    {spi::GetPowerOffActive, spi::SetPowerOffActive, 0, false, true, k98},
    {spi::GetScreenSaverRunning, 0, 0, false, true, k98},
};

// Set actions without a get action; their value comes from uiParam and
// lands elsewhere in the machine (metrics, double-click time).
const unsigned kSetOnly[] = {spi::SetDoubleClkWidth, spi::SetDoubleClkHeight,
                             spi::SetDoubleClickTime, spi::SetMouseButtonSwap};

bool Supports(const State& s, const ActionPair& a) {
  return s.setup.kind >= okWin95 && s.setup.kind <= okWinNT &&
         (a.kinds & (1u << s.setup.kind)) != 0;
}

// The pair an action belongs to on this machine; null when the machine's
// kind does not have it.
const ActionPair* FindAction(const State& s, unsigned action, bool* isGet = nullptr) {
  if (action == 0) return nullptr;
  for (const ActionPair& a : kActions) {
    if (a.get == action || a.set == action) {
      if (!Supports(s, a)) return nullptr;
      if (isGet) *isGet = a.get == action;
      return &a;
    }
  }
  return nullptr;
}

bool IsSetOnly(unsigned action) {
  return std::find(std::begin(kSetOnly), std::end(kSetOnly), action) != std::end(kSetOnly);
}

// The answer to an action the system does not know.
bool UnknownAction(const State& s) {
  SetThreadLastError(s.setup.kind == okWinNT ? err::InvalidSpiValue : err::InvalidParameter);
  return false;
}

bool BadArgument() {
  SetThreadLastError(err::InvalidParameter);
  return false;
}

// ---------------------------------------------------------------------------
// Byte blocks

void Put32(std::vector<std::uint8_t>& b, std::size_t offset, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[offset + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint32_t Get32(const std::vector<std::uint8_t>& b, std::size_t offset) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | b[offset + i];
  return v;
}

std::vector<std::uint8_t> Words(std::initializer_list<std::uint32_t> words) {
  std::vector<std::uint8_t> b(words.size() * 4);
  std::size_t at = 0;
  for (std::uint32_t w : words) {
    Put32(b, at, w);
    at += 4;
  }
  return b;
}

// LOGFONTA of a standard dialog font of the given height and weight.
void AppendFont(std::vector<std::uint8_t>& b, const char* face, std::int32_t height,
                std::uint32_t weight) {
  std::size_t at = b.size();
  b.resize(at + spisize::LogFont, 0);
  Put32(b, at, static_cast<std::uint32_t>(height));
  Put32(b, at + 16, weight);
  b[at + 23] = 0x22;  // VARIABLE_PITCH | FF_SWISS; the bytes before stay 0 (ANSI_CHARSET, ...)
  std::memcpy(&b[at + 28], face, std::min<std::size_t>(std::strlen(face), 31));
}

constexpr std::size_t kIconFontOffset = 16;  // ICONMETRICS lfFont
constexpr std::size_t kBorderOffset = 4;     // NONCLIENTMETRICS iBorderWidth

// ---------------------------------------------------------------------------
// Registry values that the update flag also writes

RegNode& UserKey(State& s, std::string_view path) {
  return MakeKey(s, hkey::CurrentUser, path);
}

// Writes a string value; below HKEY_CURRENT_USER the key is made when
// missing, below other roots only existing keys are written.
void PutString(State& s, RegKey root, std::string_view path, std::string_view name,
               std::string_view text) {
  RegNode* node = root == hkey::CurrentUser ? &UserKey(s, path) : FindKey(s, root, path);
  if (node) mem::PutString(*node, name, text);
}

std::string UserString(State& s, std::string_view path, std::string_view name,
                       std::string_view fallback) {
  RegValue* v = UserKey(s, path).FindValue(name);
  if (!v || v->type != regtype::Sz) return std::string(fallback);
  std::string text(v->data.begin(), v->data.end());
  while (!text.empty() && text.back() == '\0') text.pop_back();
  return text;
}

void PutDesktop(State& s, std::string_view name, std::string_view text) {
  PutString(s, hkey::CurrentUser, "Control Panel\\Desktop", name, text);
}
void PutMouse(State& s, std::string_view name, std::int64_t value) {
  PutString(s, hkey::CurrentUser, "Control Panel\\Mouse", name, std::to_string(value));
}
void PutKeyboard(State& s, std::string_view name, std::int64_t value) {
  PutString(s, hkey::CurrentUser, "Control Panel\\Keyboard", name, std::to_string(value));
}

// Stores the value of one integer set action where Windows keeps it.
void StoreValue(State& s, unsigned set, std::int32_t value) {
  switch (set) {
    case spi::SetScreenSaveTimeout: PutDesktop(s, "ScreenSaveTimeOut", std::to_string(value)); break;
    case spi::SetScreenSaveActive: PutDesktop(s, "ScreenSaveActive", value ? "1" : "0"); break;
    case spi::SetKeyboardSpeed: PutKeyboard(s, "KeyboardSpeed", value); break;
    case spi::SetKeyboardDelay: PutKeyboard(s, "KeyboardDelay", value); break;
    case spi::SetDoubleClkWidth: PutMouse(s, "DoubleClickWidth", value); break;
    case spi::SetDoubleClkHeight: PutMouse(s, "DoubleClickHeight", value); break;
    case spi::SetDoubleClickTime: PutMouse(s, "DoubleClickSpeed", value); break;
    case spi::SetMouseButtonSwap: PutMouse(s, "SwapMouseButtons", value ? 1 : 0); break;
    default: break;
  }
}

void StoreMouseBlock(State& s, const std::vector<std::uint8_t>& b) {
  PutMouse(s, "MouseThreshold1", static_cast<std::int32_t>(Get32(b, 0)));
  PutMouse(s, "MouseThreshold2", static_cast<std::int32_t>(Get32(b, 4)));
  PutMouse(s, "MouseSpeed", static_cast<std::int32_t>(Get32(b, 8)));
}

void StoreDisplayMode(State& s, const DisplayMode& mode) {
  // Windows NT keeps the mode under the display driver's service key, which
  // this machine does not model.
  if (s.setup.kind == okWinNT) return;
  PutString(s, hkey::CurrentConfig, "Display\\Settings", "Resolution",
            std::to_string(mode.pelsWidth) + "," + std::to_string(mode.pelsHeight));
  PutString(s, hkey::CurrentConfig, "Display\\Settings", "BitsPerPixel",
            std::to_string(mode.bitsPerPel));
}

std::string UpperHex8(std::string_view name) {
  std::string out(name);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

bool IsLayoutName(std::string_view name) {
  return name.size() == 8 && std::all_of(name.begin(), name.end(), [](char c) {
           return std::isxdigit(static_cast<unsigned char>(c)) != 0;
         });
}

void NoteChange(State& s, unsigned winIni) {
  if (winIni & spif::SendWinIniChange) ++s.settingChangeNotices;
}

}  // namespace

// ---------------------------------------------------------------------------
// A fresh machine

void InitializeParameters(State& s) {
  const OSKind kind = s.setup.kind;
  const bool nt = kind == okWinNT;
  ParameterState& p = s.parameters;

  p.values = {{spi::GetBorder, 1},
              {spi::GetKeyboardSpeed, 31},
              {spi::GetScreenSaveTimeout, 900},
              {spi::GetScreenSaveActive, 1},
              {spi::GetKeyboardDelay, 1},
              {spi::GetMenuDropAlignment, 0},
              {spi::GetShowSounds, 0},
              {spi::GetKeyboardPref, 0}};
  if (kind == okWin98) {
    p.values[spi::GetLowPowerTimeout] = 3600;
    p.values[spi::GetPowerOffTimeout] = 3600;
    p.values[spi::GetLowPowerActive] = 0;
    p.values[spi::GetPowerOffActive] = 0;
    p.values[spi::GetScreenSaverRunning] = 0;
  }

  p.blocks[spi::GetMouse] = Words({6, 10, 1});
  {
    // Captions and menus: 18 pixels; Windows NT 4 draws small captions one
    // pixel narrower than Windows 95/98.
    std::vector<std::uint8_t> b = Words({spisize::NonClientMetrics, 1, 16, 16, 18, 18});
    AppendFont(b, "MS Sans Serif", -11, 700);
    std::vector<std::uint8_t> small = Words({nt ? 12u : 13u, 15});
    b.insert(b.end(), small.begin(), small.end());
    AppendFont(b, "MS Sans Serif", -11, 700);
    std::vector<std::uint8_t> menu = Words({18, 18});
    b.insert(b.end(), menu.begin(), menu.end());
    AppendFont(b, "MS Sans Serif", -11, 400);
    AppendFont(b, "MS Sans Serif", -11, 400);
    AppendFont(b, "MS Sans Serif", -11, 400);
    p.blocks[spi::GetNonClientMetrics] = std::move(b);
  }
  // Minimized windows arranged from the bottom left and hidden (ARW_HIDE),
  // as the shell keeps them.
  p.blocks[spi::GetMinimizedMetrics] = Words({spisize::MinimizedMetrics, 154, 0, 0, 8});
  {
    std::vector<std::uint8_t> b = Words({spisize::IconMetrics, 75, 75, 1});
    AppendFont(b, "MS Sans Serif", -11, 400);
    p.blocks[spi::GetIconMetrics] = std::move(b);
  }
  // The accessibility features: available with their hot keys, all off.
  p.blocks[spi::GetFilterKeys] = Words({spisize::FilterKeys, 0x7E, 1000, 1000, 500, 0});
  p.blocks[spi::GetToggleKeys] = Words({spisize::ToggleKeys, 0x3E});
  p.blocks[spi::GetMouseKeys] = Words({spisize::MouseKeys, 0x3E, 40, 300, 80, 0, 0});
  p.blocks[spi::GetStickyKeys] = Words({spisize::StickyKeys, 0x1FE});
  p.blocks[spi::GetAccessTimeout] = Words({spisize::AccessTimeout, 0x02, 300000});
  p.blocks[spi::GetSoundSentry] =
      Words({spisize::SoundSentry, 0x02, 2, 500, 0, 3, 500, 0, 1, 500, 0, 0});
  p.texts[spi::GetSoundSentry] = ParameterTexts{};
  p.blocks[spi::GetHighContrast] = Words({spisize::HighContrast, 0x7E, 0});
  p.texts[spi::GetHighContrast] = ParameterTexts{std::string("High Contrast Black"), {}};
  if (!nt) {
    p.blocks[spi::GetSerialKeys] = Words({spisize::SerialKeys, 0x02, 0, 0, 300, 0, 0});
    p.texts[spi::GetSerialKeys] = ParameterTexts{std::string("COM1"), {}};
  }
  p.blocks[spi::GetAnimation] = Words({spisize::AnimationInfo, 1});

  p.wallpaper = "";
  p.pattern = "(None)";

  // The "Windows Standard" scheme.
  const std::uint32_t standard[SysColorCount] = {
      0xC0C0C0, 0x808000, 0x800000, 0x808080, 0xC0C0C0, 0xFFFFFF, 0x000000,
      0x000000, 0x000000, 0xFFFFFF, 0xC0C0C0, 0xC0C0C0, 0x808080, 0x800000,
      0xFFFFFF, 0xC0C0C0, 0x808080, 0x808080, 0x000000, 0xC0C0C0, 0xFFFFFF,
      0x000000, 0xC0C0C0, 0x000000, 0xE1FFFF};
  for (int i = 0; i < SysColorCount; ++i) p.colors[i] = standard[i];
  if (kind == okWin98) {
    p.colors[26] = 0x800000;  // COLOR_HOTLIGHT
    p.colors[27] = 0xD08410;  // COLOR_GRADIENTACTIVECAPTION
    p.colors[28] = 0xB5B5B5;  // COLOR_GRADIENTINACTIVECAPTION
  }

  // Windows 95/98 drivers report the hardware's default refresh rate as 0;
  // Windows NT lists each rate.
  const std::uint32_t all = dm::BitsPerPel | dm::PelsWidth | dm::PelsHeight | dm::DisplayFrequency;
  const std::vector<std::uint32_t> depths =
      nt ? std::vector<std::uint32_t>{8, 16, 32} : std::vector<std::uint32_t>{8, 16, 24};
  const std::vector<std::uint32_t> rates =
      nt ? std::vector<std::uint32_t>{60, 75} : std::vector<std::uint32_t>{0};
  const std::uint32_t sizes[][2] = {{640, 480}, {800, 600}, {1024, 768}, {1280, 1024}};
  for (std::uint32_t bits : depths)
    for (const auto& size : sizes)
      for (std::uint32_t rate : rates) p.modes.push_back(DisplayMode{all, bits, size[0], size[1], rate});
  p.display = DisplayMode{all, static_cast<std::uint32_t>(s.setup.bitsPerPixel),
                          static_cast<std::uint32_t>(s.setup.screenWidth),
                          static_cast<std::uint32_t>(s.setup.screenHeight), rates.front()};
  if (std::find(p.modes.begin(), p.modes.end(), p.display) == p.modes.end())
    p.modes.push_back(p.display);

  p.keyboardLayout = "00000409";
  p.layouts = {"00000409", "00010409", "00000809", "00000407", "0000040C",
               "0000040A", "00000410", "00000413", "00000416"};
  p.doubleClickTime = 500;
  p.caretBlinkTime = 530;
  p.cursor = Point{s.setup.screenWidth / 2, s.setup.screenHeight / 2};

  // The registry values that go with them (the desktop and mouse values
  // are part of the default registry already).
  PutKeyboard(s, "KeyboardSpeed", 31);
  PutKeyboard(s, "KeyboardDelay", 1);
  PutMouse(s, "MouseThreshold1", 6);
  PutMouse(s, "MouseThreshold2", 10);
  PutMouse(s, "MouseSpeed", 1);
  PutMouse(s, "DoubleClickWidth", 4);
  PutMouse(s, "DoubleClickHeight", 4);
  InitializeAppearance(s);
}

// ---------------------------------------------------------------------------
// SystemParametersInfo

bool MemorySystemParameters::Parameter(unsigned action, std::uint32_t uiParam,
                                       std::int32_t* value, unsigned winIni) {
  std::lock_guard g(s_.lock);
  ParameterState& p = s_.parameters;
  const std::int32_t given = static_cast<std::int32_t>(uiParam);
  if (FailsOnRequest(s_, action)) return false;
  if (IsSetOnly(action)) {
    switch (action) {
      case spi::SetDoubleClkWidth: s_.metrics[sm::CxDoubleClk] = given; break;
      case spi::SetDoubleClkHeight: s_.metrics[sm::CyDoubleClk] = given; break;
      case spi::SetDoubleClickTime: p.doubleClickTime = uiParam ? uiParam : 500; break;
      case spi::SetMouseButtonSwap: s_.metrics[sm::SwapButton] = uiParam ? 1 : 0; break;
    }
    if (winIni & spif::UpdateIniFile)
      StoreValue(s_, action,
                 action == spi::SetDoubleClickTime ? static_cast<std::int32_t>(p.doubleClickTime)
                                                   : given);
    NoteChange(s_, winIni);
    return true;
  }
  bool isGet = false;
  const ActionPair* a = FindAction(s_, action, &isGet);
  if (!a) return UnknownAction(s_);
  if (a->size != 0) return BadArgument();  // a structure action needs its block
  if (isGet) {
    if (!value) return BadArgument();
    *value = p.values[a->get];
    return true;
  }
  const std::int32_t stored = a->boolean ? (uiParam != 0 ? 1 : 0) : given;
  p.values[a->get] = stored;
  if (a->set == spi::SetBorder) Put32(p.blocks[spi::GetNonClientMetrics], kBorderOffset, uiParam);
  if (a->set == spi::SetBorder && (winIni & spif::UpdateIniFile))
    StoreWindowMetrics(s_, spi::SetNonClientMetrics, p.blocks[spi::GetNonClientMetrics]);
  if (winIni & spif::UpdateIniFile) StoreValue(s_, a->set, stored);
  NoteChange(s_, winIni);
  return true;
}

bool MemorySystemParameters::ParameterBlock(unsigned action, std::uint32_t uiParam,
                                            std::vector<std::uint8_t>& block, unsigned winIni,
                                            ParameterTexts* texts) {
  (void)uiParam;
  std::lock_guard g(s_.lock);
  ParameterState& p = s_.parameters;
  if (FailsOnRequest(s_, action)) return false;
  if (IsSetOnly(action)) return BadArgument();
  bool isGet = false;
  const ActionPair* a = FindAction(s_, action, &isGet);
  if (!a) return UnknownAction(s_);
  if (a->size == 0 || block.size() != a->size) return BadArgument();
  if (a->sized && Get32(block, 0) != a->size) return BadArgument();
  const bool font = a->get == spi::GetIconTitleLogFont;
  std::vector<std::uint8_t>& icon = p.blocks[spi::GetIconMetrics];

  if (isGet) {
    if (font)
      block.assign(icon.begin() + kIconFontOffset,
                   icon.begin() + kIconFontOffset + spisize::LogFont);
    else
      block = p.blocks[a->get];
    if (texts && a->pointer1) *texts = p.texts[a->get];
    return true;
  }

  std::vector<std::uint8_t> stored = block;
  if (a->pointer1) Put32(stored, a->pointer1, 0);
  if (a->pointer2) Put32(stored, a->pointer2, 0);
  AdjustSetBlock(a->set, stored);
  if (font) {
    std::copy(stored.begin(), stored.end(), icon.begin() + kIconFontOffset);
  } else {
    p.blocks[a->get] = stored;
    if (a->pointer1) p.texts[a->get] = texts ? *texts : ParameterTexts{};
  }
  // What the other calls show of the same settings.
  switch (a->set) {
    case spi::SetNonClientMetrics:
      p.values[spi::GetBorder] = static_cast<std::int32_t>(Get32(stored, kBorderOffset));
      break;
    case spi::SetIconMetrics:
      s_.metrics[sm::CxIconSpacing] = static_cast<std::int32_t>(Get32(stored, 4));
      s_.metrics[sm::CyIconSpacing] = static_cast<std::int32_t>(Get32(stored, 8));
      break;
    case spi::SetMouse:
      if (winIni & spif::UpdateIniFile) StoreMouseBlock(s_, stored);
      break;
  }
  if (winIni & spif::UpdateIniFile) StoreWindowMetrics(s_, a->set, stored);
  NoteChange(s_, winIni);
  return true;
}

bool MemorySystemParameters::ParameterText(unsigned action, std::uint32_t uiParam,
                                           const std::string* text, unsigned winIni) {
  (void)uiParam;
  std::lock_guard g(s_.lock);
  ParameterState& p = s_.parameters;
  if (action == spi::SetDeskWallpaper) {
    // Windows loads the bitmap at once: a file that is not there fails.
    std::string name = text ? *text : std::string();
    if (EqualNoCase(name, "(None)")) name.clear();
    if (!name.empty()) {
      FsPath path;
      WinError e = ResolvePath(name, s_.currentFolder, false, path);
      const FsNode* node = nullptr;
      if (e == err::Success) {
        auto d = s_.drives.find(path.drive);
        if (d != s_.drives.end()) {
          node = &d->second.root;
          for (const std::string& part : path.parts) {
            auto c = node->children.find(FoldCase(part));
            node = c == node->children.end() ? nullptr : &c->second;
            if (!node) break;
          }
        }
      }
      if (!node || node->IsFolder()) {
        SetThreadLastError(err::FileNotFound);
        return false;
      }
    }
    p.wallpaper = name;
    if (winIni & spif::UpdateIniFile) PutDesktop(s_, "Wallpaper", name.empty() ? "(None)" : name);
    NoteChange(s_, winIni);
    return true;
  }
  if (action == spi::SetDeskPattern) {
    // Without a text Windows reads the pattern back from its settings.
    p.pattern = text ? *text : UserString(s_, "Control Panel\\Desktop", "Pattern", "(None)");
    if (text && (winIni & spif::UpdateIniFile)) PutDesktop(s_, "Pattern", *text);
    NoteChange(s_, winIni);
    return true;
  }
  if (IsSetOnly(action) || FindAction(s_, action)) return BadArgument();
  return UnknownAction(s_);
}

// ---------------------------------------------------------------------------
// Colours, display, keyboard, mouse

std::uint32_t MemorySystemParameters::SysColor(int index) {
  std::lock_guard g(s_.lock);
  auto it = s_.parameters.colors.find(index);
  return it == s_.parameters.colors.end() ? 0 : it->second;
}

WinError MemorySystemParameters::ChangeSysColors(const std::vector<int>& indices,
                                                 const std::vector<std::uint32_t>& colors) {
  std::lock_guard g(s_.lock);
  if (indices.size() != colors.size()) return Fail(err::InvalidParameter);
  // Indices the system does not know are passed over, as SetSysColors does.
  for (size_t i = 0; i < indices.size(); ++i) {
    auto it = s_.parameters.colors.find(indices[i]);
    if (it != s_.parameters.colors.end()) it->second = colors[i] & 0x00FFFFFFu;
  }
  return err::Success;
}

WinError MemorySystemParameters::CurrentDisplayMode(DisplayMode& mode) {
  std::lock_guard g(s_.lock);
  mode = s_.parameters.display;
  return err::Success;
}

std::vector<DisplayMode> MemorySystemParameters::DisplayModes() {
  std::lock_guard g(s_.lock);
  return s_.parameters.modes;
}

std::int32_t MemorySystemParameters::ChangeDisplayMode(const DisplayMode& mode,
                                                       std::uint32_t flags) {
  std::lock_guard g(s_.lock);
  ParameterState& p = s_.parameters;
  if (flags & ~(cds::UpdateRegistry | cds::Test)) return disp::BadFlags;
  if (p.displayAnswer) return *p.displayAnswer;
  DisplayMode wanted = p.display;
  if (mode.fields & dm::BitsPerPel) wanted.bitsPerPel = mode.bitsPerPel;
  if (mode.fields & dm::PelsWidth) wanted.pelsWidth = mode.pelsWidth;
  if (mode.fields & dm::PelsHeight) wanted.pelsHeight = mode.pelsHeight;
  const bool anyRate = !(mode.fields & dm::DisplayFrequency) || mode.displayFrequency <= 1;
  if (!anyRate) wanted.displayFrequency = mode.displayFrequency;
  // The listed mode that fits; the rate in use is kept when it is offered.
  const DisplayMode* found = nullptr;
  for (const DisplayMode& m : p.modes) {
    if (m.bitsPerPel != wanted.bitsPerPel || m.pelsWidth != wanted.pelsWidth ||
        m.pelsHeight != wanted.pelsHeight)
      continue;
    if (m.displayFrequency == wanted.displayFrequency) {
      found = &m;
      break;
    }
    if (anyRate && !found) found = &m;
  }
  if (!found) return disp::BadMode;
  const DisplayMode target = *found;
  // Windows 95 changes the colour depth only on a restart; some modes always take one.
  const bool restart = ModeNeedsRestart(s_, target);
  const std::int32_t result = restart ? disp::Restart : disp::Successful;
  if (flags & cds::Test) return result;
  if (flags & cds::UpdateRegistry) StoreDisplayMode(s_, target);
  if (restart) return result;
  p.display = target;
  s_.metrics[sm::CxScreen] = static_cast<int>(target.pelsWidth);
  s_.metrics[sm::CyScreen] = static_cast<int>(target.pelsHeight);
  s_.deviceCaps[caps::HorzRes] = static_cast<int>(target.pelsWidth);
  s_.deviceCaps[caps::VertRes] = static_cast<int>(target.pelsHeight);
  s_.deviceCaps[caps::BitsPixel] = static_cast<int>(target.bitsPerPel);
  p.cursor.x = std::min<std::int32_t>(p.cursor.x, static_cast<std::int32_t>(target.pelsWidth) - 1);
  p.cursor.y = std::min<std::int32_t>(p.cursor.y, static_cast<std::int32_t>(target.pelsHeight) - 1);
  return result;
}

WinError MemorySystemParameters::KeyboardLayoutName(std::string& name) {
  std::lock_guard g(s_.lock);
  name = s_.parameters.keyboardLayout;
  return err::Success;
}

WinError MemorySystemParameters::LoadKeyboardLayoutByName(std::string_view name,
                                                          std::uint32_t flags) {
  std::lock_guard g(s_.lock);
  if (!IsLayoutName(name)) return Fail(err::InvalidParameter);
  std::string upper = UpperHex8(name);
  // The layout's driver is not installed.
  if (!s_.parameters.layouts.count(upper)) return Fail(err::FileNotFound);
  if (flags & klf::Activate) s_.parameters.keyboardLayout = upper;
  return err::Success;
}

WinError MemorySystemParameters::LocaleText(std::uint32_t locale, std::uint32_t type,
                                            std::string& text) {
  static const struct {
    std::uint32_t locale;
    const char* language;
  } kLanguages[] = {
      {0x0409, "English (United States)"}, {0x0809, "English (United Kingdom)"},
      {0x0407, "German (Standard)"},       {0x040C, "French (Standard)"},
      {0x040A, "Spanish (Traditional Sort)"}, {0x0410, "Italian (Standard)"},
      {0x0413, "Dutch (Standard)"},        {0x0416, "Portuguese (Brazilian)"},
  };
  if (type != localeinfo::SLanguage) return Fail(err::InvalidParameter);
  // The default locales stand for the machine's own: US English.
  if (locale == 0x0400 || locale == 0x0800) locale = 0x0409;
  for (const auto& l : kLanguages) {
    if (l.locale == (locale & 0xFFFF)) {
      text = l.language;
      return err::Success;
    }
  }
  return Fail(err::InvalidParameter);
}

std::uint32_t MemorySystemParameters::DoubleClickTime() {
  std::lock_guard g(s_.lock);
  return s_.parameters.doubleClickTime;
}

WinError MemorySystemParameters::ChangeDoubleClickTime(std::uint32_t milliseconds) {
  std::lock_guard g(s_.lock);
  // 0 stands for the default of 500 milliseconds.
  s_.parameters.doubleClickTime = milliseconds ? milliseconds : 500;
  return err::Success;
}

std::uint32_t MemorySystemParameters::CaretBlinkTime() {
  std::lock_guard g(s_.lock);
  return s_.parameters.caretBlinkTime;
}

WinError MemorySystemParameters::ChangeCaretBlinkTime(std::uint32_t milliseconds) {
  std::lock_guard g(s_.lock);
  s_.parameters.caretBlinkTime = milliseconds;
  return err::Success;
}

WinError MemorySystemParameters::CursorPosition(Point& position) {
  std::lock_guard g(s_.lock);
  position = s_.parameters.cursor;
  return err::Success;
}

WinError MemorySystemParameters::MoveCursor(Point position) {
  std::lock_guard g(s_.lock);
  // The cursor stays on the screen.
  const DisplayMode& d = s_.parameters.display;
  position.x = std::clamp<std::int32_t>(position.x, 0, static_cast<std::int32_t>(d.pelsWidth) - 1);
  position.y = std::clamp<std::int32_t>(position.y, 0, static_cast<std::int32_t>(d.pelsHeight) - 1);
  s_.parameters.cursor = position;
  return err::Success;
}

void MemorySystemParameters::BroadcastSettingChange() {
  std::lock_guard g(s_.lock);
  ++s_.settingChangeBroadcasts;
}

// ---------------------------------------------------------------------------
// Comparison

namespace {

std::string Color(std::uint32_t c) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%06x", c);
  return buf;
}

std::string ModeText(const DisplayMode& m) {
  return std::to_string(m.pelsWidth) + "x" + std::to_string(m.pelsHeight) + "x" +
         std::to_string(m.bitsPerPel) + " at " + std::to_string(m.displayFrequency) + " Hz";
}

std::string Text(const std::optional<std::string>& t) {
  return t ? "\"" + *t + "\"" : std::string("null");
}

template <typename K, typename V, typename Show>
void CompareMaps(const std::string& label, const std::map<K, V>& a, const std::map<K, V>& b,
                 Show show, std::vector<std::string>& out) {
  std::map<K, std::pair<const V*, const V*>> all;
  for (const auto& [k, v] : a) all[k].first = &v;
  for (const auto& [k, v] : b) all[k].second = &v;
  for (const auto& [k, v] : all) {
    if (v.first && v.second && *v.first == *v.second) continue;
    out.push_back("system " + label + " " + std::to_string(k) + ": " +
                  (v.first ? show(*v.first) : std::string("missing")) + " -> " +
                  (v.second ? show(*v.second) : std::string("missing")));
  }
}

std::string BlockText(const std::vector<std::uint8_t>& b) {
  std::string out = "[" + std::to_string(b.size()) + " bytes";
  for (size_t i = 0; i < b.size() && i < 16; ++i) {
    char buf[4];
    std::snprintf(buf, sizeof buf, " %02x", b[i]);
    out += buf;
  }
  return out + (b.size() > 16 ? " ...]" : "]");
}

}  // namespace

void CompareParameters(const State& sa, const State& sb, std::vector<std::string>& out) {
  const ParameterState& a = sa.parameters;
  const ParameterState& b = sb.parameters;
  CompareMaps("parameter", a.values, b.values,
              [](std::int32_t v) { return std::to_string(v); }, out);
  // Blocks: the first differing byte tells where.
  std::map<unsigned, std::pair<const std::vector<std::uint8_t>*, const std::vector<std::uint8_t>*>>
      blocks;
  for (const auto& [k, v] : a.blocks) blocks[k].first = &v;
  for (const auto& [k, v] : b.blocks) blocks[k].second = &v;
  for (const auto& [action, pair] : blocks) {
    const auto* x = pair.first;
    const auto* y = pair.second;
    if (x && y && *x == *y) continue;
    std::string line = "system parameter " + std::to_string(action) + ": ";
    if (x && y && x->size() == y->size()) {
      size_t at = 0;
      while ((*x)[at] == (*y)[at]) ++at;
      char buf[64];
      std::snprintf(buf, sizeof buf, "byte %zu of %zu: 0x%02x -> 0x%02x", at, x->size(), (*x)[at],
                    (*y)[at]);
      line += buf;
    } else {
      line += (x ? BlockText(*x) : "missing") + " -> " + (y ? BlockText(*y) : "missing");
    }
    out.push_back(line);
  }
  std::map<unsigned, std::pair<ParameterTexts, ParameterTexts>> texts;
  for (const auto& [k, v] : a.texts) texts[k].first = v;
  for (const auto& [k, v] : b.texts) texts[k].second = v;
  for (const auto& [action, pair] : texts) {
    if (pair.first.first != pair.second.first)
      out.push_back("system parameter " + std::to_string(action) + " text 1: " +
                    Text(pair.first.first) + " -> " + Text(pair.second.first));
    if (pair.first.second != pair.second.second)
      out.push_back("system parameter " + std::to_string(action) + " text 2: " +
                    Text(pair.first.second) + " -> " + Text(pair.second.second));
  }
  if (a.wallpaper != b.wallpaper)
    out.push_back("system wallpaper \"" + a.wallpaper + "\" -> \"" + b.wallpaper + "\"");
  if (a.pattern != b.pattern)
    out.push_back("system pattern \"" + a.pattern + "\" -> \"" + b.pattern + "\"");
  CompareMaps("colour", a.colors, b.colors, Color, out);
  if (!(a.display == b.display))
    out.push_back("system display mode " + ModeText(a.display) + " -> " + ModeText(b.display));
  if (a.modes != b.modes) out.push_back("system display modes differ");
  if (a.keyboardLayout != b.keyboardLayout)
    out.push_back("system keyboard layout \"" + a.keyboardLayout + "\" -> \"" + b.keyboardLayout +
                  "\"");
  if (a.layouts != b.layouts) out.push_back("system installed keyboard layouts differ");
  if (a.doubleClickTime != b.doubleClickTime)
    out.push_back("system double-click time " + std::to_string(a.doubleClickTime) + " -> " +
                  std::to_string(b.doubleClickTime));
  if (a.caretBlinkTime != b.caretBlinkTime)
    out.push_back("system caret blink time " + std::to_string(a.caretBlinkTime) + " -> " +
                  std::to_string(b.caretBlinkTime));
  if (!(a.cursor == b.cursor))
    out.push_back("system cursor position (" + std::to_string(a.cursor.x) + ", " +
                  std::to_string(a.cursor.y) + ") -> (" + std::to_string(b.cursor.x) + ", " +
                  std::to_string(b.cursor.y) + ")");
}

}  // namespace qv::mem
