// Any bytes as the system's interface table and what becomes of it: a stored
// selection, rows of any type, status and description, a refused size query,
// a table that grows between the two reads, rows that will not refresh, then
// ticks with moving counters (64-bit ones past 4 GiB) at any time, a changed
// table and a second scan. After every scan the menu, the result and the
// selection must match the table; after every tick the history and the totals
// must account for exactly one sample, a rise the graph leaves out, or none.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/startup.h"
#include "measure/adapters.h"
#include "measure/interface_counters.h"
#include "measure/sampler.h"
#include "res/resource.h"

namespace {

constexpr u32 MAX_ROWS = 160;  // past position 127, which the selection has to tell from none
constexpr u32 MAX_TICKS = 12;
constexpr u32 MAX_TICK_GAP_MS = 40000;  // a tick late by far more than its interval
constexpr u32 PHASES = 2;
constexpr u64 BYTES_WRAP = u64(1) << 42;  // the KiB totals wrap at 2^32
constexpr DWORD DOWN = 2;

void Require(bool condition, const char* what) {
  if (!condition) {
    fprintf(stderr, "violated: %s\n", what);
    abort();
  }
}

bool failsRefresh[MAX_ROWS + 1];  // by interface index
u64 octets[MAX_ROWS + 1][2];      // by interface index: the 64-bit counters, received and sent

void SetCounters(MIB_IFROW& row) { fakewin::SetOctets(row, octets[row.dwIndex][0], octets[row.dwIndex][1]); }

// Leading rows that are down let a described row sit at any position; rows
// past those the bytes describe repeat them, each with its own index, so that
// a short input can still make a long table.
void MakeInterfaces(FuzzedDataProvider& in) {
  u32 rows = in.ConsumeIntegralInRange<u32>(0, MAX_ROWS);
  u32 quiet = in.ConsumeIntegralInRange<u32>(0, rows);
  std::vector<MIB_IFROW>& table = fakewin::Interfaces();
  u32 described = 0;
  for (u32 i = 0; i < rows; ++i) {
    MIB_IFROW row{};
    if (i < quiet) {
      row.dwType = IF_TYPE_ETHERNET_CSMACD;
      row.dwOperStatus = DOWN;
    } else if (described && in.remaining_bytes() == 0) {
      row = table[quiet + (i - quiet) % described];
      memcpy(octets[i + 1], octets[row.dwIndex], sizeof octets[0]);
    } else {
      row.dwType = in.ConsumeIntegral<u8>();
      row.dwOperStatus = in.ConsumeBool() ? MIB_IF_OPER_STATUS_OPERATIONAL : DOWN;
      octets[i + 1][0] = in.ConsumeIntegral<u64>();
      octets[i + 1][1] = in.ConsumeIntegral<u64>();
      failsRefresh[i + 1] = in.ConsumeBool();
      std::string text = in.ConsumeRandomLengthString(MAXLEN_IFDESCR);
      memcpy(row.bDescr, text.data(), text.size());  // 256 bytes leave no terminator
      ++described;
    }
    row.dwIndex = i + 1;
    fakewin::FailIfEntry(row.dwIndex, failsRefresh[row.dwIndex]);
    SetCounters(row);
    table.push_back(row);
  }
}

enum Listing { LEFT_OUT, LISTED, GRAYED };

// How the adapter menu offers a row, told from the row alone.
Listing ExpectedListing(const MIB_IFROW& row, bool all) {
  if (row.dwOperStatus != MIB_IF_OPER_STATUS_OPERATIONAL) return all ? GRAYED : LEFT_OUT;
  if (all) return LISTED;
  if (row.dwType == IF_TYPE_PPP || row.dwType == IF_TYPE_SOFTWARE_LOOPBACK || row.dwType == IF_TYPE_TUNNEL)
    return LEFT_OUT;
  const char* text = reinterpret_cast<const char*>(row.bDescr);
  size_t length = strnlen(text, MAXLEN_IFDESCR);
  if (length >= 4 && memcmp(text, "WAN ", 4) == 0) return LEFT_OUT;
  if (length >= 5 && memcmp(text + length - 5, "-0000", 5) == 0) return LEFT_OUT;
  return LISTED;
}

// From the separator on: the refresh item's label is checked by itself.
bool SameItems(const std::vector<fakewin::MenuItem>& a, const std::vector<fakewin::MenuItem>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 1; i < a.size(); ++i)
    if (a[i].text != b[i].text || a[i].id != b[i].id || a[i].flags != b[i].flags) return false;
  return true;
}

