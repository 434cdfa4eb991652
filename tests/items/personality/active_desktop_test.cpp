// The Active Desktop: its blocks as settings files carry them, moving
// between machines that have it or not, components the target has already,
// and damaged files.
#include "items/personality/active_desktop_settings.h"

#include "engine/messages.h"
#include "stream/win_structs.h"
#include "support/item_fixture.h"

namespace qv::test {
namespace {

DesktopComponent Component(const std::u16string& name, const std::u16string& source,
                           bool checked, std::int32_t left) {
  DesktopComponent c;
  c.type = comptype::Website;
  c.checked = checked;
  c.friendlyName = name;
  c.source = source;
  c.subscribedUrl = source;
  c.position.left = left;
  c.position.top = 20;
  c.position.width = 300;
  c.position.height = 200;
  c.position.zIndex = 1000;
  c.position.canResize = true;
  c.position.canResizeY = true;
  c.position.preferredLeftPercent = 40;
  c.position.preferredTopPercent = 5;
  return c;
}

ActiveDesktopSetup Harbour() {
  ActiveDesktopSetup s;
  s.installed = true;
  s.options.activeDesktop = true;
  s.options.enableComponents = true;
  s.wallpaper = u"C:\\WINDOWS\\Harbour.htm";
  s.wallpaperOptions.style = wpstyle::Stretch;
  s.pattern = u"170 85 170 85 170 85 170 85";
  s.components = {Component(u"Weather", u"http://weather.example/", true, 10),
                  Component(u"Tides", u"http://tides.example/", false, 400)};
  s.components[0].id = 7;
  s.components[1].id = 9;
  return s;
}

// Fields the user sees; the shell numbers components itself.
void ExpectSameComponents(const std::vector<DesktopComponent>& got,
                          const std::vector<DesktopComponent>& want) {
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < got.size(); ++i) {
    DesktopComponent a = got[i], b = want[i];
    a.id = b.id = 0;
    EXPECT_EQ(a, b) << i;
  }
}

// The system's text for a code, as `m` gives it.
std::string TextOn(MemoryMachine& m, HResult code) {
  MachineScope on(m);
  return SystemErrorText(code);
}

class ActiveDesktopTest : public ItemTest {};

TEST_F(ActiveDesktopTest, CodecsKeepTheStructureLayouts) {
  DesktopComponent c = Component(u"Weather", u"http://w/", true, -5);
  c.id = 0x01020304;
  const std::vector<std::uint8_t> bytes = adstruct::EncodeComponent(c);
  ASSERT_EQ(bytes.size(), 8924u);
  EXPECT_EQ(bytes[4], 0x04);                         // dwID
  EXPECT_EQ(bytes[8], comptype::Website);            // iComponentType
  EXPECT_EQ(bytes[12], 1);                           // fChecked
  EXPECT_EQ(bytes[24], 44);                          // cpPos.dwSize
  EXPECT_EQ(bytes[28], 0xFB);                        // cpPos.iLeft = -5
  EXPECT_EQ(bytes[68], 'W');                         // wszFriendlyName
  EXPECT_EQ(bytes[588], 'h');                        // wszSource
  EXPECT_EQ(bytes[4756], 'h');                       // wszSubscribedURL
  EXPECT_EQ(adstruct::DecodeComponent(bytes.data()), c);

  EXPECT_EQ(adstruct::EncodeOptions(ComponentsOptions{12, true, false}),
            (std::vector<std::uint8_t>{12, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(adstruct::EncodeWallpaperOptions(WallpaperOptions{8, wpstyle::Tile}),
            (std::vector<std::uint8_t>{8, 0, 0, 0, 1, 0, 0, 0}));

  // Paths: 259 characters at most, always terminated; an unterminated
  // buffer from a file stops at its end.
  const std::u16string longPath(300, u'x');
  std::vector<std::uint8_t> path = adstruct::EncodePath(longPath);
  ASSERT_EQ(path.size(), 520u);
  EXPECT_EQ(adstruct::DecodePath(path.data()), std::u16string(259, u'x'));
  std::vector<std::uint8_t> full(520 + 8, 'A');  // 'A' then bytes after the buffer
  full[520] = 'Z';
  EXPECT_EQ(adstruct::DecodePath(full.data()), std::u16string(260, u'\x4141'));
  std::vector<std::uint8_t> unterminated(8924, 0x41);
  DesktopComponent d = adstruct::DecodeComponent(unterminated.data());
  EXPECT_EQ(d.friendlyName.size(), 260u);
  EXPECT_EQ(d.source.size(), 2084u);
  EXPECT_EQ(d.subscribedUrl.size(), 2084u);
}

TEST_F(ActiveDesktopTest, MovesToAMachineThatHasItAndIsDescribed) {
  MemoryMachine source(okWin98), target(okWin98);
  source.SetActiveDesktop(Harbour());
  ItemResult saved = Save<TActiveDesktopSettings>(source);
  ASSERT_TRUE(saved.ok);
  EXPECT_EQ(Written(), 4 + 12 + 520 + 8 + 520 + 4 + 2 * 8924);
  EXPECT_TRUE(LogHas("Active desktop is installed"));
  EXPECT_TRUE(LogHas("2 Active Desktop items."));
  const std::vector<std::string> head{"ActiveDesktop is enabled",
                                      "Components are enabled",
                                      "Wallpaper is C:\\WINDOWS\\Harbour.htm",
                                      "Wallpaper is stretched",
                                      "Pattern is 170 85 170 85 170 85 170 85",
                                      "",
                                      "2 Active Desktop components found.",
                                      "1.  ",
                                      "Name : Weather",
                                      "Source : http://weather.example/",
                                      "Subscribed URL : http://weather.example/",
                                      "Type : Web site",
                                      "Active : Component is Active",
                                      "Position :",
                                      "  Left : 10",
                                      "  Top : 20",
                                      "  Width : 300",
                                      "  Height : 200",
                                      "  Z-Order : 1000",
                                      "  Resizable",
                                      "  Resizable Verically",
                                      "  PreferredLeftPercent : 40",
                                      "  PreferredTopPercent : 5",
                                      "",
                                      "2.  "};
  ASSERT_GE(saved.lines.size(), head.size());
  EXPECT_EQ(std::vector<std::string>(saved.lines.begin(), saved.lines.begin() + head.size()), head);
  EXPECT_TRUE(saved.Has("Active : Component is Inactive"));

  ItemResult loaded = Load<TActiveDesktopSettings>(target);
  ASSERT_TRUE(loaded.ok);
  EXPECT_EQ(Consumed(), Written());
  const ActiveDesktopSetup now = target.ActiveDesktopNow();
  EXPECT_EQ(now.options, Harbour().options);
  EXPECT_EQ(now.wallpaper, Harbour().wallpaper);
  EXPECT_EQ(now.wallpaperOptions, Harbour().wallpaperOptions);
  EXPECT_EQ(now.pattern, Harbour().pattern);
  ExpectSameComponents(now.components, Harbour().components);
  EXPECT_EQ(target.ActiveDesktopApplies(), std::vector<std::uint32_t>{7});
  EXPECT_EQ(loaded.lines, saved.lines);  // the target now says what the source said
  EXPECT_TRUE(LogHas("Component 2"));
  EXPECT_TRUE(LogHas("Name : Tides"));
  EXPECT_TRUE(LogHas("Component is Inactive"));
}

TEST_F(ActiveDesktopTest, AComponentTheTargetHasAlreadyIsModifiedInItsPlace) {
  MemoryMachine source(okWin98), target(okWin98);
  source.SetActiveDesktop(Harbour());
  ActiveDesktopSetup own = Harbour();
  own.components.resize(1);
  own.components[0].checked = false;
  own.components[0].type = comptype::Picture;
  own.components[0].position.left = 555;
  target.SetActiveDesktop(own);
  ASSERT_TRUE(Save<TActiveDesktopSettings>(source).ok);
  ASSERT_TRUE(Load<TActiveDesktopSettings>(target).ok);

  const ActiveDesktopSetup now = target.ActiveDesktopNow();
  ASSERT_EQ(now.components.size(), 2u);
  EXPECT_TRUE(now.components[0].checked);
  EXPECT_EQ(now.components[0].type, comptype::Website);
  EXPECT_EQ(now.components[0].position.left, 555);  // the place stays
  EXPECT_FALSE(now.components[0].dirty);
  EXPECT_TRUE(LogHas("AddDesktopItem failed : 80004005  " + TextOn(target, hr::Fail)));
  const std::vector<std::string> lines = log();
  auto before = std::find(lines.begin(), lines.end(), "Position Before:");
  ASSERT_NE(before, lines.end());
  EXPECT_EQ(std::vector<std::string>(before, before + 14),
            (std::vector<std::string>{"Position Before:", "Left : 555", "Top : 20", "Width : 300",
                                      "Height : 200", "Z-Order : 1000", "", "Position After:",
                                      "Left : 555", "Top : 20", "Width : 300", "Height : 200",
                                      "Z-Order : 1000", "Component 2"}));
}

TEST_F(ActiveDesktopTest, MachinesWithoutItSayWhatCannotBeDone) {
  MemoryMachine with(okWin98), without(okWinNT);
  with.SetActiveDesktop([] {
    ActiveDesktopSetup s = Harbour();
    s.components.resize(1);
    return s;
  }());

  // Saved where it is missing: the flag alone.
  ItemResult none = Save<TActiveDesktopSettings>(without);
  EXPECT_EQ(Written(), 4);
  EXPECT_EQ(none.lines, std::vector<std::string>{"ActiveDesktop is not installed."});
  EXPECT_TRUE(LogHas("Active desktop is not installed"));
  // ...and loaded where it is: nothing changes.
  const ActiveDesktopSetup kept = with.ActiveDesktopNow();
  ASSERT_TRUE(Load<TActiveDesktopSettings>(with).ok);
  EXPECT_EQ(with.ActiveDesktopNow(), kept);
  EXPECT_TRUE(with.ActiveDesktopApplies().empty());

  // A file with one component, loaded where it is missing.
  ASSERT_TRUE(Save<TActiveDesktopSettings>(with).ok);
  ItemResult loaded = Load<TActiveDesktopSettings>(without);
  ASSERT_TRUE(loaded.ok);
  EXPECT_EQ(Consumed(), Written());
  EXPECT_EQ(loaded.lines, (std::vector<std::string>{"Components cannot be installed.",
                                                    "ActiveDesktop is not installed."}));
  EXPECT_FALSE(without.ActiveDesktopNow().installed);
}

class ActiveDesktopFileTest : public ItemTest {
 protected:
  // A payload with `count` announced and the given component blocks.
  void Payload(std::int32_t count, const std::vector<std::vector<std::uint8_t>>& components) {
    TWriteMemoryConnection& w = NewPayload(okWin98);
    w.WriteBoolean(true);
    auto put = [&](const std::vector<std::uint8_t>& b) {
      w.WriteBuffer(b.data(), static_cast<std::uint32_t>(b.size()));
    };
    put(adstruct::EncodeOptions(ComponentsOptions{12, true, true}));
    put(std::vector<std::uint8_t>(520, 0x41));  // unterminated wallpaper path
    put(adstruct::EncodeWallpaperOptions(WallpaperOptions{}));
    put(adstruct::EncodePath(u"(None)"));
    w.WriteInteger(count);
    for (const auto& c : components) put(c);
  }
};

TEST_F(ActiveDesktopFileTest, ComponentsOfAnotherSizeAreNotAdded) {
  MemoryMachine target(okWin98);
  DesktopComponent odd = Component(u"Odd", u"http://odd/", true, 0);
  odd.size = 9000;
  DesktopComponent good = Component(u"Good", u"http://good/", true, 0);
  Payload(2, {adstruct::EncodeComponent(odd), adstruct::EncodeComponent(good)});
  ItemResult loaded = Load<TActiveDesktopSettings>(target);
  ASSERT_TRUE(loaded.ok);
  const ActiveDesktopSetup now = target.ActiveDesktopNow();
  ASSERT_EQ(now.components.size(), 1u);
  EXPECT_EQ(now.components[0].source, u"http://good/");
  EXPECT_TRUE(LogHas("Component passed over: its size is 9000"));
  // The unterminated path is cut at its buffer's end and then refused by
  // the shell as too long; the rest applies.
  EXPECT_TRUE(now.options.activeDesktop);
  EXPECT_EQ(now.pattern, u"(None)");
  EXPECT_TRUE(LogHas("SetWallpaper failed : 80070057  " + TextOn(target, hr::InvalidArg)));
}

TEST_F(ActiveDesktopFileTest, CountsTheStreamCannotHoldAreRefusedBeforeAnythingApplies) {
  for (std::int32_t count : {3, 0x7FFFFFFF, -1}) {
    SCOPED_TRACE(count);
    MemoryMachine target(okWin98);
    const ActiveDesktopSetup before = target.ActiveDesktopNow();
    Payload(count, {adstruct::EncodeComponent(Component(u"One", u"http://one/", true, 0))});
    if (count < 0) {
      EXPECT_FALSE(Load<TActiveDesktopSettings>(target).ok);
    } else {
      EXPECT_THROW(Load<TActiveDesktopSettings>(target), EConnectionReadError);
    }
    EXPECT_EQ(target.ActiveDesktopNow(), before);
    EXPECT_TRUE(target.ActiveDesktopApplies().empty());
  }
}

}  // namespace
}  // namespace qv::test
