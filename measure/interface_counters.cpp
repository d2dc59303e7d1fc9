#include "measure/interface_counters.h"

#include "app/app_state.h"

void FindWideCounters() {
  // iphlpapi is among the program's imports, so it stays loaded while the pointer is used.
  HMODULE iphlpapi = LoadLibraryA("iphlpapi.dll");
  FARPROC proc = iphlpapi ? GetProcAddress(iphlpapi, "GetIfEntry2") : nullptr;
  app.getIfEntry2 = reinterpret_cast<GetIfEntry2Proc>(reinterpret_cast<void*>(proc));
}

bool ReadCounters(MIB_IFROW& row, CounterReading& reading) {
  if (app.getIfEntry2) {
    MIB_IF_ROW2 wide;
    wide.InterfaceLuid.Value = 0;  // the interface is named by its index alone
    wide.InterfaceIndex = row.dwIndex;
    if (app.getIfEntry2(&wide) != NO_ERROR) return false;
    reading = {wide.InOctets, wide.OutOctets, wide.OperStatus == IfOperStatusUp, 1};
    return true;
  }
  if (GetIfEntry(&row) != NO_ERROR) return false;
  reading = {row.dwInOctets, row.dwOutOctets, row.dwOperStatus == MIB_IF_OPER_STATUS_OPERATIONAL, 0};
  return true;
}
