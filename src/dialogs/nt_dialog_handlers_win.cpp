#include <cstring>
#include <iterator>

#include "dialogs/check_password_change.h"
#include "dialogs/dialog_operations.h"
#include "dialogs/dialog_requests.h"
#include "dialogs/dialog_watcher.h"
#include "dialogs/nt_dialog_handlers.h"
#include "dialogs/password_dialog_state.h"
#include "platform/ansi_text.h"
#include "platform/win.h"

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
void RefreshUserAndDomain(HWND dialog, const ChangeNtControlIds& ids) {
  PasswordDialogState& state = DialogState();
  bool changed = false;
  char16_t scratch[kDialogTextSize];
  ReadWindowTextW(::GetDlgItem(dialog, ids.UserName), scratch, kDialogTextSize);
  if (!EqualIgnoringCase(scratch, state.UserName)) {
    CopyText(state.UserName, kDialogTextSize, scratch);
    changed = true;
  }
  ReadDomainField(::GetDlgItem(dialog, ids.Domain), scratch);
  if (!EqualIgnoringCase(scratch, state.Domain)) {
    CopyText(state.Domain, kDialogTextSize, scratch);
    changed = true;
  }
  if (!changed || !PolicyMessageWanted()) return;
  RequestPolicyMessage();
  if (!HaveReply()) return;
  if (platform::BoundedLength(state.Reply, std::size(state.Reply)) ==
          platform::BoundedLength(state.LastPolicyMessage, kPolicyMessageSize) &&
      std::memcmp(
          state.Reply, state.LastPolicyMessage,
          platform::BoundedLength(state.Reply, std::size(state.Reply)) * sizeof(char16_t)) == 0) {
    return;  // the same text was shown last
  }
  ShowMessageBox(state.UserNameField, state.Reply, kPolicyBoxStyle);
  CopyText(state.LastPolicyMessage, kPolicyMessageSize, state.Reply);
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
  PasswordDialogState& state = DialogState();
  std::memset(state.Domain, 0, sizeof(state.Domain));
  LPBYTE buffer = nullptr;
  if (::NetWkstaGetInfo(nullptr, 100, &buffer) != NERR_Success || buffer == nullptr) return;
  const WKSTA_INFO_100* info = reinterpret_cast<const WKSTA_INFO_100*>(buffer);
  if (info->wki100_langroup != nullptr) {
    CopyText(state.Domain, kDialogTextSize,
             reinterpret_cast<const char16_t*>(info->wki100_langroup));
  }
  ::NetApiBufferFree(buffer);
}

uint32_t HandleChangeNT(HWND dialog, HWND /*control*/) {
  PasswordDialogState& state = DialogState();
  MarkDialogTitle(dialog);
  const ChangeNtControlIds& ids = ChangeNtIds();
  state.UserNameField = ::GetDlgItem(dialog, ids.UserName);
  state.DomainField = ::GetDlgItem(dialog, ids.Domain);
  state.OldPasswordField = ::GetDlgItem(dialog, ids.OldPassword);
  state.NewPasswordField = ::GetDlgItem(dialog, ids.NewPassword);
  state.ConfirmField = ::GetDlgItem(dialog, ids.Confirm);
  ReadWindowTextW(state.UserNameField, state.UserName, kDialogTextSize);
  ReadDomainField(state.DomainField, state.Domain);
  state.RejectionOwner = state.UserNameField;
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
  PasswordDialogState& state = DialogState();
  MarkDialogTitle(notice);
  ::SetWindowPos(notice, nullptr, 0, 0, 0, 0, kHideNotice);
  SendDialogRequest(RequestKind::kGenericRejectionMessage);
  if (!HaveReply()) {
    ::SetWindowPos(notice, nullptr, 0, 0, 0, 0, kShowNotice);
    return 0;
  }
  ShowMessageBox(notice, state.Reply, kRejectionBoxStyle);
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
