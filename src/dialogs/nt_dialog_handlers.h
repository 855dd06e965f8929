// The NT dialog handlers, called by the watcher on its thread when it recognises one of the
// system's password dialogs, and the window procedure of the change-password dialog.
// Windows build only.
#ifndef HVN_DIALOGS_NT_DIALOG_HANDLERS_H_
#define HVN_DIALOGS_NT_DIALOG_HANDLERS_H_

#include <cstdint>

#include "platform/win.h"

namespace hvn {

// Control ids of the change-password dialog's fields; they differ by Windows version.
struct ChangeNtControlIds {
  int UserName;  // edit control
  int Domain;    // combo box
  int OldPassword;
  int NewPassword;
  int Confirm;
};
constexpr ChangeNtControlIds kChangeNtIds2000 = {1702, 1704, 1706, 1708, 1710};
constexpr ChangeNtControlIds kChangeNtIdsOther = {1552, 1554, 1556, 1558, 1560};

// The id set of this Windows version: 1702-1710 on 2000 and XP, 1552-1560 on any other.
const ChangeNtControlIds& ChangeNtIds();

// Cuts a domain text that begins with this computer's name followed directly by its first
// space (the 2000/XP domain list names the local computer "NAME (this computer)") at that
// space. The name is compared without regard to letter case. Other texts stay as they are.
void StripComputerName(char16_t* text);

// Sets the recorded domain to the workstation's domain or workgroup (NetWkstaGetInfo level
// 100); empty when it cannot be read.
void ReadWorkstationDomain();

// CHANGE_NT: marks the dialog, records its five fields by id and the user name and domain it
// shows, shows the policy message if wanted and subclasses it with ChangeDialogProc.
uint32_t HandleChangeNT(HWND dialog, HWND control);

// CHANGE_NW (fields at positions 5, 7, 9) and EXPIRED_NW (none, 4, 6): as HandleChangeNT,
// with user name "HVN_DefaultUser", the workstation's domain and PasswordDialogProc.
uint32_t HandleChangeNW(HWND dialog, HWND control);
uint32_t HandleExpiredNW(HWND dialog, HWND control);

// REJECTED_NT: hides the system's notice and asks for the general rejection text of the
// recorded domain and user; shows it and closes the notice, or shows the notice again when no
// text came back.
uint32_t HandleRejectedNT(HWND notice, HWND control);

// The change-password dialog's window procedure: leaving the user-name or domain field
// refreshes the recorded names (and shows the policy message of a changed user or domain when
// it differs from the last one shown); an OK runs the check.
LRESULT CALLBACK ChangeDialogProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace hvn

#endif  // HVN_DIALOGS_NT_DIALOG_HANDLERS_H_
