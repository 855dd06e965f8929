#include <cstring>
#include <iterator>

#include "dialogs/check_password_change.h"
#include "dialogs/dialog_preparation.h"
#include "dialogs/dialog_requests.h"
#include "dialogs/dialog_watcher.h"
#include "dialogs/dialog_window_ops.h"
#include "dialogs/nt_dialog_handlers.h"
#include "dialogs/password_dialog_state.h"
#include "dialogs/windows_version.h"
#include "platform/ansi_text.h"
#include "platform/win.h"
#include "query/reply.h"

// The network API headers need the Windows types first.
#include <lm.h>

namespace hvn {
namespace {

// SetWindowPos flags of the REJECTED_NT notice.
constexpr UINT kHideNotice =
    SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_HIDEWINDOW | SWP_NOOWNERZORDER;            // 0x287
constexpr UINT kShowNotice = SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW | SWP_NOOWNERZORDER;  // 0x243
static_assert(kHideNotice == 0x287 && kShowNotice == 0x243, "notice flags");

// Positions of the fields among the descendants of the NetWare-style dialogs.
constexpr uint32_t kChangeNwOld = 5, kChangeNwNew = 7, kChangeNwConfirm = 9;
constexpr uint32_t kExpiredNwNew = 4, kExpiredNwConfirm = 6;

bool UsesWindows2000Layout() {
  return IsWindows2000() || IsWindowsXP();
}

bool EqualIgnoringCase(const char16_t* a, const char16_t* b) {
  return ::CompareStringW(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, platform::AsWide(a), -1,
                          platform::AsWide(b), -1) == CSTR_EQUAL;
}

// Reads the domain field the way the dialog shows it, without the local computer's remark.
void ReadDomainField(HWND field, char16_t* out) {
  ReadWindowTextW(field, out, kDialogTextSize);
  if (UsesWindows2000Layout()) StripComputerName(out);
}

// Leaving the user-name or domain field: records a changed user name or domain and, if the
// settings ask for it, shows the new policy message when it differs from the last one shown.
// Runs on the dialog's own thread; the query and the box hold no lock.
void RefreshUserAndDomain(HWND dialog, const ChangeNtControlIds& ids) {
  PasswordDialogState& state = DialogState();
  char16_t user_name[kDialogTextSize];
  char16_t domain[kDialogTextSize];
  ReadWindowTextW(::GetDlgItem(dialog, ids.UserName), user_name, kDialogTextSize);
  ReadDomainField(::GetDlgItem(dialog, ids.Domain), domain);
  bool changed = false;
  HWND owner;
  {
    DialogStateLock lock;
    if (!EqualIgnoringCase(user_name, state.UserName)) {
      CopyText(state.UserName, kDialogTextSize, user_name);
      changed = true;
    }
    if (!EqualIgnoringCase(domain, state.Domain)) {
      CopyText(state.Domain, kDialogTextSize, domain);
      changed = true;
    }
    owner = state.UserNameField;
  }
  if (!changed || !PolicyMessageWanted()) return;
  // Asked with the names as recorded.
  char16_t reply[kReplyBytes / sizeof(char16_t)];
  FetchForRecordedDialog(RequestKind::kPolicyMessage, reply);
  if (!HasReply(reply, sizeof(reply))) return;
  {
    DialogStateLock lock;
    size_t length = platform::BoundedLength(reply, std::size(reply));
    if (length == platform::BoundedLength(state.LastPolicyMessage, kPolicyMessageSize) &&
        std::memcmp(reply, state.LastPolicyMessage, length * sizeof(char16_t)) == 0) {
      return;  // the same text was shown last
    }
  }
  ShowMessageBox(owner, reply, kPolicyBoxStyle);
  DialogStateLock lock;
  CopyText(state.LastPolicyMessage, kPolicyMessageSize, reply);
}

}  // namespace

const ChangeNtControlIds& ChangeNtIds() {
  return UsesWindows2000Layout() ? kChangeNtIds2000 : kChangeNtIdsOther;
}

void StripComputerName(char16_t* text) {
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD name_length = MAX_COMPUTERNAME_LENGTH + 1;
  if (!::GetComputerNameW(name, &name_length) || name_length == 0) return;
  size_t length = platform::BoundedLength(text, kDialogTextSize);
  if (length <= name_length) return;
  if (::CompareStringW(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, platform::AsWide(text),
                       static_cast<int>(name_length), name,
                       static_cast<int>(name_length)) != CSTR_EQUAL) {
    return;
  }
  size_t first_space = 0;
  while (first_space < length && text[first_space] != u' ') ++first_space;
  if (first_space == name_length) text[first_space] = u'\0';
}

void ReadWorkstationDomain() {
  // Asked without the record's lock: the workstation service answers through a system call.
  char16_t domain[kDialogTextSize] = {};
  LPBYTE buffer = nullptr;
  if (::NetWkstaGetInfo(nullptr, 100, &buffer) == NERR_Success && buffer != nullptr) {
    const WKSTA_INFO_100* info = reinterpret_cast<const WKSTA_INFO_100*>(buffer);
    if (info->wki100_langroup != nullptr) {
      CopyText(domain, kDialogTextSize, reinterpret_cast<const char16_t*>(info->wki100_langroup));
    }
    ::NetApiBufferFree(buffer);
  }
  DialogStateLock lock;
  std::memcpy(DialogState().Domain, domain, sizeof(domain));
}

uint32_t HandleChangeNT(HWND dialog, HWND /*control*/) {
  PasswordDialogState& state = DialogState();
  // The dialog belongs to another thread: it is marked and read without the record's lock.
  MarkDialogTitle(dialog);
  const ChangeNtControlIds& ids = ChangeNtIds();
  HWND user_field = ::GetDlgItem(dialog, ids.UserName);
  HWND domain_field = ::GetDlgItem(dialog, ids.Domain);
  char16_t user_name[kDialogTextSize];
  char16_t domain[kDialogTextSize];
  ReadWindowTextW(user_field, user_name, kDialogTextSize);
  ReadDomainField(domain_field, domain);
  {
    DialogStateLock lock;
    state.UserNameField = user_field;
    state.DomainField = domain_field;
    state.OldPasswordField = ::GetDlgItem(dialog, ids.OldPassword);
    state.NewPasswordField = ::GetDlgItem(dialog, ids.NewPassword);
    state.ConfirmField = ::GetDlgItem(dialog, ids.Confirm);
    CopyText(state.UserName, kDialogTextSize, user_name);
    CopyText(state.Domain, kDialogTextSize, domain);
    state.RejectionOwner = user_field;
  }
  ShowPolicyMessageOnPrepare(dialog);
  SubclassDialog(dialog, ChangeDialogProc);
  return 0;
}

uint32_t HandleChangeNW(HWND dialog, HWND /*control*/) {
  PreparePositionalDialog(dialog, kChangeNwOld, kChangeNwNew, kChangeNwConfirm,
                          ReadWorkstationDomain, dialog);
  return 0;
}

uint32_t HandleExpiredNW(HWND dialog, HWND /*control*/) {
  PreparePositionalDialog(dialog, 0, kExpiredNwNew, kExpiredNwConfirm, ReadWorkstationDomain,
                          dialog);
  return 0;
}

uint32_t HandleRejectedNT(HWND notice, HWND /*control*/) {
  // The notice belongs to another thread: marking, hiding, showing and closing it all send it
  // messages, so none of them holds the record's lock; nor does the query.
  MarkDialogTitle(notice);
  ::SetWindowPos(notice, nullptr, 0, 0, 0, 0, kHideNotice);
  char16_t reply[kReplyBytes / sizeof(char16_t)];
  FetchForRecordedDialog(RequestKind::kGenericRejectionMessage, reply);
  if (!HasReply(reply, sizeof(reply))) {
    ::SetWindowPos(notice, nullptr, 0, 0, 0, 0, kShowNotice);
    return 0;
  }
  ShowMessageBox(notice, reply, kRejectionBoxStyle);
  ::SendMessageA(notice, WM_CLOSE, 0, 0);
  return 0;
}

LRESULT CALLBACK ChangeDialogProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  PasswordDialogState& state = DialogState();
  state.PassOn = 1;
  uint32_t pass_on = 1;
  if (message == WM_COMMAND) {
    const ChangeNtControlIds& ids = ChangeNtIds();
    const int id = LOWORD(wparam);
    const UINT code = HIWORD(wparam);
    if ((code == CBN_KILLFOCUS && id == ids.Domain) ||
        (code == EN_KILLFOCUS && id == ids.UserName)) {
      RefreshUserAndDomain(window, ids);
    }
    // Messages sent while the check runs also pass through here: decide on its own result.
    if (id == IDOK) {
      pass_on = CheckPasswordChange();
      state.PassOn = pass_on;
    }
  }
  if (pass_on == 0) return 0;
  return ::CallWindowProcA(state.PreviousWindowProc, window, message, wparam, lparam);
}

DialogHandlerSet NtDialogHandlers() {
  return DialogHandlerSet{HandleChangeNT, HandleRejectedNT, HandleChangeNW, HandleExpiredNW};
}

}  // namespace hvn
