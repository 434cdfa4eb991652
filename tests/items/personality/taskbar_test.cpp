// The taskbar: its dialog's check boxes, its edge and size, scaled from the
// source's screen, and a dialog that does not appear.
#include "items/personality/taskbar_settings.h"

#include "stream/source_info.h"
#include "support/item_fixture.h"

namespace qv::test {
namespace {

// The source's record as the load run leaves it for the items.
void TakeSourceRecord(MemoryMachine& source) {
  TWriteMemoryConnection w;
  w.Initialize();
  {
    MachineScope on(source);
    SourceInfo().Write(w);
  }
  auto r = ReaderOf(w);
  SourceInfo().Read(*r);
}

MachineSetup Screen(OSKind kind, int width, int height) {
  MachineSetup s;
  s.kind = kind;
  s.screenWidth = width;
  s.screenHeight = height;
  return s;
}

class TaskbarTest : public ItemTest {};

TEST_F(TaskbarTest, SavesTheBoxesEdgeAndSizeAndDescribesThem) {
  struct Case {
    int edge;
    int thickness;
    bool autoHide;
    const char* edgeLine;
    int height, width;
  } cases[] = {
      {appbar::Bottom, 28, false, "The Taskbar is on the bottom of the screen", 28, 1024},
      {appbar::Top, 40, false, "The Taskbar is on the top of the screen", 40, 1024},
      {appbar::Left, 60, false, "The Taskbar is on the left screen edge", 768, 60},
      {appbar::Right, 90, false, "The Taskbar is on the right screen edge", 768, 90},
      // Auto-hidden bars are off the screen but for two pixels: revealed
      // for their size, and still found on their edge.
      {appbar::Bottom, 28, true, "The Taskbar is on the bottom of the screen", 28, 1024},
      {appbar::Left, 60, true, "The Taskbar is on the left screen edge", 768, 60},
      {appbar::Top, 40, true, "The Taskbar is on the top of the screen", 40, 1024},
      {appbar::Right, 90, true, "The Taskbar is on the right screen edge", 768, 90},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.edgeLine + std::string(c.autoHide ? " (auto hide)" : ""));
    MemoryMachine m(okWin98);
    TaskbarSetup bar;
    bar.edge = c.edge;
    bar.thickness = c.thickness;
    bar.autoHide = c.autoHide;
    m.SetTaskbar(bar);
    m.SetCursor(Point{300, 200});
    ItemResult saved = Save<TTaskBarSettings>(m);
    ASSERT_TRUE(saved.ok);
    std::vector<std::string> want{"Task bar settings : ", "&Always on top"};
    if (c.autoHide) want.push_back("A&uto hide");
    want.insert(want.end(), {"Show &Clock", "", c.edgeLine,
                             "The taskbar is " + std::to_string(c.height) + " pixels high and " +
                                 std::to_string(c.width) + " pixels wide."});
    EXPECT_EQ(saved.lines, want);
    EXPECT_EQ(m.Cursor(), (Point{300, 200}));
    EXPECT_TRUE(LogHas("Not found : Taskbar Properties"));
    EXPECT_TRUE(LogHas("Closing properties dialog...1"));
  }
}

TEST_F(TaskbarTest, ADialogThatNeverAppearsGivesTheLineAndAnEmptyList) {
  int round = 0;
  for (bool openAlready : {true, false}) {
    SCOPED_TRACE(openAlready ? "open already" : "no dialog");
    ++round;
    MemoryMachine m(okWinNT);
    TaskbarSetup bar;
    if (openAlready)
      bar.dialogOpen = true;
    else
      bar.hasDialog = false;
    m.SetTaskbar(bar);
    ItemResult saved = Save<TTaskBarSettings>(m);
    ASSERT_TRUE(saved.ok);
    EXPECT_EQ(saved.lines,
              (std::vector<std::string>{
                  "Could not retrieve Taskbar settings. Ensure the Taskbar Properties dialog is "
                  "not open.",
                  "", "The Taskbar is on the bottom of the screen",
                  "The taskbar is 28 pixels high and 1024 pixels wide."}));
    // The count 0, then edge, height and width.
    EXPECT_EQ(Written(), 16);
    const std::vector<std::string> lines = log();
    // Seven attempts each time (the log keeps the earlier rounds).
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Trying invokation again..."), 7 * round);
    EXPECT_EQ(lines.back(), "Failed");
  }
}

TEST_F(TaskbarTest, SizeScalesToTheTargetScreenAndTheBarMoves) {
  struct Case {
    int sourceEdge, sourceThickness;
    MachineSetup source, target;
    int targetEdge;
    int expectedThickness;
  } cases[] = {
      // 28 x 768 / 600 = 35.84: 35 pixels.
      {appbar::Bottom, 28, Screen(okWin95, 800, 600), Screen(okWinNT, 1024, 768), appbar::Bottom, 35},
      // Left edge: the width scales with the screens' widths (60 x 1024 / 640 = 96).
      {appbar::Left, 60, Screen(okWin98, 640, 480), Screen(okWin98, 1024, 768), appbar::Top, 96},
      // Shrinking: 50 x 600 / 768 = 39.06.
      {appbar::Top, 50, Screen(okWinNT, 1024, 768), Screen(okWin95, 800, 600), appbar::Right, 39},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expectedThickness);
    MemoryMachine source(c.source), target(c.target);
    TaskbarSetup from;
    from.edge = c.sourceEdge;
    from.thickness = c.sourceThickness;
    from.boxes[2].checked = true;  // small icons
    source.SetTaskbar(from);
    TaskbarSetup to;
    to.edge = c.targetEdge;
    target.SetTaskbar(to);
    target.SetCursor(Point{17, 33});
    ASSERT_TRUE(Save<TTaskBarSettings>(source).ok);
    TakeSourceRecord(source);
    ItemResult loaded = Load<TTaskBarSettings>(target);
    ASSERT_TRUE(loaded.ok);
    EXPECT_EQ(Consumed(), Written());
    const TaskbarSetup now = target.Taskbar();
    EXPECT_EQ(now.edge, c.sourceEdge);
    EXPECT_EQ(now.thickness, c.expectedThickness);
    EXPECT_TRUE(now.boxes[2].checked);
    EXPECT_EQ(target.Cursor(), (Point{17, 33}));
    EXPECT_TRUE(loaded.Has("Show &small icons in Start menu"));
  }
}

