#include "platform/memory/memory_machine.h"

namespace qv {

// The native build runs on an in-memory Windows NT machine.
Machine& DefaultMachine() {
  static MemoryMachine machine(okWinNT);
  return machine;
}

}  // namespace qv
