// The four readouts: totals received and sent in KiB, peak and average of the
// visible samples in bytes per second; their text, position and colour.
#pragma once

#include "platform/win32.h"

struct VisibleStats {
  u32 peak;       // the largest visible sample of either direction
  u32 peakIndex;  // its history index; ties go to the one visited last
  u64 average;    // both directions summed, divided by the plot count: up to twice the peak
};

struct Readout {
  const char* text;  // inside readoutText, NUL-terminated
  u32 length;        // without the NUL
  i32 x, y;
  COLORREF color;
};

constexpr u32 READOUT_COUNT = 4;
constexpr u32 GROUPED_TEXT_MAX = 13;  // "4,294,967,295"

VisibleStats ComputeVisibleStats();

// A byte count per interval of `interval` ms as bytes per second, rounded;
// one past 32 bits reads as 4,294,967,295.
u32 PerSecond(u64 value, u32 interval);

// The decimal text of value with ',' between groups of three digits, without a
// NUL; returns its length.
u32 FormatGrouped(u32 value, char* out);

// Rewrites readoutText and describes each readout for drawing.
void FormatReadouts(const VisibleStats& stats, Readout out[READOUT_COUNT]);
