#include "ui/main_window.h"

#include "app/app_state.h"
#include "app/settings_file.h"
#include "display/painter.h"
#include "measure/sampler.h"
#include "ui/commands.h"
#include "ui/dialogs.h"
#include "ui/gestures.h"
#include "ui/menus.h"
#include "ui/placement.h"

namespace {

constexpr LRESULT HANDLED = 0;
constexpr LRESULT BROADCAST_HANDLED = TRUE;
constexpr u32 FULL_ALPHA = 255;
constexpr u32 MIN_TRACK_CELLS = 16;  // the narrowest window holds sixteen characters

// The smallest size the window takes at its DPI: room for the two readout rows.
POINT LeastSize() {
  i32 px = ScreenFontHeight();
  return {i32(MIN_TRACK_CELLS) * px, 2 * px + 15};
}

void OnCreate(HWND window) {
  app.windowDC = GetDC(window);
  app.memoryDC = CreateCompatibleDC(app.windowDC);
  SetBkMode(app.memoryDC, TRANSPARENT);
  // Windows sends no WM_DPICHANGED for a window made on a monitor of another
  // scaling, and held it to the smallest size at the system's DPI: the file's
  // rectangle (no WM_SIZE has replaced it yet) grows to the one at its own,
  // its top-left corner kept.
  if (!app.getDpiForWindow) return;
  SetWindowDpi(app.getDpiForWindow(window));
  const RECT& r = app.windowRect;
  POINT least = LeastSize();
  SetWindowPos(window, nullptr, 0, 0, Larger(r.right - r.left, least.x), Larger(r.bottom - r.top, least.y),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Dragged to a monitor of another scaling, or the scaling changed: Windows
// suggests the rectangle that keeps the window's size to the eye.
void OnDpiChanged(HWND window, WPARAM dpi, LPARAM suggested) {
  SetWindowDpi(LOWORD(dpi));  // first: the size now allowed follows the font
  const RECT& r = *reinterpret_cast<const RECT*>(suggested);
  SetWindowPos(window, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
  PaintAll(PAINT_NORMAL);
}

void OnDestroy() {
  app.windowGoing = 1;
  SaveSettings();
  PostQuitMessage(0);
}

// A new off-screen bitmap of the client size; when none can be made the old
// one stays in use.
void OnSize(HWND window, LPARAM size) {
  app.clientRect.right = LOWORD(size);
  app.clientRect.bottom = HIWORD(size);
  HGDIOBJ bitmap = CreateCompatibleBitmap(app.windowDC, ClientWidth(), ClientHeight());
  if (bitmap) {
    SelectObject(app.memoryDC, bitmap);
    if (app.gdiTable[GDI_MEM_BITMAP]) DeleteObject(app.gdiTable[GDI_MEM_BITMAP]);
    app.frozen = 0;
    app.gdiTable[GDI_MEM_BITMAP] = bitmap;
  }
  GetWindowRect(window, &app.windowRect);
}

void OnPaint(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  PaintAll(reinterpret_cast<UINT_PTR>(dc));
  EndPaint(window, &paint);
}

// During creation the window is not yet known as mainWindow: that first
// activation applies the appearance; later ones only repaint the peak marker.
void OnActivateApp(HWND window, WPARAM active) {
  app.modeFlags = (app.modeFlags & ~MODE_ACTIVE) | (active ? MODE_ACTIVE : 0);
  if (!app.mainWindow)
    ApplyAppearance(window);
  else
    PaintAll(PAINT_NORMAL);
}

// No larger than the settings file accepts: a window stretched past that
// across several monitors would be saved into a file the next start rejects.
void OnGetMinMaxInfo(LPARAM info) {
  auto* sizes = reinterpret_cast<MINMAXINFO*>(info);
  sizes->ptMinTrackSize = LeastSize();
  sizes->ptMaxTrackSize = sizes->ptMaxSize = {i32(MAX_WINDOW_WIDTH), i32(MAX_WINDOW_HEIGHT)};
}

// A machine that sleeps may never wake (a flat battery): the file keeps the
// totals counted so far. The counters are not to be trusted across the sleep.
void OnPowerBroadcast(WPARAM event) {
  if (event == PBT_APMSUSPEND) SaveSettingsBeforeSuspend();
  if (event == PBT_APMSUSPEND || event == PBT_APMRESUMEAUTOMATIC) app.sampleCounter = WARM_UP_AFTER_POWER;
}

// A device change starts the automatic rescan, or cancels a pending one when
// the option is off; a search for an adapter that could not be read goes on,
// its wait started again. The internet's route may have moved with it.
void OnDeviceChange(WPARAM event) {
  if (event != DBT_DEVNODES_CHANGED) return;
  u32 search = app.rescanCountdown & (RESCAN_RETRY | RESCAN_LOST);
  app.rescanCountdown = (search || (app.optionFlags & OPT_AUTO_ADAPT)) ? search | RESCAN_PENDING : 0;
  app.unlistedRoute = 0;
  LookAtRouteNow();
}

// Windows is ending the session: no message box may hold it up, and the
// window goes now, so the settings are saved before the process is ended.
// A window already going (its box at close is open) has saved: the end is
// agreed to without destroying it, and saving, a second time.
BOOL OnEndSession(HWND window) {
  app.saveWarningDone = 1;
  return app.windowGoing || DestroyWindow(window);
}

void OnKeepOnScreen(HWND window) {
  KeepOnMonitor(window, 1);
  GetWindowRect(window, &app.windowRect);
}

}  // namespace

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      OnCreate(window);
      return HANDLED;
    case WM_DESTROY:
      OnDestroy();
      return HANDLED;
    case WM_MOVE:
    case WM_DISPLAYCHANGE:
      PostMessageA(window, UM_KEEP_ON_SCREEN, 0, 0);
      return HANDLED;
    case WM_SIZE:
      OnSize(window, lParam);
      return HANDLED;
    case WM_PAINT:
      OnPaint(window);
      return HANDLED;
    case WM_QUERYENDSESSION:
      return OnEndSession(window);
    case WM_ENDSESSION:  // a forced end sends no query first
      if (wParam) OnEndSession(window);
      return HANDLED;
    case WM_ACTIVATEAPP:
      OnActivateApp(window, wParam);
      return HANDLED;
    case WM_GETMINMAXINFO:
      OnGetMinMaxInfo(lParam);
      return HANDLED;
    case WM_NCMOUSEMOVE:
      OnEdgeHover(window, wParam);
      return HANDLED;
    case WM_NCRBUTTONUP:
      OpenMenu(window, wParam);
      return HANDLED;
    case WM_MOUSEMOVE:
      OnMouseMove(window, wParam);
      break;  // and on to the default handling
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_LBUTTONDBLCLK:  // the class asks for double clicks: the second press of one
    case WM_RBUTTONDBLCLK:
      OnButtonDown();
      return HANDLED;
    case WM_LBUTTONUP:
      OnLeftButtonUp(window);
      return HANDLED;
    case WM_RBUTTONUP:
      OnRightButtonUp(window);
      return HANDLED;
    case WM_KEYDOWN:
      OnKeyDown(window, wParam);
      return HANDLED;
    case WM_KEYUP:
      OnKeyUp(window, wParam);
      return HANDLED;
    case WM_INITMENUPOPUP:
      RefreshMenu(window, reinterpret_cast<HMENU>(wParam));
      return HANDLED;
    case WM_POWERBROADCAST:
      OnPowerBroadcast(wParam);
      return BROADCAST_HANDLED;
    case WM_DEVICECHANGE:
      OnDeviceChange(wParam);
      return BROADCAST_HANDLED;
    case WM_DPICHANGED:  // to a process not aware of each monitor's DPI, Windows' own handling
      if (!app.getDpiForWindow) break;
      OnDpiChanged(window, wParam, lParam);
      return HANDLED;
    case UM_KEEP_ON_SCREEN:
      OnKeepOnScreen(window);
      return HANDLED;
    case UM_DRESS_POPUP:
      DressPopup(window, lParam);
      return HANDLED;
    case WM_ENTERIDLE:
      if (wParam == MSGF_DIALOGBOX) OnEnterIdle(window, reinterpret_cast<HWND>(lParam));
      return HANDLED;
    case WM_ENABLE:
      if (wParam) app.pendingDress = NO_DRESS;  // the modal popup is over, dressed or not
      return HANDLED;
    case UM_COMMAND:
      RunCommand(window, u32(wParam), u32(lParam));
      return HANDLED;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void ApplyAppearance(HWND window) {
  u32 opacity = app.settings[SET_OPACITY];
  u32 alpha = ((opacity & SETTING_LOW_BYTE) * FULL_ALPHA + 50) / 100;
  DWORD flags = ((opacity & SETTING_FLAG) && (app.modeFlags & MODE_COLORKEY)) ? LWA_COLORKEY : 0;
  if (!(app.modeFlags & MODE_OPAQUE)) flags |= LWA_ALPHA;
  SetLayeredWindowAttributes(window, app.colors[COLOR_BACK], BYTE(alpha), flags);
  PaintAll(PAINT_NORMAL);
}
