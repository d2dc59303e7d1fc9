// Which interface Windows sends internet traffic through now.
#pragma once

#include "platform/win32.h"

// The internet's route is looked at every couple of seconds: not every system
// (Wine among them) tells of a change, and a look only asks the routing table.
constexpr u32 ROUTE_POLL_MS = 2000;

// The index of the interface that the system's routing would send a packet to
// a public address through, IPv4 first, else IPv6; 0 when there is no route.
// No packet is sent.
DWORD InternetInterface();
