// Holds a file open without sharing, as a sync or backup client does, for the
// end-to-end tests: started with a time in milliseconds and a file name, it
// opens the file, prints "held" once it has it, waits that long and ends.
// Exits with 1 when the file could not be opened.
#include <windows.h>

extern "C" void WINAPI HoldFileStart() {
  char* line = GetCommandLineA();
  while (*line && *line != ' ') ++line;  // the program's own name, without blanks
  DWORD milliseconds = 0;
  for (++line; *line >= '0' && *line <= '9'; ++line) milliseconds = milliseconds * 10 + DWORD(*line - '0');
  HANDLE file = CreateFileA(line + 1, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) ExitProcess(1);
  DWORD written;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), "held\n", 5, &written, nullptr);
  Sleep(milliseconds);
  CloseHandle(file);
  ExitProcess(0);
}
