#include "ui/commands.h"

#include "app/app_state.h"
#include "app/start_flags.h"
#include "display/clipboard.h"
#include "display/painter.h"
#include "measure/adapters.h"
#include "measure/reset_stamp.h"
#include "measure/sampler.h"
#include "res/resource.h"
#include "ui/dialogs.h"
#include "ui/main_window.h"

namespace {

constexpr UINT_PTR HELP_OPENED = 32;  // ShellExecuteA reports success above this

// Each handler returns whether the command stamps lastInputTick.
using CommandHandler = bool (*)(HWND window, u32 id, u32 modifier);

bool ToggleTopMost(HWND window, u32, u32) {
  app.optionFlags ^= OPT_TOPMOST;
  SetWindowPos(window, (app.optionFlags & OPT_TOPMOST) ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE);
  return true;
}

// The shell takes a new taskbar style into account when the window is shown anew.
bool ToggleTaskbar(HWND window, u32, u32) {
  app.optionFlags ^= OPT_TASKBAR;
  LONG_PTR exStyle = GetWindowLongPtrA(window, GWL_EXSTYLE);
  ShowWindow(window, SW_HIDE);
  exStyle = (app.optionFlags & OPT_TASKBAR) ? exStyle & ~LONG_PTR(WS_EX_TOOLWINDOW) : exStyle | WS_EX_TOOLWINDOW;
  SetWindowLongPtrA(window, GWL_EXSTYLE, exStyle);
  ShowWindow(window, SW_SHOWNORMAL);
  return true;
}

bool ToggleOption(HWND, u32 id, u32) {
  app.optionFlags ^= 1u << (id - IDM_TOPMOST);
  PaintAll(PAINT_NORMAL);
  return true;
}

bool ResetTotals(HWND, u32, u32 modifier) {
  StampReset(START_RESET);
  if (modifier) ClearHistory();
  return true;
}

bool Copy(HWND window, u32, u32) {
  CopyAndFlash(window);
  return true;
}

// What a changed setting sets off; returns whether the command stamps.
bool IntervalChanged(HWND window, u32 old) {
  ChangeInterval(window, old);
  return true;
}
bool PlotChanged(HWND, u32) {
  PaintAll(PAINT_NORMAL);
  return true;
}
bool FontChanged(HWND, u32) {
  ApplyFont(FONT_FROM_SETTING);
  PaintAll(PAINT_NORMAL);
  return true;
}
bool OpacityChanged(HWND window, u32) {
  ApplyAppearance(window);
  return false;
}
constexpr bool (*settingChanged[SETTING_COUNT])(HWND, u32){IntervalChanged, PlotChanged, FontChanged, OpacityChanged};

bool EditSetting(HWND window, u32 id, u32 modifier) {
  u32 index = id - IDM_SET_INTERVAL;
  if (modifier && index == SET_FONT) {
    ApplyFont(reinterpret_cast<UINT_PTR>(window));  // the font picker; the next paint shows its font
    return false;
  }
  if (modifier && index == SET_OPACITY) {
    app.settings[SET_OPACITY] ^= SETTING_FLAG;
    ApplyAppearance(window);
    return false;
  }
  i32 result = RunSettingDialog(window, index);
  if (result <= 0 || u32(result) == app.settings[index]) return true;  // cancelled, failed or unchanged
  u32 old = app.settings[index];
  app.settings[index] = u32(result);
  return settingChanged[index](window, old);
}

// Colour n of the menu is colors[n - 1]; the picker's caption is n.
bool ChangeColour(HWND window, u32 id, u32) {
  u32 n = id - IDM_COLOR_BACK + 1;
  u32 index = n - 1;
  i32 picked = PickColor(app.colors[index], n);
  if (picked < 0 || u32(picked) == app.colors[index]) return true;
  COLORREF colour = COLORREF(picked);
  app.colors[index] = colour;
  if (index == COLOR_BACK) {
    app.gdiTable[GDI_BACK_BRUSH] = CreateSolidBrush(colour);
    // The class hands back the brush it had: the old background brush.
    DeleteObject(reinterpret_cast<HGDIOBJ>(
        SetClassLongPtrA(window, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(app.gdiTable[GDI_BACK_BRUSH]))));
    ApplyAppearance(window);  // also moves the colour key
    return false;
  }
  if (index <= COLOR_GUIDE) {
    HGDIOBJ& pen = app.gdiTable[PenSlot(index)];
    if (index == COLOR_SEND_GRAPH) {
      // The sent pen stays selected after every paint: the next paint swaps it.
      CarryOutPendingSelect();
      app.pendingSelect = PENDING_SEND_PEN_SWAP;
    } else {
      DeleteObject(pen);
    }
    pen = CreatePen(PS_SOLID, 1, colour);
  }
  PaintAll(PAINT_NORMAL);
  return true;
}

bool ShowVersion(HWND window, u32, u32 modifier) {
  if (!modifier || OpenHelp() <= HELP_OPENED) ShowAbout(window);
  return true;
}

// With the modifier, twice the modifier goes into modeFlags: a right-button
// pick toggles the colour key that the next start finds.
bool Exit(HWND window, u32, u32 modifier) {
  app.modeFlags ^= 2 * modifier;
  PostMessageA(window, WM_CLOSE, 0, 0);
  return true;
}

// A Refresh that finds an adapter worth offering ends a pending automatic
// rescan, so the list the user asked for stays until a pick or the next device
// change. One that finds none keeps the rescan going as a retry: it picks up
// the adapter that comes up later, and leaves the user's list alone until then.
bool Refresh(HWND, u32, u32 modifier) {
  u32 listed = ScanAdapters(modifier) & 0xFF;
  if (!app.rescanCountdown) return true;
  bool offered = modifier ? OfferedAdapterCount() != 0 : listed != 0;
  app.rescanCountdown = offered ? 0 : RESCAN_RETRY | RESCAN_PENDING;
  return true;
}

bool ChooseAdapter(HWND, u32 id, u32 modifier) {
  SelectAdapter(id - IDM_ADAPTER_BASE, modifier);
  return true;
}

bool ChooseInternet(HWND, u32, u32 modifier) {
  FollowInternet(modifier);
  return true;
}

struct CommandRange {
  u32 first, last;
  CommandHandler run;
};

// The first range that holds an id carries it out; ids in no range only stamp.
constexpr CommandRange commandTable[]{
    {IDM_TOPMOST, IDM_TOPMOST, ToggleTopMost},
    {IDM_TASKBAR, IDM_TASKBAR, ToggleTaskbar},
    {IDM_FORCE, IDM_AUTO_ADAPT, ToggleOption},
    {IDM_RESET, IDM_RESET, ResetTotals},
    {IDM_COPY, IDM_COPY, Copy},
    {IDM_SET_INTERVAL, IDM_SET_OPACITY, EditSetting},
    {IDM_COLOR_BACK, IDM_COLOR_AVERAGE, ChangeColour},
    {IDM_VERSION, IDM_VERSION, ShowVersion},
    {IDM_EXIT, IDM_EXIT, Exit},
    {IDM_REFRESH, IDM_REFRESH, Refresh},
    {IDM_INTERNET, IDM_INTERNET, ChooseInternet},
    {IDM_ADAPTER_BASE, 0xFFFFFFFF, ChooseAdapter},
};

}  // namespace

void RunCommand(HWND window, u32 id, u32 modifier) {
  bool stamp = true;
  for (const CommandRange& c : commandTable) {
    if (id < c.first || id > c.last) continue;
    stamp = c.run(window, id, modifier);
    break;
  }
  // A click that follows a command is timed from the command.
  if (stamp) app.lastInputTick = GetTickCount();
}

void CopyAndFlash(HWND window) {
  if (CopyReadout(window) && !app.frozen) PaintAll(PAINT_FLASH);
}
