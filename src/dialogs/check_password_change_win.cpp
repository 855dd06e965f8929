#include <cstring>
#include <iterator>

#include "config/client_settings.h"
#include "dialogs/check_password_change.h"
#include "dialogs/dialog_requests.h"
#include "dialogs/dialog_window_ops.h"
#include "dialogs/password_dialog_state.h"
#include "platform/ansi_text.h"
#include "platform/platform_id.h"
#include "platform/secure_zero.h"
#include "policy/check_context.h"
#include "policy/dictionary_folders.h"
#include "policy/evaluate_policy.h"
#include "policy/policy_reply.h"

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

// The texts as typed; cleared by the destructor, whatever way the check ends.
struct TypedTexts {
  char16_t Old[kDialogTextSize] = {};
  char16_t New[kDialogTextSize] = {};
  char16_t Confirm[kDialogTextSize] = {};
  ~TypedTexts() {
    platform::SecureZero(Old, sizeof(Old));
    platform::SecureZero(New, sizeof(New));
    platform::SecureZero(Confirm, sizeof(Confirm));
  }
};

void ReadPasswordFields(const PasswordFields& fields, TypedTexts& texts) {
  bool nt = GetPlatformId() == kPlatformWindowsNT;
  if (fields.Old != nullptr) ReadPasswordField(fields.Old, texts.Old, nt);
  ReadPasswordField(fields.New, texts.New, nt);
  ReadPasswordField(fields.Confirm, texts.Confirm, nt);
}

void ClearPasswordTexts(PasswordDialogState& state) {
  platform::SecureZero(state.OldPassword, sizeof(state.OldPassword));
  platform::SecureZero(state.NewPassword, sizeof(state.NewPassword));
  platform::SecureZero(state.Confirm, sizeof(state.Confirm));
}

// Length in bytes, without the terminator, of a text of kDialogTextSize or fewer characters.
uint32_t TextBytes(const char16_t* text, size_t capacity) {
  return static_cast<uint32_t>(platform::BoundedLength(text, capacity) * 2);
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

// Everything from the comparison to the rejection text: returns the check's result, with the
// rejection text in the reply buffer when it is 0.
uint32_t CheckTexts(PasswordDialogState& state) {
  // A mismatch is the dialog's own procedure's to report; nothing is sent.
  if (std::memcmp(state.NewPassword, state.Confirm, sizeof(state.NewPassword)) != 0) return 1;

  SendDialogRequest(RequestKind::kPolicy);
  if (!HaveReply()) return 1;  // no server, no answer: the change goes through unchecked

  // Bounded by the buffer: a full-size reply has no final empty record to stop at.
  ParsePolicyReply(state.Policy, state.Rule2900Text, kRule2900TextSize, state.Reply,
                   std::size(state.Reply));
  PrepareCheckContext(state.Context, state.UserName, TextBytes(state.UserName, kDialogTextSize),
                      state.OldPassword, TextBytes(state.OldPassword, kDialogTextSize),
                      state.NewPassword, TextBytes(state.NewPassword, kDialogTextSize),
                      state.Rule2900Text, TextBytes(state.Rule2900Text, kRule2900TextSize));
  // The administrator's folder list, if any, limits where the dictionary may be opened.
  DictionaryAccess dictionary;
  if (state.Settings != nullptr) {
    dictionary.folders = state.Settings->DictionaryPaths;
    dictionary.folders_size = sizeof(state.Settings->DictionaryPaths);
  }
  bool acceptable = EvaluatePolicy(state.Results, state.Context, state.Policy, &dictionary);
  if (dictionary.diagnostic[0] != '\0') ::OutputDebugStringA(dictionary.diagnostic);
  if (acceptable) return 1;

  SendDialogRequest(RequestKind::kRejectionMessage);
  if (!HaveReply()) return 1;  // without a rejection text the change goes through
  return 0;
}

}  // namespace

uint32_t CheckPasswordChange() {
  PasswordDialogState& state = DialogState();
  PasswordFields fields;
  HWND owner;
  {
    DialogStateLock lock;
    fields = {state.OldPasswordField, state.NewPasswordField, state.ConfirmField};
    owner = state.RejectionOwner;
  }
  // Read without the lock: a field of another thread's window is read by a sent message.
  TypedTexts typed;
  ReadPasswordFields(fields, typed);
  uint32_t result;
  char16_t rejection[kReplyBytes / sizeof(char16_t)];
  rejection[0] = u'\0';
  {
    DialogStateLock lock;
    ClearPasswordTexts(state);
    CopyText(state.OldPassword, kDialogTextSize, typed.Old);
    CopyText(state.NewPassword, kDialogTextSize, typed.New);
    CopyText(state.Confirm, kDialogTextSize, typed.Confirm);
    result = CheckTexts(state);
    if (result == 0) CopyText(rejection, std::size(rejection), state.Reply);
    // No password stays in this process's memory once the check is done with it.
    ClearPasswordTexts(state);
    ClearCheckContext(state.Context);
  }
  if (result != 0) return result;
  // The box and the emptied fields send messages: the lock is no longer held.
  ShowMessageBox(owner, rejection, kRejectionBoxStyle);
  EmptyPasswordFields(fields);
  return 0;
}

}  // namespace hvn
