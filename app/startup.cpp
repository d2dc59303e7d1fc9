// The program's entry: no runtime library runs before it, and it ends the
// process itself.
#include "app/app_state.h"
#include "app/program_path.h"
#include "app/settings_file.h"

extern "C" [[noreturn]] void WINAPI StartUp() {
  if (LocateProgramPath(GetCommandLineA())) {
    LoadSettings();
    SaveSettings();
  }
  ExitProcess(0);
}
