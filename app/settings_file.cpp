#include "app/settings_file.h"

#include <string.h>

#include "app/app_state.h"
#include "app/program_path.h"
#include "app/texts.h"

namespace {

constexpr SettingsImage defaults{};

// The first 20 bytes, checked before anything else is believed.
struct SettingsHeader {
  RECT windowRect;
  u32 optionFlags;
};
static_assert(sizeof(SettingsHeader) == SETTINGS_HEADER_SIZE);

// Bits a setting word may carry besides its number: only the font and the
// opacity have a flag; the interval and the plot count are whole numbers.
constexpr u32 settingFlagBits[SETTING_COUNT]{0, 0, SETTING_FLAG, SETTING_FLAG};

// Drives whose files are written while the program runs.
constexpr UINT localDriveTypes[]{DRIVE_FIXED, DRIVE_REMOVABLE, DRIVE_RAMDISK};

// Why a run leaves the file as it is: the box it gets, by app.fileKept.
constexpr u32 FILE_UNREAD = 1;   // there, but it could not be read
constexpr u32 FILE_NOT_OURS = 2;  // longer than ours and fails the header check
constexpr u32 FILE_APPEARED = 3;  // not there at start, there by the first save
constexpr const char* keptMessages[]{nullptr, unreadMessage, notOursMessage, appearedMessage};

// Sync and backup clients hold a file only for a moment: a held file is tried
// again for about a second before it counts as held.
constexpr u32 HELD_RETRIES = 10;
constexpr DWORD HELD_RETRY_MS = 100;

constexpr u32 REASON_SIZE = 256;
constexpr u32 WSPRINTF_LIMIT = 1024;  // wsprintfA writes no more
constexpr UINT WARNING_BOX_TYPE = MB_OK | MB_ICONWARNING | MB_SETFOREGROUND | MB_TOPMOST;

// Unsigned differences, so a rectangle turned inside out fails too.
bool HeaderAccepted(const SettingsHeader& header) {
  const RECT& r = header.windowRect;
  return header.optionFlags < OPTION_FLAGS_LIMIT && u32(r.right) - u32(r.left) <= MAX_WINDOW_WIDTH &&
         u32(r.bottom) - u32(r.top) <= MAX_WINDOW_HEIGHT;
}

// A file that passes the header check may still carry settings no dialog could
// have produced; the painter divides by the plot count and the font cell, so
// each such setting goes back to its default.
void RepairSettings() {
  for (u32 i = 0; i < SETTING_COUNT; ++i) {
    u32 number = app.settings[i] & ~settingFlagBits[i];
    if (number < settingRanges[i].min || number > settingRanges[i].max) app.settings[i] = defaults.settings[i];
  }
  // The font is made from logFont at start and its height becomes the font
  // setting, which sizes the readouts' cells and the narrowest window: a
  // height no picker gives is brought to the nearer end.
  LONG height = app.logFont.lfHeight;
  u32 size = height < 0 ? 0u - u32(height) : u32(height);
  u32 lowest = settingRanges[SET_FONT].min;
  if (size < lowest || size > TALLEST_FONT_HEIGHT) {
    size = size < lowest ? lowest : TALLEST_FONT_HEIGHT;
    app.logFont.lfHeight = height > 0 ? LONG(size) : -LONG(size);
  }
  app.logFont.lfFaceName[LF_FACESIZE - 1] = 0;
}

// A window stretched past what the file accepts is saved at the largest size
// it does accept, so that the next start does not throw the file away.
void FitWindowIntoFile() {
  RECT& r = app.windowRect;
  if (u32(r.right) - u32(r.left) > MAX_WINDOW_WIDTH) r.right = r.left + LONG(MAX_WINDOW_WIDTH);
  if (u32(r.bottom) - u32(r.top) > MAX_WINDOW_HEIGHT) r.bottom = r.top + LONG(MAX_WINDOW_HEIGHT);
}

SettingsImage& Image() { return app; }

// The totals as the file now holds them, so the hourly write knows whether it has anything new.
void NoteTotalsInFile() {
  app.totalsInFile[0] = app.totalRecvKiB;
  app.totalsInFile[1] = app.totalSentKiB;
}

// The file is opened without sharing, for the moment of one read or write.
HANDLE OpenSettingsFile(DWORD access, DWORD disposition, DWORD flags = 0) {
  for (u32 tries = 0;; ++tries) {
    HANDLE file =
        CreateFileA(SettingsFileName(), access, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL | flags, nullptr);
    if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_SHARING_VIOLATION || tries == HELD_RETRIES)
      return file;
    Sleep(HELD_RETRY_MS);
  }
}

