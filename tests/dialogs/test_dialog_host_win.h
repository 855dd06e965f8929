// Test dialogs laid out the way the system's own password dialogs are: the change-password
// dialog (CHANGE_NT) with the control ids of its Windows version and a domain list that names
// the local computer, the NetWare-style change and expired dialogs (CHANGE_NW, EXPIRED_NW)
// with their fields at the positions the handlers count, and the rejection notice
// (REJECTED_NT). Built from in-memory dialog templates; run modally on the calling thread (as a
// logon provider shows them) or modelessly on a thread of their own.
#ifndef HVN_TESTS_DIALOGS_TEST_DIALOG_HOST_WIN_H_
#define HVN_TESTS_DIALOGS_TEST_DIALOG_HOST_WIN_H_

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "dialogs/dialog_watcher.h"
#include "platform/win.h"

namespace hvn::test {

enum class TestDialogKind { ChangeNT, ChangeNW, ExpiredNW, RejectedNT };

// Which control ids a CHANGE_NT dialog uses: 1702-1710 (Windows 2000 and XP) or 1552-1560.
enum class ChangeNtIdSet { Windows2000, Other };

// Ids of the password fields of the CHANGE_NW and EXPIRED_NW test dialogs. The handlers find
// them by position, not by id; the ids only help the tests type into them.
constexpr int kNwOldPasswordId = 201;
constexpr int kNwNewPasswordId = 202;
constexpr int kNwConfirmId = 203;
// Sent to a test dialog, answers the window that has the focus in the dialog's thread.
constexpr UINT kQueryFocusMessage = WM_APP + 0x48;

struct TestDialogLayout {
  TestDialogKind Kind = TestDialogKind::ChangeNT;
  std::string Title = "Change Password";  // ANSI code page, like the texts below
  // Text of the descendant the watcher recognises the dialog by (the confirm label, the
  // instruction, or the notice's text). The test dialog's window text contains it.
  std::string RecognitionText = "&Confirm New Password";
  ChangeNtIdSet Ids = ChangeNtIdSet::Windows2000;
  std::string UserName = "alice";                // CHANGE_NT's user-name field
  std::vector<std::string> Domains = {"SALES"};  // CHANGE_NT's domain list
  int SelectedDomain = 0;
  bool CloseOnOk = false;  // an OK that reaches the dialog's own procedure ends it
  // Modeless dialogs are shown without taking the activation unless asked, so tests that run
  // side by side on one desktop do not take the keyboard focus from each other.
  bool Activate = false;
};

// The layout of the dialog that built-in recognition row `row` (0 to 15) recognises.
TestDialogLayout LayoutForBuiltInRow(size_t row, ChangeNtIdSet ids = ChangeNtIdSet::Windows2000);

// The five field ids of a CHANGE_NT dialog with `ids`, in the order user name, domain, old,
// new, confirm.
struct ChangeNtFieldIds {
  int UserName, Domain, OldPassword, NewPassword, Confirm;
};
ChangeNtFieldIds FieldIdsOf(ChangeNtIdSet ids);

// What reached the test dialog's own procedure.
struct TestDialogRecord {
  std::atomic<int> OwnOkCount{0};
  std::atomic<int> CommandCount{0};
  std::atomic<bool> Ended{false};  // EndDialog was called (OK with CloseOnOk, Cancel, close)
};

// The in-memory dialog template of `layout` (DLGTEMPLATE and its items, DWORD-aligned).
std::vector<WORD> BuildDialogTemplate(const TestDialogLayout& layout);

// Creates the dialog modelessly on the calling thread. `record` (may be null) must outlive it.
HWND CreateTestDialog(const TestDialogLayout& layout, TestDialogRecord* record, HWND parent);

// Runs the dialog modally on the calling thread until it ends (OK with CloseOnOk, Cancel or
// WM_CLOSE); returns the end code (IDOK, IDCANCEL).
INT_PTR RunTestDialog(const TestDialogLayout& layout, TestDialogRecord* record, HWND parent);

// A test dialog on a thread of its own with its own message loop, as a logon provider's dialog
// runs on Winlogon's thread while the watcher scans on another. A wait that times out fails
// the test, and what the thread still uses is then left to the thread to free.
class DialogHostThread {
 public:
  // Starts the thread and waits until the dialog exists.
  explicit DialogHostThread(const TestDialogLayout& layout);
  // Destroys the dialog and waits for the thread to end.
  ~DialogHostThread();
  DialogHostThread(const DialogHostThread&) = delete;
  DialogHostThread& operator=(const DialogHostThread&) = delete;

  HWND Dialog() const { return dialog_; }
  HWND Item(int id) const { return ::GetDlgItem(dialog_, id); }
  DWORD ThreadId() const { return thread_id_; }
  int OwnOkCount() const;
  int CommandCount() const;
  bool Ended() const;

  // The window that has the focus in the dialog's thread.
  HWND Focus() const;
  // Presses OK as the button does: posts WM_COMMAND (IDOK, BN_CLICKED).
  void PressOk() const;
  // Gives the focus to `control` and then to `next` on the dialog's thread (a kill-focus
  // notification for `control` follows).
  void MoveFocus(HWND control, HWND next) const;

 private:
  struct Shared;
  static DWORD WINAPI Run(LPVOID shared);

  Shared* shared_;  // released by both the host and the thread; the last one frees it
  HANDLE thread_ = nullptr;
  DWORD thread_id_ = 0;
  HWND dialog_ = nullptr;
};

// Tells the watcher to stop and waits for its thread. A thread that has not ended within 30 s
// ends the test process with a message: the caller would otherwise free what it still uses.
void StopAndJoinWatcher(DialogWatcher& watcher);

// Text of a window as UTF-16 / in the ANSI code page.
std::wstring WindowTextW(HWND window);
std::string WindowTextA(HWND window);
// Sets a window's text (sent, so it is done when this returns).
void SetWindowTextFromTest(HWND window, const std::wstring& text);

// Polls `condition` until it holds or `timeout_ms` passed; true when it held.
template <typename Condition>
bool WaitUntil(Condition condition, uint32_t timeout_ms = 10000) {
  const DWORD start = ::GetTickCount();
  for (;;) {
    if (condition()) return true;
    if (::GetTickCount() - start > timeout_ms) return condition();
    ::Sleep(2);
  }
}

}  // namespace hvn::test

#endif  // HVN_TESTS_DIALOGS_TEST_DIALOG_HOST_WIN_H_
