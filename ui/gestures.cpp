#include "ui/gestures.h"

#include "app/app_state.h"
#include "display/painter.h"
#include "measure/sampler.h"
#include "res/resource.h"
#include "ui/commands.h"
#include "ui/dialogs.h"
#include "ui/keys.h"
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
// Bits of a hit-test code: of the codes this window (no caption buttons)
// gives, only the resize edges and corners have bit 3 or 4 set, and of those
// the horizontal ones bit 2.
constexpr WPARAM EDGE_HIT_BITS = 0x18;
constexpr WPARAM HORIZONTAL_EDGE_BIT = 0x04;
constexpr bool EdgeBitsFitCodes() {
  for (WPARAM code = HTLEFT; code <= HTBOTTOMRIGHT; ++code) {
    bool horizontal = code == HTTOP || code == HTTOPLEFT || code == HTTOPRIGHT || code == HTBOTTOM;
    if (!(code & EDGE_HIT_BITS) || bool(code & HORIZONTAL_EDGE_BIT) != horizontal) return false;
  }
  return !(HTCLIENT & EDGE_HIT_BITS) && !(HTCAPTION & EDGE_HIT_BITS);
}
static_assert(EdgeBitsFitCodes());
constexpr u32 OPACITY_STEP = 10;
constexpr u32 OPACITY_TOP = 90;      // from here Up does nothing
constexpr u32 OPACITY_BOTTOM = 20;   // below this Down does nothing
constexpr u32 KEPT_MODES = MODE_ACTIVE | MODE_COLORKEY;  // an opacity step ends opaque mode
constexpr u32 SECOND_VARIANT = 1;  // the modifier of a Shift or right-button pick

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
void ClearKey(HWND) {
  ClearHistory();
  app.lastInputTick = GetTickCount();
}
// Keys that repeat a menu command carry it out as the menu does.
void ToggleTransFlag(HWND window) { RunCommand(window, IDM_SET_OPACITY, SECOND_VARIANT); }
void CopyKey(HWND window) { RunCommand(window, IDM_COPY, 0); }
void ResetKey(HWND window) { RunCommand(window, IDM_RESET, SECOND_VARIANT); }  // the graph goes too
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
  if (KeyHeld(VK_SHIFT)) edges ^= OPT_EDGE_VERT | OPT_EDGE_HORI;
  if (!edges || KeyHeld(VK_CONTROL)) return;
  app.lastInputTick = now;
  u32 edgeOption = (hitTest & HORIZONTAL_EDGE_BIT) ? OPT_EDGE_HORI : OPT_EDGE_VERT;
  ToggleMode(window, (edges & edgeOption) ? MODE_COLORKEY : MODE_OPAQUE);
}

// Up and Down step the opacity, auto-repeat included.
void OnKeyDown(HWND window, WPARAM key) {
  app.keyDownTick = GetTickCount();
  app.keyDownKey = u32(key);
  u32 opacity = SettingLowByte(SET_OPACITY);
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
