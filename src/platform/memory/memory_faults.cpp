#include "platform/memory/memory_faults.h"

#include "platform/memory/memory_state.h"

namespace qv::mem {

void CountFileWrite(FaultState& faults, Drive& drive, std::uint64_t count) {
  ++faults.fileWrites;
  if (faults.diskFullAt == 0 || faults.fileWrites != faults.diskFullAt) return;
  const std::uint64_t room = count / 2;
  if (drive.capacity > drive.used + room) drive.capacity = drive.used + room;
}

WinError CountRegistryWrite(FaultState& faults) {
  ++faults.registryWrites;
  return faults.registryFailAt != 0 && faults.registryWrites == faults.registryFailAt
             ? err::AccessDenied
             : err::Success;
}

}  // namespace qv::mem
