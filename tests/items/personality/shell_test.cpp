// Explorer's folder options and views: the bits read from the registry, the
// most common folder view over the remembered streams, and the bytes a load
// patches back.
#include "items/personality/shell_settings.h"

#include "items/item_support.h"
#include "support/item_fixture.h"

namespace qv::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr const char* kExplorer = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";
const std::string kCabinet = std::string(kExplorer) + "\\CabinetState";
const std::string kExpView = std::string(kExplorer) + "\\ExpView";
const std::string kAdvanced = std::string(kExplorer) + "\\Advanced";
const std::string kMru = std::string(kExplorer) + "\\StreamMRU";
std::string StreamKey(int n) { return std::string(kExplorer) + "\\Streams\\" + std::to_string(n); }

Bytes Cab(std::uint8_t mode, std::uint8_t bars, std::size_t size = 68) {
  Bytes v(size, 0);
  if (size > 44) v[44] = mode;
  if (size > 60) v[60] = bars;
  return v;
}

Bytes Sort(std::uint8_t column, std::int32_t order, std::size_t size = 28) {
  Bytes v(size, 0);
  if (size > 16) v[16] = column;
  for (int i = 0; i < 4 && 20 + i < static_cast<int>(size); ++i)
    v[20 + i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(order) >> (8 * i));
  return v;
}

void PutBinary(MemoryMachine& m, const std::string& key, const char* name, const Bytes& v) {
  MachineScope on(m);
  UTLSetRegBinary(hkey::CurrentUser, key, name, v.data(), static_cast<std::uint32_t>(v.size()));
}

// The value as stored, or {} when it is missing.
Bytes Binary(MemoryMachine& m, const std::string& key, const char* name) {
  MachineScope on(m);
  Bytes v(1024);
  v.resize(UTLGetRegBinary(hkey::CurrentUser, key, name, v.data(), 1024));
  return v;
}

bool Has(MemoryMachine& m, const std::string& key, const char* name) {
  MachineScope on(m);
  return items::RegValueExists(hkey::CurrentUser, key, name);
}

const char* SortName(OSKind kind) { return kind == okWin98 ? "ViewView2" : "ViewView"; }

// Replaces the machine's folder streams: one CabView and one sort value per
// stream, listed in this order.
void SetStreams(MemoryMachine& m, const std::vector<std::pair<Bytes, Bytes>>& streams) {
  MachineScope on(m);
  UTLDeleteRegKey(hkey::CurrentUser, kMru, "MRUList");
  UTLDeleteRegKey(hkey::CurrentUser, kMru, "MRUListEx");
  std::string letters;
  Bytes entries;
  for (std::size_t i = 0; i < streams.size(); ++i) {
    const int n = static_cast<int>(i) + 2;  // not the machine's own 0 and 1
    letters += static_cast<char>('a' + n);
    for (int b = 0; b < 4; ++b) entries.push_back(static_cast<std::uint8_t>(b == 0 ? n : 0));
    if (!streams[i].first.empty()) PutBinary(m, StreamKey(n), "CabView", streams[i].first);
    if (!streams[i].second.empty())
      PutBinary(m, StreamKey(n), SortName(m.Kind()), streams[i].second);
  }
  if (m.Kind() == okWin98) {
    for (int b = 0; b < 4; ++b) entries.push_back(0xFF);
    UTLSetRegBinary(hkey::CurrentUser, kMru, "MRUListEx", entries.data(),
                    static_cast<std::uint32_t>(entries.size()));
  } else {
    UTLSetRegString(hkey::CurrentUser, kMru, "MRUList", letters);
  }
}

std::vector<std::string> CommonLines(const char* toolbar, const char* status, const char* order,
                                     const char* sort, const char* view) {
  return {"Most common file view options : ",
          std::string("Toolbar       : ") + toolbar,
          std::string("StatusBar     : ") + status,
          std::string("Sort order    : ") + order,
          std::string("Sort type     : ") + sort,
          std::string("View type     : ") + view};
}

