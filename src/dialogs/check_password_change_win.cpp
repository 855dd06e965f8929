#include <cstring>
#include <iterator>

#include "config/client_settings.h"
#include "dialogs/check_findings.h"
#include "dialogs/check_password_change.h"
#include "dialogs/dialog_requests.h"
#include "dialogs/dialog_window_ops.h"
#include "dialogs/password_dialog_state.h"
#include "dialogs/recognition_triples.h"
#include "platform/ansi_text.h"
#include "platform/platform_id.h"
#include "platform/secure_zero.h"
#include "policy/check_context.h"
#include "policy/dictionary_folders.h"
#include "policy/evaluate_policy.h"
#include "policy/policy_reply.h"
#include "query/reply.h"

namespace hvn {
namespace {

// Reads one password field. On NT the text is read as UTF-16; on 9x in the ANSI code page and
// converted. `out` holds kDialogTextSize characters and is already zero.
void ReadPasswordField(HWND field, char16_t* out, bool nt) {
  if (nt) {
    ::GetWindowTextW(field, platform::AsWide(out), static_cast<int>(kDialogTextSize));
    out[kDialogTextSize - 1] = u'\0';
    return;
  }
  char ansi[kDialogTextSize];
  std::memset(ansi, 0, sizeof(ansi));
  ::GetWindowTextA(field, ansi, static_cast<int>(sizeof(ansi)));
  ansi[sizeof(ansi) - 1] = '\0';
  ::MultiByteToWideChar(CP_ACP, 0, ansi, -1, platform::AsWide(out),
                        static_cast<int>(kDialogTextSize));
  out[kDialogTextSize - 1] = u'\0';
  platform::SecureZero(ansi, sizeof(ansi));
}

// The three password fields of the dialog being checked.
struct PasswordFields {
  HWND Old;  // none in dialogs that do not ask for the old password
  HWND New;
  HWND Confirm;
};

// Everything one check works on. It lives on the checking thread's own stack: the record's
// lock is taken only to copy the dialog's names in and the last reply out, never while the
// check queries, parses and evaluates, and two checks never share it. The password texts are
// cleared once the rules are checked, and again when the check returns; a fault that a crash
// guard catches abandons this with the rest of the stack, which the guard overwrites.
struct CheckWork {
  PasswordFields Fields = {};
  HWND RejectionOwner = nullptr;
  const ClientSettings* Settings = nullptr;
  char16_t UserName[kDialogTextSize] = {};
  char16_t Domain[kDialogTextSize] = {};
  char16_t OldPassword[kDialogTextSize] = {};
  char16_t NewPassword[kDialogTextSize] = {};
  char16_t Confirm[kDialogTextSize] = {};
  char16_t Request[kRequestCapacity] = {};
  char16_t Reply[kReplyBytes / sizeof(char16_t)] = {};
  char16_t Rule2900Text[kRule2900TextSize] = {};
  PasswordPolicy Policy;
  CheckContext Context = {};
  RuleResults Results = {};
  // What the host is told: set when the check let the change through unchecked or refused it.
  SweepReport Sweep = {};
  bool Found = false;
  CheckFinding Finding = CheckFinding::kRefused;
  char Detail[kCheckDetailSize] = {};

  ~CheckWork() { ClearPasswords(); }