TEST_F(TaskbarTest, ALockedBarKeepsItsPlaceAndTheBoxesStillMove) {
  MemoryMachine source(okWinNT), target(okWinNT);
  TaskbarSetup from;
  from.edge = appbar::Left;
  from.thickness = 80;
  from.autoHide = true;
  from.alwaysOnTop = false;
  source.SetTaskbar(from);
  TaskbarSetup to;
  to.locked = true;
  target.SetTaskbar(to);
  ASSERT_TRUE(Save<TTaskBarSettings>(source).ok);
  TakeSourceRecord(source);
  ItemResult loaded = Load<TTaskBarSettings>(target);
  ASSERT_TRUE(loaded.ok);
  const TaskbarSetup now = target.Taskbar();
  EXPECT_EQ(now.edge, appbar::Bottom);  // the move failed: no resize either
  EXPECT_EQ(now.thickness, 28);
  EXPECT_TRUE(now.autoHide);
  EXPECT_FALSE(now.alwaysOnTop);
  // The description gives what the file asked for.
  EXPECT_TRUE(loaded.Has("The Taskbar is on the left screen edge"));
  EXPECT_TRUE(loaded.Has("A&uto hide"));
}

TEST_F(TaskbarTest, BoxesMatchByCaptionWithoutCaseAndUnknownOnesAreUnchecked) {
  MemoryMachine target(okWin98);
  TaskbarSetup to;
  to.boxes[3].checked = true;  // Show Clock, not in the file
  target.SetTaskbar(to);
  TWriteMemoryConnection& w = NewPayload(okWin98);
  w.WriteInteger(3);
  for (auto [caption, checked] : std::initializer_list<std::pair<const char*, int>>{
           {"&ALWAYS ON TOP", 0}, {"a&uto hide", 1}, {"Lock the taskbar", 1}}) {
    w.WriteString(caption);
    w.WriteInteger(checked);
  }
  w.WriteInteger(appbar::Bottom);
  w.WriteInteger(28);
  w.WriteInteger(0);  // no width: not sized
  ASSERT_TRUE(Load<TTaskBarSettings>(target).ok);
  const TaskbarSetup now = target.Taskbar();
  EXPECT_FALSE(now.alwaysOnTop);
  EXPECT_TRUE(now.autoHide);
  EXPECT_FALSE(now.boxes[3].checked);
  EXPECT_EQ(now.thickness, 28);
}

TEST_F(TaskbarTest, DamagedFilesAreRefusedBeforeAnythingChanges) {
  struct Case {
    std::int32_t count;
    bool throws;
  } cases[] = {{-3, false}, {0x10000000, true}};
  for (const Case& c : cases) {
    MemoryMachine target(okWinNT);
    const TaskbarSetup before = target.Taskbar();
    TWriteMemoryConnection& w = NewPayload(okWinNT);
    w.WriteInteger(c.count);
    w.WriteString("&Always on top");
    w.WriteInteger(1);
    if (c.throws) {
      EXPECT_THROW(Load<TTaskBarSettings>(target), EConnectionReadError);
    } else {
      EXPECT_FALSE(Load<TTaskBarSettings>(target).ok);
    }
    EXPECT_EQ(MemoryMachine::Differences(MemoryMachine(okWinNT), target), std::vector<std::string>{});
    EXPECT_EQ(target.Taskbar().thickness, before.thickness);
  }
}

TEST_F(TaskbarTest, HugeSizesAndASourceWithoutAScreenDoNotOverflow) {
  MemoryMachine target(okWinNT);
  // A source record whose screen is 0 x 0: the sizes are taken as they are.
  MemoryMachine blind(Screen(okWin95, 0, 0));
  TakeSourceRecord(blind);
  TWriteMemoryConnection& w = NewPayload(okWin95);
  w.WriteInteger(0);
  w.WriteInteger(appbar::Bottom);
  w.WriteInteger(0x7FFFFFFF);
  w.WriteInteger(0x7FFFFFFF);
  ItemResult loaded = Load<TTaskBarSettings>(target);
  ASSERT_TRUE(loaded.ok);
  // The shell keeps a bar within half the screen.
  EXPECT_EQ(target.Taskbar().thickness, 384);
  EXPECT_TRUE(loaded.Has("The taskbar is 2147483647 pixels high and 2147483647 pixels wide."));
}

}  // namespace
}  // namespace qv::test
