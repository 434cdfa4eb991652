// What the program relies on from SystemParametersInfo, the system colours,
// the display mode and the input settings. Under Wine these tests change the
// real prefix, so every change is put back before the test ends.
#include <cctype>

#include "platform/contract/fixture.h"
#include "platform/system_parameters.h"

namespace qv::test {
namespace {

std::uint32_t Get32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t(b[at + 3]) << 24);
}

std::vector<std::uint8_t> SizedBlock(std::uint32_t size) {
  std::vector<std::uint8_t> b(size, 0);
  b[0] = static_cast<std::uint8_t>(size);
  b[1] = static_cast<std::uint8_t>(size >> 8);
  return b;
}

// The face name of the LOGFONT at `at`.
std::string FaceAt(const std::vector<std::uint8_t>& b, std::size_t at) {
  std::string face;
  for (std::size_t i = at + 28; i < at + 60 && b[i]; ++i) face += static_cast<char>(b[i]);
  return face;
}

// A registry string under HKEY_CURRENT_USER; no value when it is missing.
std::optional<std::string> UserString(IRegistry& r, const char* path, const char* name) {
  RegKey k;
  if (r.OpenKey(hkey::CurrentUser, path, RegAccess::Read, k) != err::Success) return std::nullopt;
  char buf[256] = {};
  std::uint32_t size = sizeof buf - 1;
  std::uint32_t type = 0;
  WinError e = r.QueryValue(k, name, &type, reinterpret_cast<std::uint8_t*>(buf), &size);
  r.CloseKey(k);
  if (e != err::Success) return std::nullopt;
  return std::string(buf);
}

void PutUserString(IRegistry& r, const char* path, const char* name,
                   const std::optional<std::string>& value) {
  RegKey k;
  ASSERT_EQ(r.CreateKey(hkey::CurrentUser, path, k), err::Success);
  if (value)
    r.SetValue(k, name, regtype::Sz, reinterpret_cast<const std::uint8_t*>(value->c_str()),
               static_cast<std::uint32_t>(value->size() + 1));
  else
    r.DeleteValue(k, name);
  r.CloseKey(k);
}

class SystemParametersContract : public ContractTest {
 protected:
  void SetUp() override {
    ContractTest::SetUp();
    params_ = bench().machine().SystemParameters();
    ASSERT_NE(params_, nullptr);
  }
  ISystemParameters& params() { return *params_; }

 private:
  ISystemParameters* params_ = nullptr;
};

TEST_P(SystemParametersContract, IntegerValueRoundTripsAndIsRestored) {
  std::int32_t original = 0;
  ASSERT_TRUE(params().Parameter(spi::GetScreenSaveTimeout, 0, &original, 0));
  EXPECT_GE(original, 0);
  const std::int32_t changed = original + 60;

  // The set action takes its value from uiParam.
  ASSERT_TRUE(params().Parameter(spi::SetScreenSaveTimeout, changed, nullptr, 0));
  std::int32_t now = -1;
  EXPECT_TRUE(params().Parameter(spi::GetScreenSaveTimeout, 0, &now, 0));
  EXPECT_EQ(now, changed);

  // With the update flag the value is also stored as the registry string.
  const char* desktop = "Control Panel\\Desktop";
  const auto stored = UserString(reg(), desktop, "ScreenSaveTimeOut");
  ASSERT_TRUE(params().Parameter(spi::SetScreenSaveTimeout, changed + 1, nullptr,
                                 spif::UpdateIniFile));
  EXPECT_EQ(UserString(reg(), desktop, "ScreenSaveTimeOut"), std::to_string(changed + 1));

  ASSERT_TRUE(params().Parameter(spi::SetScreenSaveTimeout, original, nullptr, 0));
  PutUserString(reg(), desktop, "ScreenSaveTimeOut", stored);
  EXPECT_TRUE(params().Parameter(spi::GetScreenSaveTimeout, 0, &now, 0));
  EXPECT_EQ(now, original);
}

TEST_P(SystemParametersContract, UnknownActionFails) {
  std::int32_t value = 0;
  sys().SetLastError(0);
  EXPECT_FALSE(params().Parameter(0x7FFE, 0, &value, 0));
  // Windows NT names the reason; Windows 95/98 may not.
  if (IsNT()) {
    EXPECT_EQ(sys().LastError(), err::InvalidSpiValue);
  }
}

