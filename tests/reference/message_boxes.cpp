// Reads the message boxes a program shows, for the end-to-end tests: started
// with a caption, it prints the text of every shown window of that caption,
// one box after another, and exits with how many there were.
#include <windows.h>

namespace {

constexpr int MESSAGE_TEXT_ID = 0xFFFF;  // the static control that holds a message box's text
constexpr int TEXT_SIZE = 4096;

// The first argument after the program's own name, without the quotes that
// a caption with blanks comes in; written into the command line in place.
char* Argument(char* line) {
  bool quoted = *line == '"';
  for (line += quoted; *line && (quoted ? *line != '"' : *line != ' '); ++line) {
  }
  if (*line == '"') ++line;
  while (*line == ' ') ++line;
  if (*line != '"') return line;
  char* end = ++line;
  while (*end && *end != '"') ++end;
  *end = 0;
  return line;
}

void Print(const char* text) {
  DWORD written;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text, lstrlenA(text), &written, nullptr);
}

}  // namespace

extern "C" void WINAPI MessageBoxesStart() {
  const char* caption = Argument(GetCommandLineA());
  UINT found = 0;
  for (HWND box = FindWindowExA(nullptr, nullptr, nullptr, caption); box;
       box = FindWindowExA(nullptr, box, nullptr, caption)) {
    if (!IsWindowVisible(box)) continue;
    char* text = static_cast<char*>(VirtualAlloc(nullptr, TEXT_SIZE, MEM_COMMIT, PAGE_READWRITE));
    GetDlgItemTextA(box, MESSAGE_TEXT_ID, text, TEXT_SIZE);
    Print(text);
    Print("\n\f\n");  // between boxes
    VirtualFree(text, 0, MEM_RELEASE);
    ++found;
  }
  ExitProcess(found);
}
