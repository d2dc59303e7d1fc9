// A small Win32 of our own for the host build: the types, constants and calls
// the program uses, with Win32's sizes, plus controls for the tests (namespace
// fakewin) to set up the world and look at what the program did.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// ---- Types, with the sizes they have on Win32 ----
using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using LONG = int32_t;
using BOOL = int32_t;
using UINT = uint32_t;
using INT = int32_t;
using SHORT = int16_t;
using CHAR = char;
using LONG_PTR = intptr_t;
using UINT_PTR = uintptr_t;
using ULONG_PTR = uintptr_t;
using LPSTR = char*;
using LPCSTR = const char*;
using LPVOID = void*;
using LPCVOID = const void*;
using LPDWORD = DWORD*;
using PLONG = LONG*;
using HANDLE = void*;
using COLORREF = DWORD;
using WCHAR = uint16_t;
using ULONG = uint32_t;
using PULONG = ULONG*;
using ULONG64 = uint64_t;
using SIZE_T = size_t;
using WPARAM = UINT_PTR;
using LPARAM = LONG_PTR;
using LRESULT = LONG_PTR;
using HGLOBAL = void*;
using INT_PTR = intptr_t;
using LPCWSTR = const WCHAR*;
using LPWSTR = WCHAR*;
using HRESULT = int32_t;

// Handles are distinct pointer types, as with STRICT on Windows.
#define FAKE_HANDLE(name) \
  struct name##__ {       \
    int unused;           \
  };                      \
  using name = name##__*
FAKE_HANDLE(HWND);
FAKE_HANDLE(HDC);
FAKE_HANDLE(HMENU);
FAKE_HANDLE(HICON);
FAKE_HANDLE(HINSTANCE);
FAKE_HANDLE(HMONITOR);
FAKE_HANDLE(HBRUSH);
FAKE_HANDLE(HPEN);
FAKE_HANDLE(HFONT);
FAKE_HANDLE(HBITMAP);
FAKE_HANDLE(HCURSOR);
using HGDIOBJ = void*;
using HMODULE = HINSTANCE;

#define WINAPI
#define CALLBACK

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;

struct RECT {
  LONG left, top, right, bottom;
};
struct POINT {
  LONG x, y;
};

constexpr int LF_FACESIZE = 32;
struct LOGFONTA {
  LONG lfHeight;
  LONG lfWidth;
  LONG lfEscapement;
  LONG lfOrientation;
  LONG lfWeight;
  BYTE lfItalic;
  BYTE lfUnderline;
  BYTE lfStrikeOut;
  BYTE lfCharSet;
  BYTE lfOutPrecision;
  BYTE lfClipPrecision;
  BYTE lfQuality;
  BYTE lfPitchAndFamily;
  CHAR lfFaceName[LF_FACESIZE];
};
static_assert(sizeof(LOGFONTA) == 60 && sizeof(RECT) == 16);

constexpr LONG FW_NORMAL = 400;
constexpr LONG FW_BOLD = 700;
constexpr BYTE ANSI_CHARSET = 0;
constexpr BYTE OUT_STROKE_PRECIS = 3;
constexpr BYTE CLIP_STROKE_PRECIS = 2;
constexpr BYTE DRAFT_QUALITY = 1;
constexpr BYTE FIXED_PITCH = 1;
constexpr BYTE FF_MODERN = 0x30;

// ---- IP helper ----
constexpr int MAX_INTERFACE_NAME_LEN = 256;
constexpr int MAXLEN_PHYSADDR = 8;
constexpr int MAXLEN_IFDESCR = 256;
struct MIB_IFROW {
  WCHAR wszName[MAX_INTERFACE_NAME_LEN];
  DWORD dwIndex;
  DWORD dwType;
  DWORD dwMtu;
  DWORD dwSpeed;
  DWORD dwPhysAddrLen;
  BYTE bPhysAddr[MAXLEN_PHYSADDR];
  DWORD dwAdminStatus;
  DWORD dwOperStatus;
  DWORD dwLastChange;
  DWORD dwInOctets;
  DWORD dwInUcastPkts;
  DWORD dwInNUcastPkts;
  DWORD dwInDiscards;
  DWORD dwInErrors;
  DWORD dwInUnknownProtos;
  DWORD dwOutOctets;
  DWORD dwOutUcastPkts;
  DWORD dwOutNUcastPkts;
  DWORD dwOutDiscards;
  DWORD dwOutErrors;
  DWORD dwOutQLen;
  DWORD dwDescrLen;
  BYTE bDescr[MAXLEN_IFDESCR];
};
struct MIB_IFTABLE {
  DWORD dwNumEntries;
  MIB_IFROW table[1];
};
static_assert(sizeof(MIB_IFROW) == 860 && offsetof(MIB_IFTABLE, table) == 4);