// Returns 0 when the 220 bytes are written or the file is left as it is this
// run, else the system's error code.
DWORD WriteSettingsFile() {
  if (app.fileKept) return 0;  // the user is told once
  FitWindowIntoFile();
  // A file that was not there at start and is now (a sync client restored
  // the folder, another window saved first) was never read: it stays.
  HANDLE file = OpenSettingsFile(GENERIC_WRITE, app.fileMissing ? CREATE_NEW : OPEN_ALWAYS);
  if (file == INVALID_HANDLE_VALUE) {
    if (app.fileMissing && GetLastError() == ERROR_FILE_EXISTS) app.fileKept = FILE_APPEARED;
    return app.fileKept ? 0 : GetLastError();
  }
  app.fileMissing = 0;
  DWORD written = 0, error = 0;
  if (!WriteFile(file, &Image(), SETTINGS_FILE_SIZE, &written, nullptr))
    error = GetLastError();
  else if (written != SETTINGS_FILE_SIZE)
    error = ERROR_DISK_FULL;  // a short write: the disk took what fitted
  else
    NoteTotalsInFile();
  CloseHandle(file);
  return error;
}

// Not worth a word: a file the user made read-only is meant to stay as it is.
bool ExpectedFailure(DWORD error) {
  if (error == ERROR_FILE_EXISTS) return true;
  if (error != ERROR_ACCESS_DENIED) return false;
  DWORD attributes = GetFileAttributesA(SettingsFileName());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

// The system's words for the error on one line: its line breaks, the last
// included, become blanks.
void ReasonOf(DWORD error, char (&reason)[REASON_SIZE]) {
  constexpr DWORD flags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK;
  if (!FormatMessageA(flags, nullptr, error, 0, reason, REASON_SIZE, nullptr))
    wsprintfA(reason, "Error %u.", unsigned(error));
}

// Once per run, never while Windows ends the session: where the file is, why
// it is not written, and what to do.
void Warn(const char* format, DWORD error) {
  if (app.saveWarningDone) return;
  app.saveWarningDone = 1;  // before the box: timers go on inside it
  char reason[REASON_SIZE];
  ReasonOf(error, reason);
  char message[WSPRINTF_LIMIT];  // a path too long to show whole is cut there
  wsprintfA(message, format, SettingsFileName(), reason);
  MessageBoxA(nullptr, message, unwritableCaption, WARNING_BOX_TYPE);
}

void WarnSettingsNotWritable(DWORD error) {
  if (!ExpectedFailure(error)) Warn(unwritableMessage, error);
}

// A file another program holds past the retries is written the next time; only
// the save at close, after which there is none, says so.
void SaveAndSay(bool atClose) {
  DWORD error = WriteSettingsFile();
  if (app.fileKept == FILE_APPEARED) Warn(keptMessages[FILE_APPEARED], ERROR_FILE_EXISTS);
  if (error && (atClose || error != ERROR_SHARING_VIOLATION)) WarnSettingsNotWritable(error);
}

// Saves while the program runs go to a local disk only: a network share that
// cannot be reached would hold the window for the network's time-out each
// time. The save at close still tries it.
// \\?\C:\ and \\.\C:\ name the drive after them; \\?\UNC\ a share.
bool SettingsOnLocalDisk() {
  const char* name = SettingsFileName();
  bool twoSlashes = name[0] == '\\' && name[1] == '\\';
  if (twoSlashes && (name[2] == '?' || name[2] == '.') && name[3] == '\\') name += 4;
  bool drive = name[0] && name[1] == ':';
  if (twoSlashes && !drive) return false;  // a share
  char root[]{name[0], ':', '\\', 0};
  UINT type = GetDriveTypeA(drive ? root : nullptr);  // null: the current directory's
  for (UINT local : localDriveTypes)
    if (type == local) return true;
  return false;
}

// A first start finds no file: FILE_NOT_FOUND, or PATH_NOT_FOUND for a folder
// on a local disk. Anything else (a share out of reach, a file held past the
// retries, no access) is a file that may well be there.
bool FileNotThere(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || (error == ERROR_PATH_NOT_FOUND && SettingsOnLocalDisk());
}

}  // namespace

