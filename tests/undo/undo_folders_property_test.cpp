// The undo property over the folder items: loading Start Menu, SendTo and
// Desktop folders saved on any kind of machine, in replace or merge mode,
// and undoing the load leaves the target's files and icons as they were.
//
// What undo cannot take back, by design: what the load sent to the
// recycle bin stays there. The files among it come back all the same (the
// captured image carries them and its re-application recreates them), but
// an empty folder the load recycled does not, and the recycle bin keeps
// everything that went into it, also the load's own files that a
// replace-mode undo recycled on its way. Those are the only differences
// allowed here, and each must be accounted for by the recycle bin.
#include <random>

#include "config/cat_config.h"
#include "config/options.h"
#include "engine/file_utils.h"
#include "engine/program.h"
#include "engine/status.h"
#include "items/personality/folder_settings.h"
#include "platform/memory/paths.h"
#include "support/memory_fixture.h"
#include "support/property_rounds.h"
#include "support/undo_round.h"

namespace qv::test {
namespace {

using mem::EqualNoCase;

class UndoFoldersProperty : public ::testing::TestWithParam<OSKind> {};

const char* const kFolders[] = {"Start Menu", "Programs", "Startup", "SendTo", "Desktop"};

// A random tree of files and nested subfolders below each shell folder of
// the current machine; some names are shared by source and target (in
// either letter case), some folders stay empty.
void RandomTrees(std::mt19937& rng, const char* tag) {
  for (const char* value : kFolders) {
    const std::string root = GetShellFolder(hkey::CurrentUser, value);
    const int files = static_cast<int>(rng() % 5);
    for (int i = 0; i < files; ++i) {
      std::string folder = root;
      const int depth = static_cast<int>(rng() % 3);
      for (int d = 0; d < depth; ++d) folder += "\\" + Pick(rng, {"Tools", "tools", "Games", "Old"});
      ForceFolders(folder);
      // One extension per name: the shell shows names without it.
      const std::string name =
          Pick(rng, {"Notes.lnk", "NOTES.LNK", "Calc.txt", "Readme.lnk", tag});
      const std::string path = folder + "\\" + name;
      PutFile(static_cast<MemoryMachine&>(CurrentMachine()), path, std::string(tag) + " " + path);
    }
    if (Coin(rng)) ForceFolders(root + "\\" + Pick(rng, {"Empty", "Tools\\Empty"}));
  }
}

// The shell lists every desktop entry; each icon gets a random place.
void PlaceIcons(std::mt19937& rng, MemoryMachine& m) {
  m.Desktop()->Wait(0);
  m.Desktop()->Wait(0);
  std::vector<DesktopIcon> icons = m.DesktopIcons();
  for (DesktopIcon& icon : icons)
    icon.position = Point{static_cast<std::int32_t>(rng() % 900), static_cast<std::int32_t>(rng() % 650)};
  m.SetDesktopIcons(icons);
}

TEST_P(UndoFoldersProperty, LoadThenUndoLeavesOnlyTheRecycleBinsKeep) {
  const OSKind kind = GetParam();
  unsigned recycledRounds = 0;
  EachRound(kind, PropertyRounds(25), [&](auto& rng, auto& source, auto& target) {
    auto differences = LoadThenUndo(
        source, target,
        [&] {
          RandomTrees(rng, "source");
          PlaceIcons(rng, source);
          for (const char* item : {"Start Menu", "SendTo menu", "Desktop Icons"})
            CurrentConfig().PersonalityItems.SetSelected(item, Coin(rng));
        },
        [&] {
          RandomTrees(rng, "target");
          PlaceIcons(rng, target);
          Options().ReplaceStartMenu = Coin(rng);
          Options().ReplaceDesktop = Coin(rng);
          Options().CreateBackup = Coin(rng);
        });

    const std::vector<RecycledEntry> bin = target.RecycleBin();
    if (!bin.empty()) ++recycledRounds;
    auto recycledFolder = [&](const std::string& path) {
      for (const RecycledEntry& e : bin)
        if (e.folder && e.path == path) return true;
      return false;
    };
    // Desktop entries the load recycled: their icons went with them, and a
    // recreated entry gets a new icon, placed again only on Windows 95/98.
    std::string desktop;
    {
      MachineScope on(target);
      desktop = GetShellFolder(hkey::CurrentUser, "Desktop");
    }
    std::vector<std::string> recycledIcons;
    for (const RecycledEntry& e : bin) {
      const std::size_t slash = e.path.find_last_of('\\');
      if (e.path.substr(0, slash) != desktop) continue;
      std::string label = e.path.substr(slash + 1);
      if (!e.folder && label.find('.') != std::string::npos) label.resize(label.find_last_of('.'));
      recycledIcons.push_back("desktop icon \"" + label + "\": ");
    }
    for (const std::string& line : differences) {
      bool iconOfRecycled = false;
      for (const std::string& icon : recycledIcons)
        if (line.size() > icon.size() && EqualNoCase(line.substr(0, icon.size()), icon))
          iconOfRecycled = true;
      if (iconOfRecycled) continue;
      if (line.rfind("recycle bin ", 0) == 0 && line.size() > 12 &&
          line.compare(line.size() - 16, 16, ": only in second") == 0)
        continue;
      const std::string prefix = "folder ";
      const std::string suffix = ": only in first";
      if (line.rfind(prefix, 0) == 0 && line.size() > prefix.size() + suffix.size() &&
          line.compare(line.size() - suffix.size(), suffix.size(), suffix) == 0 &&
          recycledFolder(line.substr(prefix.size(), line.size() - prefix.size() - suffix.size())))
        continue;
      ADD_FAILURE() << line;
    }
  });
  // The rounds reach replace mode with something to recycle.
  EXPECT_GT(recycledRounds, 0u);
}

INSTANTIATE_TEST_SUITE_P(Kinds, UndoFoldersProperty, ::testing::Values(okWin95, okWin98, okWinNT),
                         [](const auto& info) { return std::to_string(info.param); });

}  // namespace
}  // namespace qv::test
