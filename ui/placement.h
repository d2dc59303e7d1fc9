// Keeping windows reachable: on their monitor's work area, and on top when
// the Force option asks for it.
#pragma once

#include "platform/win32.h"

// Pulls a window back into the work area of the monitor under its centre.
// ownMove is 1 when the main window moved itself or the display changed: then
// a window with both corners on monitors stays where it is, and one with a
// corner off every monitor may hang out by half its size. Shift lets the frame
// hang out so the client area can touch the edges; Ctrl keeps it all inside.
void KeepOnMonitor(HWND window, u32 ownMove);

// Every four seconds or so, notes whether a visible window above the main one
// covers its centre, and puts the main window back on top at the next check.
void CheckCovered(HWND window, u32 tickNow);
