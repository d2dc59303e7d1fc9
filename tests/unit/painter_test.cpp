#include "display/painter.h"

#include <cstdio>
#include <string>

#include "test_support.h"

namespace {

// A plan as readable lines: "select 5", "line 0,56 119,56", "text 7,4 Rcv ...".
std::vector<std::string> Describe(const PaintPlan& plan) {
  std::vector<std::string> lines;
  for (uint32_t i = 0; i < plan.count; ++i) {
    const DrawOp& op = plan.ops[i];
    std::string s;
    switch (op.kind) {
      case OP_SELECT:
        s = "select " + std::to_string(op.value);
        break;
      case OP_DELETE_REPLACED:
        s = "delete";
        break;
      case OP_FILL:
        s = "fill";
        break;
      case OP_TEXT_COLOR:
        s = "color " + std::to_string(op.value);
        break;
      case OP_TEXT:
        s = "text " + std::to_string(op.x) + "," + std::to_string(op.y) + " " + std::string(op.text, op.value);
        break;
      case OP_POLYLINE:
        s = op.value == 2 ? "line" : "polyline";
        for (uint32_t k = 0; k < op.value; ++k)
          s += " " + std::to_string(op.points[k].x) + "," + std::to_string(op.points[k].y);
        break;
      case OP_COPY:
        s = op.destination == app.windowDC ? "copy window" : "copy dc";
        break;
    }
    lines.push_back(s);
  }
  return lines;
}

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// The operation right after the first one that reads "after".
std::string Following(const std::vector<std::string>& lines, const std::string& after) {
  auto it = std::find(lines.begin(), lines.end(), after);
  return it == lines.end() || it + 1 == lines.end() ? "" : *(it + 1);
}

int CountStarting(const std::vector<std::string>& lines, const std::string& start) {
  int n = 0;
  for (const auto& l : lines) n += l.rfind(start, 0) == 0;
  return n;
}

class PainterTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    app.windowDC = reinterpret_cast<HDC>(0x77);
    for (uint32_t i = 0; i < COLOR_COUNT; ++i) app.colors[i] = i;  // colour n reads "color n"
  }
  std::vector<std::string> Plan(UINT_PTR target = PAINT_NORMAL) {
    PlanPaint(target, plan);
    return Describe(plan);
  }
  void Client(int32_t width, int32_t height) { app.clientRect = {0, 0, width, height}; }
  PaintPlan plan;
};

TEST_F(PainterTest, WorkedPaint) {
  Client(120, 90);
  app.settings[SET_PLOT] = 8;
  app.settings[SET_FONT] = 7;
  app.sampleCounter = 9;
  app.totalRecvKiB = 12;
  app.totalSentKiB = 3;
  for (uint32_t i = 0; i < 8; ++i) app.history[88 + i] = 100 * (i + 1);

  EXPECT_EQ(Plan(PAINT_TICK), (std::vector<std::string>{
                                  "fill",
                                  "color 5",
                                  "text 7,4 Rcv        12 KB",
                                  "color 6",
                                  "text 7,11 Snt         3 KB",
                                  "color 7",
                                  "text 63,4 Max      800 B/s",
                                  "color 8",
                                  "text 63,11 Ave      450 B/s",
                                  "select 5",
                                  "line 0,56 119,56",
                                  "line 0,23 119,23",
                                  "line 34,85 34,90",
                                  "select 4",
                                  "line 0,52 119,52",
                                  "select 2",
                                  "polyline 0,81 17,73 34,65 51,56 68,48 85,40 102,32 119,23",
                                  "line 119,56 119,90",
                                  "select 3",
                                  "polyline 0,89 17,89 34,89 51,89 68,89 85,89 102,89 119,89",
                                  "copy window",
                              }));
  EXPECT_EQ(app.points[90 + SENT_BASE].x, 34);  // both series share their x
  EXPECT_EQ(std::string(app.readoutText), "Rcv        12 KB");
}

