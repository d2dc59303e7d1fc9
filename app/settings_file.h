// The settings file: read once at start, written once when the window goes.
#pragma once

// The settings file name: the command line's settings path, or the program's
// own path with the extension "qnf".
const char* SettingsFileName();

// Replaces the settings image with the file's contents when the file passes
// the header check, then repairs settings a damaged file could carry.
void LoadSettings();

// Writes the 220-byte image at the start of the file, leaving any longer tail.
void SaveSettings();
