// One round of the undo property: save a settings image on a source machine,
// load it on a target with undo recording, undo, and compare the target with
// its state before the load.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <random>
#include <string>
#include <vector>

#include "config/cat_config.h"
#include "config/options.h"
#include "engine/program.h"
#include "engine/runs.h"
#include "engine/status.h"
#include "platform/memory/memory_machine.h"
#include "stream/connection.h"
#include "support/streams.h"
#include "undo/undo_manager.h"

namespace qv::test {

inline std::string Pick(std::mt19937& rng, std::initializer_list<const char*> options) {
  std::uniform_int_distribution<std::size_t> d(0, options.size() - 1);
  return *(options.begin() + d(rng));
}

inline bool Coin(std::mt19937& rng) { return std::uniform_int_distribution<int>(0, 1)(rng) == 1; }

// `prepareSource` runs on the source with its own program objects and every
// item deselected: it sets the machine up and selects what to save.
// `prepareTarget` runs on the target the same way before the load (it may
// set options such as CreateBackup). The result lists the differences undo
// left (file times not counted); empty means undo restored the target.
inline std::vector<std::string> LoadThenUndo(MemoryMachine& source, MemoryMachine& target,
                                             const std::function<void()>& prepareSource,
                                             const std::function<void()>& prepareTarget) {
  TWriteMemoryConnection image;
  image.ConnectionVersion = kConnectionVersion;
  image.Initialize();
  {
    MachineScope on(source);
    ProgramObjects program("");
    CurrentConfig().PersonalityItems.SetAll(false);
    CurrentConfig().ConnectivityItems.SetAll(false);
    prepareSource();
    EXPECT_EQ(SaveSettings("", image, true, true), SETTINGS_OK);
  }
  MachineScope on(target);
  ProgramObjects program("");
  prepareTarget();
  MemoryMachine before(target);

  auto settings = ReaderOf(image);
  std::string backup;
  {
    RecordingScope recording(UndoManager());
    EXPECT_EQ(LoadSettings("", *settings, true, backup, true), SETTINGS_OK);
    UndoManager().Restore();
  }
  if (!backup.empty()) target.Files().Remove(backup);
  return MemoryMachine::Differences(before, target, CompareOptions{false});
}

// The rounds of a property test on targets of `kind`, under a recording
// status: for each seed 1..`rounds` a generator of its own (seeded from the
// seed times `spread` and the kind), a source of a kind the generator picks
// and a fresh target, handed to `round`.
template <class Round>
void EachRound(OSKind kind, unsigned rounds, Round round, unsigned spread = 7919u) {
  TRecordingStatus status;
  StatusScope statusScope(status);
  for (unsigned seed = 1; seed <= rounds; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed * spread + static_cast<unsigned>(kind));
    MemoryMachine source(static_cast<OSKind>(rng() % 3));
    MemoryMachine target(kind);
    round(rng, source, target);
  }
}

}  // namespace qv::test
