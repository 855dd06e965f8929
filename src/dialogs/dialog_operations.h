// Operations the dialog handlers of both clients share: the title mark that keeps a dialog
// from being handled twice, the version tests, the search for a dialog's n-th descendant, the
// policy message shown when a dialog is prepared, and subclassing with the window procedure
// that runs the check on OK. Windows build only.
#ifndef HVN_DIALOGS_DIALOG_OPERATIONS_H_
#define HVN_DIALOGS_DIALOG_OPERATIONS_H_

#include <cstdint>

#include "platform/platform_id.h"
#include "platform/win.h"

namespace hvn {

// The suffix a handled dialog's title carries.
constexpr char kDialogTitleMark[] = " (HVN)";
// The user name recorded for dialogs that show none.
constexpr char16_t kDefaultUserName[] = u"HVN_DefaultUser";

// Appends " (HVN)" to the window's title (the title read is cut to 1,016 bytes first), so the
// watcher, which compares whole titles, no longer recognises the window.
void MarkDialogTitle(HWND window);

// True on Windows 2000 (NT platform, version 5.0) and on Windows XP (5.1) respectively.
bool IsWindows2000();
bool IsWindowsXP();

// The n-th descendant of `parent`, counted from 1 in the order EnumChildWindows visits them;
// nullptr when there are fewer than n (or n is 0).
HWND FindNthChildWindow(HWND parent, uint32_t n);

// When the settings ask for it: requests the policy message for the recorded domain and user
// name, empties the last policy message and, when a text came back, shows it (owned by
// `owner`, information icon) and keeps it as the last policy message. Takes the record's lock
// only between the query and the box, never across them.
void ShowPolicyMessageOnPrepare(HWND owner);

// Replaces the dialog's window procedure with `procedure`; the previous one is recorded in the
// dialog state before the new one can run. A dialog that is gone, or whose procedure is
// `procedure` already, is left as it is. Takes the record's lock.
void SubclassDialog(HWND dialog, WNDPROC procedure);

// Prepares a dialog whose fields are found by position and that shows no user name: marks it,
// finds the fields (`old_position` 0: no old-password field), records "HVN_DefaultUser",
// runs `read_domain`, shows the policy message and subclasses the dialog with
// PasswordDialogProc. `rejection_owner` is the owner of a later rejection box.
void PreparePositionalDialog(HWND dialog, uint32_t old_position, uint32_t new_position,
                             uint32_t confirm_position, void (*read_domain)(),
                             HWND rejection_owner);

// The window procedure of dialogs without a user-name field: an OK (WM_COMMAND, IDOK) runs
// CheckPasswordChange first and is consumed when the check says so (result 0); every other
// message goes to the dialog's previous procedure.
LRESULT CALLBACK PasswordDialogProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// Copies the NUL-terminated `text` into `out` (`capacity` characters), cut to fit, always
// terminated.
void CopyText(char16_t* out, size_t capacity, const char16_t* text);

// Reads a window's text into `out` (`capacity` characters, at least 1) with GetWindowTextW;
// a missing window or unreadable text leaves it empty.
void ReadWindowTextW(HWND window, char16_t* out, size_t capacity);

}  // namespace hvn

#endif  // HVN_DIALOGS_DIALOG_OPERATIONS_H_
