// A machine: the set of Windows services the program reaches the OS through.
//
// Items and engine code never call Windows directly; they ask the current
// machine for a port. The product runs on the Win32 machine (the real API);
// tests and the native build run on in-memory machines of a chosen kind.
#pragma once

#include "platform/files.h"
#include "platform/registry.h"
#include "platform/system_info.h"

namespace qv {

class ISystemParameters;
class IProfiles;
class IShell;
class ISpooler;
class INetwork;
class IDialUp;
class IDesktop;
class IActiveDesktop;
class IPrompts;

class Machine {
 public:
  virtual ~Machine() = default;

  virtual IRegistry& Registry() = 0;
  virtual IFiles& Files() = 0;
  virtual ISystemInfo& System() = 0;

  // Services that an adapter may not provide yet give null.
  virtual ISystemParameters* SystemParameters() { return nullptr; }
  virtual IProfiles* Profiles() { return nullptr; }
  virtual IShell* Shell() { return nullptr; }
  virtual ISpooler* Spooler() { return nullptr; }
  virtual INetwork* Network() { return nullptr; }
  virtual IDialUp* DialUp() { return nullptr; }
  virtual IDesktop* Desktop() { return nullptr; }
  virtual IActiveDesktop* ActiveDesktop() { return nullptr; }
  virtual IPrompts* Prompts() { return nullptr; }
};

// The machine the program currently runs on. Until a scope selects another,
// it is the build's default machine: the Win32 machine in the Windows build,
// an in-memory Windows NT machine in the native build.
Machine& CurrentMachine();

// Makes `machine` current for the guard's lifetime, then restores the
// previous one. The current machine is process-wide (worker threads see it).
class MachineScope {
 public:
  explicit MachineScope(Machine& machine);
  ~MachineScope();
  MachineScope(const MachineScope&) = delete;
  MachineScope& operator=(const MachineScope&) = delete;

 private:
  Machine* previous_;
};

// The build's default machine (defined once per build).
Machine& DefaultMachine();

}  // namespace qv
