// The in-memory machine's system parameters: what each kind of Windows has,
// where the update flag stores values, display-mode changes, keyboard
// layouts, the clock's text, and how copies and Differences show changes.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/memory/memory_machine.h"
#include "platform/system_parameters.h"

namespace qv {
namespace {

std::uint32_t Get32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t(b[at + 3]) << 24);
}

void Put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::vector<std::uint8_t> SizedBlock(std::uint32_t size) {
  std::vector<std::uint8_t> b(size, 0);
  Put32(b, 0, size);
  return b;
}

std::string UserString(MemoryMachine& m, const char* path, const char* name) {
  RegKey k;
  if (m.Registry().OpenKey(hkey::CurrentUser, path, RegAccess::Read, k) != err::Success)
    return "<no key>";
  char buf[256] = {};
  std::uint32_t size = sizeof buf - 1;
  WinError e = m.Registry().QueryValue(k, name, nullptr, reinterpret_cast<std::uint8_t*>(buf), &size);
  m.Registry().CloseKey(k);
  return e == err::Success ? std::string(buf) : "<missing>";
}

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string out;
  for (const auto& l : lines) out += l + "\n";
  return out;
}

TEST(MemoryParameters, KindsHaveTheActionsTheirWindowsHad) {
  struct Expect {
    OSKind kind;
    bool power;        // SPI_GETLOWPOWERTIMEOUT and friends (32-bit callers)
    bool serialKeys;   // SPI_GETSERIALKEYS
    bool saverRunning; // SPI_GETSCREENSAVERRUNNING
    WinError unknown;  // the code for an action the system lacks
  };
  for (const Expect& x : {Expect{okWin95, false, true, false, err::InvalidParameter},
                          Expect{okWin98, true, true, true, err::InvalidParameter},
                          Expect{okWinNT, false, false, false, err::InvalidSpiValue}}) {
    SCOPED_TRACE(OSKindName(x.kind));
    MemoryMachine m(x.kind);
    ISystemParameters& p = *m.SystemParameters();
    std::int32_t v = -1;
    for (unsigned action : {spi::GetLowPowerTimeout, spi::GetPowerOffTimeout,
                            spi::GetLowPowerActive, spi::GetPowerOffActive}) {
      m.System().SetLastError(0);
      EXPECT_EQ(p.Parameter(action, 0, &v, 0), x.power) << action;
      if (!x.power) {
        EXPECT_EQ(m.System().LastError(), x.unknown) << action;
      }
    }
    EXPECT_EQ(p.Parameter(spi::SetLowPowerTimeout, 600, nullptr, 0), x.power);
    EXPECT_EQ(p.Parameter(spi::GetScreenSaverRunning, 0, &v, 0), x.saverRunning);

    std::vector<std::uint8_t> sk = SizedBlock(spisize::SerialKeys);
    ParameterTexts texts;
    EXPECT_EQ(p.ParameterBlock(spi::GetSerialKeys, spisize::SerialKeys, sk, 0, &texts),
              x.serialKeys);
    if (x.serialKeys) {
      EXPECT_EQ(texts.first, std::optional<std::string>("COM1"));
    }

    // Everybody has the screen saver, the metrics and the accessibility
    // structures.
    EXPECT_TRUE(p.Parameter(spi::GetScreenSaveTimeout, 0, &v, 0));
    EXPECT_EQ(v, 900);
    for (auto [action, size] : {std::pair{spi::GetFilterKeys, spisize::FilterKeys},
                                {spi::GetStickyKeys, spisize::StickyKeys},
                                {spi::GetMouseKeys, spisize::MouseKeys},
                                {spi::GetToggleKeys, spisize::ToggleKeys},
                                {spi::GetAccessTimeout, spisize::AccessTimeout},
                                {spi::GetSoundSentry, spisize::SoundSentry},
                                {spi::GetMinimizedMetrics, spisize::MinimizedMetrics}}) {
      std::vector<std::uint8_t> b = SizedBlock(size);
      EXPECT_TRUE(p.ParameterBlock(action, size, b, 0)) << action;
      EXPECT_EQ(Get32(b, 0), size) << action;
    }

    // Windows 98 added the gradient caption colours and the hot-track colour.
    const bool gradients = x.kind == okWin98;
    EXPECT_EQ(p.SysColor(27) != 0, gradients);
    EXPECT_EQ(p.SysColor(1), 0x808000u);  // the teal desktop
    EXPECT_EQ(p.SysColor(40), 0u);

    // Windows 95/98 give the hardware's default refresh rate as 0.
    DisplayMode mode;
    ASSERT_EQ(p.CurrentDisplayMode(mode), err::Success);
    EXPECT_EQ(mode.displayFrequency, x.kind == okWinNT ? 60u : 0u);
    EXPECT_EQ(mode.bitsPerPel, 16u);
  }
}

