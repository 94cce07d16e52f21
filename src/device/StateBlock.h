// A recorded state block: the states set between BeginStateBlock and EndStateBlock, with the
// values they hold.
#pragma once

#include <set>

#include "device/DeviceState.h"

// Owns copies of the recorded values (resource slots hold references).
struct StateBlock {
    // Which states the block holds; lights are listed in lightValues and lightEnables instead
    // of StateFlags::lights.
    StateFlags recorded;
    std::set<DWORD> lightValues;
    std::set<DWORD> lightEnables;
    DeviceState values;

    // Refreshes every held state with the value in current. A held light that current lacks
    // keeps its recorded value.
    void Capture(const DeviceState& current);
};
