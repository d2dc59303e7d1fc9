// Timed clicks, dragging, hovering the frame's edges and single-key taps.
#pragma once

#include "platform/win32.h"

void OnButtonDown();
// Dragging by the client area moves the window through the system's move loop.
void OnMouseMove(HWND window, WPARAM buttons);
void OnLeftButtonUp(HWND window);
void OnRightButtonUp(HWND window);
void OnEdgeHover(HWND window, WPARAM hitTest);
void OnKeyDown(HWND window, WPARAM key);
void OnKeyUp(HWND window, WPARAM key);
