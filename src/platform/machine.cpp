#include "platform/machine.h"

#include <atomic>

namespace qv {

namespace {
std::atomic<Machine*> g_current{nullptr};
}  // namespace

Machine& CurrentMachine() {
  Machine* m = g_current.load();
  return m ? *m : DefaultMachine();
}

MachineScope::MachineScope(Machine& machine) : previous_(g_current.exchange(&machine)) {}

MachineScope::~MachineScope() { g_current.store(previous_); }

}  // namespace qv
