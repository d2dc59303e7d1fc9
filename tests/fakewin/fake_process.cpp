// Process-level calls of the fake Win32 and the reset of the whole fake.
#include <strings.h>

#include <cstring>
#include <memory>

#include "fakewin/fake_windows.h"

namespace {

// Exactly as long as its text, so that a read past its end is caught by the sanitizer.
std::unique_ptr<char[]> commandLine{new char[1]{}};
bool network = true;
int dpiAwareCalls = 0;
int coInitializeCalls = 0;
int coUninitializeCalls = 0;
int imeDisableCalls = 0;
DWORD commonControlClasses = 0;
const HMODULE USER32 = reinterpret_cast<HMODULE>(0x7E000000);

// Has the real function's type: the program calls it through that type.
BOOL WINAPI FakeSetProcessDPIAware() {
  ++dpiAwareCalls;
  return TRUE;
}

}  // namespace

LPSTR GetCommandLineA() { return commandLine.get(); }

int GetSystemMetrics(int index) { return index == SM_NETWORK ? (network ? 3 : 2) : 0; }

HMODULE LoadLibraryA(LPCSTR name) { return strcasecmp(name, "user32.dll") == 0 ? USER32 : nullptr; }

FARPROC GetProcAddress(HMODULE module, LPCSTR name) {
  bool dpi = module == USER32 && strcmp(name, "SetProcessDPIAware") == 0;
  return dpi ? reinterpret_cast<FARPROC>(reinterpret_cast<void*>(FakeSetProcessDPIAware)) : nullptr;
}

BOOL FreeLibrary(HMODULE module) { return module == USER32; }

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
  commonControlClasses = 0;
  ResetSystem();
  ResetMenus();
  ResetFiles();
  ResetGdi();
  ResetUser();
  commandLine.reset(new char[1]{});
}

void SetNetwork(bool present) { network = present; }
int DpiAwareCalls() { return dpiAwareCalls; }
int CoInitializeCalls() { return coInitializeCalls; }
int CoUninitializeCalls() { return coUninitializeCalls; }
DWORD CommonControlClasses() { return commonControlClasses; }
int ImeDisableCalls() { return imeDisableCalls; }

void SetCommandLine(const char* text) {
  size_t size = strlen(text) + 1;
  commandLine.reset(new char[size]);
  memcpy(commandLine.get(), text, size);
}

}  // namespace fakewin
