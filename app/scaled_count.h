// Converting a byte count from one time unit to another in 32-bit integers.
#pragma once

#include "platform/win32.h"

// Above this a count times 1000 ms would not fit 32 bits: such counts are
// scaled in units of 128 bytes.
constexpr u32 FINE_COUNT_LIMIT = 0x3FFFFF;

// value × to / from, rounded to the nearest integer with halves going up (to
// the nearest multiple of 128 for large values). Both units lie in 80 to 1000.
// Large counts are split at whole multiples of from, so that no product
// passes 32 bits: the average of both directions at 900 ms reaches 2^30.
inline u32 ScaleCount(u32 value, u32 to, u32 from) {
  if (value <= FINE_COUNT_LIMIT) return (value * to + from / 2) / from;
  u32 units = (value + 64) >> 7;
  return ((units / from) * to + ((units % from) * to + from / 2) / from) << 7;
}
