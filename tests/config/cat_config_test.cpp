// The configuration: its defaults, the ".cfg" text file both ways, and its
// item lists inside settings streams.
#include "config/cat_config.h"

#include <gtest/gtest.h>

#include <set>

#include "config/options.h"
#include "config/section_catalogue.h"
#include "config/token_stream.h"
#include "platform/prompts.h"
#include "stream/connection.h"
#include "support/memory_fixture.h"

namespace {

using qv::test::MemoryMachineTest;
using Names = std::vector<std::string>;

Names Selected(const TSectionNames& items) {
  Names out;
  std::string name;
  bool selected = false;
  for (int i = 0; items.GetItem(i, name, selected); ++i)
    if (selected) out.push_back(name);
  return out;
}

Names All(const TSectionNames& items) {
  Names out;
  std::string name;
  bool selected = false;
  for (int i = 0; items.GetItem(i, name, selected); ++i) out.push_back(name);
  return out;
}

const Names kPersonality = {"Start Menu",   "Desktop Icons", "Shell",       "Active Desktop",
                            "Display",      "Icon metrics",  "Window metrics", "Colors",
                            "Wallpaper",    "Pattern",       "Screen saver", "SendTo menu",
                            "Power",        "Accessibility", "Sound",       "Keyboard",
                            "Mouse",        "Printers",      "Task bar"};
const Names kConnectivity = {"Computer Name",
                             "WorkGroup/Domain",
                             "Computer Description",
                             "Mapped Drives",
                             "Shared Folders and Drives",
                             "TCPIP Configuration",
                             "DNS Configuration",
                             "WINS Configuration",
                             "RAS Networking connections"};

Names Without(Names names, const std::string& gone) {
  std::erase(names, gone);
  return names;
}

// Quiet mode through the program's options object while it lives.
class QuietScope {
 public:
  explicit QuietScope(bool quiet) : options_(""), previous_(ProgramOptions) {
    options_.QuietMode = quiet;
    ProgramOptions = &options_;
  }
  ~QuietScope() { ProgramOptions = previous_; }

