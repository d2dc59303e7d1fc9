// The interface table, global memory blocks, local time and text formatting of
// the fake Win32.
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <set>

#include "fakewin/fake_windows.h"

namespace {

std::vector<MIB_IFROW> interfaces;
fakewin::IfTableFault ifTableFault = fakewin::IfTableFault::NONE;
std::set<DWORD> failingEntries;
int ifEntryCalls = 0;
int ifTableCalls = 0;
bool offerGetIfEntry2 = true;
std::map<DWORD, std::pair<uint32_t, uint32_t>> highOctets;  // by interface index: the counters' high words
DWORD bestInterface[2]{};  // IPv4, IPv6
int bestInterfaceCalls = 0;

struct Block {
  std::unique_ptr<uint8_t[]> bytes;
  SIZE_T size;
};
std::map<HGLOBAL, Block> blocks;  // by handle: the data pointer for fixed blocks
uintptr_t nextMoveable = 0x400000;

SYSTEMTIME localTime{2026, 12, 1, 7, 9, 30, 0, 0};
bool failTimeConversion = false;

// Days since 1601-01-01 of a proleptic Gregorian date.
int64_t DaysSince1601(int y, int m, int d) {
  y -= m <= 2;
  int64_t era = y / 400;
  int64_t yoe = y - era * 400;
  int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 584694;  // 584694: days from 0000-03-01 to 1601-01-01
}

void CivilFromDays(int64_t days, int& y, int& m, int& d) {
  days += 584694;
  int64_t era = days / 146097;
  int64_t doe = days - era * 146097;
  int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  int64_t mp = (5 * doy + 2) / 153;
  d = int(doy - (153 * mp + 2) / 5 + 1);
  m = int(mp < 10 ? mp + 3 : mp - 9);
  y = int(yoe + era * 400 + (m <= 2));
}

constexpr int64_t TICKS_PER_SECOND = 10000000;

}  // namespace

DWORD GetIfTable(MIB_IFTABLE* table, PULONG size, BOOL) {
  ++ifTableCalls;
  ULONG needed = ULONG(4 + interfaces.size() * sizeof(MIB_IFROW));
  if (ifTableFault == fakewin::IfTableFault::REFUSE_SIZE) {
    *size = 0;
    return NO_ERROR;
  }
  if (ifTableFault == fakewin::IfTableFault::NO_ROOM_FOR_A_ROW) needed = 4;
  if (ifTableFault == fakewin::IfTableFault::GROWS_BETWEEN_CALLS && table) needed += sizeof(MIB_IFROW);
  if (!table || *size < needed) {
    *size = needed;
    return ERROR_INSUFFICIENT_BUFFER;
  }
  table->dwNumEntries = DWORD(interfaces.size());
  memcpy(table->table, interfaces.data(), interfaces.size() * sizeof(MIB_IFROW));
  return NO_ERROR;
}

DWORD GetIfEntry(MIB_IFROW* row) {
  ++ifEntryCalls;
  if (failingEntries.count(row->dwIndex)) return ERROR_INVALID_DATA;
  for (const MIB_IFROW& r : interfaces) {
    if (r.dwIndex == row->dwIndex) {
      *row = r;
      return NO_ERROR;
    }
  }
  return ERROR_INVALID_DATA;
}

// Has the real function's type: the program calls it through that type.
static DWORD WINAPI FakeGetIfEntry2(MIB_IF_ROW2* row) {
  MIB_IFROW narrow{};
  narrow.dwIndex = row->InterfaceIndex;
  if (row->InterfaceLuid.Value || GetIfEntry(&narrow) != NO_ERROR) return ERROR_FILE_NOT_FOUND;
  std::pair<uint32_t, uint32_t> high = highOctets[narrow.dwIndex];
  row->InOctets = uint64_t(high.first) << 32 | narrow.dwInOctets;
  row->OutOctets = uint64_t(high.second) << 32 | narrow.dwOutOctets;
  row->OperStatus = narrow.dwOperStatus == MIB_IF_OPER_STATUS_OPERATIONAL ? IfOperStatusUp : IfOperStatusDown;
  return NO_ERROR;
}

DWORD GetBestInterfaceEx(sockaddr* destination, DWORD* index) {
  ++bestInterfaceCalls;
  *index = bestInterface[destination->sa_family == AF_INET6];
  return *index ? NO_ERROR : ERROR_FILE_NOT_FOUND;
}

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes) {
  Block block{std::make_unique<uint8_t[]>(bytes ? bytes : 1), bytes};
  HGLOBAL handle = (flags & GMEM_MOVEABLE) ? reinterpret_cast<HGLOBAL>(nextMoveable += 0x10) : block.bytes.get();
  blocks[handle] = std::move(block);
  return handle;
}

HGLOBAL GlobalFree(HGLOBAL block) { return blocks.erase(block) ? nullptr : block; }

