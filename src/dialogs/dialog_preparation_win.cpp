#include <cstring>

#include "dialogs/check_password_change.h"
#include "dialogs/dialog_preparation.h"
#include "dialogs/dialog_requests.h"
#include "dialogs/dialog_window_ops.h"
#include "dialogs/password_dialog_state.h"
#include "query/reply.h"

namespace hvn {

void ShowPolicyMessageOnPrepare(HWND owner) {
  if (!PolicyMessageWanted()) return;
  PasswordDialogState& state = DialogState();
  {
    DialogStateLock lock;
    std::memset(state.LastPolicyMessage, 0, sizeof(state.LastPolicyMessage));
  }
  // Neither the query nor the box holds the lock: a slow server or a user still reading
  // holds up no other handler and no check.
  char16_t reply[kReplyBytes / sizeof(char16_t)];
  FetchForRecordedDialog(RequestKind::kPolicyMessage, reply);
  if (!HasReply(reply, sizeof(reply))) return;
  ShowMessageBox(owner, reply, kPolicyBoxStyle);
  DialogStateLock lock;
  CopyText(state.LastPolicyMessage, kPolicyMessageSize, reply);
}

void SubclassDialog(HWND dialog, WNDPROC procedure) {
  DialogStateLock lock;
  PasswordDialogState& state = DialogState();
  WNDPROC current = reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(dialog, GWLP_WNDPROC));
  // A dialog that is gone has nothing to subclass. One that is already ours stays as it is:
  // recorded as its own previous procedure, ours would call itself until the stack is gone.
  if (current == nullptr || current == procedure) return;
  // The dialog's thread may dispatch a message the moment the new procedure is in place, so
  // the previous one must be recorded before, not after.
  state.PreviousWindowProc = current;
  LONG_PTR previous =
      ::SetWindowLongPtrA(dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure));
  if (previous != 0) state.PreviousWindowProc = reinterpret_cast<WNDPROC>(previous);
}

void RecordPositionalFields(HWND old_field, HWND new_field, HWND confirm_field,
                            void (*read_domain)(), HWND rejection_owner) {
  {
    DialogStateLock lock;
    PasswordDialogState& state = DialogState();
    state.OldPasswordField = old_field;
    state.NewPasswordField = new_field;
    state.ConfirmField = confirm_field;
    // This dialog has neither field; handles of an earlier dialog must not be used for it.
    state.UserNameField = nullptr;
    state.DomainField = nullptr;
    CopyText(state.UserName, kDialogTextSize, kDefaultUserName);
    state.RejectionOwner = rejection_owner;
  }
  // Outside the lock: the domain is read from the system, and recorded under the lock by the
  // reader itself.
  if (read_domain != nullptr) read_domain();
}

void PreparePositionalDialog(HWND dialog, uint32_t old_position, uint32_t new_position,
                             uint32_t confirm_position, void (*read_domain)(),
                             HWND rejection_owner) {
  // Outside the lock: marking sends messages to the dialog's thread.
  MarkDialogTitle(dialog);
  HWND old_field = old_position != 0 ? FindNthChildWindow(dialog, old_position) : nullptr;
  HWND new_field = FindNthChildWindow(dialog, new_position);
  HWND confirm_field = FindNthChildWindow(dialog, confirm_position);
  RecordPositionalFields(old_field, new_field, confirm_field, read_domain, rejection_owner);
  ShowPolicyMessageOnPrepare(dialog);
  SubclassDialog(dialog, PasswordDialogProc);
}

LRESULT CALLBACK PasswordDialogProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  PasswordDialogState& state = DialogState();
  state.PassOn = 1;
  if (message == WM_COMMAND && LOWORD(wparam) == IDOK) {
    // Messages sent while the check runs (the message box) also pass through here and reset
    // the flag: decide on the check's own result.
    uint32_t pass_on = CheckPasswordChange();
    state.PassOn = pass_on;
    if (pass_on == 0) return 0;
  }
  return ::CallWindowProcA(state.PreviousWindowProc, window, message, wparam, lparam);
}

}  // namespace hvn