TEST_P(SystemParametersContract, MetricsStructuresComeBackWithTheirSize) {
  std::vector<std::uint8_t> icon = SizedBlock(spisize::IconMetrics);
  ASSERT_TRUE(params().ParameterBlock(spi::GetIconMetrics, spisize::IconMetrics, icon, 0));
  ASSERT_EQ(icon.size(), 76u);
  EXPECT_EQ(Get32(icon, 0), 76u);
  EXPECT_GT(static_cast<std::int32_t>(Get32(icon, 4)), 0);  // iHorzSpacing
  EXPECT_GT(static_cast<std::int32_t>(Get32(icon, 8)), 0);  // iVertSpacing
  EXPECT_FALSE(FaceAt(icon, 16).empty());

  std::vector<std::uint8_t> ncm = SizedBlock(spisize::NonClientMetrics);
  ASSERT_TRUE(
      params().ParameterBlock(spi::GetNonClientMetrics, spisize::NonClientMetrics, ncm, 0));
  ASSERT_EQ(ncm.size(), 340u);
  EXPECT_EQ(Get32(ncm, 0), 340u);
  EXPECT_GT(static_cast<std::int32_t>(Get32(ncm, 20)), 0);  // iCaptionHeight
  for (std::size_t font : {24u, 92u, 160u, 220u, 280u})
    EXPECT_FALSE(FaceAt(ncm, font).empty()) << "font at " << font;

  // The border width of the window metrics is the border parameter.
  std::int32_t border = 0;
  ASSERT_TRUE(params().Parameter(spi::GetBorder, 0, &border, 0));
  EXPECT_EQ(static_cast<std::int32_t>(Get32(ncm, 4)), border);

  std::vector<std::uint8_t> anim = SizedBlock(spisize::AnimationInfo);
  ASSERT_TRUE(params().ParameterBlock(spi::GetAnimation, spisize::AnimationInfo, anim, 0));
  EXPECT_EQ(Get32(anim, 0), spisize::AnimationInfo);

  // A size field that does not match is refused.
  std::vector<std::uint8_t> wrong = SizedBlock(spisize::IconMetrics);
  wrong[0] = 75;
  EXPECT_FALSE(params().ParameterBlock(spi::GetIconMetrics, spisize::IconMetrics, wrong, 0));
}

TEST_P(SystemParametersContract, StructureWithAPointerComesBackWithoutIt) {
  // HIGHCONTRAST holds a pointer, 8 bytes wide in a 64-bit process; the
  // block keeps the 32-bit layout and gives the pointer as 0.
  std::vector<std::uint8_t> hc = SizedBlock(spisize::HighContrast);
  hc[8] = 0xAA;
  ParameterTexts texts{std::string("junk"), std::string("junk")};
  ASSERT_TRUE(params().ParameterBlock(spi::GetHighContrast, spisize::HighContrast, hc, 0, &texts));
  EXPECT_EQ(hc.size(), spisize::HighContrast);
  EXPECT_EQ(Get32(hc, 0), spisize::HighContrast);
  EXPECT_EQ(Get32(hc, 8), 0u);
  EXPECT_NE(texts.first, std::optional<std::string>("junk"));
  EXPECT_FALSE(texts.second.has_value());
}

TEST_P(SystemParametersContract, SystemColoursChangeAndAreRestored) {
  const int info = 24, highlight = 13;  // COLOR_INFOBK, COLOR_HIGHLIGHT
  const std::uint32_t oldInfo = params().SysColor(info);
  const std::uint32_t oldHighlight = params().SysColor(highlight);
  EXPECT_EQ(oldInfo & 0xFF000000u, 0u);
  const std::uint32_t newInfo = oldInfo ^ 0x00102030u;
  const std::uint32_t newHighlight = oldHighlight ^ 0x00030201u;

  // Each index gets the colour at the same place in the other list.
  ASSERT_EQ(params().ChangeSysColors({info, highlight}, {newInfo, newHighlight}), err::Success);
  EXPECT_EQ(params().SysColor(info), newInfo);
  EXPECT_EQ(params().SysColor(highlight), newHighlight);

  ASSERT_EQ(params().ChangeSysColors({highlight, info}, {oldHighlight, oldInfo}), err::Success);
  EXPECT_EQ(params().SysColor(info), oldInfo);
  EXPECT_EQ(params().SysColor(highlight), oldHighlight);
}

