// Copying the readouts to the clipboard as a two-by-two text table.
#pragma once

#include "platform/win32.h"

// Puts Rcv, tab, Max, CR LF, Snt, tab, Ave on the clipboard as CF_TEXT, as the
// last full paint wrote them. Returns what SetClipboardData returned, or null.
HANDLE CopyReadout(HWND window);
