// The display items saved on each kind of Windows and loaded on each kind,
// through the save and load runs, from an 800x600 screen onto a 1024x768 one.
#include "config/cat_config.h"
#include "engine/run_report.h"
#include "engine/runs.h"
#include "stream/win_structs.h"
#include "support/item_fixture.h"
#include "support/kind_round.h"

namespace qv::test {
namespace {

constexpr const char* kAppearance = "Control Panel\\Appearance";
constexpr const char* kWindowMetrics = "Control Panel\\Desktop\\WindowMetrics";

class DisplayKindMatrix : public ::testing::TestWithParam<std::tuple<OSKind, OSKind>> {
 protected:
  ~DisplayKindMatrix() override {
    HorizontalScaleFactor = 1.0;
    VerticalScaleFactor = 1.0;
  }
};

std::vector<std::uint8_t> Block(MemoryMachine& m, unsigned action, std::uint32_t size) {
  std::vector<std::uint8_t> b = {static_cast<std::uint8_t>(size), static_cast<std::uint8_t>(size >> 8), 0, 0};
  b.resize(size, 0);
  EXPECT_TRUE(m.SystemParameters()->ParameterBlock(action, 0, b, 0));
  return b;
}

void Prepare(MemoryMachine& m) {
  MachineScope on(m);
  ISystemParameters& spi = *m.SystemParameters();
  NonClientMetrics n;
  ASSERT_TRUE(NonClientMetrics::FromBytes(Block(m, spi::GetNonClientMetrics, 340), n));
  n.captionHeight = 18;
  n.captionFont.height = -11;
  n.menuHeight = 25;
  std::vector<std::uint8_t> b = n.ToBytes();
  ASSERT_TRUE(spi.ParameterBlock(spi::SetNonClientMetrics, 0, b, spif::UpdateIniFile));
  IconMetrics icons;
  ASSERT_TRUE(IconMetrics::FromBytes(Block(m, spi::GetIconMetrics, 76), icons));
  icons.horzSpacing = 80;
  b = icons.ToBytes();
  ASSERT_TRUE(spi.ParameterBlock(spi::SetIconMetrics, 0, b, spif::UpdateIniFile));
  ASSERT_EQ(spi.ChangeSysColors({1, 2}, {0x0000FF, 0x00FF00}), err::Success);
  ASSERT_TRUE(UTLSetRegString(hkey::CurrentUser, "Control Panel\\Colors", "Background", "255 0 0"));
  ASSERT_TRUE(UTLSetRegString(hkey::CurrentUser, kAppearance, "Current", "Rainy Day"));
}

TEST_P(DisplayKindMatrix, DisplayItemsMoveAndScaleOnEveryKind) {
  auto [from, to] = GetParam();
  MachineSetup small{from};
  small.screenWidth = 800;
  small.screenHeight = 600;
  MemoryMachine source(small), target(to);
  Prepare(source);
  KindRound run;
  ASSERT_EQ(run.Save(source, {"Display", "Icon metrics", "Window metrics", "Colors"}), SETTINGS_OK);
  run.Enter(target);
  RestartRequired = false;
  SettingChangePending = false;
  ASSERT_EQ(run.Load(target), SETTINGS_OK);

  // The factors come from the screens as the run found them.
  EXPECT_DOUBLE_EQ(HorizontalScaleFactor, 1.28);
  EXPECT_DOUBLE_EQ(VerticalScaleFactor, 1.28);
  // 800x600 at 16 bits is offered everywhere.
  EXPECT_TRUE(run.reported(
      "Display settings have been changed to 800 X 600 pixels, color depth 16 bits per pixel."));
  DisplayMode mode;
  target.SystemParameters()->CurrentDisplayMode(mode);
  EXPECT_EQ(mode.pelsWidth, 800u);
  if (to != okWinNT) {
    EXPECT_EQ(UTLGetRegString(hkey::CurrentConfig, "Display\\Settings", "Resolution", ""), "800,600");
  }

  NonClientMetrics n;
  ASSERT_TRUE(NonClientMetrics::FromBytes(Block(target, spi::GetNonClientMetrics, 340), n));
  EXPECT_EQ(n.captionHeight, 23);
  EXPECT_EQ(n.captionFont.height, -14);
  EXPECT_EQ(n.menuHeight, 32);
  EXPECT_EQ(UTLGetRegString(hkey::CurrentUser, kWindowMetrics, "CaptionHeight", ""),
            to == okWinNT ? "-345" : "23");
  IconMetrics icons;
  ASSERT_TRUE(IconMetrics::FromBytes(Block(target, spi::GetIconMetrics, 76), icons));
  EXPECT_EQ(icons.horzSpacing, 102);
  EXPECT_EQ(target.System().Metric(sm::CxIconSpacing), 102);
  EXPECT_TRUE(run.reported("Height of caption buttons : 23 pixels"));
  EXPECT_TRUE(run.reported("Icon horizontal spacing is 102"));

  EXPECT_EQ(target.SystemParameters()->SysColor(1), 0x0000FFu);
  EXPECT_EQ(target.SystemParameters()->SysColor(2), 0x00FF00u);
  EXPECT_TRUE(run.reported("Desktop : 255 0 0"));
  EXPECT_EQ(UTLGetRegString(hkey::CurrentUser, "Control Panel\\Colors", "Background", ""), "255 0 0");
  EXPECT_EQ(UTLGetRegString(hkey::CurrentUser, kAppearance, "Current", ""), "Rainy Day");
  EXPECT_TRUE(RestartRequired);
  EXPECT_TRUE(SettingChangePending);
}

INSTANTIATE_TEST_SUITE_P(AllKinds, DisplayKindMatrix,
                         ::testing::Combine(::testing::Values(okWin95, okWin98, okWinNT),
                                            ::testing::Values(okWin95, okWin98, okWinNT)));

}  // namespace
}  // namespace qv::test
