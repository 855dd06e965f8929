// The one process-wide record of the password dialog currently intercepted: its field windows,
// the user name and domain whose policy applies, the password texts of the check in progress,
// the request and reply buffers, and what the host supplies (settings and message boxes).
//
// The dialog handlers write it on the watchers' threads, the window procedures and the check on
// the dialog's own thread; DialogStateLock keeps them from working on it at the same time. The
// check works on copies of its own and keeps only its last request, reply and rule outcomes
// here: the password texts, context and policy of this record stay empty.
#ifndef HVN_DIALOGS_PASSWORD_DIALOG_STATE_H_
#define HVN_DIALOGS_PASSWORD_DIALOG_STATE_H_

#include <cstddef>
#include <cstdint>

#include "dialogs/check_report.h"
#include "dialogs/message_box.h"
#include "platform/win.h"
#include "policy/check_context.h"
#include "policy/password_policy.h"
#include "policy/rule_results.h"
#include "query/reply.h"
#include "query/request.h"

namespace hvn {

class ClientSettings;

constexpr size_t kDialogTextSize = 256;      // characters, terminator included
constexpr size_t kPolicyMessageSize = 4096;  // characters
constexpr size_t kRule2900TextSize = kRule2900TextCapacity;

// The signature of Winlogon's WlxMessageBox: host handle, owner window, text, title, style.
using MessageBoxFunction = int(WINAPI*)(HANDLE host, HWND owner, LPWSTR text, LPWSTR title,
                                        UINT style);

// How the host shows a message box. HVNc32 installs Winlogon's WlxMessageBox with its host
// handle (from WlxInitialize); the 9x client a function that calls MessageBoxW. Without a
// function installed, MessageBoxW is called directly.
struct MessageBoxService {
  MessageBoxFunction Function;
  HANDLE Host;
};

struct PasswordDialogState {
  HWND UserNameField;     // CHANGE_NT only; none for the other kinds
  HWND DomainField;       // CHANGE_NT only; none for the other kinds
  HWND OldPasswordField;  // none in dialogs that do not ask for the old password
  HWND NewPasswordField;
  HWND ConfirmField;
  char16_t UserName[kDialogTextSize];  // "HVN_DefaultUser" where the dialog shows none
  char16_t Domain[kDialogTextSize];
  char16_t OldPassword[kDialogTextSize];  // the password texts live only during a check
  char16_t NewPassword[kDialogTextSize];
  char16_t Confirm[kDialogTextSize];
  char16_t Request[kRequestCapacity];
  char16_t Reply[kReplyBytes / sizeof(char16_t)];  // first string empty when no server answered
  char16_t Rule2900Text[kRule2900TextSize];
  PasswordPolicy Policy;
  CheckContext Context;
  RuleResults Results;
  char16_t LastPolicyMessage[kPolicyMessageSize];
  WNDPROC PreviousWindowProc;
  uint32_t PassOn;  // the last check's result; 1 at the start of every message

  // Owner of the rejection box: the user-name field of a CHANGE_NT dialog, the dialog itself
  // for the kinds without one, none on 9x. Set by the handler that prepared the dialog.
  HWND RejectionOwner;

  // Supplied by the host before any dialog is watched.
  MessageBoxService MessageBox;
  const ClientSettings* Settings;  // none: no server is asked and no policy message shown
  CheckReportFunction Report;      // none: the checks' findings are not reported
};

// The process-wide record (static storage, lives as long as the process).
PasswordDialogState& DialogState();

// Holds the record's lock while it lives: at most one handler or check works on the record at
// a time. Held only around plain memory work on the record: never across a message box or a
// call that sends a message to another thread's window (reading or setting its text, moving or
// closing it; a box owned by a dialog sends messages to the dialog's thread, and if that thread
// waited for the lock, neither would go on), never across a query or the parse and evaluation
// of a check (a crash guard that abandons such work skips the release, and the lock would stay
// held). The lock is recursive.
class DialogStateLock {
 public:
  DialogStateLock();
  ~DialogStateLock();
  DialogStateLock(const DialogStateLock&) = delete;
  DialogStateLock& operator=(const DialogStateLock&) = delete;
};

// Shows `text` in a message box titled "Halvern" through the host's service. The result is
// not used.
void ShowMessageBox(HWND owner, const char16_t* text, UINT style);

}  // namespace hvn

#endif  // HVN_DIALOGS_PASSWORD_DIALOG_STATE_H_
