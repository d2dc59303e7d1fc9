// The interface table, the adapter submenu built from it, and the selected
// adapter: a row position together with that row's interface type.
#pragma once

#include "platform/win32.h"

constexpr u32 NO_ROW = 0xFFFFFFFF;

// Reads the system's interface table into the program's own copy, rebuilds
// the adapter submenu and checks the stored selection; with all clear it
// lists only operational adapters worth offering and selects the only one.
// Returns (row count << 16) + listed count, 0 when the table could not be read.
u32 ScanAdapters(u32 all);

// How many adapters a scan without all would list now, found in a table of its
// own: the held table, its submenu and the selection stay as they are. While
// the pick's adapter is missing, only it counts.
u32 OfferedAdapterCount();

// The check of an adapter's identity that the selection keeps beside its
// position, from the GUID in its interface's name, or from its description
// where the name has none: 1 to 0x7FFF.
u32 AdapterCheck(const MIB_IFROW& row);

// The selected row's position in ifTable, or NO_ROW.
u32 SelectedRow();

// Whether the pick's adapter is gone from the table: it is looked for again by its check.
bool SelectionMissing();

// Whether the adapter watched is the one the internet's route leaves by.
bool FollowingInternet();

// Follows the internet's route from now on; choosing it again does nothing
// unless the modifier is set. Either restarts the warm-up and the graph.
void FollowInternet(u32 modifier);

// Watches the interface with this index, the route's, rescanning once for
// an index the held table lacks.
void FollowRoute(DWORD index);

// Selects the adapter of a row, which ends following the internet; choosing
// the selected one again does nothing unless the modifier is set. A new
// selection restarts the warm-up and the graph.
void SelectAdapter(u32 row, u32 modifier);
