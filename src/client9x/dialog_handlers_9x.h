// The 9x dialog handlers, called by the hook on the thread that activates the dialog, and
// what they need: the domain from the network provider's registry value, the message-box
// service and the guarded window procedure. Windows build only.
#ifndef HVN_CLIENT9X_DIALOG_HANDLERS_9X_H_
#define HVN_CLIENT9X_DIALOG_HANDLERS_9X_H_

#include <cstdint>

#include "platform/win.h"

namespace hvn::win9x {

// Where the 9x network provider names the domain that authenticates the user.
constexpr char kNetworkProviderKey[] =
    "SYSTEM\\CurrentControlSet\\Services\\MSNP32\\NetworkProvider";
constexpr char kAuthenticatingAgentValue[] = "AuthenticatingAgent";

// CHANGE_9X_3 (fields 5000, 40, 41) and CHANGE_9X_4_9_11 (51, 52, 53).
uint32_t HandleChange9x3(HWND dialog, HWND control);
uint32_t HandleChange9x4911(HWND dialog, HWND control);
// EXPIRED_NW on 9x: no old password, new and confirm the 4th and 6th descendants.
uint32_t HandleExpiredNW(HWND dialog, HWND control);

// Marks the dialog, records its fields by id (a missing id gives no field), user name
// "HVN_DefaultUser" and the authenticating agent as domain, shows the policy message if
// wanted and subclasses the dialog with GuardedPasswordDialogProc.
void PrepareChange9xDialog(HWND dialog, int old_id, int new_id, int confirm_id);

// Sets the recorded domain to the "AuthenticatingAgent" value; when the key or the value
// cannot be read, the domain stays as it was.
void ReadAuthenticatingAgent();

// The 9x message-box service, with the signature of Winlogon's WlxMessageBox: ignores the
// host handle and returns what MessageBoxW returns.
int WINAPI MessageBox9x(HANDLE host, HWND owner, LPWSTR text, LPWSTR title, UINT style);

// PasswordDialogProc with the check run under the crash guard: a check that faults lets the
// OK go on (nothing was decided); it held no lock, and the guard wipes the stack it used.
LRESULT CALLBACK GuardedPasswordDialogProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace hvn::win9x

#endif  // HVN_CLIENT9X_DIALOG_HANDLERS_9X_H_
