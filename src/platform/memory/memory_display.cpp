#include "platform/memory/memory_display.h"

#include <algorithm>
#include <string>

namespace qv::mem {

namespace {

using State = MemoryMachine::State;

constexpr const char* kWindowMetrics = "Control Panel\\Desktop\\WindowMetrics";

// The names of the system colours 0 to 24 under "Control Panel\Colors", and
// those Windows 98 adds (26 to 28).
const char* const kColorNames[] = {
    "Scrollbar",      "Background",     "ActiveTitle",    "InactiveTitle",     "Menu",
    "Window",         "WindowFrame",    "MenuText",       "WindowText",        "TitleText",
    "ActiveBorder",   "InactiveBorder", "AppWorkspace",   "Hilight",           "HilightText",
    "ButtonFace",     "ButtonShadow",   "GrayText",       "ButtonText",        "InactiveTitleText",
    "ButtonHilight",  "ButtonDkShadow", "ButtonLight",    "InfoText",          "InfoWindow"};
const struct {
  int index;
  const char* name;
} kLaterColors[] = {{26, "HotTrackingColor"},
                    {27, "GradientActiveTitle"},
                    {28, "GradientInactiveTitle"}};

std::uint32_t Get32(const std::vector<std::uint8_t>& b, std::size_t offset) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | b[offset + static_cast<std::size_t>(i)];
  return v;
}

void Append32(std::vector<std::uint8_t>& b, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

std::string Rgb(std::uint32_t c) {
  return std::to_string(c & 0xFF) + " " + std::to_string((c >> 8) & 0xFF) + " " +
         std::to_string((c >> 16) & 0xFF);
}

// A size as the kind keeps it: pixels, or twips on Windows NT.
std::string Size(const State& s, std::int32_t pixels) {
  const std::int64_t size = pixels;
  return std::to_string(s.setup.kind == okWinNT ? -15 * size : size);
}

void PutSize(State& s, RegNode& key, const char* name, const std::vector<std::uint8_t>& b,
             std::size_t offset) {
  PutString(key, name, Size(s, static_cast<std::int32_t>(Get32(b, offset))));
}

// A scheme as the display control panel stores it: a version word, the
// non-client metrics, the icon font and the colours.
std::vector<std::uint8_t> Scheme(const State& s, const std::map<int, std::uint32_t>& colors) {
  std::vector<std::uint8_t> b = {1, 0, 0, 0};
  const auto& ncm = s.parameters.blocks.at(spi::GetNonClientMetrics);
  b.insert(b.end(), ncm.begin(), ncm.end());
  const auto& icon = s.parameters.blocks.at(spi::GetIconMetrics);
  b.insert(b.end(), icon.begin() + 16, icon.end());
  for (int i = 0; i < SysColorCount; ++i) Append32(b, colors.at(i));
  return b;
}

}  // namespace

void InitializeAppearance(State& s) {
  const bool nt = s.setup.kind == okWinNT;
  const auto& colors = s.parameters.colors;
  RegNode& registryColors = MakeKey(s, hkey::CurrentUser, "Control Panel\\Colors");
  for (int i = 0; i < SysColorCount; ++i) PutString(registryColors, kColorNames[i], Rgb(colors.at(i)));
  for (const auto& later : kLaterColors) {
    auto it = colors.find(later.index);
    if (it != colors.end()) PutString(registryColors, later.name, Rgb(it->second));
  }

  RegNode& schemes = MakeKey(s, hkey::CurrentUser, "Control Panel\\Appearance\\Schemes");
  std::map<int, std::uint32_t> rainy = colors, contrast = colors;
  rainy[1] = 0x808080;
  rainy[2] = 0x808000;
  for (int i = 0; i < SysColorCount; ++i) contrast[i] = 0x000000;
  for (int i : {8, 9, 14, 18, 23}) contrast[i] = 0xFFFFFF;
  contrast[2] = 0x800080;
  PutValue(schemes, "Windows Standard", regtype::Binary, Scheme(s, colors));
  PutValue(schemes, "Rainy Day", regtype::Binary, Scheme(s, rainy));
  PutValue(schemes, "High Contrast Black", regtype::Binary, Scheme(s, contrast));
  RegNode& appearance = MakeKey(s, hkey::CurrentUser, "Control Panel\\Appearance");
  PutString(appearance, "Current", "Windows Standard");
  if (s.setup.kind == okWin98) PutString(appearance, "NewCurrent", "Windows Standard");

  for (unsigned action : {spi::SetNonClientMetrics, spi::SetMinimizedMetrics, spi::SetIconMetrics})
    StoreWindowMetrics(s, action, s.parameters.blocks.at(action - 1));
  if (nt) PutString(MakeKey(s, hkey::CurrentUser, kWindowMetrics), "Shell Icon Size", "32");
}

void StoreWindowMetrics(State& s, unsigned setAction, const std::vector<std::uint8_t>& block) {
  RegNode* key = nullptr;
  auto metrics = [&]() -> RegNode& {
    if (!key) key = &MakeKey(s, hkey::CurrentUser, kWindowMetrics);
    return *key;
  };
  switch (setAction) {
    case spi::SetNonClientMetrics:
      if (block.size() < spisize::NonClientMetrics) return;
      PutSize(s, metrics(), "BorderWidth", block, 4);
      PutSize(s, metrics(), "ScrollWidth", block, 8);
      PutSize(s, metrics(), "ScrollHeight", block, 12);
      PutSize(s, metrics(), "CaptionWidth", block, 16);
      PutSize(s, metrics(), "CaptionHeight", block, 20);
      PutSize(s, metrics(), "SmCaptionWidth", block, 84);
      PutSize(s, metrics(), "SmCaptionHeight", block, 88);
      PutSize(s, metrics(), "MenuWidth", block, 152);
      PutSize(s, metrics(), "MenuHeight", block, 156);
      break;
    case spi::SetMinimizedMetrics:
      if (block.size() < spisize::MinimizedMetrics) return;
      PutSize(s, metrics(), "MinWidth", block, 4);
      PutSize(s, metrics(), "MinHorzGap", block, 8);
      PutSize(s, metrics(), "MinVertGap", block, 12);
      PutString(metrics(), "MinArrange", std::to_string(Get32(block, 16)));
      break;
    case spi::SetIconMetrics:
      if (block.size() < spisize::IconMetrics) return;
      PutSize(s, metrics(), "IconSpacing", block, 4);
      PutSize(s, metrics(), "IconVerticalSpacing", block, 8);
      PutString(metrics(), "IconTitleWrap", std::to_string(Get32(block, 12)));
      break;
    default: break;
  }
}

bool ModeNeedsRestart(const State& s, const DisplayMode& target) {
  const ParameterState& p = s.parameters;
  if (s.setup.kind == okWin95 && target.bitsPerPel != p.display.bitsPerPel) return true;
  // The mode in use is shown as it is.
  if (target == p.display) return false;
  return std::find(p.restartModes.begin(), p.restartModes.end(), target) != p.restartModes.end();
}

void AdjustSetBlock(unsigned setAction, std::vector<std::uint8_t>& block) {
  if (setAction != spi::SetIconMetrics || block.size() < spisize::IconMetrics) return;
  for (std::size_t offset : {4u, 8u}) {
    const auto spacing = static_cast<std::int32_t>(Get32(block, offset));
    if (spacing >= 32) continue;
    for (int i = 0; i < 4; ++i) block[offset + static_cast<std::size_t>(i)] = i == 0 ? 32 : 0;
  }
}

bool FailsOnRequest(const State& s, unsigned action) {
  auto it = s.parameters.failingActions.find(action);
  if (it == s.parameters.failingActions.end()) return false;
  SetThreadLastError(it->second);
  return true;
}

}  // namespace qv::mem
