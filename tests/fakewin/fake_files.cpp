// Files of the fake Win32: real host files below a test folder, with the
// Windows behaviours the settings file depends on: a file opened with share
// mode 0 cannot be opened again until it is closed, a read-only file cannot be
// opened for writing and no file can be made in a folder without write
// permission (even by root, who could on the host), and the error codes of
// each failure as Windows gives them.
// A fuzzer that opens the settings file millions of times switches to files
// held in a few fixed buffers instead, which behave the same way.
#include <errno.h>
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
  bool deleteOnClose = false;
  char path[kPathSize]{};
};

constexpr int kMaxOpen = 16;
OpenFile openFiles[kMaxOpen];
std::string fileRoot = "/tmp";
char hostPath[kPathSize];
DWORD lastError = 0;
bool diskFull = false;
DWORD diskRoom = 0;  // what a write to the full disk still takes
UINT driveTypes[27];  // 'A' to 'Z', then the current directory's drive; 0 means DRIVE_FIXED

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

bool Creates(DWORD disposition) {
  return disposition == OPEN_ALWAYS || disposition == CREATE_ALWAYS || disposition == CREATE_NEW;
}

// The folder a host path lies in, unless it is missing; memory files have no folders.
bool FolderOf(const char* path, struct stat& st) {
  return inMemory || stat(std::string(path, strrchr(path, '/') - path).c_str(), &st) == 0;
}

// Root may write into any folder on the host; a Windows user may not.
bool FolderWritable(const char* path) {
  struct stat st;
  return !FolderOf(path, st) || (st.st_mode & 0222) != 0;
}

// The Windows error of a failed open(2).
DWORD ErrorOfOpen(int error) {
  switch (error) {
    case ENOENT: return ERROR_PATH_NOT_FOUND;
    case EROFS: return ERROR_WRITE_PROTECT;
    case EEXIST: return ERROR_FILE_EXISTS;
    case ENOSPC: return ERROR_DISK_FULL;
    default: return ERROR_ACCESS_DENIED;
  }
}

bool OpenOnHost(OpenFile& f, const char* path, DWORD access, DWORD disposition) {
  int flags = (access & GENERIC_WRITE) ? ((access & GENERIC_READ) ? O_RDWR : O_WRONLY) : O_RDONLY;
  if (Creates(disposition)) flags |= O_CREAT;
  if (disposition == CREATE_ALWAYS) flags |= O_TRUNC;
  if (disposition == CREATE_NEW) flags |= O_EXCL;
  if ((flags & O_CREAT) && PresenceOf(path) == MISSING && !FolderWritable(path)) {
    errno = EACCES;
    return false;
  }
  f.fd = open(path, flags, 0644);
  return f.fd >= 0;
}

// As open(2) does it: a missing file is made only when the disposition creates one.
bool OpenInMemory(OpenFile& f, const char* path, DWORD access, DWORD disposition) {
  errno = EACCES;
  f.stored = Creates(disposition) ? MakeStored(path) : FindStored(path);
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

HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD, void*, DWORD disposition, DWORD flagsAndAttributes, HANDLE) {
  const char* path = fakewin::HostPath(name);
  for (const OpenFile& f : openFiles)
    if (f.open && strcmp(f.path, path) == 0) return Fail(ERROR_SHARING_VIOLATION);

  Presence presence = PresenceOf(path);
  struct stat folder;
  if (presence == MISSING && disposition == OPEN_EXISTING)
    return Fail(FolderOf(path, folder) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
  if (presence != MISSING && disposition == CREATE_NEW) return Fail(ERROR_FILE_EXISTS);
  if (presence == READ_ONLY && (access & GENERIC_WRITE)) return Fail(ERROR_ACCESS_DENIED);

  for (int i = 0; i < kMaxOpen; ++i) {
    OpenFile& f = openFiles[i];
    if (f.open) continue;
    bool opened = inMemory ? OpenInMemory(f, path, access, disposition) : OpenOnHost(f, path, access, disposition);
    if (!opened) {
      f = OpenFile{};
      return Fail(ErrorOfOpen(errno));
    }
    f.open = true;
    f.deleteOnClose = flagsAndAttributes & FILE_FLAG_DELETE_ON_CLOSE;
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
  bool full = f && diskFull && !f->stored;
  if (full) {
    errno = ENOSPC;
    toWrite = toWrite < diskRoom ? toWrite : diskRoom;
  }
  long n = !f || (full && !toWrite) ? -1
           : f->stored                    ? WriteStored(*f, buffer, toWrite)
                                          : long(::write(f->fd, buffer, toWrite));
  if (written) *written = n > 0 ? DWORD(n) : 0;
  if (f && n < 0) lastError = ErrorOfOpen(errno);
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
  if (f->deleteOnClose) {
    if (f->stored) f->stored->path[0] = 0;
    else unlink(f->path);
  }
  *f = OpenFile{};
  return TRUE;
}

DWORD GetFileAttributesA(LPCSTR name) {
  switch (PresenceOf(fakewin::HostPath(name))) {
    case MISSING:
      lastError = ERROR_FILE_NOT_FOUND;
      return INVALID_FILE_ATTRIBUTES;
    case READ_ONLY: return FILE_ATTRIBUTE_READONLY;
    default: return FILE_ATTRIBUTE_NORMAL;
  }
}

UINT GetDriveTypeA(LPCSTR root) {
  UINT slot = root ? UINT((root[0] | 0x20) - 'a') : 26;
  return slot < 27 && driveTypes[slot] ? driveTypes[slot] : DRIVE_FIXED;
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
  diskFull = false;
  for (UINT& type : driveTypes) type = 0;
}

void FillDisk(bool full, DWORD room) {
  diskFull = full;
  diskRoom = room;
}

void SetDriveType(char drive, UINT type) { driveTypes[drive ? (drive | 0x20) - 'a' : 26] = type; }

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
