#include "ui/menus.h"

#include "measure/adapters.h"
#include "res/resource.h"
#include "test_support.h"
#include "ui/main_window.h"

namespace {

using MenusTest = WindowTest;

TEST_F(MenusTest, SelectorChoosesTheMenuAndThePointerPlacesIt) {
  struct {
    WPARAM selector;
    HMENU* menu;
  } cases[] = {{0, &app.menuBar}, {1, &app.mainPopup}, {2, &app.adapterMenu}, {3, &app.settingMenu},
               {17, &app.mainPopup}, {4, &app.mainPopup}};
  fakewin::SetMessagePos(-300, 1200);  // a monitor left of the primary one
  for (auto& c : cases) {
    Send(WM_NCRBUTTONUP, c.selector);
    const auto& track = fakewin::TrackCalls().back();
    EXPECT_EQ(track.menu, *c.menu) << c.selector;
    EXPECT_EQ(track.x, -300);
    EXPECT_EQ(track.y, 1200);
    EXPECT_EQ(track.flags, UINT(TPM_RETURNCMD | TPM_VCENTERALIGN | TPM_RIGHTBUTTON));
  }
}

TEST_F(MenusTest, MainPopupShowsTheOptionsAndTheRealTopMostBand) {
  app.optionFlags = OPT_GUIDE | OPT_EDGE_HORI | OPT_AUTO_ADAPT | OPT_TOPMOST;
  SetWindowLongPtrA(window, GWL_EXSTYLE, 0x80080);  // something else took it out of the top-most band
  Send(WM_NCRBUTTONUP, 1);
  EXPECT_EQ(app.optionFlags & OPT_TOPMOST, 0u);
  for (uint32_t b = 0; b < 8; ++b) {
    bool checked = fakewin::FindMenuItem(app.menuBar, IDM_TOPMOST + b)->flags & MF_CHECKED;
    EXPECT_EQ(checked, bool(app.optionFlags >> b & 1)) << b;
  }
  auto edge = fakewin::MenuItems(app.mainPopup)[5];
  EXPECT_TRUE(edge.flags & fakewin::RADIO_MARK);
  app.optionFlags &= ~OPT_EDGE_HORI;
  Send(WM_NCRBUTTONUP, 1);
  EXPECT_FALSE(fakewin::MenuItems(app.mainPopup)[5].flags & fakewin::RADIO_MARK);
}

TEST_F(MenusTest, AdapterItemOfTheSelectionCarriesTheRadioMark) {
  ScanAdapters(1);  // both listed
  Send(WM_NCRBUTTONUP, 1);
  EXPECT_TRUE(fakewin::FindMenuItem(app.menuBar, IDM_ADAPTER_BASE + 1)->flags & fakewin::RADIO_MARK);
  EXPECT_FALSE(fakewin::FindMenuItem(app.menuBar, IDM_ADAPTER_BASE)->flags & fakewin::RADIO_MARK);
  EXPECT_FALSE(fakewin::FindMenuItem(app.menuBar, IDM_INTERNET)->flags & MF_CHECKED);
  app.adapterType = INTERNET_TYPE;  // Internet checked, and the adapter it goes through
  Send(WM_NCRBUTTONUP, 1);
  EXPECT_TRUE(fakewin::FindMenuItem(app.menuBar, IDM_INTERNET)->flags & MF_CHECKED);
  EXPECT_TRUE(fakewin::FindMenuItem(app.menuBar, IDM_ADAPTER_BASE + 1)->flags & fakewin::RADIO_MARK);
  app.adapterSlot = NO_ADAPTER;
  Send(WM_NCRBUTTONUP, 1);
  EXPECT_FALSE(fakewin::FindMenuItem(app.menuBar, IDM_ADAPTER_BASE + 1)->flags & fakewin::RADIO_MARK);
}

TEST_F(MenusTest, SettingLabelsShowNumbersAndFlags) {
  Send(WM_NCRBUTTONUP, 3);
  EXPECT_EQ(MenuText(IDM_SET_INTERVAL), "&Intv 1000 ms");
  EXPECT_EQ(MenuText(IDM_SET_PLOT), "&Plot 32 pt");
  EXPECT_EQ(MenuText(IDM_SET_FONT), "&Font 17 px");
  EXPECT_EQ(MenuText(IDM_SET_OPACITY), "&Lucd 80 %");
  EXPECT_TRUE(fakewin::FindMenuItem(app.menuBar, IDM_SET_OPACITY)->flags & MF_CHECKED);
  EXPECT_FALSE(fakewin::FindMenuItem(app.menuBar, IDM_SET_FONT)->flags & MF_CHECKED);

  for (uint32_t opacity : {0x832u, 0x32u}) {
    app.settings[SET_OPACITY] = opacity;
    Send(WM_NCRBUTTONUP, 3);
    EXPECT_EQ(MenuText(IDM_SET_OPACITY), "&Lucd 50 %");
    EXPECT_EQ(bool(fakewin::FindMenuItem(app.menuBar, IDM_SET_OPACITY)->flags & MF_CHECKED), opacity == 0x832u);
  }
}

TEST_F(MenusTest, ModifierFromShiftAndTheRightButton) {
  struct {
    bool right, shift, stillDown;
    uint32_t modifier;
  } cases[] = {{false, false, false, 0},     {false, true, false, 1},     {true, false, false, 1},
               {true, true, false, 0},       {false, false, true, 0x8000}, {true, false, true, 0x8001}};
  for (auto& c : cases) {
    uint32_t modes = app.modeFlags = MODE_ACTIVE;
    fakewin::HoldKey(VK_RBUTTON, c.stillDown);
    Pick(IDM_EXIT, c.right, c.shift);
    fakewin::HoldKey(VK_RBUTTON, false);
    EXPECT_EQ(app.modeFlags, modes ^ (2 * c.modifier)) << c.right << c.shift << c.stillDown;
  }
  EXPECT_EQ(app.modeFlags & 0x10000, 0x10000u);  // bit 16 after a pick with the button still down
}

TEST_F(MenusTest, ARightButtonPressBeforeASubmenuOpenedDoesNotCount) {
  app.modeFlags = MODE_ACTIVE;
  fakewin::OnTrackPopupMenu([](HMENU, HWND owner) {
    fakewin::TapKey(VK_RBUTTON);                // pressed in the main popup
    fakewin::OpenSubmenu(owner, app.settingMenu);  // then a submenu opens, forgetting it
    return UINT(IDM_EXIT);
  });
  Send(WM_NCRBUTTONUP, 1);
  EXPECT_EQ(app.modeFlags, MODE_ACTIVE);
}

}  // namespace
