// Screen saver and power-saving phases moving between machines.
#include "items/personality/power_settings.h"
#include "items/personality/screen_saver_settings.h"

#include "support/item_fixture.h"

namespace qv::test {
namespace {

constexpr const char* kDesktop = "Control Panel\\Desktop";

class ScreenSaverTest : public ItemTest {
 protected:
  static void SetSaver(MemoryMachine& m, const std::string& path) {
    SetIni(m, WinFile(m, "system.ini"), "boot", "SCRNSAVE.EXE", path);
  }
  static std::string Saver(MemoryMachine& m) {
    return Ini(m, WinFile(m, "system.ini"), "boot", "SCRNSAVE.EXE");
  }
  static void SetPasswordData(MemoryMachine& m, const std::vector<std::uint8_t>& bytes) {
    MachineScope on(m);
    UTLSetRegBinary(hkey::CurrentUser, kDesktop, "ScreenSave_Data", bytes.data(),
                    static_cast<std::uint32_t>(bytes.size()));
    ASSERT_TRUE(UTLSetRegDWORD(hkey::CurrentUser, kDesktop, "ScreenSaveUsePassword", 1));
  }
  static std::vector<std::uint8_t> PasswordData(MemoryMachine& m) {
    MachineScope on(m);
    std::vector<std::uint8_t> data(64);
    data.resize(UTLGetRegBinary(hkey::CurrentUser, kDesktop, "ScreenSave_Data", data.data(), 64));
    return data;
  }
};

TEST_F(ScreenSaverTest, ASaverFoundOnlyInTheSystemFolderIsSetAsStored) {
  MemoryMachine source(okWin95), target(okWin98);
  SetSaver(source, "C:\\Savers\\Marquee.scr");
  SetParameter(source, spi::SetScreenSaveTimeout, 600);
  ItemResult saved = Save<TScreenSaverSettings>(source);
  EXPECT_EQ(saved.lines,
            (std::vector<std::string>{
                "Screen saver set to C:\\Savers\\Marquee.scr",
                "The screen saver is invoked when the system has been idle for 10 minutes."}));

  PutFile(target, "C:\\WINDOWS\\SYSTEM\\Marquee.scr", "MZ");
  ItemResult loaded = Load<TScreenSaverSettings>(target);
  EXPECT_TRUE(loaded.ok);
  EXPECT_EQ(loaded.lines, saved.lines);
  EXPECT_EQ(Saver(target), "C:\\Savers\\Marquee.scr");
  EXPECT_EQ(Parameter(target, spi::GetScreenSaveTimeout), 600);
  EXPECT_TRUE(SettingChangePending);
}

TEST_F(ScreenSaverTest, AMissingSaverLeavesSystemIniButTheRestIsApplied) {
  MemoryMachine source(okWinNT), target(okWinNT);
  SetSaver(source, "C:\\WINNT\\system32\\Pipes.scr");
  SetParameter(source, spi::SetScreenSaveTimeout, 90);
  SetReg(source, hkey::CurrentUser, kDesktop, "ScreenSaverIsSecure", "1");
  SetIni(source, WinFile(target, "control.ini"), "Screen Saver.Pipes", "Speed", "7");
  ASSERT_TRUE(Save<TScreenSaverSettings>(source).ok);

  SetSaver(target, "C:\\WINNT\\system32\\logon.scr");
  SetParameter(target, spi::SetScreenSaveTimeout, 900);
  ItemResult loaded = Load<TScreenSaverSettings>(target);
  EXPECT_TRUE(loaded.ok);
  EXPECT_EQ(loaded.lines,
            (std::vector<std::string>{
                "Could not set screen saver to Pipes.scr because the file does not exist.",
                "The screen saver has not been changed.",
                "The screen saver is invoked when the system has been idle for 90 seconds.",
                "Screen saver uses password protection"}));
  EXPECT_EQ(Saver(target), "C:\\WINNT\\system32\\logon.scr");
  EXPECT_EQ(Parameter(target, spi::GetScreenSaveTimeout), 90);
  EXPECT_EQ(Ini(target, WinFile(target, "control.ini"), "Screen Saver.Pipes", "Speed"), "7");
  EXPECT_EQ(Reg(target, hkey::CurrentUser, kDesktop, "ScreenSaverIsSecure"), "1");
}

TEST_F(ScreenSaverTest, OnlyScreenSaverDotSectionsOfControlIniTravel) {
  MemoryMachine source(okWin98), target(okWin98);
  const std::string ini = "C:\\WINDOWS\\control.ini";
  SetIni(source, ini, "Screen Saver.Marquee", "Text", "Hello");
  SetIni(source, ini, "Screen Saver.Marquee", "Speed", "3");
  SetIni(source, ini, "sCrEeN sAvEr.Mystify", "Lines", "12");
  SetIni(source, ini, "ScreenSaver", "Secret", "no");
  SetIni(source, ini, "Other Screen Saver.X", "Y", "z");
  SetIni(target, ini, "Screen Saver.Marquee", "Speed", "1");
  SetIni(target, ini, "Screen Saver.Marquee", "Font", "Arial");

  ASSERT_TRUE(Save<TScreenSaverSettings>(source).ok);
  ASSERT_TRUE(Load<TScreenSaverSettings>(target).ok);
  EXPECT_EQ(Consumed(), Written());
  EXPECT_EQ(Ini(target, ini, "Screen Saver.Marquee", "Text"), "Hello");
  EXPECT_EQ(Ini(target, ini, "Screen Saver.Marquee", "Speed"), "3");
  EXPECT_EQ(Ini(target, ini, "Screen Saver.Marquee", "Font"), "Arial");
  EXPECT_EQ(Ini(target, ini, "Screen Saver.Mystify", "Lines"), "12");
  EXPECT_EQ(Ini(target, ini, "Other Screen Saver.X", "Y"), "z");
  EXPECT_EQ(Ini(target, ini, "ScreenSaver", "Secret"), "<none>");
  // The target's own sections keep their place and spelling.
  MachineScope on(target);
  std::vector<std::string> sections = target.Profiles()->ProfileSectionNames(ini);
  ASSERT_GE(sections.size(), 4u);
  EXPECT_EQ(sections[1], "Screen Saver.Marquee");
  EXPECT_EQ(sections[2], "sCrEeN sAvEr.Mystify");
}

TEST_F(ScreenSaverTest, AFileCannotWriteOtherSectionsOrBreakControlIniLines) {
  MemoryMachine target(okWin98);
  const std::string ini = WinFile(target, "control.ini");
  TWriteMemoryConnection& payload = NewPayload(okWin98);
  payload.WriteString("");
  payload.WriteInteger(60);
  payload.WriteString("Current");  // not a screen saver's section
  payload.WriteInteger(1);
  payload.WriteString("color schemes");
  payload.WriteString("Hacked");
  payload.WriteString("Screen Saver.Marquee");
  payload.WriteInteger(3);
  payload.WriteString("Text");
  payload.WriteString("Hello\r\n[boot]\r\nshell=evil.exe");
  payload.WriteString("Bad]Key");
  payload.WriteString("1");
  payload.WriteString("Speed");
  payload.WriteString("4");
  payload.WriteString("END-OF-LIST");
  payload.WriteBoolean(false);
  payload.WriteBoolean(false);

  ItemResult loaded = Load<TScreenSaverSettings>(target);
  EXPECT_TRUE(loaded.ok);
  EXPECT_EQ(Consumed(), Written());
  EXPECT_EQ(Ini(target, ini, "Current", "color schemes"), "Windows Standard");
  EXPECT_EQ(Ini(target, ini, "Screen Saver.Marquee", "Speed"), "4");
  EXPECT_EQ(Ini(target, ini, "Screen Saver.Marquee", "Text"), "<none>");
  EXPECT_EQ(Ini(target, ini, "boot", "shell"), "<none>");
  EXPECT_TRUE(LogHas("Screen saver section passed over: Current"));
}

TEST_F(ScreenSaverTest, TimeOutsAreWordedInMinutesOnlyWhenWhole) {
  MemoryMachine m(okWin98);
  for (auto [seconds, words] : std::vector<std::pair<std::uint32_t, std::string>>{
           {600, "10 minutes."}, {90, "90 seconds."}, {0, "0 minutes."}, {61, "61 seconds."}}) {
    SetParameter(m, spi::SetScreenSaveTimeout, seconds);
    ItemResult described = Describe<TScreenSaverSettings>(m);
    ASSERT_EQ(described.lines.size(), 2u);
    EXPECT_EQ(described.lines[0], "Screen saver set to none");
    EXPECT_EQ(described.lines[1],
              "The screen saver is invoked when the system has been idle for " + words);
  }
}

TEST_F(ScreenSaverTest, PasswordDataIsWrittenBackOnlyOnTheKindThatMadeIt) {
  const std::vector<std::uint8_t> data = {0x31, 0x9A, 0x00, 0x7F, 0xEE};
  MemoryMachine source(okWin95);
  SetPasswordData(source, data);
  ItemResult saved = Save<TScreenSaverSettings>(source);
  EXPECT_TRUE(saved.Has("Screen saver uses password protection"));

  MemoryMachine same(okWin95);
  ASSERT_TRUE(Load<TScreenSaverSettings>(same).ok);
  EXPECT_EQ(PasswordData(same), data);
  EXPECT_TRUE(LogHas("Password is present"));
  {
    MachineScope on(same);
    EXPECT_EQ(UTLGetRegDWORD(hkey::CurrentUser, kDesktop, "ScreenSaveUsePassword", 9), 1u);
  }

  for (OSKind kind : {okWin98, okWinNT}) {
    MemoryMachine other(kind);
    ItemResult loaded = Load<TScreenSaverSettings>(other);
    ASSERT_TRUE(loaded.ok);
    EXPECT_EQ(Consumed(), Written());  // the record was read past
    EXPECT_TRUE(PasswordData(other).empty());
    EXPECT_TRUE(loaded.Has("Screen saver uses password protection"));
    MachineScope on(other);
    if (kind == okWinNT)
      EXPECT_EQ(UTLGetRegString(hkey::CurrentUser, kDesktop, "ScreenSaverIsSecure", ""), "1");
    else
      EXPECT_EQ(UTLGetRegDWORD(hkey::CurrentUser, kDesktop, "ScreenSaveUsePassword", 9), 1u);
  }

  // Password data without the password switched on is not carried.
  MemoryMachine off(okWin98);
  SetPasswordData(off, data);
  {
    MachineScope on(off);
    UTLSetRegDWORD(hkey::CurrentUser, kDesktop, "ScreenSaveUsePassword", 0);
  }
  ASSERT_TRUE(Save<TScreenSaverSettings>(off).ok);
  MemoryMachine again(okWin98);
  ASSERT_TRUE(Load<TScreenSaverSettings>(again).ok);
  EXPECT_TRUE(PasswordData(again).empty());
  EXPECT_FALSE(LogHas("Password is present") && PasswordData(again).size());
}

TEST_F(ScreenSaverTest, EveryLoadSwitchesTheSaverOnAndAnEmptyPathRemovesIt) {
  MemoryMachine source(okWinNT), target(okWinNT);
  SetParameter(source, spi::SetScreenSaveActive, 0);
  ItemResult saved = Save<TScreenSaverSettings>(source);
  EXPECT_EQ(saved.lines.front(), "Screen saver set to none");

  SetSaver(target, "C:\\WINNT\\system32\\logon.scr");
  SetParameter(target, spi::SetScreenSaveActive, 0);
  ItemResult loaded = Load<TScreenSaverSettings>(target);
  EXPECT_TRUE(loaded.ok);
  EXPECT_EQ(Parameter(target, spi::GetScreenSaveActive), 1);
  EXPECT_EQ(Saver(target), "<none>");
  EXPECT_FALSE(loaded.Has("Screen saver uses password protection"));
  EXPECT_EQ(Reg(target, hkey::CurrentUser, kDesktop, "ScreenSaverIsSecure"), "0");
}

TEST_F(ScreenSaverTest, PowerPhasesMoveAndAnUnreadValueIsNeverApplied) {
  MemoryMachine source(okWin98), target(okWin98);
  SetParameter(source, spi::SetLowPowerActive, 1);
  SetParameter(source, spi::SetLowPowerTimeout, 1200);
  SetParameter(source, spi::SetPowerOffActive, 0);
  SetParameter(source, spi::SetPowerOffTimeout, 75);
  const std::vector<std::string> lines = {
      "The Low-Power phase of screen saving is active.",
      "Low Power Saving is activated after 20 minutes.",
      "The Power-off phase of screen saving is inactive.",
      "Power-Off Saving is activated after 75 seconds."};
  EXPECT_EQ(Save<TPowerSettings>(source).lines, lines);
  ItemResult loaded = Load<TPowerSettings>(target);
  EXPECT_TRUE(loaded.ok);
  std::vector<std::string> expected = {"PowerSaver settings:"};
  expected.insert(expected.end(), lines.begin(), lines.end());
  EXPECT_EQ(loaded.lines, expected);
  EXPECT_EQ(Parameter(target, spi::GetLowPowerActive), 1);
  EXPECT_EQ(Parameter(target, spi::GetLowPowerTimeout), 1200);
  EXPECT_EQ(Parameter(target, spi::GetPowerOffTimeout), 75);

  // Windows 95 has no power phases: nothing of it is applied elsewhere.
  MemoryMachine old(okWin95);
  const std::vector<std::string> absent = {
      "The Low-Power phase of screen saving is not enabled on this system",
      "The Power-off phase of screen saving is not enabled on this system"};
  EXPECT_EQ(Save<TPowerSettings>(old).lines, absent);
  const std::size_t logged = log().size();
  ItemResult none = Load<TPowerSettings>(target);
  EXPECT_TRUE(none.ok);
  EXPECT_EQ(Parameter(target, spi::GetLowPowerTimeout), 1200);
  EXPECT_EQ(Parameter(target, spi::GetLowPowerActive), 1);
  const std::vector<std::string> after = log();
  for (std::size_t i = logged; i < after.size(); ++i)
    EXPECT_EQ(after[i].find("SystemParameters Failed! id:8"), std::string::npos)
        << "a set was tried: " << after[i];

  // Windows NT 4.0 refuses the phases: a set that fails is logged, and the
  // item still succeeds.
  ASSERT_TRUE(Save<TPowerSettings>(source).ok);
  MemoryMachine nt(okWinNT);
  ItemResult refused = Load<TPowerSettings>(nt);
  EXPECT_TRUE(refused.ok);
  EXPECT_TRUE(LogHas("SystemParameters Failed! id:85 Error:1439 Invalid system-wide (SPI_*) parameter."));
}

}  // namespace
}  // namespace qv::test
