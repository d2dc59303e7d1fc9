// Any bytes as the command line: reading it and cutting the settings path
// stay inside the text, and every pointer set points into it.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/app_state.h"
#include "app/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // An exact-size copy, so reading a byte past its NUL is caught.
  std::vector<char> text(data, data + size);
  text.push_back(0);
  app = AppState{};
  u32 flags = 0;
  bool found = ReadCommandLine(text.data(), flags);
  const char* begin = text.data();
  const char* end = begin + text.size();
  auto inside = [&](const char* p) { return p >= begin && p < end; };
  if (!found) return 0;
  if (!inside(app.exePath) || !inside(app.extPtr) || app.extPtr + 3 >= end) abort();
  if (flags & ~0x7Fu) abort();
  if (app.cmdSettingsPath) {
    if (!inside(app.cmdSettingsPath) || app.cmdSettingsPath < app.extPtr) abort();
    CutSettingsPath();
    size_t length = strlen(app.cmdSettingsPath);
    if (length && (app.cmdSettingsPath[length - 1] == ' ' || app.cmdSettingsPath[length - 1] == '"')) abort();
    if (strchr(app.cmdSettingsPath, '/')) abort();
  }
  return 0;
}
