#include "display/clipboard.h"

#include "app/app_state.h"
#include "display/readouts.h"

namespace {

// The table mirrors the window: received and peak on the first row, sent and
// average on the second.
constexpr u32 tableOrder[READOUT_COUNT]{0, 2, 1, 3};
constexpr char separators[READOUT_COUNT][3]{"\t", "\r\n", "\t", ""};
constexpr u32 SPARE_BYTES = 2;  // the block is two bytes longer than its text

}  // namespace

HANDLE CopyReadout(HWND window) {
  // The four strings stand back to back, each with its NUL.
  const char* strings[READOUT_COUNT];
  const char* p = app.readoutText;
  for (const char*& s : strings) {
    s = p;
    while (*p) ++p;
    ++p;
  }
  u32 n = u32(p - app.readoutText);

  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, n + 1 + SPARE_BYTES);
  if (!block) return nullptr;
  char* text = static_cast<char*>(GlobalLock(block));
  if (!text) {
    GlobalFree(block);
    return nullptr;
  }
  char* at = text;
  for (u32 i = 0; i < READOUT_COUNT; ++i) {
    for (const char* s = strings[tableOrder[i]]; *s;) *at++ = *s++;
    for (const char* s = separators[i]; *s;) *at++ = *s++;
  }
  // The terminator and the spare bytes: Wine hands the whole block to other
  // programs, where unwritten bytes would show as stray characters.
  for (u32 i = 0; i <= SPARE_BYTES; ++i) *at++ = 0;
  GlobalUnlock(block);

  if (!OpenClipboard(window)) {
    GlobalFree(block);
    return nullptr;
  }
  // Only text is replaced: other data on the clipboard stays beside the new text.
  if (IsClipboardFormatAvailable(CF_TEXT)) EmptyClipboard();
  HANDLE placed = SetClipboardData(CF_TEXT, block);
  if (!placed) GlobalFree(block);
  CloseClipboard();
  return placed;
}
