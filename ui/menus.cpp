#include "ui/menus.h"

#include "app/app_state.h"
#include "measure/adapters.h"
#include "res/resource.h"
#include "ui/commands.h"
#include "ui/keys.h"

namespace {

constexpr u32 MAIN_POPUP_SELECTOR = 1;
constexpr u32 LAST_SELECTOR = 3;
constexpr u32 OPTION_COUNT = 8;
constexpr UINT EDGE_ITEM_POSITION = 5;
constexpr UINT OUTSIDE_EDGE_ITEM = 8;  // a radio mark asked for outside the range clears it
constexpr u32 LABEL_SIZE = 64;

void RefreshMainPopup(HWND window) {
  // The window's real band wins: something else may have changed it.
  bool topMost = GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOPMOST;
  app.optionFlags = (app.optionFlags & ~OPT_TOPMOST) | (topMost ? OPT_TOPMOST : 0);
  for (u32 b = 0; b < OPTION_COUNT; ++b)
    CheckMenuItem(app.mainPopup, IDM_TOPMOST + b, MF_BYCOMMAND | ((app.optionFlags >> b & 1) ? MF_CHECKED : MF_UNCHECKED));
  bool edge = app.optionFlags & (OPT_EDGE_VERT | OPT_EDGE_HORI);
  CheckMenuRadioItem(app.mainPopup, EDGE_ITEM_POSITION, EDGE_ITEM_POSITION,
                     edge ? EDGE_ITEM_POSITION : OUTSIDE_EDGE_ITEM, MF_BYPOSITION);
  CheckMenuItem(app.mainPopup, IDM_INTERNET, MF_BYCOMMAND | (FollowingInternet() ? MF_CHECKED : MF_UNCHECKED));
  if (!app.ifTable) return;
  u32 row = SelectedRow();  // while the internet is followed: the adapter it goes through
  UINT marked = row == NO_ROW ? IDM_REFRESH : IDM_ADAPTER_BASE + row;  // no adapter: no mark
  CheckMenuRadioItem(app.mainPopup, IDM_ADAPTER_BASE, IDM_ADAPTER_BASE - 1 + app.ifTable->dwNumEntries, marked,
                     MF_BYCOMMAND);
}

void RefreshSettingLabels() {
  for (u32 i = 0; i < SETTING_COUNT; ++i) {
    char text[LABEL_SIZE];
    wsprintfA(text, settingLabelFormats[i], app.settings[i] & SETTING_VALUE_MASK);
    UINT mark = (app.settings[i] & SETTING_FLAG) ? MF_CHECKED : 0;
    ModifyMenuA(app.settingMenu, IDM_SET_INTERVAL + i, MF_BYCOMMAND | MF_STRING | mark, IDM_SET_INTERVAL + i, text);
  }
}

}  // namespace

void OpenMenu(HWND window, WPARAM selector) {
  const HMENU menus[LAST_SELECTOR + 1]{app.menuBar, app.mainPopup, app.adapterMenu, app.settingMenu};
  HMENU menu = menus[selector > LAST_SELECTOR ? MAIN_POPUP_SELECTOR : selector];
  // Screen coordinates: several monitors may make them negative.
  DWORD at = GetMessagePos();
  int x = i16(LOWORD(at)), y = i16(HIWORD(at));
  u32 id = u32(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_VCENTERALIGN | TPM_RIGHTBUTTON, x, y, 0, window, nullptr));
  // Bit 0 of the right button's state: pressed since its menu level opened,
  // that is, the item was picked with the right button. Shift cancels it.
  u32 shift = KeyHeld(VK_SHIFT) ? 1 : 0;
  u32 right = u16(GetAsyncKeyState(VK_RBUTTON));
  RunCommand(window, id, shift ^ right);
}

void RefreshMenu(HWND window, HMENU menu) {
  GetAsyncKeyState(VK_RBUTTON);  // forgets presses before this level opened
  if (menu == app.mainPopup) RefreshMainPopup(window);
  if (menu == app.settingMenu) RefreshSettingLabels();
}