// The five common-view lines of a description.
std::vector<std::string> CommonOf(const ItemResult& r) {
  for (std::size_t i = 0; i < r.lines.size(); ++i)
    if (r.lines[i] == "Most common file view options : " && i + 6 <= r.lines.size())
      return {r.lines.begin() + static_cast<std::ptrdiff_t>(i),
              r.lines.begin() + static_cast<std::ptrdiff_t>(i) + 6};
  return {};
}

class ShellTest : public ItemTest, public ::testing::WithParamInterface<OSKind> {};

TEST_P(ShellTest, CommonViewFollowsCountsHalvesAndTies) {
  const OSKind kind = GetParam();
  struct Case {
    const char* name;
    std::vector<std::pair<Bytes, Bytes>> streams;
    std::vector<std::string> expected;
  } cases[] = {
      {"no streams", {}, CommonLines("shown", "shown", "Descending", "Name", "Large Icons")},
      {"Details, Details, List, Large Icons",
       {{Cab(4, 0), Sort(0, 1)}, {Cab(4, 0), Sort(0, 1)}, {Cab(3, 0), Sort(0, -1)},
        {Cab(1, 0), Sort(0, -1)}},
       // Two of four ascending is not more than half; no bar in four.
       CommonLines("not shown", "not shown", "Descending", "Name", "Details")},
      {"a List / Details tie goes to List",
       {{Cab(4, 6), Sort(1, 1)}, {Cab(3, 2), Sort(1, 1)}, {Cab(4, 0), Sort(2, 1)},
        {Cab(3, 0), Sort(3, -1)}},
       // Toolbars 2 of 4 reach the half, status bars 1 of 4 do not; three
       // ascending; column 1 twice is Size.
       CommonLines("shown", "not shown", "Ascending", "Size", "List")},
      {"odd counts truncate the half",
       {{Cab(2, 2), Sort(2, 1)}, {Cab(2, 0), Sort(2, 0)}, {Cab(1, 0), Sort(0, 1)}},
       // 1 >= 3/2 = 1; ascending 2 > 1; column 2 is Type.
       CommonLines("shown", "not shown", "Ascending", "Type", "Small Icons")},
      {"values too short for a position are not counted",
       {{Cab(3, 0, 50), Sort(3, 1, 20)}, {Cab(0, 0, 40), Sort(0, 1, 10)}},
       // No stream had byte 60 (0 >= 0); none had the int32 (0 > 0 fails);
       // the one column byte 3 is Date; the one view mode 3 is List.
       CommonLines("shown", "shown", "Descending", "Date", "List")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryMachine source(kind);
    SetStreams(source, c.streams);
    ItemResult saved = Save<TShellSettings>(source);
    ASSERT_TRUE(saved.ok);
    EXPECT_EQ(CommonOf(saved), c.expected);
  }
}

TEST_P(ShellTest, FolderOptionsComeFromTheBitsOfEachKind) {
  const OSKind kind = GetParam();
  struct Case {
    std::uint8_t cabinet;
    std::uint8_t shell;    // ShellState byte 4 (Windows 95 and NT)
    std::int64_t hidden;   // Advanced values (Windows 98), -1 missing
    std::int64_t hideExt;
    std::vector<std::string> lines;    // Windows 95 and NT
    std::vector<std::string> lines98;  // Windows 98
  } cases[] = {
      {0x21, 0x03, 1, 0,
       {"Browse views in separate windows", "Show all files", "Display full MS-DOS path in title bar"},
       {"Browse views in separate windows", "Show all files", "Display full MS-DOS path in title bar"}},
      {0x00, 0x00, 2, 1,
       {"Browse views in single window", "Hide system files",
        "Hide MS-DOS extensions for file types that are registered"},
       {"Browse views in single window", "Hide system files",
        "Hide MS-DOS extensions for file types that are registered"}},
      // Windows 98 without its two values: all files and extensions shown,
      // whatever ShellState says.
      {0x20, 0x02, -1, -1, {"Browse views in separate windows", "Hide system files"},
       {"Browse views in separate windows", "Show all files"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.cabinet));
    MemoryMachine m(kind);
    PutBinary(m, kCabinet, "Settings", Bytes{0x0C, 0, 2, 0, c.cabinet, 1, 0, 0});
    Bytes state(36, 0);
    state[4] = c.shell;
    PutBinary(m, kExplorer, "ShellState", state);
    {
      MachineScope on(m);
      UTLDeleteRegKey(hkey::CurrentUser, kAdvanced, "Hidden");
      UTLDeleteRegKey(hkey::CurrentUser, kAdvanced, "HideFileExt");
      if (c.hidden >= 0)
        UTLSetRegDWORD(hkey::CurrentUser, kAdvanced, "Hidden", static_cast<std::uint32_t>(c.hidden));
      if (c.hideExt >= 0)
        UTLSetRegDWORD(hkey::CurrentUser, kAdvanced, "HideFileExt",
                       static_cast<std::uint32_t>(c.hideExt));
    }
    ItemResult saved = Describe<TShellSettings>(m);
    const std::vector<std::string>& want = kind == okWin98 ? c.lines98 : c.lines;
    ASSERT_GT(saved.lines.size(), want.size());
    EXPECT_EQ(std::vector<std::string>(saved.lines.begin(),
                                       saved.lines.begin() + static_cast<std::ptrdiff_t>(want.size())),
              want);
    EXPECT_EQ(saved.lines[want.size()].rfind("Windows Explorer toolbar", 0), 0u);
    EXPECT_TRUE(LogHas(std::string("m_bBrowseSeparateWindows : ") +
                       ((c.cabinet & 0x20) ? "1" : "0")));
    EXPECT_TRUE(LogHas(std::string("m_bDisplayMSDOSFullPathinTitleBar : ") +
                       ((c.cabinet & 0x01) ? "1" : "0")));
  }
}

TEST_P(ShellTest, LoadPatchesBitsInPlaceKeepingEachLength) {
  const OSKind kind = GetParam();
  MemoryMachine source(kind), target(kind);
  PutBinary(source, kCabinet, "Settings", Bytes{0x0C, 0, 2, 0, 0x21, 1, 0, 0, 0x60, 0, 0, 0});
  Bytes state(36, 0);
  state[4] = 0x03;
  PutBinary(source, kExplorer, "ShellState", state);
  if (kind == okWin98) {
    MachineScope on(source);
    UTLSetRegDWORD(hkey::CurrentUser, kAdvanced, "Hidden", 1);
    UTLSetRegDWORD(hkey::CurrentUser, kAdvanced, "HideFileExt", 0);
  }
  PutBinary(source, kExpView, "Settings", Cab(3, 0x06));
  SetStreams(source, {{Cab(2, 0x06), Sort(1, 1)}});
  ASSERT_TRUE(Save<TShellSettings>(source).ok);

  // The target: odd lengths and other bits that must stay.
  const Bytes cabinet{0x0A, 0, 2, 0, 0x5A, 0xEE};
  PutBinary(target, kCabinet, "Settings", cabinet);
  Bytes targetState(5, 0xF0);
  PutBinary(target, kExplorer, "ShellState", targetState);
  PutBinary(target, kExpView, "Settings", Cab(1, 0x81, 45));
  SetStreams(target, {{Cab(1, 0x80), Sort(0, -1, 40)},
                      {Cab(4, 0, 61), Sort(3, -1, 17)},
                      {Bytes(10, 0x33), Bytes{}}});
  RestartRequired = false;
  ItemResult loaded = Load<TShellSettings>(target);
  ASSERT_TRUE(loaded.ok);
  EXPECT_TRUE(RestartRequired);
  EXPECT_EQ(Consumed(), Written());

  EXPECT_EQ(Binary(target, kCabinet, "Settings"), (Bytes{0x0A, 0, 2, 0, 0x7B, 0xEE}));
  if (kind == okWin98) {
    EXPECT_EQ(Binary(target, kExplorer, "ShellState"), targetState);  // not used on 98
  } else {
    EXPECT_EQ(Binary(target, kExplorer, "ShellState"), (Bytes{0xF0, 0xF0, 0xF0, 0xF0, 0xF3}));
  }
  // The source's mode 3 is view type List (2), written back as mode 3; the
  // value ends right after that byte.
  Bytes expView = Cab(3, 0, 45);
  EXPECT_EQ(Binary(target, kExpView, "Settings"), expView);

  // Stream 2: both bars on, view Small Icons (2), ascending, column Size.
  Bytes cab2 = Cab(2, 0x86);
  EXPECT_EQ(Binary(target, StreamKey(2), "CabView"), cab2);
  Bytes sort2 = Sort(1, 1, 40);
  EXPECT_EQ(Binary(target, StreamKey(2), SortName(kind)), sort2);
  // Stream 3: byte 60 is the last one; the sort value ends before the int32.
  EXPECT_EQ(Binary(target, StreamKey(3), "CabView"), Cab(2, 0x06, 61));
  Bytes sort3 = Sort(1, -1, 17);
  EXPECT_EQ(Binary(target, StreamKey(3), SortName(kind)), sort3);
  // Stream 4: too short for every position, and no sort value at all.
  EXPECT_EQ(Binary(target, StreamKey(4), "CabView"), Bytes(10, 0x33));
  EXPECT_FALSE(Has(target, StreamKey(4), SortName(kind)));

  EXPECT_TRUE(loaded.Has("File views are browsed in separate windows"));
  EXPECT_TRUE(loaded.Has("The Full MS-DOS path is displayed in the title bar"));
  EXPECT_TRUE(loaded.Has("System files are not hidden ('Show all files' is checked)"));
  EXPECT_TRUE(loaded.Has("MS-DOS extensions are shown for file types that are registered"));
  EXPECT_EQ(CommonOf(loaded), CommonLines("shown", "shown", "Ascending", "Size", "Small Icons"));
  EXPECT_EQ(loaded.lines.back(), "");
}

TEST_P(ShellTest, ValuesTheTargetLacksAreNotCreated) {
  const OSKind kind = GetParam();
  MemoryMachine source(kind), target(kind);
  ASSERT_TRUE(Save<TShellSettings>(source).ok);
  {
    MachineScope on(target);
    UTLDeleteRegKey(hkey::CurrentUser, kCabinet, "Settings");
    UTLDeleteRegKey(hkey::CurrentUser, kExplorer, "ShellState");
    UTLDeleteRegKey(hkey::CurrentUser, kExpView, "Settings");
  }
  SetStreams(target, {{Bytes{}, Bytes{}}});
  ASSERT_TRUE(Load<TShellSettings>(target).ok);
  EXPECT_FALSE(Has(target, kCabinet, "Settings"));
  EXPECT_FALSE(Has(target, kExplorer, "ShellState"));
  EXPECT_FALSE(Has(target, kExpView, "Settings"));
  EXPECT_FALSE(Has(target, StreamKey(2), "CabView"));
  EXPECT_FALSE(Has(target, StreamKey(2), SortName(kind)));
}

INSTANTIATE_TEST_SUITE_P(Kinds, ShellTest, ::testing::Values(okWin95, okWin98, okWinNT),
                         [](const auto& info) {
                           return info.param == okWin95 ? "Win95"
                                  : info.param == okWin98 ? "Win98"
                                                          : "WinNT";
                         });

class ShellPayloadTest : public ItemTest {
 protected:
  // A payload as a source would write it.
  void Payload(OSKind kind, bool separate, bool all, bool full, bool ext, std::int32_t viewType,
               bool ascending, std::int32_t sortType, std::int32_t commonView) {
    TWriteMemoryConnection& w = NewPayload(kind);
    w.WriteBoolean(separate);
    w.WriteBoolean(all);
    w.WriteBoolean(full);
    w.WriteBoolean(ext);
    w.WriteBoolean(true);
    w.WriteBoolean(false);
    w.WriteBoolean(true);
    w.WriteInteger(0);
    w.WriteInteger(viewType);
    w.WriteBoolean(true);
    w.WriteBoolean(true);
    w.WriteBoolean(ascending);
    w.WriteInteger(sortType);
    w.WriteInteger(commonView);
  }
};

TEST_F(ShellPayloadTest, Windows98WritesTheAdvancedDwordsFromTheTwoOptions) {
  for (bool all : {false, true}) {
    for (bool ext : {false, true}) {
      MemoryMachine target(okWin98);
      Payload(okWinNT, false, all, false, ext, 0, true, 0, 0);
      ASSERT_TRUE(Load<TShellSettings>(target).ok);
      MachineScope on(target);
      EXPECT_EQ(UTLGetRegDWORD(hkey::CurrentUser, kAdvanced, "HideFileExt", 7), ext ? 0u : 1u);
      EXPECT_EQ(UTLGetRegDWORD(hkey::CurrentUser, kAdvanced, "Hidden", 7), all ? 1u : 0u);
    }
  }
}

TEST_F(ShellPayloadTest, SortTypesMapToTheirColumnBytes) {
  const std::pair<std::int32_t, std::uint8_t> cases[] = {{0, 0}, {1, 2}, {2, 1}, {3, 3}};
  for (auto [sortType, column] : cases) {
    MemoryMachine target(okWinNT);
    SetStreams(target, {{Cab(1, 0), Sort(0xAA, 1)}});
    Payload(okWinNT, false, true, false, true, 0, false, sortType, 0);
    ASSERT_TRUE(Load<TShellSettings>(target).ok);
    EXPECT_EQ(Binary(target, StreamKey(2), "ViewView"), Sort(column, -1)) << sortType;
  }
}

TEST_F(ShellPayloadTest, NumbersOutsideTheTablesFromAFileLeaveTheBytesAlone) {
  MemoryMachine target(okWinNT);
  SetStreams(target, {{Cab(2, 0), Sort(3, 1)}});
  const Bytes expView = Binary(target, kExpView, "Settings");
  Payload(okWinNT, false, true, false, true, 255, true, -4, 9);
  ItemResult loaded = Load<TShellSettings>(target);
  ASSERT_TRUE(loaded.ok);
  EXPECT_EQ(Binary(target, kExpView, "Settings"), expView);
  EXPECT_EQ(Binary(target, StreamKey(2), "CabView"), Cab(2, 0x06));
  EXPECT_EQ(Binary(target, StreamKey(2), "ViewView"), Sort(3, 1));
  EXPECT_TRUE(loaded.Has("Sort type     : -4"));
  EXPECT_TRUE(loaded.Has("View type     : 9"));
}

TEST_F(ShellPayloadTest, Windows98ListSkipsEmptyEntriesAndReadsViewView2) {
  MemoryMachine m(okWin98);
  MachineScope on(m);
  const Bytes list{5, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 6, 0, 0, 0};
  UTLSetRegBinary(hkey::CurrentUser, kMru, "MRUListEx", list.data(), 12);
  PutBinary(m, StreamKey(5), "CabView", Cab(4, 0));
  PutBinary(m, StreamKey(6), "CabView", Cab(4, 0));
  PutBinary(m, StreamKey(5), "ViewView", Sort(3, 1));   // Windows 95/NT's name: not read
  PutBinary(m, StreamKey(6), "ViewView2", Sort(2, 1));
  ItemResult saved = Describe<TShellSettings>(m);
  EXPECT_EQ(CommonOf(saved), CommonLines("not shown", "not shown", "Ascending", "Type", "Details"));
}

}  // namespace
}  // namespace qv::test