  // Overwrites the typed texts and the context's copies of them with zeros.
  void ClearPasswords() {
    platform::SecureZero(OldPassword, sizeof(OldPassword));
    platform::SecureZero(NewPassword, sizeof(NewPassword));
    platform::SecureZero(Confirm, sizeof(Confirm));
    ClearCheckContext(Context);
  }
};

// Copies what the handler recorded for the dialog: fields, rejection owner, names, settings.
void TakeRecordedDialog(CheckWork& work) {
  const PasswordDialogState& state = DialogState();
  DialogStateLock lock;
  work.Fields = {state.OldPasswordField, state.NewPasswordField, state.ConfirmField};
  work.RejectionOwner = state.RejectionOwner;
  work.Settings = state.Settings;
  CopyText(work.UserName, kDialogTextSize, state.UserName);
  CopyText(work.Domain, kDialogTextSize, state.Domain);
}

// Reads the typed texts. Without the lock: a field of another thread's window is read by a
// sent message.
void ReadPasswordFields(CheckWork& work) {
  bool nt = GetPlatformId() == kPlatformWindowsNT;
  if (work.Fields.Old != nullptr) ReadPasswordField(work.Fields.Old, work.OldPassword, nt);
  ReadPasswordField(work.Fields.New, work.NewPassword, nt);
  ReadPasswordField(work.Fields.Confirm, work.Confirm, nt);
}

// Length in bytes, without the terminator, of a text of kDialogTextSize or fewer characters.
uint32_t TextBytes(const char16_t* text, size_t capacity) {
  return static_cast<uint32_t>(platform::BoundedLength(text, capacity) * 2);
}

void Find(CheckWork& work, CheckFinding finding) {
  work.Found = true;
  work.Finding = finding;
}

// A finding whose detail is the servers the last request asked.
void FindWithServers(CheckWork& work, CheckFinding finding) {
  Find(work, finding);
  CopyWholeCharacters(work.Detail, sizeof(work.Detail), work.Sweep.servers_asked,
                      platform::BoundedLength(work.Sweep.servers_asked, kServersAskedSize));
}

// Everything from the comparison to the rejection text: returns the check's result, with the
// rejection text in the reply when it is 0, and records what the host is to be told.
uint32_t CheckTexts(CheckWork& work) {
  // A mismatch is the dialog's own procedure's to report; nothing is sent.
  if (std::memcmp(work.NewPassword, work.Confirm, sizeof(work.NewPassword)) != 0) return 1;

  FetchReply(RequestKind::kPolicy, work.Domain, work.UserName, work.Request, work.Reply,
             &work.Sweep);
  // No server, no answer: the change goes through unchecked.
  if (!HasReply(work.Reply, sizeof(work.Reply))) {
    FindWithServers(work, FindingOfNoReply(work.Sweep));
    return 1;
  }

  // Bounded by the buffer: a full-size reply has no final empty record to stop at.
  ParsePolicyReply(work.Policy, work.Rule2900Text, kRule2900TextSize, work.Reply,
                   std::size(work.Reply));
  PrepareCheckContext(work.Context, work.UserName, TextBytes(work.UserName, kDialogTextSize),
                      work.OldPassword, TextBytes(work.OldPassword, kDialogTextSize),
                      work.NewPassword, TextBytes(work.NewPassword, kDialogTextSize),
                      work.Rule2900Text, TextBytes(work.Rule2900Text, kRule2900TextSize));
  // The administrator's folder list, if any, limits where the dictionary may be opened.
  DictionaryAccess dictionary;
  if (work.Settings != nullptr) {
    dictionary.folders = work.Settings->DictionaryPaths;
    dictionary.folders_size = sizeof(work.Settings->DictionaryPaths);
  }
  bool acceptable = EvaluatePolicy(work.Results, work.Context, work.Policy, &dictionary);
  if (dictionary.diagnostic[0] != '\0') ::OutputDebugStringA(dictionary.diagnostic);
  if (acceptable) {
    if (!EnablesAnyRule(work.Policy)) {
      FindWithServers(work, CheckFinding::kNoRuleEnabled);
    } else if (HasUnevaluatedRule(work.Results)) {
      Find(work, CheckFinding::kRuleNotEvaluable);
      DescribeUnevaluatedRules(work.Results, work.Policy, dictionary.diagnostic, work.Detail);
    }
    return 1;
  }

  FetchRejection(work.Results, work.Domain, work.UserName, work.Request, work.Reply, &work.Sweep);
  // Without a rejection text the change goes through.
  const bool rejected = HasReply(work.Reply, sizeof(work.Reply));
  Find(work, rejected ? CheckFinding::kRefused : CheckFinding::kNoRejectionText);
  DescribeFailedRules(work.Results, work.Detail);
  return rejected ? 0 : 1;
}

// Tells the host what the check found, if anything and if the host listens.
void ReportFinding(const CheckWork& work) {
  CheckReportFunction report = DialogState().Report;
  if (!work.Found || report == nullptr) return;
  report(CheckReport{work.Finding, work.UserName, work.Domain, work.Detail});
}

// Keeps the check's last request, reply and rule outcomes in the record.
void KeepCheckResults(const CheckWork& work) {
  DialogStateLock lock;
  KeepLastReply(work.Request, work.Reply);
  DialogState().Results = work.Results;
}

// Empties the password fields after a rejection and puts the focus where the user starts
// again: the old-password field if there is one, else the new-password field.
void EmptyPasswordFields(const PasswordFields& fields) {
  if (fields.Old != nullptr) {
    ::SetWindowTextA(fields.Old, "");
    ::SetFocus(fields.Old);
  } else {
    ::SetFocus(fields.New);
  }
  ::SetWindowTextA(fields.New, "");
  ::SetWindowTextA(fields.Confirm, "");
}

}  // namespace

uint32_t CheckPasswordChange() {
  CheckWork work;
  TakeRecordedDialog(work);
  ReadPasswordFields(work);
  uint32_t result = CheckTexts(work);
  // The rules are checked: no password waits in memory for the report or the box.
  work.ClearPasswords();
  KeepCheckResults(work);
  ReportFinding(work);
  if (result != 0) return result;
  // The box and the emptied fields send messages: no lock is held.
  ShowMessageBox(work.RejectionOwner, work.Reply, kRejectionBoxStyle);
  EmptyPasswordFields(work.Fields);
  return 0;
}

}  // namespace hvn