 private:
  TOptions options_;
  TOptions* previous_;
};

TEST(SectionCatalogue, HoldsTheTwentyEightItemsInSaveOrder) {
  std::set<std::string> names;
  int personality = 0, connectivity = 0;
  for (std::size_t i = 0; i < kCatalogueSize; ++i) {
    const TCatalogueEntry& e = Catalogue()[i];
    names.insert(e.name);
    bool isPersonality = e.group == TSectionGroup::Personality;
    EXPECT_EQ(e.order, isPersonality ? ++personality : ++connectivity) << e.name;
    EXPECT_EQ(FindCatalogueEntry(e.name), &e);
  }
  EXPECT_EQ(names.size(), 28u);
  EXPECT_EQ(personality, 19);
  EXPECT_EQ(connectivity, 9);
  EXPECT_EQ(FindCatalogueEntry("start menu"), nullptr) << "section names compare exactly";
  EXPECT_EQ(std::string(Catalogue()[1].name), "Task bar");
  EXPECT_EQ(std::string(FindCatalogueEntry("Sound")->description),
            "Sound settings for application events - see ControlPanel / Sounds ");
  EXPECT_EQ(FindCatalogueEntry("WorkGroup/Domain")->registryAccess,
            TRegistryAccessNeed::Win9xOnly);
  EXPECT_EQ(FindCatalogueEntry("Mapped Drives")->registryAccess, TRegistryAccessNeed::No);
  EXPECT_EQ(FindCatalogueEntry("WINS Configuration")->registryAccess, TRegistryAccessNeed::Yes);
}

TEST(TCatConfigDefaults, SelectEverythingButPrintersInTheEditorsOrder) {
  TCatConfig config;
  EXPECT_EQ(All(config.PersonalityItems), kPersonality);
  EXPECT_EQ(Selected(config.PersonalityItems), Without(kPersonality, "Printers"));
  EXPECT_EQ(All(config.ConnectivityItems), kConnectivity);
  EXPECT_EQ(Selected(config.ConnectivityItems), kConnectivity);
  EXPECT_TRUE(config.FileList.empty());
  // Descriptions come from the catalogue, position by position.
  EXPECT_EQ(config.PersonalityItems.GetDescription(0), "Start menu contents");
  EXPECT_EQ(config.PersonalityItems.GetDescription(18),
            "Task bar settings - docking edge, size, always-on-top, etc");
  EXPECT_EQ(config.ConnectivityItems.GetDescription(1), "WorkGroup/Default login domain");
  EXPECT_EQ(config.ConnectivityItems.GetDescription(9), "");
}

TEST(TSectionNames, LooksUpNamesWithoutRegardToCase) {
  TSectionNames items;
  items.Add("Alpha", "first");
  items.Add("Beta", "second");
  items.Add("ALPHA", "duplicate");
  EXPECT_EQ(items.GetCount(), 3);
  EXPECT_EQ(items.IndexOf("alpha"), 0) << "the first match wins";
  EXPECT_EQ(items.IndexOf("Gamma"), -1);
  EXPECT_TRUE(items.IsSelected("beta")) << "added items are selected";
  items.SetSelected("BETA", false);
  items.SetSelected("Gamma", true);  // unknown: nothing happens
  EXPECT_FALSE(items.IsSelected("Beta"));
  EXPECT_FALSE(items.IsSelected("Gamma"));
  std::string name = "unchanged";
  bool selected = true;
  EXPECT_TRUE(items.GetItem(1, name, selected));
  EXPECT_EQ(name, "Beta");
  EXPECT_FALSE(selected);
  EXPECT_FALSE(items.GetItem(3, name, selected));
  EXPECT_FALSE(items.GetItem(-1, name, selected));
  EXPECT_EQ(items.GetDescription(2), "duplicate");
  EXPECT_EQ(items.GetDescription(-1), "");
  items.SetAll(false);
  EXPECT_TRUE(Selected(items).empty());
  items.Clear();
  EXPECT_EQ(items.GetCount(), 0);
}

std::string Written(TWriteMemoryConnection& w) {
  const std::uint8_t* block;
  std::uint32_t size;
  w.GetBuffer(block, size);
  return std::string(reinterpret_cast<const char*>(block), w.Position());
}

std::string Str(const std::string& s) {
  std::string out;
  auto n = static_cast<std::uint32_t>(s.size());
  for (int i = 0; i < 4; ++i) out += static_cast<char>(n >> (8 * i));
  return out + s;
}

TEST(TSectionNamesStream, WritesTheSelectedNamesAndReadsThemBackAllSelected) {
  TSectionNames items;
  items.Add("One", "1");
  items.Add("Two", "2");
  items.Add("Three", "3");
  items.SetSelected("Two", false);
  TWriteMemoryConnection w;
  ASSERT_TRUE(w.Initialize());
  items.WriteNames(w);
  EXPECT_EQ(Written(w), Str("One") + Str("Three") + Str("END"));

  TSectionNames back;
  back.Add("Old", "gone after reading");
  TReadMemoryConnection r;
  std::string bytes = Written(w);
  r.SetBuffer(reinterpret_cast<const std::uint8_t*>(bytes.data()),
              static_cast<std::uint32_t>(bytes.size()));
  back.ReadNames(r);
  EXPECT_EQ(All(back), (Names{"One", "Three"}));
  EXPECT_EQ(Selected(back), (Names{"One", "Three"}));
  EXPECT_EQ(back.GetDescription(1), "No Comment");
}

TEST(TSectionNamesStream, EmptyListsAndTruncatedStreams) {
  TSectionNames items;
  items.Add("Old", "x");
  TReadMemoryConnection r;
  std::string bytes = Str("END") + Str("More");
  r.SetBuffer(reinterpret_cast<const std::uint8_t*>(bytes.data()),
              static_cast<std::uint32_t>(bytes.size()));
  items.ReadNames(r);
  EXPECT_EQ(items.GetCount(), 0);

  // A list without its end runs into the end of the stream: the stream's
  // read error, for the run to handle.
  TReadMemoryConnection cut;
  bytes = Str("Start Menu") + std::string("\x40\x00", 2);
  cut.SetBuffer(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                static_cast<std::uint32_t>(bytes.size()));
  EXPECT_THROW(items.ReadNames(cut), EConnectionReadError);
}

TEST(TCatConfigStream, ItemListsGoConnectivityFirstWithoutTheFiles) {
  TCatConfig config;
  config.PersonalityItems.SetAll(false);
  config.PersonalityItems.SetSelected("Mouse", true);
  config.PersonalityItems.SetSelected("Printers", true);
  config.ConnectivityItems.SetAll(false);
  config.ConnectivityItems.SetSelected("DNS Configuration", true);
  config.FileList = {"C:\\a.txt"};
  TWriteMemoryConnection w;
  ASSERT_TRUE(w.Initialize());
  config.WriteItemLists(w);
  std::string bytes = Written(w);
  EXPECT_EQ(bytes, Str("DNS Configuration") + Str("END") + Str("Mouse") + Str("Printers") +
                       Str("END"));

  TCatConfig loaded;
  TReadMemoryConnection r;
  r.SetBuffer(reinterpret_cast<const std::uint8_t*>(bytes.data()),
              static_cast<std::uint32_t>(bytes.size()));
  loaded.ReadItemLists(r);
  EXPECT_EQ(All(loaded.ConnectivityItems), Names{"DNS Configuration"});
  EXPECT_EQ(All(loaded.PersonalityItems), (Names{"Mouse", "Printers"}));
  EXPECT_EQ(Selected(loaded.PersonalityItems), (Names{"Mouse", "Printers"}));
  EXPECT_TRUE(loaded.FileList.empty());
}

// ---- The text file ----

class TCatConfigFile : public MemoryMachineTest {
 protected:
  TCatConfig config_;
};

TEST_F(TCatConfigFile, SaveWritesTheSelectedItemsAndQuotedFiles) {
  config_.PersonalityItems.SetAll(false);
  for (const char* n : {"Start Menu", "Desktop Icons", "Wallpaper"})
    config_.PersonalityItems.SetSelected(n, true);
  config_.ConnectivityItems.SetAll(false);
  for (const char* n : {"Computer Name", "TCPIP Configuration"})
    config_.ConnectivityItems.SetSelected(n, true);
  config_.FileList = {"C:\\My Documents\\Budget.xls"};
  WriteFile("C:\\old.cfg", std::string(5000, 'x'));  // overwritten
  config_.Save("C:\\old.cfg");
  EXPECT_EQ(ReadFile("C:\\old.cfg"),
            "Personality \r\n"
            "  Start Menu \r\n"
            "  Desktop Icons \r\n"
            "  Wallpaper \r\n"
            "EndPersonality \r\n"
            "Connectivity \r\n"
            "  Computer Name \r\n"
            "  TCPIP Configuration \r\n"
            "EndConnectivity \r\n"
            "Files \r\n"
            "\"C:\\My Documents\\Budget.xls\" \r\n"
            "EndFiles \r\n");
  EXPECT_TRUE(log().empty());
}

TEST_F(TCatConfigFile, SavedFilesLoadBackIntoAnyConfiguration) {
  config_.PersonalityItems.SetSelected("Printers", true);
  config_.PersonalityItems.SetSelected("Shell", false);
  config_.ConnectivityItems.SetSelected("Mapped Drives", false);
  config_.FileList = {"C:\\Program Files\\x.txt", "D:\\*.doc", "C:\\Data"};
  config_.Save("C:\\round.cfg");

  TCatConfig loaded;
  loaded.FileList = {"stale"};
  ASSERT_TRUE(loaded.Load("C:\\round.cfg"));
  EXPECT_EQ(Selected(loaded.PersonalityItems), Selected(config_.PersonalityItems));
  EXPECT_EQ(Selected(loaded.ConnectivityItems), Selected(config_.ConnectivityItems));
  EXPECT_EQ(loaded.FileList, config_.FileList);
  EXPECT_EQ(All(loaded.PersonalityItems), kPersonality) << "Load never adds or removes items";
}

TEST_F(TCatConfigFile, SaveFailuresAreLoggedAndShownButNeverRaised) {
  EXPECT_NO_THROW(config_.Save("C:\\No Such Folder\\x.cfg"));
  EXPECT_EQ(log(), Names{"Error : TCatConfig::Save"});
  auto shown = machine().ShownPrompts();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].caption, "Qorvel");
  EXPECT_EQ(shown[0].style & qv::mb::IconMask, qv::mb::IconError);
  EXPECT_NE(shown[0].text.find("C:\\No Such Folder\\x.cfg"), std::string::npos);

  // A disk that fills up half way.
  machine().ClearShownPrompts();
  machine().AddDrive('A', 40);
  config_.Save("A:\\full.cfg");
  EXPECT_EQ(log().size(), 2u);
  EXPECT_EQ(machine().ShownPrompts().size(), 1u);

  // Quiet mode keeps the box away but not the log line.
  machine().ClearShownPrompts();
  QuietScope quiet(true);
  config_.Save("C:\\No Such Folder\\x.cfg");
  EXPECT_EQ(log().size(), 3u);
  EXPECT_TRUE(machine().ShownPrompts().empty());
}

