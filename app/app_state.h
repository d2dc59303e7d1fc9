// The program's one global record, its persisted image (the settings file
// byte for byte) and the constants that describe both.
#pragma once

#include <stddef.h>

#include "platform/win32.h"
#include "velnorid_version.h"

// ---- optionFlags: bit b is toggled by menu command IDM_TOPMOST + b ----
constexpr u32 OPT_TOPMOST = 0x01;
constexpr u32 OPT_FORCE = 0x02;
constexpr u32 OPT_GUIDE = 0x04;
constexpr u32 OPT_DIGIT_RIGHT = 0x08;
constexpr u32 OPT_TASKBAR = 0x10;
constexpr u32 OPT_EDGE_VERT = 0x20;
constexpr u32 OPT_EDGE_HORI = 0x40;
constexpr u32 OPT_AUTO_ADAPT = 0x80;
// A file whose optionFlags reach this value is not a settings file of ours.
constexpr u32 OPTION_FLAGS_LIMIT = 0x100;

// ---- modeFlags ----
constexpr u32 MODE_ACTIVE = 1;
constexpr u32 MODE_COLORKEY = 2;
constexpr u32 MODE_OPAQUE = 4;
constexpr i32 NO_DRESS = -2;  // pendingDress when no popup waits to be dressed

// ---- Setting words: the number in bits 0-10, a per-setting flag in bit 11 ----
constexpr u32 SET_INTERVAL = 0;
constexpr u32 SET_PLOT = 1;
constexpr u32 SET_FONT = 2;
constexpr u32 SET_OPACITY = 3;
constexpr u32 SETTING_COUNT = 4;
constexpr u32 SETTING_VALUE_MASK = 0x7FF;
constexpr u32 SETTING_FLAG = 0x800;
// The font height and the opacity are read from their words' low byte alone.
constexpr u32 SETTING_LOW_BYTE = 0xFF;

// ---- Colours, by index ----
constexpr u32 COLOR_BACK = 0;
constexpr u32 COLOR_RECV_GRAPH = 1;
constexpr u32 COLOR_SEND_GRAPH = 2;
constexpr u32 COLOR_AVG_LINE = 3;
constexpr u32 COLOR_GUIDE = 4;
constexpr u32 COLOR_TOTAL_RECV = 5;  // the four readout colours follow in readout order
constexpr u32 COLOR_COUNT = 9;
constexpr u32 CUSTOM_COLOR_COUNT = 16;

// ---- Sizes of the run-time tables ----
constexpr u32 HISTORY_LENGTH = 96;             // samples kept per direction
constexpr u32 SENT_BASE = HISTORY_LENGTH;      // history[SENT_BASE + i] is the sent twin of history[i]
constexpr u32 NO_ADAPTER = 127;                // adapterSlot when nothing is selected
// adapterType while the adapter watched is the one the internet's route leaves
// by: no interface has this type, so a program that does not follow the route
// finds no adapter of it.
constexpr u32 INTERNET_TYPE = 0xFFFFFFFF;
constexpr u32 WARM_UP_START = 7;               // sampleCounter: the next reading only takes baselines
constexpr u32 LAST_WARM_UP_COUNT = 8;          // sampleCounter: readings up to this one take no sample
constexpr u32 READOUT_TEXT_SIZE = 96;

// ---- gdiTable slots ----
constexpr u32 GDI_FONT = 0;
constexpr u32 GDI_BACK_BRUSH = 1;
constexpr u32 GDI_PENS = 2;  // four pens: received graph, sent graph, average line, guide
constexpr u32 GDI_MEM_BITMAP = 6;
constexpr u32 GDI_SLOT_COUNT = 7;
// The pens follow the colours from the received graph to the guide.
constexpr u32 PenSlot(u32 colour) { return GDI_PENS + colour - COLOR_RECV_GRAPH; }

using GetIfEntry2Proc = DWORD(WINAPI*)(MIB_IF_ROW2* row);
using GetDpiForWindowProc = UINT(WINAPI*)(HWND window);

