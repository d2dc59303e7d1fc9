// Sends the running graph's window what Windows sends it when the machine
// suspends or resumes, when devices change, or when the user logs off, which
// nothing makes Wine send, nor for a move to a monitor of another scaling;
// and a user's close, where taskkill finds no process (under qemu-user).
// Started with one word: "suspend", "resume", "devices", "logoff", "close" or "dpi".
// Exits with 0 when the window took every message as handled, 1 when there was
// no window or it did not, 2 for a word it does not know.
#include <windows.h>
#include <dbt.h>

namespace {

struct SystemEvent {
  const char* name;
  UINT message;
  WPARAM event;
  DWORD_PTR handled;  // what the window answers when it takes the message
};
// On waking, Windows tells of the automatic resume first, then of the user's.
constexpr SystemEvent events[]{
    {"suspend", WM_POWERBROADCAST, PBT_APMSUSPEND, TRUE},
    {"resume", WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, TRUE},
    {"resume", WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, TRUE},
    {"devices", WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, TRUE},
    {"logoff", WM_QUERYENDSESSION, 0, TRUE},
    {"close", WM_CLOSE, 0, 0},
};

// The last word of the command line.
const char* LastWord(const char* line) {
  const char* word = line;
  for (const char* at = line; *at; ++at)
    if (at[0] == ' ' && at[1] && at[1] != ' ') word = at + 1;
  return word;
}

// The word "dpi": WM_DPICHANGED for 144 dpi, its rectangle (a default window grown by half) in the window's process.
bool SendDpiChange(HWND window) {
  const RECT r{10, 10, 535, 310};
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  HANDLE target = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, process);
  void* there = target ? VirtualAllocEx(target, nullptr, sizeof r, MEM_COMMIT, PAGE_READWRITE) : nullptr;
  return there && WriteProcessMemory(target, there, &r, sizeof r, nullptr) &&
         SendMessageTimeoutA(window, WM_DPICHANGED, MAKEWPARAM(144, 144), LPARAM(there), SMTO_NORMAL, 10000, nullptr);
}

}  // namespace

extern "C" void WINAPI SystemEventStart() {
  const char* word = LastWord(GetCommandLineA());
  HWND window = FindWindowA("Velnorid", "Velnorid");
  if (!lstrcmpiA(word, "dpi")) ExitProcess(window && SendDpiChange(window) ? 0 : 1);
  bool known = false, taken = window != nullptr;
  for (const SystemEvent& e : events) {
    if (lstrcmpiA(word, e.name)) continue;
    known = true;
    DWORD_PTR result = 0;
    taken = taken && SendMessageTimeoutA(window, e.message, e.event, 0, SMTO_NORMAL, 10000, &result) &&
            result == e.handled;
  }
  ExitProcess(!known ? 2 : taken ? 0 : 1);
}