constexpr DWORD MIB_IF_OPER_STATUS_NON_OPERATIONAL = 0;
constexpr DWORD MIB_IF_OPER_STATUS_OPERATIONAL = 5;
constexpr DWORD IF_TYPE_ETHERNET_CSMACD = 6;
constexpr DWORD IF_TYPE_PPP = 23;
constexpr DWORD IF_TYPE_SOFTWARE_LOOPBACK = 24;
constexpr DWORD IF_TYPE_TUNNEL = 131;
DWORD GetIfTable(MIB_IFTABLE* table, PULONG size, BOOL order);
DWORD GetIfEntry(MIB_IFROW* row);

// GetIfEntry2's row: the fields the program uses, and the bytes between them.
union NET_LUID {
  ULONG64 Value;
};
struct MIB_IF_ROW2 {
  NET_LUID InterfaceLuid;
  ULONG InterfaceIndex;
  BYTE namesAndAddresses[1144];
  ULONG OperStatus;
  BYTE statusToLinkSpeeds[48];
  ULONG64 InOctets;
  BYTE inPackets[64];
  ULONG64 OutOctets;
  BYTE outPackets[64];
};
constexpr ULONG IfOperStatusUp = 1;
constexpr ULONG IfOperStatusDown = 2;

// Socket addresses as Windows lays them out.
using USHORT = uint16_t;
constexpr USHORT AF_INET = 2, AF_INET6 = 23;
struct sockaddr { USHORT sa_family; char sa_data[14]; };
struct SOCKADDR_IN { USHORT sin_family, sin_port;
  struct { union { struct { BYTE s_b1, s_b2, s_b3, s_b4; } S_un_b; } S_un; } sin_addr; char sin_zero[8]; };
struct SOCKADDR_IN6 { USHORT sin6_family, sin6_port; ULONG sin6_flowinfo;
  struct { union { BYTE Byte[16]; } u; } sin6_addr; ULONG sin6_scope_id; };
static_assert(sizeof(SOCKADDR_IN) == 16 && sizeof(SOCKADDR_IN6) == 28);
DWORD GetBestInterfaceEx(sockaddr* destination, DWORD* index);

// ---- Global memory ----
constexpr UINT GMEM_FIXED = 0;
constexpr UINT GMEM_MOVEABLE = 2;
HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes);
HGLOBAL GlobalFree(HGLOBAL block);
LPVOID GlobalLock(HGLOBAL block);
BOOL GlobalUnlock(HGLOBAL block);

// ---- Local time ----
struct SYSTEMTIME {
  WORD wYear, wMonth, wDayOfWeek, wDay, wHour, wMinute, wSecond, wMilliseconds;
};
struct FILETIME {
  DWORD dwLowDateTime, dwHighDateTime;
};
void GetLocalTime(SYSTEMTIME* time);
BOOL SystemTimeToFileTime(const SYSTEMTIME* time, FILETIME* fileTime);
BOOL FileTimeToDosDateTime(const FILETIME* fileTime, WORD* date, WORD* time);

// ---- Text ----
int wsprintfA(LPSTR out, LPCSTR format, ...);

// ---- Errors ----
constexpr DWORD NO_ERROR = 0;
constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
constexpr DWORD ERROR_PATH_NOT_FOUND = 3;
constexpr DWORD ERROR_ACCESS_DENIED = 5;
constexpr DWORD ERROR_INVALID_HANDLE = 6;
constexpr DWORD ERROR_INVALID_DATA = 13;
constexpr DWORD ERROR_WRITE_PROTECT = 19;
constexpr DWORD ERROR_SHARING_VIOLATION = 32;
constexpr DWORD ERROR_FILE_EXISTS = 80;
constexpr DWORD ERROR_DISK_FULL = 112;
constexpr DWORD ERROR_INSUFFICIENT_BUFFER = 122;
DWORD GetLastError();
constexpr DWORD FORMAT_MESSAGE_MAX_WIDTH_MASK = 0xFF;
constexpr DWORD FORMAT_MESSAGE_IGNORE_INSERTS = 0x200;
constexpr DWORD FORMAT_MESSAGE_FROM_SYSTEM = 0x1000;
// The system's text of an error code, as Windows words it: with its line end,
// or on one line ending in a blank with FORMAT_MESSAGE_MAX_WIDTH_MASK.
DWORD FormatMessageA(DWORD flags, LPCVOID source, DWORD id, DWORD language, LPSTR buffer, DWORD size, void* args);