// The settings file: 220 bytes, little-endian, no gaps. The defaults are the
// values a first start (or a rejected file) runs with.
struct SettingsImage {
  RECT windowRect{10, 10, 360, 210};
  u32 optionFlags = OPT_TOPMOST | OPT_GUIDE | OPT_DIGIT_RIGHT | OPT_EDGE_VERT;
  u32 totalRecvKiB = 0;
  u32 totalSentKiB = 0;
  u16 resetDate = 0;  // DOS date of the last totals reset, 0 when never reset
  u16 resetTime = 0;  // DOS time of that reset
  u32 modeFlags = MODE_ACTIVE;
  u32 adapterSlot = NO_ADAPTER;
  u32 adapterType = 0;
  u32 settings[SETTING_COUNT]{1000, 32, 17, SETTING_FLAG | 80};
  COLORREF colors[COLOR_COUNT]{0x363636, 0x32FF64, 0xFFC864, 0x00FFFF, 0xF0F0F0,
                               0x32FF64, 0xFFC864, 0x306CFF, 0x00FFFF};
  COLORREF customColors[CUSTOM_COLOR_COUNT]{0x32FF64, 0xFFC864, 0x00FFFF, 0xF0F0F0,
                                            0x32FF64, 0xFFC864, 0x306CFF, 0x00FFFF};
  LOGFONTA logFont{-17, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, OUT_STROKE_PRECIS,
                   CLIP_STROKE_PRECIS, DRAFT_QUALITY, FIXED_PITCH | FF_MODERN, "MS Gothic"};
};

constexpr u32 SETTINGS_FILE_SIZE = 220;
constexpr u32 SETTINGS_HEADER_SIZE = 20;  // windowRect and optionFlags
// The largest window a settings file may hold: a file with a wider or taller
// one is not taken for ours, so the window never grows past it.
constexpr u32 MAX_WINDOW_WIDTH = 3940;
constexpr u32 MAX_WINDOW_HEIGHT = 2400;
static_assert(sizeof(SettingsImage) == SETTINGS_FILE_SIZE);
static_assert(offsetof(SettingsImage, windowRect) == 0);
static_assert(offsetof(SettingsImage, optionFlags) == 16);
static_assert(offsetof(SettingsImage, totalRecvKiB) == 20);
static_assert(offsetof(SettingsImage, totalSentKiB) == 24);
static_assert(offsetof(SettingsImage, resetDate) == 28);
static_assert(offsetof(SettingsImage, resetTime) == 30);
static_assert(offsetof(SettingsImage, modeFlags) == 32);
static_assert(offsetof(SettingsImage, adapterSlot) == 36);
static_assert(offsetof(SettingsImage, adapterType) == 40);
static_assert(offsetof(SettingsImage, settings) == 44);
static_assert(offsetof(SettingsImage, colors) == 60);
static_assert(offsetof(SettingsImage, customColors) == 96);
static_assert(offsetof(SettingsImage, logFont) == 160);
static_assert(offsetof(SettingsImage, logFont.lfWeight) == 176);
static_assert(offsetof(SettingsImage, logFont.lfFaceName) == 188);