TEST_F(PainterTest, WorkedGeometry) {
  Client(334, 184);
  app.history[95] = 5000;  // the peak
  auto lines = Plan();
  EXPECT_TRUE(Contains(lines, "line 0,113 333,113"));
  EXPECT_TRUE(Contains(lines, "line 0,43 333,43"));
  EXPECT_TRUE(Contains(lines, "line 64,175 64,184"));  // the tick of j = 70
  int32_t xs[] = {0, 10, 21, 32, 42};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(app.points[64 + i].x, xs[i]);
  EXPECT_EQ(app.points[95].x, 333);
  EXPECT_EQ(app.points[95].y, 43);  // the peak on the graph's top line
  EXPECT_EQ(app.points[94].y, 183);
}

TEST_F(PainterTest, GraphHeightLeavesRoomForTheReadouts) {
  struct {
    int32_t clientHeight, top;
    UINT dpi = USER_DEFAULT_SCREEN_DPI;  // the font's 17 pixels are 26 at 144 dpi
  } cases[] = {{184, 183 - 140}, {100, 99 - 56}, {101, 100 - 58}, {60, 0}, {184, 183 - 122, 144}};
  for (auto& c : cases) {
    Client(200, c.clientHeight);
    app.windowDpi = c.dpi;
    app.history[95] = 10;
    Plan();
    EXPECT_EQ(app.points[95].y, c.top) << c.clientHeight;
  }
}

TEST_F(PainterTest, FrozenDisplayAndTargets) {
  Client(120, 90);
  app.settings[SET_FONT] = 7;  // graph top at 23
  app.history[95] = 10;
  HDC paintDC = reinterpret_cast<HDC>(0x1234);
  app.frozen = 1;
  EXPECT_TRUE(Plan(PAINT_TICK).empty());
  app.pendingSelect = PENDING_SEND_PEN_SWAP;
  EXPECT_EQ(Plan(reinterpret_cast<UINT_PTR>(paintDC)), std::vector<std::string>{"copy dc"});
  EXPECT_EQ(plan.ops[0].destination, paintDC);
  EXPECT_EQ(app.pendingSelect, PENDING_SEND_PEN_SWAP);  // waits for a full paint

  auto frozenNormal = Plan(PAINT_NORMAL);  // newest data, the slash, then the copy
  EXPECT_TRUE(Contains(frozenNormal, "line 0,23 119,89"));
  EXPECT_EQ(frozenNormal.back(), "copy window");
  EXPECT_EQ(app.pendingSelect, 0u);

  app.frozen = 0;
  EXPECT_FALSE(Contains(Plan(PAINT_NORMAL), "line 0,23 119,89"));
  EXPECT_TRUE(Contains(Plan(PAINT_FLASH), "line 0,23 119,89"));
  EXPECT_FALSE(Contains(Plan(PAINT_TICK), "line 0,23 119,89"));  // the next sample removes it
  auto toDC = Plan(reinterpret_cast<UINT_PTR>(paintDC));
  EXPECT_EQ(toDC.back(), "copy dc");
  EXPECT_EQ(toDC.front(), "fill");
}

TEST_F(PainterTest, PendingSelectionComesFirstAndOnce) {
  Client(120, 90);
  app.pendingSelect = PENDING_SEND_PEN_SWAP;
  auto lines = Plan();
  EXPECT_EQ(lines[0], "select 3");
  EXPECT_EQ(lines[1], "delete");
  EXPECT_EQ(app.pendingSelect, 0u);
  EXPECT_EQ(Plan()[0], "fill");

  app.pendingSelect = PENDING_FONT_KEEP;
  lines = Plan();
  EXPECT_EQ(lines[0], "select 0");
  EXPECT_EQ(lines[1], "fill");
}

