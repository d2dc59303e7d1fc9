// The program's entry procedure.
#pragma once

#include "platform/win32.h"

// Reads the start flags, loads the settings, makes the window and runs the
// message loop; ends the process with exit code 0 on every way out.
extern "C" [[noreturn]] void WINAPI StartUp();