// ---- Files ----
#define INVALID_HANDLE_VALUE ((HANDLE)(LONG_PTR)-1)
constexpr DWORD INVALID_SET_FILE_POINTER = 0xFFFFFFFF;
constexpr DWORD GENERIC_READ = 0x80000000;
constexpr DWORD GENERIC_WRITE = 0x40000000;
constexpr DWORD CREATE_NEW = 1;
constexpr DWORD CREATE_ALWAYS = 2;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD OPEN_ALWAYS = 4;
constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x1;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr DWORD FILE_FLAG_DELETE_ON_CLOSE = 0x04000000;
constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;
constexpr DWORD FILE_BEGIN = 0;
constexpr UINT DRIVE_REMOVABLE = 2;
constexpr UINT DRIVE_FIXED = 3;
constexpr UINT DRIVE_REMOTE = 4;
constexpr UINT DRIVE_RAMDISK = 6;

HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD shareMode, void* security, DWORD disposition,
                   DWORD attributes, HANDLE templateFile);
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, void* overlapped);
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written, void* overlapped);
DWORD SetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD method);
BOOL CloseHandle(HANDLE object);
DWORD GetFileAttributesA(LPCSTR name);
// A null root asks for the current directory's drive.
UINT GetDriveTypeA(LPCSTR root);

// ---- Process ----
LPSTR GetCommandLineA();
DWORD GetModuleFileNameA(HMODULE module, LPSTR name, DWORD size);
[[noreturn]] void ExitProcess(UINT exitCode);
constexpr int SM_NETWORK = 63;
int GetSystemMetrics(int index);
using FARPROC = INT_PTR (*)();
HMODULE LoadLibraryA(LPCSTR name);
FARPROC GetProcAddress(HMODULE module, LPCSTR name);
BOOL FreeLibrary(HMODULE module);
#define DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2 ((HANDLE)(LONG_PTR)-4)
constexpr UINT USER_DEFAULT_SCREEN_DPI = 96;
constexpr int DPI_AWARENESS_PER_MONITOR_AWARE = 2;
BOOL ImmDisableIME(DWORD thread);
constexpr DWORD COINIT_APARTMENTTHREADED = 0x2;
constexpr DWORD COINIT_DISABLE_OLE1DDE = 0x4;
HRESULT CoInitializeEx(LPVOID reserved, DWORD flags);
void CoUninitialize();
struct INITCOMMONCONTROLSEX {
  DWORD dwSize;
  DWORD dwICC;
};
constexpr DWORD ICC_UPDOWN_CLASS = 0x10;
BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* controls);
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWNA = 8;
HINSTANCE ShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR folder, INT show);

// ---- Wide text ----
constexpr UINT CP_ACP = 0;
constexpr int MAX_PATH = 260;
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int length, LPWSTR wide, int wideLength);

// ---- Time and keys ----
DWORD GetTickCount();
void Sleep(DWORD milliseconds);
SHORT GetAsyncKeyState(int key);
constexpr int VK_RBUTTON = 0x02;
constexpr int VK_SPACE = 0x20;
constexpr int VK_UP = 0x26;
constexpr int VK_DOWN = 0x28;
constexpr int VK_F1 = 0x70;
constexpr WPARAM MK_LBUTTON = 0x1;
constexpr WPARAM HTCLIENT = 1;
constexpr WPARAM HTCAPTION = 2;
constexpr WPARAM HTLEFT = 10;
constexpr WPARAM HTRIGHT = 11;
constexpr WPARAM HTTOP = 12;
constexpr WPARAM HTTOPLEFT = 13;
constexpr WPARAM HTTOPRIGHT = 14;
constexpr WPARAM HTBOTTOM = 15;
constexpr WPARAM HTBOTTOMLEFT = 16;
constexpr WPARAM HTBOTTOMRIGHT = 17;
constexpr int VK_SHIFT = 0x10;
constexpr int VK_CONTROL = 0x11;
constexpr int VK_NONCONVERT = 0x1D;