// The state a step starts from, to judge what the step did.
struct Before {
  MIB_IFTABLE* table;
  u32 slot, type, row, sampleCounter;
  u32 history[2 * HISTORY_LENGTH];
  u64 recvBytes, sentBytes;
  u64 prevIn, prevOut;
  u32 baseline, baselineTick;
  std::vector<fakewin::MenuItem> items;
};

u64 Bytes(u32 kib, u32 remainder) { return (u64(kib) << 10) + remainder; }

void Snapshot(Before& b, bool withMenu) {
  b.table = app.ifTable;
  b.slot = app.adapterSlot;
  b.type = app.adapterType;
  b.row = SelectedRow();
  b.sampleCounter = app.sampleCounter;
  memcpy(b.history, app.history, sizeof b.history);
  b.recvBytes = Bytes(app.totalRecvKiB, app.recvRemainder);
  b.sentBytes = Bytes(app.totalSentKiB, app.sentRemainder);
  b.prevIn = app.prevInOctets;
  b.prevOut = app.prevOutOctets;
  b.baseline = app.baselineInterface;
  b.baselineTick = app.baselineTick;
  if (withMenu) b.items = fakewin::MenuItems(app.adapterMenu);
}

bool HistoryIs(const u32* values) { return memcmp(app.history, values, sizeof app.history) == 0; }

bool HistoryCleared() {
  for (u32 v : app.history)
    if (v) return false;
  return true;
}

// 2^19 bytes per millisecond of the interval with 32-bit counters, 2^22 with 64-bit ones.
u32 GlitchLimit() { return app.settings[SET_INTERVAL] << (app.getIfEntry2 ? 22 : 19); }

void RequireHistoryWithinLimit() {
  for (u32 v : app.history) Require(v <= GlitchLimit(), "history within the glitch limit");
}

// Where a scan finds the stored adapter: where it stood while that row is of
// its type and has its check (if the slot holds one), else the only row that
// is, else nowhere; gone when no row is, and it keeps its check.
u32 ExpectedFind(const Before& b, const MIB_IFTABLE& table, bool& gone) {
  u32 check = b.slot >> 16 & 0x7FFF, found = NO_ROW, count = 0, position = b.slot & 0xFFFF;
  auto same = [&](u32 i) { return table.table[i].dwType == b.type && (!check || AdapterCheck(table.table[i]) == check); };
  gone = false;
  if (b.slot == NO_ADAPTER || (position < table.dwNumEntries && same(position))) return b.row;
  for (u32 i = 0; check && i < table.dwNumEntries; ++i)
    if (same(i)) found = i, ++count;
  gone = check && !count;
  return count == 1 ? found : NO_ROW;
}

void CheckScan(const Before& b, u32 result, bool all, fakewin::IfTableFault fault) {
  const std::vector<MIB_IFROW>& system = fakewin::Interfaces();
  u32 n = u32(system.size());
  bool sizeRefused = n == 0 || fault == fakewin::IfTableFault::REFUSE_SIZE ||
                     fault == fakewin::IfTableFault::NO_ROOM_FOR_A_ROW;
  std::vector<fakewin::MenuItem> items = fakewin::MenuItems(app.adapterMenu);
  std::vector<fakewin::MenuItem> expected(items.begin(), items.begin() + 3);  // refresh, Internet, separator
  u32 listed = 0, rows = 0;
  if (sizeRefused) {
    Require(result == 0 && app.ifTable == b.table && app.adapterSlot == b.slot && app.adapterType == b.type,
            "a refused size query keeps the table and the selection");
    expected = b.items;
  } else if (fault == fakewin::IfTableFault::GROWS_BETWEEN_CALLS) {
    Require(result == 0 && !app.ifTable && app.adapterSlot == b.slot && app.adapterType == b.type,
            "a failed read leaves no table and the selection as it was");
  } else {
    Require(app.ifTable && app.ifTable->dwNumEntries == n, "the table is held");
    rows = n;
    u32 last = 0;
    for (u32 i = 0; i < n; ++i) {
      const MIB_IFROW& row = app.ifTable->table[i];
      Require(memcmp(&row, &system[i], sizeof row) == 0, "the held row is the system's row");
      Listing listing = failsRefresh[row.dwIndex] ? LEFT_OUT : ExpectedListing(row, all);
      if (listing == LEFT_OUT) continue;
      const char* text = reinterpret_cast<const char*>(row.bDescr);
      expected.push_back({std::string(text, strnlen(text, MAXLEN_IFDESCR)), IDM_ADAPTER_BASE + i,
                          listing == GRAYED ? UINT(MF_GRAYED) : 0u, nullptr});
      if (listing == LISTED) ++listed, last = i;
    }
    Require(result == (n << 16) + listed, "result counts rows and listed adapters");

    u32 row = SelectedRow();
    Require(row == NO_ROW || (row < n && app.ifTable->table[row].dwType == app.adapterType &&
                              app.adapterSlot >> 16 == AdapterCheck(app.ifTable->table[row])),
            "the selection names a row of its type, with its check");
    bool chosen = !all && listed == 1;
    bool gone;
    u32 found = ExpectedFind(b, *app.ifTable, gone);
    bool moved = found != NO_ROW && found != b.row && app.ifTable->table[found].dwIndex != b.baseline;
    bool restarted = moved || (chosen && last != found), dropped = found == NO_ROW && b.slot != NO_ADAPTER;
    Require(row == (chosen ? last : found), "the stored adapter is found, or the only listed one chosen");
    Require(chosen || !dropped || app.adapterSlot == (gone ? (b.slot | 0xFFFF) & 0x7FFFFFFF : NO_ADAPTER),
            "a gone adapter is looked for by its check, one that cannot be told apart dropped");
    Require(chosen || app.adapterType == b.type, "a scan without a choice keeps the type");
    Require(restarted || dropped ? HistoryCleared() : HistoryIs(b.history), "another adapter or none clears the graph");
    Require(app.sampleCounter == (restarted ? WARM_UP_START : b.sampleCounter),
            "another adapter restarts the warm-up, the same one or none nothing");
  }
  Require(SameItems(items, expected), "the menu lists the rows as offered");
  char label[64];
  snprintf(label, sizeof label, refreshLabelFormat, listed, rows);
  Require(fakewin::FindMenuItem(app.adapterMenu, IDM_REFRESH)->text == label, "refresh label counts");
  RequireHistoryWithinLimit();
}

