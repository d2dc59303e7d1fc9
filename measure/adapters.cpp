#include "measure/adapters.h"

#include "app/app_state.h"
#include "measure/internet_route.h"
#include "measure/sampler.h"
#include "res/resource.h"
#include "ui/main_window.h"

namespace {

constexpr u32 IF_ROW_SIZE = sizeof(MIB_IFROW);
constexpr u32 IF_TABLE_HEADER_SIZE = 4;
constexpr u32 FIRST_ADAPTER_ITEM = 3;  // after the refresh item, Internet and the separator
constexpr u32 MENU_TEXT_SIZE = 64;

// adapterSlot holds the selected row's position in its low 16 bits and, in
// bits 16 to 30, a check of the adapter's identity that is never 0: the
// interface index and so the position change with a reboot or when adapters
// come and go, the identity does not. 127 alone means no adapter. Files
// of older programs hold no check, and the row at position 127 as 0x8000007F;
// those programs take a slot with a check for a row past their table. A pick
// whose adapter is not in the table keeps its check at MISSING_POSITION, so
// that it is found again when the adapter comes back.
constexpr u32 POSITION_MASK = 0xFFFF;
constexpr u32 MISSING_POSITION = POSITION_MASK;
constexpr u32 CHECK_SHIFT = 16;
constexpr u32 CHECK_RANGE = 0x7FFF;
constexpr u32 FNV_OFFSET_BASIS = 2166136261u;
constexpr u32 FNV_PRIME = 16777619u;
// Windows names an interface \DEVICE\TCPIP_{GUID}: the GUID is its adapter's
// for good, through reboots, reorders and driver updates that rename it.
constexpr WCHAR GUID_OPEN = '{', GUID_CLOSE = '}';
constexpr u32 GUID_LENGTH = 36;

// Interface types that are never offered unless every interface is listed.
constexpr DWORD hiddenTypes[]{IF_TYPE_PPP, IF_TYPE_SOFTWARE_LOOPBACK, IF_TYPE_TUNNEL};
constexpr char WAN_PREFIX[] = "WAN ";
constexpr char PLACEHOLDER_SUFFIX[] = "-0000";

enum Listing { LEFT_OUT, LISTED, GRAYED };

// A description may fill all 256 bytes without a terminator: never read past the row.
u32 DescriptionLength(const MIB_IFROW& row) {
  u32 n = 0;
  while (n < MAXLEN_IFDESCR && row.bDescr[n]) ++n;
  return n;
}

bool SameBytes(const BYTE* bytes, const char* text, u32 length) {
  for (u32 i = 0; i < length; ++i)
    if (bytes[i] != u8(text[i])) return false;
  return true;
}

bool HiddenAdapter(const MIB_IFROW& row) {
  for (DWORD type : hiddenTypes)
    if (row.dwType == type) return true;
  u32 length = DescriptionLength(row);
  constexpr u32 prefix = sizeof WAN_PREFIX - 1, suffix = sizeof PLACEHOLDER_SUFFIX - 1;
  return (length >= prefix && SameBytes(row.bDescr, WAN_PREFIX, prefix)) ||
         (length >= suffix && SameBytes(row.bDescr + length - suffix, PLACEHOLDER_SUFFIX, suffix));
}

Listing ListingOf(const MIB_IFROW& row, u32 all) {
  if (row.dwOperStatus != MIB_IF_OPER_STATUS_OPERATIONAL) return all ? GRAYED : LEFT_OUT;
  return !all && HiddenAdapter(row) ? LEFT_OUT : LISTED;
}

u32 StoredCheck() { return app.adapterSlot >> CHECK_SHIFT & CHECK_RANGE; }

// While the internet's route is followed, adapterType stays the mark of it.
void StoreSelection(u32 row, const MIB_IFROW& selected) {
  app.adapterSlot = AdapterCheck(selected) << CHECK_SHIFT | row;
  if (!FollowingInternet()) app.adapterType = selected.dwType;
}

// The 32-bit FNV-1a hash of some text, folded into 1 to 0x7FFF.
template <typename Char>
u32 CheckOf(const Char* text, u32 length) {
  u32 hash = FNV_OFFSET_BASIS;
  for (u32 i = 0; i < length; ++i) hash = (hash ^ u32(text[i])) * FNV_PRIME;
  return hash % CHECK_RANGE + 1;
}

u32 DescriptionCheck(const MIB_IFROW& row) { return CheckOf(row.bDescr, DescriptionLength(row)); }

// The adapter of the stored selection: its type, and its check where the slot
// has one; a check of the description, as earlier programs took it, is its
// adapter's too, and gives way to the GUID's once found.
bool IsStoredAdapter(const MIB_IFROW& row, u32 check) {
  return (FollowingInternet() || row.dwType == app.adapterType) &&
         (!check || AdapterCheck(row) == check || DescriptionCheck(row) == check);
}

void RestartSampling() {
  app.sampleCounter = WARM_UP_START;
  ClearHistory();
}

// Nothing is watched: the graph goes flat at zero, Max and Ave with it, and
// what an adapter counts until one is watched again is not traffic to count.
// A pick whose adapter is gone keeps its check, to be looked for again.
void DropSelection(u32 check) {
  app.adapterSlot = check ? check << CHECK_SHIFT | MISSING_POSITION : NO_ADAPTER;
  app.baselineInterface = 0;
  ClearHistory();
}

// The row of the interface with this index, or NO_ROW.
u32 RowOfInterface(const MIB_IFTABLE& table, DWORD index) {
  for (u32 i = 0; index && i < table.dwNumEntries; ++i)
    if (table.table[i].dwIndex == index) return i;
  return NO_ROW;
}

// Watches the interface with this index while the internet's route is followed.
bool FollowInterface(const MIB_IFTABLE& table, DWORD index) {
  u32 row = RowOfInterface(table, index);
  if (row == NO_ROW) return false;
  StoreSelection(row, table.table[row]);
  return true;
}

// Gives up the held table and its menu items.
void DropTable() {
  if (!app.ifTable) return;
  GlobalFree(app.ifTable);
  app.ifTable = nullptr;
  while (RemoveMenu(app.adapterMenu, FIRST_ADAPTER_ITEM, MF_BYPOSITION)) {
  }
}

// A fresh table of the size the system asked for, or null.
MIB_IFTABLE* ReadTable(ULONG size) {
  auto* table = static_cast<MIB_IFTABLE*>(GlobalAlloc(GMEM_FIXED, size));
  if (!table) return nullptr;
  // No retry when the table grew between the two calls: the next scan sees it.
  if (GetIfTable(table, &size, TRUE) != 0 || table->dwNumEntries == 0 ||
      size < table->dwNumEntries * IF_ROW_SIZE + IF_TABLE_HEADER_SIZE) {
    GlobalFree(table);
    return nullptr;
  }
  return table;
}

// Appends a menu item for each row worth offering; returns how many are
// enabled and the position of the last of them.
u32 ListRows(MIB_IFTABLE* table, u32 all, u32& lastListed) {
  u32 listed = 0;
  for (u32 i = 0; i < table->dwNumEntries; ++i) {
    MIB_IFROW& row = table->table[i];
    if (GetIfEntry(&row) != 0) continue;
    Listing listing = ListingOf(row, all);
    if (listing == LEFT_OUT) continue;
    char text[MAXLEN_IFDESCR + 1];
    u32 length = DescriptionLength(row);
    for (u32 k = 0; k < length; ++k) text[k] = char(row.bDescr[k]);
    text[length] = 0;
    bool added = AppendMenuA(app.adapterMenu, listing == GRAYED ? MF_GRAYED : MF_STRING, IDM_ADAPTER_BASE + i, text);
    if (added && listing == LISTED) {
      ++listed;
      lastListed = i;
    }
  }
  return listed;
}

// Finds the stored adapter in a new table: at its position while the row there
// is still it, else as the one row of the table with its type and check. A
// selection without a check (from an older file) is kept by position and type
// alone, as it always was, and takes that row's check. A moved selection goes
// on sampling when it is the interface the sampler reads; it is dropped, and
// the graph goes flat, when no row or more than one is its adapter. While the
// internet's route is followed, the route's interface comes first, and the
// graph goes on through a move: the sampler takes new baselines.
void FindSelection(const MIB_IFTABLE& table) {
  if (FollowingInternet() && FollowInterface(table, InternetInterface())) return;
  if (app.adapterSlot == NO_ADAPTER) return;
  u32 row = app.adapterSlot & POSITION_MASK;
  u32 check = StoredCheck(), found = NO_ROW, matches = 0;
  if (row < table.dwNumEntries && IsStoredAdapter(table.table[row], check)) return StoreSelection(row, table.table[row]);
  for (u32 i = 0; check && i < table.dwNumEntries; ++i)
    if (IsStoredAdapter(table.table[i], check)) found = i, ++matches;
  if (matches != 1) return DropSelection(matches ? 0 : check);
  StoreSelection(found, table.table[found]);
  if (table.table[found].dwIndex != app.baselineInterface && !FollowingInternet()) RestartSampling();
}

void WriteRefreshLabel(u32 listed, u32 rows) {
  char text[MENU_TEXT_SIZE];
  wsprintfA(text, refreshLabelFormat, listed, rows);
  ModifyMenuA(app.adapterMenu, IDM_REFRESH, MF_BYCOMMAND | MF_STRING, IDM_REFRESH, text);
}

// The size the system asks for its table, or 0 when it offers none with room for a row.
ULONG TableSize() {
  ULONG size = 0;
  bool usable = GetIfTable(nullptr, &size, TRUE) == ERROR_INSUFFICIENT_BUFFER &&
                size >= IF_TABLE_HEADER_SIZE + IF_ROW_SIZE;
  return usable ? size : 0;
}

}  // namespace

