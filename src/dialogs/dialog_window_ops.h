// Window operations the dialog handlers of both clients share: the title mark that keeps a
// dialog from being handled twice, the search for a dialog's n-th descendant, and reading and
// copying window texts. Windows build only.
#ifndef HVN_DIALOGS_DIALOG_WINDOW_OPS_H_
#define HVN_DIALOGS_DIALOG_WINDOW_OPS_H_

#include <cstddef>
#include <cstdint>

#include "platform/win.h"

namespace hvn {

// The suffix a handled dialog's title carries.
constexpr char kDialogTitleMark[] = " (HVN)";
// Appends " (HVN)" to the window's title (the title read is cut to 1,016 bytes first), so the
// watcher, which compares whole titles, no longer recognises the window.
void MarkDialogTitle(HWND window);

// The n-th descendant of `parent`, counted from 1 in the order EnumChildWindows visits them;
// nullptr when there are fewer than n (or n is 0).
HWND FindNthChildWindow(HWND parent, uint32_t n);

// Copies the NUL-terminated `text` into `out` (`capacity` characters), cut to fit, always
// terminated.
void CopyText(char16_t* out, size_t capacity, const char16_t* text);

// Reads a window's text into `out` (`capacity` characters, at least 1) with GetWindowTextW;
// a missing window or unreadable text leaves it empty.
void ReadWindowTextW(HWND window, char16_t* out, size_t capacity);

}  // namespace hvn

#endif  // HVN_DIALOGS_DIALOG_WINDOW_OPS_H_
