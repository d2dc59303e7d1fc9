// Windows, monitors, keys and time of the fake Win32.
#include <algorithm>
#include <map>

#include "fakewin/fake_windows.h"

namespace {

struct Window {
  RECT rect;
  LONG style, exStyle;
  WNDPROC proc;
  std::string className, title;  // the title is also a control's text
  HDC dc;
  HICON icon;
  bool checked;
  DLGPROC dialogProc;
  std::map<int, HWND> items;  // a dialog's controls by id
  bool ended;                 // a dialog that EndDialog closed, with its result
  INT_PTR result;
  HWND owner;
  bool disabled;  // by a modal popup it owns
};

struct WindowClass {
  WNDPROC proc;
  HBRUSH brush;
  HICON icon;
  UINT style;
};
constexpr DWORD DOUBLE_CLICK_MS = 500;  // the system's default double-click time
MSG lastPress{};                        // the last press that could begin a double click
POINT dragOffset{};
DWORD messagePos = 0;

constexpr int FRAME = 4;  // thick frame width on each side

struct Monitor {
  RECT monitor, work;
};

std::map<HWND, Window> windows;
std::vector<HWND> zOrder;  // top first
std::vector<Monitor> monitors;
std::vector<fakewin::SetWindowPosCall> setWindowPosCalls;
DWORD tick = 0;
std::function<void()> sleepScript;
bool activationRefused = false;
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

std::function<void()> idleScript;
std::vector<HWND> openPopups;  // modal popups, the last opened last

// What every window does with these messages by default.
LRESULT BuiltIn(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* w = Find(window);
  if (!w) return 0;
  switch (message) {
    case WM_SETTEXT:
      w->title = reinterpret_cast<const char*>(lParam);
      return TRUE;
    case WM_SETICON:
      w->icon = reinterpret_cast<HICON>(lParam);
      return 0;
    case BM_SETCHECK:
      w->checked = wParam == BST_CHECKED;
      return 0;
    case BM_GETCHECK:
      return w->checked ? BST_CHECKED : 0;
  }
  return 0;
}

LRESULT Deliver(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* w = Find(window);
  if (!w) return 0;
  if (w->proc) return w->proc(window, message, wParam, lParam);
  if (w->dialogProc)
    if (INT_PTR handled = w->dialogProc(window, message, wParam, lParam)) return handled;
  return BuiltIn(window, message, wParam, lParam);
}

}  // namespace

DWORD GetTickCount() { return tick; }

void Sleep(DWORD milliseconds) {
  tick += milliseconds;
  if (sleepScript) sleepScript();
}