TEST_F(TCatConfigFile, MissingFilesAndFoldersLoadNothing) {
  config_.FileList = {"keep"};
  config_.PersonalityItems.SetSelected("Shell", false);
  EXPECT_FALSE(config_.Load("C:\\missing.cfg"));
  ASSERT_EQ(files().MakeFolder("C:\\folder.cfg"), qv::err::Success);
  EXPECT_FALSE(config_.Load("C:\\folder.cfg"));
  EXPECT_EQ(config_.FileList, Names{"keep"});
  EXPECT_FALSE(config_.PersonalityItems.IsSelected("Shell"));
  EXPECT_TRUE(machine().ShownPrompts().empty());
}

struct LoadCase {
  const char* what;
  std::string text;
  Names personality;   // selected after loading into a fresh configuration
  Names connectivity;
  Names files;
};

TEST_F(TCatConfigFile, LoadFollowsTheGrammar) {
  const Names defaultP = Without(kPersonality, "Printers");
  for (const LoadCase& c : std::vector<LoadCase>{
           {"an empty line ends the file",
            "Personality\r\n  Mouse\r\nEndPersonality\r\n\r\nConnectivity\r\n  Computer "
            "Name\r\nEndConnectivity\r\n",
            {"Mouse"}, kConnectivity, {}},
           {"keywords and names in any case",
            "personality\n  MOUSE\n  start menu\nendpersonality\nCONNECTIVITY\n"
            "  dns configuration\nEndConnectivity\nfiles\na.txt\nendfiles\n",
            {"Start Menu", "Mouse"}, {"DNS Configuration"}, {"a.txt"}},
           {"a personality section that names no known item",
            "Personality\n  Mice\n  # comment\n\t\nEndPersonality\n", {}, kConnectivity, {}},
           {"an unquoted file name with a blank",
            "Files\nC:\\Program Files\\x.txt\n\"C:\\Program Files\\y.txt\" extra\nEndFiles\n",
            defaultP, kConnectivity, {"C:\\Program", "C:\\Program Files\\y.txt"}},
           {"quotes may stand inside a token",
            "Files\nC:\\\"Program Files\"\\z.txt\nEndFiles\n", defaultP, kConnectivity,
            {"C:\\Program Files\\z.txt"}},
           {"an unterminated quote runs to the end of the line",
            "Files\n\"C:\\Open Quote.txt\nEndFiles\n", defaultP, kConnectivity,
            {"C:\\Open Quote.txt"}},
           {"an empty pair of quotes ends the files section",
            "Files\na\n\"\" b\nc\nEndFiles\n", defaultP, kConnectivity, {"a"}},
           {"lines outside the sections are comments",
            "; saved by hand\nPersonality\nKeyboard\nEndPersonality\nremark Files\n",
            {"Keyboard"}, kConnectivity, {}},
           {"the personality section applies the file's last line",
            "Personality\r\n  Sound\r\n  Colors\r\n", {"Colors", "Sound"}, kConnectivity, {}},
           {"the connectivity section drops the file's last line",
            "Connectivity\r\n  Computer Name\r\n  Mapped Drives\r\n", defaultP,
            {"Computer Name"}, {}},
           {"the connectivity section drops it without a final line break too",
            "Connectivity\n  Computer Name\n  Mapped Drives", defaultP, {"Computer Name"}, {}},
           {"files run to the end of the file",
            "Files\r\n\"C:\\a b\"\r\n\"C:\\c\"", defaultP, kConnectivity, {"C:\\a b", "C:\\c"}},
           {"an empty file", "", defaultP, kConnectivity, {}},
           {"names are whole lines, with their quotes",
            "Personality\n\"Mouse\"\nKeyboard extra\n  Display  \nEndPersonality\n",
            {"Display"}, kConnectivity, {}},
       }) {
    SCOPED_TRACE(c.what);
    WriteFile("C:\\case.cfg", c.text);
    TCatConfig config;
    config.FileList = {"emptied first"};
    ASSERT_TRUE(config.Load("C:\\case.cfg"));
    EXPECT_EQ(Selected(config.PersonalityItems), c.personality);
    EXPECT_EQ(Selected(config.ConnectivityItems), c.connectivity);
    EXPECT_EQ(config.FileList, c.files);
  }
  EXPECT_TRUE(machine().ShownPrompts().empty());
}

