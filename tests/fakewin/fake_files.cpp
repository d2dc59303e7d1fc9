// Files of the fake Win32: real host files below a test folder, with the two
// Windows behaviours the settings file depends on: a file opened with share
// mode 0 cannot be opened again until it is closed, and a read-only file
// cannot be opened for writing (even by root, who could on the host).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "fakewin/fake_windows.h"

namespace {

struct OpenFile {
  int fd = -1;
  std::string path;
};

constexpr int kMaxOpen = 16;
OpenFile openFiles[kMaxOpen];
std::string fileRoot = "/tmp";
std::string lastHostPath;
DWORD lastError = 0;

// Handles are small numbers offset so that they are never null or INVALID_HANDLE_VALUE.
constexpr uintptr_t kHandleBase = 0x1000;

OpenFile* FileOf(HANDLE h) {
  uintptr_t i = reinterpret_cast<uintptr_t>(h) - kHandleBase;
  if (i >= kMaxOpen || openFiles[i].fd < 0) {
    lastError = ERROR_INVALID_HANDLE;
    return nullptr;
  }
  return &openFiles[i];
}

HANDLE Fail(DWORD error) {
  lastError = error;
  return INVALID_HANDLE_VALUE;
}

}  // namespace

DWORD GetLastError() { return lastError; }

HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD, void*, DWORD disposition, DWORD, HANDLE) {
  std::string path = fakewin::HostPath(name);
  for (const OpenFile& f : openFiles)
    if (f.fd >= 0 && f.path == path) return Fail(ERROR_SHARING_VIOLATION);

  struct stat st;
  bool exists = stat(path.c_str(), &st) == 0;
  if (!exists && disposition == OPEN_EXISTING) return Fail(ERROR_FILE_NOT_FOUND);
  if (exists && (access & GENERIC_WRITE) && (st.st_mode & 0222) == 0) return Fail(ERROR_ACCESS_DENIED);

  int flags = (access & GENERIC_WRITE) ? ((access & GENERIC_READ) ? O_RDWR : O_WRONLY) : O_RDONLY;
  if (disposition == OPEN_ALWAYS || disposition == CREATE_ALWAYS) flags |= O_CREAT;
  if (disposition == CREATE_ALWAYS) flags |= O_TRUNC;
  for (int i = 0; i < kMaxOpen; ++i) {
    if (openFiles[i].fd >= 0) continue;
    int fd = open(path.c_str(), flags, 0644);
    if (fd < 0) return Fail(ERROR_ACCESS_DENIED);
    openFiles[i] = {fd, path};
    return reinterpret_cast<HANDLE>(kHandleBase + i);
  }
  return Fail(ERROR_ACCESS_DENIED);
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, void*) {
  OpenFile* f = FileOf(file);
  ssize_t n = f ? ::read(f->fd, buffer, toRead) : -1;
  if (read) *read = n > 0 ? DWORD(n) : 0;
  return n >= 0;
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written, void*) {
  OpenFile* f = FileOf(file);
  ssize_t n = f ? ::write(f->fd, buffer, toWrite) : -1;
  if (written) *written = n > 0 ? DWORD(n) : 0;
  return n >= 0;
}

DWORD SetFilePointer(HANDLE file, LONG distance, PLONG, DWORD method) {
  OpenFile* f = FileOf(file);
  if (!f || method != FILE_BEGIN) return INVALID_SET_FILE_POINTER;
  off_t at = lseek(f->fd, distance, SEEK_SET);
  return at < 0 ? INVALID_SET_FILE_POINTER : DWORD(at);
}

BOOL CloseHandle(HANDLE object) {
  OpenFile* f = FileOf(object);
  if (!f) return FALSE;
  close(f->fd);
  *f = OpenFile{};
  return TRUE;
}

namespace fakewin {

void ResetFiles() {
  for (OpenFile& f : openFiles)
    if (f.fd >= 0) close(f.fd);
  for (OpenFile& f : openFiles) f = OpenFile{};
  lastError = 0;
}

void SetFileRoot(const char* hostFolder) { fileRoot = hostFolder; }

const char* HostPath(const char* windowsName) {
  std::string name = windowsName;
  for (char& c : name)
    if (c == '\\') c = '/';
  if (name.size() >= 2 && name[1] == ':') name.erase(1, 1);  // "C:/x" -> "C/x"
  while (!name.empty() && name[0] == '/') name.erase(0, 1);   // "//server/x" -> "server/x"
  lastHostPath = fileRoot + "/" + name;
  return lastHostPath.c_str();
}

int OpenFileCount() {
  int n = 0;
  for (const OpenFile& f : openFiles) n += f.fd >= 0;
  return n;
}

}  // namespace fakewin
