// Dialogs, pickers, message boxes, the shell, the clipboard and wide text of
// the fake Win32. A modal popup opens as a window, receives what was posted
// before it (as a real modal loop would dispatch it), runs the test's script
// and closes; the test then sees how it looked.
#include <iconv.h>

#include <cstring>
#include <map>
#include <sstream>

#include "fakewin/fake_resources.h"
#include "fakewin/fake_windows.h"

namespace fakewin {
HWND OpenPopup(const char* caption, HWND owner);
void ClosePopup(HWND popup);
HWND AddDialogItem(HWND dialog, int id, const std::string& text, bool visible);
void SetDialogProc(HWND dialog, DLGPROC proc);
HWND DialogItem(HWND dialog, int id);
bool EndModal(HWND dialog, INT_PTR result);
bool ModalResult(HWND dialog, INT_PTR& result);
void SetChecked(HWND item, bool checked);
bool Checked(HWND item);
size_t BlockSize(HGLOBAL block);
}  // namespace fakewin

namespace {

std::function<void(HWND)> dialogScript;
std::function<BOOL(CHOOSECOLORA&)> colorScript;
std::function<BOOL(CHOOSEFONTA&)> fontScript;
std::function<void()> messageBoxScript;
std::vector<fakewin::PopupRecord> popups;
int beeps = 0;
HWND focused = nullptr;
INT_PTR shellResult = 2;  // file not found
bool shiftJisRemoved = false;
std::vector<std::string> shellOpened;

std::map<UINT, HANDLE> clipboard;
bool clipboardOpen = false;
bool clipboardHeld = false;

std::string Convert(const char* to, const char* from, const char* bytes, size_t length) {
  iconv_t cd = iconv_open(to, from);
  if (cd == iconv_t(-1)) return "";
  std::string out(length * 4 + 8, '\0');
  char* in = const_cast<char*>(bytes);
  char* o = out.data();
  size_t inLeft = length, outLeft = out.size();
  size_t done = iconv(cd, &in, &inLeft, &o, &outLeft);
  iconv_close(cd);
  if (done == size_t(-1)) return "";
  out.resize(out.size() - outLeft);
  return out;
}

std::string Utf8(LPCWSTR wide) {
  size_t n = 0;
  while (wide[n]) ++n;
  return Convert("UTF-8", "UTF-16LE", reinterpret_cast<const char*>(wide), 2 * n);
}

void Record(const char* kind, HWND popup, const std::string& text = "", UINT type = 0) {
  RECT r;
  GetWindowRect(popup, &r);
  popups.push_back({kind, fakewin::WindowText(popup), text, fakewin::WindowIcon(popup), r, type});
}

// The setting dialog's controls, read from the resource script's template.
void AddTemplateItems(HWND dialog, const std::string& name) {
  auto ids = fakewin::ResourceIds();
  bool inside = false;
  for (const std::string& line : fakewin::ResourceScriptLines()) {
    std::istringstream words(line);
    std::string first;
    words >> first;
    if (first == name && line.find("DIALOG") != std::string::npos) inside = true;
    if (!inside) continue;
    if (first == "CAPTION") SetWindowTextA(dialog, line.substr(line.find('"') + 1, line.rfind('"') - line.find('"') - 1).c_str());
    if (first == "END") return;
    size_t q1 = line.find('"'), q2 = line.find('"', q1 + 1);
    std::string text = q1 == std::string::npos ? "" : line.substr(q1 + 1, q2 - q1 - 1);
    for (const auto& [id, value] : ids) {
      if ((id.rfind("IDC_", 0) == 0 || id == "IDOK" || id == "IDCANCEL") &&
          line.find(" " + id + ",") != std::string::npos) {
        fakewin::AddDialogItem(dialog, int(value), text, line.find("NOT WS_VISIBLE") == std::string::npos);
      }
    }
  }
}

}  // namespace

INT_PTR DialogBoxParamA(HINSTANCE, LPCSTR name, HWND owner, DLGPROC proc, LPARAM parameter) {
  auto ids = fakewin::ResourceIds();
  std::string templateName;
  for (const auto& [id, value] : ids)
    if (id.rfind("IDD_", 0) == 0 && value == reinterpret_cast<uintptr_t>(name)) templateName = id;
  if (templateName.empty()) return -1;
  HWND dialog = fakewin::OpenPopup("", owner);
  AddTemplateItems(dialog, templateName);
  fakewin::SetDialogProc(dialog, proc);
  SendMessageA(dialog, WM_INITDIALOG, 0, parameter);
  INT_PTR result = 0;
  if (dialogScript) dialogScript(dialog);
  if (!fakewin::ModalResult(dialog, result)) result = 0;  // left open by the script: as if cancelled
  std::string prompt = fakewin::WindowText(fakewin::DialogItem(dialog, 111));
  Record("dialog", dialog, prompt);
  fakewin::ClosePopup(dialog);
  return result;
}

BOOL EndDialog(HWND dialog, INT_PTR result) { return fakewin::EndModal(dialog, result); }

HWND GetDlgItem(HWND dialog, int id) { return fakewin::DialogItem(dialog, id); }

BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL) {
  return SetWindowTextA(GetDlgItem(dialog, id), std::to_string(value).c_str());
}

UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL) {
  std::string text = fakewin::WindowText(GetDlgItem(dialog, id));
  bool digits = !text.empty() && text.size() <= 10 && text.find_first_not_of("0123456789") == std::string::npos;
  unsigned long long value = digits ? std::stoull(text) : 0;
  bool ok = digits && value <= 0xFFFFFFFFull;
  if (translated) *translated = ok;
  return ok ? UINT(value) : 0;
}

LRESULT SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
  return SendMessageA(GetDlgItem(dialog, id), message, wParam, lParam);
}

