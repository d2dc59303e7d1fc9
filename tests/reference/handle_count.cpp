// Prints the handle and thread counts that Wine's server keeps for the running
// Velnorid.exe, for the soak run to watch them over hours.
#include <windows.h>
#include <winternl.h>

extern "C" NTSTATUS NTAPI NtQuerySystemInformation(SYSTEM_INFORMATION_CLASS, PVOID, ULONG, PULONG);

namespace {

// The documented head of a process entry, up to its handle count.
struct ProcessEntry {
  ULONG next;
  ULONG threads;
  BYTE reserved[48];
  UNICODE_STRING name;
  LONG basePriority;
  HANDLE id;
  PVOID reserved2;
  ULONG handles;
};

constexpr ULONG BUFFER_SIZE = 1 << 20;  // room for a few hundred processes

}  // namespace

extern "C" void WINAPI HandleCountStart() {
  char text[64] = "no program\n";
  BYTE* buffer = static_cast<BYTE*>(VirtualAlloc(nullptr, BUFFER_SIZE, MEM_COMMIT, PAGE_READWRITE));
  if (buffer && NtQuerySystemInformation(SystemProcessInformation, buffer, BUFFER_SIZE, nullptr) == 0) {
    for (BYTE* at = buffer;; at += reinterpret_cast<ProcessEntry*>(at)->next) {
      auto* entry = reinterpret_cast<ProcessEntry*>(at);
      if (entry->name.Buffer && !lstrcmpiW(entry->name.Buffer, L"Velnorid.exe")) {
        wsprintfA(text, "%lu %lu\n", entry->handles, entry->threads);
        break;
      }
      if (!entry->next) break;
    }
  }
  DWORD written;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text, lstrlenA(text), &written, nullptr);
  ExitProcess(0);
}