// ---- Messages and windows ----
using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
using TIMERPROC = void (*)(HWND, UINT, UINT_PTR, DWORD);
#define LOWORD(l) ((WORD)(((UINT_PTR)(l)) & 0xffff))
#define HIWORD(l) ((WORD)((((UINT_PTR)(l)) >> 16) & 0xffff))
#define MAKELPARAM(l, h) ((LPARAM)(DWORD)((WORD)(l) | ((DWORD)(WORD)(h)) << 16))
#define MAKEINTRESOURCEA(i) ((LPSTR)((UINT_PTR)((WORD)(i))))
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_MOVE = 0x0003;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_ENABLE = 0x000A;
constexpr UINT WM_SETTEXT = 0x000C;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUERYENDSESSION = 0x0011;
constexpr UINT WM_ENDSESSION = 0x0016;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_ACTIVATEAPP = 0x001C;
constexpr UINT WM_GETMINMAXINFO = 0x0024;
constexpr UINT WM_DISPLAYCHANGE = 0x007E;
constexpr UINT WM_SETICON = 0x0080;
constexpr UINT WM_ENTERIDLE = 0x0121;
constexpr WPARAM MSGF_DIALOGBOX = 0;
constexpr UINT WM_NCMOUSEMOVE = 0x00A0;
constexpr UINT WM_NCLBUTTONDOWN = 0x00A1;
constexpr UINT WM_NCRBUTTONUP = 0x00A5;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_INITMENUPOPUP = 0x0117;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_RBUTTONDBLCLK = 0x0206;
constexpr UINT WM_POWERBROADCAST = 0x0218;
constexpr UINT WM_DEVICECHANGE = 0x0219;
constexpr UINT WM_DPICHANGED = 0x02E0;
constexpr UINT WM_APP = 0x8000;
constexpr WPARAM PBT_APMSUSPEND = 4;
constexpr WPARAM PBT_APMRESUMEAUTOMATIC = 18;
constexpr WPARAM DBT_DEVNODES_CHANGED = 7;
constexpr DWORD LWA_COLORKEY = 1;
constexpr DWORD LWA_ALPHA = 2;
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_THICKFRAME = 0x00040000;
constexpr DWORD WS_EX_TOOLWINDOW = 0x80;
constexpr DWORD WS_EX_LAYERED = 0x80000;

struct MINMAXINFO {
  POINT ptReserved, ptMaxSize, ptMaxPosition, ptMinTrackSize, ptMaxTrackSize;
};
struct PAINTSTRUCT {
  HDC hdc;
  BOOL fErase;
  RECT rcPaint;
  BOOL fRestore, fIncUpdate;
  BYTE rgbReserved[32];
};
struct WNDCLASSA {
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra, cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  LPCSTR lpszMenuName, lpszClassName;
};
struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
};

WORD RegisterClassA(const WNDCLASSA* windowClass);
HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID parameter);
BOOL DestroyWindow(HWND window);
LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);
LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
HDC GetDC(HWND window);  // null: the screen's
HDC BeginPaint(HWND window, PAINTSTRUCT* paint);
BOOL EndPaint(HWND window, const PAINTSTRUCT* paint);
BOOL SetLayeredWindowAttributes(HWND window, COLORREF key, BYTE alpha, DWORD flags);
UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT period, TIMERPROC proc);
HMODULE GetModuleHandleA(LPCSTR name);
constexpr UINT CS_VREDRAW = 0x1;
constexpr UINT CS_HREDRAW = 0x2;
constexpr UINT CS_DBLCLKS = 0x8;
constexpr UINT CS_OWNDC = 0x20;
#define IDC_ARROW MAKEINTRESOURCEA(32512)
HICON LoadIconA(HINSTANCE instance, LPCSTR name);
HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name);
HWND FindWindowA(LPCSTR className, LPCSTR title);
BOOL GetMessageA(MSG* msg, HWND window, UINT first, UINT last);
LRESULT DispatchMessageA(const MSG* msg);
BOOL ShowWindow(HWND window, int show);
BOOL SetWindowTextA(HWND window, LPCSTR text);
BOOL SetWindowTextW(HWND window, LPCWSTR text);
HWND GetLastActivePopup(HWND window);
HWND SetFocus(HWND window);
constexpr UINT MB_ICONEXCLAMATION = 0x30;
constexpr UINT MB_ICONINFORMATION = 0x40;
constexpr UINT MB_OK = 0;
constexpr UINT MB_ICONWARNING = 0x30;
constexpr UINT MB_SYSTEMMODAL = 0x1000;
constexpr UINT MB_SETFOREGROUND = 0x10000;
constexpr UINT MB_TOPMOST = 0x40000;
BOOL MessageBeep(UINT type);
int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

