#include "measure/sampler.h"

#include "measure/adapters.h"
#include "measure/interface_counters.h"
#include "test_support.h"
#include "ui/main_window.h"

namespace {

class SamplerTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    LoadMenus();
    window = fakewin::AddWindow({0, 0, 100, 100});
    fakewin::SetInterfaces({fakewin::MakeInterface(1, IF_TYPE_SOFTWARE_LOOPBACK, true, "lo"),
                            fakewin::MakeInterface(2, IF_TYPE_ETHERNET_CSMACD, true, "eth")});
    ASSERT_EQ(ScanAdapters(0) & 0xFF, 1u);  // selects eth, row 1
    FindWideCounters();
  }
  // A system before Vista: GetIfEntry's 32-bit counters only.
  void Narrow() {
    fakewin::OfferGetIfEntry2(false);
    FindWideCounters();
  }
  // One timer tick, elapsed ms (an interval unless given) after the last,
  // after the adapter's counters reached these readings.
  void Tick(uint64_t in, uint64_t out, DWORD elapsed = 0) {
    Counters(in, out);
    fakewin::SetTick(clock += elapsed ? elapsed : app.settings[SET_INTERVAL]);
    SampleTick(window, WM_TIMER, SAMPLE_TIMER_ID, clock);
  }
  void Counters(uint64_t in, uint64_t out) { fakewin::SetOctets(fakewin::Interfaces()[1], in, out); }
  // Takes the warm-up and the baselines so that the next tick is a sample.
  void Warm(uint64_t in = 0, uint64_t out = 0) {
    app.sampleCounter = 20;
    Tick(in, out);
  }
  HWND window;
  DWORD clock = 0xFFFFF000;  // far from 0, and about to wrap
};

TEST_F(SamplerTest, WorkedSequenceOfFourTicks) {
  Narrow();
  struct {
    uint32_t in, out, counter, recv, sent, recvKiB, recvRest, sentKiB, sentRest;
  } ticks[] = {{5000, 1000, 8, 0, 0, 0, 0, 0, 0},
               {7048, 1500, 9, 2048, 500, 2, 0, 0, 500},
               {7948, 2100, 10, 900, 600, 2, 900, 1, 76},
               {100, 2100, 11, 900, 0, 3, 776, 1, 76}};
  for (auto& t : ticks) {
    Tick(t.in, t.out);
    EXPECT_EQ(app.sampleCounter, t.counter);
    EXPECT_EQ(app.history[95], t.recv) << t.in;
    EXPECT_EQ(app.history[191], t.sent) << t.out;
    EXPECT_EQ(app.totalRecvKiB, t.recvKiB);
    EXPECT_EQ(app.recvRemainder, t.recvRest);
    EXPECT_EQ(app.totalSentKiB, t.sentKiB);
    EXPECT_EQ(app.sentRemainder, t.sentRest);
  }
  EXPECT_EQ(app.history[93], 2048u);  // the history moved along
  EXPECT_EQ(app.history[189], 500u);
}

TEST_F(SamplerTest, CountersWrapAndGlitchesRepeatTheNewestValue) {
  Narrow();
  Warm(0xFFFFFF00, 0);
  Tick(0x00000100, 524288000);
  EXPECT_EQ(app.history[95], 512u);
  EXPECT_EQ(app.history[191], 524288000u);  // exactly the limit at 1000 ms: accepted

  Tick(0x00000100 + 524288001, 524288000 + 77);
  EXPECT_EQ(app.history[95], 512u);  // one byte over: replaced by the newest value
  EXPECT_EQ(app.history[191], 77u);
  EXPECT_EQ(app.totalRecvKiB, 1u);  // and the replacement counts in the totals: 512 + 512

  ClearHistory();
  Tick(0, 0);  // a huge wrapped difference right after a clear
  EXPECT_EQ(app.history[95], 0u);
}

