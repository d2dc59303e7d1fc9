// Windows, monitors, keys and time of the fake Win32.
#include <algorithm>
#include <map>

#include "fakewin/fake_windows.h"

namespace {

struct Window {
  RECT rect;
  LONG style, exStyle;
};

struct Monitor {
  RECT monitor, work;
};

std::map<HWND, Window> windows;
std::vector<HWND> zOrder;  // top first
std::vector<Monitor> monitors;
std::vector<fakewin::SetWindowPosCall> setWindowPosCalls;
DWORD tick = 0;
bool held[256];
bool tapped[256];
uintptr_t nextWindow = 0x200000;

Window* Find(HWND w) {
  auto it = windows.find(w);
  return it == windows.end() ? nullptr : &it->second;
}

bool Inside(const RECT& r, POINT p) { return r.left <= p.x && p.x < r.right && r.top <= p.y && p.y < r.bottom; }

LONG Distance(LONG v, LONG low, LONG high) { return v < low ? low - v : v >= high ? v - high + 1 : 0; }

HMONITOR MonitorHandle(size_t i) { return reinterpret_cast<HMONITOR>(uintptr_t(0x300000 + 16 * (i + 1))); }

void RaiseToTop(HWND w) {
  zOrder.erase(std::remove(zOrder.begin(), zOrder.end(), w), zOrder.end());
  zOrder.insert(zOrder.begin(), w);
}

}  // namespace

DWORD GetTickCount() { return tick; }

SHORT GetAsyncKeyState(int key) {
  key &= 0xFF;
  SHORT state = SHORT((held[key] ? 0x8000 : 0) | (tapped[key] ? 1 : 0));
  tapped[key] = false;
  return state;
}

BOOL GetWindowRect(HWND window, RECT* rect) {
  Window* w = Find(window);
  if (!w) return FALSE;
  *rect = w->rect;
  return TRUE;
}

HWND GetWindow(HWND window, UINT relation) {
  auto it = std::find(zOrder.begin(), zOrder.end(), window);
  if (relation != GW_HWNDPREV || it == zOrder.end() || it == zOrder.begin()) return nullptr;
  return *(it - 1);
}

LONG_PTR GetWindowLongPtrA(HWND window, int index) {
  Window* w = Find(window);
  if (!w) return 0;
  return index == GWL_STYLE ? w->style : index == GWL_EXSTYLE ? w->exStyle : 0;
}

BOOL SetWindowPos(HWND window, HWND after, int x, int y, int cx, int cy, UINT flags) {
  setWindowPosCalls.push_back({window, after, x, y, cx, cy, flags});
  Window* w = Find(window);
  if (!w) return FALSE;
  RECT& r = w->rect;
  if (!(flags & SWP_NOMOVE)) r = {x, y, x + r.right - r.left, y + r.bottom - r.top};
  if (!(flags & SWP_NOSIZE)) r = {r.left, r.top, r.left + cx, r.top + cy};
  if (flags & SWP_SHOWWINDOW) w->style |= WS_VISIBLE;
  if (!(flags & SWP_NOZORDER)) {
    if (after == HWND_TOPMOST) w->exStyle |= WS_EX_TOPMOST;
    if (after == HWND_NOTOPMOST) w->exStyle &= ~WS_EX_TOPMOST;
    if (after == HWND_TOPMOST || after == HWND_TOP) RaiseToTop(window);
  }
  return TRUE;
}

HMONITOR MonitorFromPoint(POINT p, DWORD flags) {
  size_t nearest = 0;
  LONG best = -1;
  for (size_t i = 0; i < monitors.size(); ++i) {
    const RECT& m = monitors[i].monitor;
    if (Inside(m, p)) return MonitorHandle(i);
    LONG d = std::max(Distance(p.x, m.left, m.right), Distance(p.y, m.top, m.bottom));
    if (best < 0 || d < best) best = d, nearest = i;
  }
  return flags == MONITOR_DEFAULTTONEAREST && !monitors.empty() ? MonitorHandle(nearest) : nullptr;
}

BOOL GetMonitorInfoA(HMONITOR monitor, MONITORINFO* info) {
  for (size_t i = 0; i < monitors.size(); ++i) {
    if (MonitorHandle(i) != monitor || info->cbSize != sizeof *info) continue;
    *info = {sizeof *info, monitors[i].monitor, monitors[i].work, i == 0 ? 1u : 0u};
    return TRUE;
  }
  return FALSE;
}

namespace fakewin {

void ResetUser() {
  windows.clear();
  zOrder.clear();
  monitors.clear();
  setWindowPosCalls.clear();
  tick = 0;
  std::fill(std::begin(held), std::end(held), false);
  std::fill(std::begin(tapped), std::end(tapped), false);
}

void SetTick(DWORD t) { tick = t; }
void HoldKey(int key, bool isHeld) { held[key & 0xFF] = isHeld; }
void TapKey(int key) { tapped[key & 0xFF] = true; }

HWND AddWindow(RECT rect, LONG style, LONG exStyle) {
  HWND w = reinterpret_cast<HWND>(nextWindow += 0x10);
  windows[w] = {rect, style, exStyle};
  zOrder.insert(zOrder.begin(), w);
  return w;
}

void AddMonitor(RECT monitor, RECT work) { monitors.push_back({monitor, work}); }

RECT WindowRect(HWND window) {
  Window* w = Find(window);
  return w ? w->rect : RECT{};
}

const std::vector<SetWindowPosCall>& SetWindowPosCalls() { return setWindowPosCalls; }
std::vector<HWND> ZOrder() { return zOrder; }

}  // namespace fakewin
