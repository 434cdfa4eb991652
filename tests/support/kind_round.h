// One round of the kind matrix: the chosen items saved on a source machine
// through the save run into a memory file, then loaded on a target machine
// through the load run, with a recording status in place. From Enter (or
// Load) on, the target stays the current machine, with its own program
// objects, until the round ends, so a test can check it and the report.
#pragma once

#include <algorithm>
#include <cstddef>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "config/cat_config.h"
#include "engine/program.h"
#include "engine/run_report.h"
#include "engine/runs.h"
#include "engine/status.h"
#include "platform/memory/memory_machine.h"
#include "stream/connection.h"
#include "support/streams.h"

namespace qv::test {

class KindRound {
 public:
  KindRound() : statusScope_(status_) { file_.Initialize(); }
  KindRound(const KindRound&) = delete;
  KindRound& operator=(const KindRound&) = delete;

  // Saves only the named personality and connectivity items of `source`.
  SETTINGS_RC Save(MemoryMachine& source, std::initializer_list<const char*> personality,
                   std::initializer_list<const char*> connectivity = {}) {
    MachineScope on(source);
    ProgramObjects program("");
    CurrentConfig().PersonalityItems.SetAll(false);
    CurrentConfig().ConnectivityItems.SetAll(false);
    for (const char* item : personality) CurrentConfig().PersonalityItems.SetSelected(item, true);
    for (const char* item : connectivity) CurrentConfig().ConnectivityItems.SetSelected(item, true);
    return SaveSettings("x", file_, true, true);
  }

  // Makes `target` current with fresh program objects for the rest of the
  // round (for setting options or flags before the load).
  void Enter(MemoryMachine& target) {
    targetScope_.emplace(target);
    program_.emplace("");
  }

  // Loads the saved file on `target` (entered first if it is not yet) and
  // keeps the report the run wrote.
  SETTINGS_RC Load(MemoryMachine& target) {
    if (!targetScope_) Enter(target);
    reader_ = ReaderOf(file_);
    std::string backup;
    const SETTINGS_RC rc = LoadSettings("x", *reader_, false, backup, true);
    report_ = RunReport().Lines();
    return rc;
  }

  const std::vector<std::string>& report() const { return report_; }
  bool reported(const std::string& line) const {
    return std::find(report_.begin(), report_.end(), line) != report_.end();
  }
  std::ptrdiff_t count(const std::string& line) const {
    return std::count(report_.begin(), report_.end(), line);
  }

 private:
  TRecordingStatus status_;
  StatusScope statusScope_;
  TWriteMemoryConnection file_;
  std::optional<MachineScope> targetScope_;
  std::optional<ProgramObjects> program_;
  std::unique_ptr<TReadMemoryConnection> reader_;
  std::vector<std::string> report_;
};

}  // namespace qv::test