const char* SettingsFileName() {
  return app.cmdSettingsPath ? app.cmdSettingsPath : ProgramPathWithExtension("qnf");
}

// A file that could not be read, or one that is not ours, is never written in
// this run: the defaults would replace the user's settings and totals, or the
// start of a file of their own.
void LoadSettings() {
  HANDLE file = OpenSettingsFile(GENERIC_READ, OPEN_EXISTING);
  if (file == INVALID_HANDLE_VALUE) {
    app.loadError = GetLastError();
    if (FileNotThere(app.loadError))
      app.fileMissing = 1;
    else
      app.fileKept = FILE_UNREAD;
    return;
  }
  u8 bytes[SETTINGS_FILE_SIZE + 1]{};  // one byte more tells a longer file; zeros past a short one
  DWORD got = 0;
  if (!ReadFile(file, bytes, sizeof bytes, &got, nullptr)) {
    app.loadError = GetLastError();
    app.fileKept = FILE_UNREAD;
  }
  CloseHandle(file);
  SettingsHeader header;
  memcpy(&header, bytes, sizeof header);
  // A file too short to hold a header counts as a failed check.
  if (app.fileKept || got < sizeof header || !HeaderAccepted(header)) {
    if (got > SETTINGS_FILE_SIZE) app.fileKept = FILE_NOT_OURS;
    return;
  }
  // Bytes a short file does not supply keep their defaults; those after the 220th stay in the file.
  memcpy(&Image(), bytes, got < SETTINGS_FILE_SIZE ? got : SETTINGS_FILE_SIZE);
  RepairSettings();
  NoteTotalsInFile();
}

void CheckSettingsWritable() {
  // What the load learned is not asked again: a share out of reach would
  // cost its time-out twice.
  if (app.fileKept) return Warn(keptMessages[app.fileKept], app.loadError);
  if (app.loadError == ERROR_PATH_NOT_FOUND) return WarnSettingsNotWritable(app.loadError);
  // A file that is there is opened for writing and left as it is; one that is
  // not is made and goes again when closed. One held elsewhere is tried at the saves.
  HANDLE file = OpenSettingsFile(GENERIC_WRITE, OPEN_EXISTING);
  if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_NOT_FOUND)
    file = OpenSettingsFile(GENERIC_WRITE, CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE);
  if (file != INVALID_HANDLE_VALUE)
    CloseHandle(file);
  else if (GetLastError() != ERROR_SHARING_VIOLATION)
    WarnSettingsNotWritable(GetLastError());
}

void SaveSettings() { SaveAndSay(true); }

void SaveSettingsBeforeSuspend() {
  if (SettingsOnLocalDisk()) WriteSettingsFile();
}

void CALLBACK SaveTick(HWND, UINT, UINT_PTR, DWORD) {
  bool changed = app.totalRecvKiB != app.totalsInFile[0] || app.totalSentKiB != app.totalsInFile[1];
  if (changed && SettingsOnLocalDisk()) SaveAndSay(false);
}
