// Any file of up to 400 bytes as the settings file: loading it, then painting
// readouts from it, must neither fault nor leave a setting out of its range.
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "app/app_state.h"
#include "app/program_path.h"
#include "app/settings_file.h"
#include "display/readouts.h"

static void Require(bool condition, const char* what) {
  if (!condition) {
    fprintf(stderr, "violated: %s\n", what);
    abort();
  }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static char folder[] = "/tmp/velnorid-fuzz-XXXXXX";
  static bool ready = mkdtemp(folder) != nullptr;
  if (!ready || size > 400) return 0;

  app = AppState{};
  fakewin::Reset();
  fakewin::SetFileRoot(folder);
  fakewin::SetCommandLine("fuzz.exe");
  LocateProgramPath(GetCommandLineA());
  FILE* file = fopen(fakewin::HostPath(SettingsFileName()), "wb");
  fwrite(data, 1, size, file);
  fclose(file);

  LoadSettings();
  for (u32 i = 0; i < SETTING_COUNT; ++i) {
    u32 number = app.settings[i] & (i >= SET_FONT ? SETTING_VALUE_MASK : 0xFFFFFFFF);
    Require(number >= settingRanges[i].min && number <= settingRanges[i].max, "setting in range");
  }
  Require(app.logFont.lfHeight != 0 && (app.logFont.lfHeight > 0 ? app.logFont.lfHeight : -app.logFont.lfHeight) <= 255,
          "usable font height");

  // The file's own bytes stand in for traffic and for the client width, which
  // comes from a 16-bit word of WM_SIZE.
  for (u32 i = 0; i < 2 * HISTORY_LENGTH; ++i) app.history[i] = size ? data[i % size] * 0x01010101u : 0;
  app.clientRect.right = size >= 22 ? i32(data[20] | data[21] << 8) : 0;
  Readout readouts[READOUT_COUNT];
  FormatReadouts(ComputeVisibleStats(), readouts);
  u32 used = 0;
  for (const Readout& r : readouts) used += r.length + 1;
  Require(used <= 86, "readouts fit their buffer");

  SaveSettings();
  Require(fakewin::OpenFileCount() == 0, "file closed");
  return 0;
}
