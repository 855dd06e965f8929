// The check that runs when the user confirms a new password in an intercepted dialog: it reads
// the password fields, fetches the domain's policy, evaluates the new password and, when it
// fails, shows the server's rejection text and keeps the dialog open. Windows build only.
#ifndef HVN_DIALOGS_CHECK_PASSWORD_CHANGE_H_
#define HVN_DIALOGS_CHECK_PASSWORD_CHANGE_H_

#include <cstdint>

namespace hvn {

// Runs the check on the dialog state (fields, user name, domain recorded by the handler that
// prepared the dialog). Returns 1 to let the OK go on to the dialog's own procedure: the new
// password and its confirmation differ, no server answered, the password is acceptable, or
// there is no rejection text. Returns 0 when the OK is consumed: the rejection text was shown
// and the password fields emptied. The check works on copies on this thread's stack and holds
// the dialog state's lock only while it copies the recorded names in and its last reply out,
// so a fault inside it, caught by the host's crash guard, leaves no lock held. The password
// texts and their copies in the check context are overwritten with zeros as soon as the rules
// are checked, before any report or rejection box.
// A change let through unchecked (and why) or refused is handed to the host's report function
// (PasswordDialogState::Report), before any rejection box; a mismatch of the two new
// passwords, a password that passed every rule and a fault are not.
uint32_t CheckPasswordChange();

}  // namespace hvn

#endif  // HVN_DIALOGS_CHECK_PASSWORD_CHANGE_H_