// The GUID between the braces of the interface's name, else the description.
u32 AdapterCheck(const MIB_IFROW& row) {
  const WCHAR* name = row.wszName;
  for (u32 open = 0; open + GUID_LENGTH + 1 < MAX_INTERFACE_NAME_LEN && name[open]; ++open) {
    if (name[open] != GUID_OPEN) continue;
    if (name[open + GUID_LENGTH + 1] != GUID_CLOSE) break;
    return CheckOf(name + open + 1, GUID_LENGTH);
  }
  return DescriptionCheck(row);
}

u32 OfferedAdapterCount() {
  ULONG size = TableSize();
  MIB_IFTABLE* table = size ? ReadTable(size) : nullptr;
  if (!table) return 0;
  u32 offered = 0;
  bool missing = SelectionMissing();
  for (u32 i = 0; i < table->dwNumEntries; ++i) {
    MIB_IFROW& row = table->table[i];
    if (GetIfEntry(&row) == 0) offered += missing ? IsStoredAdapter(row, StoredCheck()) : ListingOf(row, 0) == LISTED;
  }
  GlobalFree(table);
  return offered;
}

u32 ScanAdapters(u32 all) {
  u32 rows = 0, listed = 0;
  // Without a usable size the old table, its items and the selection stay as they are.
  if (ULONG size = TableSize()) {
    DropTable();
    if (MIB_IFTABLE* table = ReadTable(size)) {
      rows = table->dwNumEntries;
      u32 lastListed = 0;
      listed = ListRows(table, all, lastListed);
      app.ifTable = table;
      FindSelection(*table);
      // A pick would end following the internet.
      if (!all && listed == 1 && !FollowingInternet())
        MainWndProc(nullptr, UM_COMMAND, IDM_ADAPTER_BASE + lastListed, 0);
    }
  }
  WriteRefreshLabel(listed, rows);
  return (rows << 16) + listed;
}