TEST(MemoryParameters, CallsAreCheckedAsWindowsChecksThem) {
  MemoryMachine m(okWinNT);
  ISystemParameters& p = *m.SystemParameters();
  std::int32_t v = 0;
  // A get needs somewhere to put the value; a structure needs its block.
  EXPECT_FALSE(p.Parameter(spi::GetScreenSaveTimeout, 0, nullptr, 0));
  EXPECT_FALSE(p.Parameter(spi::GetIconMetrics, 0, &v, 0));
  std::vector<std::uint8_t> small = SizedBlock(spisize::IconMetrics - 4);
  EXPECT_FALSE(p.ParameterBlock(spi::GetIconMetrics, spisize::IconMetrics, small, 0));
  std::vector<std::uint8_t> four = SizedBlock(4);
  EXPECT_FALSE(p.ParameterBlock(spi::GetScreenSaveTimeout, 0, four, 0));
  m.System().SetLastError(0);
  EXPECT_FALSE(p.ParameterText(spi::SetScreenSaveTimeout, 0, nullptr, 0));
  EXPECT_EQ(m.System().LastError(), err::InvalidParameter);
  EXPECT_FALSE(p.ParameterText(0x7FFE, 0, nullptr, 0));
  EXPECT_EQ(m.System().LastError(), err::InvalidSpiValue);
  EXPECT_EQ(m.System().ErrorMessage(err::InvalidSpiValue),
            "Invalid system-wide (SPI_*) parameter.\r\n");
  EXPECT_EQ(m.System().ErrorMessage(13), "The data is invalid.\r\n");

  // Boolean values come back as 0 or 1.
  ASSERT_TRUE(p.Parameter(spi::SetScreenSaveActive, 7, nullptr, 0));
  ASSERT_TRUE(p.Parameter(spi::GetScreenSaveActive, 0, &v, 0));
  EXPECT_EQ(v, 1);

  // Colour lists of different lengths are refused; unknown indices skipped.
  EXPECT_EQ(p.ChangeSysColors({1, 2}, {0}), err::InvalidParameter);
  EXPECT_EQ(p.ChangeSysColors({99, 5}, {0x123456, 0x654321}), err::Success);
  EXPECT_EQ(p.SysColor(5), 0x654321u);
  EXPECT_EQ(p.SysColor(99), 0u);
}

