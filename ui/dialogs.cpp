#include "ui/dialogs.h"

#include "app/app_state.h"
#include "app/program_path.h"
#include "app/texts.h"
#include "display/painter.h"
#include "res/resource.h"
#include "ui/main_window.h"
#include "ui/placement.h"

namespace {

constexpr u32 INTERVAL_STEP = 10;  // the interval's arrows move in tens of milliseconds
constexpr INT FONT_PICKER_MIN = 7;
constexpr u32 FACE_NAME_OFFSET = offsetof(LOGFONTA, lfFaceName);
constexpr LONG BOLD_WEIGHT_BIT = 0x200;
constexpr i32 POPUP_OFFSET_X = 3;
constexpr i32 POPUP_OFFSET_Y = 5;
constexpr UINT ABOUT_BOX_TYPE = MB_SYSTEMMODAL | MB_ICONINFORMATION;

// Shows Shift-JIS text with the wide calls, so that it reads right on every
// system, not only where the ANSI code page is 932.
void SetShiftJisText(HWND window, const char* text) {
  WCHAR wide[TEXT_SLOT_SIZE];
  if (MultiByteToWideChar(SHIFT_JIS_CODE_PAGE, 0, text, -1, wide, TEXT_SLOT_SIZE)) SetWindowTextW(window, wide);
}

void InitSettingDialog(HWND dialog, u32 index) {
  SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(app.appIcon));
  SetShiftJisText(GetDlgItem(dialog, IDC_PROMPT), settingPrompts[index]);
  SetDlgItemInt(dialog, IDC_VALUE, app.settings[index] & SETTING_VALUE_MASK, FALSE);
  if (index != SET_FONT && index != SET_OPACITY) return;  // the interval and the plot count have no flag
  HWND flag = GetDlgItem(dialog, IDC_FLAG);
  ShowWindow(flag, SW_SHOWNA);
  if (app.settings[index] & SETTING_FLAG) SendMessageA(flag, BM_SETCHECK, BST_CHECKED, 0);
  if (index == SET_FONT) SetWindowTextA(flag, boldLabel);
}

INT_PTR OnSettingOk(HWND dialog) {
  const SettingRange& range = settingRanges[app.dialogIndex];
  u32 value = GetDlgItemInt(dialog, IDC_VALUE, nullptr, FALSE);
  if (value < range.min || value > range.max) {
    MessageBeep(MB_ICONEXCLAMATION);
    SetFocus(GetDlgItem(dialog, IDC_VALUE));
    return FALSE;
  }
  u32 flag = SendDlgItemMessageA(dialog, IDC_FLAG, BM_GETCHECK, 0, 0) == BST_CHECKED ? SETTING_FLAG : 0;
  return EndDialog(dialog, INT_PTR(value | flag));
}

// The up-down control keeps its default range, 100 down to 0, so its up arrow
// proposes a negative change: subtracting it makes up raise the number.
void OnSpin(HWND dialog, const NMUPDOWN& change) {
  const SettingRange& range = settingRanges[app.dialogIndex];
  u32 value = GetDlgItemInt(dialog, IDC_VALUE, nullptr, FALSE);
  i32 delta = change.iDelta * i32(app.dialogIndex == SET_INTERVAL ? INTERVAL_STEP : 1);
  if ((delta > 0 && value == range.min) || (delta < 0 && value == range.max)) return;
  // Exactly, without wrapping: below zero is below the minimum, above 2^32 - 1 above the maximum.
  i64 proposed = i64(value) - delta;
  u32 result = proposed < i64(range.min) ? range.min : proposed > i64(range.max) ? range.max : u32(proposed);
  SetDlgItemInt(dialog, IDC_VALUE, result, FALSE);
}

// The font at the window's DPI takes the place of the one on the screen;
// its height as the settings keep it stays with the caller.
bool SwapInFont(LOGFONTA font) {
  u32 height = OnScreen(u32(font.lfHeight < 0 ? -font.lfHeight : font.lfHeight));
  font.lfHeight = font.lfHeight < 0 ? -LONG(height) : LONG(height);
  HFONT made = CreateFontIndirectA(&font);
  if (!made) return false;
  CarryOutPendingSelect();
  app.gdiTable[GDI_FONT] = made;
  app.pendingSelect = PENDING_FONT_SWAP;
  return true;
}

}  // namespace

INT_PTR CALLBACK SettingDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      InitSettingDialog(dialog, u32(lParam));
      return TRUE;  // the first control, the number, gets the focus
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) return OnSettingOk(dialog);
      if (LOWORD(wParam) == IDCANCEL) return EndDialog(dialog, 0);
      return FALSE;
    case WM_NOTIFY: {
      const auto* change = reinterpret_cast<const NMUPDOWN*>(lParam);
      if (wParam == IDC_SPIN && change->hdr.code == UDN_DELTAPOS) OnSpin(dialog, *change);
      return FALSE;
    }
  }
  return FALSE;
}

i32 RunSettingDialog(HWND owner, u32 index) {
  app.dialogIndex = index;
  return i32(DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SETTING), owner, SettingDlgProc,
                             LPARAM(index)));
}

