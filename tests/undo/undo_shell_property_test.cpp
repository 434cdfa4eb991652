// The undo property over the shell, Active Desktop and taskbar items: loading a
// settings file saved on any kind of machine and undoing the load leaves
// the target as it was.
//
// What undo cannot take back, by design, is kept out of the targets here:
// - folder streams: the load gives every stream of the target the source's
//   most common view, and undo gives every stream the target's most common
//   view of before, so streams that differed from each other come back
//   alike (targets here have streams that agree);
// - a single folder stream counts as showing its toolbar and status bar
//   whatever its bits say (half of one stream is none), so undo shows them;
// - Explorer values outside what the item reads: a view mode outside 1..4
//   in ExpView comes back as Large Icons, a sort order other than 1 as -1,
//   and a Windows 98 "Hidden" of 2 as 0 (all mean the same to Explorer);
// - a taskbar that does not follow drags (locked) or whose dialog is open
//   stays as the load left it or as it was, whatever the image says;
// - Active Desktop components that the load added stay (no item removes
//   components): the sources here bring only components the target has.
#include <random>

#include "config/cat_config.h"
#include "config/options.h"
#include "engine/status.h"
#include "registry/reg_utils.h"
#include "support/memory_fixture.h"
#include "support/property_rounds.h"
#include "support/undo_round.h"

namespace qv::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr const char* kExplorer = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";
const std::string kAdvanced = std::string(kExplorer) + "\\Advanced";

std::uint8_t Byte(std::mt19937& rng) { return static_cast<std::uint8_t>(rng()); }

void PutBinary(const std::string& key, const char* name, const Bytes& v) {
  UTLSetRegBinary(hkey::CurrentUser, key, name, v.data(), static_cast<std::uint32_t>(v.size()));
}

// Random bytes of a random length (or none), with the item's positions
// holding values it reads back as they were.
Bytes RandomBlock(std::mt19937& rng, std::size_t minimum, std::size_t maximum) {
  Bytes v(minimum + rng() % (maximum - minimum + 1));
  for (std::uint8_t& b : v) b = Byte(rng);
  return v;
}

void RandomizeExplorer(std::mt19937& rng, bool target) {
  const bool win98 = RunningKind(CurrentMachine().System()) == okWin98;
  if (Coin(rng)) PutBinary(std::string(kExplorer) + "\\CabinetState", "Settings", RandomBlock(rng, 3, 16));
  if (Coin(rng)) PutBinary(kExplorer, "ShellState", RandomBlock(rng, 2, 40));
  if (win98) {
    for (const char* name : {"Hidden", "HideFileExt"}) {
      const int pick = static_cast<int>(rng() % 3);
      if (pick == 2)
        UTLDeleteRegKey(hkey::CurrentUser, kAdvanced, name);
      else
        UTLSetRegDWORD(hkey::CurrentUser, kAdvanced, name, static_cast<std::uint32_t>(pick));
    }
  }
  if (Coin(rng)) {
    Bytes expView = RandomBlock(rng, 30, 80);
    if (expView.size() > 44) expView[44] = static_cast<std::uint8_t>(1 + rng() % 4);
    PutBinary(std::string(kExplorer) + "\\ExpView", "Settings", expView);
  }
  // Streams that agree on their view; each value may be short or missing.
  const std::uint8_t mode = static_cast<std::uint8_t>(1 + rng() % 4);
  std::uint8_t bars = Byte(rng);
  // One stream alone counts as showing its bars whatever it says (half of
  // one is none): a target whose streams might leave one with the bars
  // byte has them shown.
  const bool everyStreamFull = Coin(rng);
  if (target && !everyStreamFull) bars |= 0x06;
  const std::uint8_t column = static_cast<std::uint8_t>(rng() % 4);
  const bool ascending = Coin(rng);
  const std::string sortName = win98 ? "ViewView2" : "ViewView";
  for (int n = 0; n < 4; ++n) {
    const std::string key = std::string(kExplorer) + "\\Streams\\" + std::to_string(n);
    if ((target && everyStreamFull) || Coin(rng)) {
      Bytes cab = (target && everyStreamFull) ? RandomBlock(rng, 61, 90) : RandomBlock(rng, 20, 90);
      if (cab.size() > 44) cab[44] = mode;
      if (cab.size() > 60) cab[60] = bars;
      PutBinary(key, "CabView", cab);
    } else {
      UTLDeleteRegKey(hkey::CurrentUser, key, "CabView");
    }
    if (Coin(rng)) {
      Bytes sort = RandomBlock(rng, 10, 40);
      if (sort.size() > 16) sort[16] = column;
      for (int i = 0; i < 4 && sort.size() >= 24; ++i)
        sort[20 + i] = ascending ? (i == 0 ? 1 : 0) : 0xFF;
      PutBinary(key, sortName.c_str(), sort);
    } else {
      UTLDeleteRegKey(hkey::CurrentUser, key, sortName);
    }
  }
}

