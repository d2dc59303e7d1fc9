// Converting a byte count from one time unit to another in integers.
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

// n / d for a quotient below 2^bits, exactly, by long division: the program
// has no runtime library for a 64-bit divide on i386.
inline u32 DivideLong(u64 n, u32 d, u32 bits) {
  u32 quotient = 0;
  for (u32 bit = bits; bit-- > 0;) {
    u64 part = u64(d) << bit;
    if (part <= n) {
      n -= part;
      quotient |= 1u << bit;
    }
  }
  return quotient;
}

// What rose over `from` ms, as bytes per `to` ms (at most 1000), rounded to
// the nearest with halves going up; a result past ceiling reads as ceiling + 1.
inline u64 RiseAtRate(u64 rise, u32 to, u32 from, u32 ceiling) {
  constexpr u32 PRODUCT_FITS_SHIFT = 54;  // below 2^54 a rise times 1000 fits 64 bits
  u64 over = u64(ceiling) + 1;
  if (rise >> PRODUCT_FITS_SHIFT) return over;  // past any ceiling over fewer than 2^32 ms
  u64 n = rise * to + from / 2;
  return n >= over * from ? over : DivideLong(n, from, 32);
}
