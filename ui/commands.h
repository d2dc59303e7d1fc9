// The commands of the popup menus, carried out by one dispatcher.
#pragma once

#include "platform/win32.h"

// Carries out command id; a non-zero modifier (Shift, or the item picked with
// the right button) chooses a command's second variant.
void RunCommand(HWND window, u32 id, u32 modifier);
