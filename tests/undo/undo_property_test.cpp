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
#include "support/property_rounds.h"
#include "support/undo_round.h"
#include "support/stand_in_items.h"
#include "support/streams.h"

namespace qv::test {
namespace {

class UndoProperty : public ::testing::TestWithParam<OSKind> {};

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
  EachRound(kind, PropertyRounds(25), [&](auto& rng, auto& source, auto& target) {
    auto differences = LoadThenUndo(
        source, target,
        [&] {
          Randomize(rng, "source");
          CurrentConfig().PersonalityItems.SetSelected("Colors", true);
          CurrentConfig().PersonalityItems.SetSelected("Wallpaper", Coin(rng));
          CurrentConfig().FileList = {"C:\\Data", "C:\\report.doc"};
        },
        [&] {
          Randomize(rng, "target");
          Options().CreateBackup = Coin(rng);
        });
    EXPECT_EQ(differences, std::vector<std::string>{});
  });
}

INSTANTIATE_TEST_SUITE_P(Kinds, UndoProperty, ::testing::Values(okWin95, okWin98, okWinNT),
                         [](const auto& info) { return std::to_string(info.param); });

}  // namespace
}  // namespace qv::test
