// Files of the fake Win32: real host files below a test folder, with the two
// Windows behaviours the settings file depends on: a file opened with share
// mode 0 cannot be opened again until it is closed, and a read-only file
// cannot be opened for writing (even by root, who could on the host).
// A fuzzer that opens the settings file millions of times switches to files
// held in a few fixed buffers instead, which behave the same way.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "fakewin/fake_windows.h"

namespace {

constexpr size_t kPathSize = 512;

struct StoredFile {
  char path[kPathSize];  // host path; empty while the buffer is free
  BYTE bytes[fakewin::MEMORY_FILE_CAPACITY];
  DWORD size;
  bool readOnly;
};
constexpr int kStoredFiles = 4;
StoredFile storedFiles[kStoredFiles];
bool inMemory = false;

struct OpenFile {
  bool open = false;
  int fd = -1;                    // a host file
  StoredFile* stored = nullptr;   // or one held in memory
  DWORD position = 0;             // of the stored file
  bool canRead = false, canWrite = false;
  char path[kPathSize]{};
};

constexpr int kMaxOpen = 16;
OpenFile openFiles[kMaxOpen];
std::string fileRoot = "/tmp";
char hostPath[kPathSize];
DWORD lastError = 0;

// Handles are small numbers offset so that they are never null or INVALID_HANDLE_VALUE.
constexpr uintptr_t kHandleBase = 0x1000;

OpenFile* FileOf(HANDLE h) {
  uintptr_t i = reinterpret_cast<uintptr_t>(h) - kHandleBase;
  if (i >= kMaxOpen || !openFiles[i].open) {
    lastError = ERROR_INVALID_HANDLE;
    return nullptr;
  }
  return &openFiles[i];
}

HANDLE Fail(DWORD error) {
  lastError = error;
  return INVALID_HANDLE_VALUE;
}

StoredFile* FindStored(const char* path) {
  for (StoredFile& f : storedFiles)
    if (f.path[0] && strcmp(f.path, path) == 0) return &f;
  return nullptr;
}

// The stored file of that path, made empty when it is new; null when all buffers are taken.
StoredFile* MakeStored(const char* path) {
  if (StoredFile* f = FindStored(path)) return f;
  for (StoredFile& f : storedFiles) {
    if (f.path[0]) continue;
    strcpy(f.path, path);
    f.size = 0;
    f.readOnly = false;
    return &f;
  }
  return nullptr;
}

enum Presence { MISSING, WRITABLE, READ_ONLY };

Presence PresenceOf(const char* path) {
  if (inMemory) {
    const StoredFile* f = FindStored(path);
    return !f ? MISSING : f->readOnly ? READ_ONLY : WRITABLE;
  }
  struct stat st;
  if (stat(path, &st) != 0) return MISSING;
  return (st.st_mode & 0222) == 0 ? READ_ONLY : WRITABLE;
}

bool OpenOnHost(OpenFile& f, const char* path, DWORD access, DWORD disposition) {
  int flags = (access & GENERIC_WRITE) ? ((access & GENERIC_READ) ? O_RDWR : O_WRONLY) : O_RDONLY;
  if (disposition == OPEN_ALWAYS || disposition == CREATE_ALWAYS) flags |= O_CREAT;
  if (disposition == CREATE_ALWAYS) flags |= O_TRUNC;
  f.fd = open(path, flags, 0644);
  return f.fd >= 0;
}

// As open(2) does it: a missing file is made only when the disposition creates one.
bool OpenInMemory(OpenFile& f, const char* path, DWORD access, DWORD disposition) {
  bool creates = disposition == OPEN_ALWAYS || disposition == CREATE_ALWAYS;
  f.stored = creates ? MakeStored(path) : FindStored(path);
  if (!f.stored) return false;
  if (disposition == CREATE_ALWAYS) f.stored->size = 0;
  f.canWrite = access & GENERIC_WRITE;
  f.canRead = !f.canWrite || (access & GENERIC_READ);
  return true;
}

// read(2) and write(2) on a stored file: -1 for a handle without that access,
// and a full buffer takes what fits, like a full disk.
long ReadStored(OpenFile& f, void* buffer, DWORD count) {
  if (!f.canRead) return -1;
  DWORD size = f.stored->size;
  DWORD n = f.position < size ? (size - f.position < count ? size - f.position : count) : 0;
  memcpy(buffer, f.stored->bytes + f.position, n);
  f.position += n;
  return long(n);
}

long WriteStored(OpenFile& f, const void* buffer, DWORD count) {
  if (!f.canWrite || f.position >= fakewin::MEMORY_FILE_CAPACITY) return -1;
  StoredFile& s = *f.stored;
  DWORD room = fakewin::MEMORY_FILE_CAPACITY - f.position;
  DWORD n = count < room ? count : room;
  if (f.position > s.size) memset(s.bytes + s.size, 0, f.position - s.size);  // a hole reads as zeros
  memcpy(s.bytes + f.position, buffer, n);
  f.position += n;
  if (f.position > s.size) s.size = f.position;
  return long(n);
}

}  // namespace