TEST_F(PainterTest, AverageLineIsHalvedAboveThePeak) {
  Client(120, 90);
  app.settings[SET_FONT] = 7;
  for (uint32_t j = 64; j < 96; ++j) app.history[j] = app.history[SENT_BASE + j] = 1000;
  // The average line comes right after its pen (slot 4); unhalved, 2000 would lie above the window.
  EXPECT_EQ(Following(Plan(), "select 4"), "line 0,23 119,23");  // average 2000 halved to the peak
  for (uint32_t j = 64; j < 96; ++j) app.history[SENT_BASE + j] = 0;
  EXPECT_EQ(Following(Plan(), "select 4"), "line 0,23 119,23");  // average 1000 equals the peak
  // Both directions at the 64-bit counters' limit: an average past 32 bits, halved, not wrapped.
  for (uint32_t j = 64; j < 96; ++j) app.history[j] = app.history[SENT_BASE + j] = 4194304000u;
  EXPECT_EQ(Following(Plan(), "select 4"), "line 0,24 119,24");
}

TEST_F(PainterTest, NoTrafficDrawsOnlyThePeakMarker) {
  Client(120, 90);
  app.settings[SET_FONT] = 7;
  for (uint32_t peak : {0u, 1u}) {
    app.history[SENT_BASE + 80] = peak;
    auto lines = Plan();
    EXPECT_EQ(CountStarting(lines, "polyline"), 0);
    EXPECT_EQ(CountStarting(lines, "line"), 2 + 3 + 1);  // guides, three ticks, the marker
    int32_t x = peak ? app.points[80].x : 119;           // at the newest sample holding the peak
    EXPECT_EQ(lines[lines.size() - 2], "line " + std::to_string(x) + ",56 " + std::to_string(x) + ",90");
    EXPECT_EQ(lines[lines.size() - 3], "select 3");  // drawn with the sent graph's pen
  }
}

TEST_F(PainterTest, PeakMarkerReachesHalfWhileActiveAndAQuarterOtherwise) {
  Client(120, 90);
  app.settings[SET_FONT] = 7;  // t 66
  app.settings[SET_PLOT] = 8;
  app.history[90] = 40;
  EXPECT_EQ(Plan()[Plan().size() - 4], "line 34,56 34,90");
  app.modeFlags &= ~MODE_ACTIVE;
  EXPECT_EQ(Plan()[Plan().size() - 4], "line 34,73 34,90");
}

TEST_F(PainterTest, TicksKeepWithTheirSamples) {
  Client(96 * 2 - 1, 200);
  app.settings[SET_PLOT] = 96;  // x = 2 j
  // t 156: the ticks run from y 190 to the bottom.
  struct {
    uint32_t counter, firstTick;
    int ticks;
  } cases[] = {{7, 0, 10}, {8, 0, 10}, {9, 0, 10}, {10, 9, 9}, {11, 8, 9}, {23, 6, 9}, {0xFFFFFFFF, 4, 10}};
  for (auto& c : cases) {
    app.sampleCounter = c.counter;
    auto lines = Plan();
    int ticks = 0;
    for (const auto& l : lines) ticks += l.rfind("line ", 0) == 0 && l.find(",190 ") != std::string::npos;
    EXPECT_EQ(ticks, c.ticks) << c.counter;
    std::string x = std::to_string(2 * c.firstTick);
    EXPECT_TRUE(Contains(lines, "line " + x + ",190 " + x + ",200")) << c.counter;
  }
}

TEST_F(PainterTest, WithoutGuideNoGuidePenNoLinesNoTicks) {
  Client(120, 90);
  app.optionFlags &= ~OPT_GUIDE;
  app.history[95] = 9;
  auto lines = Plan();
  EXPECT_FALSE(Contains(lines, "select 5"));
  EXPECT_EQ(CountStarting(lines, "line"), 2);  // the average line and the peak marker
}

TEST_F(PainterTest, PlotCountsSpanTheWholeWidth) {
  Client(334, 184);
  for (uint32_t count : {8u, 96u}) {
    app.settings[SET_PLOT] = count;
    for (uint32_t j = 0; j < 192; ++j) app.history[j] = j + 1;
    auto lines = Plan();
    uint32_t first = 96 - count;
    EXPECT_EQ(app.points[first].x, 0);
    EXPECT_EQ(app.points[95].x, 333);
    EXPECT_EQ(app.points[SENT_BASE + first].x, 0);
    EXPECT_EQ(plan.ops[plan.count - 3].value, count);  // the sent polyline, before its marker and the copy
    EXPECT_EQ(plan.ops[plan.count - 3].points, &app.points[SENT_BASE + first]);
  }
}

