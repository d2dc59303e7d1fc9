// The settings file: read once at start, written when the window goes, when
// the system suspends, and once an hour while the totals have changed.
#pragma once

#include "platform/win32.h"

constexpr UINT_PTR SAVE_TIMER_ID = 2;
constexpr UINT SAVE_PERIOD_MS = 60 * 60 * 1000;

// The settings file name: the command line's settings path, or the program's
// own path with the extension "qnf".
const char* SettingsFileName();

// Replaces the settings image with the file's contents when the file passes
// the header check, then repairs settings a damaged file could carry.
void LoadSettings();

// Tells the user at start when the settings file cannot be written, without
// changing the file or leaving one behind where there was none.
void CheckSettingsWritable();

// Writes the 220-byte image at the start of the file, leaving any longer tail.
// A file that cannot be written is said once per run, unless the user made it
// read-only, another program holds it for a moment, or Windows is ending the
// session.
void SaveSettings();

// Writes the file before the system sleeps, in case it never wakes. Says
// nothing: a message box would hold up the suspend; a later save says it.
void SaveSettingsBeforeSuspend();

// The hourly timer procedure: writes the file when the totals differ from the
// ones it holds, so a system that never closes the program loses at most an hour.
void CALLBACK SaveTick(HWND window, UINT message, UINT_PTR timerId, DWORD time);