const std::u16string kSources[] = {u"http://weather.example/", u"http://tides.example/",
                                   u"C:\\WINDOWS\\Clock.htm"};

DesktopComponent RandomComponent(std::mt19937& rng, const std::u16string& source) {
  DesktopComponent c;
  c.type = static_cast<std::int32_t>(rng() % 5);
  c.checked = Coin(rng);
  c.noScroll = Coin(rng);
  c.friendlyName = source.substr(0, 12);
  c.source = source;
  c.position.left = static_cast<std::int32_t>(rng() % 800);
  c.position.width = 100 + rng() % 200;
  return c;
}

// The Active Desktop of a Windows 98 machine; the target has every
// component a source may bring.
void RandomizeActiveDesktop(std::mt19937& rng, MemoryMachine& m, bool target) {
  if (m.Kind() != okWin98) return;
  ActiveDesktopSetup s;
  s.installed = true;
  s.options.activeDesktop = Coin(rng);
  s.options.enableComponents = Coin(rng);
  s.wallpaper = Coin(rng) ? u"" : (Coin(rng) ? u"C:\\WINDOWS\\Sea.htm" : u"C:\\Caf\u00E9.bmp");
  s.wallpaperOptions.style = static_cast<std::uint32_t>(rng() % 3);
  s.pattern = Coin(rng) ? u"(None)" : u"170 85 170 85 170 85 170 85";
  for (const std::u16string& source : kSources)
    if (target || Coin(rng)) s.components.push_back(RandomComponent(rng, source));
  for (std::size_t i = 0; i < s.components.size(); ++i)
    s.components[i].id = static_cast<std::uint32_t>(i + 1);
  m.SetActiveDesktop(s);
}

// A taskbar anywhere, of any size its screen allows, with any boxes.
void RandomizeTaskbar(std::mt19937& rng, MemoryMachine& m) {
  TaskbarSetup bar;
  bar.edge = static_cast<int>(rng() % 4);
  bar.thickness = 20 + static_cast<int>(rng() % 100);
  bar.autoHide = Coin(rng);
  bar.alwaysOnTop = Coin(rng);
  for (TaskbarOption& box : bar.boxes) box.checked = Coin(rng);
  // The dialog shows the two states in its first two boxes.
  bar.boxes[0].checked = bar.alwaysOnTop;
  bar.boxes[1].checked = bar.autoHide;
  m.SetTaskbar(bar);
}

class UndoShellProperty : public ::testing::TestWithParam<OSKind> {};

TEST_P(UndoShellProperty, LoadThenUndoLeavesAnyMachineAsItWas) {
  const OSKind kind = GetParam();
  EachRound(kind, PropertyRounds(20), [&](auto& rng, auto& source, auto& target) {
    RandomizeActiveDesktop(rng, source, false);
    RandomizeActiveDesktop(rng, target, true);
    RandomizeTaskbar(rng, source);
    RandomizeTaskbar(rng, target);
    auto differences = LoadThenUndo(
        source, target,
        [&] {
          RandomizeExplorer(rng, false);
          for (const char* item : {"Shell", "Active Desktop", "Task bar"})
            CurrentConfig().PersonalityItems.SetSelected(item, Coin(rng));
        },
        [&] {
          RandomizeExplorer(rng, true);
          Options().CreateBackup = Coin(rng);
        });
    EXPECT_EQ(differences, std::vector<std::string>{});
  });
}

INSTANTIATE_TEST_SUITE_P(Kinds, UndoShellProperty, ::testing::Values(okWin95, okWin98, okWinNT),
                         [](const auto& info) { return std::to_string(info.param); });

}  // namespace
}  // namespace qv::test
