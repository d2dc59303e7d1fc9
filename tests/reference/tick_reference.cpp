// The floor a tick of the graph can cost: a window of the graph's class and
// styles and size whose timer reads one interface row and copies one picture
// of the client area to the screen, and does nothing else. It reads the row
// with GetIfEntry2 where the system has it, as the program does. Started with the
// interval in milliseconds as its last argument, after "route" to look at the
// internet's route as often as the program following it does; the interface is
// the first one of the table that is not the loopback.
#include "measure/internet_route.h"

namespace {

MIB_IFROW row;
MIB_IF_ROW2 wideRow;
DWORD(WINAPI* getIfEntry2)(MIB_IF_ROW2*);
HDC windowDC, memoryDC;
RECT client;
UINT interval, routeWait;
bool followsRoute;

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
  if (getIfEntry2) {
    wideRow.InterfaceLuid.Value = 0;  // named by its index alone each time, as the program names it
    getIfEntry2(&wideRow);
  } else {
    GetIfEntry(&row);
  }
  BitBlt(windowDC, 0, 0, client.right, client.bottom, memoryDC, 0, 0, SRCCOPY);
  if (followsRoute && ++routeWait * interval >= ROUTE_POLL_MS) {
    routeWait = 0;
    InternetInterface();
  }
}

LRESULT CALLBACK ReferenceProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    Tick(nullptr, 0, 0, 0);
    EndPaint(window, &paint);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void ReadArguments() {
  const char* text = GetCommandLineA();
  const char* last = text;
  for (const char* p = text; *p; ++p)
    if (*p == ' ') last = p + 1;
  constexpr char ROUTE[] = "route ";
  followsRoute = last - text > 6;
  for (int i = 0; followsRoute && i < 6; ++i) followsRoute = last[i - 6] == ROUTE[i];
  UINT value = 0;
  while (*last >= '0' && *last <= '9') value = value * 10 + UINT(*last++ - '0');
  interval = value ? value : 1000;
}

DWORD FirstInterface() {
  // The table in memory of its own, so that its rows are the trailing array they are.
  ULONG size = 64 * 1024;  // room for a few hundred rows
  auto* table = static_cast<MIB_IFTABLE*>(VirtualAlloc(nullptr, size, MEM_COMMIT, PAGE_READWRITE));
  if (!table || GetIfTable(table, &size, TRUE) != NO_ERROR) return 0;
  for (DWORD i = 0; i < table->dwNumEntries; ++i)
    if (table->table[i].dwType != IF_TYPE_SOFTWARE_LOOPBACK) return table->table[i].dwIndex;
  return 0;
}

}  // namespace

extern "C" void WINAPI ReferenceStart() {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA c{};
  c.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;
  c.lpfnWndProc = ReferenceProc;
  c.hInstance = instance;
  c.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  c.lpszClassName = "TickReference";
  RegisterClassA(&c);
  HWND window = CreateWindowExA(WS_EX_LAYERED | WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "TickReference", "TickReference",
                                WS_POPUP | WS_VISIBLE | WS_THICKFRAME, 10, 10, 350, 200, nullptr, nullptr, instance,
                                nullptr);
  SetLayeredWindowAttributes(window, 0, 204, LWA_ALPHA);
  GetClientRect(window, &client);
  windowDC = GetDC(window);
  memoryDC = CreateCompatibleDC(windowDC);
  SelectObject(memoryDC, CreateCompatibleBitmap(windowDC, client.right, client.bottom));
  wideRow.InterfaceIndex = row.dwIndex = FirstInterface();
  getIfEntry2 = reinterpret_cast<decltype(getIfEntry2)>(
      reinterpret_cast<void*>(GetProcAddress(LoadLibraryA("iphlpapi.dll"), "GetIfEntry2")));
  ReadArguments();
  SetTimer(window, 1, interval, Tick);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
  ExitProcess(0);
}