// The settings file image followed by the fields that live only while the
// program runs.
struct AppState : SettingsImage {
  u32 sampleCounter = WARM_UP_START;  // a sample once the incremented counter passes LAST_WARM_UP_COUNT
  HICON appIcon = nullptr;
  u32 history[2 * HISTORY_LENGTH]{};  // bytes per interval, received then sent, newest last
  HGDIOBJ gdiTable[GDI_SLOT_COUNT]{};
  HMENU menuBar = nullptr;
  HMENU mainPopup = nullptr;
  HMENU adapterMenu = nullptr;
  HMENU settingMenu = nullptr;
  u32 lastInputTick = 0;
  HDC windowDC = nullptr;
  u32 pendingSelect = 0;
  RECT clientRect{};  // {0, 0, clientWidth, clientHeight}
  u32 keyDownTick = 0;
  u32 keyDownKey = 0;  // the virtual-key code of that key-down
  u64 prevInOctets = 0;
  u64 prevOutOctets = 0;
  u32 baselineInterface = 0;  // dwIndex of the row the two baselines were read from
  u32 baselineTick = 0;       // when they were read
  u32 recvRemainder = 0;  // bytes below one KiB not yet in totalRecvKiB
  u32 sentRemainder = 0;
  u32 rescanCountdown = 0;
  u32 routeWait = 0;      // ticks since the internet's route was last looked at
  u32 unlistedRoute = 0;  // an interface the route named that a rescan did not find
  u32 totalsInFile[2]{};  // totalRecvKiB and totalSentKiB as last read or written
  // Set once the user has been told that the settings file cannot be written,
  // or once Windows ends the session, when no message box may hold it up.
  u32 saveWarningDone = 0;
  // Why this run leaves the settings file as it is (0: it may be written), and
  // the system's reason a first open failed, so the check at start need not wait again.
  u32 fileKept = 0;
  DWORD loadError = 0;
  u32 fileMissing = 0;  // no file at start, and none written since: the first save makes one
  u32 windowGoing = 0;  // set once WM_DESTROY has begun
  u32 nextCoverCheck = 0;
  u32 dialogIndex = 0;
  // A popup shown only once its modal loop goes idle is dressed then: its caption
  // index or -1, as UM_DRESS_POPUP carried it.
  i32 pendingDress = NO_DRESS;
  MIB_IFTABLE* ifTable = nullptr;
  GetIfEntry2Proc getIfEntry2 = nullptr;  // null where the system has only 32-bit counters
  // The settings keep the font in pixels at the system DPI; the window draws at
  // its monitor's. Null where Windows knows one DPI only, or none for this run.
  GetDpiForWindowProc getDpiForWindow = nullptr;
  u32 systemDpi = USER_DEFAULT_SCREEN_DPI;
  u32 windowDpi = USER_DEFAULT_SCREEN_DPI;
  POINT points[2 * HISTORY_LENGTH]{};
  char readoutText[READOUT_TEXT_SIZE]{};  // four NUL-terminated readouts, back to back
  u32 frozen = 0;
  HWND mainWindow = nullptr;
  HDC memoryDC = nullptr;
  char* cmdSettingsPath = nullptr;
  char* exePath = nullptr;
  char* extPtr = nullptr;  // just after the dot of the program's ".exe" in exePath
  // The program's path as the system gives it, which names the files beside it.
  char modulePath[MAX_PATH]{};
};

extern constinit AppState app;

inline i32 Larger(i32 a, i32 b) { return a > b ? a : b; }
inline i32 ClientWidth() { return app.clientRect.right; }
inline i32 ClientHeight() { return app.clientRect.bottom; }
inline u32 SettingLowByte(u32 index) { return app.settings[index] & SETTING_LOW_BYTE; }
// A length at the system DPI, as the settings keep it, at the window's DPI, rounded.
inline u32 OnScreen(u32 length) { return (length * app.windowDpi + app.systemDpi / 2) / app.systemDpi; }
// The font's height on the screen, from which the readouts and the graph take their lengths.
inline i32 ScreenFontHeight() { return i32(OnScreen(SettingLowByte(SET_FONT))); }

// ---- Constant tables ----
struct SettingRange {
  u32 min, max;
};
constexpr SettingRange settingRanges[SETTING_COUNT]{{80, 1000}, {8, 96}, {7, 33}, {10, 100}};
// The font picker offers sizes up to this many points, which is more pixels
// than the font setting's range on a screen above 120 DPI.
constexpr u32 FONT_PICKER_MAX_POINTS = 20;
constexpr u32 POINTS_PER_INCH = 72;
// The largest font a settings file keeps: the picker's largest size at the
// highest scaling Windows offers (500 %), 133 pixels. It must not follow this
// run's DPI, which Windows gives as 96 to a program started without DPI
// awareness; and the readouts take the height's low byte as their cell.
constexpr u32 HIGHEST_DPI = 480;
constexpr u32 TALLEST_FONT_HEIGHT = (FONT_PICKER_MAX_POINTS * HIGHEST_DPI + POINTS_PER_INCH / 2) / POINTS_PER_INCH;
static_assert(TALLEST_FONT_HEIGHT < 256);

constexpr char readoutLabels[4][4]{{'R', 'c', 'v', ' '}, {'S', 'n', 't', ' '},
                                   {'M', 'a', 'x', ' '}, {'A', 'v', 'e', ' '}};
constexpr char programName[] = "Velnorid";
constexpr char programVersion[] = VELNORID_VERSION_TEXT;
constexpr char boldLabel[] = "Bold";
constexpr char settingLabelFormats[SETTING_COUNT][12]{"&Intv %d ms", "&Plot %d pt", "&Font %d px",
                                                      "&Lucd %d %%"};
constexpr char refreshLabelFormat[] = "&Refresh  %d / %d items";
constexpr char resetLabelFormat[] = "&R%2u/%02u %2u:%02u";
