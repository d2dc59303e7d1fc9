// The main window's procedure and its translucency.
#pragma once

#include "platform/win32.h"

// Messages the program posts or sends to itself.
constexpr UINT UM_KEEP_ON_SCREEN = WM_APP + 2;
constexpr UINT UM_DRESS_POPUP = WM_APP + 4;  // lParam: caption index, or -1 to place the popup
constexpr UINT UM_COMMAND = WM_APP + 8;      // wParam: command id, lParam: modifier

// Also called directly with no window by the adapter scan to select an adapter.
LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Turns the opacity setting and the mode bits into layered-window attributes, then repaints.
void ApplyAppearance(HWND window);
