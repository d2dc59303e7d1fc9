// The program's entry procedure.
#pragma once

#include "platform/win32.h"

// Reads the start flags, loads the settings, makes the window and runs the
// message loop; ends the process with exit code 0 on every way out.
extern "C" [[noreturn]] void WINAPI StartUp();

// The menu resource and the three popups the program opens from it.
void LoadMenus(HINSTANCE instance);

// Everything from the window class to the main window, as start-up makes it
// once the settings are loaded; false (nothing to measure, or no window)
// sends start-up to shutdown.
bool CreateEverything(u32 startFlags);
