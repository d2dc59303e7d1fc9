// Windows, monitors, keys and time of the fake Win32.
#include <algorithm>
#include <map>

#include "fakewin/fake_windows.h"

namespace {

struct Window {
  RECT rect;
  LONG style, exStyle;
  WNDPROC proc;
  std::string className, title;
  HDC dc;
};

struct WindowClass {
  WNDPROC proc;
  HBRUSH brush;
  HICON icon;
};

constexpr int FRAME = 4;  // thick frame width on each side

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
std::map<std::string, WindowClass> classes;
std::vector<MSG> queue;
bool quitPosted = false;
std::vector<fakewin::LayeredCall> layeredCalls;
std::vector<fakewin::TimerCall> timerCalls;
bool failBitmaps = false;

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

LRESULT Deliver(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* w = Find(window);
  return w && w->proc ? w->proc(window, message, wParam, lParam) : 0;
}

}  // namespace

DWORD GetTickCount() { return tick; }

WORD RegisterClassA(const WNDCLASSA* c) {
  classes[c->lpszClassName] = {c->lpfnWndProc, c->hbrBackground, c->hIcon};
  return WORD(classes.size());
}

// As Windows does: WM_CREATE, WM_SIZE and WM_MOVE from inside the call, and
// WM_ACTIVATEAPP when a visible window is shown and activated.
HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y, int width,
                     int height, HWND, HMENU, HINSTANCE, LPVOID) {
  auto c = classes.find(className);
  if (c == classes.end()) return nullptr;
  HWND w = fakewin::AddWindow({x, y, x + width, y + height}, LONG(style & ~WS_VISIBLE), LONG(exStyle));
  Window& window = windows[w];
  window.proc = c->second.proc;
  window.className = className;
  window.title = title;
  if (Deliver(w, WM_CREATE, 0, 0) == -1) {
    DestroyWindow(w);
    return nullptr;
  }
  int frame = (style & WS_THICKFRAME) ? FRAME : 0;
  Deliver(w, WM_SIZE, 0, MAKELPARAM(std::max(0, width - 2 * frame), std::max(0, height - 2 * frame)));
  Deliver(w, WM_MOVE, 0, MAKELPARAM(x + frame, y + frame));
  if (style & WS_VISIBLE) {
    windows[w].style |= WS_VISIBLE;
    Deliver(w, WM_ACTIVATEAPP, TRUE, 0);
  }
  return w;
}

BOOL DestroyWindow(HWND window) {
  if (!Find(window)) return FALSE;
  Deliver(window, WM_DESTROY, 0, 0);
  windows.erase(window);
  zOrder.erase(std::remove(zOrder.begin(), zOrder.end(), window), zOrder.end());
  return TRUE;
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return Deliver(window, message, wParam, lParam);
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (window && !Find(window)) return FALSE;
  queue.push_back({window, message, wParam, lParam, tick, {}});
  return TRUE;
}

void PostQuitMessage(int) { quitPosted = true; }

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM, LPARAM) {
  if (message == WM_CLOSE) DestroyWindow(window);
  return 0;
}

HDC GetDC(HWND window) {
  Window* w = Find(window);
  if (!w) return nullptr;
  if (!w->dc) w->dc = fakewin::NewWindowDC();  // a class with its own device context
  return w->dc;
}

HDC BeginPaint(HWND window, PAINTSTRUCT* paint) {
  *paint = PAINTSTRUCT{};
  paint->hdc = Find(window) ? fakewin::NewWindowDC() : nullptr;
  return paint->hdc;
}

BOOL EndPaint(HWND, const PAINTSTRUCT*) { return TRUE; }

BOOL SetLayeredWindowAttributes(HWND window, COLORREF key, BYTE alpha, DWORD flags) {
  layeredCalls.push_back({window, key, alpha, flags});
  return Find(window) != nullptr;
}

UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT period, TIMERPROC proc) {
  timerCalls.push_back({window, id, period, proc});
  return id;
}

HMODULE GetModuleHandleA(LPCSTR) { return reinterpret_cast<HMODULE>(0x400000); }

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
  classes.clear();
  queue.clear();
  quitPosted = false;
  layeredCalls.clear();
  timerCalls.clear();
  failBitmaps = false;
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
  windows[w] = {rect, style, exStyle, nullptr, "", "", nullptr};
  zOrder.insert(zOrder.begin(), w);
  return w;
}

void AddMonitor(RECT monitor, RECT work) { monitors.push_back({monitor, work}); }

int PumpMessages() {
  int n = 0;
  while (!queue.empty()) {
    MSG m = queue.front();
    queue.erase(queue.begin());
    Deliver(m.hwnd, m.message, m.wParam, m.lParam);
    ++n;
  }
  return n;
}

std::vector<MSG> PostedMessages() { return queue; }
bool QuitPosted() { return quitPosted; }
const std::vector<LayeredCall>& LayeredCalls() { return layeredCalls; }
const std::vector<TimerCall>& TimerCalls() { return timerCalls; }
bool WindowExists(HWND window) { return Find(window) != nullptr; }
void FailBitmaps(bool fail) { failBitmaps = fail; }
bool BitmapsFail() { return failBitmaps; }

RECT WindowRect(HWND window) {
  Window* w = Find(window);
  return w ? w->rect : RECT{};
}

const std::vector<SetWindowPosCall>& SetWindowPosCalls() { return setWindowPosCalls; }
std::vector<HWND> ZOrder() { return zOrder; }

}  // namespace fakewin
