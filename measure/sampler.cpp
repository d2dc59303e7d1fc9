#include "measure/sampler.h"

#include "app/app_state.h"
#include "app/scaled_count.h"
#include "display/painter.h"
#include "measure/adapters.h"
#include "measure/interface_counters.h"
#include "measure/internet_route.h"
#include "ui/placement.h"

namespace {

constexpr u32 RESCAN_WAIT_MS = 4100;  // a device change settles before the adapters are rescanned
constexpr u32 RESCAN_COUNT_MASK = 0xFF;
// The largest sample the graph takes is interval × 2^shift bytes. Above 2^19
// bytes per millisecond a 32-bit counter's difference is a glitch (a counter
// that started again looks like a huge wrapped one). 64-bit counters never
// wrap, so theirs go up to 2^22 (33.5 Gbit/s), where a per-second readout
// still fits 32 bits.
constexpr u32 NARROW_LIMIT_SHIFT = 19;
constexpr u32 WIDE_LIMIT_SHIFT = 22;
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
// list is never listed, and retrying would keep it from being sampled. A pick
// whose adapter is gone is looked for after every wait, whatever is listed.
// While a pick is not measured, the graph shows nothing. A retry rebuilds the
// submenu only once an adapter is offered, or the pick is back: the user may
// have the list open, or the full one asked for with the right button.
void Rescan() {
  bool quiet = (app.rescanCountdown & RESCAN_RETRY) && !OfferedAdapterCount();
  u32 listed = quiet ? 0 : ScanAdapters(0) & 0xFF;
  MIB_IFROW* selected = SelectedIfRow();
  bool measuring = selected && selected->dwOperStatus == MIB_IF_OPER_STATUS_OPERATIONAL;
  bool done = measuring || (listed && !SelectionMissing());
  u32 lost = app.adapterSlot != NO_ADAPTER ? RESCAN_LOST : 0;
  app.rescanCountdown = done ? 0 : lost | RESCAN_RETRY | RESCAN_PENDING;
}

void AddToTotal(u64 bytes, u32& totalKiB, u32& remainder) {
  u64 sum = bytes + remainder;
  totalKiB += u32(sum >> 10);
  remainder = u32(sum) & 0x3FF;
}

// 32-bit counters wrap: the difference modulo 2^32 is right across one wrap.
u64 RiseOf(u64 now, u64 before, bool wide) { return wide ? now - before : u32(now - before); }

struct Rise {
  u64 in, out;
  u32 elapsed;  // ms since the baselines were read
  bool valid;   // read from the same interface, and no 64-bit counter went down
};

// Takes a reading, made at readAt, as the new baselines and returns what rose
// since the old ones. Another interface now at the selected position has
// nothing to do with them, and a 64-bit counter that went down was started
// again (a driver reset, a disable and enable): such a rise counts nothing.
// 64-bit counters are exact: every valid rise is traffic for the totals, also
// in the readings the graph leaves out (a warm-up, a change of interval).
Rise TakeBaselines(u32 index, const CounterReading& now, DWORD readAt) {
  bool valid = index == app.baselineInterface &&
               !(now.wide && (now.in < app.prevInOctets || now.out < app.prevOutOctets));
  Rise rise{RiseOf(now.in, app.prevInOctets, now.wide), RiseOf(now.out, app.prevOutOctets, now.wide),
            readAt - app.baselineTick, valid};
  app.prevInOctets = now.in;
  app.prevOutOctets = now.out;
  app.baselineInterface = index;
  app.baselineTick = readAt;
  if (valid && now.wide) {
    AddToTotal(rise.in, app.totalRecvKiB, app.recvRemainder);
    AddToTotal(rise.out, app.totalSentKiB, app.sentRemainder);
  }
  return rise;
}

// The graph's sample of what one direction's counter rose by over elapsed ms.
// A reading late by more than half an interval (the process stopped or
// starved, a standby without a power message, a save that waited) shows the
// average rate over that time, never a burst that did not happen. A sample
// past the limit repeats the newest one. A 32-bit difference past it is a
// glitch (a counter that started again), which the total takes as repeated;
// otherwise a 32-bit total takes the rise here, a 64-bit one when it was read.
u32 SampleRise(u64 rise, bool wide, u32 elapsed, u32 limit, u32 newest, u32& totalKiB, u32& remainder) {
  if (!wide && rise > limit) {
    AddToTotal(app.history[newest], totalKiB, remainder);
    return app.history[newest];
  }
  if (!wide) AddToTotal(rise, totalKiB, remainder);
  u32 interval = app.settings[SET_INTERVAL];
  u64 sample = elapsed > interval + interval / 2 ? RiseAtRate(rise, interval, elapsed, limit) : rise;
  return sample > limit ? app.history[newest] : u32(sample);
}

void AppendToHistory(u32 recv, u32 sent) {
  for (u32 i = 0; i < NEWEST_SENT; ++i) app.history[i] = app.history[i + 1];
  app.history[NEWEST_RECV] = recv;
  app.history[NEWEST_SENT] = sent;
}

// Reads the selected adapter and samples it; returns whether the pick could
// not be measured this tick (it cannot be read, or is gone or down while it is
// looked for), so that the graph shows nothing for it.
bool MeasureTick(HWND window, DWORD time) {
  u32 interval = app.settings[SET_INTERVAL];
  if (app.rescanCountdown && (app.rescanCountdown & RESCAN_COUNT_MASK) * interval < RESCAN_WAIT_MS) {
    ++app.rescanCountdown;
    return app.rescanCountdown & RESCAN_LOST;
  }
  MIB_IFROW* selected = SelectedIfRow();
  if (!selected) {
    // A failed scan leaves no table, and a gone adapter no row to read: a
    // rescan after each wait is the way back.
    bool lost = !app.ifTable || SelectionMissing();
    if (app.rescanCountdown || lost) Rescan();
    return lost && app.adapterSlot != NO_ADAPTER;
  }
  CounterReading now;
  bool read = ReadCounters(*selected, now);
  if (app.rescanCountdown) {
    bool up = read && selected->dwOperStatus == MIB_IF_OPER_STATUS_OPERATIONAL;
    if ((app.rescanCountdown & RESCAN_RETRY) || !up) {
      Rescan();
      return !up;
    }
    app.rescanCountdown = 0;
  } else if (!read) {
    // The adapter went away (unplugged, undocked, a VPN ended) or its driver is
    // in trouble: it is looked for again after the wait a device change gets,
    // whatever Auto Adapt says, and the route at once.
    app.rescanCountdown = RESCAN_LOST | RESCAN_PENDING;
    LookAtRouteNow();
    return true;
  }

  Rise rise = TakeBaselines(selected->dwIndex, now, window ? time : GetTickCount());
  if (!window) return false;
  if (++app.sampleCounter <= LAST_WARM_UP_COUNT || !rise.valid) return false;

  if ((app.optionFlags & (OPT_TOPMOST | OPT_FORCE)) == (OPT_TOPMOST | OPT_FORCE) && !(app.modeFlags & MODE_ACTIVE))
    CheckCovered(window, time);
  u32 limit = interval << (now.wide ? WIDE_LIMIT_SHIFT : NARROW_LIMIT_SHIFT);
  u32 recv = SampleRise(rise.in, now.wide, rise.elapsed, limit, NEWEST_RECV, app.totalRecvKiB, app.recvRemainder);
  u32 sent = SampleRise(rise.out, now.wide, rise.elapsed, limit, NEWEST_SENT, app.totalSentKiB, app.sentRemainder);
  AppendToHistory(recv, sent);
  PaintAll(PAINT_TICK);
  return false;
}

// Every couple of seconds, and at once when asked: the interface that now
// carries the internet's route is watched from here on. It takes its
// baselines at once, so the next tick is its first sample and the totals go
// on with it; the last one's bytes were taken by this tick's reading. With no
// route, the interface last followed stays watched.
void FollowInternetRoute(DWORD time) {
  if (++app.routeWait * app.settings[SET_INTERVAL] < ROUTE_POLL_MS) return;
  app.routeWait = 0;
  DWORD index = InternetInterface();
  MIB_IFROW* watched = SelectedIfRow();
  if (!index || (watched && watched->dwIndex == index)) return;
  FollowRoute(index);
  watched = SelectedIfRow();
  CounterReading now;
  if (!watched || watched->dwIndex != index || !ReadCounters(*watched, now)) return;
  TakeBaselines(index, now, time);
  app.rescanCountdown = 0;
}

}  // namespace

void CALLBACK SampleTick(HWND window, UINT, UINT_PTR, DWORD time) {
  bool lost = MeasureTick(window, time);
  if (!window) return;
  // As a pulled cable shows: both directions at zero, the totals untouched.
  if (lost) {
    AppendToHistory(0, 0);
    PaintAll(PAINT_TICK);
  }
  if (FollowingInternet()) FollowInternetRoute(time);
}

void LookAtRouteNow() { app.routeWait = ROUTE_POLL_MS; }

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
