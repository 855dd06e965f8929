// Preparing a recognised password dialog for the check: the policy message shown when it is
// prepared, subclassing with the window procedure that runs the check on OK, and the whole
// preparation of dialogs whose fields are found by position. Windows build only.
#ifndef HVN_DIALOGS_DIALOG_PREPARATION_H_
#define HVN_DIALOGS_DIALOG_PREPARATION_H_

#include <cstdint>

#include "platform/win.h"

namespace hvn {

// The user name recorded for dialogs that show none.
constexpr char16_t kDefaultUserName[] = u"HVN_DefaultUser";

// When the settings ask for it: requests the policy message for the recorded domain and user
// name, empties the last policy message and, when a text came back, shows it (owned by
// `owner`, information icon) and keeps it as the last policy message. Takes the record's lock
// only between the query and the box, never across them.
void ShowPolicyMessageOnPrepare(HWND owner);

// Replaces the dialog's window procedure with `procedure`; the previous one is recorded in the
// dialog state before the new one can run. A dialog that is gone, or whose procedure is
// `procedure` already, is left as it is. Takes the record's lock.
void SubclassDialog(HWND dialog, WNDPROC procedure);

// Records the fields of a dialog that shows no user name and no domain field: the three
// password fields (null: none), no user-name or domain field, "HVN_DefaultUser" and
// `rejection_owner` as the owner of a later rejection box, then runs `read_domain` (when not
// null), which records the domain. Holds the record's lock only while recording.
void RecordPositionalFields(HWND old_field, HWND new_field, HWND confirm_field,
                            void (*read_domain)(), HWND rejection_owner);

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

}  // namespace hvn

#endif  // HVN_DIALOGS_DIALOG_PREPARATION_H_
