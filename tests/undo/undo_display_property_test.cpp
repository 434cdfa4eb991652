// The undo property over the display items: loading a settings file saved on
// any kind of machine with any screen, metrics, colours and schemes, and
// undoing the load, leaves the target as it was, also when the load changed
// the display mode (the restore puts the target's own sizes back unscaled).
//
// Targets keep their mouse cursor inside the smallest mode (640x480): a
// smaller screen moves the cursor onto itself, which no item takes back.
// Nor does a save capture a display mode stored for the next start that is
// not the one in use (Windows 95 changes colour depth only on a restart):
// undo puts back the mode in use, so targets start without such a change.
#include <random>

#include "config/cat_config.h"
#include "config/options.h"
#include "engine/program.h"
#include "engine/status.h"
#include "platform/memory/memory_state.h"
#include "platform/system_parameters.h"
#include "registry/reg_utils.h"
#include "stream/win_structs.h"
#include "support/memory_fixture.h"
#include "support/property_rounds.h"
#include "support/streams.h"
#include "support/undo_round.h"

namespace qv::test {
namespace {

const char* const kItems[] = {"Display", "Icon metrics", "Window metrics", "Colors"};

class UndoDisplayProperty : public ::testing::TestWithParam<OSKind> {
 protected:
  ~UndoDisplayProperty() override {
    HorizontalScaleFactor = 1.0;
    VerticalScaleFactor = 1.0;
  }
};

int Between(std::mt19937& rng, int low, int high) {
  return std::uniform_int_distribution<int>(low, high)(rng);
}

std::vector<std::uint8_t> Block(unsigned action, std::uint32_t size) {
  std::vector<std::uint8_t> b(size, 0);
  b[0] = static_cast<std::uint8_t>(size);
  b[1] = static_cast<std::uint8_t>(size >> 8);
  EXPECT_TRUE(CurrentMachine().SystemParameters()->ParameterBlock(action, 0, b, 0));
  return b;
}

void RandomFont(std::mt19937& rng, LogFont& font) {
  font.height = Coin(rng) ? -Between(rng, 8, 16) : Between(rng, 10, 22);
  font.width = Between(rng, 0, 3) == 0 ? Between(rng, 4, 9) : 0;
  font.weight = Coin(rng) ? 400 : 700;
  font.faceName = Pick(rng, {"MS Sans Serif", "Tahoma", "Arial", "Small Fonts"});
}

// Random metrics, colours, schemes and display mode on the current machine,
// set as the control panel sets them.
void Randomize(std::mt19937& rng, bool target) {
  ISystemParameters& spi = *CurrentMachine().SystemParameters();
  const unsigned update = spif::UpdateIniFile;

  if (Coin(rng)) {
    NonClientMetrics n;
    ASSERT_TRUE(NonClientMetrics::FromBytes(Block(spi::GetNonClientMetrics, 340), n));
    n.scrollWidth = Between(rng, 12, 24);
    n.scrollHeight = Between(rng, 12, 24);
    n.captionWidth = Between(rng, 14, 30);
    n.captionHeight = Between(rng, 14, 30);
    n.smCaptionHeight = Between(rng, 10, 20);
    n.menuWidth = Between(rng, 14, 30);
    n.menuHeight = Between(rng, 14, 30);
    for (LogFont* f : {&n.captionFont, &n.smCaptionFont, &n.menuFont, &n.statusFont, &n.messageFont})
      if (Coin(rng)) RandomFont(rng, *f);
    std::vector<std::uint8_t> b = n.ToBytes();
    spi.ParameterBlock(spi::SetNonClientMetrics, 0, b, update);
  }
  if (Coin(rng)) spi.Parameter(spi::SetBorder, static_cast<std::uint32_t>(Between(rng, 1, 5)), nullptr, update);
  if (Coin(rng)) {
    MinimizedMetrics m;
    m.width = Between(rng, 100, 200);
    m.horzGap = Between(rng, 0, 8);
    m.vertGap = Between(rng, 0, 8);
    m.arrange = Pick(rng, {"0", "2", "8"})[0] - '0';
    std::vector<std::uint8_t> b = m.ToBytes();
    spi.ParameterBlock(spi::SetMinimizedMetrics, 0, b, update);
  }
  if (Coin(rng)) {
    AnimationInfo a;
    a.minAnimate = Coin(rng);
    std::vector<std::uint8_t> b = a.ToBytes();
    spi.ParameterBlock(spi::SetAnimation, 0, b, update);
  }
  if (Coin(rng)) spi.Parameter(spi::SetMenuDropAlignment, Coin(rng), nullptr, update);
  if (Coin(rng)) {
    IconMetrics icons;
    ASSERT_TRUE(IconMetrics::FromBytes(Block(spi::GetIconMetrics, 76), icons));
    icons.horzSpacing = Between(rng, 43, 150);
    icons.vertSpacing = Between(rng, 43, 150);
    icons.titleWrap = Coin(rng);
    RandomFont(rng, icons.font);
    std::vector<std::uint8_t> b = icons.ToBytes();
    spi.ParameterBlock(spi::SetIconMetrics, 0, b, update);
  }

  // Colours: the running system's and the control panel's keys.
  std::vector<int> indices;
  std::vector<std::uint32_t> colors;
  for (int i = 0; i < SysColorCount; ++i) {
    if (!Coin(rng)) continue;
    indices.push_back(i);
    colors.push_back(static_cast<std::uint32_t>(rng()) & 0xFFFFFF);
  }
  spi.ChangeSysColors(indices, colors);
  if (Coin(rng))
    UTLSetRegString(hkey::CurrentUser, "Control Panel\\Colors", Pick(rng, {"Background", "Window", "Hilight"}),
                    Pick(rng, {"0 0 0", "255 255 0", "12 34 56"}));
  if (Coin(rng)) {
    const std::uint8_t scheme[] = {1, 0, 0, 0, static_cast<std::uint8_t>(rng())};
    UTLSetRegBinary(hkey::CurrentUser, "Control Panel\\Appearance\\Schemes",
                    Pick(rng, {"Harbour", "Rainy Day", target ? "Lilac" : "Spruce"}).c_str(), scheme,
                    sizeof scheme);
  }
  switch (Between(rng, 0, 2)) {
    case 0: UTLDeleteRegKey(hkey::CurrentUser, "Control Panel\\Appearance", "Current"); break;
    case 1:
      UTLSetRegString(hkey::CurrentUser, "Control Panel\\Appearance", "Current",
                      Pick(rng, {"Harbour", "Rainy Day", "Windows Standard"}));
      break;
    default: break;
  }

  // A mode of the display's list, now or for the next start.
  const std::vector<DisplayMode> modes = spi.DisplayModes();
  const DisplayMode mode = modes[static_cast<std::size_t>(rng() % modes.size())];
  // Only a mode that takes effect now: a change still waiting for a restart
  // is not part of what a save captures (see the note at the top).
  if (Coin(rng) && spi.ChangeDisplayMode(mode, cds::Test) == disp::Successful)
    spi.ChangeDisplayMode(mode, cds::UpdateRegistry);
  // A target's display may offer other modes only after a restart.
  DisplayMode now;
  spi.CurrentDisplayMode(now);
  const DisplayMode later = modes[static_cast<std::size_t>(rng() % modes.size())];
  if (target && Coin(rng) && !(later == now))
    static_cast<MemoryMachine&>(CurrentMachine()).state().parameters.restartModes.push_back(later);
}

MachineSetup RandomSetup(std::mt19937& rng, OSKind kind, bool target) {
  MachineSetup setup{kind};
  const int sizes[][2] = {{640, 480}, {800, 600}, {1024, 768}};
  const auto& size = sizes[Between(rng, target ? 1 : 0, 2)];
  setup.screenWidth = size[0];
  setup.screenHeight = size[1];
  setup.bitsPerPixel = Coin(rng) ? 16 : 8;
  setup.dpi = Coin(rng) ? 96 : 120;
  return setup;
}

TEST_P(UndoDisplayProperty, LoadThenUndoLeavesAnyMachineAsItWas) {
  const OSKind kind = GetParam();
  TRecordingStatus status;
  StatusScope statusScope(status);
  const unsigned rounds = PropertyRounds(25);
  for (unsigned seed = 1; seed <= rounds; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed * 7919u + static_cast<unsigned>(kind));
    MemoryMachine source(RandomSetup(rng, static_cast<OSKind>(rng() % 3), false));
    MemoryMachine target(RandomSetup(rng, kind, true));
    auto differences = LoadThenUndo(
        source, target,
        [&] {
          Randomize(rng, false);
          for (const char* item : kItems) CurrentConfig().PersonalityItems.SetSelected(item, Coin(rng));
        },
        [&] {
          Randomize(rng, true);
          Options().CreateBackup = Coin(rng);
        });
    EXPECT_EQ(differences, std::vector<std::string>{});
  }
}

// The restore runs with both factors at 1.0: the load below made the screen
// 800x600, and factors taken from that screen would shrink the target's own
// caption of 18 pixels to 14.
TEST(UndoDisplay, UndoAfterTheScreenChangedPutsTheSizesBackUnscaled) {
  TRecordingStatus status;
  StatusScope statusScope(status);
  MachineSetup small{okWin98};
  small.screenWidth = 800;
  small.screenHeight = 600;
  MemoryMachine source(small), target(okWinNT);
  auto differences = LoadThenUndo(
      source, target,
      [&] {
        for (const char* item : {"Display", "Window metrics"})
          CurrentConfig().PersonalityItems.SetSelected(item, true);
      },
      [] {});
  EXPECT_EQ(differences, std::vector<std::string>{});
  NonClientMetrics n;
  MachineScope on(target);
  ASSERT_TRUE(NonClientMetrics::FromBytes(Block(spi::GetNonClientMetrics, 340), n));
  EXPECT_EQ(n.captionHeight, 18);
  HorizontalScaleFactor = VerticalScaleFactor = 1.0;
}

INSTANTIATE_TEST_SUITE_P(Kinds, UndoDisplayProperty, ::testing::Values(okWin95, okWin98, okWinNT),
                         [](const auto& info) { return std::to_string(info.param); });

}  // namespace
}  // namespace qv::test