TEST(MemoryParameters, UpdateFlagStoresTheRegistryValues) {
  MemoryMachine m(okWin95);
  ISystemParameters& p = *m.SystemParameters();
  const char* desktop = "Control Panel\\Desktop";
  const char* mouse = "Control Panel\\Mouse";
  const char* keyboard = "Control Panel\\Keyboard";
  EXPECT_EQ(UserString(m, desktop, "ScreenSaveTimeOut"), "900");

  // Without the flag only the running system changes.
  ASSERT_TRUE(p.Parameter(spi::SetScreenSaveTimeout, 600, nullptr, 0));
  EXPECT_EQ(UserString(m, desktop, "ScreenSaveTimeOut"), "900");
  ASSERT_TRUE(p.Parameter(spi::SetScreenSaveTimeout, 300, nullptr, spif::UpdateIniFile));
  EXPECT_EQ(UserString(m, desktop, "ScreenSaveTimeOut"), "300");

  ASSERT_TRUE(p.Parameter(spi::SetScreenSaveActive, 0, nullptr, spif::UpdateIniFile));
  EXPECT_EQ(UserString(m, desktop, "ScreenSaveActive"), "0");
  ASSERT_TRUE(p.Parameter(spi::SetKeyboardSpeed, 20, nullptr, spif::UpdateIniFile));
  ASSERT_TRUE(p.Parameter(spi::SetKeyboardDelay, 3, nullptr, spif::UpdateIniFile));
  EXPECT_EQ(UserString(m, keyboard, "KeyboardSpeed"), "20");
  EXPECT_EQ(UserString(m, keyboard, "KeyboardDelay"), "3");

  // The set-only mouse actions reach the metrics and the double-click time.
  ASSERT_TRUE(p.Parameter(spi::SetDoubleClickTime, 350, nullptr, spif::UpdateIniFile));
  EXPECT_EQ(p.DoubleClickTime(), 350u);
  EXPECT_EQ(UserString(m, mouse, "DoubleClickSpeed"), "350");
  ASSERT_TRUE(p.Parameter(spi::SetMouseButtonSwap, 1, nullptr, spif::UpdateIniFile));
  EXPECT_EQ(m.System().Metric(sm::SwapButton), 1);
  EXPECT_EQ(UserString(m, mouse, "SwapMouseButtons"), "1");
  ASSERT_TRUE(p.Parameter(spi::SetDoubleClkWidth, 8, nullptr, spif::UpdateIniFile));
  EXPECT_EQ(m.System().Metric(sm::CxDoubleClk), 8);
  EXPECT_EQ(UserString(m, mouse, "DoubleClickWidth"), "8");

  std::vector<std::uint8_t> speeds(spisize::MouseBlock, 0);
  Put32(speeds, 0, 4);
  Put32(speeds, 4, 12);
  Put32(speeds, 8, 2);
  ASSERT_TRUE(p.ParameterBlock(spi::SetMouse, 0, speeds, spif::UpdateIniFile));
  EXPECT_EQ(UserString(m, mouse, "MouseThreshold1"), "4");
  EXPECT_EQ(UserString(m, mouse, "MouseThreshold2"), "12");
  EXPECT_EQ(UserString(m, mouse, "MouseSpeed"), "2");
  std::vector<std::uint8_t> back(spisize::MouseBlock, 0);
  ASSERT_TRUE(p.ParameterBlock(spi::GetMouse, 0, back, 0));
  EXPECT_EQ(back, speeds);

  // The wallpaper must exist; the pattern is taken as given.
  const std::string missing = "C:\\WINDOWS\\nothing.bmp";
  m.System().SetLastError(0);
  EXPECT_FALSE(p.ParameterText(spi::SetDeskWallpaper, 0, &missing, spif::UpdateIniFile));
  EXPECT_EQ(m.System().LastError(), err::FileNotFound);
  EXPECT_EQ(UserString(m, desktop, "Wallpaper"), "(None)");
  const std::string bitmap = "C:\\WINDOWS\\win.ini";  // any file does
  EXPECT_TRUE(p.ParameterText(spi::SetDeskWallpaper, 0, &bitmap, spif::UpdateIniFile));
  EXPECT_EQ(UserString(m, desktop, "Wallpaper"), bitmap);
  const std::string pattern = "170 85 170 85 170 85 170 85";
  EXPECT_TRUE(p.ParameterText(spi::SetDeskPattern, 0, &pattern, spif::UpdateIniFile));
  EXPECT_EQ(UserString(m, desktop, "Pattern"), pattern);
}

