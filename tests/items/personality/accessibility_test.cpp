// Accessibility features and sound schemes moving between machines.
#include <cstring>

#include "items/personality/accessibility_settings.h"
#include "items/personality/sound_settings.h"
#include "support/item_fixture.h"
#include "support/refusing_machine.h"

namespace qv::test {
namespace {

constexpr const char* kSerialKeys = "Control Panel\\Accessibility\\SerialKeys";

struct Block {
  std::vector<std::uint8_t> bytes;
  ParameterTexts texts;
};

Block Get(Machine& m, unsigned action, std::uint32_t size) {
  Block b;
  b.bytes.assign(size, 0);
  b.bytes[0] = static_cast<std::uint8_t>(size);
  EXPECT_TRUE(m.SystemParameters()->ParameterBlock(action, size, b.bytes, 0, &b.texts)) << action;
  return b;
}

void Set(Machine& m, unsigned action, const std::vector<std::uint8_t>& bytes,
         ParameterTexts texts = {}) {
  std::vector<std::uint8_t> copy = bytes;
  ASSERT_TRUE(m.SystemParameters()->ParameterBlock(action, static_cast<std::uint32_t>(copy.size()),
                                                   copy, spif::UpdateIniFile, &texts))
      << action;
}

// Every feature away from a fresh machine's values.
void Customise(MemoryMachine& m, bool serialKeys) {
  AccessTimeout at;
  at.dwFlags = 3;
  at.iTimeOutMSec = 600000;
  Set(m, spi::SetAccessTimeout, at.ToBytes());
  FilterKeys fk;
  fk.dwFlags = 0x13;
  fk.iWaitMSec = 700;
  fk.iDelayMSec = 800;
  fk.iRepeatMSec = 300;
  fk.iBounceMSec = 20;
  Set(m, spi::SetFilterKeys, fk.ToBytes());
  MouseKeys mk;
  mk.dwFlags = 0x47;
  mk.iMaxSpeed = 120;
  mk.iTimeToMaxSpeed = 2000;
  mk.iCtrlSpeed = 4;
  Set(m, spi::SetMouseKeys, mk.ToBytes());
  StickyKeys sk;
  sk.dwFlags = 0x103;
  Set(m, spi::SetStickyKeys, sk.ToBytes());
  ToggleKeys tk;
  tk.dwFlags = 0x07;
  Set(m, spi::SetToggleKeys, tk.ToBytes());
  if (serialKeys) {
    SerialKeys ser;
    ser.dwFlags = 0x07;
    ser.iBaudRate = 9600;
    ser.iActive = 1;
    Set(m, spi::SetSerialKeys, ser.ToBytes(), {std::string("COM2"), {}});
  }
  HighContrast hc;
  hc.dwFlags = 0x03;
  Set(m, spi::SetHighContrast, hc.ToBytes(), {std::string("High Contrast White"), {}});
  SoundSentry ss;
  ss.dwFlags = 0x03;
  ss.iFSTextEffect = 1;
  ss.iFSTextEffectMSec = 250;
  ss.iFSGrafEffect = 3;
  ss.iFSGrafEffectMSec = 260;
  ss.iWindowsEffect = 2;
  ss.iWindowsEffectMSec = 270;
  Set(m, spi::SetSoundSentry, ss.ToBytes(), {std::string("C:\\WINDOWS\\flash.dll"), {}});
  ASSERT_TRUE(m.SystemParameters()->Parameter(spi::SetKeyboardPref, 1, nullptr, 1));
  ASSERT_TRUE(m.SystemParameters()->Parameter(spi::SetShowSounds, 1, nullptr, 1));
}

const struct {
  unsigned get;
  std::uint32_t size;
} kStructures[] = {{spi::GetAccessTimeout, 12}, {spi::GetFilterKeys, 24}, {spi::GetMouseKeys, 28},
                   {spi::GetStickyKeys, 8},     {spi::GetToggleKeys, 8},  {spi::GetSerialKeys, 28},
                   {spi::GetHighContrast, 12},  {spi::GetSoundSentry, 48}};

class AccessibilityTest : public ItemTest {
 protected:
  // Runs the item's Write on any machine (a refusing one included).
  ItemResult SaveOn(Machine& m, OSKind kind) {
    TWriteMemoryConnection& w = NewPayload(kind);
    MachineScope on(m);
    TAccessibilitySettings item;
    ItemResult r;
    r.ok = item.Write(w);
    r.lines = *w.GetComments();
    return r;
  }
  ItemResult LoadOn(Machine& m) {
    auto reader = ReaderOf(written());
    reader->OSVersion = written().OSVersion;
    MachineScope on(m);
    TAccessibilitySettings item;
    ItemResult r;
    r.ok = item.Read(*reader);
    r.lines = *reader->GetComments();
    EXPECT_EQ(reader->GetPosition(), written().Position());
    return r;
  }
  // A payload by hand.
  void Payload(const AccessTimeout& at, const FilterKeys& fk, const MouseKeys& mk,
               const StickyKeys& sk, const ToggleKeys& tk, const SerialKeys& ser,
               const std::string& activePort, const std::string& port, const HighContrast& hc,
               const std::string& scheme, const SoundSentry& ss, const std::string& dll,
               std::uint32_t keyboardPref, std::uint32_t showSounds) {
    TWriteMemoryConnection& w = NewPayload(okWin98);
    auto raw = [&](const std::vector<std::uint8_t>& b) {
      w.WriteBuffer(b.data(), static_cast<std::uint32_t>(b.size()));
    };
    raw(at.ToBytes());
    raw(fk.ToBytes());
    raw(mk.ToBytes());
    raw(sk.ToBytes());
    raw(tk.ToBytes());
    raw(ser.ToBytes());
    w.WriteString(activePort);
    w.WriteString(port);
    raw(hc.ToBytes());
    w.WriteString(scheme);
    raw(ss.ToBytes());
    w.WriteString(dll);
    w.WriteInteger(static_cast<std::int32_t>(keyboardPref));
    w.WriteInteger(static_cast<std::int32_t>(showSounds));
  }
};

TEST_F(AccessibilityTest, EveryFeatureMovesBetweenWindows98Machines) {
  MemoryMachine source(okWin98), target(okWin98);
  Customise(source, true);
  ItemResult saved = Save<TAccessibilitySettings>(source);
  ASSERT_TRUE(saved.ok);
  ItemResult loaded = Load<TAccessibilitySettings>(target);
  ASSERT_TRUE(loaded.ok);
  EXPECT_EQ(Consumed(), Written());
  EXPECT_EQ(loaded.lines, saved.lines);
  for (const auto& s : kStructures) {
    SCOPED_TRACE(s.get);
    Block from = Get(source, s.get, s.size), to = Get(target, s.get, s.size);
    EXPECT_EQ(to.bytes, from.bytes);
    EXPECT_EQ(to.texts.first, from.texts.first);
  }
  EXPECT_EQ(Parameter(target, spi::GetKeyboardPref), 1);
  EXPECT_EQ(Parameter(target, spi::GetShowSounds), 1);
  EXPECT_TRUE(saved.Has("Accessibility features timeout in 10 minutes."));
  EXPECT_TRUE(saved.Has("Active Port : COM2"));
  EXPECT_FALSE(RestartRequired);
}

TEST_F(AccessibilityTest, TheDescriptionSaysEveryFlagInItsOrder) {
  AccessTimeout at;
  at.dwFlags = 3;
  at.iTimeOutMSec = 300000;
  FilterKeys fk;
  fk.cbSize = 0;
  MouseKeys mk;
  mk.dwFlags = 0xFF;
  mk.iMaxSpeed = 40;
  mk.iTimeToMaxSpeed = 300;
  mk.iCtrlSpeed = 80;
  StickyKeys sk;
  sk.dwFlags = 0;
  ToggleKeys tk;
  tk.dwFlags = 0x1F;
  SerialKeys ser;
  ser.dwFlags = 0x07;
  ser.iActive = 1;
  ser.iBaudRate = 9600;
  HighContrast hc;
  hc.dwFlags = 0x7F;
  SoundSentry ss;
  ss.dwFlags = 0x03;
  ss.iFSTextEffect = 2;
  ss.iFSTextEffectMSec = 500;
  ss.iFSGrafEffect = 0;
  ss.iFSGrafEffectMSec = 600;
  ss.iWindowsEffect = 7;
  ss.iWindowsEffectMSec = 700;
  Payload(at, fk, mk, sk, tk, ser, "COM2", "COM4", hc, "High Contrast White", ss, "",
          kUnreadParameter, 1);
  MemoryMachine target(okWin98);
  const Block filterBefore = Get(target, spi::GetFilterKeys, 24);
  ItemResult loaded = Load<TAccessibilitySettings>(target);
  ASSERT_TRUE(loaded.ok);
  const std::vector<std::string> expected = {
      "The system plays a descending siren sound when the time-out period elapses and the "
      "accessibility features are turned off",
      "Accessibility features timeout in 5 minutes.",
      "",
      "The Filterkeys feature is unavailable.",
      "",
      "The MouseKeys feature is available.",
      "The MouseKeys feature is on.",
      "A confirmation dialog box appears when the MouseKeys feature is activated by using the hot "
      "key.",
      "The user can turn the MouseKeys feature on and off by using the hot key, which is LEFT "
      "ALT+LEFT SHIFT+NUM LOCK.",
      "The system plays a siren sound when the user turns the MouseKeys feature on or off by using "
      "the hot key.",
      "A visual indicator is displayed when the MouseKeys feature is on.",
      "The numeric keypad moves the mouse when the NUM LOCK key is on.",
      "The maximum speed the mouse cursor attains when an arrow key is held down is 40",
      "The length of time that it takes for the mouse cursor to reach maximum speed when an arrow "
      "key is held down is 300 ms.",
      "The CTRL key increases cursor speed by a factor of 80, and the SHIFT key causes the cursor "
      "to delay briefly after moving a single pixel, allowing fine positioning of the cursor.",
      "",
      "The StickyKeys feature is unavailable.",
      "the StickyKeys feature is off.",
      "",
      "The ToggleKeys feature is available.",
      "The ToggleKeys feature is on.",
      "A confirmation dialog box appears when the Togglekeys feature is activated by using the hot "
      "key.",
      "The ToggleKeys feature can be turned on and off by holding down the NUM LOCK key for eight "
      "seconds.",
      "The system plays a siren sound when the ToggleKeys feature is turned on or off by using the "
      "hot key.",
      "",
      "The SerialKeys feature is currently receiving input on the port COM4. Baud rate is 9600",
      "The SerialKeys feature is on.",
      "The SerialKeys feature is available.",
      "A visual indicator is displayed when the SerialKeys feature is on.",
      "Active Port : COM2",
      "Baud Rate : 9600",
      "",
      "The High Contrast feature is available.",
      "The High Contrast feature is on.",
      "The user can turn the High Contrast Mode on and off by simultaneously pressing the left "
      "ALT, "
      "left SHIFT, and PRINT SCREEN keys.",
      "A confirmation dialog appears when the the High Contrast Mode is activated by using the hot "
      "key.",
      "The hot key associated with the High Contrast Mode can be enabled.",
      "A siren is played when the user turns the High Contrast Mode on or off by using the hot "
      "key.",
      "A visual indicator is displayed when the High Contrast Mode is on.",
      "",
      "The SoundSentry feature is available.",
      "The SoundSentry feature is on.",
      "The computer will flash the screen border (that is, the overscan area), which is "
      "unavailable on some displays for 500 ms. when a text-mode application generates a sound "
      "while running full-screen.",
      "The computer will generate no visual signal for 600 ms. when a graphics-mode application "
      "generates a sound.",
      "The computer will  for 700 ms. when a Windows-based application or an MS-DOS application "
      "running in a window generates a sound.",
      "",
      "Applications should display captions for the speech and sounds they make."};
  EXPECT_EQ(loaded.lines, expected);
  EXPECT_EQ(Get(target, spi::GetFilterKeys, 24).bytes, filterBefore.bytes);
  EXPECT_EQ(Parameter(target, spi::GetKeyboardPref), 0);  // unread on the source
  Block serial = Get(target, spi::GetSerialKeys, 28);
  EXPECT_EQ(serial.texts.first, std::optional<std::string>("COM2"));
}

TEST_F(AccessibilityTest, TheOtherFlagSentences) {
  FilterKeys fk;
  fk.dwFlags = 0x7F;
  fk.iWaitMSec = 1;
  fk.iDelayMSec = 2;
  fk.iRepeatMSec = 3;
  fk.iBounceMSec = 4;
  StickyKeys sk;
  sk.dwFlags = 0x1FF;
  AccessTimeout off;
  off.dwFlags = 0;
  MouseKeys mk;
  mk.dwFlags = 0;
  ToggleKeys tk;
  tk.dwFlags = 0;
  SerialKeys ser;
  ser.cbSize = 0;
  HighContrast hc;
  hc.dwFlags = 0;
  SoundSentry ss;
  ss.cbSize = 0;
  Payload(off, fk, mk, sk, tk, ser, "", "", hc, "", ss, "", 0, 0);
  MemoryMachine target(okWinNT);
  ItemResult loaded = Load<TAccessibilitySettings>(target);
  ASSERT_TRUE(loaded.ok);
  const std::vector<std::string> expected = {
      "The accessibility features will not time out.",
      "",
      "Filter keys are available.",
      "The computer makes a click sound when a key is pressed or accepted, that is, if SlowKeys is "
      "on, the acceptance is separated from the press and gets a separate click.",
      "Filter keys are on.",
      "FilterKeys feature can be turned on or off by holding down the SHIFT key for eight seconds.",
      "The computer plays a siren sound when the user turns the FilterKeys feature on or off by "
      "using the hot key.",
      "A confirmation dialog box appears when the the FilterKeys features are activated by using "
      "the hot key.",
      "A visual indicator is displayed when the FilterKeys features are on.",
      "The length of time that the user must hold down a key before it is accepted by the computer "
      "is 1 ms.",
      "The length of time that the user must hold down a key before it begins to repeat is 2 ms.",
      "The length of time between each repetition of the keystroke is 3 ms.",
      "The amount of time that must elapse after releasing a key before the computer will accept a "
      "subsequent press of the same key is 4 ms.",
      "",
      "The MouseKeys feature is unavailable.",
      "The MouseKeys feature is off.",
      "The numeric keypad moves the mouse cursor when the NUM LOCK key is off.",
      "The maximum speed the mouse cursor attains when an arrow key is held down is 0",
      "The length of time that it takes for the mouse cursor to reach maximum speed when an arrow "
      "key is held down is 0 ms.",
      "",
      "The StickyKeys feature is available.",
      "the StickyKeys feature is on.",
      "The system plays a sound when the user latches, locks, or releases modifier keys using the "
      "StickyKeys feature.",
      "A confirmation dialog appears when the StickyKeys feature is activated by using the hot "
      "key.",
      "The StickyKeys feature can be turned on and off by pressing the SHIFT key five times.",
      "The system plays a siren sound when the user turns the StickyKeys feature on or off by "
      "using the hot key.",
      "A visual indicator is be displayed when the StickyKeys feature is on.",
      "Pressing a modifier key twice in a row locks down the key until it is pressed a third time.",
      "Releasing a modifier key that has been pressed in combination with any other key turns off "
      "the StickyKeys feature.",
      "",
      "The ToggleKeys feature is unavailable.",
      "The ToggleKeys feature is off.",
      "",
      "The SerialKeys feature is unavailable.",
      "",
      "The High Contrast feature is unavailable.",
      "The High Contrast feature is off.",
      "",
      "The SoundsEntry feature is unavailable.",
      "",
      "User relies on mouse for input."};
  EXPECT_EQ(loaded.lines, expected);
}

TEST_F(AccessibilityTest, SoundSentryEffectPhrasesAndUnavailableGroups) {
  struct Case {
    std::uint32_t text, graf, windows;
    const char *textPhrase, *grafPhrase, *windowsPhrase;
  } cases[] = {
      {0, 0, 0, "give no visual signal", "generate no visual signal", "generate no visual signal"},
      {1, 3, 1, "flash characters in the corner of the screen", "flash the entire display",
       "flash the title bar of the active window"},
      {3, 1, 3, "flash the entire display", "", "flash the entire display"},
      {4, 2, 4, "", "", "generate a custom effect"},
  };
  AccessTimeout at;
  at.cbSize = 0;
  FilterKeys fk;
  fk.cbSize = 0;
  MouseKeys mk;
  mk.cbSize = 0;
  StickyKeys sk;
  sk.cbSize = 0;
  ToggleKeys tk;
  tk.cbSize = 0;
  SerialKeys ser;
  ser.cbSize = 0;
  HighContrast hc;
  hc.cbSize = 0;
  for (const Case& c : cases) {
    SoundSentry ss;
    ss.iFSTextEffect = c.text;
    ss.iFSTextEffectMSec = 10;
    ss.iFSGrafEffect = c.graf;
    ss.iFSGrafEffectMSec = 20;
    ss.iWindowsEffect = c.windows;
    ss.iWindowsEffectMSec = 30;
    Payload(at, fk, mk, sk, tk, ser, "", "", hc, "", ss, "", 1, kUnreadParameter);
    MemoryMachine target(okWin95);
    ItemResult loaded = Load<TAccessibilitySettings>(target);
    // Seven unavailable groups with their empty lines, then SoundSentry.
    ASSERT_EQ(loaded.lines.size(), 21u);
    EXPECT_EQ(loaded.lines[0], "The Accessibility features are unavailable");
    EXPECT_EQ(loaded.lines[12], "The High Contrast feature is unavailable.");
    EXPECT_EQ(loaded.lines[14], "The SoundSentry feature is unavailable.");
    EXPECT_EQ(loaded.lines[15], "The SoundSentry feature is off.");
    EXPECT_EQ(loaded.lines[16], std::string("The computer will ") + c.textPhrase +
                                    " for 10 ms. when a text-mode application generates a sound "
                                    "while running full-screen.");
    EXPECT_EQ(loaded.lines[17], std::string("The computer will ") + c.grafPhrase +
                                    " for 20 ms. when a graphics-mode application generates a "
                                    "sound.");
    EXPECT_EQ(loaded.lines[18].substr(0, 18 + std::strlen(c.windowsPhrase) + 12),
              std::string("The computer will ") + c.windowsPhrase + " for 30 ms. ");
    EXPECT_EQ(loaded.lines[19], "");
    EXPECT_EQ(loaded.lines[20], "User relies on keyboard for input.");
  }
}

TEST_F(AccessibilityTest, WindowsNTKeepsSerialKeysInTheRegistry) {
  // Saving: NT has no SERIALKEYS action; the registry gives the port, the
  // structure stays unavailable.
  MemoryMachine nt(okWinNT);
  SetReg(nt, hkey::CurrentUser, kSerialKeys, "ActivePort", "COM3");
  {
    MachineScope on(nt);
    UTLSetRegDWORD(hkey::CurrentUser, kSerialKeys, "Flags", 3);
    UTLSetRegDWORD(hkey::CurrentUser, kSerialKeys, "Baud", 1200);
  }
  ItemResult saved = Save<TAccessibilitySettings>(nt);
  ASSERT_TRUE(saved.ok);
  EXPECT_TRUE(saved.Has("The SerialKeys feature is unavailable."));
  bool failed = false;
  for (const std::string& line : log())
    failed = failed || line.rfind("SystemParameters Failed! id:62 Error:1439 ", 0) == 0;
  EXPECT_TRUE(failed);
  {
    auto reader = ReaderOf(written());
    std::vector<std::uint8_t> skip(12 + 24 + 28 + 8 + 8);
    reader->ReadBuffer(skip.data(), static_cast<std::uint32_t>(skip.size()));
    std::vector<std::uint8_t> serial(28);
    reader->ReadBuffer(serial.data(), 28);
    SerialKeys ser;
    ASSERT_TRUE(SerialKeys::FromBytes(serial, ser));
    EXPECT_EQ(ser.cbSize, 0u);
    EXPECT_EQ(ser.dwFlags, 3u);
    EXPECT_EQ(ser.iActive, 1u);
    EXPECT_EQ(ser.iBaudRate, 1200u);
    EXPECT_EQ(reader->ReadString(), "COM3");
    EXPECT_EQ(reader->ReadString(), "");
  }

  // Loading SerialKeys from Windows 98: NT refuses the action, the values
  // go to the registry (recorded for undo first) and need a restart.
  MemoryMachine win98(okWin98);
  SerialKeys ser;
  ser.dwFlags = 0x02;
  ser.iActive = 1;
  ser.iBaudRate = 2400;
  Set(win98, spi::SetSerialKeys, ser.ToBytes(), {std::string("COM2"), {}});
  ASSERT_TRUE(Save<TAccessibilitySettings>(win98).ok);
  MemoryMachine target(okWinNT);
  RestartRequired = false;
  ASSERT_TRUE(Load<TAccessibilitySettings>(target).ok);
  EXPECT_TRUE(RestartRequired);
  bool refused = false;
  for (const std::string& line : log())
    refused = refused || line.rfind("SystemParameters Failed! id:63 Error:1439 ", 0) == 0;
  EXPECT_TRUE(refused);
  EXPECT_EQ(Reg(target, hkey::CurrentUser, kSerialKeys, "ActivePort"), "COM2");
  EXPECT_EQ(Reg(target, hkey::CurrentUser, kSerialKeys, "Port"), "COM2");
  MachineScope on(target);
  EXPECT_EQ(UTLGetRegDWORD(hkey::CurrentUser, kSerialKeys, "Flags", 99), 0x03u);  // active: bit 1
  EXPECT_EQ(UTLGetRegDWORD(hkey::CurrentUser, kSerialKeys, "Baud", 99), 2400u);
}

TEST_F(AccessibilityTest, Windows9xWithoutSerialKeysUsesItsStringValues) {
  // A Windows 95 whose SerialKeys driver is missing answers neither call.
  MemoryMachine win95(okWin95);
  RefusingMachine refusing(win95, {spi::GetSerialKeys, spi::SetSerialKeys}, err::InvalidParameter);
  SetReg(win95, hkey::CurrentUser, kSerialKeys, "Flags", "5");
  SetReg(win95, hkey::CurrentUser, kSerialKeys, "BaudRate", "19200");
  ASSERT_TRUE(SaveOn(refusing, okWin95).ok);
  {
    auto reader = ReaderOf(written());
    std::vector<std::uint8_t> skip(12 + 24 + 28 + 8 + 8);
    reader->ReadBuffer(skip.data(), static_cast<std::uint32_t>(skip.size()));
    std::vector<std::uint8_t> serial(28);
    reader->ReadBuffer(serial.data(), 28);
    SerialKeys ser;
    ASSERT_TRUE(SerialKeys::FromBytes(serial, ser));
    EXPECT_EQ(ser.dwFlags, 5u);
    EXPECT_EQ(ser.iActive, 1u);
    EXPECT_EQ(ser.iBaudRate, 19200u);
    EXPECT_EQ(reader->ReadString(), "COM1");  // the default port
  }

  MemoryMachine win98(okWin98);
  SerialKeys ser;
  ser.dwFlags = 0x06;
  ser.iActive = 1;
  ser.iBaudRate = 4800;
  Set(win98, spi::SetSerialKeys, ser.ToBytes(), {std::string("COM2"), {}});
  ASSERT_TRUE(Save<TAccessibilitySettings>(win98).ok);
  MemoryMachine target(okWin95);
  RefusingMachine refusingTarget(target, {spi::SetSerialKeys}, err::InvalidParameter);
  ASSERT_TRUE(LoadOn(refusingTarget).ok);
  EXPECT_TRUE(RestartRequired);
  EXPECT_EQ(Reg(target, hkey::CurrentUser, kSerialKeys, "ActivePort"), "COM2");
  EXPECT_EQ(Reg(target, hkey::CurrentUser, kSerialKeys, "Flags"), "7");
  EXPECT_EQ(Reg(target, hkey::CurrentUser, kSerialKeys, "BaudRate"), "4800");
  EXPECT_EQ(Reg(target, hkey::CurrentUser, kSerialKeys, "Port"), "<none>");
}

TEST_F(AccessibilityTest, WrongSizesAreNotAppliedAndLongTextsAreCutToTheirBuffers) {
  AccessTimeout at;
  at.cbSize = 99;
  at.dwFlags = 1;
  FilterKeys fk;
  fk.cbSize = 12;
  MouseKeys mk;
  StickyKeys sk;
  ToggleKeys tk;
  SerialKeys ser;
  ser.dwFlags = 2;
  HighContrast hc;
  SoundSentry ss;
  const std::string longPort(300, 'P');
  const std::string longDll(400, 'D');
  Payload(at, fk, mk, sk, tk, ser, longPort, longPort, hc, "Scheme", ss, longDll, 0, 0);
  MemoryMachine target(okWin98);
  const Block timeoutBefore = Get(target, spi::GetAccessTimeout, 12);
  const Block filterBefore = Get(target, spi::GetFilterKeys, 24);
  ItemResult loaded = Load<TAccessibilitySettings>(target);
  ASSERT_TRUE(loaded.ok);
  EXPECT_EQ(Get(target, spi::GetAccessTimeout, 12).bytes, timeoutBefore.bytes);
  EXPECT_EQ(Get(target, spi::GetFilterKeys, 24).bytes, filterBefore.bytes);
  EXPECT_EQ(loaded.lines[0], "The Accessibility features are unavailable");
  EXPECT_TRUE(loaded.Has("The Filterkeys feature is unavailable."));
  EXPECT_TRUE(LogHas("ACCESSTIMEOUT passed over: size 99"));
  Block serial = Get(target, spi::GetSerialKeys, 28);
  EXPECT_EQ(serial.texts.first, std::optional<std::string>(std::string(127, 'P')));
  Block sentry = Get(target, spi::GetSoundSentry, 48);
  EXPECT_EQ(sentry.texts.first, std::optional<std::string>(std::string(259, 'D')));
}

TEST_F(AccessibilityTest, ASystemThatRefusesEverySetStillLoadsAndLogsEachRefusal) {
  // Wine answers the GETs but refuses the accessibility SETs with 1439.
  MemoryMachine source(okWin98);
  Customise(source, true);
  ASSERT_TRUE(Save<TAccessibilitySettings>(source).ok);
  MemoryMachine target(okWinNT);
  MemoryMachine before(target);
  RefusingMachine refusing(target, AccessibilitySetActions(), err::InvalidSpiValue);
  ItemResult loaded = LoadOn(refusing);
  EXPECT_TRUE(loaded.ok);
  int refusals = 0;
  for (const std::string& line : log())
    if (line.find("Error:1439") != std::string::npos) ++refusals;
  EXPECT_EQ(refusals, 10);
  EXPECT_TRUE(RestartRequired);  // SerialKeys went to the registry
  for (const auto& s : kStructures) {
    if (s.get == spi::GetSerialKeys) continue;
    EXPECT_EQ(Get(target, s.get, s.size).bytes, Get(before, s.get, s.size).bytes) << s.get;
  }
}

// ---------------------------------------------------------------------------

TEST_F(AccessibilityTest, SoundSchemesMoveWithTheWholeAppEventsTree) {
  MemoryMachine source(okWin95), target(okWinNT);
  SetReg(source, hkey::CurrentUser, "AppEvents\\Schemes\\Names\\.Default", "", "Windows Default");
  SetReg(source, hkey::CurrentUser, "AppEvents\\Schemes\\Names\\Harbour", "", "Harbour Bells");
  SetReg(source, hkey::CurrentUser, "AppEvents\\Schemes\\Apps\\.Default\\SystemStart\\.Current", "",
         "C:\\WINDOWS\\MEDIA\\bells.wav");
  SetReg(source, hkey::CurrentUser, "AppEvents\\EventLabels\\SystemStart", "", "Start Windows");
  ItemResult before = Describe<TSoundSettings>(target);
  EXPECT_EQ(before.lines,
            std::vector<std::string>{"No sound schemes have been found on this system:"});

  ItemResult saved = [&] {
    ItemResult r;
    MachineScope on(source);
    TWriteMemoryConnection& w = NewPayload(okWin95);
    TSoundSettings item;
    r.ok = item.Write(w);
    r.lines = *w.GetComments();
    return r;
  }();
  ASSERT_TRUE(saved.ok);
  const std::vector<std::string> lines = {
      "The following sound schemes have been found on this system:", "", "Windows Default",
      "Harbour Bells"};
  EXPECT_EQ(saved.lines, lines);
  ItemResult loaded = Load<TSoundSettings>(target);
  ASSERT_TRUE(loaded.ok);
  EXPECT_EQ(Consumed(), Written());
  EXPECT_EQ(loaded.lines, lines);
  EXPECT_EQ(Reg(target, hkey::CurrentUser,
                "AppEvents\\Schemes\\Apps\\.Default\\SystemStart\\.Current", ""),
            "C:\\WINDOWS\\MEDIA\\bells.wav");
  EXPECT_EQ(Reg(target, hkey::CurrentUser, "AppEvents\\EventLabels\\SystemStart", ""),
            "Start Windows");
}

}  // namespace
}  // namespace qv::test
