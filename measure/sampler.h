// The sampler: once per interval the selected adapter's octet counters become
// per-interval history and KiB totals.
#pragma once

#include "platform/win32.h"

constexpr UINT_PTR SAMPLE_TIMER_ID = 1;
constexpr u32 WARM_UP_AFTER_POWER = 3;  // sampleCounter after suspend or resume: five readings skipped
// rescanCountdown: a wait count in bits 0-7, and a retry flag.
constexpr u32 RESCAN_PENDING = 1;
constexpr u32 RESCAN_RETRY = 0x100;  // the last rescan listed nothing: rescan again after the wait
constexpr u32 RESCAN_LOST = 0x200;   // the pick is not measured: the graph shows nothing for it

// The timer procedure. A null window only takes fresh baselines.
void CALLBACK SampleTick(HWND window, UINT message, UINT_PTR timerId, DWORD time);

// Rescales the history from the old interval to the one now set, restarts the
// timer with it and takes fresh baselines.
void ChangeInterval(HWND window, u32 oldInterval);

void ClearHistory();

// The internet's route is looked at by the next tick, not a couple of seconds on.
void LookAtRouteNow();
