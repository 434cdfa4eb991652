// Faults a test can plant in an in-memory machine: a disk that fills up
// during a given write, and a registry write that fails.
#pragma once

#include <cstdint>

#include "platform/win_types.h"

namespace qv::mem {

struct Drive;

// Counted from the moment a fault was last planned; not part of a copy.
struct FaultState {
  std::uint64_t fileWrites = 0;      // WriteFile calls
  std::uint64_t diskFullAt = 0;      // the write (1-based) during which the disk fills; 0 never
  std::uint64_t registryWrites = 0;  // RegSetValueEx, RegCreateKeyEx, RegDeleteValue, RegDeleteKey
  std::uint64_t registryFailAt = 0;  // the registry write (1-based) that fails; 0 none
};

// Counts a WriteFile of `count` bytes on `drive`; at the planned write the
// drive's capacity shrinks to what it holds plus half of this write, so
// this write fails and so does every later one that needs room.
void CountFileWrite(FaultState& faults, Drive& drive, std::uint64_t count);

// Counts a registry write; err::AccessDenied for the planned one, else
// err::Success.
WinError CountRegistryWrite(FaultState& faults);

}  // namespace qv::mem
