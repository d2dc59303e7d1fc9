#include "ui/commands.h"

#include "app/app_state.h"
#include "measure/adapters.h"
#include "res/resource.h"

void RunCommand(HWND, u32 id, u32 modifier) {
  if (id >= IDM_ADAPTER_BASE) SelectAdapter(id - IDM_ADAPTER_BASE, modifier);
  // A click that follows a command is timed from the command.
  app.lastInputTick = GetTickCount();
}
