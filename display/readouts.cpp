#include "display/readouts.h"

#include "app/app_state.h"
#include "app/scaled_count.h"

namespace {

constexpr char readoutUnits[READOUT_COUNT][5]{" KB", " KB", " B/s", " B/s"};
constexpr u32 fullFieldWidths[READOUT_COUNT]{12, 12, 11, 11};
constexpr u32 MAX_FIELD_NARROWING = 3;
constexpr u32 WIDE_CLIENT_CELLS = 19;  // from this many cells on, fields have their full width
constexpr i32 READOUT_MARGIN = 7;
constexpr i32 READOUT_TOP = 4;
constexpr u32 MS_PER_SECOND = 1000;

// How many places the number fields lose in a narrow window: the window holds
// q character cells beside the margin, and each cell below 19 costs a place.
u32 FieldNarrowing() {
  u32 height = u32(ScreenFontHeight());
  u32 cell = height + (app.settings[SET_FONT] >> 10) + (height & 1);  // bold adds 2, an odd height 1
  u32 q = (u32(ClientWidth()) - 8) / cell;                           // a window under 8 pixels gives a huge q
  i32 o = i32(WIDE_CLIENT_CELLS - q);
  return o < 0 ? 0 : o > i32(MAX_FIELD_NARROWING) ? MAX_FIELD_NARROWING : u32(o);
}

char* Append(char* to, const char* text, u32 length) {
  for (u32 i = 0; i < length; ++i) *to++ = text[i];
  return to;
}

char* AppendString(char* to, const char* text) {
  while (*text) *to++ = *text++;
  return to;
}

}  // namespace

VisibleStats ComputeVisibleStats() {
  u32 count = app.settings[SET_PLOT];
  u32 first = HISTORY_LENGTH - count;
  u32 sum = 0, carries = 0;
  VisibleStats stats{0, 0, 0};
  for (u32 base = 0; base <= SENT_BASE; base += SENT_BASE) {
    for (u32 j = base + first; j < base + HISTORY_LENGTH; ++j) {
      u32 v = app.history[j];
      sum += v;
      carries += sum < v;
      if (v >= stats.peak) {
        stats.peak = v;
        stats.peakIndex = j;
      }
    }
  }
  // The rounding term's own wrap is not counted. The carries' share is taken
  // in 64 bits: near the sample limit both directions together pass 32 bits.
  stats.average = (count / 2 + sum) / count + u64(MAX_COUNT / count) * carries;
  return stats;
}

u32 PerSecond(u64 value, u32 interval) {
  if (value > MAX_COUNT) return MAX_COUNT;  // a second holds at least as much as an interval
  return interval == MS_PER_SECOND ? u32(value) : ScaleCount(u32(value), MS_PER_SECOND, interval);
}

u32 FormatGrouped(u32 value, char* out) {
  char digits[10];
  u32 n = 0;
  do {
    digits[n++] = char('0' + value % 10);
    value /= 10;
  } while (value);
  u32 length = 0;
  while (n) {
    out[length++] = digits[--n];
    if (n && n % 3 == 0) out[length++] = ',';
  }
  return length;
}

void FormatReadouts(const VisibleStats& stats, Readout out[READOUT_COUNT]) {
  u32 interval = app.settings[SET_INTERVAL];
  const u32 values[READOUT_COUNT]{app.totalRecvKiB, app.totalSentKiB, PerSecond(stats.peak, interval),
                                  PerSecond(stats.average, interval)};
  u32 narrowing = (app.optionFlags & OPT_DIGIT_RIGHT) ? FieldNarrowing() : 0;
  i32 px = ScreenFontHeight();
  i32 rightColumn = (ClientWidth() - READOUT_MARGIN) / 2 + READOUT_MARGIN;

  char* at = app.readoutText;
  for (u32 i = 0; i < READOUT_COUNT; ++i) {
    char* start = at;
    at = Append(at, readoutLabels[i], sizeof readoutLabels[i]);
    char number[GROUPED_TEXT_MAX];
    u32 length = FormatGrouped(values[i], number);
    if (app.optionFlags & OPT_DIGIT_RIGHT)
      for (u32 width = fullFieldWidths[i] - narrowing; length < width; --width) *at++ = ' ';
    at = Append(at, number, length);
    at = AppendString(at, readoutUnits[i]);
    *at++ = 0;
    out[i] = {start, u32(at - start - 1), i < 2 ? READOUT_MARGIN : rightColumn,
              (i & 1) ? px + READOUT_TOP : READOUT_TOP, app.colors[COLOR_TOTAL_RECV + i]};
  }
}
