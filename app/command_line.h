// The command line: the program's path, option letters after '/', and an
// optional settings file path.
#pragma once

#include "platform/win32.h"

// Finds the program path and scans the options after it: each option letter
// toggles its start flag, a drive letter or network path names the settings
// file. Returns false when the program's path is not known.
bool ReadCommandLine(char* text, u32& startFlags);

// Ends the settings path at the next '/' and drops trailing blanks and quotes,
// writing NULs into the command-line text.
void CutSettingsPath();