// A tick takes one sample: the rise at its rate, or the newest sample past the
// limit; the totals take the rise (a 32-bit one past the limit: the newest
// sample). Or a 64-bit rise the graph leaves out (a warm-up), or nothing (a
// rescan may clear the graph), or zeros while the pick is not measured.
void CheckTick(const Before& b, DWORD time) {
  RequireHistoryWithinLimit();
  Require(app.recvRemainder < 1024 && app.sentRemainder < 1024, "remainders below 1 KiB");
  u64 recvBytes = (Bytes(app.totalRecvKiB, app.recvRemainder) - b.recvBytes) % BYTES_WRAP;
  u64 sentBytes = (Bytes(app.totalSentKiB, app.sentRemainder) - b.sentBytes) % BYTES_WRAP;
  u32 recv = app.history[HISTORY_LENGTH - 1], sent = app.history[2 * HISTORY_LENGTH - 1];
  u32 newestRecv = b.history[HISTORY_LENGTH - 1], newestSent = b.history[2 * HISTORY_LENGTH - 1];
  bool shifted = memcmp(app.history, b.history + 1, (HISTORY_LENGTH - 1) * sizeof(u32)) == 0 &&
                 memcmp(app.history + HISTORY_LENGTH, b.history + HISTORY_LENGTH + 1, (HISTORY_LENGTH - 1) * sizeof(u32)) == 0;
  bool same = HistoryIs(b.history);
  if (!recvBytes && !sentBytes && (same || HistoryCleared() || (shifted && !recv && !sent))) return;
  u32 row = SelectedRow();
  Require(app.ifTable && row < app.ifTable->dwNumEntries && app.ifTable->table[row].dwIndex == b.baseline,
          "a rise counts only from the interface the baselines were read from");
  bool wide = app.getIfEntry2;
  const u64* now = octets[b.baseline];
  u64 in = wide ? now[0] - b.prevIn : u32(now[0] - b.prevIn), out = wide ? now[1] - b.prevOut : u32(now[1] - b.prevOut);
  Require(!wide || (now[0] >= b.prevIn && now[1] >= b.prevOut), "a 64-bit counter that went down counts nothing");
  u32 limit = GlitchLimit(), interval = app.settings[SET_INTERVAL], elapsed = time - b.baselineTick;
  auto sample = [&](u64 rise, u32 newest) {
    if (!wide && rise > limit) return newest;
    unsigned __int128 rate = elapsed > interval + interval / 2
                                 ? (static_cast<unsigned __int128>(rise) * interval + elapsed / 2) / elapsed
                                 : rise;
    return rate > limit ? newest : u32(rate);
  };
  auto taken = [&](u64 rise, u32 newest) { return !wide && rise > limit ? newest : rise; };
  u32 recvSample = sample(in, newestRecv), sentSample = sample(out, newestSent);
  Require(recvBytes == taken(in, newestRecv) % BYTES_WRAP && sentBytes == taken(out, newestSent) % BYTES_WRAP,
          "the totals take the rise, a 32-bit glitch the newest sample");
  Require((wide && same) || (shifted && recv == recvSample && sent == sentSample),
          "a sample is the rise at its rate, or the newest one past the limit");
}

