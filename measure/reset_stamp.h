// Resetting the totals and recording when: the reset item of the menu shows
// since when the totals have been counting.
#pragma once

#include "platform/win32.h"

// Acts on START_RESET (reset now) and START_DAILY_RESET (reset when the last
// reset was not today); resets anyway when no reset was ever recorded; then
// relabels the reset item from the recorded moment.
void StampReset(u32 flags);
