// The program's entry: no runtime library runs before it, and every way out
// of it ends the process with exit code 0.
#include "app/startup.h"


#include "app/app_state.h"
#include "app/command_line.h"
#include "app/settings_file.h"
#include "app/start_flags.h"
#include "display/painter.h"
#include "measure/adapters.h"
#include "measure/interface_counters.h"
#include "measure/reset_stamp.h"
#include "measure/sampler.h"
#include "res/resource.h"
#include "ui/dialogs.h"
#include "ui/keys.h"
#include "ui/main_window.h"

namespace {

struct StartKey {
  int key;
  u32 flag;
};
constexpr StartKey startKeys[]{{VK_CONTROL, START_DUPLICATE}, {VK_NONCONVERT, START_NO_DPI}, {VK_SHIFT, START_RESET}};

constexpr UINT CLASS_STYLE = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;
constexpr DWORD WINDOW_STYLE = WS_POPUP | WS_VISIBLE | WS_THICKFRAME;
constexpr u32 MAIN_POPUP_POSITION = 0;
constexpr u32 SETTING_MENU_POSITION = 7;
constexpr u32 ADAPTER_MENU_POSITION = 8;
constexpr DWORD ALL_THREADS = DWORD(-1);
constexpr int NETWORK_PRESENT = 1;  // bit 0 of SM_NETWORK

u32 FlagsFromHeldKeys() {
  u32 flags = 0;
  for (const StartKey& k : startKeys)
    if (KeyHeld(k.key)) flags |= k.flag;
  return flags;
}

// An entry point of a system library, looked up at run time: the program
// still loads on systems that lack it.
template <typename Proc>
Proc Entry(HMODULE library, const char* name) {
  return reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

// Per-monitor awareness where Windows has it (10, version 1703, on): the window
// draws sharp at each monitor's DPI. Elsewhere system awareness, and Windows
// stretches the window on a monitor of another scaling. An awareness set before
// the program asked (the compatibility settings' override) stays: the thread's
// tells which one the process has. user32 stays loaded (the program imports
// it), so the DPI call looked up here stays valid.
void DeclareDpiAware() {
  HMODULE user32 = LoadLibraryA("user32.dll");
  if (!user32) return;
  using SetContextProc = BOOL(WINAPI*)(HANDLE context);
  using ThreadContextProc = HANDLE(WINAPI*)();
  using AwarenessProc = int(WINAPI*)(HANDLE context);
  using SystemDpiProc = UINT(WINAPI*)();
  using DpiAwareProc = BOOL(WINAPI*)();
  auto perMonitor = Entry<SetContextProc>(user32, "SetProcessDpiAwarenessContext");
  auto threadContext = Entry<ThreadContextProc>(user32, "GetThreadDpiAwarenessContext");
  auto awareness = Entry<AwarenessProc>(user32, "GetAwarenessFromDpiAwarenessContext");
  auto systemDpi = Entry<SystemDpiProc>(user32, "GetDpiForSystem");
  auto windowDpi = Entry<GetDpiForWindowProc>(user32, "GetDpiForWindow");
  if (perMonitor && threadContext && awareness && systemDpi && windowDpi) {
    perMonitor(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    if (awareness(threadContext()) == DPI_AWARENESS_PER_MONITOR_AWARE) {
      app.systemDpi = app.windowDpi = systemDpi();
      app.getDpiForWindow = windowDpi;
    }
  } else if (auto systemAware = Entry<DpiAwareProc>(user32, "SetProcessDPIAware")) {
    systemAware();
  }
  FreeLibrary(user32);
}

// A running instance is shown on top, whatever its own Top Most option.
bool ShowRunningInstance() {
  HWND running = FindWindowA(programName, programName);
  if (!running) return false;
  SetWindowPos(running, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW);
  return true;
}

// The setting dialog's up-down control is a common control: register its class.
void RegisterCommonControls() {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_UPDOWN_CLASS};
  InitCommonControlsEx(&controls);
}

void RegisterMainClass(HINSTANCE instance) {
  app.appIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_APP));
  WNDCLASSA c{};
  c.style = CLASS_STYLE;
  c.lpfnWndProc = MainWndProc;
  c.hInstance = instance;
  c.hIcon = app.appIcon;
  c.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  c.hbrBackground = static_cast<HBRUSH>(app.gdiTable[GDI_BACK_BRUSH]);
  c.lpszClassName = programName;
  RegisterClassA(&c);
}

