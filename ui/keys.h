// Keys as the program reads them at the moment it acts, not from a message.
#pragma once

#include "platform/win32.h"

// Whether the key is down now: the top bit of its asynchronous state.
inline bool KeyHeld(int key) { return GetAsyncKeyState(key) & 0x8000; }