TEST_F(SamplerTest, GlitchLimitFollowsTheIntervalAndTheCounters) {
  struct {
    bool narrow;
    uint32_t interval, limit;
  } cases[] = {{true, 80, 41943040}, {false, 80, 335544320}, {false, 1000, 4194304000u}};
  for (auto& c : cases) {
    if (c.narrow) Narrow();
    app.settings[SET_INTERVAL] = c.interval;
    Warm();
    Tick(c.limit, c.limit + 1);
    EXPECT_EQ(app.history[95], c.limit) << c.interval;  // the limit itself is accepted
    EXPECT_EQ(app.history[191], 0u) << c.interval;
    EXPECT_EQ(app.totalSentKiB, c.narrow ? 0 : (c.limit + 1) >> 10);  // 64-bit: the totals count it all
    NextCase();
  }
}

TEST_F(SamplerTest, WideCountersCountEveryByteAcrossPausesAndRestarts) {
  Warm(5000000000, 7);
  app.history[95] = 1234;
  Tick(5000000000 + 10 * 4194304000ull + 2048, 7);  // a pause of many intervals at 33 Gbit/s
  EXPECT_EQ(app.history[95], 1234u);  // too much for one sample: the graph repeats its newest
  EXPECT_EQ(app.totalRecvKiB, 40960002u);
  EXPECT_EQ(app.recvRemainder, 0u);
  app.history[95] = 555;
  Tick(1000, 9);  // started again: new baselines, nothing counted or drawn
  EXPECT_EQ(app.totalRecvKiB, 40960002u);
  EXPECT_EQ(app.totalSentKiB + app.sentRemainder, 0u);
  EXPECT_EQ(app.history[95], 555u);
  Tick(3048, 9);
  EXPECT_EQ(app.history[95], 2048u);
  EXPECT_EQ(app.totalRecvKiB, 40960004u);
  Tick(4072, 8);  // the sent counter alone started again
  EXPECT_EQ(app.totalRecvKiB, 40960004u);
  EXPECT_EQ(app.totalSentKiB + app.sentRemainder, 0u);
}

TEST_F(SamplerTest, ALateReadingShowsTheAverageRateOverItsTime) {
  struct {
    bool narrow;
    uint32_t interval, elapsed;
    uint64_t rise;
    uint32_t sample;
  } cases[] = {{false, 1000, 1500, 3000, 3000},  // late by half an interval: timer jitter, taken as it is
               {false, 1000, 1501, 3000, 1999},  // later: as much per interval as came per 1000 ms of it
               {false, 1000, 7000, 7 * 125000000ull, 125000000},  // stopped 6 s at 1 Gbit/s
               {false, 80, 33000, 33000 * 4194304ull, 335544320}, {false, 80, 33000, 33000 * 4194305ull, 77},
               {true, 1000, 6000, 6001, 1000}, {true, 1000, 6000, 524288001, 77}};  // a 32-bit glitch: the rise
  for (auto& c : cases) {
    if (c.narrow) Narrow();
    app.settings[SET_INTERVAL] = c.interval;
    Warm();
    app.history[95] = 77;
    Tick(c.rise, 0, c.elapsed);
    EXPECT_EQ(app.history[95], c.sample) << c.elapsed << ": " << c.rise;
    uint64_t counted = (uint64_t(app.totalRecvKiB) << 10) + app.recvRemainder;
    EXPECT_EQ(counted, c.narrow && c.sample == 77 ? 77 : c.rise) << "the totals take every byte";
    NextCase();
  }
}

TEST_F(SamplerTest, RemaindersCarryIntoTheTotals) {
  Warm();
  app.recvRemainder = 1000;
  Tick(100, 0);
  EXPECT_EQ(app.totalRecvKiB, 1u);
  EXPECT_EQ(app.recvRemainder, 76u);
  Tick(100, 0);
  EXPECT_EQ(app.totalRecvKiB, 1u);
  EXPECT_EQ(app.recvRemainder, 76u);
}