i32 PickColor(COLORREF color, u32 captionIndex) {
  PostMessageA(app.mainWindow, UM_DRESS_POPUP, 0, LPARAM(captionIndex));
  CHOOSECOLORA picker{};
  picker.lStructSize = sizeof picker;
  picker.hwndOwner = app.mainWindow;
  picker.rgbResult = color;
  picker.lpCustColors = app.customColors;
  picker.Flags = CC_RGBINIT | CC_FULLOPEN;
  return ChooseColorA(&picker) ? i32(picker.rgbResult) : -1;
}

void ApplyFont(UINT_PTR mode) {
  LOGFONTA font = app.logFont;
  if (mode == FONT_FROM_SETTING) {
    font.lfHeight = -LONG(SettingLowByte(SET_FONT));
    font.lfWeight = (app.settings[SET_FONT] & SETTING_FLAG) ? FW_BOLD : FW_NORMAL;
  } else if (mode != FONT_FROM_LOGFONT) {
    HWND owner = reinterpret_cast<HWND>(mode);
    PostMessageA(owner, UM_DRESS_POPUP, 0, 0);
    CHOOSEFONTA picker{};
    picker.lStructSize = sizeof picker;
    picker.hwndOwner = owner;
    picker.lpLogFont = &font;
    picker.Flags = FONT_PICKER_FLAGS;
    picker.nFontType = SCREEN_FONTTYPE;
    picker.nSizeMin = FONT_PICKER_MIN;
    picker.nSizeMax = FONT_PICKER_MAX_POINTS;
    if (!ChooseFontA(&picker)) return;
    // The same font picked again makes no new font: compare up to the face name's end.
    const u8* picked = reinterpret_cast<const u8*>(&font);
    const u8* held = reinterpret_cast<const u8*>(&app.logFont);
    u32 i = 0;
    while (i < sizeof font && picked[i] == held[i] && !(i >= FACE_NAME_OFFSET && picked[i] == 0)) ++i;
    if (i == sizeof font || picked[i] == held[i]) return;
  }
  if (!SwapInFont(font)) return;
  app.logFont = font;
  u32 height = u32(font.lfHeight < 0 ? -font.lfHeight : font.lfHeight);
  app.settings[SET_FONT] = height | ((font.lfWeight & BOLD_WEIGHT_BIT) ? SETTING_FLAG : 0);
}

void SetWindowDpi(u32 dpi) {
  if (!dpi || dpi == app.windowDpi) return;
  app.windowDpi = dpi;
  SwapInFont(app.logFont);
}

void ShowAbout(HWND window) {
  char caption[sizeof programName + sizeof programVersion];
  wsprintfA(caption, "%s %s", programName, programVersion);
  PostMessageA(window, UM_DRESS_POPUP, 0, -1);
  // A settings path, of any length, is in the system's own code page.
  if (app.cmdSettingsPath) {
    MessageBoxA(window, app.cmdSettingsPath, caption, ABOUT_BOX_TYPE);
    return;
  }
  // Without code page 932 (a system without East Asian support) the text has no
  // wide form: the box shows its bytes as they are rather than an unfinished buffer.
  WCHAR wideText[sizeof aboutText];
  WCHAR wideCaption[sizeof caption];
  if (!MultiByteToWideChar(SHIFT_JIS_CODE_PAGE, 0, aboutText, -1, wideText, sizeof aboutText) ||
      !MultiByteToWideChar(CP_ACP, 0, caption, -1, wideCaption, sizeof caption)) {
    MessageBoxA(window, aboutText, caption, ABOUT_BOX_TYPE);
    return;
  }
  MessageBoxW(window, wideText, wideCaption, ABOUT_BOX_TYPE);
}

UINT_PTR OpenHelp() {
  const char* help = ProgramPathWithExtension("chm");
  return reinterpret_cast<UINT_PTR>(ShellExecuteA(nullptr, nullptr, help, nullptr, nullptr, SW_SHOWNORMAL));
}

static void Dress(HWND popup, LPARAM captionIndex) {
  SendMessageA(popup, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(app.appIcon));
  if (captionIndex >= 0 && captionIndex < LPARAM(CAPTION_COUNT)) {
    SendMessageA(popup, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(popupCaptions[captionIndex]));
    return;
  }
  SetWindowPos(popup, nullptr, app.windowRect.left + POPUP_OFFSET_X, app.windowRect.top + POPUP_OFFSET_Y, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  KeepOnMonitor(popup, 0);
}

void DressPopup(HWND window, LPARAM captionIndex) {
  HWND popup = GetLastActivePopup(window);
  if (popup && popup != window) {
    Dress(popup, captionIndex);
    return;
  }
  // A dialog without WS_VISIBLE in its template (the font picker's) is shown only once its
  // modal loop goes idle, after this message; the disabled owner tells one is on its way.
  if (!IsWindowEnabled(window)) app.pendingDress = i32(captionIndex);
}

void OnEnterIdle(HWND window, HWND popup) {
  if (app.pendingDress == NO_DRESS || GetWindow(popup, GW_OWNER) != window) return;
  LPARAM captionIndex = app.pendingDress;
  app.pendingDress = NO_DRESS;
  Dress(popup, captionIndex);
}
