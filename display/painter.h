// The graph painter: a whole paint is planned as a list of drawing operations
// (a plain function of AppState), then carried out off-screen and copied to
// the window in one BitBlt.
#pragma once

#include "display/readouts.h"
#include "platform/win32.h"

// Paint targets: a mode, or a device context from BeginPaint (any larger value).
constexpr UINT_PTR PAINT_NORMAL = 0;
constexpr UINT_PTR PAINT_FLASH = 2;  // also draw the slash that confirms a copy
constexpr UINT_PTR PAINT_TICK = 16;  // a new sample; skipped while frozen

// pendingSelect: slot << 2, bit 0 = delete what the selection replaces.
constexpr u32 PENDING_DELETE_REPLACED = 1;
constexpr u32 PENDING_FONT_KEEP = 2;
constexpr u32 PENDING_FONT_SWAP = 3;
constexpr u32 PENDING_SEND_PEN_SWAP = 13;

enum DrawOpKind : u32 { OP_SELECT, OP_DELETE_REPLACED, OP_FILL, OP_TEXT_COLOR, OP_TEXT, OP_POLYLINE, OP_COPY };

struct DrawOp {
  DrawOpKind kind;
  u32 value;            // select: slot; text colour: the colour; text: length; polyline: point count
  i32 x, y;             // text position
  const char* text;     // text
  const POINT* points;  // polyline
  HDC destination;      // copy
};

// The most a paint can draw: pending select and delete, fill, four readouts
// with their colours, guide pen and two guide lines, ten ticks, average pen
// and line, slash, two series of pen and polyline, one peak marker, copy.
constexpr u32 MAX_TICKS = 10;
constexpr u32 MAX_LINES = 2 + MAX_TICKS + 1 + 1 + 1;  // guides, ticks, average, slash, peak marker
constexpr u32 MAX_DRAW_OPS = 2 + 1 + 2 * READOUT_COUNT + 1 + 2 + MAX_TICKS + 2 + 1 + 2 * 2 + 1 + 1;

struct PaintPlan {
  u32 count;
  DrawOp ops[MAX_DRAW_OPS];
  u32 lineCount;
  POINT linePoints[2 * MAX_LINES];  // each straight line is a two-point polyline
};

// Computes a whole paint without the platform. Writes only points,
// readoutText and pendingSelect of AppState.
void PlanPaint(UINT_PTR target, PaintPlan& plan);

// Plans and carries out a paint on memoryDC.
void PaintAll(UINT_PTR target);

// Carries out a pending selection at once. Called before a new request is
// made, so that the request it would replace does not leave its old object
// undeleted (a font picked twice while the display is frozen, say).
void CarryOutPendingSelect();