// ---- Dialogs ----
using DLGPROC = INT_PTR (*)(HWND, UINT, WPARAM, LPARAM);
constexpr UINT WM_INITDIALOG = 0x0110;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_NOTIFY = 0x004E;
constexpr WPARAM ICON_BIG = 1;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr UINT BM_GETCHECK = 0x00F0;
constexpr UINT BM_SETCHECK = 0x00F1;
constexpr WPARAM BST_CHECKED = 1;
struct NMHDR {
  HWND hwndFrom;
  UINT_PTR idFrom;
  UINT code;
};
struct NMUPDOWN {
  NMHDR hdr;
  int iPos;
  int iDelta;
};
constexpr UINT UDN_DELTAPOS = UINT(-722);
INT_PTR DialogBoxParamA(HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC proc, LPARAM parameter);
BOOL EndDialog(HWND dialog, INT_PTR result);
HWND GetDlgItem(HWND dialog, int id);
BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned);
UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned);
LRESULT SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam);

// ---- Common dialogs ----
struct CHOOSECOLORA {
  DWORD lStructSize;
  HWND hwndOwner;
  HWND hInstance;
  COLORREF rgbResult;
  COLORREF* lpCustColors;
  DWORD Flags;
  LPARAM lCustData;
  void* lpfnHook;
  LPCSTR lpTemplateName;
};
constexpr DWORD CC_RGBINIT = 0x1;
constexpr DWORD CC_FULLOPEN = 0x2;
BOOL ChooseColorA(CHOOSECOLORA* picker);
struct CHOOSEFONTA {
  DWORD lStructSize;
  HWND hwndOwner;
  HDC hDC;
  LOGFONTA* lpLogFont;
  INT iPointSize;
  DWORD Flags;
  COLORREF rgbColors;
  LPARAM lCustData;
  void* lpfnHook;
  LPCSTR lpTemplateName;
  HINSTANCE hInstance;
  LPSTR lpszStyle;
  WORD nFontType;
  WORD unusedAlignment;
  INT nSizeMin;
  INT nSizeMax;
};
constexpr DWORD CF_SCREENFONTS = 0x1;
constexpr DWORD CF_INITTOLOGFONTSTRUCT = 0x40;
constexpr DWORD CF_LIMITSIZE = 0x2000;
constexpr DWORD CF_FIXEDPITCHONLY = 0x4000;
constexpr DWORD CF_NOVERTFONTS = 0x1000000;
constexpr WORD SCREEN_FONTTYPE = 0x2000;
BOOL ChooseFontA(CHOOSEFONTA* picker);

// ---- Clipboard ----
constexpr UINT CF_TEXT = 1;
constexpr UINT CF_BITMAP = 2;
BOOL OpenClipboard(HWND owner);
BOOL CloseClipboard();
BOOL EmptyClipboard();
BOOL IsClipboardFormatAvailable(UINT format);
HANDLE SetClipboardData(UINT format, HANDLE data);

// ---- Menus ----
constexpr UINT MF_BYCOMMAND = 0;
constexpr UINT MF_STRING = 0;
constexpr UINT MF_UNCHECKED = 0;
constexpr UINT MF_GRAYED = 0x1;
constexpr UINT MF_CHECKED = 0x8;
constexpr UINT MF_POPUP = 0x10;
constexpr UINT MF_BYPOSITION = 0x400;
constexpr UINT MF_SEPARATOR = 0x800;
HMENU LoadMenuA(HINSTANCE instance, LPCSTR name);
HMENU GetSubMenu(HMENU menu, int position);
BOOL RemoveMenu(HMENU menu, UINT item, UINT flags);
BOOL AppendMenuA(HMENU menu, UINT flags, UINT_PTR id, LPCSTR text);
BOOL ModifyMenuA(HMENU menu, UINT item, UINT flags, UINT_PTR id, LPCSTR text);
DWORD CheckMenuItem(HMENU menu, UINT item, UINT flags);
BOOL CheckMenuRadioItem(HMENU menu, UINT first, UINT last, UINT check, UINT flags);
BOOL DestroyMenu(HMENU menu);
constexpr UINT TPM_RIGHTBUTTON = 0x2;
constexpr UINT TPM_VCENTERALIGN = 0x10;
constexpr UINT TPM_RETURNCMD = 0x100;
BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner, const RECT* rect);

