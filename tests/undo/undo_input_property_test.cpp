// The undo property over the mouse (with cursor files), keyboard, sound and
// accessibility items: loading a settings file saved on any kind of machine
// and undoing the load leaves the target as it was.
//
// What undo cannot take back, by design, is kept out of the targets: the
// capture carries only the cursor files the target's cursor settings name,
// so a file the target has but does not name, replaced by a newer one of
// the same path, stays replaced; and "Locale" comes back as the target's
// keyboard layout name, so a target whose "Locale" differed from its layout
// gets the layout's.
#include <random>

#include "config/cat_config.h"
#include "config/options.h"
#include "engine/status.h"
#include "platform/system_parameters.h"
#include "registry/reg_utils.h"
#include "stream/win_structs.h"
#include "support/memory_fixture.h"
#include "support/property_rounds.h"
#include "support/undo_round.h"

namespace qv::test {
namespace {

const char* const kItems[] = {"Accessibility", "Sound", "Keyboard", "Mouse"};

class UndoInputProperty : public ::testing::TestWithParam<OSKind> {};

std::uint32_t Between(std::mt19937& rng, std::uint32_t low, std::uint32_t high) {
  return std::uniform_int_distribution<std::uint32_t>(low, high)(rng);
}

void PutCursor(std::mt19937& rng, const std::string& path, const std::string& text) {
  IFiles& files = CurrentMachine().Files();
  files.MakeFolder(path.substr(0, path.find_last_of('\\')));
  FileHandle h;
  ASSERT_EQ(files.Open(path, FileAccess::Write, Disposition::CreateAlways, 0, h), err::Success);
  std::uint32_t done;
  files.Write(h, text.data(), static_cast<std::uint32_t>(text.size()), done);
  // Older or newer than the other machine's copy.
  const FileTime when = 130000000000000000ull + Between(rng, 0, 1000) * 10000000ull;
  files.SetTimes(h, &when, &when, &when);
  files.Close(h);
}

void SetBlock(unsigned action, std::vector<std::uint8_t> b, ParameterTexts texts = {}) {
  CurrentMachine().SystemParameters()->ParameterBlock(action, static_cast<std::uint32_t>(b.size()),
                                                      b, spif::UpdateIniFile, &texts);
}

// Random input, sound and accessibility state on the current machine.
void Randomize(std::mt19937& rng, const char* tag) {
  ISystemParameters& spi = *CurrentMachine().SystemParameters();
  const bool nt = RunningKind(CurrentMachine().System()) == okWinNT;

  // Mouse and cursor scheme with its files.
  spi.Parameter(spi::SetDoubleClkWidth, Between(rng, 2, 12), nullptr, spif::UpdateIniFile);
  spi.Parameter(spi::SetDoubleClkHeight, Between(rng, 2, 12), nullptr, spif::UpdateIniFile);
  spi.Parameter(spi::SetMouseButtonSwap, Coin(rng), nullptr, spif::UpdateIniFile);
  spi.Parameter(spi::SetDoubleClickTime, Between(rng, 200, 900), nullptr, spif::UpdateIniFile);
  if (Coin(rng)) {
    StructWriter w;
    for (std::uint32_t v : {Between(rng, 0, 10), Between(rng, 0, 20), Between(rng, 0, 2)}) w.U32(v);
    SetBlock(spi::SetMouse, w.bytes());
  }
  std::string scheme;
  for (const char* name : {"arrow.cur", "busy.ani", "hand.cur"}) {
    if (!Coin(rng)) continue;
    const std::string path = std::string("C:\\Cursors\\") + name;
    PutCursor(rng, path, std::string(tag) + " " + name);
    scheme += path + ",";
    // Every cursor file a machine has is named by its cursor settings (see
    // the note at the top).
    UTLSetRegString(hkey::CurrentUser, "Control Panel\\Cursors", name, path);
  }
  if (Coin(rng))
    UTLSetRegString(hkey::CurrentUser, "Control Panel\\Cursors\\Schemes",
                    Pick(rng, {"Harbour", "Night"}), scheme + ",C:\\Cursors\\gone.cur");

  // Keyboard.
  const std::string layout = Pick(rng, {"00000409", "00000407", "0000040C", "00000809"});
  spi.LoadKeyboardLayoutByName(layout, klf::Activate);
  spi.Parameter(spi::SetKeyboardDelay, Between(rng, 0, 3), nullptr, spif::UpdateIniFile);
  spi.Parameter(spi::SetKeyboardSpeed, Between(rng, 0, 31), nullptr, spif::UpdateIniFile);
  spi.ChangeCaretBlinkTime(Between(rng, 200, 1200));
  if (Coin(rng))
    UTLSetRegString(hkey::CurrentUser, "Control Panel\\International", "Locale", layout);

  // Sound.
  if (Coin(rng)) {
    const std::string name = Pick(rng, {"Harbour", "Jungle", ".Default"});
    UTLSetRegString(hkey::CurrentUser, "AppEvents\\Schemes\\Names\\" + name, "",
                    std::string(tag) + " sounds");
    UTLSetRegString(
        hkey::CurrentUser,
        "AppEvents\\Schemes\\Apps\\.Default\\" + Pick(rng, {"SystemStart", "Close"}) + "\\.Current",
        "", std::string("C:\\Media\\") + tag + ".wav");
  }

  // Accessibility.
  FilterKeys fk;
  fk.dwFlags = Between(rng, 0, 0x7F);
  fk.iWaitMSec = Between(rng, 0, 2000);
  SetBlock(spi::SetFilterKeys, fk.ToBytes());
  StickyKeys sk;
  sk.dwFlags = Between(rng, 0, 0x1FF);
  SetBlock(spi::SetStickyKeys, sk.ToBytes());
  AccessTimeout at;
  at.dwFlags = Between(rng, 0, 3);
  at.iTimeOutMSec = Between(rng, 1, 30) * 60000;
  SetBlock(spi::SetAccessTimeout, at.ToBytes());
  if (Coin(rng)) {
    HighContrast hc;
    hc.dwFlags = Between(rng, 0, 0x7F);
    SetBlock(spi::SetHighContrast, hc.ToBytes(),
             {Pick(rng, {"High Contrast White", "Harbour"}), {}});
  }
  if (Coin(rng)) {
    SoundSentry ss;
    ss.dwFlags = Between(rng, 0, 3);
    ss.iWindowsEffect = Between(rng, 0, 4);
    SetBlock(spi::SetSoundSentry, ss.ToBytes(),
             {Coin(rng) ? std::optional<std::string>("C:\\flash.dll") : std::nullopt, {}});
  }
  if (!nt && Coin(rng)) {
    SerialKeys ser;
    ser.dwFlags = Between(rng, 0, 7);
    ser.iActive = Coin(rng);
    ser.iBaudRate = Pick(rng, {"300", "9600"}) == "300" ? 300 : 9600;
    SetBlock(spi::SetSerialKeys, ser.ToBytes(), {Pick(rng, {"COM1", "COM2"}), {}});
  }
  spi.Parameter(spi::SetKeyboardPref, Coin(rng), nullptr, spif::UpdateIniFile);
  spi.Parameter(spi::SetShowSounds, Coin(rng), nullptr, spif::UpdateIniFile);
}

TEST_P(UndoInputProperty, LoadThenUndoLeavesAnyMachineAsItWas) {
  const OSKind kind = GetParam();
  EachRound(kind, PropertyRounds(20), [&](auto& rng, auto& source, auto& target) {
    auto differences = LoadThenUndo(
        source, target,
        [&] {
          Randomize(rng, "source");
          for (const char* item : kItems)
            CurrentConfig().PersonalityItems.SetSelected(item, Coin(rng));
        },
        [&] {
          Randomize(rng, "target");
          Options().CreateBackup = Coin(rng);
        });
    EXPECT_EQ(differences, std::vector<std::string>{});
  });
}

TEST(UndoInput, ACursorFileTheLoadReplacedComesBackAsItWas) {
  TRecordingStatus status;
  StatusScope statusScope(status);
  std::mt19937 rng(1);
  MemoryMachine source(okWin98), target(okWinNT);
  const std::string path = "C:\\Cursors\\arrow.cur";
  auto differences = LoadThenUndo(
      source, target,
      [&] {
        PutCursor(rng, path, "new arrow");
        FileTime newer = 140000000000000000ull;
        FileHandle h;
        CurrentMachine().Files().Open(path, FileAccess::ReadWrite, Disposition::OpenExisting, 0, h);
        CurrentMachine().Files().SetTimes(h, &newer, &newer, &newer);
        CurrentMachine().Files().Close(h);
        UTLSetRegString(hkey::CurrentUser, "Control Panel\\Cursors", "Arrow", path);
        CurrentConfig().PersonalityItems.SetSelected("Mouse", true);
      },
      [&] {
        PutCursor(rng, path, "old arrow");
        UTLSetRegString(hkey::CurrentUser, "Control Panel\\Cursors", "Arrow", path);
      });
  EXPECT_EQ(differences, std::vector<std::string>{});
  EXPECT_EQ(FileText(target, path), "old arrow");
}

INSTANTIATE_TEST_SUITE_P(Kinds, UndoInputProperty, ::testing::Values(okWin95, okWin98, okWinNT),
                         [](const auto& info) { return std::to_string(info.param); });

}  // namespace
}  // namespace qv::test
