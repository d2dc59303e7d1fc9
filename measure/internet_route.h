// Which interface Windows sends internet traffic through now.
#pragma once

#include "platform/win32.h"

// The index of the interface that the system's routing would send a packet to
// a public address through, IPv4 first, else IPv6; 0 when there is no route.
// No packet is sent.
DWORD InternetInterface();
