// The undo property: whatever the target machine looks like, loading a
// settings file and undoing the load leaves it as it was (file times
// excepted: a restored file gets new ones).
#include <random>

#include "config/cat_config.h"
#include "config/options.h"
#include "engine/runs.h"
#include "engine/status.h"
#include "registry/reg_utils.h"
#include "support/memory_fixture.h"
#include "support/stand_in_items.h"
#include "support/streams.h"

namespace qv::test {
namespace {

class UndoProperty : public ::testing::TestWithParam<OSKind> {};

std::string Pick(std::mt19937& rng, std::initializer_list<const char*> options) {
  std::uniform_int_distribution<std::size_t> d(0, options.size() - 1);
  return *(options.begin() + d(rng));
}

bool Coin(std::mt19937& rng) { return std::uniform_int_distribution<int>(0, 1)(rng) == 1; }

void PutFile(const std::string& path, const std::string& text) {
  ForceFolders(FolderOf(path));
  IFiles& files = CurrentMachine().Files();
  FileHandle h;
  if (files.Open(path, FileAccess::Write, Disposition::CreateAlways, 0, h) != err::Success) return;
  std::uint32_t done;
  files.Write(h, text.data(), static_cast<std::uint32_t>(text.size()), done);
  files.Close(h);
}

// Random registry values below the Colors key, an optional sub key, an
// optional picture and some data files.
void Randomize(std::mt19937& rng, const char* tag) {
  for (const char* name : {"Background", "Menu", "Window", "Text"})
    if (Coin(rng)) UTLSetRegString(hkey::CurrentUser, kColorsKey, name, Pick(rng, {"0 0 0", "1 2 3", tag}));
  if (Coin(rng))
    UTLSetRegDWORD(hkey::CurrentUser, std::string(kColorsKey) + "\\" + Pick(rng, {"Schemes\\A", "Schemes\\B", "Extra"}),
                   Pick(rng, {"x", "y"}), static_cast<std::uint32_t>(rng()));
  if (Coin(rng)) PutFile(kPicture, std::string(tag) + " picture");
  for (const char* path : {"C:\\Data\\notes.txt", "C:\\Data\\Deep\\more\\list.txt", "C:\\report.doc"})
    if (Coin(rng)) PutFile(path, std::string(tag) + " " + path);
}

TEST_P(UndoProperty, LoadThenUndoLeavesAnyMachineAsItWas) {
  const OSKind kind = GetParam();
  ScopedSettingsItem colors("Colors", [] { return std::make_unique<ColorsKeyItem>(); });
  ScopedSettingsItem picture("Wallpaper", [] { return std::make_unique<PictureItem>(); });
  TRecordingStatus status;
  StatusScope statusScope(status);
  for (unsigned seed = 1; seed <= 25; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed * 7919u + static_cast<unsigned>(kind));
    MemoryMachine source(static_cast<OSKind>(rng() % 3));
    MemoryMachine target(kind);
    TWriteMemoryConnection image;
    image.ConnectionVersion = kConnectionVersion;
    image.Initialize();
    {
      MachineScope on(source);
      ProgramObjects program("");
      Randomize(rng, "source");
      CurrentConfig().PersonalityItems.SetAll(false);
      CurrentConfig().ConnectivityItems.SetAll(false);
      CurrentConfig().PersonalityItems.SetSelected("Colors", true);
      CurrentConfig().PersonalityItems.SetSelected("Wallpaper", Coin(rng));
      CurrentConfig().FileList = {"C:\\Data", "C:\\report.doc"};
      ASSERT_EQ(SaveSettings("", image, true, true), SETTINGS_OK);
    }
    MachineScope on(target);
    ProgramObjects program("");
    Randomize(rng, "target");
    Options().CreateBackup = Coin(rng);
    MemoryMachine before(target);

    auto settings = ReaderOf(image);
    std::string backup;
    UndoManager().Recording = true;
    ASSERT_EQ(LoadSettings("", *settings, true, backup, true), SETTINGS_OK);
    UndoManager().Restore();
    UndoManager().Recording = false;
    if (!backup.empty()) target.Files().Remove(backup);
    EXPECT_EQ(MemoryMachine::Differences(before, target, CompareOptions{false}),
              std::vector<std::string>{});
  }
}

INSTANTIATE_TEST_SUITE_P(Kinds, UndoProperty, ::testing::Values(okWin95, okWin98, okWinNT),
                         [](const auto& info) { return std::to_string(info.param); });

}  // namespace
}  // namespace qv::test
