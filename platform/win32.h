// The one place that decides which Win32 the program sees: the real API when
// compiled for Windows, the fake of tests/fakewin when compiled on the host.
#pragma once

#include <stddef.h>

#ifdef _WIN32
// GetIfEntry2's row: netioapi.h declares it only after the socket address types,
// and iphlpapi.h includes it only for programs that need Vista.
#include <winsock2.h>
#include <ws2ipdef.h>
#include <windows.h>
#include <iphlpapi.h>
#include <netioapi.h>
#include <commdlg.h>
#include <commctrl.h>
#include <shellapi.h>
#include <objbase.h>
#include <imm.h>
#include <dbt.h>
#else
#include "fakewin/fake_windows.h"
#endif

using u8 = unsigned char;
using u16 = unsigned short;
using u32 = unsigned int;
using i32 = int;
using u64 = unsigned long long;
using i64 = long long;
using i16 = short;

static_assert(sizeof(u16) == 2 && sizeof(u32) == 4 && sizeof(u64) == 8);
static_assert(sizeof(DWORD) == 4 && sizeof(LONG) == 4 && sizeof(COLORREF) == 4);
static_assert(sizeof(RECT) == 16 && sizeof(LOGFONTA) == 60);
static_assert(sizeof(MIB_IF_ROW2) == 1352 && offsetof(MIB_IF_ROW2, InterfaceIndex) == 8 &&
              offsetof(MIB_IF_ROW2, OperStatus) == 1156 && offsetof(MIB_IF_ROW2, InOctets) == 1208 &&
              offsetof(MIB_IF_ROW2, OutOctets) == 1280);
