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

bool IsExeDot(const char* p) { return *p == '.' && (WordAt(p + 1) & EXE_MASK) == EXE_WORD; }

// The end of the program's name as typed: after its closing quote, or at the first blank.
char* EndOfProgramName(char* commandLine) {
  char* p = commandLine;
  if (*p == '"') {
    while (*++p && *p != '"') {
    }
    return *p ? p + 1 : p;
  }
  while (*p && *p != ' ' && *p != '\t') ++p;
  return p;
}

// The system's own name of the program's file, whose extension is its last dot.
char* LocateModulePath() {
  DWORD length = GetModuleFileNameA(nullptr, app.modulePath, sizeof app.modulePath);
  if (!length || length >= sizeof app.modulePath) return nullptr;  // cut short: no name to trust
  char* dot = nullptr;
  for (char* p = app.modulePath; *p; ++p)
    if (*p == '.') dot = p;
  return dot && IsExeDot(dot) ? dot : nullptr;
}

}  // namespace

char* LocateProgramPath(char* commandLine) {
  char* text = commandLine + (commandLine[0] == '"');
  char* options = nullptr;
  for (char* p = text; *p && !options; ++p) {
    if (IsExeDot(p)) {
      app.exePath = text;
      app.extPtr = options = p + 1;
    }
  }
  // The system's name of the program's file, whatever the command line: one
  // typed at a prompt from PATH has no folder ("Velnorid.exe"), or no ".exe"
  // either ("Velnorid /R"), and would name files in the prompt's folder.
  if (char* dot = LocateModulePath()) {
    app.exePath = app.modulePath;
    app.extPtr = dot + 1;
    if (!options) options = EndOfProgramName(commandLine);
  }
  return options;
}

const char* ProgramPathWithExtension(const char* extension) {
  for (u32 i = 0; i < 3; ++i) app.extPtr[i] = extension[i];
  app.extPtr[3] = 0;
  return app.exePath;
}