TEST_F(SamplerTest, WarmUpSkipsReadingsAfterStartAndAfterPower) {
  fakewin::ClearGdiCalls();
  Tick(100, 100);  // from 7: baselines only, no paint
  EXPECT_EQ(app.sampleCounter, 8u);
  EXPECT_TRUE(fakewin::GdiCalls().empty());
  Tick(200, 100);
  EXPECT_EQ(app.history[95], 100u);
  EXPECT_FALSE(fakewin::GdiCalls().empty());  // the first sample paints

  app.sampleCounter = WARM_UP_AFTER_POWER;
  for (int i = 0; i < 5; ++i) Tick(300 + 100 * i, 100);
  EXPECT_EQ(app.history[95], 100u);  // five readings skipped by the graph, not by the totals
  EXPECT_EQ(app.recvRemainder, 600u);
  Tick(1000, 100);
  EXPECT_EQ(app.sampleCounter, 9u);
  EXPECT_EQ(app.history[95], 300u);
}

TEST_F(SamplerTest, NothingHappensWithoutASelection) {
  std::vector<MIB_IFROW> rows(5, fakewin::MakeInterface(1, 6, true, "a"));
  for (DWORD i = 0; i < 5; ++i) rows[i].dwIndex = i + 1;
  fakewin::SetInterfaces(rows);
  ScanAdapters(1);
  app.adapterSlot = NO_ADAPTER;
  int calls = fakewin::GetIfEntryCalls();
  Tick(100, 100);
  Tick(200, 100);
  EXPECT_EQ(fakewin::GetIfEntryCalls(), calls);
  EXPECT_EQ(app.sampleCounter, WARM_UP_START);
}

TEST_F(SamplerTest, ATickReadsOneRowAndAllocatesNothing) {
  Warm();
  int calls = fakewin::GetIfEntryCalls();
  int blocks = fakewin::LiveGlobalBlocks();
  int objects = fakewin::LiveGdiObjects();
  Tick(1000, 1000);
  EXPECT_EQ(fakewin::GetIfEntryCalls(), calls + 1);
  EXPECT_EQ(fakewin::LiveGlobalBlocks(), blocks);
  EXPECT_EQ(fakewin::LiveGdiObjects(), objects);
}