TEST_P(SystemParametersContract, CurrentDisplayModeIsTheScreen) {
  DisplayMode mode;
  ASSERT_EQ(params().CurrentDisplayMode(mode), err::Success);
  EXPECT_EQ(mode.pelsWidth, static_cast<std::uint32_t>(sys().Metric(sm::CxScreen)));
  EXPECT_EQ(mode.pelsHeight, static_cast<std::uint32_t>(sys().Metric(sm::CyScreen)));
  EXPECT_EQ(mode.bitsPerPel, static_cast<std::uint32_t>(sys().DeviceCaps(caps::BitsPixel)));
  EXPECT_NE(mode.fields & dm::PelsWidth, 0u);
  EXPECT_NE(mode.fields & dm::BitsPerPel, 0u);

  // The mode in use is one of those offered.
  bool listed = false;
  for (const DisplayMode& m : params().DisplayModes())
    listed = listed || (m.pelsWidth == mode.pelsWidth && m.pelsHeight == mode.pelsHeight &&
                        m.bitsPerPel == mode.bitsPerPel);
  EXPECT_TRUE(listed);

  // Testing a mode changes nothing.
  DisplayMode same{dm::PelsWidth | dm::PelsHeight | dm::BitsPerPel, mode.bitsPerPel,
                   mode.pelsWidth, mode.pelsHeight, 0};
  EXPECT_EQ(params().ChangeDisplayMode(same, cds::Test), disp::Successful);
  DisplayMode odd = same;
  odd.pelsWidth = 12345;
  odd.pelsHeight = 77;
  EXPECT_EQ(params().ChangeDisplayMode(odd, cds::Test), disp::BadMode);
  DisplayMode after;
  ASSERT_EQ(params().CurrentDisplayMode(after), err::Success);
  EXPECT_EQ(after, mode);
}

TEST_P(SystemParametersContract, InputSettingsHaveSaneValues) {
  std::string layout;
  ASSERT_EQ(params().KeyboardLayoutName(layout), err::Success);
  ASSERT_EQ(layout.size(), 8u) << layout;
  for (char c : layout) EXPECT_TRUE(std::isxdigit(static_cast<unsigned char>(c))) << layout;

  std::string language;
  ASSERT_EQ(params().LocaleText(0x0409, localeinfo::SLanguage, language), err::Success);
  EXPECT_EQ(language, "English (United States)");

  EXPECT_GT(params().DoubleClickTime(), 0u);
  EXPECT_GT(params().CaretBlinkTime(), 0u);

  const std::uint32_t click = params().DoubleClickTime();
  ASSERT_EQ(params().ChangeDoubleClickTime(click + 100), err::Success);
  EXPECT_EQ(params().DoubleClickTime(), click + 100);
  ASSERT_EQ(params().ChangeDoubleClickTime(click), err::Success);
  EXPECT_EQ(params().DoubleClickTime(), click);

  const std::uint32_t blink = params().CaretBlinkTime();
  ASSERT_EQ(params().ChangeCaretBlinkTime(blink + 100), err::Success);
  EXPECT_EQ(params().CaretBlinkTime(), blink + 100);
  ASSERT_EQ(params().ChangeCaretBlinkTime(blink), err::Success);
  EXPECT_EQ(params().CaretBlinkTime(), blink);
}

TEST_P(SystemParametersContract, CursorMovesAndComesBack) {
  Point original;
  ASSERT_EQ(params().CursorPosition(original), err::Success);
  ASSERT_EQ(params().MoveCursor(Point{10, 20}), err::Success);
  Point now;
  ASSERT_EQ(params().CursorPosition(now), err::Success);
  EXPECT_EQ(now, (Point{10, 20}));
  ASSERT_EQ(params().MoveCursor(original), err::Success);
  ASSERT_EQ(params().CursorPosition(now), err::Success);
  EXPECT_EQ(now, original);
}

TEST_P(SystemParametersContract, DateTimeTextHasADateAndATime) {
  const std::string text = sys().DateTimeText();
  const auto space = text.find(' ');
  ASSERT_NE(space, std::string::npos) << text;
  EXPECT_GT(space, 0u) << text;
  EXPECT_NE(text.find(':', space), std::string::npos) << text;  // the time part
  EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(text[0]))) << text;
}

QV_CONTRACT_SUITE(SystemParametersContract);

}  // namespace
}  // namespace qv::test