WORD RegisterClassA(const WNDCLASSA* c) {
  classes[c->lpszClassName] = {c->lpfnWndProc, c->hbrBackground, c->hIcon, c->style};
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
  width = window.rect.right - window.rect.left, height = window.rect.bottom - window.rect.top;  // as WM_CREATE left it
  Deliver(w, WM_SIZE, 0, MAKELPARAM(std::max(0, width - 2 * frame), std::max(0, height - 2 * frame)));
  Deliver(w, WM_MOVE, 0, MAKELPARAM(x + frame, y + frame));
  if (style & WS_VISIBLE) {
    windows[w].style |= WS_VISIBLE;
    if (!activationRefused) Deliver(w, WM_ACTIVATEAPP, TRUE, 0);
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

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) DestroyWindow(window);
  if (message == WM_NCLBUTTONDOWN && wParam == HTCAPTION) {  // the move loop drags the window
    RECT r = fakewin::WindowRect(window);
    SetWindowPos(window, nullptr, r.left + dragOffset.x, r.top + dragOffset.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  }
  return BuiltIn(window, message, wParam, lParam);
}

HICON LoadIconA(HINSTANCE, LPCSTR name) {
  return reinterpret_cast<HICON>(0x500000 + reinterpret_cast<uintptr_t>(name));
}
HCURSOR LoadCursorA(HINSTANCE, LPCSTR) { return reinterpret_cast<HCURSOR>(0x510000); }

HWND FindWindowA(LPCSTR className, LPCSTR title) {
  for (auto& [h, w] : windows)
    if (w.className == className && w.title == title) return h;
  return nullptr;
}

// A real loop would wait for input; here the test's idle script supplies it,
// and an empty queue after it ends the loop.
BOOL GetMessageA(MSG* msg, HWND, UINT, UINT) {
  if (queue.empty() && !quitPosted && idleScript) idleScript();
  if (queue.empty()) return FALSE;
  *msg = queue.front();
  queue.erase(queue.begin());
  return TRUE;
}

LRESULT DispatchMessageA(const MSG* msg) {
  if (msg->message == WM_TIMER && msg->lParam) {
    reinterpret_cast<TIMERPROC>(msg->lParam)(msg->hwnd, WM_TIMER, msg->wParam, tick);
    return 0;
  }
  return Deliver(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

BOOL ShowWindow(HWND window, int show) {
  Window* w = Find(window);
  if (!w) return FALSE;
  bool wasVisible = w->style & WS_VISIBLE;
  w->style = show == SW_HIDE ? w->style & ~WS_VISIBLE : w->style | WS_VISIBLE;
  return wasVisible;
}

BOOL SetWindowTextA(HWND window, LPCSTR text) {
  return Deliver(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) != 0;
}

HWND GetLastActivePopup(HWND window) { return openPopups.empty() ? window : openPopups.back(); }

HDC GetDC(HWND window) {
  if (!window) return fakewin::NewWindowDC();  // the screen's
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
  if (relation == GW_OWNER) return Find(window) ? Find(window)->owner : nullptr;
  auto it = std::find(zOrder.begin(), zOrder.end(), window);
  if (relation != GW_HWNDPREV || it == zOrder.end() || it == zOrder.begin()) return nullptr;
  return *(it - 1);
}

BOOL IsWindowEnabled(HWND window) { return Find(window) && !Find(window)->disabled; }

LONG_PTR GetWindowLongPtrA(HWND window, int index) {
  Window* w = Find(window);
  if (!w) return 0;
  return index == GWL_STYLE ? w->style : index == GWL_EXSTYLE ? w->exStyle : 0;
}

LONG_PTR SetWindowLongPtrA(HWND window, int index, LONG_PTR value) {
  Window* w = Find(window);
  if (!w || (index != GWL_STYLE && index != GWL_EXSTYLE)) return 0;
  LONG& field = index == GWL_STYLE ? w->style : w->exStyle;
  LONG previous = field;
  field = LONG(value);
  return previous;
}

ULONG_PTR SetClassLongPtrA(HWND window, int index, LONG_PTR value) {
  Window* w = Find(window);
  if (!w || index != GCLP_HBRBACKGROUND || !classes.count(w->className)) return 0;
  HBRUSH& brush = classes[w->className].brush;
  HBRUSH previous = brush;
  brush = reinterpret_cast<HBRUSH>(value);
  return reinterpret_cast<ULONG_PTR>(previous);
}

DWORD GetMessagePos() { return messagePos; }

BOOL SetWindowPos(HWND window, HWND after, int x, int y, int cx, int cy, UINT flags) {
  setWindowPosCalls.push_back({window, after, x, y, cx, cy, flags});
  Window* w = Find(window);
  if (!w) return FALSE;
  MINMAXINFO least{};  // a sizing border holds the window to its smallest size, as DefWindowProc does
  if (!(flags & SWP_NOSIZE) && (w->style & WS_THICKFRAME)) Deliver(window, WM_GETMINMAXINFO, 0, LPARAM(&least));
  cx = std::max(cx, int(least.ptMinTrackSize.x)), cy = std::max(cy, int(least.ptMinTrackSize.y));
  RECT& r = w->rect;
  bool moves = !(flags & SWP_NOMOVE) && (x != r.left || y != r.top);
  if (!(flags & SWP_NOMOVE)) r = {x, y, x + r.right - r.left, y + r.bottom - r.top};
  if (!(flags & SWP_NOSIZE)) r = {r.left, r.top, r.left + cx, r.top + cy};
  if (flags & SWP_SHOWWINDOW) w->style |= WS_VISIBLE;
  if (!(flags & SWP_NOZORDER)) {
    if (after == HWND_TOPMOST) w->exStyle |= WS_EX_TOPMOST;
    if (after == HWND_NOTOPMOST) w->exStyle &= ~WS_EX_TOPMOST;
    if (after == HWND_TOPMOST || after == HWND_TOP) RaiseToTop(window);
  }
  if (moves) Deliver(window, WM_MOVE, 0, MAKELPARAM(x + FRAME, y + FRAME));
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
  idleScript = nullptr;
  openPopups.clear();
  messagePos = 0;
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
  sleepScript = nullptr;
  activationRefused = false;
  lastPress = {};
  dragOffset = {};
  std::fill(std::begin(held), std::end(held), false);
  std::fill(std::begin(tapped), std::end(tapped), false);
}

void MouseButton(HWND window, UINT message) {
  Window* w = Find(window);
  if (!w) return;
  bool press = message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN;
  if (press && (classes[w->className].style & CS_DBLCLKS) && lastPress.message == message &&
      lastPress.hwnd == window && tick - lastPress.time <= DOUBLE_CLICK_MS) {
    lastPress = {};  // the press after a double click begins a new one
    message += WM_LBUTTONDBLCLK - WM_LBUTTONDOWN;
  } else if (press) {
    lastPress = {window, message, 0, 0, tick, {}};
  }
  Deliver(window, message, 0, 0);
}

void DragBy(int dx, int dy) { dragOffset = {dx, dy}; }

void SetTick(DWORD t) { tick = t; }
void OnSleep(std::function<void()> script) { sleepScript = std::move(script); }
void RefuseActivation(bool refused) { activationRefused = refused; }
void SetMessagePos(int x, int y) { messagePos = DWORD(uint16_t(x) | uint32_t(uint16_t(y)) << 16); }
void HoldKey(int key, bool isHeld) { held[key & 0xFF] = isHeld; }
void TapKey(int key) { tapped[key & 0xFF] = true; }

HWND AddWindow(RECT rect, LONG style, LONG exStyle) {
  HWND w = reinterpret_cast<HWND>(nextWindow += 0x10);
  windows[w] = {rect, style, exStyle, nullptr, "", "", nullptr, nullptr, false, nullptr, {}, false, 0, nullptr, false};
  zOrder.insert(zOrder.begin(), w);
  return w;
}

void AddMonitor(RECT monitor, RECT work) { monitors.push_back({monitor, work}); }

void OnIdle(std::function<void()> script) { idleScript = std::move(script); }

std::string WindowText(HWND window) {
  Window* w = Find(window);
  return w ? w->title : "";
}
HICON WindowIcon(HWND window) {
  Window* w = Find(window);
  return w ? w->icon : nullptr;
}
bool WindowVisible(HWND window) { return GetWindowLongPtrA(window, GWL_STYLE) & WS_VISIBLE; }

// For the dialogs and pickers of the fake: a modal popup and its controls.
// As a modal loop shows a dialog whose template lacks WS_VISIBLE: the owner is
// disabled, what was posted before the call arrives before the popup is shown
// and active, and the owner hears WM_ENTERIDLE once it is.
HWND OpenPopup(const char* caption, HWND owner) {
  HWND popup = AddWindow({0, 0, 300, 150});
  windows[popup].title = caption;
  windows[popup].owner = owner;
  if (Window* o = Find(owner)) o->disabled = true;
  SendMessageA(owner, WM_ENABLE, FALSE, 0);
  PumpMessages();
  openPopups.push_back(popup);
  SendMessageA(owner, WM_ENTERIDLE, MSGF_DIALOGBOX, reinterpret_cast<LPARAM>(popup));
  return popup;
}
void ClosePopup(HWND popup) {
  openPopups.erase(std::remove(openPopups.begin(), openPopups.end(), popup), openPopups.end());
  HWND owner = windows[popup].owner;
  if (Window* o = Find(owner)) o->disabled = false;
  SendMessageA(owner, WM_ENABLE, TRUE, 0);
  for (auto& [id, item] : windows[popup].items) DestroyWindow(item);
  DestroyWindow(popup);
}
HWND AddDialogItem(HWND dialog, int id, const std::string& text, bool visible) {
  HWND item = AddWindow({}, visible ? WS_VISIBLE : 0);
  windows[item].title = text;
  windows[dialog].items[id] = item;
  return item;
}
void SetDialogProc(HWND dialog, DLGPROC proc) { windows[dialog].dialogProc = proc; }
HWND DialogItem(HWND dialog, int id) {
  Window* w = Find(dialog);
  return w && w->items.count(id) ? w->items[id] : nullptr;
}
bool EndModal(HWND dialog, INT_PTR result) {
  Window* w = Find(dialog);
  if (!w) return false;
  w->ended = true;
  w->result = result;
  return true;
}
bool ModalResult(HWND dialog, INT_PTR& result) {
  Window* w = Find(dialog);
  if (!w || !w->ended) return false;
  result = w->result;
  return true;
}
void SetChecked(HWND item, bool checked) {
  if (Window* w = Find(item)) w->checked = checked;
}
bool Checked(HWND item) {
  Window* w = Find(item);
  return w && w->checked;
}

void FireTimer(UINT_PTR id) {
  for (auto t = timerCalls.rbegin(); t != timerCalls.rend(); ++t) {
    if (id && t->id != id) continue;
    queue.push_back({t->window, WM_TIMER, t->id, reinterpret_cast<LPARAM>(t->proc), tick, {}});
    return;
  }
}

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
