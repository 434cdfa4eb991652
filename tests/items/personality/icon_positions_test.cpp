// Desktop icon positions: scaling to the target screen, the clamp with the
// taskbar margins, the wait for icons of new desktop files, and Windows NT.
#include "items/personality/icon_positions.h"

#include "config/options.h"
#include "engine/messages.h"
#include "engine/program.h"
#include "items/personality/folder_settings.h"
#include "stream/source_info.h"
#include "support/item_fixture.h"

namespace qv::test {
namespace {

constexpr const char* kDesktop98 = "C:\\WINDOWS\\Desktop";

TEST(IconPlacementTest, ScalesThenClampsInsideTheScreenAndTheTaskbarMargins) {
  struct Case {
    const char* name;
    IconPlacement p;
    std::int32_t x, y, wantX, wantY;
  } cases[] = {
      {"800x600 to 1024x768", {1024, 768, 32, 32, 800, 600, 0, 0}, 500, 300, 640, 384},
      {"clamped right and bottom", {800, 600, 32, 32, 800, 600, 0, 0}, 780, 580, 768, 568},
      {"left taskbar of 60", {800, 600, 32, 32, 800, 600, 60, 0}, 780, 100, 708, 100},
      {"top taskbar of 28", {800, 600, 32, 32, 800, 600, 0, 28}, 10, 590, 10, 540},
      {"truncating division", {1024, 768, 32, 32, 800, 600, 0, 0}, 1, 1, 1, 1},
      {"negative becomes 0", {800, 600, 32, 32, 800, 600, 0, 0}, -40, -1, 0, 0},
      {"no source size: as saved", {800, 600, 32, 32, 0, 0, 0, 0}, 100, 200, 100, 200},
      {"far off, no wrap", {1024, 768, 32, 32, 800, 600, 0, 0}, 0x7FFFFFF0, 0x7FFFFFF0, 992, 736},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::int32_t x = c.x, y = c.y;
    PlaceIcon(c.p, x, y);
    EXPECT_EQ(x, c.wantX);
    EXPECT_EQ(y, c.wantY);
  }
}

TEST(TaskbarMarginTest, OnlyAVisibleBarInTheLeftOrUpperHalfGivesAMargin) {
  struct Case {
    const char* name;
    TaskbarSetup bar;
    std::int32_t left, top;
  } cases[] = {
      {"left 60", {true, appbar::Left, 60, false, true}, 60, 0},
      {"top 30", {true, appbar::Top, 30, false, true}, 0, 30},
      {"right", {true, appbar::Right, 60, false, true}, 0, 0},
      {"bottom", {true, appbar::Bottom, 28, false, true}, 0, 0},
      {"auto-hide left", {true, appbar::Left, 60, true, true}, 0, 0},
      {"auto-hide bottom", {true, appbar::Bottom, 28, true, true}, 0, 0},
      {"no taskbar", {false, appbar::Left, 60, false, true}, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryMachine m(okWin98);
    m.SetTaskbar(c.bar);
    MachineScope on(m);
    std::int32_t left = -1, top = -1;
    TaskbarMargins(left, top);
    EXPECT_EQ(left, c.left);
    EXPECT_EQ(top, c.top);
  }
}

class IconPositionTest : public ItemTest {
 protected:
  // The source-system record of a screen of this size, as a load reads it.
  void SourceScreen(int width, int height) {
    MachineSetup setup;
    setup.kind = okWin98;
    setup.screenWidth = width;
    setup.screenHeight = height;
    MemoryMachine m(setup);
    MachineScope on(m);
    TWriteMemoryConnection w;
    w.Initialize();
    SourceInfo().Write(w);
    auto r = ReaderOf(w);
    SourceInfo().Read(*r);
  }
  static Point At(MemoryMachine& m, const std::string& label) {
    for (const DesktopIcon& icon : m.DesktopIcons())
      if (icon.label == label) return icon.position;
    return Point{-1, -1};
  }
  // A payload of icon entries, as WriteIconPositions writes it.
  void Payload(OSKind kind, const std::vector<DesktopIcon>& icons) {
    TWriteMemoryConnection& w = NewPayload(kind);
    w.WriteInteger(static_cast<std::int32_t>(icons.size()));
    for (const DesktopIcon& icon : icons) {
      w.WriteString(icon.label);
      w.WriteInteger(icon.position.x);
      w.WriteInteger(icon.position.y);
    }
  }
  ItemResult Apply(MemoryMachine& m) {
    MachineScope on(m);
    auto reader = ReaderOf(written());
    ItemResult r;
    r.ok = ReadIconPositions(*reader);
    r.lines = *reader->GetComments();
    consumed = reader->GetPosition();
    return r;
  }
  std::int32_t consumed = 0;
};

TEST_F(IconPositionTest, SaveListsLabelledIconsOnWindows9xAndNothingOnNT) {
  for (OSKind kind : {okWin95, okWin98, okWinNT}) {
    SCOPED_TRACE(OSKindName(kind));
    MemoryMachine m(kind);
    m.SetDesktopIcons({{"My Computer", {16, 8}}, {"", {5, 5}}, {"Inbox", {16, 300}}});
    {
      MachineScope on(m);
      TWriteMemoryConnection& w = NewPayload(kind);
      ASSERT_TRUE(WriteIconPositions(w));
    }
    auto r = ReaderOf(written());
    const std::int32_t count = r->ReadInteger();
    if (kind == okWinNT) {
      EXPECT_EQ(count, 0);
      continue;
    }
    ASSERT_EQ(count, 2);
    EXPECT_EQ(r->ReadString(), "My Computer");
    EXPECT_EQ(r->ReadInteger(), 16);
    EXPECT_EQ(r->ReadInteger(), 8);
    EXPECT_EQ(r->ReadString(), "Inbox");
    EXPECT_EQ(r->ReadInteger(), 16);
    EXPECT_EQ(r->ReadInteger(), 300);
    EXPECT_EQ(r->Remaining(), 0);
  }
}

TEST_F(IconPositionTest, ABlockThatCannotBeMadeFailsTheSaveWithTheSystemsText) {
  for (bool quiet : {false, true}) {
    SCOPED_TRACE(quiet ? "quiet" : "interactive");
    MemoryMachine m(okWin98);
    m.SetDesktopBlockError(err::NotEnoughMemory);
    Options().QuietMode = quiet;
    MachineScope on(m);
    TWriteMemoryConnection& w = NewPayload(okWin98);
    EXPECT_FALSE(WriteIconPositions(w));
    EXPECT_EQ(w.Position(), 0);  // nothing written
    EXPECT_EQ(*w.GetComments(), std::vector<std::string>{"Error creating FileMapView"});
    const std::string text = SystemErrorText(err::NotEnoughMemory);
    ASSERT_FALSE(text.empty());
    std::vector<ShownPrompt> shown = m.ShownPrompts();
    if (quiet) {
      EXPECT_TRUE(shown.empty());
      EXPECT_TRUE(LogHas(text));
    } else {
      ASSERT_EQ(shown.size(), 1u);
      EXPECT_EQ(shown[0].text, text);
    }
  }
  Options().QuietMode = false;

  // On load the icons are passed over and the item still succeeds.
  SourceScreen(1024, 768);
  MemoryMachine m(okWin98);
  m.SetDesktopBlockError(err::NotEnoughMemory);
  const std::vector<DesktopIcon> before = m.DesktopIcons();
  Payload(okWin98, {{"My Computer", {500, 300}}});
  ASSERT_TRUE(Apply(m).ok);
  EXPECT_EQ(consumed, Written());
  EXPECT_EQ(m.DesktopIcons()[0].position, before[0].position);
}

TEST_F(IconPositionTest, SaveWithoutAShellWritesAnEmptyList) {
  MemoryMachine m(okWin98);
  m.SetDesktopShell(false);
  MachineScope on(m);
  TWriteMemoryConnection& w = NewPayload(okWin98);
  ASSERT_TRUE(WriteIconPositions(w));
  EXPECT_EQ(w.Position(), 4);
}

TEST_F(IconPositionTest, LoadScalesIconsFoundWithoutRegardToCase) {
  SourceScreen(800, 600);
  MemoryMachine m(okWin98);  // 1024x768, taskbar at the bottom
  m.SetDesktopIcons({{"My Computer", {16, 8}}, {"Network", {16, 80}}});
  Payload(okWin98, {{"my computer", {500, 300}}, {"Network", {780, 580}}});
  ASSERT_TRUE(Apply(m).ok);
  EXPECT_EQ(consumed, Written());
  EXPECT_EQ(At(m, "My Computer"), (Point{640, 384}));
  EXPECT_EQ(At(m, "Network"), (Point{992, 736}));
  EXPECT_EQ(m.DesktopWaits(), 0);
}

TEST_F(IconPositionTest, ALeftTaskbarMovesTheClamp) {
  SourceScreen(800, 600);
  MachineSetup setup;
  setup.kind = okWin95;
  setup.screenWidth = 800;
  setup.screenHeight = 600;
  MemoryMachine m(setup);
  m.SetTaskbar({true, appbar::Left, 60, false, true});
  m.SetDesktopIcons({{"Inbox", {0, 0}}});
  Payload(okWin95, {{"Inbox", {780, 580}}});
  ASSERT_TRUE(Apply(m).ok);
  EXPECT_EQ(At(m, "Inbox"), (Point{800 - 32 - 60, 568}));
}

TEST_F(IconPositionTest, WaitsOnlyForLabelsThatNameADesktopFile) {
  SourceScreen(1024, 768);
  struct Case {
    const char* name;
    bool fileThere;
    bool shellLists;
    int waits;
    bool placed;
  } cases[] = {
      {"no desktop file: no wait", false, true, 0, false},
      {"new file listed at the first wait", true, true, 1, true},
      {"file the shell never lists: ten waits", true, false, 10, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryMachine m(okWin98);
    m.SetShellListsNewFiles(c.shellLists);
    if (c.fileThere) PutFile(m, std::string(kDesktop98) + "\\Budget.xls", "sheet");
    Payload(okWin98, {{"Budget", {200, 100}}});
    ASSERT_TRUE(Apply(m).ok);
    EXPECT_EQ(consumed, Written());
    EXPECT_EQ(m.DesktopWaits(), c.waits);
    EXPECT_EQ(At(m, "Budget") == (Point{200, 100}), c.placed);
  }
}

TEST_F(IconPositionTest, LabelsThatArePathsOrPatternsAreNeverWaitedFor) {
  SourceScreen(1024, 768);
  MemoryMachine m(okWin98);
  m.SetShellListsNewFiles(false);
  PutFile(m, std::string(kDesktop98) + "\\Budget.xls", "sheet");
  PutFile(m, "C:\\WINDOWS\\win.txt", "x");
  Payload(okWin98, {{"*", {1, 1}}, {"B?dget", {1, 1}}, {"..\\win", {1, 1}}});
  ASSERT_TRUE(Apply(m).ok);
  EXPECT_EQ(m.DesktopWaits(), 0);
}

TEST_F(IconPositionTest, WindowsNTAndAMissingShellReadTheListAndApplyNothing) {
  SourceScreen(800, 600);
  for (bool nt : {true, false}) {
    MemoryMachine m(nt ? okWinNT : okWin98);
    m.SetDesktopShell(nt);
    const std::vector<DesktopIcon> before = m.DesktopIcons();
    Payload(okWin98, {{"My Computer", {500, 300}}});
    ASSERT_TRUE(Apply(m).ok);
    EXPECT_EQ(consumed, Written());
    EXPECT_EQ(m.DesktopIcons().size(), before.size());
    if (nt) {
      EXPECT_EQ(At(m, "My Computer"), before[0].position);
    }
  }
}

TEST_F(IconPositionTest, DesktopItemCarriesFilesThenPositionsAndPlacesNewIcons) {
  MemoryMachine source(okWin98), target(okWin98);
  PutFile(source, std::string(kDesktop98) + "\\Plan.txt", "plan");
  source.SetDesktopIcons({{"My Computer", {16, 8}}, {"Plan", {300, 200}}});
  SourceScreen(1024, 768);
  ASSERT_TRUE(Save<TDesktopIconSettings>(source).ok);
  ASSERT_TRUE(Load<TDesktopIconSettings>(target).ok);
  EXPECT_EQ(Consumed(), Written());
  EXPECT_EQ(FileText(target, std::string(kDesktop98) + "\\Plan.txt"), "plan");
  EXPECT_EQ(At(target, "Plan"), (Point{300, 200}));
  EXPECT_EQ(target.DesktopWaits(), 1);
}

}  // namespace
}  // namespace qv::test
