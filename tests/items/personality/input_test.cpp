// Mouse (with the cursor files of its schemes) and keyboard moving between
// machines.
#include "engine/file_utils.h"
#include "items/personality/input_settings.h"
#include "stream/file_transfer.h"
#include "support/item_fixture.h"

namespace qv::test {
namespace {

constexpr const char* kCursors = "Control Panel\\Cursors";
constexpr const char* kSchemes = "Control Panel\\Cursors\\Schemes";
constexpr const char* kMouse = "Control Panel\\Mouse";
constexpr const char* kInternational = "Control Panel\\International";

std::vector<std::uint8_t> MouseBlock(MemoryMachine& m) {
  std::vector<std::uint8_t> b(spisize::MouseBlock, 0);
  EXPECT_TRUE(m.SystemParameters()->ParameterBlock(spi::GetMouse, 0, b, 0));
  return b;
}

std::vector<std::uint8_t> Words(std::initializer_list<std::uint32_t> words) {
  std::vector<std::uint8_t> b;
  for (std::uint32_t w : words)
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(w >> (8 * i)));
  return b;
}

class MouseTest : public ItemTest {
 protected:
  MemoryMachine source{okWin98};
  MemoryMachine target{okWinNT};

  // A mouse payload by hand: the four values, the block, an empty cursor
  // key record, then `files` as (name, contents of the record).
  void MousePayload(std::initializer_list<std::uint32_t> block,
                    const std::vector<std::pair<std::string, std::string>>& files = {}) {
    MemoryMachine maker(okWin98);
    MachineScope on(maker);
    TWriteMemoryConnection& w = NewPayload(okWin98);
    for (std::int32_t v : {4, 4, 0, 500}) w.WriteInteger(v);
    std::vector<std::uint8_t> b = Words(block);
    w.WriteBuffer(b.data(), static_cast<std::uint32_t>(b.size()));
    w.WriteInteger(static_cast<std::int32_t>(hkey::CurrentUser));
    w.WriteInteger(0);
    w.WriteInteger(static_cast<std::int32_t>(files.size()));
    TFileWriter writer(w);
    int n = 0;
    for (const auto& [name, contents] : files) {
      const std::string carrier = "C:\\carrier" + std::to_string(n++) + ".cur";
      PutFile(maker, carrier, contents);
      w.WriteString(name);
      ASSERT_TRUE(writer.WriteFile(carrier));
    }
  }
};

TEST_F(MouseTest, ValuesMoveAndTheCursorFilesOfEverySchemeTravelOnceInLowerCase) {
  {
    MachineScope on(source);
    SetParameter(source, spi::SetDoubleClkWidth, 8);
    SetParameter(source, spi::SetDoubleClkHeight, 10);
    SetParameter(source, spi::SetMouseButtonSwap, 1);
    SetParameter(source, spi::SetDoubleClickTime, 720);
    std::vector<std::uint8_t> block = Words({3, 7, 2});
    ASSERT_TRUE(source.SystemParameters()->ParameterBlock(spi::SetMouse, 0, block, 1));
    source.Files().MakeFolder("C:\\WINDOWS\\Cursors");
    PutFile(source, "C:\\WINDOWS\\Cursors\\B.cur", "cursor b");
    PutFile(source, "C:\\WINDOWS\\Cursors\\c.ani", "cursor c");
    // a.cur is missing, the middle part is empty, b.cur is named twice in
    // two spellings.
    UTLSetRegString(hkey::CurrentUser, kSchemes, "Harbour",
                    "C:\\WINDOWS\\Cursors\\a.cur,,C:\\WINDOWS\\Cursors\\B.cur");
    UTLSetRegString(hkey::CurrentUser, kSchemes, "Night",
                    "c:\\windows\\cursors\\b.cur,C:\\WINDOWS\\Cursors\\c.ani,");
    UTLSetRegString(hkey::CurrentUser, kCursors, "Arrow", "C:\\WINDOWS\\Cursors\\c.ani");
    UTLSetRegString(hkey::CurrentUser, kCursors, "", "Harbour");
  }
  ItemResult saved = Save<TMouseSettings>(source);
  ASSERT_TRUE(saved.ok);
  EXPECT_EQ(
      saved.lines,
      (std::vector<std::string>{
          "The double click region is 10 pixels high and 8 pixels wide.",
          "Mouse buttons are swapped (Left-handed usage) ", "The double click time is 720 ms.", "",
          "The following cursor schemes have been found on this system:", "", "Harbour", "Night"}));
  EXPECT_TRUE(LogHas("Mouse Threshold values : 3 7 2"));
  // The files, each once, in lower case and sorted.
  std::vector<std::string> sent;
  for (const std::string& line : log())
    if (line.rfind("c:\\windows\\cursors\\", 0) == 0) sent.push_back(line);
  EXPECT_EQ(sent, (std::vector<std::string>{"c:\\windows\\cursors\\b.cur",
                                            "c:\\windows\\cursors\\c.ani"}));

  ItemResult loaded = Load<TMouseSettings>(target);
  ASSERT_TRUE(loaded.ok);
  EXPECT_EQ(Consumed(), Written());
  EXPECT_TRUE(SettingChangePending);
  EXPECT_EQ(target.System().Metric(sm::CxDoubleClk), 8);
  EXPECT_EQ(target.System().Metric(sm::CyDoubleClk), 10);
  EXPECT_EQ(target.System().Metric(sm::SwapButton), 1);
  EXPECT_EQ(target.SystemParameters()->DoubleClickTime(), 720u);
  EXPECT_EQ(MouseBlock(target), Words({3, 7, 2}));
  EXPECT_EQ(Reg(target, hkey::CurrentUser, kMouse, "DoubleClickSpeed"), "720");
  EXPECT_EQ(Reg(target, hkey::CurrentUser, kMouse, "MouseThreshold2"), "7");
  EXPECT_EQ(FileText(target, "C:\\WINDOWS\\Cursors\\b.cur"), "cursor b");
  EXPECT_EQ(FileText(target, "C:\\WINDOWS\\Cursors\\c.ani"), "cursor c");
  EXPECT_EQ(FileText(target, "C:\\WINDOWS\\Cursors\\a.cur"), "<missing>");
  EXPECT_EQ(Reg(target, hkey::CurrentUser, kSchemes, "Night"),
            "c:\\windows\\cursors\\b.cur,C:\\WINDOWS\\Cursors\\c.ani,");
  EXPECT_EQ(loaded.lines, saved.lines);
}

TEST_F(MouseTest, ThresholdBlockMarkedUnreadLeavesTheMouseSpeedAlone) {
  const std::vector<std::uint8_t> before = MouseBlock(target);
  MousePayload({kUnreadParameter, 1, 1});
  ItemResult loaded = Load<TMouseSettings>(target);
  ASSERT_TRUE(loaded.ok);
  EXPECT_EQ(Consumed(), Written());
  EXPECT_EQ(MouseBlock(target), before);
  EXPECT_EQ(Reg(target, hkey::CurrentUser, kMouse, "MouseThreshold1"), "6");
  for (const std::string& line : log())
    EXPECT_EQ(line.find("SystemParameters Failed"), std::string::npos);

  MousePayload({0, 0, 0});  // a real block of zeros is applied
  ASSERT_TRUE(Load<TMouseSettings>(target).ok);
  EXPECT_EQ(MouseBlock(target), Words({0, 0, 0}));
}

TEST_F(MouseTest, CursorRecordsThatAreNoCursorFileOrLeaveTheirFolderArePassedOver) {
  const std::vector<std::pair<std::string, std::string>> files = {
      {"C:\\WINDOWS\\win.ini", "[windows]\r\nrun=evil.exe"},
      {"C:\\WINDOWS\\Cursors\\..\\system\\evil.cur", "x"},
      {"C:\\WINDOWS\\Cursors\\...\\evil.cur", "x"},
      {"\\\\server\\share\\evil.cur", "x"},
      {"evil.cur", "x"},
      {"C:evil.cur", "x"},
      {"C:\\WINDOWS\\Cursors\\ev|il.cur", "x"},
      {"C:\\WINDOWS\\Cursors\\arrow.cur.exe", "MZ"},
      {"C:\\WINDOWS\\Cursors\\Fine.ANI", "fine"},
  };
  MousePayload({6, 10, 1}, files);
  const std::string winIni = FileText(target, "C:\\WINDOWS\\win.ini");
  ItemResult loaded = Load<TMouseSettings>(target);
  ASSERT_TRUE(loaded.ok);
  EXPECT_EQ(Consumed(), Written());  // every refused record was read past
  EXPECT_EQ(FileText(target, "C:\\WINDOWS\\win.ini"), winIni);
  EXPECT_EQ(FileText(target, "C:\\WINDOWS\\system\\evil.cur"), "<missing>");
  EXPECT_EQ(FileText(target, "C:\\WINDOWS\\Cursors\\arrow.cur.exe"), "<missing>");
  EXPECT_EQ(FileText(target, "C:\\WINDOWS\\Cursors\\Fine.ANI"), "fine");
  int refused = 0;
  for (const std::string& line : loaded.lines)
    if (line.find("has not been copied: it is not a cursor file name.") != std::string::npos)
      ++refused;
  EXPECT_EQ(refused, 8);
}

TEST_F(MouseTest, CursorPathRules) {
  struct Case {
    const char* path;
    bool accepted;
  } cases[] = {
      {"C:\\WINDOWS\\Cursors\\arrow.cur", true},
      {"d:/cursors/Busy.Ani", true},
      {"C:\\a.cur", true},
      {"C:\\.cur", true},
      {"C:\\WINDOWS\\Cursors\\arrow.bmp", false},
      {"C:\\WINDOWS\\Cursors\\arrow.cur ", false},
      {"C:\\WINDOWS\\..\\arrow.cur", false},
      {"C:\\WINDOWS\\.\\arrow.cur", false},
      {"C:\\WINDOWS\\\\arrow.cur", false},
      {"C:\\WINDOWS\\. .\\arrow.cur", false},
      {"C:\\WINDOWS\\Cursors\\", false},
      {"\\\\?\\C:\\arrow.cur", false},
      {"C:\\arrow.cur:stream", false},
      {"C:\\arr\x01ow.cur", false},
      {"1:\\arrow.cur", false},
      {"", false},
  };
  for (const Case& c : cases) EXPECT_EQ(items::IsCursorFilePath(c.path), c.accepted) << c.path;
}

TEST_F(MouseTest, AnExistingCursorFileThatIsNewerOrTheSameStays) {
  const std::string path = "C:\\hand.cur";
  source.SetClock(1000000000ull);
  PutFile(source, path, "source hand");
  SetReg(source, hkey::CurrentUser, kCursors, "Hand", path);
  ASSERT_TRUE(Save<TMouseSettings>(source).ok);

  MemoryMachine newer(okWinNT), older(okWinNT), same(okWinNT);
  newer.SetClock(2000000000ull);
  PutFile(newer, path, "target hand");
  older.SetClock(100ull);
  PutFile(older, path, "older hand");
  // The same time stamp as the source's file, other bytes.
  same.SetClock(1000000000ull);
  PutFile(same, path, "same-time hand");
  ASSERT_TRUE(Load<TMouseSettings>(newer).ok);
  ASSERT_TRUE(Load<TMouseSettings>(older).ok);
  ASSERT_TRUE(Load<TMouseSettings>(same).ok);
  EXPECT_EQ(FileText(newer, path), "target hand");
  EXPECT_EQ(FileText(older, path), "source hand");
  EXPECT_EQ(FileText(same, path), "same-time hand");
}

TEST_F(MouseTest, ACursorFileThatCannotBeWrittenFailsTheSection) {
  MousePayload({6, 10, 1}, {{"Q:\\Cursors\\far.cur", "far"}});  // the target has no drive Q:
  ItemResult loaded = Load<TMouseSettings>(target);
  EXPECT_FALSE(loaded.ok);
  ASSERT_FALSE(loaded.lines.empty());
  EXPECT_EQ(loaded.lines.back().rfind("Error : ", 0), 0u);
  EXPECT_FALSE(SettingChangePending);
}

TEST_F(MouseTest, ACursorCountTheFileCannotHoldIsAReadError) {
  MemoryMachine maker(okWin98);
  TWriteMemoryConnection& w = NewPayload(okWin98);
  for (std::int32_t v : {4, 4, 0, 500, 6, 10, 1}) w.WriteInteger(v);
  w.WriteInteger(static_cast<std::int32_t>(hkey::CurrentUser));
  w.WriteInteger(0);
  w.WriteInteger(0x7FFFFFFF);
  EXPECT_ANY_THROW(Load<TMouseSettings>(target));

  TWriteMemoryConnection& negative = NewPayload(okWin98);
  for (std::int32_t v : {4, 4, 0, 500, 6, 10, 1}) negative.WriteInteger(v);
  negative.WriteInteger(static_cast<std::int32_t>(hkey::CurrentUser));
  negative.WriteInteger(0);
  negative.WriteInteger(-1);
  EXPECT_FALSE(Load<TMouseSettings>(target).ok);
}

TEST_F(MouseTest, RightHandedWithoutSchemesSaysSo) {
  ItemResult described = Describe<TMouseSettings>(target);
  EXPECT_TRUE(described.ok);
  EXPECT_EQ(described.lines,
            (std::vector<std::string>{"The double click region is 4 pixels high and 4 pixels wide.",
                                      "Mouse buttons are not swapped (Right-handed usage)",
                                      "The double click time is 500 ms.", ""}));
}

// ---------------------------------------------------------------------------

class KeyboardTest : public ItemTest {
 protected:
  MemoryMachine source{okWinNT};
  MemoryMachine target{okWin95};