// ---- Windows and monitors ----
constexpr int GWL_STYLE = -16;
constexpr int GWL_EXSTYLE = -20;
constexpr LONG WS_VISIBLE = 0x10000000;
constexpr LONG WS_EX_TOPMOST = 0x8;
constexpr UINT GW_HWNDPREV = 3;
constexpr UINT GW_OWNER = 4;
#define HWND_TOP ((HWND)0)
#define HWND_TOPMOST ((HWND)(LONG_PTR)-1)
#define HWND_NOTOPMOST ((HWND)(LONG_PTR)-2)
constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOZORDER = 0x0004;
constexpr UINT SWP_NOACTIVATE = 0x0010;
constexpr UINT SWP_SHOWWINDOW = 0x0040;
constexpr DWORD MONITOR_DEFAULTTONULL = 0;
constexpr DWORD MONITOR_DEFAULTTONEAREST = 2;

struct MONITORINFO {
  DWORD cbSize;
  RECT rcMonitor;
  RECT rcWork;
  DWORD dwFlags;
};
static_assert(sizeof(MONITORINFO) == 40);

BOOL GetWindowRect(HWND window, RECT* rect);
HWND GetWindow(HWND window, UINT relation);
BOOL IsWindowEnabled(HWND window);
LONG_PTR GetWindowLongPtrA(HWND window, int index);
BOOL SetWindowPos(HWND window, HWND after, int x, int y, int cx, int cy, UINT flags);
LONG_PTR SetWindowLongPtrA(HWND window, int index, LONG_PTR value);
constexpr int GCLP_HBRBACKGROUND = -10;
ULONG_PTR SetClassLongPtrA(HWND window, int index, LONG_PTR value);
DWORD GetMessagePos();
HMONITOR MonitorFromPoint(POINT point, DWORD flags);
BOOL GetMonitorInfoA(HMONITOR monitor, MONITORINFO* info);

// ---- Drawing ----
constexpr DWORD SRCCOPY = 0x00CC0020;
constexpr int TRANSPARENT = 1;
int SetBkMode(HDC dc, int mode);
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
BOOL DeleteObject(HGDIOBJ object);
HBRUSH CreateSolidBrush(COLORREF color);
constexpr int PS_SOLID = 0;
HPEN CreatePen(int style, int width, COLORREF color);
HFONT CreateFontIndirectA(const LOGFONTA* font);
HDC CreateCompatibleDC(HDC dc);
HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
BOOL DeleteDC(HDC dc);
int FillRect(HDC dc, const RECT* rect, HBRUSH brush);
COLORREF SetTextColor(HDC dc, COLORREF color);
BOOL TextOutA(HDC dc, int x, int y, LPCSTR text, int length);
BOOL Polyline(HDC dc, const POINT* points, int count);
BOOL BitBlt(HDC to, int x, int y, int cx, int cy, HDC from, int x1, int y1, DWORD rop);

