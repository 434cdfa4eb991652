#include "fuzz/fuzz_targets.h"

#include <array>
#include <memory>
#include <string>

#include "app/batch.h"
#include "config/cat_config.h"
#include "config/options.h"
#include "engine/program.h"
#include "engine/run_report.h"
#include "platform/memory/memory_machine.h"
#include "undo/undo_manager.h"

namespace qv::fuzz {
namespace {

constexpr const char* kFolder = "C:\\fuzz";

// Fresh machines are copied from one made per kind: building a machine
// costs more than copying one.
const MemoryMachine& FreshMachine(OSKind kind) {
  static const std::array<std::unique_ptr<MemoryMachine>, 3> machines = {
      std::make_unique<MemoryMachine>(okWin95), std::make_unique<MemoryMachine>(okWin98),
      std::make_unique<MemoryMachine>(okWinNT)};
  return *machines[static_cast<std::size_t>(kind)];
}

void PutBytes(MemoryMachine& m, const std::string& path, const std::uint8_t* data,
              std::size_t size) {
  m.Files().MakeFolder(kFolder);
  FileHandle h = 0;
  if (m.Files().Open(path, FileAccess::Write, Disposition::CreateAlways, 0, h) != err::Success)
    return;
  std::uint32_t done = 0;
  m.Files().Write(h, data, static_cast<std::uint32_t>(size), done);
  m.Files().Close(h);
}

}  // namespace

int LoadSettingsBytes(const std::uint8_t* data, std::size_t size) {
  int loaded = 0;
  for (OSKind kind : {okWin95, okWin98, okWinNT}) {
    MemoryMachine machine(FreshMachine(kind));
    MachineScope on(machine);
    const std::string file = std::string(kFolder) + "\\input.qrv";
    PutBytes(machine, file, data, size);
    ProgramObjects program("");
    Options().QuietMode = true;
    if (BatchLoad(file) == SETTINGS_OK) ++loaded;
    RunReport().SaveReport(std::string(kFolder) + "\\report.txt");
    // Undo what the load did: the captured image goes back in and what the
    // file created is deleted.
    UndoManager().Restore();
  }
  return loaded;
}

void LoadConfigurationBytes(const std::uint8_t* data, std::size_t size) {
  MemoryMachine machine(FreshMachine(okWinNT));
  MachineScope on(machine);
  const std::string file = std::string(kFolder) + "\\input.cfg";
  const std::string copy = std::string(kFolder) + "\\copy.cfg";
  PutBytes(machine, file, data, size);
  ProgramObjects program("");
  Options().QuietMode = true;
  TCatConfig config;
  if (!config.Load(file)) return;
  config.Save(copy);
  TCatConfig again;
  again.Load(copy);
}

}  // namespace qv::fuzz
