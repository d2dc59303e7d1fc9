// Any file of up to 400 bytes as the settings file: loading it, then painting
// readouts from it, must neither fault nor leave a setting out of its range;
// saving puts the loaded image over the file's first 220 bytes and leaves the
// rest, and loading what was saved gives the same image back.
// The file lives in the fake's memory, which is checked against real files
// once at start, so that a run costs no file system calls.
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>

#include "app/app_state.h"
#include "app/program_path.h"
#include "app/settings_file.h"
#include "display/readouts.h"

namespace {

constexpr size_t MAX_FILE_SIZE = 400;
constexpr size_t MISSING = size_t(-1);

void Require(bool condition, const char* what) {
  if (!condition) {
    fprintf(stderr, "violated: %s\n", what);
    abort();
  }
}

SettingsImage& Image() { return app; }

struct SettingsFile {
  const uint8_t* bytes;
  size_t size;  // MISSING for no file
  bool readOnly;
  bool heldOpen;  // by another process while the program loads and saves
};

// What one start and exit of the program made of a settings file.
struct Outcome {
  SettingsImage loaded;
  uint8_t after[fakewin::MEMORY_FILE_CAPACITY];
  size_t afterSize;
};

char folder[] = "/tmp/velnorid-fuzz-XXXXXX";

// A run leaves nothing behind in /tmp.
void RemoveFolder() { std::filesystem::remove_all(folder); }

void PutFile(bool inMemory, const char* name, const SettingsFile& file) {
  if (file.size == MISSING) return;
  if (inMemory) return fakewin::PutMemoryFile(name, file.bytes, file.size, file.readOnly);
  const char* path = fakewin::HostPath(name);
  FILE* f = fopen(path, "wb");
  fwrite(file.bytes, 1, file.size, f);
  fclose(f);
  if (file.readOnly) chmod(path, 0444);
}

size_t GetFile(bool inMemory, const char* name, uint8_t* out) {
  if (inMemory) {
    size_t size;
    const BYTE* bytes = fakewin::MemoryFileBytes(name, size);
    if (bytes) memcpy(out, bytes, size);
    return bytes ? size : MISSING;
  }
  FILE* f = fopen(fakewin::HostPath(name), "rb");
  if (!f) return MISSING;
  size_t size = fread(out, 1, fakewin::MEMORY_FILE_CAPACITY, f);
  fclose(f);
  return size;
}

void LoadAndSave(bool inMemory, const SettingsFile& file, Outcome& outcome) {
  app = AppState{};
  fakewin::Reset();
  fakewin::UseMemoryFiles(inMemory);
  fakewin::SetFileRoot(folder);
  fakewin::SetCommandLine("fuzz.exe");
  fakewin::SetModuleFileName("fuzz.exe");
  LocateProgramPath(GetCommandLineA());
  const char* name = SettingsFileName();
  if (!inMemory) unlink(fakewin::HostPath(name));
  PutFile(inMemory, name, file);
  HANDLE holder = file.heldOpen ? CreateFileA(name, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr) : nullptr;
  LoadSettings();
  outcome.loaded = Image();
  SaveSettings();
  if (holder) CloseHandle(holder);
  Require(fakewin::OpenFileCount() == 0, "file closed");
  outcome.afterSize = GetFile(inMemory, name, outcome.after);
}

// The memory files stand in for real ones only where they behave alike.
void CompareWithRealFiles() {
  uint8_t image[300];
  memset(image, 0x5A, sizeof image);
  SettingsImage changed;
  changed.totalRecvKiB = 12345;
  changed.settings[SET_PLOT] = 50;
  memcpy(image, &changed, sizeof changed);
  const SettingsFile cases[]{
      {image, MISSING, false, false}, {image, 10, false, false},  {image, 120, false, false},
      {image, 300, false, false},     {image, 220, true, false},  {image, 220, false, true},
  };
  static Outcome real, memory;
  for (const SettingsFile& file : cases) {
    LoadAndSave(false, file, real);
    LoadAndSave(true, file, memory);
    Require(memcmp(&real.loaded, &memory.loaded, sizeof real.loaded) == 0, "memory file loads like a real one");
    Require(real.afterSize == memory.afterSize &&
                (real.afterSize == MISSING || memcmp(real.after, memory.after, real.afterSize) == 0),
            "memory file is saved like a real one");
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  Require(mkdtemp(folder) != nullptr, "test folder made");
  atexit(RemoveFolder);
  CompareWithRealFiles();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > MAX_FILE_SIZE) return 0;
  static Outcome outcome;
  LoadAndSave(true, {data, size, false, false}, outcome);

  for (u32 i = 0; i < SETTING_COUNT; ++i) {
    u32 number = app.settings[i] & (i >= SET_FONT ? SETTING_VALUE_MASK : 0xFFFFFFFF);
    Require(number >= settingRanges[i].min && number <= settingRanges[i].max, "setting in range");
  }
  Require(app.logFont.lfHeight != 0 && (app.logFont.lfHeight > 0 ? app.logFont.lfHeight : -app.logFont.lfHeight) <= 255,
          "usable font height");

  if (app.fileKept)  // longer than ours and rejected: a file of the user's own
    Require(size > SETTINGS_FILE_SIZE && outcome.afterSize == size && memcmp(outcome.after, data, size) == 0,
            "a file not ours is left as it is");
  else
    Require(outcome.afterSize == (size > SETTINGS_FILE_SIZE ? size : SETTINGS_FILE_SIZE) &&
              memcmp(outcome.after, &outcome.loaded, SETTINGS_FILE_SIZE) == 0 &&
              (size <= SETTINGS_FILE_SIZE ||
               memcmp(outcome.after + SETTINGS_FILE_SIZE, data + SETTINGS_FILE_SIZE, size - SETTINGS_FILE_SIZE) == 0),
          "saved over the first 220 bytes only");
  Image() = SettingsImage{};
  LoadSettings();
  Require(memcmp(&Image(), &outcome.loaded, SETTINGS_FILE_SIZE) == 0, "what was saved loads unchanged");

  // The file's own bytes stand in for traffic and for the client width, which
  // comes from a 16-bit word of WM_SIZE.
  for (u32 i = 0; i < 2 * HISTORY_LENGTH; ++i) app.history[i] = size ? data[i % size] * 0x01010101u : 0;
  app.clientRect.right = size >= 22 ? i32(data[20] | data[21] << 8) : 0;
  Readout readouts[READOUT_COUNT];
  FormatReadouts(ComputeVisibleStats(), readouts);
  u32 used = 0;
  for (const Readout& r : readouts) used += r.length + 1;
  Require(used <= 86, "readouts fit their buffer");
  return 0;
}
