// Converting a byte count from one time unit to another in 32-bit integers.
#pragma once

#include "platform/win32.h"

// Above this a count times 1000 ms would not fit 32 bits: such counts are
// scaled in units of 128 bytes.
constexpr u32 FINE_COUNT_LIMIT = 0x3FFFFF;
constexpr u32 MAX_COUNT = 0xFFFFFFFF;

// value × to / from, rounded to the nearest integer with halves going up (to
// the nearest multiple of 128 for large values). Both units lie in 80 to 1000.
// Large counts are split at whole multiples of from, so that no product
// passes 32 bits; a result that would pass them reads as the largest count.
inline u32 ScaleCount(u32 value, u32 to, u32 from) {
  if (value <= FINE_COUNT_LIMIT) return (value * to + from / 2) / from;
  u32 units = (value >> 7) + ((value >> 6) & 1);  // (value + 64) >> 7, which could wrap near 2^32
  u32 scaled = (units / from) * to + ((units % from) * to + from / 2) / from;
  return scaled > MAX_COUNT >> 7 ? MAX_COUNT : scaled << 7;
}
