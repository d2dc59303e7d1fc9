// One reading of the selected interface's octet counters and state, through
// GetIfEntry2's 64-bit counters where the system has them (Vista and later)
// and GetIfEntry's 32-bit ones elsewhere.
#pragma once

#include "platform/win32.h"

struct CounterReading {
  u64 in, out;
  u32 wide;  // 64-bit counters: they never wrap, so every rise is exact
};

// Looks GetIfEntry2 up once, at start: the program still loads on Windows XP.
void FindWideCounters();

// Reads the interface of a row of the held table and refreshes the row's
// dwOperStatus; false when the system cannot.
bool ReadCounters(MIB_IFROW& row, CounterReading& reading);