// Before the second scan interfaces go away at the front, so that others
// move to the selected position, and one may go up or down.
void ChangeInterfaces(FuzzedDataProvider& in) {
  std::vector<MIB_IFROW>& table = fakewin::Interfaces();
  size_t drop = in.ConsumeIntegralInRange<size_t>(0, 2);
  table.erase(table.begin(), table.begin() + (drop < table.size() ? drop : table.size()));
  size_t flip = in.ConsumeIntegral<u8>();
  if (flip < table.size())
    table[flip].dwOperStatus = table[flip].dwOperStatus == MIB_IF_OPER_STATUS_OPERATIONAL ? DOWN
                                                                                           : MIB_IF_OPER_STATUS_OPERATIONAL;
}

// The menus come from the resource script, which is read once: each run
// starts from the adapter submenu as loaded, and from an empty system.
HMENU menus[4];
HWND window;

void StartRun() {
  for (u32 index = 1; index <= MAX_ROWS; ++index)
    if (failsRefresh[index]) fakewin::FailIfEntry(index, false);
  memset(failsRefresh, 0, sizeof failsRefresh);
  fakewin::Interfaces().clear();
  fakewin::ClearGdiCalls();
  app = AppState{};
  app.menuBar = menus[0], app.mainPopup = menus[1], app.adapterMenu = menus[2], app.settingMenu = menus[3];
  while (RemoveMenu(app.adapterMenu, 3, MF_BYPOSITION)) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fakewin::Reset();
  LoadMenus(GetModuleHandleA(nullptr));
  menus[0] = app.menuBar, menus[1] = app.mainPopup, menus[2] = app.adapterMenu, menus[3] = app.settingMenu;
  window = fakewin::AddWindow({0, 0, 200, 100});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  StartRun();
  // The selection and the interval as a settings file may hold them.
  app.adapterSlot = in.ConsumeIntegral<u32>();
  app.adapterType = in.ConsumeIntegral<u32>() & ~0x80000000;  // never INTERNET_TYPE: the unit tests' to check
  app.settings[SET_INTERVAL] = in.ConsumeIntegralInRange<u32>(settingRanges[SET_INTERVAL].min,
                                                               settingRanges[SET_INTERVAL].max);
  fakewin::OfferGetIfEntry2(in.ConsumeBool());
  FindWideCounters();
  MakeInterfaces(in);
  // Or a selection made in an earlier run, of an adapter that may have moved since.
  const std::vector<MIB_IFROW>& made = fakewin::Interfaces();
  if (!made.empty() && in.ConsumeBool()) {
    const MIB_IFROW& picked = made[in.ConsumeIntegralInRange<size_t>(0, made.size() - 1)];
    app.adapterSlot = AdapterCheck(picked) << 16 | in.ConsumeIntegralInRange<u32>(0, MAX_ROWS);
    app.adapterType = picked.dwType;
  }

  DWORD clock = in.ConsumeIntegral<u32>();
  Before before;
  for (u32 phase = 0; phase < PHASES; ++phase) {
    if (phase) ChangeInterfaces(in);
    auto fault = fakewin::IfTableFault(in.ConsumeIntegralInRange<int>(0, 3));
    bool all = in.ConsumeBool();
    fakewin::SetIfTableFault(fault);
    Snapshot(before, true);
    CheckScan(before, ScanAdapters(all), all, fault);

    if (in.ConsumeBool()) app.rescanCountdown = RESCAN_PENDING;  // a device change
    u32 ticks = in.ConsumeIntegralInRange<u32>(0, MAX_TICKS);
    for (u32 t = 0; t < ticks; ++t) {
      u32 in1 = in.ConsumeIntegral<u32>(), out1 = in.ConsumeIntegral<u32>();
      for (MIB_IFROW& row : fakewin::Interfaces()) {
        octets[row.dwIndex][0] += in1, octets[row.dwIndex][1] += out1;
        SetCounters(row);
      }
      clock += in.ConsumeIntegralInRange<u32>(0, MAX_TICK_GAP_MS);
      Snapshot(before, false);
      SampleTick(window, WM_TIMER, SAMPLE_TIMER_ID, clock);
      CheckTick(before, clock);
    }
  }
  if (app.ifTable) GlobalFree(app.ifTable);
  Require(fakewin::LiveGlobalBlocks() == 0, "every table but the held one was given up");
  return 0;
}
