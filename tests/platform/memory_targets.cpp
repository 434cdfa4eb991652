// The in-memory machines of each kind as contract-test targets.
#include "platform/contract/bench.h"
#include "platform/memory/memory_machine.h"

namespace qv::test {
namespace {

// Owns the machine; as the first base it is built before the bench and
// destroyed after it.
struct MachineHolder {
  explicit MachineHolder(OSKind kind) : machine(kind) {}
  MemoryMachine machine;
};

class MemoryBench : private MachineHolder, public Bench {
 public:
  explicit MemoryBench(OSKind kind) : MachineHolder(kind), Bench(MachineHolder::machine) {}
};

Target MemoryTarget(OSKind kind, const char* name) {
  return Target{name, [kind] { return std::unique_ptr<Bench>(new MemoryBench(kind)); }};
}

const bool registered = RegisterTarget(MemoryTarget(okWin95, "Memory95")) &&
                        RegisterTarget(MemoryTarget(okWin98, "Memory98")) &&
                        RegisterTarget(MemoryTarget(okWinNT, "MemoryNT"));

}  // namespace
}  // namespace qv::test
