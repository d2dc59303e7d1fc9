#include "display/painter.h"

#include "app/app_state.h"
#include "app/scaled_count.h"

namespace {

constexpr i32 FULL_HEIGHT_GRAPH_LIMIT = 31;  // a graph this short takes the whole height
constexpr u32 FINE_SCALE_LIMIT = 0x200000;   // above: scale in units of 256 bytes
constexpr u32 TICK_SPACING = 10;             // every tenth sample carries a tick
constexpr u32 QUOTIENT_BITS = 16;            // a scaled height never exceeds a 16-bit client height

// The height of value v ≤ p in a graph t pixels tall whose top stands for p.
// Its product with the height passes 32 bits in a tall graph, or for the
// samples of a link faster than 4 Gbit/s.
u32 Scaled(u32 v, u32 t, u32 p) {
  bool coarse = v > FINE_SCALE_LIMIT;
  u32 value = coarse ? v >> 8 : v;
  u32 top = coarse ? p >> 8 : p;
  u64 product = u64(value) * t;
  return product >> 32 ? DivideLong(product, top, QUOTIENT_BITS) : u32(product) / top;
}

// A row h pixels above row r, in the wrapping arithmetic of 32-bit words.
i32 Above(i32 r, u32 h) { return i32(u32(r) - h); }

void Emit(PaintPlan& plan, DrawOp op) { plan.ops[plan.count++] = op; }

void EmitSelect(PaintPlan& plan, u32 slot) { Emit(plan, {OP_SELECT, slot, 0, 0, nullptr, nullptr, nullptr}); }

void EmitLine(PaintPlan& plan, i32 x0, i32 y0, i32 x1, i32 y1) {
  POINT* ends = &plan.linePoints[2 * plan.lineCount++];
  ends[0] = {x0, y0};
  ends[1] = {x1, y1};
  Emit(plan, {OP_POLYLINE, 2, 0, 0, nullptr, ends, nullptr});
}

void EmitCopy(PaintPlan& plan, HDC destination) { Emit(plan, {OP_COPY, 0, 0, 0, nullptr, nullptr, destination}); }

void EmitReadouts(PaintPlan& plan, const VisibleStats& stats) {
  Readout readouts[READOUT_COUNT];
  FormatReadouts(stats, readouts);
  for (const Readout& r : readouts) {
    Emit(plan, {OP_TEXT_COLOR, r.color, 0, 0, nullptr, nullptr, nullptr});
    Emit(plan, {OP_TEXT, r.length, r.x, r.y, r.text, nullptr, nullptr});
  }
}

}  // namespace