void CreatePens() {
  for (u32 c = COLOR_RECV_GRAPH; c <= COLOR_GUIDE; ++c) app.gdiTable[PenSlot(c)] = CreatePen(PS_SOLID, 1, app.colors[c]);
}

// Top Most becomes WS_EX_TOPMOST (0x8); Task Bar removes WS_EX_TOOLWINDOW (0x80).
DWORD ExtendedStyle() { return ((app.optionFlags & (OPT_TOPMOST | OPT_TASKBAR)) << 3) ^ (WS_EX_LAYERED | WS_EX_TOOLWINDOW); }

// No TranslateMessage: keys reach the window only as WM_KEYDOWN and WM_KEYUP.
void RunMessageLoop() {
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
}

// The device context goes before the objects selected into it.
[[noreturn]] void ShutDown() {
  CoUninitialize();
  DeleteDC(app.memoryDC);
  for (HGDIOBJ object : app.gdiTable) DeleteObject(object);
  DestroyMenu(app.menuBar);
  if (app.ifTable) GlobalFree(app.ifTable);
  ExitProcess(0);
}

}  // namespace

void LoadMenus(HINSTANCE instance) {
  app.menuBar = LoadMenuA(instance, MAKEINTRESOURCEA(IDR_MENU));
  app.mainPopup = GetSubMenu(app.menuBar, MAIN_POPUP_POSITION);
  app.adapterMenu = GetSubMenu(app.mainPopup, ADAPTER_MENU_POSITION);
  app.settingMenu = GetSubMenu(app.mainPopup, SETTING_MENU_POSITION);
}

bool CreateEverything(u32 flags) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  app.gdiTable[GDI_BACK_BRUSH] = CreateSolidBrush(app.colors[COLOR_BACK]);
  if (!app.gdiTable[GDI_BACK_BRUSH]) return false;
  RegisterMainClass(instance);
  LoadMenus(instance);
  StampReset(flags);
  FindWideCounters();
  if (!ScanAdapters(flags & START_ALL_ADAPTERS)) return false;  // nothing to measure: no window
  CreatePens();
  ApplyFont(FONT_FROM_LOGFONT);
  // The first paint selects the new font without deleting the device context's own.
  app.pendingSelect &= PENDING_FONT_KEEP;
  const RECT& r = app.windowRect;
  app.mainWindow = CreateWindowExA(ExtendedStyle(), programName, programName, WINDOW_STYLE, r.left, r.top,
                                   r.right - r.left, r.bottom - r.top, nullptr, nullptr, instance, nullptr);
  if (!app.mainWindow) return false;
  // Windows draws nothing of a layered window until its attributes are set,
  // and a window started in the background is not activated.
  ApplyAppearance(app.mainWindow);
  return true;
}

extern "C" [[noreturn]] void WINAPI StartUp() {
  u32 flags = FlagsFromHeldKeys();
  if (!(GetSystemMetrics(SM_NETWORK) & NETWORK_PRESENT)) ExitProcess(0);
  if (!ReadCommandLine(GetCommandLineA(), flags)) ExitProcess(0);
  if (!(flags & START_NO_DPI)) DeclareDpiAware();
  if (app.cmdSettingsPath) {
    CutSettingsPath();  // a settings path of its own: a second instance is wanted
  } else if (!(flags & START_DUPLICATE) && ShowRunningInstance()) {
    ExitProcess(0);
  }
  LoadSettings();  // an interval below 80 is repaired to 1000 here
  if (flags & (START_PLAIN | START_COLORKEY)) app.modeFlags = (flags & START_COLORKEY) ? MODE_COLORKEY : 0;
  ImmDisableIME(ALL_THREADS);
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  RegisterCommonControls();
  if (CreateEverything(flags)) {
    SetTimer(app.mainWindow, SAVE_TIMER_ID, SAVE_PERIOD_MS, SaveTick);
    SetTimer(app.mainWindow, SAMPLE_TIMER_ID, app.settings[SET_INTERVAL], SampleTick);
    CheckSettingsWritable();  // over the window, so the user sees which program speaks
    RunMessageLoop();
  }
  ShutDown();
}
