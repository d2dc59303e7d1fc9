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
    // The held row's state stays as current as GetIfEntry keeps it: a rescan looks at it.
    bool up = wide.OperStatus == IfOperStatusUp;
    row.dwOperStatus = up ? MIB_IF_OPER_STATUS_OPERATIONAL : MIB_IF_OPER_STATUS_NON_OPERATIONAL;
    reading = {wide.InOctets, wide.OutOctets, 1};
    return true;
  }
  if (GetIfEntry(&row) != NO_ERROR) return false;
  reading = {row.dwInOctets, row.dwOutOctets, 0};
  return true;
}
