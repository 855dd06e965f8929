#include "client9x/dialog_handlers_9x.h"
#include "dialogs/check_password_change.h"
#include "dialogs/dialog_operations.h"
#include "dialogs/password_dialog_state.h"
#include "platform/ansi_text.h"
#include "platform/exception_guard.h"
#include "platform/registry.h"
#include "platform/secure_zero.h"
#include "policy/check_context.h"

namespace hvn::win9x {
namespace {

constexpr uint32_t kExpiredNewPosition = 4;
constexpr uint32_t kExpiredConfirmPosition = 6;

// What every 9x kind records once its fields are known; then the policy message and the
// subclassing. The 9x dialogs show no user name and no domain field.
void FinishPreparation(HWND dialog) {
  PasswordDialogState& state = DialogState();
  state.UserNameField = nullptr;
  state.DomainField = nullptr;
  CopyText(state.UserName, kDialogTextSize, kDefaultUserName);
  ReadAuthenticatingAgent();
  state.RejectionOwner = nullptr;  // the rejection box has no owner on 9x
  ShowPolicyMessageOnPrepare(dialog);
  SubclassDialog(dialog, GuardedPasswordDialogProc);
}

void ClearCheckSecrets(PasswordDialogState& state) {
  platform::SecureZero(state.OldPassword, sizeof(state.OldPassword));
  platform::SecureZero(state.NewPassword, sizeof(state.NewPassword));
  platform::SecureZero(state.Confirm, sizeof(state.Confirm));
  ClearCheckContext(state.Context);
}

}  // namespace

uint32_t HandleChange9x3(HWND dialog, HWND) {
  PrepareChange9xDialog(dialog, 5000, 40, 41);
  return 0;
}

uint32_t HandleChange9x4911(HWND dialog, HWND) {
  PrepareChange9xDialog(dialog, 51, 52, 53);
  return 0;
}

uint32_t HandleExpiredNW(HWND dialog, HWND) {
  PasswordDialogState& state = DialogState();
  MarkDialogTitle(dialog);
  state.OldPasswordField = nullptr;
  state.NewPasswordField = FindNthChildWindow(dialog, kExpiredNewPosition);
  state.ConfirmField = FindNthChildWindow(dialog, kExpiredConfirmPosition);
  FinishPreparation(dialog);
  return 0;
}

void PrepareChange9xDialog(HWND dialog, int old_id, int new_id, int confirm_id) {
  PasswordDialogState& state = DialogState();
  MarkDialogTitle(dialog);
  state.OldPasswordField = ::GetDlgItem(dialog, old_id);
  state.NewPasswordField = ::GetDlgItem(dialog, new_id);
  state.ConfirmField = ::GetDlgItem(dialog, confirm_id);
  FinishPreparation(dialog);
}

void ReadAuthenticatingAgent() {
  platform::UniqueKey key;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kNetworkProviderKey, 0, KEY_QUERY_VALUE, key.Receive()) !=
      ERROR_SUCCESS) {
    return;
  }
  char value[kDialogTextSize] = {};
  DWORD size = sizeof(value);
  if (::RegQueryValueExA(key.Get(), kAuthenticatingAgentValue, nullptr, nullptr,
                         reinterpret_cast<BYTE*>(value), &size) != ERROR_SUCCESS) {
    return;
  }
  // A value that fills the buffer comes without a terminator: it is cut between characters.
  PasswordDialogState& state = DialogState();
  platform::AnsiToWide(value, platform::BoundedLength(value, sizeof(value) - 1), state.Domain,
                       kDialogTextSize);
}

int WINAPI MessageBox9x(HANDLE, HWND owner, LPWSTR text, LPWSTR title, UINT style) {
  return ::MessageBoxW(owner, text, title, style);
}

LRESULT CALLBACK GuardedPasswordDialogProc(HWND window, UINT message, WPARAM wparam,
                                           LPARAM lparam) {
  PasswordDialogState& state = DialogState();
  state.PassOn = 1;
  if (message == WM_COMMAND && LOWORD(wparam) == IDOK) {
    // The check runs in somebody else's process (a control panel, Explorer): a fault in it
    // must not end that process. Nothing was decided, so the OK goes on.
    uint32_t pass_on = 1;
    if (RunGuarded([&pass_on] { pass_on = CheckPasswordChange(); }) != 0) {
      pass_on = 1;
      ClearCheckSecrets(state);
    }
    state.PassOn = pass_on;
    if (pass_on == 0) return 0;
  }
  return ::CallWindowProcA(state.PreviousWindowProc, window, message, wparam, lparam);
}

}  // namespace hvn::win9x