BOOL MessageBeep(UINT) {
  ++beeps;
  return TRUE;
}

HWND SetFocus(HWND window) {
  HWND previous = focused;
  focused = window;
  return previous;
}

// A common dialog: open while the test's script decides, cancelled without one.
template <typename Picker>
BOOL RunPicker(const char* kind, const std::function<BOOL(Picker&)>& script, Picker* picker) {
  HWND popup = fakewin::OpenPopup(kind, picker->hwndOwner);
  BOOL chosen = script ? script(*picker) : FALSE;
  Record(kind, popup);
  fakewin::ClosePopup(popup);
  return chosen;
}

BOOL ChooseColorA(CHOOSECOLORA* picker) { return RunPicker("color", colorScript, picker); }
BOOL ChooseFontA(CHOOSEFONTA* picker) { return RunPicker("font", fontScript, picker); }

// Texts as UTF-8.
static int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) {
  HWND popup = fakewin::OpenPopup(caption.c_str(), owner);
  if (messageBoxScript) messageBoxScript();
  Record("message", popup, text, type);
  fakewin::ClosePopup(popup);
  return IDOK;
}

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
  return ShowMessageBox(owner, Utf8(text), Utf8(caption), type);
}
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  return ShowMessageBox(owner, text, caption, type);
}

BOOL SetWindowTextW(HWND window, LPCWSTR text) { return SetWindowTextA(window, Utf8(text).c_str()); }

HINSTANCE ShellExecuteA(HWND, LPCSTR, LPCSTR file, LPCSTR, LPCSTR, INT) {
  shellOpened.push_back(file);
  return reinterpret_cast<HINSTANCE>(shellResult);
}

int MultiByteToWideChar(UINT codePage, DWORD, LPCSTR text, int length, LPWSTR wide, int wideLength) {
  if (codePage == 932 && shiftJisRemoved) return 0;
  size_t n = length < 0 ? strlen(text) + 1 : size_t(length);
  std::string utf16 = Convert("UTF-16LE", codePage == 932 ? "CP932" : "WINDOWS-1252", text, n);
  if (utf16.empty() && n) return 0;
  int count = int(utf16.size() / 2);
  if (wideLength == 0) return count;
  if (count > wideLength) return 0;
  memcpy(wide, utf16.data(), utf16.size());
  return count;
}

BOOL OpenClipboard(HWND) {
  if (clipboardHeld || clipboardOpen) return FALSE;
  clipboardOpen = true;
  return TRUE;
}

BOOL CloseClipboard() {
  bool wasOpen = clipboardOpen;
  clipboardOpen = false;
  return wasOpen;
}

BOOL EmptyClipboard() {
  if (!clipboardOpen) return FALSE;
  for (auto& [format, data] : clipboard) GlobalFree(data);
  clipboard.clear();
  return TRUE;
}

BOOL IsClipboardFormatAvailable(UINT format) { return clipboard.count(format) != 0; }

HANDLE SetClipboardData(UINT format, HANDLE data) {
  if (!clipboardOpen || !data) return nullptr;
  if (clipboard.count(format)) GlobalFree(clipboard[format]);
  clipboard[format] = data;
  return data;
}

namespace fakewin {

void ResetDialogs() {
  messageBoxScript = nullptr;
  dialogScript = nullptr;
  colorScript = nullptr;
  fontScript = nullptr;
  popups.clear();
  beeps = 0;
  focused = nullptr;
  shellResult = 2;
  shiftJisRemoved = false;
  shellOpened.clear();
  clipboard.clear();
  clipboardOpen = clipboardHeld = false;
}

void OnDialog(std::function<void(HWND)> script) { dialogScript = std::move(script); }
void TypeInto(HWND dialog, int id, const char* text) { SetWindowTextA(GetDlgItem(dialog, id), text); }

INT_PTR PressButton(HWND dialog, int id) {
  return SendMessageA(dialog, WM_COMMAND, WPARAM(id), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void Spin(HWND dialog, int id, int delta) {
  NMUPDOWN change{{GetDlgItem(dialog, id), UINT_PTR(id), UDN_DELTAPOS}, 0, delta};
  SendMessageA(dialog, WM_NOTIFY, WPARAM(id), reinterpret_cast<LPARAM>(&change));
}

void ClickCheckBox(HWND dialog, int id) {
  HWND item = GetDlgItem(dialog, id);
  SetChecked(item, !Checked(item));
}

int BeepCount() { return beeps; }
HWND FocusedWindow() { return focused; }
void OnChooseColor(std::function<BOOL(CHOOSECOLORA&)> script) { colorScript = std::move(script); }
void OnChooseFont(std::function<BOOL(CHOOSEFONTA&)> script) { fontScript = std::move(script); }
const std::vector<PopupRecord>& Popups() { return popups; }
void OnMessageBox(std::function<void()> script) { messageBoxScript = std::move(script); }
void SetShellResult(INT_PTR result) { shellResult = result; }
void RemoveShiftJis(bool removed) { shiftJisRemoved = removed; }
std::vector<std::string> ShellOpened() { return shellOpened; }

void HoldClipboard(bool heldElsewhere) { clipboardHeld = heldElsewhere; }

void PutOnClipboard(UINT format, const std::string& bytes) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  memcpy(GlobalLock(block), bytes.data(), bytes.size());
  clipboard[format] = block;
}

bool ClipboardHas(UINT format) { return clipboard.count(format) != 0; }

std::string ClipboardBytes(UINT format) {
  if (!clipboard.count(format)) return "";
  HGLOBAL block = clipboard[format];
  return std::string(static_cast<const char*>(GlobalLock(block)), BlockSize(block));
}

}  // namespace fakewin