TEST_F(SamplerTest, AnAdapterThatCannotBeReadIsLookedForAgainAndDrawsNothingMeanwhile) {
  for (bool narrow : {true, false}) {
    if (narrow) Narrow();
    Warm(1000, 0);
    Tick(1500, 0);
    fakewin::Interfaces()[1].dwIndex = 5;  // gone, and back under another index
    Tick(2000, 0);
    EXPECT_EQ(app.rescanCountdown, RESCAN_LOST | RESCAN_PENDING) << "without Auto Adapt: " << narrow;
    EXPECT_EQ(app.history[95], 0u) << narrow;  // as a pulled cable shows
    for (int i = 0; i < 5; ++i) Tick(3000, 0);  // the wait, then the rescan
    EXPECT_EQ(app.ifTable->table[1].dwIndex, 5u) << narrow;
    EXPECT_EQ(app.history[89], 500u) << "six ticks showed nothing: " << narrow;
    Tick(3000, 0);  // new baselines
    Tick(4000, 0);
    EXPECT_EQ(app.history[95], 1000u) << narrow;
    NextCase();
  }
  // Reads failing while the row stays: zeros, a table read per wait; then the rise at its rate.
  Warm(1000, 0);
  fakewin::FailIfEntry(2, true);
  int tables = fakewin::GetIfTableCalls();
  for (int i = 0; i < 12; ++i) Tick(1000 + 512 * i, 0);
  EXPECT_LE(fakewin::GetIfTableCalls() - tables, 4);  // two rescans: a size query and a read each
  EXPECT_EQ(app.history[95] + app.history[84], 0u);
  fakewin::FailIfEntry(2, false);
  for (int i = 0; i < 6; ++i) Tick(13 * 1024, 0);
  EXPECT_EQ(app.totalRecvKiB, 12u);
  EXPECT_EQ(app.history[90], 947u);  // 12,312 bytes over 13 s

  // The only adapter, gone and plugged in again: found by its check in 5 s, its rise meanwhile not counted.
  MIB_IFROW eth = fakewin::Interfaces()[1];
  Warm(0, 0);
  app.totalRecvKiB = app.recvRemainder = 0;
  fakewin::Interfaces()[1] = fakewin::MakeInterface(9, 6, false, "other");
  for (int i = 0; i < 7; ++i) Tick(0, 0);
  EXPECT_EQ(SelectedRow(), NO_ROW);
  fakewin::Interfaces()[1] = eth;
  fakewin::Interfaces()[1].dwOperStatus = 2;  // back, but down at first
  MainWndProc(window, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
  for (int i = 0; i < 5; ++i) Tick(7000, 0);
  EXPECT_EQ(SelectedRow(), 1u);
  EXPECT_NE(app.rescanCountdown, 0u);  // still looked for while it is down
  fakewin::Interfaces()[1].dwOperStatus = MIB_IF_OPER_STATUS_OPERATIONAL;
  for (int i = 0; i < 7; ++i) Tick(8000, 0);
  EXPECT_EQ(app.rescanCountdown, 0u);
  EXPECT_EQ(app.totalRecvKiB + app.recvRemainder, 0u);
  Tick(9024, 0);
  EXPECT_EQ(app.history[95], 1024u);
}

TEST_F(SamplerTest, InternetFollowsTheRouteWithTheTotalsThroughEverySwitch) {
  fakewin::Interfaces().push_back(fakewin::MakeInterface(3, 71, true, "wlan"));
  ScanAdapters(0);  // two offered: eth stays picked
  auto wlan = [](uint64_t in) { fakewin::SetOctets(fakewin::Interfaces()[2], in, 0); };
  fakewin::SetBestInterface(3);
  Warm(100, 0);
  FollowInternet(0);
  EXPECT_EQ(app.sampleCounter, WARM_UP_START);  // a new choice, as a pick is
  wlan(1000);
  Tick(100, 0);  // eth's warm-up reading, then the route's interface takes its baselines
  EXPECT_EQ(SelectedRow(), 2u);
  int looks = fakewin::BestInterfaceCalls();
  for (int i = 1; i <= 6; ++i) wlan(1000 + 2048 * i), Tick(9000 + i, 0);  // eth moves, unwatched
  EXPECT_EQ(fakewin::BestInterfaceCalls() - looks, 3);  // a look every 2 s
  fakewin::SetBestInterface(2);
  wlan(1000 + 2048 * 7), Tick(20000, 0);
  wlan(1000 + 2048 * 8), Tick(20000, 0);  // wlan sampled to the end, then eth's baselines
  Tick(24096, 0);
  EXPECT_EQ(SelectedRow(), 1u);
  EXPECT_EQ(app.history[95], 4096u);
  EXPECT_EQ(app.history[94], 2048u);  // no clear, no burst
  EXPECT_EQ(app.totalRecvKiB * 1024 + app.recvRemainder, (8u * 2 + 4) * 1024);
  // No route, or one through no interface of the table (rescanned for once): eth stays.
  for (DWORD route : {0u, 99u}) {
    int tables = fakewin::GetIfTableCalls();
    fakewin::SetBestInterface(route);
    for (int i = 0; i < 4; ++i) Tick(24096, 0);
    EXPECT_EQ(SelectedRow(), 1u) << route;
    EXPECT_EQ(fakewin::GetIfTableCalls() - tables, route ? 2 : 0) << route;
  }
  // A failed reading looks at the route at once; no rule that picks takes the mode away.
  fakewin::SetBestInterface(0, 3);  // IPv6 only
  fakewin::FailIfEntry(2, true);
  Tick(0, 0);
  EXPECT_EQ(SelectedRow(), 2u);
  EXPECT_EQ(app.rescanCountdown, 0u);
  fakewin::Interfaces()[1].dwOperStatus = 2;
  EXPECT_EQ(ScanAdapters(0) & 0xFF, 1u);
  EXPECT_TRUE(FollowingInternet());
  SelectAdapter(2, 0);  // a pick, even of the adapter followed, ends it
  EXPECT_EQ(app.adapterType, 71u);
}

TEST_F(SamplerTest, RescanWaitsAboutFourSeconds) {
  struct {
    uint32_t interval, readingTick;
  } cases[] = {{1000, 5}, {500, 9}, {100, 41}, {80, 52}};
  for (auto& c : cases) {
    app.settings[SET_INTERVAL] = c.interval;
    Warm();
    app.rescanCountdown = RESCAN_PENDING;
    int calls = fakewin::GetIfEntryCalls();
    for (uint32_t tick = 1; tick < c.readingTick; ++tick) Tick(0, 0);
    EXPECT_EQ(fakewin::GetIfEntryCalls(), calls) << c.interval;
    EXPECT_EQ(app.rescanCountdown, c.readingTick) << c.interval;
    Tick(500 * c.readingTick, 0);  // the wait is over: the adapter is up, its rate over the wait is drawn
    EXPECT_EQ(app.rescanCountdown, 0u);
    EXPECT_EQ(app.history[95], 500u);
  }
}

TEST_F(SamplerTest, RescanRunsWhenTheAdapterIsDownOrAfterAnEmptyRescan) {
  Warm();
  app.rescanCountdown = RESCAN_PENDING;
  for (int i = 0; i < 4; ++i) Tick(0, 0);
  fakewin::Interfaces()[1].dwOperStatus = 2;  // down: the rescan lists nothing
  int tables = fakewin::GetIfTableCalls();
  Tick(0, 0);
  EXPECT_GT(fakewin::GetIfTableCalls(), tables);
  EXPECT_EQ(app.rescanCountdown, 0x301u);  // and the graph shows nothing for it meanwhile

  fakewin::Interfaces()[1].dwOperStatus = MIB_IF_OPER_STATUS_OPERATIONAL;
  for (int i = 0; i < 4; ++i) Tick(0, 0);
  EXPECT_EQ(app.rescanCountdown, 0x305u);
  uint32_t before = app.history[95];
  Tick(9999, 0);  // the retry rescans even though the adapter is up again, and takes no sample
  EXPECT_EQ(app.rescanCountdown, 0u);
  EXPECT_EQ(app.history[95], before);
  EXPECT_EQ(SelectedRow(), 1u);

  fakewin::SetIfTableFault(fakewin::IfTableFault::GROWS_BETWEEN_CALLS);
  app.rescanCountdown = 5;
  fakewin::Interfaces()[1].dwOperStatus = 2;
  Tick(0, 0);  // a failed scan counts as one that listed nothing
  EXPECT_EQ(app.rescanCountdown, 0x301u);
  EXPECT_EQ(app.ifTable, nullptr);

  // With no table left, the rescan after each wait is the way back.
  for (int i = 0; i < 5; ++i) Tick(0, 0);
  EXPECT_EQ(app.rescanCountdown, 0x301u);  // the table still cannot be read
  fakewin::SetIfTableFault(fakewin::IfTableFault::NONE);
  fakewin::Interfaces()[1].dwOperStatus = MIB_IF_OPER_STATUS_OPERATIONAL;
  for (int i = 0; i < 5; ++i) Tick(0, 0);
  EXPECT_EQ(app.rescanCountdown, 0u);
  ASSERT_NE(app.ifTable, nullptr);
  EXPECT_EQ(SelectedRow(), 1u);

  // A loopback picked from the full list is never listed: while it is up, an
  // empty rescan is not repeated, and it goes on being sampled.
  SelectAdapter(0, 0);
  fakewin::Interfaces()[1].dwOperStatus = 2;
  app.rescanCountdown = 0x105;
  Tick(0, 0);
  EXPECT_EQ(app.rescanCountdown, 0u);
  uint32_t counter = app.sampleCounter;
  Tick(0, 0);
  EXPECT_EQ(app.sampleCounter, counter + 1);
  // Down when last scanned, up by the retry: the retry's reading tells, and sampling goes on.
  fakewin::Interfaces()[0].dwOperStatus = 2;
  ScanAdapters(1);
  fakewin::Interfaces()[0].dwOperStatus = MIB_IF_OPER_STATUS_OPERATIONAL;
  app.rescanCountdown = 0x105;
  Tick(0, 0);
  EXPECT_EQ(app.rescanCountdown, 0u);
}

TEST_F(SamplerTest, AnotherInterfaceAtTheSelectedPlaceStartsFromNewBaselines) {
  Warm(1000, 1000);
  Tick(3000, 1500);
  uint32_t recvKiB = app.totalRecvKiB, sentKiB = app.totalSentKiB;
  fakewin::Interfaces()[1].dwIndex = 7;  // same place and type, another interface
  ScanAdapters(0);
  EXPECT_EQ(SelectedRow(), 1u);
  Tick(50000000, 9000000);  // its counters only become the baselines
  EXPECT_EQ(app.totalRecvKiB, recvKiB);
  EXPECT_EQ(app.totalSentKiB, sentKiB);
  EXPECT_EQ(app.history[95], 2000u);
  Tick(50002048, 9000000);
  EXPECT_EQ(app.history[95], 2048u);
  EXPECT_EQ(app.totalRecvKiB, recvKiB + 2);
}

TEST_F(SamplerTest, ChangeIntervalRescalesAndRestarts) {
  struct {
    uint32_t from, to, before, after;
  } cases[] = {{1000, 500, 3, 2},     {1000, 500, 1, 1},  {1000, 500, 1000, 500}, {1000, 500, 4194304, 2097152},
               {1000, 80, 6, 0},      {1000, 80, 7, 1},   {80, 1000, 1, 13},      {80, 1000, 41943040, 524288000},
               {1000, 80, 524288000, 41943040}, {80, 1000, 335544320, 4194304000u},
               {1000, 80, 4194304000u, 335544320}};
  for (auto& c : cases) {
    app.settings[SET_INTERVAL] = c.to;
    app.history[0] = app.history[191] = c.before;
    ChangeInterval(window, c.from);
    EXPECT_EQ(app.history[0], c.after) << c.from << " to " << c.to << ": " << c.before;
    EXPECT_EQ(app.history[191], c.after);
  }
  const auto& timer = fakewin::TimerCalls().back();
  EXPECT_EQ(timer.window, window);
  EXPECT_EQ(timer.id, SAMPLE_TIMER_ID);
  EXPECT_EQ(timer.period, 80u);  // the interval of the last change
  EXPECT_EQ(timer.proc, &SampleTick);
}

TEST_F(SamplerTest, ChangeIntervalTakesFreshBaselinesWithoutWarmUp) {
  Warm(1000, 1000);
  Counters(5000, 6000);
  app.settings[SET_INTERVAL] = 500;
  ChangeInterval(window, 1000);
  EXPECT_EQ(app.prevInOctets, 5000u);
  EXPECT_EQ(app.prevOutOctets, 6000u);
  EXPECT_EQ(app.totalRecvKiB * 1024 + app.recvRemainder, 4000u);  // since the last tick: counted
  EXPECT_EQ(app.totalSentKiB * 1024 + app.sentRemainder, 5000u);
  EXPECT_EQ(app.sampleCounter, 21u);  // Warm's tick made it 21; the null-window call does not count
  Tick(5500, 6000);  // timed from the change
  EXPECT_EQ(app.history[95], 500u);

  app.rescanCountdown = RESCAN_PENDING;  // during a wait it counts one wait tick and reads nothing
  Counters(7000, 7000);
  ChangeInterval(window, 500);
  EXPECT_EQ(app.rescanCountdown, 2u);
  EXPECT_EQ(app.prevInOctets, 5500u);
}

TEST_F(SamplerTest, CoverCheckOnlyWhenForcedTopMostAndInactive) {
  Warm();
  app.optionFlags |= OPT_TOPMOST | OPT_FORCE;
  Tick(0, 0);
  EXPECT_EQ(app.nextCoverCheck, 0u);  // active: no check
  app.modeFlags &= ~MODE_ACTIVE;
  SampleTick(window, WM_TIMER, SAMPLE_TIMER_ID, 1000);
  EXPECT_EQ(app.nextCoverCheck, 1000u + 3996);
}

}  // namespace
