#include "display/readouts.h"

#include <string>

#include "test_support.h"

namespace {

class ReadoutsTest : public ProgramTest {
 protected:
  void SetVisible(uint32_t count, uint32_t received, uint32_t sent) {
    app.settings[SET_PLOT] = count;
    for (uint32_t i = HISTORY_LENGTH - count; i < HISTORY_LENGTH; ++i) {
      app.history[i] = received;
      app.history[SENT_BASE + i] = sent;
    }
  }
  // The four readout texts after a format at the given client width.
  std::vector<std::string> Texts(int32_t clientWidth) {
    app.clientRect.right = clientWidth;
    FormatReadouts(ComputeVisibleStats(), readouts);
    std::vector<std::string> texts;
    for (const Readout& r : readouts) texts.emplace_back(r.text, r.length);
    return texts;
  }
  Readout readouts[READOUT_COUNT];
};

TEST_F(ReadoutsTest, StatisticsOfTheVisibleSamples) {
  VisibleStats s = ComputeVisibleStats();
  EXPECT_EQ(s.peak, 0u);
  EXPECT_EQ(s.peakIndex, 191u);
  EXPECT_EQ(s.average, 0u);

  app.history[90] = 77;
  app.history[186] = 77;
  app.history[10] = 1000;  // outside the 32 visible samples
  s = ComputeVisibleStats();
  EXPECT_EQ(s.peak, 77u);
  EXPECT_EQ(s.peakIndex, 186u);  // the sent sample wins the tie
  EXPECT_EQ(s.average, (154u + 16) / 32);

  app.history[95] = 77;  // a later received sample does not beat an equal sent one
  EXPECT_EQ(ComputeVisibleStats().peakIndex, 186u);

  SetVisible(8, 1000, 500);
  s = ComputeVisibleStats();
  EXPECT_EQ(s.average, 1500u);  // both directions over the count, not over twice the count
  EXPECT_EQ(s.peak, 1000u);
  EXPECT_EQ(s.peakIndex, 95u);
}

TEST_F(ReadoutsTest, AverageCarriesAWrappedSum) {
  SetVisible(8, 524288000, 524288000);  // the sum of sixteen wraps once
  EXPECT_EQ(ComputeVisibleStats().average, 1048575999u);
  // Both directions at the 64-bit counters' limit: twice the peak, past 32 bits,
  // and the readout shows the largest number instead of a wrapped one.
  SetVisible(96, 4194304000u, 4194304000u);
  EXPECT_EQ(ComputeVisibleStats().average, 8388607875u);  // 125 short of exact: 187 carries
  EXPECT_EQ(Texts(350)[3], "Ave 4,294,967,295 B/s");
}

TEST_F(ReadoutsTest, PerSecondRoundsAndGoesCoarseForLargeValues) {
  EXPECT_EQ(PerSecond(123456789, 1000), 123456789u);
  EXPECT_EQ(PerSecond(12345, 500), 24690u);
  EXPECT_EQ(PerSecond(1, 80), 13u);  // 12.5 goes up
  EXPECT_EQ(PerSecond(3, 250), 12u);
  EXPECT_EQ(PerSecond(4194303, 80), 52428788u);
  EXPECT_EQ(PerSecond(4194304, 80), 52428800u);
  EXPECT_EQ(PerSecond(5000000, 250), 20000256u);
  EXPECT_EQ(PerSecond(41943040, 80), 524288000u);  // the glitch limit at 80 ms
  EXPECT_EQ(PerSecond(335544320, 80), 4194304000u);  // the limit of 64-bit counters at 80 ms
  EXPECT_EQ(PerSecond(4194304000u, 1000), 4194304000u);
  EXPECT_EQ(PerSecond(0xFFFFFFFFu, 999), 4294967295u);  // 4,299,266,561 would pass 32 bits
}

TEST_F(ReadoutsTest, DigitsAreGroupedInThrees) {
  struct {
    uint32_t value;
    const char* text;
  } cases[] = {{0, "0"}, {999, "999"}, {1000, "1,000"}, {1234567, "1,234,567"}, {100000, "100,000"},
               {4294967295u, "4,294,967,295"}};
  for (auto& c : cases) {
    char out[GROUPED_TEXT_MAX];
    uint32_t length = FormatGrouped(c.value, out);
    EXPECT_EQ(std::string(out, length), c.text);
  }
}

TEST_F(ReadoutsTest, LeftAlignedTextsArePackedWithTheirNuls) {
  app.optionFlags &= ~OPT_DIGIT_RIGHT;
  app.totalRecvKiB = 12345;
  app.totalSentKiB = 678;
  app.history[95] = 123456;
  app.history[191] = 4567 * 32 - 123456;
  EXPECT_EQ(Texts(350), (std::vector<std::string>{"Rcv 12,345 KB", "Snt 678 KB", "Max 123,456 B/s", "Ave 4,567 B/s"}));
  EXPECT_EQ(std::string(app.readoutText, 55),
            std::string("Rcv 12,345 KB\0Snt 678 KB\0Max 123,456 B/s\0Ave 4,567 B/s\0", 55));
  EXPECT_EQ(Texts(0)[3], "Ave 4,567 B/s");
}

TEST_F(ReadoutsTest, RightAlignedFieldsNarrowWithTheWindow) {
  app.totalRecvKiB = 12345;
  app.history[95] = 123456;
  auto texts = Texts(350);  // px 17, cell 18: 19 cells, full widths 12 and 11
  EXPECT_EQ(texts[0], "Rcv       12,345 KB");
  EXPECT_EQ(texts[2], "Max     123,456 B/s");
  EXPECT_EQ(texts[1], "Snt            0 KB");
  EXPECT_EQ(Texts(334)[0], "Rcv      12,345 KB");  // 18 cells: one place less
  EXPECT_EQ(Texts(334)[2], "Max    123,456 B/s");
  EXPECT_EQ(Texts(300)[0], "Rcv    12,345 KB");  // three places less, the most
  EXPECT_EQ(Texts(30)[2], "Max  123,456 B/s");    // no narrower than that
  EXPECT_EQ(Texts(0)[0], "Rcv       12,345 KB");  // a window not yet sized counts as wide

  app.settings[SET_FONT] = SETTING_FLAG | 17;  // bold: cell 20, 16 cells at 334
  EXPECT_EQ(Texts(334)[0], "Rcv    12,345 KB");

  app.totalRecvKiB = 4294967295u;
  EXPECT_EQ(Texts(350)[0], "Rcv 4,294,967,295 KB");
}

TEST_F(ReadoutsTest, PositionsAndColours) {
  Texts(350);
  EXPECT_EQ(readouts[0].x, 7);
  EXPECT_EQ(readouts[0].y, 4);
  EXPECT_EQ(readouts[1].x, 7);
  EXPECT_EQ(readouts[1].y, 21);
  EXPECT_EQ(readouts[2].x, 178);
  EXPECT_EQ(readouts[2].y, 4);
  EXPECT_EQ(readouts[3].x, 178);
  EXPECT_EQ(readouts[3].y, 21);
  for (uint32_t i = 0; i < READOUT_COUNT; ++i) {
    app.colors[COLOR_TOTAL_RECV + i] = 0x100 + i;
  }
  Texts(0);
  EXPECT_EQ(readouts[2].x, 4);  // (0 - 7) / 2 truncates toward zero
  for (uint32_t i = 0; i < READOUT_COUNT; ++i) EXPECT_EQ(readouts[i].color, 0x100 + i);
}

TEST_F(ReadoutsTest, RatesFollowTheInterval) {
  app.optionFlags &= ~OPT_DIGIT_RIGHT;
  app.settings[SET_INTERVAL] = 500;
  app.settings[SET_PLOT] = 8;
  app.history[95] = 12345;
  auto texts = Texts(350);
  EXPECT_EQ(texts[2], "Max 24,690 B/s");
  EXPECT_EQ(texts[3], "Ave 3,086 B/s");  // (4 + 12345) / 8 = 1543 per interval
  app.settings[SET_INTERVAL] = 80;
  app.history[95] = 1;
  EXPECT_EQ(Texts(350)[2], "Max 13 B/s");

  // Both directions busy: the average is twice the peak, and its rate still fits.
  app.settings[SET_INTERVAL] = 900;
  for (uint32_t j = 88; j < 96; ++j) app.history[j] = app.history[SENT_BASE + j] = 360000000;
  texts = Texts(350);
  EXPECT_EQ(texts[2], "Max 400,000,000 B/s");
  EXPECT_EQ(texts[3], "Ave 800,000,000 B/s");
}

}  // namespace
