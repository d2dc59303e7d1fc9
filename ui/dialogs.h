// The modal pieces: the setting dialog, the colour and font pickers, the
// About box and the help file, and the dressing of popups while they are open.
#pragma once

#include "platform/win32.h"

// ApplyFont's modes besides a window handle (which shows the font picker
// owned by that window): the font from logFont, or from settings[SET_FONT].
constexpr UINT_PTR FONT_FROM_LOGFONT = 0;
constexpr UINT_PTR FONT_FROM_SETTING = UINT_PTR(-1);
// The font picker offers screen fonts of fixed pitch, none set vertically,
// starting from the current font, in the sizes the setting's range allows.
constexpr DWORD FONT_PICKER_FLAGS =
    CF_SCREENFONTS | CF_FIXEDPITCHONLY | CF_NOVERTFONTS | CF_INITTOLOGFONTSTRUCT | CF_LIMITSIZE;

// The dialog that edits setting dialogIndex. Ends with the new setting word
// (number, plus the check box in SETTING_FLAG) or 0 when cancelled.
INT_PTR CALLBACK SettingDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Runs the setting dialog for setting index; returns its result, -1 when it
// could not be made.
i32 RunSettingDialog(HWND owner, u32 index);

// The colour picker opened on color, captioned by caption index; returns the
// colour chosen or -1.
i32 PickColor(COLORREF color, u32 captionIndex);

// Makes the display font; with a window handle, from the font the picker returns.
void ApplyFont(UINT_PTR mode);

// The window now draws at this DPI: the font is made anew for it, and the
// settings keep their heights.
void SetWindowDpi(u32 dpi);

// Shows the About box: the settings path when one was given, else the About text.
void ShowAbout(HWND window);

// Opens the help file beside the program; above 32 means it opened.
UINT_PTR OpenHelp();

// UM_DRESS_POPUP: gives the open popup the program's icon and a caption
// (caption index 0 to 9) or a place beside the main window (-1). A modal
// popup on its way but not shown yet is dressed by OnEnterIdle.
void DressPopup(HWND window, LPARAM captionIndex);

// WM_ENTERIDLE: a modal popup of the window has just been shown and waits.
void OnEnterIdle(HWND window, HWND popup);
