// Explorer's own registry values on a fresh machine: the cabinet and shell
// states, the Explorer window's view and a few remembered folder views.
#pragma once

#include "platform/memory/memory_machine.h"

namespace qv::mem {

// Windows 95 and NT keep the folder options in the binary "ShellState"
// value and list their folder streams by letter ("MRUList"); Windows 98
// keeps two of the options as DWORDs below "Advanced" and lists the streams
// as int32 entries ("MRUListEx") with a "ViewView2" value per stream.
void InitializeExplorer(MemoryMachine::State& state);

}  // namespace qv::mem
