// The mouse, keyboard, sound and accessibility items saved on each kind of
// Windows and loaded on each kind, through the save and load runs.
#include "config/cat_config.h"
#include "engine/run_report.h"
#include "engine/runs.h"
#include "stream/win_structs.h"
#include "support/item_fixture.h"
#include "support/kind_round.h"

namespace qv::test {
namespace {

constexpr const char* kCursors = "Control Panel\\Cursors";
constexpr const char* kSerialKeys = "Control Panel\\Accessibility\\SerialKeys";
constexpr const char* kBellsEvent = "AppEvents\\Schemes\\Apps\\.Default\\SystemStart\\.Current";

class InputKindMatrix : public ::testing::TestWithParam<std::tuple<OSKind, OSKind>> {};

std::vector<std::uint8_t> GetBlock(MemoryMachine& m, unsigned action, std::uint32_t size,
                                   ParameterTexts* texts = nullptr) {
  std::vector<std::uint8_t> b(size, 0);
  b[0] = static_cast<std::uint8_t>(size);
  if (!m.SystemParameters()->ParameterBlock(action, size, b, 0, texts)) b.clear();
  return b;
}

void SetBlock(MemoryMachine& m, unsigned action, std::vector<std::uint8_t> b,
              ParameterTexts texts = {}) {
  ASSERT_TRUE(m.SystemParameters()->ParameterBlock(action, static_cast<std::uint32_t>(b.size()), b,
                                                   spif::UpdateIniFile, &texts));
}

void Prepare(MemoryMachine& m) {
  MachineScope on(m);
  ISystemParameters& p = *m.SystemParameters();
  p.Parameter(spi::SetDoubleClkWidth, 8, nullptr, spif::UpdateIniFile);
  p.Parameter(spi::SetDoubleClkHeight, 10, nullptr, spif::UpdateIniFile);
  p.Parameter(spi::SetMouseButtonSwap, 1, nullptr, spif::UpdateIniFile);
  p.Parameter(spi::SetDoubleClickTime, 650, nullptr, spif::UpdateIniFile);
  SetBlock(m, spi::SetMouse, {2, 0, 0, 0, 9, 0, 0, 0, 2, 0, 0, 0});
  m.Files().MakeFolder("C:\\Cursors");
  PutFile(m, "C:\\Cursors\\Harbour.cur", "harbour arrow");
  PutFile(m, "C:\\Cursors\\Harbour.ani", "harbour busy");
  UTLSetRegString(hkey::CurrentUser, "Control Panel\\Cursors\\Schemes", "Harbour",
                  "C:\\Cursors\\Harbour.cur,C:\\Cursors\\Harbour.ani,,,,");
  UTLSetRegString(hkey::CurrentUser, kCursors, "Arrow", "C:\\Cursors\\Harbour.cur");
  UTLSetRegString(hkey::CurrentUser, kCursors, "Wait", "C:\\Cursors\\Harbour.ani");

  p.LoadKeyboardLayoutByName("00000407", klf::Activate);
  p.Parameter(spi::SetKeyboardDelay, 2, nullptr, spif::UpdateIniFile);
  p.Parameter(spi::SetKeyboardSpeed, 20, nullptr, spif::UpdateIniFile);
  p.ChangeCaretBlinkTime(400);

  UTLSetRegString(hkey::CurrentUser, "AppEvents\\Schemes\\Names\\Harbour", "", "Harbour Bells");
  UTLSetRegString(hkey::CurrentUser, kBellsEvent, "", "C:\\Media\\bells.wav");

  FilterKeys fk;
  fk.dwFlags = 0x13;
  fk.iWaitMSec = 700;
  SetBlock(m, spi::SetFilterKeys, fk.ToBytes());
  HighContrast hc;
  hc.dwFlags = 0x03;
  SetBlock(m, spi::SetHighContrast, hc.ToBytes(), {std::string("High Contrast White"), {}});
  if (m.Kind() != okWinNT) {
    SerialKeys ser;
    ser.dwFlags = 0x06;
    ser.iActive = 1;
    ser.iBaudRate = 4800;
    SetBlock(m, spi::SetSerialKeys, ser.ToBytes(), {std::string("COM2"), {}});
  } else {
    UTLSetRegString(hkey::CurrentUser, kSerialKeys, "ActivePort", "COM3");
  }
}

TEST_P(InputKindMatrix, InputSoundAndAccessibilityMoveAsTheirKindsAllow) {
  auto [from, to] = GetParam();
  const bool from9x = from != okWinNT, to9x = to != okWinNT;
  MemoryMachine source(from), target(to);
  Prepare(source);
  KindRound run;
  ASSERT_EQ(run.Save(source, {"Accessibility", "Sound", "Keyboard", "Mouse"}), SETTINGS_OK);
  run.Enter(target);
  RestartRequired = false;
  SettingChangePending = false;
  ASSERT_EQ(run.Load(target), SETTINGS_OK);

  // Mouse: the values, the scheme and its files, everywhere.
  EXPECT_EQ(target.System().Metric(sm::CxDoubleClk), 8);
  EXPECT_EQ(target.System().Metric(sm::CyDoubleClk), 10);
  EXPECT_EQ(target.System().Metric(sm::SwapButton), 1);
  EXPECT_EQ(target.SystemParameters()->DoubleClickTime(), 650u);
  EXPECT_EQ(GetBlock(target, spi::GetMouse, 12),
            (std::vector<std::uint8_t>{2, 0, 0, 0, 9, 0, 0, 0, 2, 0, 0, 0}));
  EXPECT_EQ(FileText(target, "C:\\Cursors\\harbour.cur"), "harbour arrow");
  EXPECT_EQ(FileText(target, "C:\\Cursors\\harbour.ani"), "harbour busy");
  EXPECT_EQ(UTLGetRegString(hkey::CurrentUser, kCursors, "Wait", ""), "C:\\Cursors\\Harbour.ani");
  EXPECT_TRUE(run.reported("The double click time is 650 ms."));
  EXPECT_TRUE(run.reported("Harbour"));
  EXPECT_TRUE(SettingChangePending);

  // Keyboard.
  std::string layout;
  target.SystemParameters()->KeyboardLayoutName(layout);
  EXPECT_EQ(layout, "00000407");
  EXPECT_EQ(UTLGetRegString(hkey::CurrentUser, "Control Panel\\International", "Locale", ""),
            "00000407");
  EXPECT_EQ(target.SystemParameters()->CaretBlinkTime(), 400u);
  EXPECT_TRUE(run.reported("Keyboard Locale is 00000407 German (Standard)"));
  EXPECT_TRUE(run.reported("Keyboard repeat delay is 2ms."));
  EXPECT_TRUE(RestartRequired);

  // Sound.
  EXPECT_EQ(UTLGetRegString(hkey::CurrentUser, kBellsEvent, "", ""), "C:\\Media\\bells.wav");
  EXPECT_TRUE(run.reported("Harbour Bells"));

  // Accessibility: the structures every kind has move everywhere.
  FilterKeys fk;
  ASSERT_TRUE(FilterKeys::FromBytes(GetBlock(target, spi::GetFilterKeys, 24), fk));
  EXPECT_EQ(fk.dwFlags, 0x13u);
  EXPECT_EQ(fk.iWaitMSec, 700u);
  ParameterTexts scheme;
  GetBlock(target, spi::GetHighContrast, 12, &scheme);
  EXPECT_EQ(scheme.first, std::optional<std::string>("High Contrast White"));
  EXPECT_TRUE(run.reported("The High Contrast feature is on."));
  // SerialKeys: only Windows 95/98 answer for it. From there it goes into
  // the system (95/98) or into NT's registry; from NT it does not travel.
  ParameterTexts serial;
  const bool targetAnswers = !GetBlock(target, spi::GetSerialKeys, 28, &serial).empty();
  EXPECT_EQ(targetAnswers, to9x);
  if (from9x && to9x) {
    EXPECT_EQ(serial.first, std::optional<std::string>("COM2"));
  } else if (from9x) {
    EXPECT_EQ(UTLGetRegString(hkey::CurrentUser, kSerialKeys, "ActivePort", ""), "COM2");
    EXPECT_EQ(UTLGetRegDWORD(hkey::CurrentUser, kSerialKeys, "Flags", 0), 0x07u);
    EXPECT_EQ(UTLGetRegDWORD(hkey::CurrentUser, kSerialKeys, "Baud", 0), 4800u);
  } else {
    EXPECT_TRUE(run.reported("The SerialKeys feature is unavailable."));
    EXPECT_EQ(UTLGetRegString(hkey::CurrentUser, kSerialKeys, "ActivePort", "<none>"), "<none>");
    if (to9x) {
      EXPECT_EQ(serial.first, std::optional<std::string>("COM1"));  // the target's own
    }
  }
}

INSTANTIATE_TEST_SUITE_P(AllKinds, InputKindMatrix,
                         ::testing::Combine(::testing::Values(okWin95, okWin98, okWinNT),
                                            ::testing::Values(okWin95, okWin98, okWinNT)));

}  // namespace
}  // namespace qv::test
