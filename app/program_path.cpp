#include "app/program_path.h"

#include "app/app_state.h"

namespace {

// ".exe" in any case followed by NUL, blank, '"' or 0x02, read as one little-endian
// word after the dot: the mask folds case and maps all four endings to 0.
constexpr u32 EXE_MASK = 0xDDDFDFDF;
constexpr u32 EXE_WORD = 0x00455845;  // 'E', 'X', 'E', NUL

u32 WordAt(const char* p) {
  u32 word = 0;
  // Byte by byte, stopping at the text's end, so nothing past the NUL is read.
  for (u32 i = 0; i < 4; ++i) {
    word |= u32(u8(p[i])) << (8 * i);
    if (!p[i]) break;
  }
  return word;
}

}  // namespace

bool LocateProgramPath(char* commandLine) {
  char* text = commandLine + (commandLine[0] == '"');
  app.exePath = text;
  for (char* p = text; *p; ++p) {
    if (*p == '.' && (WordAt(p + 1) & EXE_MASK) == EXE_WORD) {
      app.extPtr = p + 1;
      return true;
    }
  }
  return false;
}

const char* ProgramPathWithExtension(const char* extension) {
  for (u32 i = 0; i < 3; ++i) app.extPtr[i] = extension[i];
  app.extPtr[3] = 0;
  return app.exePath;
}
