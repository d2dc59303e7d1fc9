#include "ui/gestures.h"

#include "app/app_state.h"
#include "app/start_flags.h"
#include "display/painter.h"
#include "measure/reset_stamp.h"
#include "measure/sampler.h"
#include "ui/commands.h"
#include "ui/dialogs.h"
#include "ui/main_window.h"

namespace {

constexpr u32 FREEZE_CLICK_MS = 256;   // a left click this short freezes the display
constexpr u32 OPAQUE_CLICK_MS = 1088;  // up to this long it toggles opacity
constexpr u32 SETTING_CLICK_MS = 512;  // a right click this long opens the Setting submenu
constexpr u32 EDGE_GUARD_MS = 1280;    // hovering an edge again sooner does nothing
constexpr u32 TAP_MIN_MS = 47;         // shorter is contact bounce
constexpr u32 TAP_MAX_MS = 640;        // longer is a hold
constexpr WPARAM MAIN_POPUP = 1;
constexpr WPARAM SETTING_MENU = 3;
constexpr WPARAM EDGE_HIT_BITS = 0x18;        // HTLEFT to HTBOTTOMRIGHT
constexpr WPARAM HORIZONTAL_EDGE_BIT = 0x04;  // HTTOP, HTTOPLEFT, HTTOPRIGHT, HTBOTTOM
constexpr u32 OPACITY_STEP = 10;
constexpr u32 OPACITY_TOP = 90;      // from here Up does nothing
constexpr u32 OPACITY_BOTTOM = 20;   // below this Down does nothing
constexpr u32 KEPT_MODES = MODE_ACTIVE | MODE_COLORKEY;  // an opacity step ends opaque mode

bool Held(int key) { return GetAsyncKeyState(key) & 0x8000; }

u32 SinceLastInput(u32 now) {
  u32 elapsed = now - app.lastInputTick;
  app.lastInputTick = now;
  return elapsed;
}

void ToggleFrozen(HWND) {
  app.frozen ^= 1;
  PaintAll(PAINT_NORMAL);
}

void ToggleMode(HWND window, u32 mode) {
  app.modeFlags ^= mode;
  ApplyAppearance(window);
}

// ---- Key taps ----
void ToggleOpaque(HWND window) { ToggleMode(window, MODE_OPAQUE); }
void ToggleColourKey(HWND window) { ToggleMode(window, MODE_COLORKEY); }
void ToggleTransFlag(HWND window) {
  app.settings[SET_OPACITY] ^= SETTING_FLAG;
  ApplyAppearance(window);
}
void CopyKey(HWND window) {
  CopyAndFlash(window);
  app.lastInputTick = GetTickCount();
}
void ClearKey(HWND) {
  ClearHistory();
  app.lastInputTick = GetTickCount();
}
void ResetKey(HWND) {
  StampReset(START_RESET);  // unlike the menu item, the key always clears the graph too
  ClearHistory();
  app.lastInputTick = GetTickCount();
}
void MainPopupKey(HWND window) { PostMessageA(window, WM_NCRBUTTONUP, MAIN_POPUP, 0); }
void SettingMenuKey(HWND window) { PostMessageA(window, WM_NCRBUTTONUP, SETTING_MENU, 0); }
void HelpKey(HWND) { OpenHelp(); }

struct KeyTap {
  WPARAM key;
  void (*run)(HWND window);
};
constexpr KeyTap keyTaps[]{
    {VK_SPACE, ToggleFrozen}, {'B', ToggleOpaque},   {'C', CopyKey},        {'G', ClearKey},
    {'L', ToggleTransFlag},   {'M', MainPopupKey},   {'R', ResetKey},       {'S', SettingMenuKey},
    {'T', ToggleColourKey},   {VK_F1, HelpKey},
};

}  // namespace

void OnButtonDown() { app.lastInputTick = GetTickCount(); }

void OnMouseMove(HWND window, WPARAM buttons) {
  if (buttons & MK_LBUTTON) SendMessageA(window, WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

void OnLeftButtonUp(HWND window) {
  u32 held = SinceLastInput(GetTickCount());
  if (held <= FREEZE_CLICK_MS) {
    ToggleFrozen(window);
  } else if (held <= OPAQUE_CLICK_MS) {
    ToggleOpaque(window);
  }
}

void OnRightButtonUp(HWND window) {
  u32 held = SinceLastInput(GetTickCount());
  PostMessageA(window, WM_NCRBUTTONUP, held < SETTING_CLICK_MS ? MAIN_POPUP : SETTING_MENU, 0);
}

// Hovering a resize edge toggles the colour key when that edge's option is
// on, else the opacity; Shift inverts the options, Ctrl holds the gesture off.
void OnEdgeHover(HWND window, WPARAM hitTest) {
  if (!(hitTest & EDGE_HIT_BITS)) return;
  u32 now = GetTickCount();
  if (now - app.lastInputTick <= EDGE_GUARD_MS) return;
  u32 edges = app.optionFlags & (OPT_EDGE_VERT | OPT_EDGE_HORI);
  if (Held(VK_SHIFT)) edges ^= OPT_EDGE_VERT | OPT_EDGE_HORI;
  if (!edges || Held(VK_CONTROL)) return;
  app.lastInputTick = now;
  u32 edgeOption = (hitTest & HORIZONTAL_EDGE_BIT) ? OPT_EDGE_HORI : OPT_EDGE_VERT;
  ToggleMode(window, (edges & edgeOption) ? MODE_COLORKEY : MODE_OPAQUE);
}

// Up and Down step the opacity, auto-repeat included.
void OnKeyDown(HWND window, WPARAM key) {
  app.keyDownTick = GetTickCount();
  app.keyDownKey = u32(key);
  u32 opacity = app.settings[SET_OPACITY] & 0xFF;
  if (key == VK_UP && opacity < OPACITY_TOP) {
    app.settings[SET_OPACITY] += OPACITY_STEP;
  } else if (key == VK_DOWN && opacity >= OPACITY_BOTTOM) {
    app.settings[SET_OPACITY] -= OPACITY_STEP;
  } else {
    return;
  }
  app.modeFlags &= KEPT_MODES;
  ApplyAppearance(window);
}

// A key-up is a tap only for the key whose key-down the window saw last, and
// only once for it: a popup menu's loop eats the key-down of the mnemonic that
// picks an item, and its key-up would otherwise be timed from an earlier key.
void OnKeyUp(HWND window, WPARAM key) {
  if (key != app.keyDownKey) return;
  app.keyDownKey = 0;
  u32 held = GetTickCount() - app.keyDownTick;
  if (held < TAP_MIN_MS || held > TAP_MAX_MS) return;
  for (const KeyTap& tap : keyTaps) {
    if (tap.key == key) return tap.run(window);
  }
}