TEST(MemoryParameters, StructuresKeepWhatWasSetAndShowItElsewhere) {
  MemoryMachine m(okWinNT);
  ISystemParameters& p = *m.SystemParameters();

  // The border parameter is the border width of the window metrics.
  ASSERT_TRUE(p.Parameter(spi::SetBorder, 3, nullptr, 0));
  std::vector<std::uint8_t> ncm = SizedBlock(spisize::NonClientMetrics);
  ASSERT_TRUE(p.ParameterBlock(spi::GetNonClientMetrics, spisize::NonClientMetrics, ncm, 0));
  EXPECT_EQ(Get32(ncm, 4), 3u);
  Put32(ncm, 4, 5);
  ASSERT_TRUE(p.ParameterBlock(spi::SetNonClientMetrics, spisize::NonClientMetrics, ncm, 0));
  std::int32_t border = 0;
  ASSERT_TRUE(p.Parameter(spi::GetBorder, 0, &border, 0));
  EXPECT_EQ(border, 5);

  // The icon title font is the font of the icon metrics; their spacing is
  // the icon spacing metric.
  std::vector<std::uint8_t> icon = SizedBlock(spisize::IconMetrics);
  ASSERT_TRUE(p.ParameterBlock(spi::GetIconMetrics, spisize::IconMetrics, icon, 0));
  std::vector<std::uint8_t> font(icon.begin() + 16, icon.end());
  font[0] = 0xF0;  // lfHeight -16
  ASSERT_TRUE(p.ParameterBlock(spi::SetIconTitleLogFont, spisize::LogFont, font, 0));
  ASSERT_TRUE(p.ParameterBlock(spi::GetIconMetrics, spisize::IconMetrics, icon, 0));
  EXPECT_EQ(static_cast<std::int32_t>(Get32(icon, 16)), -16);
  Put32(icon, 4, 90);
  ASSERT_TRUE(p.ParameterBlock(spi::SetIconMetrics, spisize::IconMetrics, icon, 0));
  EXPECT_EQ(m.System().Metric(sm::CxIconSpacing), 90);

  // Texts travel beside the block; pointer fields in it are ignored.
  std::vector<std::uint8_t> hc = SizedBlock(spisize::HighContrast);
  Put32(hc, 4, 1);
  Put32(hc, 8, 0x12345678);
  ParameterTexts scheme{std::string("High Contrast White"), std::nullopt};
  ASSERT_TRUE(p.ParameterBlock(spi::SetHighContrast, spisize::HighContrast, hc, 0, &scheme));
  std::vector<std::uint8_t> got = SizedBlock(spisize::HighContrast);
  ParameterTexts texts;
  ASSERT_TRUE(p.ParameterBlock(spi::GetHighContrast, spisize::HighContrast, got, 0, &texts));
  EXPECT_EQ(Get32(got, 4), 1u);
  EXPECT_EQ(Get32(got, 8), 0u);
  EXPECT_EQ(texts.first, scheme.first);
}

TEST(MemoryParameters, DisplayModeChangesFollowTheFlags) {
  MemoryMachine nt(okWinNT);
  ISystemParameters& p = *nt.SystemParameters();
  const DisplayMode before = [&] {
    DisplayMode m;
    p.CurrentDisplayMode(m);
    return m;
  }();
  DisplayMode smaller{dm::PelsWidth | dm::PelsHeight, 0, 800, 600, 0};
  EXPECT_EQ(p.ChangeDisplayMode(smaller, cds::Test), disp::Successful);
  DisplayMode now;
  p.CurrentDisplayMode(now);
  EXPECT_EQ(now, before);
  EXPECT_EQ(p.ChangeDisplayMode(smaller, 0x100), disp::BadFlags);
  EXPECT_EQ(p.ChangeDisplayMode(DisplayMode{dm::BitsPerPel, 4, 0, 0, 0}, 0), disp::BadMode);
  DisplayMode rate = smaller;
  rate.fields |= dm::DisplayFrequency;
  rate.displayFrequency = 85;  // not offered
  EXPECT_EQ(p.ChangeDisplayMode(rate, 0), disp::BadMode);

  // Fields that are not named keep their value.
  ASSERT_EQ(p.ChangeDisplayMode(smaller, cds::UpdateRegistry), disp::Successful);
  p.CurrentDisplayMode(now);
  EXPECT_EQ(now.pelsWidth, 800u);
  EXPECT_EQ(now.bitsPerPel, before.bitsPerPel);
  EXPECT_EQ(now.displayFrequency, before.displayFrequency);
  EXPECT_EQ(nt.System().Metric(sm::CxScreen), 800);
  EXPECT_EQ(nt.System().DeviceCaps(caps::VertRes), 600);
  // The cursor stays on the smaller screen.
  Point cursor;
  p.MoveCursor(Point{5000, -3});
  p.CursorPosition(cursor);
  EXPECT_EQ(cursor, (Point{799, 0}));

  // Windows 95 needs a restart for another colour depth; the registry gets
  // the new mode only with the update flag.
  MemoryMachine w95(okWin95);
  ISystemParameters& q = *w95.SystemParameters();
  DisplayMode deeper{dm::BitsPerPel, 24, 0, 0, 0};
  EXPECT_EQ(q.ChangeDisplayMode(deeper, cds::Test), disp::Restart);
  EXPECT_EQ(q.ChangeDisplayMode(deeper, cds::UpdateRegistry), disp::Restart);
  EXPECT_EQ(w95.System().DeviceCaps(caps::BitsPixel), 16);
  RegKey k;
  ASSERT_EQ(w95.Registry().OpenKey(hkey::CurrentConfig, "Display\\Settings", RegAccess::Read, k),
            err::Success);
  char bits[16] = {};
  std::uint32_t size = sizeof bits - 1;
  ASSERT_EQ(w95.Registry().QueryValue(k, "BitsPerPixel", nullptr,
                                      reinterpret_cast<std::uint8_t*>(bits), &size),
            err::Success);
  w95.Registry().CloseKey(k);
  EXPECT_STREQ(bits, "24");

  MemoryMachine w98(okWin98);
  EXPECT_EQ(w98.SystemParameters()->ChangeDisplayMode(deeper, 0), disp::Successful);
  EXPECT_EQ(w98.System().DeviceCaps(caps::BitsPixel), 24);
}