TEST_F(TCatConfigFile, MissingSectionsKeepThePreviousSelection) {
  config_.PersonalityItems.SetAll(false);
  config_.PersonalityItems.SetSelected("Printers", true);
  config_.ConnectivityItems.SetAll(false);
  WriteFile("C:\\files-only.cfg", "Files\nC:\\x\nEndFiles\n");
  ASSERT_TRUE(config_.Load("C:\\files-only.cfg"));
  EXPECT_EQ(Selected(config_.PersonalityItems), Names{"Printers"});
  EXPECT_TRUE(Selected(config_.ConnectivityItems).empty());
  EXPECT_EQ(config_.FileList, Names{"C:\\x"});
}

TEST_F(TCatConfigFile, JunkLoadsWithoutACrash) {
  std::string junk;
  std::uint32_t seed = 12345;
  for (int i = 0; i < 200000; ++i) {
    seed = seed * 1103515245u + 12345u;
    junk += static_cast<char>(seed >> 16);
  }
  std::string longLine = "Personality\n" + std::string(3 * 1024 * 1024, 'M') + "ouse\nMouse\n" +
                         "EndPersonality\nFiles\n\"" + std::string(200000, 'f') + "\nEndFiles\n";
  for (const std::string& text :
       {junk, "Personality\n" + junk, "Files\n" + junk, "Connectivity\n" + junk,
        std::string("\0\0\0\0Personality\n", 16), std::string(100000, '\n'),
        std::string(100000, '"'), longLine}) {
    WriteFile("C:\\junk.cfg", text);
    TCatConfig config;
    EXPECT_TRUE(config.Load("C:\\junk.cfg"));
    EXPECT_EQ(All(config.PersonalityItems), kPersonality);
    EXPECT_EQ(All(config.ConnectivityItems), kConnectivity);
    for (const std::string& f : config.FileList)
      EXPECT_LE(f.size(), TTokenStream::kMaxLineLength);
  }
  // The very long line is cut and selects nothing; the next line does.
  WriteFile("C:\\junk.cfg", longLine);
  TCatConfig config;
  ASSERT_TRUE(config.Load("C:\\junk.cfg"));
  EXPECT_EQ(Selected(config.PersonalityItems), Names{"Mouse"});
  ASSERT_EQ(config.FileList.size(), 1u);
  EXPECT_EQ(config.FileList[0], std::string(TTokenStream::kMaxLineLength - 1, 'f'));
  EXPECT_TRUE(machine().ShownPrompts().empty());
}