TEST_F(PainterTest, TallWindowScalesExactly) {
  // Rows 2399 - S(v) with t 2356: 0x1FFFFF × t no longer fits 32 bits, and
  // wrapped it would give S 1, not 9; above 0x200000 both sides lose 8 bits.
  Client(300, 2400);
  const uint32_t peak = 524288000;
  app.history[95] = peak;
  const uint32_t values[] = {1, 999, 0x1FFFFF, 0x200000, 0x200001, 300000000, peak - 1, peak};
  const int32_t tallRows[] = {2399, 2399, 2390, 2390, 2390, 1051, 44, 43};
  for (uint32_t i = 0; i < 8; ++i) app.history[SENT_BASE + 88 + i] = values[i];
  Plan();
  for (uint32_t i = 0; i < 8; ++i) EXPECT_EQ(app.points[SENT_BASE + 88 + i].y, tallRows[i]) << values[i];
  EXPECT_EQ(app.points[95].y, 43);

  // Below 2048 rows (t 956, peak 0x1FFFFFFF) the products fit 32 bits.
  Client(300, 1000);
  app.history[95] = 0x1FFFFFFF;
  const int32_t shortRows[] = {999, 999, 996, 996, 996, 465, 66, 66};
  Plan();
  for (uint32_t i = 0; i < 8; ++i) EXPECT_EQ(app.points[SENT_BASE + 88 + i].y, shortRows[i]) << values[i];

  // At the 64-bit counters' limit (1000 ms) the coarse product passes 32 bits too.
  app.history[95] = 4194304000u;
  app.history[SENT_BASE + 95] = 4194304000u - 1;
  app.history[SENT_BASE + 94] = 3000000000u;
  Plan();
  EXPECT_EQ(app.points[95].y, 43);
  EXPECT_EQ(app.points[SENT_BASE + 95].y, 44);
  EXPECT_EQ(app.points[SENT_BASE + 94].y, 999 - 683);  // 11,718,750 × 956 / 16,384,000, truncated
}

TEST_F(PainterTest, WorstCaseFillsThePlanExactly) {
  Client(334, 184);
  app.settings[SET_PLOT] = 96;
  app.frozen = 1;
  app.pendingSelect = PENDING_SEND_PEN_SWAP;
  for (uint32_t j = 0; j < 192; ++j) app.history[j] = 1000 + j;
  Plan(PAINT_NORMAL);
  EXPECT_EQ(plan.count, MAX_DRAW_OPS);
  EXPECT_EQ(plan.lineCount, MAX_LINES);
}

TEST_F(PainterTest, EmptyClientComputesWithoutFault) {
  Client(0, 0);
  app.history[95] = 1000;
  app.history[191] = 3000;
  auto lines = Plan();
  EXPECT_EQ(Following(lines, "select 4"), "line 0,0 -1,0");  // the average line, held at the top
  EXPECT_EQ(lines.back(), "copy window");
}

// ---- Carrying out the plan on the device contexts ----

class PaintAllTest : public PainterTest {
 protected:
  void SetUp() override {
    PainterTest::SetUp();
    app.windowDC = fakewin::NewWindowDC();
    app.memoryDC = CreateCompatibleDC(app.windowDC);
    app.gdiTable[GDI_FONT] = CreateFontIndirectA(&app.logFont);
    app.gdiTable[GDI_BACK_BRUSH] = CreateSolidBrush(app.colors[0]);
    for (uint32_t i = 0; i < 4; ++i) app.gdiTable[GDI_PENS + i] = CreatePen(PS_SOLID, 1, app.colors[1 + i]);
    Client(120, 90);
    app.gdiTable[GDI_MEM_BITMAP] = CreateCompatibleBitmap(app.windowDC, 120, 90);
    SelectObject(app.memoryDC, app.gdiTable[GDI_MEM_BITMAP]);
    app.pendingSelect = PENDING_FONT_KEEP;
    PaintAll(PAINT_NORMAL);
    fakewin::ClearGdiCalls();
  }
};

