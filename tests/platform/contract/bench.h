// A machine prepared for the port contract tests: a scratch registry key and
// a scratch folder of its own, removed again when the bench goes away.
#pragma once

#include <functional>
#include <ostream>
#include <memory>
#include <string>
#include <vector>

#include "platform/machine.h"

namespace qv::test {

class Bench {
 public:
  // `machine` must outlive the bench.
  explicit Bench(Machine& machine);
  virtual ~Bench();

  Machine& machine() { return machine_; }
  IRegistry& reg() { return machine_.Registry(); }
  IFiles& files() { return machine_.Files(); }
  ISystemInfo& sys() { return machine_.System(); }
  OSKind kind() const { return kind_; }
  // Whether the machine is Wine's Windows (it keeps HKLM\Software\Wine).
  // Where Wine differs from Windows by design, the contract tests say so and
  // pin the in-memory machine to Windows' behaviour instead.
  bool wine() const { return wine_; }

  // HKEY_CURRENT_USER\<scratchKey> exists and is empty at the start.
  const std::string& scratchKey() const { return scratchKey_; }
  // A folder (no trailing backslash) that exists and is empty at the start.
  const std::string& scratchDir() const { return scratchDir_; }
  std::string Path(const std::string& name) const { return scratchDir_ + "\\" + name; }
  std::string Key(const std::string& name) const { return scratchKey_ + "\\" + name; }

  // Deletes a key and everything below it (also on Windows NT).
  WinError DeleteTree(RegKey root, const std::string& path);
  // Removes a folder and everything in it, clearing read-only attributes.
  void RemoveTree(const std::string& path);

  // Small conveniences on top of the ports.
  void WriteFile(const std::string& path, const std::string& contents);
  std::string ReadFile(const std::string& path);

 private:
  Machine& machine_;
  MachineScope scope_;
  OSKind kind_;
  bool wine_ = false;
  std::string scratchKey_;
  std::string scratchDir_;
};

// One machine the contract suites run against.
struct Target {
  std::string name;  // test-name suffix: "Memory95", "Win32", ...
  std::function<std::unique_ptr<Bench>()> make;
};

// Every target of this build (memory machines of each kind, and the real
// Win32 machine in the Windows build).
const std::vector<Target>& Targets();
// Adds a target; the target files register theirs at start-up.
bool RegisterTarget(Target target);

std::string TargetName(const Target& t);
// Test failures print the target's name.
void PrintTo(const Target& t, std::ostream* os);

}  // namespace qv::test
