// Wallpaper and desktop pattern moving between machines.
#include "items/personality/background_settings.h"

#include "support/item_fixture.h"

namespace qv::test {
namespace {

constexpr const char* kDesktop = "Control Panel\\Desktop";
constexpr const char* kBitmap = "C:\\WINDOWS\\Forest.bmp";

class BackgroundTest : public ItemTest {
 protected:
  MemoryMachine source{okWin98};
  MemoryMachine target{okWinNT};

  void SetWallpaper(const std::string& path, const std::string& tile, const std::string& style) {
    SetReg(source, hkey::CurrentUser, kDesktop, "Wallpaper", path);
    SetReg(source, hkey::CurrentUser, kDesktop, "TileWallpaper", tile);
    SetReg(source, hkey::CurrentUser, kDesktop, "WallpaperStyle", style);
  }
};

TEST_F(BackgroundTest, WallpaperTravelsWithItsBitmapAndIsDescribedByTileThenStyle) {
  PutFile(source, kBitmap, "BM forest pixels");
  SetReg(source, hkey::CurrentUser, kDesktop, "WallpaperOriginX", "12");
  struct Case {
    const char* tile;
    const char* style;
    const char* line;
  } cases[] = {
      {"1", "2", "The wallpaper is tiled."},
      {"0", "2", "The wallpaper is stretched to fit the screen."},
      {"0", "0", "The wallpaper is centered."},
      {"", "", "The wallpaper is centered."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.tile) + "/" + c.style);
    MemoryMachine fresh(okWinNT);
    SetWallpaper(kBitmap, c.tile, c.style);
    ItemResult saved = Save<TWallpaperSettings>(source);
    ASSERT_TRUE(saved.ok);
    EXPECT_EQ(saved.lines, (std::vector<std::string>{
                               std::string("The current wallpaper file is ") + kBitmap, c.line}));

    ItemResult loaded = Load<TWallpaperSettings>(fresh);
    ASSERT_TRUE(loaded.ok);
    EXPECT_EQ(loaded.lines, saved.lines);
    EXPECT_EQ(Consumed(), Written());
    EXPECT_EQ(FileText(fresh, kBitmap), "BM forest pixels");
    EXPECT_EQ(Reg(fresh, hkey::CurrentUser, kDesktop, "TileWallpaper"), c.tile);
    EXPECT_EQ(Reg(fresh, hkey::CurrentUser, kDesktop, "WallpaperStyle"), c.style);
    EXPECT_EQ(Reg(fresh, hkey::CurrentUser, kDesktop, "WallpaperOriginX"), "12");
    EXPECT_EQ(Reg(fresh, hkey::CurrentUser, kDesktop, "WallpaperOriginY"), "");
    // SystemParametersInfo made it the wallpaper and told the windows.
    EXPECT_EQ(Reg(fresh, hkey::CurrentUser, kDesktop, "Wallpaper"), kBitmap);
    EXPECT_GE(fresh.SettingChangeNotices(), 1);
  }
}

TEST_F(BackgroundTest, NoWallpaperOrAMissingBitmapTravelsAsFiveStringsWithoutAFile) {
  for (const char* path : {"(None)", "C:\\WINDOWS\\gone.bmp", "C:\\WINDOWS"}) {
    SCOPED_TRACE(path);
    SetWallpaper(path, "0", "0");
    ItemResult saved = Save<TWallpaperSettings>(source);
    ASSERT_TRUE(saved.ok);
    EXPECT_EQ(saved.lines, std::vector<std::string>{"There is no wallpaper."});
    // Five strings, the first empty, and no file record.
    TWriteMemoryConnection expected;
    expected.Initialize();
    for (const char* text : {"", "0", "0", "", ""}) expected.WriteString(text);
    EXPECT_EQ(Written(), expected.Position());

    SetReg(target, hkey::CurrentUser, kDesktop, "Wallpaper", "C:\\old.bmp");
    ItemResult loaded = Load<TWallpaperSettings>(target);
    ASSERT_TRUE(loaded.ok);
    EXPECT_EQ(loaded.lines, std::vector<std::string>{"There is no wallpaper."});
    // The null wallpaper pointer: Windows stores that there is none.
    EXPECT_EQ(Reg(target, hkey::CurrentUser, kDesktop, "Wallpaper"), "(None)");
  }
}

TEST_F(BackgroundTest, ABitmapThatCannotBeWrittenLeavesTheRegistryButStillDescribes) {
  const std::string elsewhere = "Q:\\Pictures\\sea.bmp";
  source.AddDrive('Q', 1 << 20);
  source.Files().MakeFolder("Q:\\Pictures");
  PutFile(source, elsewhere, "BM sea");
  SetWallpaper(elsewhere, "1", "0");
  ASSERT_TRUE(Save<TWallpaperSettings>(source).ok);

  ItemResult loaded = Load<TWallpaperSettings>(target);  // the target has no drive Q:
  EXPECT_FALSE(loaded.ok);
  ASSERT_GE(loaded.lines.size(), 3u);
  // The folder could not be made: the reason is in the debug log.
  EXPECT_TRUE(LogHas("Can't create directory Q:\\Pictures ."));
  EXPECT_EQ(loaded.lines[1], "The current wallpaper file is " + elsewhere);
  EXPECT_EQ(loaded.lines[2], "The wallpaper is tiled.");
  EXPECT_EQ(Reg(target, hkey::CurrentUser, kDesktop, "TileWallpaper"), "0");
  EXPECT_TRUE(LogHas("Receiving wallpaper bitmap " + elsewhere));
}

TEST_F(BackgroundTest, WallpaperOfTheViewerIsDescribedWithoutData) {
  PutFile(source, kBitmap, "BM");
  SetWallpaper(kBitmap, "0", "2");
  ItemResult described = Describe<TWallpaperSettings>(source);
  EXPECT_TRUE(described.ok);
  EXPECT_EQ(described.lines,
            (std::vector<std::string>{std::string("The current wallpaper file is ") + kBitmap,
                                      "The wallpaper is stretched to fit the screen."}));
}

TEST_F(BackgroundTest, PatternGoesToWinIniAndTheSystem) {
  SetReg(source, hkey::CurrentUser, kDesktop, "Pattern", "170 85 170 85 170 85 170 85");
  ItemResult saved = Save<TPatternSettings>(source);
  EXPECT_EQ(saved.lines,
            std::vector<std::string>{"The current pattern file is 170 85 170 85 170 85 170 85"});
  for (OSKind kind : {okWin95, okWinNT}) {
    MemoryMachine m(kind);
    ItemResult loaded = Load<TPatternSettings>(m);
    EXPECT_TRUE(loaded.ok);
    EXPECT_EQ(loaded.lines, saved.lines);
    EXPECT_EQ(Ini(m, "win.ini", "Desktop", "pattern"), "170 85 170 85 170 85 170 85");
    EXPECT_EQ(Reg(m, hkey::CurrentUser, kDesktop, "Pattern"), "170 85 170 85 170 85 170 85");
  }

  // A "pattern" that would add lines to win.ini is not applied.
  MemoryMachine old(okWin95);
  TWriteMemoryConnection& payload = NewPayload(okWin98);
  payload.WriteString("1 2\r\n[windows]\r\nrun=evil.exe");
  EXPECT_TRUE(Load<TPatternSettings>(old).ok);
  EXPECT_EQ(Ini(old, "win.ini", "windows", "run"), "");
  EXPECT_EQ(Ini(old, "win.ini", "Desktop", "pattern"), "(None)");
  EXPECT_EQ(Reg(old, hkey::CurrentUser, kDesktop, "Pattern"), "(None)");

  MemoryMachine bare(okWin95);
  {
    MachineScope on(bare);
    UTLDeleteRegKey(hkey::CurrentUser, kDesktop, "Pattern");
  }
  EXPECT_EQ(Save<TPatternSettings>(bare).lines,
            std::vector<std::string>{"There is no desktop pattern."});
}

}  // namespace
}  // namespace qv::test
