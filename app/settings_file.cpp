#include "app/settings_file.h"

#include "app/app_state.h"
#include "app/program_path.h"

namespace {

constexpr SettingsImage defaults{};

// The first 20 bytes, checked before anything else is believed.
struct SettingsHeader {
  RECT windowRect;
  u32 optionFlags;
};
static_assert(sizeof(SettingsHeader) == SETTINGS_HEADER_SIZE);

constexpr u32 MAX_WINDOW_WIDTH = 3940;
constexpr u32 MAX_WINDOW_HEIGHT = 2400;

// Bits a setting word may carry besides its number: only the font and the
// opacity have a flag; the interval and the plot count are whole numbers.
constexpr u32 settingFlagBits[SETTING_COUNT]{0, 0, SETTING_FLAG, SETTING_FLAG};

// The tallest font the font picker offers on this screen: its largest size in
// points at the screen's DPI, rounded as the picker rounds, and never less than
// the font setting's own range.
u32 TallestFontHeight() {
  HDC screen = GetDC(nullptr);
  u32 dpi = u32(GetDeviceCaps(screen, LOGPIXELSY));
  ReleaseDC(nullptr, screen);
  u32 picked = (FONT_PICKER_MAX_POINTS * dpi + POINTS_PER_INCH / 2) / POINTS_PER_INCH;
  return picked > settingRanges[SET_FONT].max ? picked : settingRanges[SET_FONT].max;
}

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
  // height no picker gives on this screen is brought to the nearer end.
  LONG height = app.logFont.lfHeight;
  u32 size = height < 0 ? 0u - u32(height) : u32(height);
  u32 lowest = settingRanges[SET_FONT].min, tallest = TallestFontHeight();
  if (size < lowest || size > tallest) {
    size = size < lowest ? lowest : tallest;
    app.logFont.lfHeight = height > 0 ? LONG(size) : -LONG(size);
  }
  app.logFont.lfFaceName[LF_FACESIZE - 1] = 0;
}

SettingsImage& Image() { return app; }

// The totals as the file now holds them, so the hourly write knows whether it has anything new.
void NoteTotalsInFile() {
  app.totalsInFile[0] = app.totalRecvKiB;
  app.totalsInFile[1] = app.totalSentKiB;
}

}  // namespace

const char* SettingsFileName() {
  return app.cmdSettingsPath ? app.cmdSettingsPath : ProgramPathWithExtension("qnf");
}

void LoadSettings() {
  HANDLE file = CreateFileA(SettingsFileName(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  SettingsHeader header;
  DWORD got = 0;
  // A file too short to hold a header counts as a failed check.
  if (ReadFile(file, &header, sizeof header, &got, nullptr) && got == sizeof header && HeaderAccepted(header) &&
      SetFilePointer(file, 0, nullptr, FILE_BEGIN) == 0) {
    // Bytes a short file does not supply keep their defaults.
    ReadFile(file, &Image(), SETTINGS_FILE_SIZE, &got, nullptr);
    RepairSettings();
  }
  CloseHandle(file);
  NoteTotalsInFile();
}

void SaveSettings() {
  HANDLE file = CreateFileA(SettingsFileName(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written;
  if (WriteFile(file, &Image(), SETTINGS_FILE_SIZE, &written, nullptr) && written == SETTINGS_FILE_SIZE)
    NoteTotalsInFile();
  CloseHandle(file);
}

void CALLBACK SaveTick(HWND, UINT, UINT_PTR, DWORD) {
  if (app.totalRecvKiB != app.totalsInFile[0] || app.totalSentKiB != app.totalsInFile[1]) SaveSettings();
}
