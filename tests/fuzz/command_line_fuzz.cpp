// Any bytes as the command line: reading it and cutting the settings path
// stay inside the text, and every pointer set points into it, or into the
// program's path as the system gives it.
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
  // The program's path is in the text, or, for a text without ".exe", the system's name of the program's file.
  bool inText = inside(app.exePath);
  const char* pathEnd = inText ? end : app.modulePath + sizeof app.modulePath;
  if (!inText && app.exePath != app.modulePath) abort();
  if (app.extPtr <= app.exePath || app.extPtr + 3 >= pathEnd) abort();
  if (flags & ~0x7Fu) abort();
  if (app.cmdSettingsPath) {
    if (!inside(app.cmdSettingsPath) || (inText && app.cmdSettingsPath < app.extPtr)) abort();
    CutSettingsPath();
    size_t length = strlen(app.cmdSettingsPath);
    if (length && (app.cmdSettingsPath[length - 1] == ' ' || app.cmdSettingsPath[length - 1] == '"')) abort();
    if (strchr(app.cmdSettingsPath, '/')) abort();
  }
  return 0;
}