  void KeyboardPayload(const std::string& name, std::uint32_t delay, std::uint32_t speed,
                       std::uint32_t blink) {
    TWriteMemoryConnection& w = NewPayload(okWinNT);
    w.WriteString(name);
    w.WriteInteger(static_cast<std::int32_t>(delay));
    w.WriteInteger(static_cast<std::int32_t>(speed));
    w.WriteInteger(static_cast<std::int32_t>(blink));
  }
  std::string Layout(MemoryMachine& m) {
    std::string name;
    m.SystemParameters()->KeyboardLayoutName(name);
    return name;
  }
};

TEST_F(KeyboardTest, LayoutRepeatAndBlinkMoveAndTheLocaleIsRecorded) {
  ASSERT_EQ(source.SystemParameters()->LoadKeyboardLayoutByName("00000407", klf::Activate),
            err::Success);
  SetParameter(source, spi::SetKeyboardDelay, 2);
  SetParameter(source, spi::SetKeyboardSpeed, 20);
  ASSERT_EQ(source.SystemParameters()->ChangeCaretBlinkTime(400), err::Success);
  ItemResult saved = Save<TKeyboardSettings>(source);
  ASSERT_TRUE(saved.ok);
  const std::vector<std::string> lines = {
      "Keyboard Locale is 00000407 German (Standard)", "Keyboard repeat delay is 2ms.",
      "Keyboard repeat speed is 20ms.", "Caret blink speed is 400ms."};
  EXPECT_EQ(saved.lines, lines);
  EXPECT_TRUE(LogHas("Keyboard Layout name is 00000407"));

  ItemResult loaded = Load<TKeyboardSettings>(target);
  ASSERT_TRUE(loaded.ok);
  EXPECT_EQ(loaded.lines, lines);
  EXPECT_EQ(Consumed(), Written());
  EXPECT_TRUE(RestartRequired);
  EXPECT_EQ(Layout(target), "00000407");
  EXPECT_EQ(Reg(target, hkey::CurrentUser, kInternational, "Locale"), "00000407");
  EXPECT_EQ(Parameter(target, spi::GetKeyboardDelay), 2);
  EXPECT_EQ(Parameter(target, spi::GetKeyboardSpeed), 20);
  EXPECT_EQ(target.SystemParameters()->CaretBlinkTime(), 400u);
  EXPECT_TRUE(LogHas("Keyboard Layout is 00000407"));
}

TEST_F(KeyboardTest, AnEmptyLayoutNameChangesNeitherLayoutNorLocale) {
  KeyboardPayload("", 3, 5, 600);
  ItemResult loaded = Load<TKeyboardSettings>(target);
  ASSERT_TRUE(loaded.ok);
  EXPECT_EQ(Layout(target), "00000409");
  EXPECT_EQ(Reg(target, hkey::CurrentUser, kInternational, "Locale"), "<none>");
  EXPECT_EQ(Parameter(target, spi::GetKeyboardDelay), 3);
  EXPECT_EQ(loaded.lines, (std::vector<std::string>{"Keyboard repeat delay is 3ms.",
                                                    "Keyboard repeat speed is 5ms.",
                                                    "Caret blink speed is 600ms."}));
}

TEST_F(KeyboardTest, ALayoutTheTargetLacksIsReportedAndTheRestStillApplies) {
  KeyboardPayload("00000419", 0, 31, 530);
  ItemResult loaded = Load<TKeyboardSettings>(target);
  ASSERT_TRUE(loaded.ok);
  EXPECT_TRUE(loaded.Has("Could not set keyboard locale to 00000419"));
  EXPECT_TRUE(LogHas("Could not set keyboard locale to 00000419"));
  EXPECT_EQ(Layout(target), "00000409");
  EXPECT_EQ(Reg(target, hkey::CurrentUser, kInternational, "Locale"), "00000419");
  EXPECT_EQ(Parameter(target, spi::GetKeyboardDelay), 0);
  // No language for a locale the system does not know.
  EXPECT_FALSE(loaded.Has("Keyboard Locale is 00000419 "));
}

TEST_F(KeyboardTest, ANameThatIsNoLayoutNeverReachesTheLocale) {
  for (const char* name : {"..\\..\\x", "0000040G", "000004090", "409"}) {
    SCOPED_TRACE(name);
    KeyboardPayload(name, 1, 31, 530);
    ItemResult loaded = Load<TKeyboardSettings>(target);
    ASSERT_TRUE(loaded.ok);
    EXPECT_TRUE(loaded.Has(std::string("Could not set keyboard locale to ") + name));
    EXPECT_EQ(Reg(target, hkey::CurrentUser, kInternational, "Locale"), "<none>");
  }
}

TEST_F(KeyboardTest, UnreadValuesAndAZeroBlinkTimeAreNotApplied) {
  SetParameter(target, spi::SetKeyboardDelay, 2);
  KeyboardPayload("00000409", kUnreadParameter, kUnreadParameter, 0);
  ItemResult loaded = Load<TKeyboardSettings>(target);
  ASSERT_TRUE(loaded.ok);
  EXPECT_EQ(Parameter(target, spi::GetKeyboardDelay), 2);
  EXPECT_EQ(Parameter(target, spi::GetKeyboardSpeed), 31);
  EXPECT_EQ(target.SystemParameters()->CaretBlinkTime(), 530u);
  EXPECT_EQ(loaded.lines,
            std::vector<std::string>{"Keyboard Locale is 00000409 English (United States)"});
}

}  // namespace
}  // namespace qv::test
