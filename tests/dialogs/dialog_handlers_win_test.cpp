// The NT dialog handlers, run once per reported Windows version: the control ids of the
// change dialog, the domain text of the local computer, the policy message when a dialog is
// prepared and when the user or domain changes, and the replacement of the system's rejection
// notice.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "dialogs/dialog_preparation.h"
#include "dialogs/dialog_test_fixture_win.h"
#include "dialogs/nt_dialog_handlers.h"
#include "dialogs/password_dialog_state.h"

namespace hvn::test {
namespace {

std::string Narrow(const std::u16string& text) {
  return std::string(text.begin(), text.end());
}

std::u16string Lower(std::u16string text) {
  for (char16_t& c : text) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
  }
  return text;
}

ChangeNtIdSet VersionIds() {
  return Uses2000Layout() ? ChangeNtIdSet::Windows2000 : ChangeNtIdSet::Other;
}

TEST(ChangeNtIds, FollowTheWindowsVersion) {
  const ChangeNtControlIds& ids = ChangeNtIds();
  ChangeNtFieldIds expected = FieldIdsOf(VersionIds());
  EXPECT_EQ(ids.UserName, expected.UserName);
  EXPECT_EQ(ids.Domain, expected.Domain);
  EXPECT_EQ(ids.OldPassword, expected.OldPassword);
  EXPECT_EQ(ids.NewPassword, expected.NewPassword);
  EXPECT_EQ(ids.Confirm, expected.Confirm);
}

TEST(StripComputerName, CutsTheLocalComputersRemark) {
  const std::u16string name = ComputerName();
  ASSERT_FALSE(name.empty());
  struct Case {
    std::u16string text;
    std::u16string stripped;
  };
  const Case cases[] = {
      {name + u" (this computer)", name},
      {Lower(name) + u" (this computer)", Lower(name)},
      {name + u"  two spaces", name},
      {name, name},
      {name + u"X (this computer)", name + u"X (this computer)"},
      {u"X" + name + u" (this computer)", u"X" + name + u" (this computer)"},
      {u"SALES", u"SALES"},
      {u"SALES (this computer)", u"SALES (this computer)"},
      {u"", u""},
  };
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    char16_t text[kDialogTextSize] = {};
    std::memcpy(text, cases[i].text.c_str(), (cases[i].text.size() + 1) * sizeof(char16_t));
    StripComputerName(text);
    EXPECT_EQ(std::u16string(text), cases[i].stripped) << "case " << i;
  }
}

TEST(ReadWorkstationDomain, RecordsTheWorkstationsDomain) {
  std::memset(DialogState().Domain, 'x', sizeof(DialogState().Domain) - 2);
  ReadWorkstationDomain();
  // Wine reports the computer name as the workstation's domain.
  EXPECT_EQ(std::u16string(DialogState().Domain), ComputerName());
}

class HandlerTest : public DialogTest {
 protected:
  std::unique_ptr<DialogHostThread> OpenChangeNt(int selected_domain,
                                                 ChangeNtIdSet ids = VersionIds()) {
    TestDialogLayout layout;
    layout.Ids = ids;
    layout.UserName = "alice";
    layout.Domains = {"SALES", Narrow(ComputerName()) + " (this computer)", "HQ"};
    layout.SelectedDomain = selected_domain;
    layout.Activate = true;  // leaving a field needs the keyboard focus
    return std::make_unique<DialogHostThread>(layout);
  }
};

TEST_F(HandlerTest, ChangeNtRecordsFieldsUserAndDomain) {
  struct Case {
    int selected;
    std::u16string domain;
  };
  const std::u16string name = ComputerName();
  const Case cases[] = {
      {0, u"SALES"},
      {1, Uses2000Layout() ? name : name + u" (this computer)"},
  };
  StartWatcher();
  for (const Case& c : cases) {
    auto host = OpenChangeNt(c.selected);
    ASSERT_TRUE(WaitForSubclass(host->Dialog(), ChangeDialogProc)) << c.selected;
    ChangeNtFieldIds ids = FieldIdsOf(VersionIds());
    const PasswordDialogState& state = DialogState();
    EXPECT_EQ(state.UserNameField, host->Item(ids.UserName));
    EXPECT_EQ(state.DomainField, host->Item(ids.Domain));
    EXPECT_EQ(state.OldPasswordField, host->Item(ids.OldPassword));
    EXPECT_EQ(state.NewPasswordField, host->Item(ids.NewPassword));
    EXPECT_EQ(state.ConfirmField, host->Item(ids.Confirm));
    EXPECT_EQ(state.RejectionOwner, host->Item(ids.UserName));
    EXPECT_EQ(std::u16string(state.UserName), u"alice");
    EXPECT_EQ(std::u16string(state.Domain), c.domain) << c.selected;
    EXPECT_EQ(WindowTextA(host->Dialog()), "Change Password (HVN)");
    EXPECT_TRUE(RecordedBoxes().empty());
    EXPECT_EQ(server_.RequestCount(), 0u);
  }
}

