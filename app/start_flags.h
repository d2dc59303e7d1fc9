// Start flags: built once at start-up from keys held at launch and the
// command line's option letters; they live only during start-up.
#pragma once

#include "platform/win32.h"

constexpr u32 START_ALL_ADAPTERS = 0x01;  // letter A: the first adapter scan lists every interface
constexpr u32 START_DUPLICATE = 0x02;     // D or Ctrl: no single-instance check
constexpr u32 START_NO_DPI = 0x04;        // V or NonConvert: not declared DPI-aware
constexpr u32 START_RESET = 0x08;         // R or Shift: reset the totals now
constexpr u32 START_PLAIN = 0x10;         // J: modeFlags 0 after loading
constexpr u32 START_COLORKEY = 0x20;      // T: modeFlags MODE_COLORKEY after loading
constexpr u32 START_DAILY_RESET = 0x40;   // E: reset the totals when the last reset was not today