TEST_F(PaintAllTest, CarriesOutThePlanInOrder) {
  app.history[95] = 500;
  PaintAll(PAINT_NORMAL);
  std::vector<std::string> names;
  for (const auto& c : fakewin::GdiCalls()) names.push_back(c.name);
  // The guide pen: two lines, three ticks; the average line; the received graph and the peak's
  // marker; the sent graph.
  EXPECT_EQ(names, (std::vector<std::string>{
                       "FillRect",     "SetTextColor", "TextOutA", "SetTextColor", "TextOutA",     "SetTextColor",
                       "TextOutA",     "SetTextColor", "TextOutA", "SelectObject", "Polyline",     "Polyline",
                       "Polyline",     "Polyline",     "Polyline", "SelectObject", "Polyline",     "SelectObject",
                       "Polyline",     "Polyline",     "SelectObject", "Polyline", "BitBlt"}));

  const auto& calls = fakewin::GdiCalls();
  EXPECT_EQ(calls[0].object, app.gdiTable[GDI_BACK_BRUSH]);
  EXPECT_EQ(calls[0].args, (std::vector<LONG>{0, 0, 120, 90}));
  EXPECT_EQ(calls.back().dc, app.windowDC);
  EXPECT_EQ(calls.back().object, app.memoryDC);
  EXPECT_EQ(calls.back().args, (std::vector<LONG>{0, 0, 120, 90}));
  EXPECT_EQ(calls[2].text, std::string(app.readoutText));
  EXPECT_EQ(fakewin::SelectedObject(app.memoryDC, "pen"), app.gdiTable[GDI_PENS + 1]);
  EXPECT_EQ(fakewin::SelectedObject(app.memoryDC, "font"), app.gdiTable[GDI_FONT]);
}

TEST_F(PaintAllTest, SwapsTheSentPenAndTheFontWithoutLeaks) {
  int live = fakewin::LiveGdiObjects();
  HGDIOBJ oldPen = app.gdiTable[GDI_PENS + 1];
  app.gdiTable[GDI_PENS + 1] = CreatePen(PS_SOLID, 1, 0x123456);
  app.pendingSelect = PENDING_SEND_PEN_SWAP;
  PaintAll(PAINT_NORMAL);
  EXPECT_EQ(fakewin::ObjectValue(oldPen), -1);  // deleted once replaced
  EXPECT_EQ(fakewin::SelectedObject(app.memoryDC, "pen"), app.gdiTable[GDI_PENS + 1]);

  HGDIOBJ oldFont = app.gdiTable[GDI_FONT];
  LOGFONTA f = app.logFont;
  f.lfHeight = -20;
  app.gdiTable[GDI_FONT] = CreateFontIndirectA(&f);
  app.pendingSelect = PENDING_FONT_SWAP;
  PaintAll(PAINT_TICK);
  EXPECT_EQ(fakewin::ObjectValue(oldFont), -1);
  EXPECT_EQ(fakewin::SelectedObject(app.memoryDC, "font"), app.gdiTable[GDI_FONT]);
  EXPECT_EQ(fakewin::LiveGdiObjects(), live);
}

TEST_F(PaintAllTest, PaintBeforeTheWindowExistsDrawsHarmlessly) {
  AppState fresh{};
  app = fresh;
  app.gdiTable[GDI_BACK_BRUSH] = CreateSolidBrush(app.colors[0]);
  app.history[95] = 700;
  PaintAll(PAINT_NORMAL);
  for (const auto& c : fakewin::GdiCalls()) {
    if (c.name != "DeleteObject") EXPECT_EQ(c.dc, nullptr) << c.name;
  }
  EXPECT_FALSE(fakewin::GdiCalls().empty());
}

}  // namespace
