#include "measure/reset_stamp.h"

#include "app/start_flags.h"
#include "res/resource.h"
#include "test_support.h"

namespace {

uint16_t DosDate(int year, int month, int day) { return uint16_t((year - 1980) << 9 | month << 5 | day); }

class ResetStampTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    LoadMenus();
    app.totalRecvKiB = 100;
    app.totalSentKiB = 200;
    app.recvRemainder = 3;
    app.sentRemainder = 4;
  }
  bool Reset() { return app.totalRecvKiB == 0; }
};

TEST_F(ResetStampTest, LabelShowsTheRecordedMoment) {
  struct {
    int month, day, hour, minute;
    const char* label;
  } cases[] = {{8, 30, 7, 5, "&R 8/30  7:05"}, {1, 1, 23, 59, "&R 1/01 23:59"}, {12, 12, 0, 0, "&R12/12  0:00"}};
  for (auto& c : cases) {
    fakewin::SetLocalTime(2025, c.month, c.day, c.hour, c.minute, 41);
    StampReset(START_RESET);
    EXPECT_EQ(MenuText(IDM_RESET), c.label);
  }
  fakewin::SetLocalTime(2025, 8, 30, 7, 5, 0);
  StampReset(START_RESET);
  EXPECT_EQ(app.resetDate, 23326);
  EXPECT_EQ(app.resetTime, 14496);
}

TEST_F(ResetStampTest, DailyResetComparesTheWholeDate) {
  struct {
    uint16_t stored;
    bool reset;
  } cases[] = {{DosDate(2027, 3, 1), true},
               {DosDate(2027, 3, 2), false},
               {DosDate(2026, 3, 2), true},
               {DosDate(2027, 2, 2), true}};
  for (auto& c : cases) {
    SCOPED_TRACE(c.stored);
    fakewin::SetLocalTime(2027, 3, 2, 10, 15, 0);
    app.resetDate = c.stored;
    app.resetTime = 1234;
    StampReset(START_DAILY_RESET);
    EXPECT_EQ(Reset(), c.reset);
    EXPECT_EQ(app.resetDate, DosDate(2027, 3, 2));
    if (c.reset) {
      EXPECT_EQ(app.sentRemainder, 0u);
      EXPECT_EQ(app.resetTime, 10 << 11 | 15 << 5);
    } else {
      EXPECT_EQ(app.resetTime, 1234);
    }
    NextCase();
  }
}

TEST_F(ResetStampTest, OnlyTheResetFlagsOrANeverResetTotalReset) {
  app.resetDate = DosDate(2026, 1, 1);
  for (uint32_t flags : {0x01u, 0x02u, 0x04u, 0x10u, 0x20u}) {
    StampReset(flags);
    EXPECT_FALSE(Reset()) << flags;
  }
  EXPECT_EQ(MenuText(IDM_RESET), "&R 1/01  0:00");
  app.resetDate = 0;
  StampReset(0);
  EXPECT_TRUE(Reset());
}

TEST_F(ResetStampTest, UnconvertibleTimeResetsNothing) {
  fakewin::FailTimeConversion(true);
  StampReset(START_RESET);
  EXPECT_FALSE(Reset());
  EXPECT_EQ(MenuText(IDM_RESET), "&R 0/00  0:00");

  fakewin::FailTimeConversion(false);
  fakewin::SetLocalTime(1979, 12, 31, 23, 0, 0);  // before the DOS calendar begins
  StampReset(START_RESET);
  EXPECT_FALSE(Reset());
}

}  // namespace
