// Recognition by the 9x hook, in this process: the hook procedure is called as the system
// calls it when a window is about to be activated, and the real handlers prepare the dialog.
#include <gtest/gtest.h>

#include <string>

#include "client9x/client9x.h"
#include "client9x/dialog_handlers_9x.h"
#include "dialogs/dialog_preparation.h"
#include "dialogs/dialog_window_ops.h"
#include "dialogs/password_dialog_state.h"
#include "dialogs/test_dialog_host_win.h"

namespace hvn::test {
namespace {

class ActivationHookTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Client9xProcess& process = ProcessState();
    process.Settings.SetDefaults();
    process.Settings.DisplayPolicyMessage = 0;
    DialogState().Settings = &process.Settings;
    Build9xRecognitionTable();
  }
  void TearDown() override {
    if (dialog_ != nullptr) ::DestroyWindow(dialog_);
  }

  HWND Open(TestDialogKind kind, const char* title, const char* control_text) {
    TestDialogLayout layout;
    layout.Kind = kind;
    layout.Title = title;
    layout.RecognitionText = control_text;
    dialog_ = CreateTestDialog(layout, &record_, nullptr);
    return dialog_;
  }
  void Activate() {
    EXPECT_EQ(ActivationHook(HCBT_ACTIVATE, reinterpret_cast<WPARAM>(dialog_), 0), 0);
  }

  HWND dialog_ = nullptr;
  TestDialogRecord record_;
};

struct RecognitionCase {
  const char* name;
  TestDialogKind kind;
  const char* title;
  const char* control_text;
  bool prepared;
  int new_password_id;  // the field recorded as the new password when prepared
};

const RecognitionCase kCases[] = {
    {"row 1, CHANGE_9X_3", TestDialogKind::Change9x3, "Set Windows Password",
     "&Confirm new password:", true, 40},
    {"row 2 in other letter case", TestDialogKind::Change9x4911, "cHANGE wINDOWS pASSWORD",
     "CON&FIRM NEW PASSWORD:", true, 52},
    {"row 2, control text with a trailing space", TestDialogKind::Change9x4911,
     "Change Windows Password", "Con&firm new password: ", false, 0},
    {"identical rows 3 and 4", TestDialogKind::Change9x4911, "Change Password",
     "Con&firm new password:", true, 52},
    {"row 5, whose text ends with a space", TestDialogKind::ExpiredNW, "Change Password",
     "Password expired for: ", true, kNwNewPasswordId},
    {"row 5 without its space (the NT text)", TestDialogKind::ExpiredNW, "Change Password",
     "Password expired for:", false, 0},
    {"row 19 in small letters (Windows-1252)", TestDialogKind::Change9x4911,
     "\xE4"
     "ndra windows-l\xF6"
     "senordet",
     "&BEKR\xC4"
     "FTA NYTT L\xD6"
     "SENORD:",
     true, 52},
};

// Each dialog is activated twice: the first activation prepares it (once, whatever the number
// of matching rows), the second finds the mark and leaves it alone.
TEST_F(ActivationHookTest, PreparesAMatchingDialogOnceAndNeverAgain) {
  for (const RecognitionCase& c : kCases) {
    SCOPED_TRACE(c.name);
    ASSERT_NE(Open(c.kind, c.title, c.control_text), nullptr);
    auto own_procedure = reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(dialog_, GWLP_WNDPROC));
    DialogState().NewPasswordField = nullptr;
    DialogState().PreviousWindowProc = nullptr;
    Activate();
    Activate();
    std::string expected_title = std::string(c.title) + (c.prepared ? " (HVN)" : "");
    EXPECT_EQ(WindowTextA(dialog_), expected_title);
    if (c.prepared) {
      EXPECT_EQ(::GetWindowLongPtrA(dialog_, GWLP_WNDPROC),
                reinterpret_cast<LONG_PTR>(win9x::GuardedPasswordDialogProc));
      EXPECT_EQ(DialogState().PreviousWindowProc, own_procedure);
      EXPECT_EQ(DialogState().NewPasswordField, ::GetDlgItem(dialog_, c.new_password_id));
      EXPECT_EQ(DialogState().RejectionOwner, nullptr);
      EXPECT_EQ(std::u16string(DialogState().UserName), u"HVN_DefaultUser");
    } else {
      EXPECT_EQ(::GetWindowLongPtrA(dialog_, GWLP_WNDPROC),
                reinterpret_cast<LONG_PTR>(own_procedure));
    }
    ::DestroyWindow(dialog_);
    dialog_ = nullptr;
  }
}

// Another thread's dialog, prepared by the hook and checked (no server: the OK goes on).
struct OtherThreadDialog {
  TestDialogRecord record;
  std::string title;
};

DWORD WINAPI PrepareAndCheck(void* param) {
  auto* other = static_cast<OtherThreadDialog*>(param);
  TestDialogLayout layout;
  layout.Kind = TestDialogKind::Change9x3;
  layout.Title = "Set Windows Password";
  layout.RecognitionText = "&Confirm new password:";
  HWND dialog = CreateTestDialog(layout, &other->record, nullptr);
  ActivationHook(HCBT_ACTIVATE, reinterpret_cast<WPARAM>(dialog), 0);
  other->title = WindowTextA(dialog);
  ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  return 0;
}

// Settings that fault when read make the policy message and the check fault inside the hook
// and the window procedure: the fault stays there, the OK goes on to the dialog, and another
// thread's dialog is still prepared and checked.
TEST_F(ActivationHookTest, AFaultInTheHandlerOrTheCheckStaysInside) {
  ASSERT_NE(Open(TestDialogKind::Change9x3, "Set Windows Password", "&Confirm new password:"),
            nullptr);
  DialogState().Settings = reinterpret_cast<const ClientSettings*>(16);
  Activate();  // the handler faults reading the settings, after marking the title
  EXPECT_EQ(WindowTextA(dialog_), "Set Windows Password (HVN)");

  SetWindowTextFromTest(::GetDlgItem(dialog_, 40), L"secret");
  SetWindowTextFromTest(::GetDlgItem(dialog_, 41), L"secret");
  SubclassDialog(dialog_, win9x::GuardedPasswordDialogProc);  // the handler did not get so far
  ::SendMessageW(dialog_, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  EXPECT_EQ(record_.OwnOkCount.load(), 1);
  EXPECT_EQ(DialogState().NewPassword[0], u'\0');
  DialogState().Settings = &ProcessState().Settings;

  auto* other = new OtherThreadDialog;  // left to the thread if it never ends
  HANDLE thread = ::CreateThread(nullptr, 0, PrepareAndCheck, other, 0, nullptr);
  ASSERT_EQ(::WaitForSingleObject(thread, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
  ::CloseHandle(thread);
  EXPECT_EQ(other->title, "Set Windows Password (HVN)");
  EXPECT_EQ(other->record.OwnOkCount.load(), 1);
  delete other;
}

}  // namespace
}  // namespace hvn::test
