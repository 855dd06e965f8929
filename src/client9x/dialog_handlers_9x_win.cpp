#include "client9x/dialog_handlers_9x.h"
#include "dialogs/check_password_change.h"
#include "dialogs/dialog_preparation.h"
#include "dialogs/dialog_window_ops.h"
#include "dialogs/password_dialog_state.h"
#include "platform/ansi_text.h"
#include "platform/exception_guard.h"
#include "platform/registry.h"

namespace hvn::win9x {
namespace {

constexpr uint32_t kExpiredNewPosition = 4;
constexpr uint32_t kExpiredConfirmPosition = 6;

// Records the fields found and what every 9x kind records with them, then shows the policy
// message and subclasses the dialog. The 9x dialogs show no user name and no domain field.
void FinishPreparation(HWND dialog, HWND old_field, HWND new_field, HWND confirm_field) {
  // The rejection box has no owner on 9x.
  RecordPositionalFields(old_field, new_field, confirm_field, ReadAuthenticatingAgent, nullptr);
  ShowPolicyMessageOnPrepare(dialog);
  SubclassDialog(dialog, GuardedPasswordDialogProc);
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
  MarkDialogTitle(dialog);
  FinishPreparation(dialog, nullptr, FindNthChildWindow(dialog, kExpiredNewPosition),
                    FindNthChildWindow(dialog, kExpiredConfirmPosition));
  return 0;
}

void PrepareChange9xDialog(HWND dialog, int old_id, int new_id, int confirm_id) {
  MarkDialogTitle(dialog);
  FinishPreparation(dialog, ::GetDlgItem(dialog, old_id), ::GetDlgItem(dialog, new_id),
                    ::GetDlgItem(dialog, confirm_id));
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
  DialogStateLock lock;
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
    // must not end that process. Nothing was decided, so the OK goes on. The check held no
    // lock while it worked, and the guard has overwritten the stack that held its copies.
    uint32_t pass_on = 1;
    if (RunGuarded([&pass_on] { pass_on = CheckPasswordChange(); }) != 0) pass_on = 1;
    state.PassOn = pass_on;
    if (pass_on == 0) return 0;
  }
  return ::CallWindowProcA(state.PreviousWindowProc, window, message, wparam, lparam);
}

}  // namespace hvn::win9x