TEST(MemoryParameters, KeyboardLayoutsAndLocales) {
  MemoryMachine m(okWin98);
  ISystemParameters& p = *m.SystemParameters();
  std::string name;
  ASSERT_EQ(p.KeyboardLayoutName(name), err::Success);
  EXPECT_EQ(name, "00000409");
  EXPECT_EQ(p.LoadKeyboardLayoutByName("00000407", 0), err::Success);
  p.KeyboardLayoutName(name);
  EXPECT_EQ(name, "00000409");  // loaded, not active
  EXPECT_EQ(p.LoadKeyboardLayoutByName("0000040c", klf::Activate), err::Success);
  p.KeyboardLayoutName(name);
  EXPECT_EQ(name, "0000040C");
  EXPECT_EQ(p.LoadKeyboardLayoutByName("00000999", klf::Activate), err::FileNotFound);
  EXPECT_EQ(p.LoadKeyboardLayoutByName("German", klf::Activate), err::InvalidParameter);
  p.KeyboardLayoutName(name);
  EXPECT_EQ(name, "0000040C");

  std::string language;
  ASSERT_EQ(p.LocaleText(0x0407, localeinfo::SLanguage, language), err::Success);
  EXPECT_EQ(language, "German (Standard)");
  EXPECT_EQ(p.LocaleText(0x7777, localeinfo::SLanguage, language), err::InvalidParameter);
}

TEST(MemoryParameters, DateTimeTextShowsTheClockWithoutAdvancingIt) {
  MemoryMachine m(okWinNT);
  const FileTime newYear2001 = 126227808000000000ull;
  m.SetClock(newYear2001);
  EXPECT_EQ(m.System().DateTimeText(), "1/1/01 12:00:00 AM");
  EXPECT_EQ(m.System().DateTimeText(), "1/1/01 12:00:00 AM");
  EXPECT_EQ(m.Now(), newYear2001);
  // 2001-12-31 13:05:09.
  m.SetClock(newYear2001 + (364ull * 86400 + 13 * 3600 + 5 * 60 + 9) * 10'000'000ull);
  EXPECT_EQ(m.System().DateTimeText(), "12/31/01 1:05:09 PM");
  // 2000-02-29 12:00:00 (a leap day, noon).
  m.SetClock(newYear2001 - (307ull * 86400 - 12 * 3600) * 10'000'000ull);
  EXPECT_EQ(m.System().DateTimeText(), "2/29/00 12:00:00 PM");
}