void PlanPaint(UINT_PTR target, PaintPlan& plan) {
  plan.count = 0;
  plan.lineCount = 0;
  bool toPaintDC = target > PAINT_TICK;
  HDC destination = toPaintDC ? reinterpret_cast<HDC>(target) : app.windowDC;
  // A frozen display shows its last picture: ticks draw nothing, WM_PAINT repeats it.
  if (app.frozen && target == PAINT_TICK) return;
  if (app.frozen && toPaintDC) return EmitCopy(plan, destination);

  VisibleStats stats = ComputeVisibleStats();
  if (app.pendingSelect) {
    EmitSelect(plan, app.pendingSelect >> 2);
    if (app.pendingSelect & PENDING_DELETE_REPLACED) Emit(plan, {OP_DELETE_REPLACED, 0, 0, 0, nullptr, nullptr, nullptr});
    app.pendingSelect = 0;
  }
  Emit(plan, {OP_FILL, 0, 0, 0, nullptr, nullptr, nullptr});
  EmitReadouts(plan, stats);

  // Geometry: the graph's t rows end at the bottom row R, under the two readout rows.
  i32 px = ScreenFontHeight();
  i32 right = ClientWidth() - 1;
  i32 bottom = ClientHeight() - 1;
  i32 t = bottom - 2 * px - 8;
  t = t <= FULL_HEIGHT_GRAPH_LIMIT ? bottom : t & ~1;
  u32 height = u32(t);
  i32 graphTop = Above(bottom, height);

  bool guide = app.optionFlags & OPT_GUIDE;
  i32 tickTop = Above(bottom, height >> 4);
  if (guide) {
    EmitSelect(plan, PenSlot(COLOR_GUIDE));
    EmitLine(plan, 0, Above(bottom, height >> 1), right, Above(bottom, height >> 1));
    EmitLine(plan, 0, graphTop, right, graphTop);
  }

  u32 p = stats.peak ? stats.peak : 1;
  // The phase moves back one per sample, so each tick stays with its sample.
  u32 phase = app.sampleCounter > LAST_WARM_UP_COUNT ? TICK_SPACING - 1 - app.sampleCounter % TICK_SPACING : 0;
  u32 count = app.settings[SET_PLOT];
  u32 first = HISTORY_LENGTH - count;
  for (u32 j = first; j < HISTORY_LENGTH; ++j) {
    i32 x = i32(((j - first) * u32(right)) / (count - 1));
    app.points[j].x = app.points[SENT_BASE + j].x = x;
    if (guide && j % TICK_SPACING == phase) EmitLine(plan, x, tickTop, x, ClientHeight());
    app.points[j].y = Above(bottom, Scaled(app.history[j], height, p));
    app.points[SENT_BASE + j].y = Above(bottom, Scaled(app.history[SENT_BASE + j], height, p));
  }

  EmitSelect(plan, PenSlot(COLOR_AVG_LINE));
  if (p > 1) {
    // The average of both directions can reach twice the peak: halve it once.
    u32 w = u32(stats.average > p ? stats.average >> 1 : stats.average);
    i32 y = Above(bottom, Scaled(w, height, p));
    if (y < 0) y = 0;
    EmitLine(plan, 0, y, right, y);
  }
  if (app.frozen || target == PAINT_FLASH) EmitLine(plan, 0, graphTop, right, bottom);

  for (u32 series = 0; series < 2; ++series) {
    EmitSelect(plan, PenSlot(COLOR_RECV_GRAPH + series));
    if (p > 1) Emit(plan, {OP_POLYLINE, count, 0, 0, nullptr, &app.points[series * SENT_BASE + first], nullptr});
    if (series == stats.peakIndex / HISTORY_LENGTH) {
      i32 xm = app.points[stats.peakIndex % HISTORY_LENGTH].x;
      u32 reach = (app.modeFlags & MODE_ACTIVE) ? height >> 1 : height >> 2;
      EmitLine(plan, xm, Above(bottom, reach), xm, ClientHeight());
    }
  }
  EmitCopy(plan, destination);
}

void PaintAll(UINT_PTR target) {
  PaintPlan plan;
  PlanPaint(target, plan);
  HDC dc = app.memoryDC;
  HGDIOBJ replaced = nullptr;
  for (u32 i = 0; i < plan.count; ++i) {
    const DrawOp& op = plan.ops[i];
    switch (op.kind) {
      case OP_SELECT:
        replaced = SelectObject(dc, app.gdiTable[op.value]);
        break;
      case OP_DELETE_REPLACED:
        DeleteObject(replaced);
        break;
      case OP_FILL:
        FillRect(dc, &app.clientRect, static_cast<HBRUSH>(app.gdiTable[GDI_BACK_BRUSH]));
        break;
      case OP_TEXT_COLOR:
        SetTextColor(dc, op.value);
        break;
      case OP_TEXT:
        TextOutA(dc, op.x, op.y, op.text, i32(op.value));
        break;
      case OP_POLYLINE:
        Polyline(dc, op.points, i32(op.value));
        break;
      case OP_COPY:
        BitBlt(op.destination, 0, 0, ClientWidth(), ClientHeight(), dc, 0, 0, SRCCOPY);
        break;
    }
  }
}

void CarryOutPendingSelect() {
  if (!app.pendingSelect) return;
  HGDIOBJ replaced = SelectObject(app.memoryDC, app.gdiTable[app.pendingSelect >> 2]);
  if (app.pendingSelect & PENDING_DELETE_REPLACED) DeleteObject(replaced);
  app.pendingSelect = 0;
}
