// Opening the popup menus and refreshing their marks and labels.
#pragma once

#include "platform/win32.h"

// WM_NCRBUTTONUP: selector 0 to 3 tracks the bar, the main popup, the Adapter
// or the Setting submenu (a frame hit-test code counts as 1), then runs the
// command picked with its modifier.
void OpenMenu(HWND window, WPARAM selector);

// WM_INITMENUPOPUP: marks and labels come from the state record each time a
// menu opens; nothing else stores them.
void RefreshMenu(HWND window, HMENU menu);
