#include "ui/placement.h"

#include "test_support.h"

namespace {

class PlacementTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    fakewin::AddMonitor({0, 0, 1920, 1080}, {0, 0, 1920, 1040});  // taskbar at the bottom
    fakewin::AddMonitor({1920, 0, 3200, 1024}, {1920, 0, 3200, 1024});
  }
  // Places a window (200 by 100, client 190 by 90, unless told) at (x, y) and keeps it on screen.
  RECT Kept(int32_t x, int32_t y, uint32_t ownMove, int32_t width = 200, int32_t height = 100) {
    HWND w = fakewin::AddWindow({x, y, x + width, y + height});
    app.clientRect = {0, 0, width - 10, height - 10};
    KeepOnMonitor(w, ownMove);
    kept = w;
    return fakewin::WindowRect(w);
  }
  HWND kept = nullptr;
  static bool At(const RECT& r, int32_t x, int32_t y) { return r.left == x && r.top == y; }
};

TEST_F(PlacementTest, OwnMoveWithACornerOffScreenHangsOutByHalfAtMost) {
  EXPECT_TRUE(At(Kept(-150, 1000, 1), -100, 990));  // pulled back to the half-size limit
  EXPECT_TRUE(At(Kept(-100, 990, 1), -100, 990));   // at the limit: stays
  EXPECT_TRUE(At(Kept(500, -80, 1), 500, -50));
  EXPECT_TRUE(At(Kept(1000, 960, 1), 1000, 960));  // both corners on monitors: stays, over the taskbar too
}

TEST_F(PlacementTest, BothCornersOnAMonitorLeaveTheWindowWhereItIs) {
  fakewin::AddMonitor({0, 1080, 1920, 2160}, {0, 1080, 1920, 1800});  // a tall bar along its bottom
  EXPECT_TRUE(At(Kept(100, 1900, 1), 100, 1900));  // over the bar, but both corners are on the monitor
  EXPECT_TRUE(At(Kept(100, 2100, 1), 100, 1750));  // the second corner is off: half the height may hang out
}

TEST_F(PlacementTest, CtrlKeepsTheWholeWindowInsideTheWorkArea) {
  fakewin::HoldKey(VK_CONTROL, true);
  EXPECT_TRUE(At(Kept(-150, 1000, 1), 0, 940));
  EXPECT_TRUE(At(Kept(1000, 960, 1), 1000, 940));

  // Larger than the work area: its top-left corner stays on the area's, and
  // keeping it again moves it no more (each move would post the next check).
  EXPECT_TRUE(At(Kept(-50, 50, 1, 2000, 1200), 0, 0));
  size_t moves = fakewin::SetWindowPosCalls().size();
  KeepOnMonitor(kept, 1);
  EXPECT_EQ(fakewin::SetWindowPosCalls().size(), moves);
  EXPECT_TRUE(At(Kept(300, 200, 1, 300, 1200), 300, 0));
}

TEST_F(PlacementTest, ShiftLetsOnlyTheFrameHangOut) {
  fakewin::HoldKey(VK_SHIFT, true);
  fakewin::HoldKey(VK_CONTROL, true);  // Shift comes first
  EXPECT_TRUE(At(Kept(-20, -20, 1), -5, -5));
  EXPECT_TRUE(At(Kept(1800, 1000, 0), 1725, 945));
}

TEST_F(PlacementTest, PopupsStayInsideTheWorkAreaOfTheirMonitor) {
  EXPECT_TRUE(At(Kept(100, 100, 0), 100, 100));
  EXPECT_TRUE(fakewin::SetWindowPosCalls().empty());  // not moved, not even in place

  EXPECT_TRUE(At(Kept(100, -50, 0), 100, 0));  // too high: moved down although the column was fine
  EXPECT_TRUE(At(Kept(3100, 950, 0), 3000, 924));  // centre on the second monitor: its work area
  const auto& call = fakewin::SetWindowPosCalls().back();
  EXPECT_EQ(call.flags, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(call.after, nullptr);
}

TEST_F(PlacementTest, UnknownWindowIsLeftAlone) {
  KeepOnMonitor(reinterpret_cast<HWND>(0x999), 1);
  EXPECT_TRUE(fakewin::SetWindowPosCalls().empty());
}

class CoverTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    app.windowRect = {100, 100, 300, 200};  // centre (200, 150)
    main = fakewin::AddWindow(app.windowRect);
  }
  HWND main;
};

TEST_F(CoverTest, CoveredCentreIsNoticedThenAnsweredAtTheNextCheck) {
  fakewin::AddWindow({150, 120, 201, 151});  // just covers the centre
  CheckCovered(main, 1000);
  EXPECT_EQ(app.nextCoverCheck, (1000u + 3996) | 1);
  EXPECT_TRUE(fakewin::SetWindowPosCalls().empty());

  CheckCovered(main, app.nextCoverCheck);  // not later than the check time: nothing
  EXPECT_TRUE(fakewin::SetWindowPosCalls().empty());

  CheckCovered(main, 5000);
  ASSERT_EQ(fakewin::SetWindowPosCalls().size(), 1u);
  EXPECT_EQ(fakewin::SetWindowPosCalls()[0].after, HWND_TOPMOST);
  EXPECT_EQ(fakewin::SetWindowPosCalls()[0].flags, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
  EXPECT_EQ(app.nextCoverCheck, 8996u);  // raised now: the walk waits for the next check
  EXPECT_EQ(fakewin::ZOrder().front(), main);
}

TEST_F(CoverTest, HiddenOrBesideWindowsNeverCover) {
  fakewin::AddWindow({0, 0, 1000, 1000});  // visible, but below the main window
  SetWindowPos(main, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
  fakewin::AddWindow({0, 0, 1000, 1000}, 0);  // hidden, above
  fakewin::AddWindow({150, 120, 200, 150});   // above, but its right and bottom edges miss the centre
  CheckCovered(main, 10);
  EXPECT_EQ(app.nextCoverCheck & 1, 0u);

  fakewin::AddWindow({199, 149, 201, 151});  // the topmost one covers: the walk reaches it
  CheckCovered(main, 5000);
  EXPECT_EQ(app.nextCoverCheck & 1, 1u);
}

TEST_F(CoverTest, ChecksGoOnAcrossTheTickWrap) {
  fakewin::AddWindow({150, 120, 201, 151});
  app.nextCoverCheck = 0xFFFFFF00;  // set by a check four seconds before the 49.7-day wrap
  CheckCovered(main, 0xFFFFFEFF);
  EXPECT_EQ(app.nextCoverCheck, 0xFFFFFF00u);  // not yet
  CheckCovered(main, 0x10);  // the tick count has wrapped: the check is due
  EXPECT_EQ(app.nextCoverCheck, (0x10u + 3996) | 1);
}

}  // namespace
