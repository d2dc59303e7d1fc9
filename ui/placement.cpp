#include "ui/placement.h"

#include "app/app_state.h"
#include "ui/keys.h"

namespace {

constexpr u32 COVER_CHECK_PERIOD = 3996;
constexpr u32 COVERED = 1;  // bit 0 of nextCoverCheck

// The area the window must stay in; false when it may stay where it is.
bool AllowedArea(const RECT& w, u32 ownMove, RECT& area) {
  if (KeyHeld(VK_SHIFT)) {
    i32 b = ((w.right - w.left) - ClientWidth()) / 2;  // frame width beside the client area
    area.left -= b;
    area.right += b;
    area.bottom += b;
    area.top -= (w.bottom - w.top) - ClientHeight() - b;
    return true;
  }
  if (!ownMove || KeyHeld(VK_CONTROL)) return true;
  HMONITOR topLeft = MonitorFromPoint({w.left, w.top}, MONITOR_DEFAULTTONULL);
  HMONITOR bottomRight = MonitorFromPoint({w.right, w.bottom}, MONITOR_DEFAULTTONULL);
  if (topLeft && bottomRight) return false;
  i32 halfWidth = (w.right - w.left) / 2;
  i32 halfHeight = (w.bottom - w.top) / 2;
  area.left -= halfWidth;
  area.right += halfWidth;
  area.top -= halfHeight;
  area.bottom += halfHeight;
  return true;
}

}  // namespace

void KeepOnMonitor(HWND window, u32 ownMove) {
  RECT w;
  if (!GetWindowRect(window, &w)) return;
  POINT centre{(w.left + w.right) / 2, (w.top + w.bottom) / 2};
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoA(MonitorFromPoint(centre, MONITOR_DEFAULTTONEAREST), &info)) return;
  RECT area = info.rcWork;
  if (!AllowedArea(w, ownMove, area)) return;

  // A window larger than the area keeps its left or top edge on the area's:
  // pulled back by its far edge instead, it would be pushed out again at the
  // next check, and every move posts another one.
  i32 left = w.left, top = w.top;
  if (w.left < area.left) {
    left = area.left;
  } else if (w.right > area.right) {
    left = Larger(area.left, left + area.right - w.right);
  }
  if (w.top < area.top) {
    top = area.top;
  } else if (w.bottom > area.bottom) {
    top = Larger(area.top, top + area.bottom - w.bottom);
  }
  if (left != w.left || top != w.top)
    SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CheckCovered(HWND window, u32 tickNow) {
  // Until the check time the distance to it is at most one period; measured
  // as an unsigned difference, it stays right when the tick count wraps.
  if (app.nextCoverCheck - tickNow <= COVER_CHECK_PERIOD + COVERED) return;
  bool wasCovered = app.nextCoverCheck & COVERED;
  if (wasCovered) SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
  app.nextCoverCheck = (tickNow + COVER_CHECK_PERIOD) & ~COVERED;
  if (wasCovered) return;  // just raised: look again at the next check

  const RECT& own = app.windowRect;
  i32 cx = (own.left + own.right) / 2;
  i32 cy = (own.top + own.bottom) / 2;
  RECT r{};  // a failed query leaves the previous rectangle in use
  for (HWND above = GetWindow(window, GW_HWNDPREV); above; above = GetWindow(above, GW_HWNDPREV)) {
    if (!(GetWindowLongPtrA(above, GWL_STYLE) & WS_VISIBLE)) continue;
    GetWindowRect(above, &r);
    if (r.left <= cx && cx < r.right && r.top <= cy && cy < r.bottom) app.nextCoverCheck |= COVERED;
  }
}