// ---- Lines and tokens ----

using TTokenStreamTest = MemoryMachineTest;

TEST_F(TTokenStreamTest, ReadLineTrimsAndDropsCarriageReturns) {
  WriteFile("C:\\lines.txt", std::string("  one \r\n\ttwo\x01\x1f\n thr\ree\r\r\n\n\x7f\xe4 ") +
                                 std::string("\0last\0", 6));
  TTokenStream s("C:\\lines.txt", TTokenStream::Mode::Read);
  Names lines;
  while (!s.AtEnd()) lines.push_back(s.ReadLine());
  // Zero bytes inside a line stay; at its ends they are trimmed.
  EXPECT_EQ(lines, (Names{"one", "two", "three", "", std::string("\x7f\xe4 \0last", 8)}));
  EXPECT_TRUE(s.AtEnd());
  EXPECT_EQ(s.ReadLine(), "");
}

TEST_F(TTokenStreamTest, LinesEndWithABlankAndCrLf) {
  {
    TTokenStream s("C:\\out.txt", TTokenStream::Mode::Create);
    s.WriteLine("a");
    s.WriteLine("");
  }
  EXPECT_EQ(ReadFile("C:\\out.txt"), "a \r\n \r\n");
  EXPECT_THROW(TTokenStream("C:\\none\\x.txt", TTokenStream::Mode::Create), EFileStreamError);
  EXPECT_THROW(TTokenStream("C:\\none.txt", TTokenStream::Mode::Read), EFileStreamError);
}

TEST(TTokenStreamTokenize, SplitsAtBlanksOutsideQuotes) {
  using T = TTokenStream;
  EXPECT_EQ(T::Tokenize(""), Names{});
  EXPECT_EQ(T::Tokenize(" \t "), Names{});
  EXPECT_EQ(T::Tokenize("a b\tc"), (Names{"a", "b", "c"}));
  EXPECT_EQ(T::Tokenize("  \"a b\"  c "), (Names{"a b", "c"}));
  EXPECT_EQ(T::Tokenize("x\"y z\"w v"), (Names{"xy zw", "v"}));
  EXPECT_EQ(T::Tokenize("\"open quote here"), Names{"open quote here"});
  EXPECT_EQ(T::Tokenize("a \"\" b"), Names{"a"});
  EXPECT_EQ(T::Tokenize("\"\"x"), Names{"x"}) << "only an empty token stops";
}

}  // namespace