// ---- Controls for the tests ----
namespace fakewin {

// Returns the fake to a new world: no open handles, no command line, no faults.
void Reset();

// Windows file names map to host files below this folder: "C:\TOOLS\A.qnf"
// becomes ROOT/C/TOOLS/A.qnf, a relative name ROOT/A.qnf.
void SetFileRoot(const char* hostFolder);
// The host path of a Windows file name (static buffer, valid until the next call).
const char* HostPath(const char* windowsName);
// Handles that the program opened and has not closed.
int OpenFileCount();
// From now on until Reset, files live in memory instead of below the file
// root: up to four files of up to MEMORY_FILE_CAPACITY bytes, with the same
// sharing, read-only, missing-file and position behaviour; folders are not
// modelled, so any name can be created.
constexpr size_t MEMORY_FILE_CAPACITY = 1024;
void UseMemoryFiles(bool on);
void PutMemoryFile(const char* windowsName, const void* bytes, size_t size, bool readOnly = false);
// The bytes of an in-memory file and its size; null when there is no such file.
const BYTE* MemoryFileBytes(const char* windowsName, size_t& size);

// The text GetCommandLineA returns; the program may write into it, as on Windows.
void SetCommandLine(const char* text);
// The program's file as GetModuleFileNameA tells it ("C:\\Tools\\Velnorid.exe" until set).
void SetModuleFileName(const char* windowsName);
// From now on until Reset, writes to host files fail and write nothing, as on a
// full disk; with room, a write takes that many bytes and succeeds, cut short.
void FillDisk(bool full, DWORD room = 0);
// What GetDriveTypeA tells of a drive letter, or of the current directory's drive for 0;
// every drive is DRIVE_FIXED until set.
void SetDriveType(char drive, UINT type);
// Code page 932 missing, as on a system without East Asian support: MultiByteToWideChar fails for it.
void RemoveShiftJis(bool removed);

// ---- Time and keys ----
void SetTick(DWORD tick);
// Runs after each Sleep has moved the tick on, for a test to act while the program waits.
void OnSleep(std::function<void()> script);
void HoldKey(int key, bool held);
// A press and release since the last GetAsyncKeyState for the key: bit 0.
void TapKey(int key);

// ---- Windows and monitors ----
struct SetWindowPosCall {
  HWND window, after;
  int x, y, cx, cy;
  UINT flags;
};
// Adds a window on top of the z-order (other processes' windows, for the tests).
HWND AddWindow(RECT rect, LONG style = WS_VISIBLE, LONG exStyle = 0);
// Adds a monitor; the first one added is the primary monitor.
void AddMonitor(RECT monitor, RECT work);
RECT WindowRect(HWND window);
const std::vector<SetWindowPosCall>& SetWindowPosCalls();
// The windows from top to bottom.
std::vector<HWND> ZOrder();

// ---- What the user does with the mouse ----
// A button pressed or released over a window at the current tick, delivered
// as the system does: a second press within the double-click time (500 ms)
// arrives as WM_xBUTTONDBLCLK when the window's class has CS_DBLCLKS.
void MouseButton(HWND window, UINT message);
// How far the system's move loop, entered through WM_NCLBUTTONDOWN on the
// caption, drags the window.
void DragBy(int dx, int dy);

// ---- Messages and windows ----
// Dispatches posted messages until none is left; returns how many.
int PumpMessages();
// The posted messages not yet dispatched.
std::vector<MSG> PostedMessages();
bool QuitPosted();
struct LayeredCall {
  HWND window;
  COLORREF key;
  BYTE alpha;
  DWORD flags;
};
const std::vector<LayeredCall>& LayeredCalls();
struct TimerCall {
  HWND window;
  UINT_PTR id;
  UINT period;
  TIMERPROC proc;
};
const std::vector<TimerCall>& TimerCalls();
bool WindowExists(HWND window);
// The foreground lock: from now on until Reset, a new window is shown without WM_ACTIVATEAPP.
void RefuseActivation(bool refused);
// Makes CreateCompatibleBitmap fail from now on until Reset.
void FailBitmaps(bool fail);

// The message loop ends when this returns with no message posted (a real
// loop would wait); a test posts what the user does from here.
void OnIdle(std::function<void()> script);
// Posts the timer message of the last SetTimer (of that id when one is given),
// as the system does once per period.
void FireTimer(UINT_PTR id = 0);
// The text a window or control shows (wide texts as UTF-8), its icon, whether it is visible.
std::string WindowText(HWND window);
HICON WindowIcon(HWND window);
bool WindowVisible(HWND window);

// ---- Process ----
void SetNetwork(bool present);
int DpiAwareCalls();
// Every monitor's DPI, and the system's; 0 for a system without the per-monitor calls (before Windows 10 1703).
// An awareness (1: of the system's DPI, 2: of each monitor's) is the one the process had before the program asked.
void SetMonitorDpi(UINT dpi, UINT systemDpi = USER_DEFAULT_SCREEN_DPI, int awarenessBefore = 0);
int CoInitializeCalls();
int CoUninitializeCalls();
DWORD CommonControlClasses();
int ImeDisableCalls();

// ---- Dialogs, pickers and boxes: scripted by the test while they are open ----
// Plays the setting dialog: set texts, press arrows and buttons.
void OnDialog(std::function<void(HWND dialog)> script);
void TypeInto(HWND dialog, int id, const char* text);
INT_PTR PressButton(HWND dialog, int id);
void Spin(HWND dialog, int id, int delta);
void ClickCheckBox(HWND dialog, int id);
int BeepCount();
HWND FocusedWindow();
// What a picker does: return FALSE for cancel, or change the structure and return TRUE.
void OnChooseColor(std::function<BOOL(CHOOSECOLORA&)> script);
void OnChooseFont(std::function<BOOL(CHOOSEFONTA&)> script);
// The last popup (dialog, picker or message box) as it looked when it closed.
struct PopupRecord {
  std::string kind, caption, text;
  HICON icon;
  RECT rect;
  UINT type;
};
const std::vector<PopupRecord>& Popups();
// Runs while a message box is open, as other programs and Windows do.
void OnMessageBox(std::function<void()> script);
void SetShellResult(INT_PTR result);
std::vector<std::string> ShellOpened();

// ---- Clipboard ----
void HoldClipboard(bool heldElsewhere);
void PutOnClipboard(UINT format, const std::string& bytes);
bool ClipboardHas(UINT format);
// The bytes of a format's block, whole.
std::string ClipboardBytes(UINT format);

// ---- Menus, built from the program's own resource script ----
struct MenuItem {
  std::string text;  // UTF-8, as in the resource script
  UINT id;
  UINT flags;  // MF_GRAYED, MF_CHECKED, MF_SEPARATOR, MF_POPUP; radio marks as MF_CHECKED | 0x200
  HMENU submenu;
};
constexpr UINT RADIO_MARK = 0x200;
std::vector<MenuItem> MenuItems(HMENU menu);
// What the user does in a tracked menu: the script gets the menu (already sent
// WM_INITMENUPOPUP) and returns the command picked, 0 for a dismissed menu.
void OnTrackPopupMenu(std::function<UINT(HMENU menu, HWND owner)> script);
// Opens a submenu while tracking: the platform sends WM_INITMENUPOPUP for it.
void OpenSubmenu(HWND owner, HMENU submenu);
struct TrackCall {
  HMENU menu;
  UINT flags;
  int x, y;
};
const std::vector<TrackCall>& TrackCalls();
void SetMessagePos(int x, int y);
// The item with this command id, searched through the submenus too.
const MenuItem* FindMenuItem(HMENU menu, UINT id);
int LiveMenus();

// ---- Interfaces ----
// The system's interface table as GetIfTable reports it.
void SetInterfaces(const std::vector<MIB_IFROW>& rows);
std::vector<MIB_IFROW>& Interfaces();
MIB_IFROW MakeInterface(DWORD index, DWORD type, bool up, const char* description);
void NameInterface(MIB_IFROW& row, const char* name);  // wszName, as Windows names the interface
enum class IfTableFault { NONE, REFUSE_SIZE, NO_ROOM_FOR_A_ROW, GROWS_BETWEEN_CALLS };
void SetIfTableFault(IfTableFault fault);
// GetIfEntry fails for this interface index from now on until Reset.
void FailIfEntry(DWORD index, bool fail);
// Reads of one interface's counters, by GetIfEntry or GetIfEntry2.
int GetIfEntryCalls();
int GetIfTableCalls();
// Whether the system offers GetIfEntry2 (as every Windows since Vista does) until Reset.
void OfferGetIfEntry2(bool offer);
// An interface's counters as GetIfEntry2 reads them; GetIfEntry's are their low 32 bits.
void SetOctets(MIB_IFROW& row, uint64_t in, uint64_t out);
int LiveGlobalBlocks();
// The interface GetBestInterfaceEx names for an IPv4 and an IPv6 address (0:
// it fails, as with no route), and the calls made.
void SetBestInterface(DWORD ipv4, DWORD ipv6 = 0);
int BestInterfaceCalls();

// ---- Local time ----
void SetLocalTime(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second);
void FailTimeConversion(bool fail);

// ---- Drawing ----
// One drawing call as the program made it.
struct GdiCall {
  std::string name;  // "SelectObject", "DeleteObject", "FillRect", "SetTextColor", "TextOutA", "Polyline", "BitBlt"
  HDC dc;
  HGDIOBJ object;           // the object selected, deleted or filled with
  std::vector<LONG> args;   // numbers: colour; x, y; the points' coordinates; width, height
  std::string text;
};
const std::vector<GdiCall>& GdiCalls();
void ClearGdiCalls();
// Drawing objects made and not deleted (device contexts not counted).
int LiveGdiObjects();
// Objects deleted while still selected into a device context: always a fault.
int SelectedObjectDeletions();
// The object of the given kind ("pen", "font", "brush", "bitmap") selected into dc.
HGDIOBJ SelectedObject(HDC dc, const char* kind);
// The colour a pen or brush was made with, the height of a font.
LONG ObjectValue(HGDIOBJ object);
// The device context of a window, as GetDC would give it.
HDC NewWindowDC();

// ExitProcess leaves through this exception on the host, so a test can call
// the entry procedure and see it end.
struct ProcessExit {
  UINT code;
};

}  // namespace fakewin
