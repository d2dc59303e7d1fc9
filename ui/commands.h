// The commands of the popup menus, carried out by one dispatcher.
#pragma once

#include "platform/win32.h"

// Carries out command id; a non-zero modifier (Shift, or the item picked with
// the right button) chooses a command's second variant. Every command stamps
// lastInputTick except where the picker or the appearance follow-up says not.
void RunCommand(HWND window, u32 id, u32 modifier);

// Puts the readouts on the clipboard and, when that worked and the display
// is live, flashes the slash as confirmation.
void CopyAndFlash(HWND window);
