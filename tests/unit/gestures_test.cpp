#include "ui/gestures.h"

#include "display/painter.h"
#include "res/resource.h"
#include "test_support.h"
#include "ui/main_window.h"

namespace {

class GesturesTest : public WindowTest {
 protected:
  // A press and release of a mouse button held for ms milliseconds, then a pause.
  void Click(UINT down, UINT up, DWORD ms, DWORD pause = 5000) {
    fakewin::SetTick(now);
    fakewin::MouseButton(window, down);
    fakewin::SetTick(now += ms);
    fakewin::MouseButton(window, up);
    now += pause;
  }
  // A key held for ms milliseconds.
  void Tap(WPARAM key, DWORD ms) {
    fakewin::SetTick(now);
    Send(WM_KEYDOWN, key);
    fakewin::SetTick(now += ms);
    Send(WM_KEYUP, key);
    now += 5000;
  }
  void Hover(WPARAM hit, DWORD after) {
    fakewin::SetTick(app.lastInputTick + after);
    Send(WM_NCMOUSEMOVE, hit);
  }
  DWORD now = 500000;
};

TEST_F(GesturesTest, LeftClickLengthChoosesFreezeOrOpacity) {
  Click(WM_LBUTTONDOWN, WM_LBUTTONUP, 256);
  EXPECT_EQ(app.frozen, 1u);
  Click(WM_LBUTTONDOWN, WM_LBUTTONUP, 10);
  EXPECT_EQ(app.frozen, 0u);
  Click(WM_LBUTTONDOWN, WM_LBUTTONUP, 257);
  EXPECT_EQ(app.modeFlags & MODE_OPAQUE, MODE_OPAQUE);
  EXPECT_EQ(fakewin::LayeredCalls().back().flags & LWA_ALPHA, 0u);
  Click(WM_LBUTTONDOWN, WM_LBUTTONUP, 1088);
  EXPECT_EQ(app.modeFlags & MODE_OPAQUE, 0u);
  Click(WM_LBUTTONDOWN, WM_LBUTTONUP, 1089);
  EXPECT_EQ(app.modeFlags & MODE_OPAQUE, 0u);
  EXPECT_EQ(app.frozen, 0u);
}

TEST_F(GesturesTest, DoubleClickIsTwoClicks) {
  // The second press of a quick double click arrives as WM_LBUTTONDBLCLK.
  Click(WM_LBUTTONDOWN, WM_LBUTTONUP, 80, 200);
  EXPECT_EQ(app.frozen, 1u);
  Click(WM_LBUTTONDOWN, WM_LBUTTONUP, 80);
  EXPECT_EQ(app.frozen, 0u);
  EXPECT_EQ(app.modeFlags & MODE_OPAQUE, 0u);
}

TEST_F(GesturesTest, RightClickLengthChoosesTheMenu) {
  Click(WM_RBUTTONDOWN, WM_RBUTTONUP, 511);
  Click(WM_RBUTTONDOWN, WM_RBUTTONUP, 512);
  auto posted = fakewin::PostedMessages();
  ASSERT_EQ(posted.size(), 2u);
  EXPECT_EQ(posted[0].message, WM_NCRBUTTONUP);
  EXPECT_EQ(posted[0].wParam, 1u);
  EXPECT_EQ(posted[1].wParam, 3u);
  fakewin::PumpMessages();
  EXPECT_EQ(fakewin::TrackCalls().back().menu, app.settingMenu);
}

TEST_F(GesturesTest, DraggingTheClientAreaMovesTheWindow) {
  fakewin::DragBy(40, 30);
  Send(WM_MOUSEMOVE, 0);  // no button held: no drag
  EXPECT_EQ(fakewin::WindowRect(window).left, 10);
  Send(WM_MOUSEMOVE, MK_LBUTTON);
  EXPECT_EQ(fakewin::WindowRect(window).left, 50);
  EXPECT_EQ(fakewin::WindowRect(window).top, 40);
  fakewin::PumpMessages();  // the moved window is kept on screen and remembered
  EXPECT_EQ(app.windowRect.left, 50);
  EXPECT_EQ(app.windowRect.bottom, 240);
}

TEST_F(GesturesTest, KeyTapsAreTimed) {
  Tap(VK_SPACE, 46);
  EXPECT_EQ(app.frozen, 0u);
  Tap(VK_SPACE, 641);
  EXPECT_EQ(app.frozen, 0u);
  Tap(VK_SPACE, 47);
  EXPECT_EQ(app.frozen, 1u);
  Tap(VK_SPACE, 640);
  EXPECT_EQ(app.frozen, 0u);
}

TEST_F(GesturesTest, EachKeyDoesItsOwnThing) {
  Tap('B', 100);
  EXPECT_EQ(app.modeFlags & MODE_OPAQUE, MODE_OPAQUE);
  Tap('T', 100);
  EXPECT_EQ(app.modeFlags & MODE_COLORKEY, MODE_COLORKEY);
  Tap('L', 100);
  EXPECT_EQ(app.settings[SET_OPACITY], 80u);
  Tap('C', 100);
  EXPECT_TRUE(fakewin::ClipboardHas(CF_TEXT));
  EXPECT_EQ(app.lastInputTick, now - 5000);

  app.totalRecvKiB = 7;
  app.history[95] = 3;
  Tap('R', 100);
  EXPECT_EQ(app.totalRecvKiB, 0u);
  EXPECT_EQ(app.history[95], 0u);  // the key clears the graph too
  EXPECT_EQ(app.lastInputTick, now - 5000);
  app.history[95] = 3;
  Tap('G', 100);
  EXPECT_EQ(app.history[95], 0u);
  EXPECT_EQ(app.lastInputTick, now - 5000);

  Tap('M', 100);
  Tap('S', 100);
  auto posted = fakewin::PostedMessages();
  ASSERT_EQ(posted.size(), 2u);
  EXPECT_EQ(posted[0].wParam, 1u);
  EXPECT_EQ(posted[1].wParam, 3u);
  Tap(VK_F1, 100);
  EXPECT_EQ(fakewin::ShellOpened().back(), "C:\\Tools\\Velnorid.chm");
  size_t popups = fakewin::Popups().size();
  Tap('X', 100);
  EXPECT_EQ(fakewin::Popups().size(), popups);
}

TEST_F(GesturesTest, AMenuMnemonicIsNoTap) {
  // M opens the menu; its loop eats the key-down of T, which picks "&Top Most".
  fakewin::OnTrackPopupMenu([](HMENU, HWND) { return UINT(IDM_TOPMOST); });
  fakewin::SetTick(now);
  Send(WM_KEYDOWN, 'M');
  fakewin::SetTick(now + 100);
  Send(WM_KEYUP, 'M');
  fakewin::PumpMessages();
  EXPECT_EQ(app.optionFlags & OPT_TOPMOST, 0u);
  fakewin::SetTick(now + 300);
  Send(WM_KEYUP, 'T');  // T's key-up reaches the window
  EXPECT_EQ(app.modeFlags & MODE_COLORKEY, 0u);

  // G clears the graph, then the menu's G picks "&Guide": its key-up is no second tap of G.
  fakewin::OnTrackPopupMenu([](HMENU, HWND) { return UINT(IDM_GUIDE); });
  app.history[95] = 7;
  Tap('G', 100);
  EXPECT_EQ(app.history[95], 0u);
  app.history[95] = 7;
  fakewin::SetTick(now - 4800);
  Send(WM_NCRBUTTONUP, 1);
  Send(WM_KEYUP, 'G');
  EXPECT_EQ(app.history[95], 7u);
}

TEST_F(GesturesTest, ArrowsStepTheOpacity) {
  struct {
    uint32_t opacity;
    WPARAM key;
    uint32_t after;
  } cases[] = {{0x850, VK_UP, 0x85A},   {0x85A, VK_UP, 0x85A}, {80, VK_UP, 90},
               {20, VK_DOWN, 10},       {19, VK_DOWN, 19},     {0x864, VK_DOWN, 0x85A}};
  for (auto& c : cases) {
    app.settings[SET_OPACITY] = c.opacity;
    app.modeFlags = MODE_ACTIVE | MODE_COLORKEY | MODE_OPAQUE | 0x10000;
    size_t calls = fakewin::LayeredCalls().size();
    Send(WM_KEYDOWN, c.key);
    EXPECT_EQ(app.settings[SET_OPACITY], c.after) << c.opacity;
    bool changed = c.after != c.opacity;
    EXPECT_EQ(fakewin::LayeredCalls().size(), calls + changed);
    EXPECT_EQ(app.modeFlags, changed ? MODE_ACTIVE | MODE_COLORKEY : MODE_ACTIVE | MODE_COLORKEY | MODE_OPAQUE | 0x10000);
  }
}

TEST_F(GesturesTest, EdgeHoveringTogglesByTheEdgeOptions) {
  app.optionFlags = OPT_EDGE_VERT;  // vertical edges toggle the colour key, horizontal ones opacity
  Hover(HTLEFT, 1281);
  EXPECT_EQ(app.modeFlags & MODE_COLORKEY, MODE_COLORKEY);
  Hover(HTBOTTOMRIGHT, 1280);  // again too soon
  EXPECT_EQ(app.modeFlags & MODE_COLORKEY, MODE_COLORKEY);
  Hover(HTBOTTOMRIGHT, 1281);
  EXPECT_EQ(app.modeFlags & MODE_COLORKEY, 0u);
  Hover(HTTOP, 2000);
  EXPECT_EQ(app.modeFlags & MODE_OPAQUE, MODE_OPAQUE);
  Hover(HTCLIENT, 2000);
  EXPECT_EQ(app.modeFlags & MODE_OPAQUE, MODE_OPAQUE);

  fakewin::HoldKey(VK_CONTROL, true);
  Hover(HTBOTTOM, 2000);
  EXPECT_EQ(app.modeFlags & MODE_OPAQUE, MODE_OPAQUE);
  fakewin::HoldKey(VK_CONTROL, false);

  app.optionFlags = 0;
  app.modeFlags = MODE_ACTIVE;
  Hover(HTLEFT, 2000);
  EXPECT_EQ(app.modeFlags, MODE_ACTIVE);  // both options clear: nothing
  fakewin::HoldKey(VK_SHIFT, true);  // inverted to both set: the colour key on any edge
  Hover(HTTOP, 2000);
  EXPECT_EQ(app.modeFlags, MODE_ACTIVE | MODE_COLORKEY);
}

}  // namespace