LPVOID GlobalLock(HGLOBAL block) {
  auto it = blocks.find(block);
  return it == blocks.end() ? nullptr : it->second.bytes.get();
}

BOOL GlobalUnlock(HGLOBAL) { return FALSE; }

void GetLocalTime(SYSTEMTIME* time) { *time = localTime; }

BOOL SystemTimeToFileTime(const SYSTEMTIME* t, FILETIME* fileTime) {
  if (failTimeConversion || t->wMonth < 1 || t->wMonth > 12 || t->wDay < 1 || t->wDay > 31 || t->wHour > 23 ||
      t->wMinute > 59 || t->wSecond > 59)
    return FALSE;
  int64_t seconds = DaysSince1601(t->wYear, t->wMonth, t->wDay) * 86400 + t->wHour * 3600 + t->wMinute * 60 +
                    t->wSecond;
  uint64_t ticks = uint64_t(seconds * TICKS_PER_SECOND + t->wMilliseconds * 10000);
  *fileTime = {DWORD(ticks), DWORD(ticks >> 32)};
  return TRUE;
}

BOOL FileTimeToDosDateTime(const FILETIME* fileTime, WORD* date, WORD* time) {
  int64_t seconds = int64_t((uint64_t(fileTime->dwHighDateTime) << 32 | fileTime->dwLowDateTime) / TICKS_PER_SECOND);
  int y, m, d;
  CivilFromDays(seconds / 86400, y, m, d);
  if (y < 1980 || y > 2107) return FALSE;
  int s = int(seconds % 86400);
  *date = WORD((y - 1980) << 9 | m << 5 | d);
  *time = WORD((s / 3600) << 11 | (s / 60 % 60) << 5 | (s % 60) / 2);
  return TRUE;
}

int wsprintfA(LPSTR out, LPCSTR format, ...) {
  va_list args;
  va_start(args, format);
  int n = vsnprintf(out, 1024, format, args);
  va_end(args);
  return n;
}

namespace fakewin {

void ResetSystem() {
  interfaces.clear();
  ifTableFault = IfTableFault::NONE;
  failingEntries.clear();
  ifEntryCalls = ifTableCalls = 0;
  offerGetIfEntry2 = true;
  highOctets.clear();
  bestInterface[0] = bestInterface[1] = bestInterfaceCalls = 0;
  blocks.clear();
  localTime = {2026, 12, 1, 7, 9, 30, 0, 0};
  failTimeConversion = false;
}

void SetInterfaces(const std::vector<MIB_IFROW>& rows) { interfaces = rows; }
std::vector<MIB_IFROW>& Interfaces() { return interfaces; }

MIB_IFROW MakeInterface(DWORD index, DWORD type, bool up, const char* description) {
  MIB_IFROW row{};
  row.dwIndex = index;
  row.dwType = type;
  row.dwOperStatus = up ? MIB_IF_OPER_STATUS_OPERATIONAL : 2;
  strncpy(reinterpret_cast<char*>(row.bDescr), description, sizeof row.bDescr);
  row.dwDescrLen = DWORD(strlen(description));
  return row;
}

void NameInterface(MIB_IFROW& row, const char* name) {
  for (size_t i = 0; i <= strlen(name); ++i) row.wszName[i] = WCHAR(name[i]);
}

void SetIfTableFault(IfTableFault fault) { ifTableFault = fault; }
void FailIfEntry(DWORD index, bool fail) {
  if (fail)
    failingEntries.insert(index);
  else
    failingEntries.erase(index);
}
void OfferGetIfEntry2(bool offer) { offerGetIfEntry2 = offer; }
FARPROC GetIfEntry2Proc() {
  return offerGetIfEntry2 ? reinterpret_cast<FARPROC>(reinterpret_cast<void*>(FakeGetIfEntry2)) : nullptr;
}
void SetOctets(MIB_IFROW& row, uint64_t in, uint64_t out) {
  row.dwInOctets = DWORD(in);
  row.dwOutOctets = DWORD(out);
  highOctets[row.dwIndex] = {uint32_t(in >> 32), uint32_t(out >> 32)};
}
void SetBestInterface(DWORD ipv4, DWORD ipv6) { bestInterface[0] = ipv4, bestInterface[1] = ipv6; }
int BestInterfaceCalls() { return bestInterfaceCalls; }
int GetIfEntryCalls() { return ifEntryCalls; }
int GetIfTableCalls() { return ifTableCalls; }
int LiveGlobalBlocks() { return int(blocks.size()); }
size_t BlockSize(HGLOBAL block) { return blocks.count(block) ? blocks[block].size : 0; }

void SetLocalTime(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second) {
  localTime = {year, month, 0, day, hour, minute, second, 0};
}
void FailTimeConversion(bool fail) { failTimeConversion = fail; }

}  // namespace fakewin