u32 SelectedRow() {
  u32 position = app.adapterSlot & POSITION_MASK;
  return app.adapterSlot == NO_ADAPTER || position == MISSING_POSITION ? NO_ROW : position;
}

bool SelectionMissing() { return (app.adapterSlot & POSITION_MASK) == MISSING_POSITION; }

bool FollowingInternet() { return app.adapterType == INTERNET_TYPE; }

// Choosing the selected adapter again is the same selection: so is
// choosing Internet while it is followed.
void SelectAdapter(u32 row, u32 modifier) {
  if (!app.ifTable || row >= app.ifTable->dwNumEntries) return;
  const MIB_IFROW& selected = app.ifTable->table[row];
  if (SelectedRow() == row && app.adapterType == selected.dwType && !modifier) return;
  app.adapterType = selected.dwType;
  StoreSelection(row, selected);
  RestartSampling();
}

void FollowInternet(u32 modifier) {
  if (FollowingInternet() && !modifier) return;
  app.adapterType = INTERNET_TYPE;
  LookAtRouteNow();
  RestartSampling();
}

void FollowRoute(DWORD index) {
  if (app.ifTable && FollowInterface(*app.ifTable, index)) return;
  // A route through an interface the table lacks: a new one (a VPN that
  // started, a phone's tethering) is worth one rescan, which follows it.
  if (index == app.unlistedRoute) return;
  app.unlistedRoute = index;
  ScanAdapters(0);
}
