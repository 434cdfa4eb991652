// A test machine with the program-wide objects, a recording status window
// and the debug log, plus a small settings item to stand in for real ones.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "config/cat_config.h"
#include "config/options.h"
#include "engine/program.h"
#include "engine/run_report.h"
#include "engine/settings.h"
#include "engine/status.h"
#include "stream/connection.h"
#include "support/memory_fixture.h"

namespace qv::test {

// Writes an integer and a string; on load records what it read (and the
// stream's OSVersion) in `loaded`.
class FakeItem : public TSettings {
 public:
  struct Loaded {
    std::string name;
    std::int32_t number;
    std::string text;
    std::int32_t osVersion;
  };
  static std::vector<Loaded>& loaded() {
    static std::vector<Loaded> l;
    return l;
  }

  FakeItem(std::string name, std::int32_t number, bool writeOk = true, bool readOk = true,
           bool needsRegistry = false)
      : name_(std::move(name)), number_(number), writeOk_(writeOk), readOk_(readOk),
        needsRegistry_(needsRegistry) {}

  bool Write(TConnection& s) override {
    s.WriteInteger(number_);
    s.WriteString(name_ + " payload");
    s.AddComment("Saved " + name_);
    return writeOk_;
  }
  bool Read(TConnection& s) override {
    Loaded l{name_, s.ReadInteger(), s.ReadString(), s.OSVersion};
    loaded().push_back(l);
    s.AddComment("Loaded " + name_);
    return readOk_;
  }
  bool RequiresRegistryAccess() override { return needsRegistry_; }

 private:
  std::string name_;
  std::int32_t number_;
  bool writeOk_, readOk_, needsRegistry_;
};

class EngineTest : public MemoryMachineTest {
 protected:
  explicit EngineTest(OSKind kind = okWinNT)
      : MemoryMachineTest(kind), program_(""), statusScope_(status_) {
    FakeItem::loaded().clear();
    DeselectAll();
  }

  void DeselectAll() {
    CurrentConfig().PersonalityItems.SetAll(false);
    CurrentConfig().ConnectivityItems.SetAll(false);
    CurrentConfig().FileList.clear();
  }
  // Selects a section and puts a FakeItem under its name.
  void UseFake(const std::string& name, std::int32_t number, bool writeOk = true,
               bool readOk = true, bool needsRegistry = false) {
    CurrentConfig().PersonalityItems.SetSelected(name, true);
    CurrentConfig().ConnectivityItems.SetSelected(name, true);
    fakes_.push_back(std::make_unique<ScopedSettingsItem>(
        name, [=] { return std::make_unique<FakeItem>(name, number, writeOk, readOk, needsRegistry); }));
  }

  TRecordingStatus& status() { return status_; }
  std::vector<std::string> report() { return RunReport().Lines(); }
  bool ReportHas(const std::string& line) {
    for (const std::string& l : report())
      if (l == line) return true;
    return false;
  }

 private:
  ProgramObjects program_;
  TRecordingStatus status_;
  StatusScope statusScope_;
  std::vector<std::unique_ptr<ScopedSettingsItem>> fakes_;
};

}  // namespace qv::test
