// Process-level calls of the fake Win32 and the reset of the whole fake.
#include <cstring>

#include "fakewin/fake_windows.h"

namespace {
char commandLine[4096];
}

LPSTR GetCommandLineA() { return commandLine; }

void ExitProcess(UINT exitCode) { throw fakewin::ProcessExit{exitCode}; }

namespace fakewin {

void ResetFiles();
void ResetGdi();
void ResetUser();
void ResetSystem();
void ResetMenus();

void Reset() {
  ResetSystem();
  ResetMenus();
  ResetFiles();
  ResetGdi();
  ResetUser();
  commandLine[0] = 0;
}

void SetCommandLine(const char* text) {
  strncpy(commandLine, text, sizeof commandLine - 1);
  commandLine[sizeof commandLine - 1] = 0;
}

}  // namespace fakewin
