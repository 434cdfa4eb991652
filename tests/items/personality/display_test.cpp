// The display mode, icon metrics and window metrics moving between screens,
// scaled to the target's size and resolution.
#include "items/item_support.h"
#include "items/personality/display_settings.h"

#include <cmath>
#include <limits>

#include "engine/messages.h"
#include "platform/memory/memory_state.h"
#include "support/item_fixture.h"

namespace qv::test {
namespace {

constexpr const char* kWindowMetrics = "Control Panel\\Desktop\\WindowMetrics";

class DisplayItemTest : public ItemTest {
 protected:
  ~DisplayItemTest() override {
    HorizontalScaleFactor = 1.0;
    VerticalScaleFactor = 1.0;
  }
  static void Scale(double horizontal, double vertical) {
    HorizontalScaleFactor = horizontal;
    VerticalScaleFactor = vertical;
  }
  // 800x600 to 1024x768, both at 96 pixels per inch.
  static void ScaleBy128() { Scale(1024.0 / 800 * 96 / 96, 768.0 / 600 * 96 / 96); }

  static std::vector<std::uint8_t> Block(MemoryMachine& m, unsigned action, std::size_t size) {
    std::vector<std::uint8_t> b(size, 0);
    b[0] = static_cast<std::uint8_t>(size);
    b[1] = static_cast<std::uint8_t>(size >> 8);
    EXPECT_TRUE(m.SystemParameters()->ParameterBlock(action, 0, b, 0));
    return b;
  }
  static NonClientMetrics Ncm(MemoryMachine& m) {
    NonClientMetrics n;
    EXPECT_TRUE(NonClientMetrics::FromBytes(
        Block(m, spi::GetNonClientMetrics, NonClientMetrics::kSize), n));
    return n;
  }
  static MinimizedMetrics Minimized(MemoryMachine& m) {
    MinimizedMetrics n;
    EXPECT_TRUE(MinimizedMetrics::FromBytes(
        Block(m, spi::GetMinimizedMetrics, MinimizedMetrics::kSize), n));
    return n;
  }
  static IconMetrics Icons(MemoryMachine& m) {
    IconMetrics n;
    EXPECT_TRUE(IconMetrics::FromBytes(Block(m, spi::GetIconMetrics, IconMetrics::kSize), n));
    return n;
  }
  template <class S>
  static void Put(MemoryMachine& m, unsigned action, const S& value) {
    std::vector<std::uint8_t> b = value.ToBytes();
    ASSERT_TRUE(m.SystemParameters()->ParameterBlock(action, 0, b, spif::UpdateIniFile));
  }
  static void Fail(MemoryMachine& m, unsigned action) {
    m.state().parameters.failingActions[action] = 1439;
  }
};

// ---------------------------------------------------------------------------
// Scaling

TEST(DisplayScaling, TruncatesTowardZeroAndKeepsValuesItCannotScale) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const struct {
    std::int32_t value;
    double factor;
    std::int32_t expected;
  } cases[] = {
      {18, 1.28, 23},          {-11, 1.28, -14},       {75, 1.0, 75},
      {-11, 1.0, -11},         {3, 0.8, 2},            {-3, 0.8, -2},
      {0, 1.28, 0},            {2000000000, 1.28, 2000000000},
      {-2000000000, 1.28, -2000000000},                {100, 0.0, 100},
      {100, -1.28, 100},       {100, inf, 100},        {100, nan, 100},
      {1677721, 1.28, 2147482},
  };
  for (const auto& c : cases)
    EXPECT_EQ(items::Scaled(c.value, c.factor), c.expected) << c.value << " x " << c.factor;
}

// ---------------------------------------------------------------------------
// Display mode

TEST_F(DisplayItemTest, TheModeIsSavedAsThreeIntegersAndDescribed) {
  MachineSetup setup{okWin98};
  setup.screenWidth = 800;
  setup.screenHeight = 600;
  setup.bitsPerPixel = 24;
  MemoryMachine source(setup);
  ItemResult saved = Save<TScreenSettings>(source);
  EXPECT_TRUE(saved.ok);
  EXPECT_EQ(saved.lines, (std::vector<std::string>{"Screen width  : 800 pixels",
                                                   "Screen height : 600 pixels",
                                                   "Color depth   : 24 bits per pixel"}));
  EXPECT_EQ(Written(), 12);
  EXPECT_EQ(Describe<TScreenSettings>(source).lines, saved.lines);
}

struct ModeCase {
  const char* name;
  OSKind target;
  std::int32_t width, height, bits;
  std::optional<std::int32_t> answer;  // forced ChangeDisplaySettings answer
  bool restartOnly;                    // the mode is offered only after a restart
  std::vector<std::string> lines;
  bool changesNow;       // the target shows the mode at once
  bool storesRegistry;   // the Windows 95/98 display settings hold it
};

class DisplayModeTest : public DisplayItemTest, public ::testing::WithParamInterface<ModeCase> {};

TEST_P(DisplayModeTest, EveryAnswerOfTheSystemHasItsReport) {
  const ModeCase& c = GetParam();
  TWriteMemoryConnection& payload = NewPayload(okWinNT);
  payload.WriteInteger(c.width);
  payload.WriteInteger(c.height);
  payload.WriteInteger(c.bits);
  MemoryMachine target(c.target);
  DisplayMode wanted{dm::BitsPerPel | dm::PelsWidth | dm::PelsHeight | dm::DisplayFrequency,
                     static_cast<std::uint32_t>(c.bits), static_cast<std::uint32_t>(c.width),
                     static_cast<std::uint32_t>(c.height), c.target == okWinNT ? 60u : 0u};
  if (c.restartOnly) target.state().parameters.restartModes.push_back(wanted);
  target.state().parameters.displayAnswer = c.answer;
  target.System().SetLastError(err::InvalidParameter);
  MemoryMachine before(target);

  ItemResult loaded = Load<TScreenSettings>(target);
  EXPECT_TRUE(loaded.ok);
  std::vector<std::string> expected = c.lines;
  if (c.answer == disp::BadParam || (c.answer && *c.answer > 1)) {
    MachineScope on(target);
    expected.push_back(SystemErrorText(err::InvalidParameter));
    EXPECT_TRUE(LogHas(c.lines[0]));
    EXPECT_TRUE(LogHas(expected.back()));
  }
  EXPECT_EQ(loaded.lines, expected);
  EXPECT_EQ(Consumed(), 12);

  DisplayMode now;
  target.SystemParameters()->CurrentDisplayMode(now);
  EXPECT_EQ(now.pelsWidth == static_cast<std::uint32_t>(c.width) &&
                now.pelsHeight == static_cast<std::uint32_t>(c.height) &&
                now.bitsPerPel == static_cast<std::uint32_t>(c.bits),
            c.changesNow);
  EXPECT_EQ(target.System().DeviceCaps(caps::HorzRes), c.changesNow ? c.width : 1024);
  EXPECT_EQ(target.System().Metric(sm::CxScreen), c.changesNow ? c.width : 1024);
  const std::string resolution =
      Reg(target, hkey::CurrentConfig, "Display\\Settings", "Resolution");
  const std::string stored = std::to_string(c.width) + "," + std::to_string(c.height);
  EXPECT_EQ(resolution == stored, c.storesRegistry) << resolution;
  if (!c.changesNow && !c.storesRegistry) {
    EXPECT_EQ(MemoryMachine::Differences(before, target), std::vector<std::string>{});
  }
}

std::string Mode(const char* format, int w, int h, int b) {
  char buffer[256];
  std::snprintf(buffer, sizeof buffer, format, w, h, b);
  return buffer;
}

const char* const kChanged =
    "Display settings have been changed to %d X %d pixels, color depth %d bits per pixel.";
const char* const kSet =
    "Display settings have been set to %d X %d pixels, color depth %d bits per pixel.";
const char* const kRestart = "Display settings will not take effect until the system is restarted.";
const char* const kCouldNot =
    "Display settings could not be changed to the requested resolution of %d X %d pixels, color "
    "depth %d bits per pixel.";

INSTANTIATE_TEST_SUITE_P(
    Answers, DisplayModeTest,
    ::testing::Values(
        ModeCase{"ShownAtOnceOnNT", okWinNT, 800, 600, 16, {}, false,
                 {Mode(kChanged, 800, 600, 16)}, true, false},
        ModeCase{"ShownAtOnceAndStoredOn98", okWin98, 640, 480, 16, {}, false,
                 {Mode(kChanged, 640, 480, 16)}, true, true},
        ModeCase{"NotOfferedIsBadMode", okWinNT, 1600, 1200, 16, {}, false,
                 {Mode(kCouldNot, 1600, 1200, 16)}, false, false},
        ModeCase{"Windows95DepthTakesARestart", okWin95, 1024, 768, 24, {}, false,
                 {Mode(kSet, 1024, 768, 24), kRestart}, false, true},
        ModeCase{"RestartOnlyModeOnNT", okWinNT, 1280, 1024, 32, {}, true,
                 {Mode(kSet, 1280, 1024, 32), kRestart}, false, false},
        ModeCase{"Failed", okWinNT, 800, 600, 16, disp::Failed, false,
                 {Mode(kCouldNot, 800, 600, 16)}, false, false},
        ModeCase{"NotUpdated", okWin98, 800, 600, 16, disp::NotUpdated, false,
                 {Mode(kCouldNot, 800, 600, 16)}, false, false},
        ModeCase{"BadFlags", okWinNT, 800, 600, 16, disp::BadFlags, false,
                 {Mode(kCouldNot, 800, 600, 16)}, false, false},
        ModeCase{"BadParamGivesTheSystemsText", okWinNT, 800, 600, 16, disp::BadParam, false,
                 {Mode("An error occurred changing display settings to %d X %d pixels, color "
                       "depth %d bits per pixel.",
                       800, 600, 16)},
                 false, false},
        ModeCase{"UnknownAnswer", okWin95, 800, 600, 16, 7, false,
                 {Mode("An unknown error occurred changing display settings to %d X %d pixels, "
                       "color depth %d bits per pixel.",
                       800, 600, 16)},
                 false, false}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Icon metrics

TEST_F(DisplayItemTest, IconMetricsAreDescribedInPoints) {
  MemoryMachine m(okWin98);
  EXPECT_EQ(Describe<TIconMetricsSettings>(m).lines,
            (std::vector<std::string>{"Icon font is MS Sans Serif", "Icon font size is 11 points",
                                      "Icon horizontal spacing is 75",
                                      "Icon vertical spacing is 75"}));
  // A positive height is in pixels: points at the screen's resolution.
  IconMetrics icons = Icons(m);
  icons.font.height = 16;
  Put(m, spi::SetIconMetrics, icons);
  EXPECT_TRUE(Describe<TIconMetricsSettings>(m).Has("Icon font size is 12 points"));
  m.SetDeviceCaps(caps::LogPixelsY, 120);
  EXPECT_TRUE(Describe<TIconMetricsSettings>(m).Has("Icon font size is 9 points"));
  m.SetDeviceCaps(caps::LogPixelsY, 0);  // no resolution: taken as 96
  EXPECT_TRUE(Describe<TIconMetricsSettings>(m).Has("Icon font size is 12 points"));
}

TEST_F(DisplayItemTest, IconSpacingAndTitleFontAreScaledOnlyTheTitleCallCarriesTheScaledFont) {
  MemoryMachine source(okWin95), target(okWinNT);
  IconMetrics icons = Icons(source);
  icons.horzSpacing = 80;
  icons.vertSpacing = 70;
  icons.font.width = 5;
  icons.font.faceName = "Tahoma";
  Put(source, spi::SetIconMetrics, icons);
  ASSERT_TRUE(Save<TIconMetricsSettings>(source).ok);
  EXPECT_EQ(Written(), 76);

  ScaleBy128();
  ItemResult loaded = Load<TIconMetricsSettings>(target);
  EXPECT_TRUE(loaded.ok);
  EXPECT_TRUE(RestartRequired);
  IconMetrics now = Icons(target);
  EXPECT_EQ(now.horzSpacing, 102);
  EXPECT_EQ(now.vertSpacing, 89);
  EXPECT_EQ(now.font.height, -14);
  EXPECT_EQ(now.font.width, 6);
  EXPECT_EQ(now.font.faceName, "Tahoma");
  EXPECT_EQ(loaded.lines, (std::vector<std::string>{
                              "Icon font is Tahoma", "Icon font size is 14 points",
                              "Icon horizontal spacing is 102", "Icon vertical spacing is 89"}));
  EXPECT_EQ(Reg(target, hkey::CurrentUser, kWindowMetrics, "IconSpacing"), "-1530");

  // Without the title font call the icon metrics call shows what it carried:
  // the font as the source had it.
  MemoryMachine other(okWin98);
  Fail(other, spi::SetIconTitleLogFont);
  Load<TIconMetricsSettings>(other);
  EXPECT_EQ(Icons(other).font.height, -11);
  EXPECT_EQ(Icons(other).font.width, 5);
  EXPECT_EQ(Icons(other).horzSpacing, 102);
  EXPECT_TRUE(LogHas("SystemParameters Failed! id:34 Error:1439 " +
                     [&] { MachineScope on(other); return SystemErrorText(1439); }()));
}

TEST_F(DisplayItemTest, IconSpacingScaledBelow32PixelsIsRaisedTo32ByTheSystem) {
  MemoryMachine source(okWin98), target(okWinNT);
  ASSERT_TRUE(Save<TIconMetricsSettings>(source).ok);
  Scale(0.5, 0.4);  // 75 -> 37 and 30
  ItemResult loaded = Load<TIconMetricsSettings>(target);
  EXPECT_EQ(Icons(target).horzSpacing, 37);
  EXPECT_EQ(Icons(target).vertSpacing, 32);
  EXPECT_EQ(target.System().Metric(sm::CyIconSpacing), 32);
  // The report tells what was asked for.
  EXPECT_TRUE(loaded.Has("Icon vertical spacing is 30"));
}

TEST_F(DisplayItemTest, IconMetricsTheSourceCouldNotReadTravelWithSizeZero) {
  MemoryMachine source(okWinNT), target(okWin98);
  Fail(source, spi::GetIconMetrics);
  ItemResult saved = Save<TIconMetricsSettings>(source);
  EXPECT_TRUE(saved.ok);
  EXPECT_EQ(saved.lines, std::vector<std::string>{"Error retrieving IconMetrics"});
  EXPECT_EQ(Written(), 76);
  EXPECT_EQ(log().size(), 1u);

  MemoryMachine before(target);
  ScaleBy128();
  ItemResult loaded = Load<TIconMetricsSettings>(target);
  EXPECT_TRUE(loaded.ok);
  EXPECT_EQ(loaded.lines, std::vector<std::string>{});
  EXPECT_TRUE(RestartRequired);
  EXPECT_EQ(MemoryMachine::Differences(before, target), std::vector<std::string>{});
}

// ---------------------------------------------------------------------------
// Window metrics

TEST_F(DisplayItemTest, WindowMetricsAreDescribedLineByLine) {
  MemoryMachine m(okWinNT);
  ItemResult described = Describe<TWindowMetricsSettings>(m);
  EXPECT_EQ(described.lines,
            (std::vector<std::string>{"Minimized window metrics :",
                                      "Width of minimized windows : 154 pixels",
                                      "Horizontal spacing  : 0 pixels",
                                      "Vertical spacing  : 0 pixels",
                                      "",
                                      "Non-Client metrics :",
                                      "Width of sizing border : 1 pixels",
                                      "Width of a standard vertical scroll bar : 16 pixels",
                                      "Height of a standard horizontal scroll bar : 16 pixels",
                                      "Width of caption buttons : 18 pixels",
                                      "Height of caption buttons : 18 pixels",
                                      "Caption font : MS Sans Serif",
                                      "Caption font size : -11",
                                      "Width of small caption buttons : 12 pixels",
                                      "Height of small caption buttons : 15 pixels",
                                      "Width of menu-bar buttons : 18 pixels",
                                      "Height of menu-bar buttons : 18 pixels",
                                      "Menu font : MS Sans Serif",
                                      "Menu font size : -11",
                                      "Status font : MS Sans Serif",
                                      "Status font size : -11",
                                      "Message box font : MS Sans Serif",
                                      "Message box font size : -11",
                                      "",
                                      "Window animation is enabled",
                                      "Pop-up menus are left-aligned"}));
  SetParameter(m, spi::SetMenuDropAlignment, 1);
  AnimationInfo off;
  Put(m, spi::SetAnimation, off);
  described = Describe<TWindowMetricsSettings>(m);
  EXPECT_TRUE(described.Has("Window animation is disabled"));
  EXPECT_TRUE(described.Has("Pop-up menus are right-aligned"));
}

// A source whose metrics differ from every default.
void Customize(MemoryMachine& m) {
  NonClientMetrics n;
  n.borderWidth = 3;
  n.scrollWidth = 17;
  n.scrollHeight = 19;
  n.captionWidth = 21;
  n.captionHeight = 18;
  n.captionFont.height = -11;
  n.captionFont.width = 7;
  n.captionFont.faceName = "Arial";
  n.smCaptionWidth = 14;
  n.smCaptionHeight = 16;
  n.smCaptionFont.height = 12;
  n.menuWidth = 20;
  n.menuHeight = 22;
  n.menuFont.height = -13;
  n.statusFont.height = -9;
  n.messageFont.height = -15;
  n.messageFont.faceName = "Verdana";
  std::vector<std::uint8_t> b = n.ToBytes();
  ASSERT_TRUE(m.SystemParameters()->ParameterBlock(spi::SetNonClientMetrics, 0, b, 0));
  MinimizedMetrics mm;
  mm.width = 160;
  mm.horzGap = 4;
  mm.vertGap = 6;
  mm.arrange = 2;
  b = mm.ToBytes();
  ASSERT_TRUE(m.SystemParameters()->ParameterBlock(spi::SetMinimizedMetrics, 0, b, 0));
  AnimationInfo ai;
  ai.minAnimate = 0;
  b = ai.ToBytes();
  ASSERT_TRUE(m.SystemParameters()->ParameterBlock(spi::SetAnimation, 0, b, 0));
  ASSERT_TRUE(m.SystemParameters()->Parameter(spi::SetMenuDropAlignment, 1, nullptr, 0));
}

TEST_F(DisplayItemTest, OnAScreenLikeTheSourcesEveryMetricArrivesUnchanged) {
  for (OSKind kind : {okWin95, okWin98, okWinNT}) {
    MemoryMachine source(okWin98), target(kind);
    Customize(source);
    ASSERT_TRUE(Save<TWindowMetricsSettings>(source).ok);
    EXPECT_EQ(Written(), 20 + 340 + 8 + 4 + 4);
    ItemResult loaded = Load<TWindowMetricsSettings>(target);
    EXPECT_TRUE(loaded.ok);
    EXPECT_EQ(Consumed(), Written());
    EXPECT_EQ(Ncm(target), Ncm(source));
    EXPECT_EQ(Minimized(target), Minimized(source));
    EXPECT_EQ(Parameter(target, spi::GetMenuDropAlignment), 1);
    EXPECT_EQ(Parameter(target, spi::GetBorder), 3);
    EXPECT_EQ(loaded.lines, Describe<TWindowMetricsSettings>(source).lines);
    EXPECT_TRUE(SettingChangePending);
    EXPECT_EQ(Reg(target, hkey::CurrentUser, kWindowMetrics, "CaptionHeight"),
              kind == okWinNT ? "-270" : "18");
  }
}

TEST_F(DisplayItemTest, From800x600To1024x768EveryNamedMetricIsMultipliedBy128) {
  MemoryMachine source(okWinNT), target(okWin98);
  Customize(source);
  ASSERT_TRUE(Save<TWindowMetricsSettings>(source).ok);
  ScaleBy128();
  ItemResult loaded = Load<TWindowMetricsSettings>(target);
  EXPECT_TRUE(loaded.ok);

  NonClientMetrics n = Ncm(target);
  NonClientMetrics expected = Ncm(source);
  expected.borderWidth = 3;  // 3 x 1.28 = 3.84: the border goes its own way, below
  expected.scrollWidth = 21;
  expected.scrollHeight = 24;
  expected.captionWidth = 26;
  expected.captionHeight = 23;
  expected.captionFont.height = -14;
  expected.smCaptionWidth = 17;
  expected.smCaptionHeight = 20;
  expected.smCaptionFont.height = 15;
  expected.menuWidth = 25;
  expected.menuHeight = 28;
  expected.menuFont.height = -16;
  expected.statusFont.height = -11;
  expected.messageFont.height = -19;
  EXPECT_EQ(n, expected);
  EXPECT_EQ(n.captionFont.width, 7);  // font widths stay

  MinimizedMetrics mm = Minimized(target);
  EXPECT_EQ(mm.width, 204);
  EXPECT_EQ(mm.horzGap, 5);
  EXPECT_EQ(mm.vertGap, 7);
  EXPECT_EQ(mm.arrange, 2);
  EXPECT_EQ(Parameter(target, spi::GetBorder), 3);
  EXPECT_TRUE(loaded.Has("Height of caption buttons : 23 pixels"));
  EXPECT_TRUE(loaded.Has("Caption font size : -14"));
  EXPECT_TRUE(loaded.Has("Window animation is disabled"));
  EXPECT_TRUE(loaded.Has("Pop-up menus are right-aligned"));

  // The border multiplier itself is scaled by the vertical factor.
  Scale(1.0, 2.0);
  Load<TWindowMetricsSettings>(target);
  EXPECT_EQ(Parameter(target, spi::GetBorder), 6);
}

TEST_F(DisplayItemTest, ValuesTheSourceCouldNotReadLeaveTheTargetAlone) {
  MemoryMachine source(okWin95), target(okWinNT);
  for (unsigned action : {spi::GetMinimizedMetrics, spi::GetNonClientMetrics, spi::GetAnimation,
                          spi::GetBorder, spi::GetMenuDropAlignment})
    Fail(source, action);
  ItemResult saved = Save<TWindowMetricsSettings>(source);
  EXPECT_TRUE(saved.ok);
  EXPECT_EQ(log().size(), 5u);
  EXPECT_TRUE(saved.Has("Width of minimized windows : 0 pixels"));
  EXPECT_TRUE(saved.Has("Caption font : "));
  // 0xDEADBEEF counts as a non-zero alignment.
  EXPECT_TRUE(saved.Has("Pop-up menus are right-aligned"));

  MemoryMachine before(target);
  ScaleBy128();
  EXPECT_TRUE(Load<TWindowMetricsSettings>(target).ok);
  EXPECT_EQ(log().size(), 5u);  // nothing more failed
  EXPECT_EQ(MemoryMachine::Differences(before, target), std::vector<std::string>{});
}

TEST_F(DisplayItemTest, AFailedSetIsLoggedWithItsActionAndTheRestGoesOn) {
  MemoryMachine source(okWin98), target(okWin98);
  Customize(source);
  ASSERT_TRUE(Save<TWindowMetricsSettings>(source).ok);
  Fail(target, spi::SetNonClientMetrics);
  Fail(target, spi::SetMinimizedMetrics);
  ItemResult loaded = Load<TWindowMetricsSettings>(target);
  EXPECT_TRUE(loaded.ok);
  MachineScope on(target);
  const std::string reason = SystemErrorText(1439);
  EXPECT_TRUE(LogHas("SystemParameters Failed! id:42 Error:1439 " + reason));
  EXPECT_TRUE(LogHas("SystemParameters Failed! id:44 Error:1439 " + reason));
  EXPECT_EQ(Minimized(target).width, 154);
  EXPECT_EQ(Parameter(target, spi::GetMenuDropAlignment), 1);
  EXPECT_EQ(Parameter(target, spi::GetBorder), 3);
}

// ---------------------------------------------------------------------------
// Settings files from elsewhere

TEST_F(DisplayItemTest, StructuresWithAStrangeSizeFieldAreNotApplied) {
  for (std::uint32_t size : {344u, 1u, 0xFFFFFFFFu}) {
    SCOPED_TRACE(size);
    MemoryMachine target(okWinNT);
    MemoryMachine before(target);
    TWriteMemoryConnection& payload = NewPayload(okWin98);
    MinimizedMetrics mm;
    mm.cbSize = size;
    mm.width = 999;
    NonClientMetrics n;
    n.cbSize = size;
    n.captionHeight = 99;
    AnimationInfo ai;
    ai.cbSize = size;
    for (const auto& bytes : {mm.ToBytes(), n.ToBytes(), ai.ToBytes()})
      payload.WriteBuffer(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    payload.WriteInteger(static_cast<std::int32_t>(kUnreadParameter));
    payload.WriteInteger(static_cast<std::int32_t>(kUnreadParameter));
    EXPECT_TRUE(Load<TWindowMetricsSettings>(target).ok);
    EXPECT_TRUE(LogHas("NonClientMetrics not applied: size field " + std::to_string(size) +
                       " instead of 340"));
    EXPECT_EQ(MemoryMachine::Differences(before, target), std::vector<std::string>{});

    IconMetrics icons;
    icons.cbSize = size;
    icons.horzSpacing = 500;
    const auto bytes = icons.ToBytes();
    NewPayload(okWin98).WriteBuffer(bytes.data(), 76);
    EXPECT_EQ(Load<TIconMetricsSettings>(target).lines, std::vector<std::string>{});
    EXPECT_EQ(MemoryMachine::Differences(before, target), std::vector<std::string>{});
  }
}

TEST_F(DisplayItemTest, MetricsThatWouldOverflowOrBadFactorsKeepTheStoredValue) {
  MemoryMachine source(okWinNT), target(okWinNT);
  NonClientMetrics n = Ncm(source);
  n.captionHeight = 2000000000;
  n.menuHeight = 30;
  Put(source, spi::SetNonClientMetrics, n);
  ASSERT_TRUE(Save<TWindowMetricsSettings>(source).ok);
  ScaleBy128();
  Load<TWindowMetricsSettings>(target);
  EXPECT_EQ(Ncm(target).captionHeight, 2000000000);
  EXPECT_EQ(Ncm(target).menuHeight, 38);
  for (double factor : {0.0, -1.0, std::numeric_limits<double>::quiet_NaN()}) {
    Scale(factor, factor);
    Load<TWindowMetricsSettings>(target);
    EXPECT_EQ(Ncm(target).menuHeight, 30) << factor;
  }
}

TEST_F(DisplayItemTest, AShortPayloadRaisesTheStreamsReadError) {
  MemoryMachine target(okWin98);
  NewPayload(okWin98).WriteInteger(20);
  EXPECT_THROW(Load<TWindowMetricsSettings>(target), EConnectionReadError);
  NewPayload(okWin98).WriteInteger(800);
  EXPECT_THROW(Load<TScreenSettings>(target), EConnectionReadError);
}

}  // namespace
}  // namespace qv::test
