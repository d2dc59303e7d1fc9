#include "measure/internet_route.h"

namespace {

// Any public address will do: without a route of its own, the routing table
// answers with its default route, which is the internet's, VPNs' included.
// Windows' socket addresses: the family, the port, then the address.
constexpr SOCKADDR_IN PUBLIC_IPV4{AF_INET, 0, {{{8, 8, 8, 8}}}, {}};
constexpr SOCKADDR_IN6 PUBLIC_IPV6{
    AF_INET6, 0, 0, {{{0x20, 0x01, 0x48, 0x60, 0x48, 0x60, 0, 0, 0, 0, 0, 0, 0, 0, 0x88, 0x88}}}, {}};

DWORD BestInterface(const void* address) {
  DWORD index = 0;
  // The address is only read, though the declaration does not say so.
  auto* to = static_cast<sockaddr*>(const_cast<void*>(address));
  return GetBestInterfaceEx(to, &index) == NO_ERROR ? index : 0;
}

}  // namespace

DWORD InternetInterface() {
  DWORD index = BestInterface(&PUBLIC_IPV4);
  return index ? index : BestInterface(&PUBLIC_IPV6);
}
