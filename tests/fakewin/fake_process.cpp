// Process-level calls of the fake Win32 and the reset of the whole fake.
#include <strings.h>

#include <cstring>
#include <memory>
#include <string>

#include "fakewin/fake_windows.h"

namespace fakewin {
FARPROC GetIfEntry2Proc();  // the fake GetIfEntry2, or null when the system is not to offer it
}

namespace {

// Exactly as long as its text, so that a read past its end is caught by the sanitizer.
std::unique_ptr<char[]> commandLine{new char[1]{}};
bool network = true;
int dpiAwareCalls = 0;
int coInitializeCalls = 0;
int coUninitializeCalls = 0;
int imeDisableCalls = 0;
DWORD commonControlClasses = 0;
std::string moduleFileName = "C:\\Tools\\Velnorid.exe";
const HMODULE USER32 = reinterpret_cast<HMODULE>(0x7E000000);
const HMODULE IPHLPAPI = reinterpret_cast<HMODULE>(0x7D000000);

int awareness = 0;  // declared once; 1: of the system's DPI, 2: of each monitor's, whose DPI its windows are told
UINT monitorDpi = USER_DEFAULT_SCREEN_DPI, systemDpi = USER_DEFAULT_SCREEN_DPI;
// Has the real function's type: the program calls it through that type.
BOOL WINAPI FakeSetProcessDPIAware() {
  ++dpiAwareCalls;
  awareness += !awareness;
  return TRUE;
}
BOOL WINAPI FakeSetProcessDpiAwarenessContext(HANDLE context) {
  return !awareness && context == DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2 && (awareness = 2);
}
UINT WINAPI FakeGetDpiForSystem() { return systemDpi; }
UINT WINAPI FakeGetDpiForWindow(HWND) { return awareness == 2 ? monitorDpi : systemDpi; }
// The fake's awareness contexts are the awareness numbers themselves.
HANDLE WINAPI FakeGetThreadDpiAwarenessContext() { return reinterpret_cast<HANDLE>(intptr_t(awareness)); }
int WINAPI FakeGetAwarenessFromDpiAwarenessContext(HANDLE context) { return int(reinterpret_cast<intptr_t>(context)); }

}  // namespace

LPSTR GetCommandLineA() { return commandLine.get(); }

// As Windows XP does it: a name that does not fit is cut to the buffer, without its NUL.
DWORD GetModuleFileNameA(HMODULE, LPSTR name, DWORD size) {
  DWORD length = DWORD(moduleFileName.size());
  if (length >= size) {
    memcpy(name, moduleFileName.data(), size);
    return size;
  }
  memcpy(name, moduleFileName.c_str(), length + 1);
  return length;
}

// The texts of the errors a settings file meets, as Windows words them.
DWORD FormatMessageA(DWORD flags, LPCVOID, DWORD id, DWORD, LPSTR buffer, DWORD size, void*) {
  struct ErrorText {
    DWORD id;
    const char* text;
  };
  static constexpr ErrorText texts[]{
      {ERROR_PATH_NOT_FOUND, "The system cannot find the path specified."},
      {ERROR_ACCESS_DENIED, "Access is denied."},
      {ERROR_SHARING_VIOLATION, "The process cannot access the file because it is being used by another process."},
      {ERROR_WRITE_PROTECT, "The media is write protected."},
      {ERROR_DISK_FULL, "There is not enough space on the disk."},
  };
  DWORD width = flags & FORMAT_MESSAGE_MAX_WIDTH_MASK;
  if ((flags & ~width) != (FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS)) return 0;
  for (const ErrorText& t : texts) {
    std::string text = std::string(t.text) + (width == FORMAT_MESSAGE_MAX_WIDTH_MASK ? " " : "\r\n");
    if (t.id != id || text.size() >= size) continue;
    memcpy(buffer, text.c_str(), text.size() + 1);
    return DWORD(text.size());
  }
  return 0;
}

int GetSystemMetrics(int index) { return index == SM_NETWORK ? (network ? 3 : 2) : 0; }

HMODULE LoadLibraryA(LPCSTR name) {
  if (strcasecmp(name, "user32.dll") == 0) return USER32;
  return strcasecmp(name, "iphlpapi.dll") == 0 ? IPHLPAPI : nullptr;
}

FARPROC GetProcAddress(HMODULE module, LPCSTR name) {
  if (module == IPHLPAPI && strcmp(name, "GetIfEntry2") == 0) return fakewin::GetIfEntry2Proc();
  const std::pair<const char*, void*> user32[]{{"SetProcessDPIAware", reinterpret_cast<void*>(FakeSetProcessDPIAware)},
      {"SetProcessDpiAwarenessContext", reinterpret_cast<void*>(FakeSetProcessDpiAwarenessContext)},
      {"GetDpiForSystem", reinterpret_cast<void*>(FakeGetDpiForSystem)},
      {"GetDpiForWindow", reinterpret_cast<void*>(FakeGetDpiForWindow)},
      {"GetThreadDpiAwarenessContext", reinterpret_cast<void*>(FakeGetThreadDpiAwarenessContext)},
      {"GetAwarenessFromDpiAwarenessContext", reinterpret_cast<void*>(FakeGetAwarenessFromDpiAwarenessContext)}};
  for (size_t i = 0; module == USER32 && i < (monitorDpi ? std::size(user32) : 1u); ++i)
    if (strcmp(name, user32[i].first) == 0) return reinterpret_cast<FARPROC>(user32[i].second);
  return nullptr;
}

BOOL FreeLibrary(HMODULE module) { return module == USER32 || module == IPHLPAPI; }

BOOL ImmDisableIME(DWORD) {
  ++imeDisableCalls;
  return TRUE;
}

HRESULT CoInitializeEx(LPVOID, DWORD) {
  ++coInitializeCalls;
  return 0;
}

void CoUninitialize() { ++coUninitializeCalls; }

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* controls) {
  commonControlClasses |= controls->dwICC;
  return TRUE;
}

void ExitProcess(UINT exitCode) { throw fakewin::ProcessExit{exitCode}; }

namespace fakewin {

void ResetFiles();
void ResetGdi();
void ResetUser();
void ResetSystem();
void ResetMenus();
void ResetDialogs();

void Reset() {
  ResetDialogs();
  network = true;
  dpiAwareCalls = coInitializeCalls = coUninitializeCalls = imeDisableCalls = 0;
  awareness = 0, monitorDpi = systemDpi = USER_DEFAULT_SCREEN_DPI;
  commonControlClasses = 0;
  ResetSystem();
  ResetMenus();
  ResetFiles();
  ResetGdi();
  ResetUser();
  commandLine.reset(new char[1]{});
  moduleFileName = "C:\\Tools\\Velnorid.exe";
}

void SetNetwork(bool present) { network = present; }
int DpiAwareCalls() { return dpiAwareCalls; }
void SetMonitorDpi(UINT dpi, UINT system, int before) { monitorDpi = dpi, systemDpi = system, awareness = before; }
int CoInitializeCalls() { return coInitializeCalls; }
int CoUninitializeCalls() { return coUninitializeCalls; }
DWORD CommonControlClasses() { return commonControlClasses; }
int ImeDisableCalls() { return imeDisableCalls; }

void SetModuleFileName(const char* windowsName) { moduleFileName = windowsName; }

void SetCommandLine(const char* text) {
  size_t size = strlen(text) + 1;
  commandLine.reset(new char[size]);
  memcpy(commandLine.get(), text, size);
}

}  // namespace fakewin