TEST_F(HandlerTest, ChangeNtWithTheOtherVersionsIdsFindsNoFieldsAndLetsTheChangeThrough) {
  StartWatcher();
  ChangeNtIdSet other = Uses2000Layout() ? ChangeNtIdSet::Other : ChangeNtIdSet::Windows2000;
  auto host = OpenChangeNt(0, other);
  ASSERT_TRUE(WaitForSubclass(host->Dialog(), ChangeDialogProc));
  const PasswordDialogState& state = DialogState();
  EXPECT_EQ(state.UserNameField, nullptr);
  EXPECT_EQ(state.NewPasswordField, nullptr);
  EXPECT_EQ(std::u16string(state.UserName), u"");
  ::SendMessageW(host->Dialog(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  EXPECT_EQ(host->OwnOkCount(), 1);
}

TEST_F(HandlerTest, PolicyMessageIsShownOnceWhenADialogIsPrepared) {
  const std::u16string name = ComputerName();
  ServeDomains({"SALES", Narrow(name)});
  settings_.DisplayPolicyMessage = 1;
  // The workstation's text comes after a decoy from another port, which the setting drops.
  settings_.StrictReplySender = 1;
  Script(
      "30_POLICY_MESSAGE\tSALES\talice\treply\tAt least 8 characters.\\nNo names.\n"
      "30_POLICY_MESSAGE\t*\tHVN_DefaultUser\treply decoy\tWorkstation policy\\afurther parts\n");
  struct Case {
    const char* name;
    TestDialogLayout layout;
    WNDPROC procedure;
    std::u16string domain;
    std::u16string user;
    std::u16string text;
  };
  TestDialogLayout change_nt;
  change_nt.Ids = VersionIds();
  TestDialogLayout change_nw;
  change_nw.Kind = TestDialogKind::ChangeNW;
  change_nw.RecognitionText = "To change passwords for the users listed";
  TestDialogLayout expired_nw;
  expired_nw.Kind = TestDialogKind::ExpiredNW;
  expired_nw.RecognitionText = "Password expired for:";
  const Case cases[] = {
      {"CHANGE_NT", change_nt, ChangeDialogProc, u"SALES", u"alice",
       u"At least 8 characters.\nNo names."},
      {"CHANGE_NW", change_nw, PasswordDialogProc, name, u"HVN_DefaultUser", u"Workstation policy"},
      {"EXPIRED_NW", expired_nw, PasswordDialogProc, name, u"HVN_DefaultUser",
       u"Workstation policy"},
  };
  StartWatcher();
  for (const Case& c : cases) {
    server_.ClearRequests();
    ClearRecordedBoxes();
    DialogHostThread host(c.layout);
    ASSERT_TRUE(WaitForSubclass(host.Dialog(), c.procedure)) << c.name;
    std::vector<RecordedBox> boxes = RecordedBoxes();
    ASSERT_EQ(boxes.size(), 1u) << c.name;
    EXPECT_EQ(boxes[0].Text, c.text) << c.name;
    EXPECT_EQ(boxes[0].Title, u"Halvern") << c.name;
    EXPECT_EQ(boxes[0].Style, 0x52040u) << c.name;
    EXPECT_EQ(boxes[0].Owner, host.Dialog()) << c.name;
    EXPECT_EQ(boxes[0].Host, kTestHost) << c.name;
    EXPECT_EQ(server_.Requests(),
              std::vector<std::string>{WireRequest({u"30_POLICY_MESSAGE", c.domain, c.user})})
        << c.name;
    EXPECT_EQ(std::u16string(DialogState().LastPolicyMessage), c.text) << c.name;
    EXPECT_EQ(std::u16string(DialogState().Domain), c.domain) << c.name;
    EXPECT_EQ(std::u16string(DialogState().UserName), c.user) << c.name;
    if (c.procedure == PasswordDialogProc) {
      EXPECT_EQ(DialogState().UserNameField, nullptr) << c.name;
      EXPECT_EQ(DialogState().RejectionOwner, host.Dialog()) << c.name;
    }
  }
}

TEST_F(HandlerTest, ADialogIsPreparedOnceWhenItsHandlerOutlastsTheThrottle) {
  // The policy query outlasts the 100 ms throttle, and after the built-in row comes an
  // administrator's row whose text several labels of the same dialog contain.
  settings_.DisplayPolicyMessage = 1;
  const char custom[] = "Change Password\0Password\0CHANGE_NT\0";
  std::memcpy(settings_.WaitParams, custom, sizeof(custom));
  Script("30_POLICY_MESSAGE\t*\t*\treply delay=250\tPolicy text\n");
  StartWatcher();
  auto host = OpenChangeNt(0);
  ASSERT_TRUE(WaitForSubclass(host->Dialog(), ChangeDialogProc));
  // Ending the thread ends the pass that prepared the dialog.
  StopWatching(watcher_);
  ASSERT_TRUE(WaitForWatcherThread(watcher_, 30000));
  EXPECT_EQ(WindowTextA(host->Dialog()), "Change Password (HVN)");
  EXPECT_EQ(RecordedBoxes().size(), 1u);
  EXPECT_EQ(server_.RequestCount(), 1u);
  EXPECT_NE(DialogState().PreviousWindowProc, ChangeDialogProc);
  // A message still reaches the dialog's own procedure, once.
  const int commands = host->CommandCount();
  ::SendMessageW(host->Dialog(), WM_COMMAND, MAKEWPARAM(IDCANCEL + 100, BN_CLICKED), 0);
  EXPECT_EQ(host->CommandCount(), commands + 1);
}

TEST_F(HandlerTest, NoPolicyMessageWithoutAReplyOrWhenSwitchedOff) {
  struct Case {
    const char* name;
    uint32_t display;
    const char* script;
    size_t requests;
  };
  const Case cases[] = {
      {"no reply", 1, "# silent\n", 1},
      {"empty reply", 1, "30_POLICY_MESSAGE\t*\t*\treply\t\\a\n", 1},
      {"switched off", 0, "30_POLICY_MESSAGE\t*\t*\treply\tText\n", 0},
  };
  for (const Case& c : cases) {
    settings_.DisplayPolicyMessage = c.display;
    Script(c.script);
    server_.ClearRequests();
    ClearRecordedBoxes();
    std::memcpy(DialogState().LastPolicyMessage, u"old", sizeof(u"old"));
    StartWatcher();
    auto host = OpenChangeNt(0);
    ASSERT_TRUE(WaitForSubclass(host->Dialog(), ChangeDialogProc)) << c.name;
    EXPECT_TRUE(RecordedBoxes().empty()) << c.name;
    EXPECT_EQ(server_.RequestCount(), c.requests) << c.name;
    if (c.display != 0) {
      EXPECT_EQ(DialogState().LastPolicyMessage[0], u'\0') << c.name;
    }
    StopWatching(watcher_);
    ASSERT_TRUE(WaitForWatcherThread(watcher_, 30000));
  }
}

TEST_F(HandlerTest, LeavingTheUserOrDomainFieldShowsANewPolicyMessageOnly) {
  settings_.DisplayPolicyMessage = 1;
  ServeDomains({"SALES", "HQ"});
  Script(
      "30_POLICY_MESSAGE\tSALES\talice\treply\tPolicy A\n"
      "30_POLICY_MESSAGE\tSALES\tbob\treply\tPolicy B\n"
      "30_POLICY_MESSAGE\tSALES\tcarol\treply\tPolicy B\n"
      "30_POLICY_MESSAGE\tHQ\t*\treply\tPolicy HQ\n");
  StartWatcher();
  auto host = OpenChangeNt(0);
  ASSERT_TRUE(WaitForSubclass(host->Dialog(), ChangeDialogProc));
  ChangeNtFieldIds ids = FieldIdsOf(VersionIds());
  HWND user = host->Item(ids.UserName);
  HWND domain = host->Item(ids.Domain);
  HWND old_password = host->Item(ids.OldPassword);
  ASSERT_EQ(RecordedBoxes().size(), 1u);

  struct Step {
    const char* name;
    const wchar_t* user;  // typed before leaving the field; null: leave as it is
    int domain;           // selected before leaving the domain box; -1: leave the user field
    std::u16string recorded_user;
    std::u16string recorded_domain;
    size_t requests;       // policy-message requests this step sends
    std::u16string shown;  // empty: no box
  };
  const Step steps[] = {
      {"another user", L"bob", -1, u"bob", u"SALES", 1, u"Policy B"},
      {"only the letter case", L"BOB", -1, u"bob", u"SALES", 0, u""},
      {"same text as shown last", L"carol", -1, u"carol", u"SALES", 1, u""},
      {"unchanged", nullptr, -1, u"carol", u"SALES", 0, u""},
      {"another domain", nullptr, 2, u"carol", u"HQ", 1, u"Policy HQ"},
      {"back to a user's text", L"alice", -1, u"alice", u"HQ", 1, u""},
  };
  for (const Step& step : steps) {
    server_.ClearRequests();
    ClearRecordedBoxes();
    if (step.domain < 0) {
      if (step.user != nullptr) SetWindowTextFromTest(user, step.user);
      host->MoveFocus(user, old_password);  // EN_KILLFOCUS from the user-name field
    } else {
      ::SendMessageW(domain, CB_SETCURSEL, static_cast<WPARAM>(step.domain), 0);
      host->MoveFocus(domain, old_password);  // CBN_KILLFOCUS from the domain box
    }
    EXPECT_EQ(std::u16string(DialogState().UserName), step.recorded_user) << step.name;
    EXPECT_EQ(std::u16string(DialogState().Domain), step.recorded_domain) << step.name;
    EXPECT_EQ(server_.RequestCount(), step.requests) << step.name;
    std::vector<RecordedBox> boxes = RecordedBoxes();
    if (step.shown.empty()) {
      EXPECT_TRUE(boxes.empty()) << step.name;
    } else {
      ASSERT_EQ(boxes.size(), 1u) << step.name;
      EXPECT_EQ(boxes[0].Text, step.shown) << step.name;
      EXPECT_EQ(boxes[0].Style, 0x52040u) << step.name;
      EXPECT_EQ(boxes[0].Owner, user) << step.name;
    }
  }
}

TEST_F(HandlerTest, RejectedNoticeIsReplacedByTheServersText) {
  struct Case {
    const char* name;
    const char* script;
    bool replaced;
  };
  const Case cases[] = {
      {"generic text", "30_GENERIC_REJECTION_MESSAGE\tSALES\tbob\treply\tAsk the help desk.\n",
       true},
      {"generic text after a decoy from another port",
       "30_GENERIC_REJECTION_MESSAGE\tSALES\tbob\treply decoy\tAsk the help desk.\n", true},
      {"no reply", "# silent\n", false},
  };
  settings_.StrictReplySender = 1;
  for (size_t row : {size_t{1}, size_t{11}}) {  // English and German notices
    for (const Case& c : cases) {
      std::string where = std::string(c.name) + " row " + std::to_string(row);
      Script(c.script);
      server_.ClearRequests();
      ClearRecordedBoxes();
      // The change dialog that preceded the notice recorded these.
      std::memcpy(DialogState().UserName, u"bob", sizeof(u"bob"));
      std::memcpy(DialogState().Domain, u"SALES", sizeof(u"SALES"));
      StartWatcher();
      DialogHostThread notice(LayoutForBuiltInRow(row));
      const std::string title = std::string(kBuiltInRecognitionRows[row].Title) + " (HVN)";
      ASSERT_TRUE(WaitUntil([&] { return server_.RequestCount() == 1; })) << where;
      EXPECT_EQ(server_.Requests()[0],
                WireRequest({u"30_GENERIC_REJECTION_MESSAGE", u"SALES", u"bob"}))
          << where;
      if (c.replaced) {
        ASSERT_TRUE(WaitUntil([&] { return notice.Ended(); })) << where;
        std::vector<RecordedBox> boxes = RecordedBoxes();
        ASSERT_EQ(boxes.size(), 1u) << where;
        EXPECT_EQ(boxes[0].Text, u"Ask the help desk.") << where;
        EXPECT_EQ(boxes[0].Style, 0x52010u) << where;
        EXPECT_EQ(boxes[0].Owner, notice.Dialog()) << where;
        EXPECT_FALSE(::IsWindowVisible(notice.Dialog())) << where;
      } else {
        // Shown again as it was, apart from its marked title.
        ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(notice.Dialog()) != FALSE; }))
            << where;
        StopWatching(watcher_);
        ASSERT_TRUE(WaitForWatcherThread(watcher_, 30000));
        EXPECT_TRUE(::IsWindowVisible(notice.Dialog())) << where;
        EXPECT_TRUE(RecordedBoxes().empty()) << where;
        EXPECT_FALSE(notice.Ended()) << where;
      }
      EXPECT_EQ(WindowTextA(notice.Dialog()), title) << where;
      StopWatching(watcher_);
      ASSERT_TRUE(WaitForWatcherThread(watcher_, 30000));
    }
  }
}

}  // namespace
}  // namespace hvn::test