TEST(MemoryParameters, DifferencesShowChangesAndTheirUndo) {
  MemoryMachine machine(okWin98);
  MemoryMachine before(machine);
  ISystemParameters& p = *machine.SystemParameters();
  EXPECT_TRUE(MemoryMachine::Differences(before, machine).empty());

  ASSERT_TRUE(p.Parameter(spi::SetScreenSaveTimeout, 600, nullptr, 0));
  ASSERT_EQ(p.ChangeSysColors({1}, {0x000000}), err::Success);
  ASSERT_TRUE(p.Parameter(spi::SetLowPowerActive, 1, nullptr, 0));
  std::vector<std::uint8_t> anim = SizedBlock(spisize::AnimationInfo);
  ASSERT_TRUE(p.ParameterBlock(spi::SetAnimation, spisize::AnimationInfo, anim, 0));
  ASSERT_EQ(p.ChangeDisplayMode(DisplayMode{dm::PelsWidth | dm::PelsHeight, 0, 800, 600, 0}, 0),
            disp::Successful);
  ASSERT_EQ(p.LoadKeyboardLayoutByName("00000407", klf::Activate), err::Success);
  ASSERT_EQ(p.ChangeDoubleClickTime(700), err::Success);
  ASSERT_EQ(p.ChangeCaretBlinkTime(200), err::Success);
  ASSERT_EQ(p.MoveCursor(Point{1, 2}), err::Success);

  auto lines = MemoryMachine::Differences(before, machine);
  SCOPED_TRACE(Joined(lines));
  EXPECT_TRUE(Contains(lines, "system parameter 14: 900 -> 600"));
  EXPECT_TRUE(Contains(lines, "system parameter 83: 0 -> 1"));
  EXPECT_TRUE(Contains(lines, "system parameter 72: byte 4 of 8: 0x01 -> 0x00"));
  EXPECT_TRUE(Contains(lines, "system colour 1: 0x808000 -> 0x000000"));
  EXPECT_TRUE(Contains(lines, "system display mode 1024x768x16 at 0 Hz -> 800x600x16 at 0 Hz"));
  EXPECT_TRUE(Contains(lines, "system metric 0: 1024 -> 800"));
  EXPECT_TRUE(Contains(lines, "system keyboard layout \"00000409\" -> \"00000407\""));
  EXPECT_TRUE(Contains(lines, "system double-click time 500 -> 700"));
  EXPECT_TRUE(Contains(lines, "system caret blink time 530 -> 200"));
  EXPECT_TRUE(Contains(lines, "system cursor position (512, 384) -> (1, 2)"));

  // Putting everything back makes the machines alike again.
  ASSERT_TRUE(p.Parameter(spi::SetScreenSaveTimeout, 900, nullptr, 0));
  ASSERT_EQ(p.ChangeSysColors({1}, {0x808000}), err::Success);
  ASSERT_TRUE(p.Parameter(spi::SetLowPowerActive, 0, nullptr, 0));
  Put32(anim, 4, 1);
  ASSERT_TRUE(p.ParameterBlock(spi::SetAnimation, spisize::AnimationInfo, anim, 0));
  ASSERT_EQ(p.ChangeDisplayMode(DisplayMode{dm::PelsWidth | dm::PelsHeight, 0, 1024, 768, 0}, 0),
            disp::Successful);
  ASSERT_EQ(p.LoadKeyboardLayoutByName("00000409", klf::Activate), err::Success);
  ASSERT_EQ(p.ChangeDoubleClickTime(500), err::Success);
  ASSERT_EQ(p.ChangeCaretBlinkTime(530), err::Success);
  ASSERT_EQ(p.MoveCursor(Point{512, 384}), err::Success);
  EXPECT_EQ(Joined(MemoryMachine::Differences(before, machine)), "");
}

TEST(MemoryParameters, SettingChangeNoticesAreCounted) {
  MemoryMachine m(okWinNT);
  ISystemParameters& p = *m.SystemParameters();
  EXPECT_EQ(m.SettingChangeBroadcasts(), 0);
  p.BroadcastSettingChange();
  p.BroadcastSettingChange();
  EXPECT_EQ(m.SettingChangeBroadcasts(), 2);

  // A set with SPIF_SENDWININICHANGE notifies by itself; it is counted
  // apart from the broadcasts.
  ASSERT_TRUE(p.Parameter(spi::SetScreenSaveTimeout, 60, nullptr,
                          spif::UpdateIniFile | spif::SendWinIniChange));
  ASSERT_TRUE(p.Parameter(spi::SetScreenSaveTimeout, 90, nullptr, spif::UpdateIniFile));
  EXPECT_EQ(m.SettingChangeNotices(), 1);
  EXPECT_EQ(m.SettingChangeBroadcasts(), 2);

  // A copy is a new machine that has sent nothing yet, and the counts are
  // no difference between machines.
  MemoryMachine copy(m);
  EXPECT_EQ(copy.SettingChangeBroadcasts(), 0);
  EXPECT_EQ(copy.SettingChangeNotices(), 0);
  EXPECT_TRUE(MemoryMachine::Differences(m, copy).empty());
}

}  // namespace
}  // namespace qv
