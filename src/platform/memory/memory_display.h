// The in-memory machine's appearance: the colour, scheme and window-metric
// values a fresh machine of each kind has in its registry, what the update
// flag of the metric calls writes there, and which display modes take a
// restart.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/memory/memory_state.h"

namespace qv::mem {

// Registry values of the appearance of a fresh machine (after the colours
// and metric blocks of InitializeParameters are in place).
void InitializeAppearance(MemoryMachine::State& state);

// What SPIF_UPDATEINIFILE stores for the set action of a structure (icon,
// minimized-window and non-client metrics): the values under "Control
// Panel\Desktop\WindowMetrics", in pixels on Windows 95/98 and in twips
// (-15 per pixel) on Windows NT. Other actions store nothing here.
void StoreWindowMetrics(MemoryMachine::State& state, unsigned setAction,
                        const std::vector<std::uint8_t>& block);

// Whether the display shows `target` only after a restart: Windows 95 changes
// the colour depth only then, and a mode listed in the machine's
// restart-only modes takes one unless it is the mode in use.
bool ModeNeedsRestart(const MemoryMachine::State& state, const DisplayMode& target);

// What the system corrects in a structure it is given before keeping it:
// icon spacing is at least 32 pixels (Windows raises smaller values).
void AdjustSetBlock(unsigned setAction, std::vector<std::uint8_t>& block);

// A failure a test asked for with ParameterState::failingActions: true, with
// the thread's last error set, when `action` is to fail.
bool FailsOnRequest(const MemoryMachine::State& state, unsigned action);

}  // namespace qv::mem
