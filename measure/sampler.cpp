#include "measure/sampler.h"

#include "app/app_state.h"
#include "app/scaled_count.h"
#include "display/painter.h"
#include "measure/adapters.h"
#include "ui/placement.h"

namespace {

constexpr u32 RESCAN_WAIT_MS = 4100;  // a device change settles before the adapters are rescanned
constexpr u32 RESCAN_COUNT_MASK = 0xFF;
// A difference above interval × 2^19 bytes (524,288 bytes per millisecond) is a glitch.
constexpr u32 GLITCH_LIMIT_SHIFT = 19;
constexpr u32 NEWEST_RECV = HISTORY_LENGTH - 1;
constexpr u32 NEWEST_SENT = 2 * HISTORY_LENGTH - 1;

// The selected adapter's row, or null when there is no table or no selection.
MIB_IFROW* SelectedIfRow() {
  u32 position = SelectedRow();
  if (!app.ifTable || position >= app.ifTable->dwNumEntries) return nullptr;
  return &app.ifTable->table[position];
}

// A rescan that lists nothing is tried again after the next wait, unless the
// selected adapter is operational: a loopback or tunnel picked from the full
// list is never listed, and retrying would keep it from being sampled. A retry
// rebuilds the submenu only once an adapter is offered: the user may have the
// list open, or the full one asked for with the right button.
void Rescan() {
  bool quiet = (app.rescanCountdown & RESCAN_RETRY) && !OfferedAdapterCount();
  u32 listed = quiet ? 0 : ScanAdapters(0) & 0xFF;
  MIB_IFROW* selected = SelectedIfRow();
  bool measuring = selected && selected->dwOperStatus == MIB_IF_OPER_STATUS_OPERATIONAL;
  app.rescanCountdown = (listed || measuring) ? 0 : RESCAN_RETRY | RESCAN_PENDING;
}

void AddToTotal(u32 bytes, u32& totalKiB, u32& remainder) {
  u32 sum = bytes + remainder;
  totalKiB += sum >> 10;
  remainder = sum & 0x3FF;
}

void AppendToHistory(u32 recv, u32 sent) {
  for (u32 i = 0; i < NEWEST_SENT; ++i) app.history[i] = app.history[i + 1];
  app.history[NEWEST_RECV] = recv;
  app.history[NEWEST_SENT] = sent;
}

}  // namespace

void CALLBACK SampleTick(HWND window, UINT, UINT_PTR, DWORD time) {
  u32 interval = app.settings[SET_INTERVAL];
  if (app.rescanCountdown && (app.rescanCountdown & RESCAN_COUNT_MASK) * interval < RESCAN_WAIT_MS) {
    ++app.rescanCountdown;
    return;
  }
  MIB_IFROW* selected = SelectedIfRow();
  if (!selected) {
    // A failed scan leaves no table, and no selection to read: only a
    // pending rescan can bring an adapter back.
    if (app.rescanCountdown) Rescan();
    return;
  }
  MIB_IFROW& row = *selected;
  if (GetIfEntry(&row) != 0) {
    if (app.rescanCountdown) Rescan();
    return;
  }
  if (app.rescanCountdown) {
    if ((app.rescanCountdown & RESCAN_RETRY) || row.dwOperStatus != MIB_IF_OPER_STATUS_OPERATIONAL) return Rescan();
    app.rescanCountdown = 0;
  }

  u32 oldIn = app.prevInOctets, oldOut = app.prevOutOctets;
  bool sameInterface = row.dwIndex == app.baselineInterface;
  app.prevInOctets = row.dwInOctets;
  app.prevOutOctets = row.dwOutOctets;
  app.baselineInterface = row.dwIndex;
  if (!window) return;
  if (++app.sampleCounter <= LAST_WARM_UP_COUNT) return;
  // Another interface now at the selected position: its counters have
  // nothing to do with the baselines, so this reading only takes new ones.
  if (!sameInterface) return;

  // Counters wrap at 2^32: the unsigned difference is right across one wrap.
  u32 recv = row.dwInOctets - oldIn;
  u32 sent = row.dwOutOctets - oldOut;
  u32 limit = interval << GLITCH_LIMIT_SHIFT;
  if (recv > limit) recv = app.history[NEWEST_RECV];
  if (sent > limit) sent = app.history[NEWEST_SENT];

  if ((app.optionFlags & (OPT_TOPMOST | OPT_FORCE)) == (OPT_TOPMOST | OPT_FORCE) && !(app.modeFlags & MODE_ACTIVE))
    CheckCovered(window, time);
  AddToTotal(recv, app.totalRecvKiB, app.recvRemainder);
  AddToTotal(sent, app.totalSentKiB, app.sentRemainder);
  AppendToHistory(recv, sent);
  PaintAll(PAINT_TICK);
}

void ChangeInterval(HWND window, u32 oldInterval) {
  u32 interval = app.settings[SET_INTERVAL];
  for (u32& v : app.history) v = ScaleCount(v, interval, oldInterval);
  SetTimer(window, SAMPLE_TIMER_ID, interval, SampleTick);
  SampleTick(nullptr, 0, 0, 0);
  PaintAll(PAINT_NORMAL);
}

void ClearHistory() {
  for (u32& v : app.history) v = 0;
  PaintAll(PAINT_NORMAL);
}