DWORD GetLastError() { return lastError; }

HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD, void*, DWORD disposition, DWORD, HANDLE) {
  const char* path = fakewin::HostPath(name);
  for (const OpenFile& f : openFiles)
    if (f.open && strcmp(f.path, path) == 0) return Fail(ERROR_SHARING_VIOLATION);

  Presence presence = PresenceOf(path);
  if (presence == MISSING && disposition == OPEN_EXISTING) return Fail(ERROR_FILE_NOT_FOUND);
  if (presence == READ_ONLY && (access & GENERIC_WRITE)) return Fail(ERROR_ACCESS_DENIED);

  for (int i = 0; i < kMaxOpen; ++i) {
    OpenFile& f = openFiles[i];
    if (f.open) continue;
    bool opened = inMemory ? OpenInMemory(f, path, access, disposition) : OpenOnHost(f, path, access, disposition);
    if (!opened) {
      f = OpenFile{};
      return Fail(ERROR_ACCESS_DENIED);
    }
    f.open = true;
    strcpy(f.path, path);
    return reinterpret_cast<HANDLE>(kHandleBase + i);
  }
  return Fail(ERROR_ACCESS_DENIED);
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, void*) {
  OpenFile* f = FileOf(file);
  long n = !f ? -1 : f->stored ? ReadStored(*f, buffer, toRead) : long(::read(f->fd, buffer, toRead));
  if (read) *read = n > 0 ? DWORD(n) : 0;
  return n >= 0;
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written, void*) {
  OpenFile* f = FileOf(file);
  long n = !f ? -1 : f->stored ? WriteStored(*f, buffer, toWrite) : long(::write(f->fd, buffer, toWrite));
  if (written) *written = n > 0 ? DWORD(n) : 0;
  return n >= 0;
}

DWORD SetFilePointer(HANDLE file, LONG distance, PLONG, DWORD method) {
  OpenFile* f = FileOf(file);
  if (!f || method != FILE_BEGIN || distance < 0) return INVALID_SET_FILE_POINTER;
  if (f->stored) return f->position = DWORD(distance);
  off_t at = lseek(f->fd, distance, SEEK_SET);
  return at < 0 ? INVALID_SET_FILE_POINTER : DWORD(at);
}

BOOL CloseHandle(HANDLE object) {
  OpenFile* f = FileOf(object);
  if (!f) return FALSE;
  if (f->fd >= 0) close(f->fd);
  *f = OpenFile{};
  return TRUE;
}

namespace fakewin {

void ResetFiles() {
  for (OpenFile& f : openFiles) {
    if (f.fd >= 0) close(f.fd);
    f = OpenFile{};
  }
  for (StoredFile& f : storedFiles) f.path[0] = 0;
  inMemory = false;
  lastError = 0;
}

void SetFileRoot(const char* hostFolder) { fileRoot = hostFolder; }

// "C:\x" -> ROOT/C/x, "\\server\x" -> ROOT/server/x, "x" -> ROOT/x.
const char* HostPath(const char* windowsName) {
  size_t n = 0;
  auto put = [&n](char c) {
    if (n + 1 >= kPathSize) abort();  // no test folder is that deep
    hostPath[n++] = c;
  };
  for (char c : fileRoot) put(c);
  put('/');
  size_t start = n;
  for (size_t i = 0; windowsName[i]; ++i) {
    char c = windowsName[i] == '\\' ? '/' : windowsName[i];
    if ((i == 1 && c == ':') || (c == '/' && n == start)) continue;
    put(c);
  }
  hostPath[n] = 0;
  return hostPath;
}

int OpenFileCount() {
  int n = 0;
  for (const OpenFile& f : openFiles) n += f.open;
  return n;
}

void UseMemoryFiles(bool on) { inMemory = on; }

void PutMemoryFile(const char* windowsName, const void* bytes, size_t size, bool readOnly) {
  StoredFile* f = MakeStored(HostPath(windowsName));
  if (!f || size > MEMORY_FILE_CAPACITY) abort();  // a test that needs more files or bigger ones says so
  memcpy(f->bytes, bytes, size);
  f->size = DWORD(size);
  f->readOnly = readOnly;
}

const BYTE* MemoryFileBytes(const char* windowsName, size_t& size) {
  const StoredFile* f = FindStored(HostPath(windowsName));
  size = f ? f->size : 0;
  return f ? f->bytes : nullptr;
}

}  // namespace fakewin
