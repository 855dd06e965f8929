// The check that runs when the user presses OK, in each dialog kind, against the test policy
// server over real UDP: what passes, what is refused with the server's text, what goes over
// the wire, where the focus lands and that no password stays in memory.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "dialogs/check_password_change.h"
#include "dialogs/dialog_preparation.h"
#include "dialogs/dialog_test_fixture_win.h"
#include "dialogs/nt_dialog_handlers.h"
#include "dialogs/password_dialog_state.h"
#include "platform/exception_guard.h"
#include "support/temp_dir.h"

namespace hvn::test {
namespace {

constexpr char kPolicyMinLength8[] = "30_POLICY\t*\t*\treply\t2600\t8\t0\t0\\a\n";
constexpr char kRejection[] = "30_REJECTION_MESSAGE\t*\t*\treply\tToo short ({codes})\n";

bool AllZero(const void* data, size_t bytes) {
  const unsigned char* p = static_cast<const unsigned char*>(data);
  for (size_t i = 0; i < bytes; ++i) {
    if (p[i] != 0) return false;
  }
  return true;
}

struct KindSetup {
  const char* name;
  TestDialogKind kind;
  const char* recognition_text;
  WNDPROC procedure;
};

const KindSetup kKinds[] = {
    {"CHANGE_NT", TestDialogKind::ChangeNT, "&Confirm New Password", ChangeDialogProc},
    {"CHANGE_NW", TestDialogKind::ChangeNW, "To change password(s) for the user(s) listed",
     PasswordDialogProc},
    {"EXPIRED_NW", TestDialogKind::ExpiredNW, "Password expired for:", PasswordDialogProc},
};

struct Fields {
  HWND old_password;  // none for EXPIRED_NW
  HWND new_password;
  HWND confirm;
  HWND rejection_owner;
};

class CheckFlowTest : public DialogTest {
 protected:
  // Opens a dialog of `kind`, lets the real handler prepare it and returns its fields.
  Fields Prepare(const KindSetup& kind) {
    TestDialogLayout layout;
    layout.Kind = kind.kind;
    layout.RecognitionText = kind.recognition_text;
    layout.Ids = Uses2000Layout() ? ChangeNtIdSet::Windows2000 : ChangeNtIdSet::Other;
    layout.Activate = true;  // the focus after a rejection is checked
    host_ = std::make_unique<DialogHostThread>(layout);
    StartWatcher();
    EXPECT_TRUE(WaitForSubclass(host_->Dialog(), kind.procedure)) << kind.name;
    // Prepared: the watcher's scans (which read every window's title) would only add messages.
    StopWatching(watcher_);
    EXPECT_TRUE(WaitForWatcherThread(watcher_, 30000));
    if (kind.kind == TestDialogKind::ChangeNT) {
      ChangeNtFieldIds ids = FieldIdsOf(layout.Ids);
      return {host_->Item(ids.OldPassword), host_->Item(ids.NewPassword), host_->Item(ids.Confirm),
              host_->Item(ids.UserName)};
    }
    HWND old_password =
        kind.kind == TestDialogKind::ChangeNW ? host_->Item(kNwOldPasswordId) : nullptr;
    return {old_password, host_->Item(kNwNewPasswordId), host_->Item(kNwConfirmId),
            host_->Dialog()};
  }

  // Types the passwords and presses OK; returns when the dialog has handled the OK.
  void TypeAndConfirm(const Fields& fields, const std::wstring& old_password,
                      const std::wstring& new_password, const std::wstring& confirm) {
    if (fields.old_password != nullptr) SetWindowTextFromTest(fields.old_password, old_password);
    SetWindowTextFromTest(fields.new_password, new_password);
    SetWindowTextFromTest(fields.confirm, confirm);
    // Sent rather than posted: the recording message box never blocks, and the call returns
    // once the check is over.
    ::SendMessageW(host_->Dialog(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                   reinterpret_cast<LPARAM>(host_->Item(IDOK)));
  }

  std::u16string User(const KindSetup& kind) const {
    return kind.kind == TestDialogKind::ChangeNT ? u"alice" : u"HVN_DefaultUser";
  }
  std::u16string Domain(const KindSetup& kind) const {
    return kind.kind == TestDialogKind::ChangeNT ? u"SALES" : ComputerName();
  }
  void ServeBoth() {
    std::u16string name = ComputerName();
    ServeDomains({"SALES", std::string(name.begin(), name.end())});
  }

  void ExpectNoPasswordInMemory(const char* where) {
    const PasswordDialogState& state = DialogState();
    EXPECT_TRUE(AllZero(state.OldPassword, sizeof(state.OldPassword))) << where;
    EXPECT_TRUE(AllZero(state.NewPassword, sizeof(state.NewPassword))) << where;
    EXPECT_TRUE(AllZero(state.Confirm, sizeof(state.Confirm))) << where;
    EXPECT_TRUE(AllZero(state.Context.OldPassword, sizeof(state.Context.OldPassword))) << where;
    EXPECT_TRUE(AllZero(state.Context.NewPassword, sizeof(state.Context.NewPassword))) << where;
    EXPECT_TRUE(AllZero(state.Context.NewPasswordUpper, sizeof(state.Context.NewPasswordUpper)))
        << where;
  }

  std::unique_ptr<DialogHostThread> host_;
};

TEST_F(CheckFlowTest, RefusesAFailingPasswordWithTheServersText) {
  for (const KindSetup& kind : kKinds) {
    ServeBoth();
    Script(std::string(kPolicyMinLength8) + kRejection);
    Fields fields = Prepare(kind);
    server_.ClearRequests();
    ClearRecordedBoxes();
    // Characters of the ANSI code page: on 9x they are read there and converted first.
    TypeAndConfirm(fields, L"OldSecret1", L"sh\u00f6rt", L"sh\u00f6rt");

    EXPECT_EQ(host_->OwnOkCount(), 0) << kind.name << ": the OK must be consumed";
    std::vector<RecordedBox> boxes = RecordedBoxes();
    ASSERT_EQ(boxes.size(), 1u) << kind.name;
    EXPECT_EQ(boxes[0].Text, u"Too short (2600)") << kind.name;
    EXPECT_EQ(boxes[0].Title, u"Halvern") << kind.name;
    EXPECT_EQ(boxes[0].Style, 0x52010u) << kind.name;
    EXPECT_EQ(boxes[0].Host, kTestHost) << kind.name;
    EXPECT_EQ(boxes[0].Owner, fields.rejection_owner) << kind.name;
    // No copy the check made of a password waits in its frames while the box is shown.
    for (const std::u16string typed : {u"OldSecret1", u"sh\u00f6rt"}) {
      const std::string bytes(reinterpret_cast<const char*>(typed.data()), typed.size() * 2);
      EXPECT_EQ(boxes[0].Stack.find(bytes), std::string::npos) << kind.name;
    }
    std::vector<std::string> expected = {
        WireRequest({u"30_POLICY", Domain(kind), User(kind)}),
        WireRequest({u"30_REJECTION_MESSAGE", Domain(kind), User(kind), u"2600", u""})};
    EXPECT_EQ(server_.Requests(), expected) << kind.name;

    // All password fields are empty and the user starts again at the first of them.
    if (fields.old_password != nullptr) {
      EXPECT_EQ(WindowTextW(fields.old_password), L"") << kind.name;
    }
    EXPECT_EQ(WindowTextW(fields.new_password), L"") << kind.name;
    EXPECT_EQ(WindowTextW(fields.confirm), L"") << kind.name;
    HWND first = fields.old_password != nullptr ? fields.old_password : fields.new_password;
    EXPECT_EQ(host_->Focus(), first) << kind.name;
    ExpectNoPasswordInMemory(kind.name);

    // The next OK runs the whole check again, with a fresh policy request.
    server_.ClearRequests();
    TypeAndConfirm(fields, L"OldSecret1", L"LongEnough1", L"LongEnough1");
    EXPECT_EQ(host_->OwnOkCount(), 1) << kind.name;
    EXPECT_EQ(server_.RequestCount(), 1u) << kind.name;
    ExpectNoPasswordInMemory(kind.name);

    StopWatching(watcher_);
    ASSERT_TRUE(WaitForWatcherThread(watcher_, 30000));
    host_.reset();
  }
}

TEST_F(CheckFlowTest, LetsTheChangeThroughWhereTheCheckCannotDecide) {
  struct Case {
    const char* name;
    bool serve;  // the server list names the dialog's domain
    std::string script;
    const wchar_t* new_password;
    const wchar_t* confirm;
    size_t requests;  // datagrams the server receives
  };
  const Case cases[] = {
      {"confirmation differs", true, std::string(kPolicyMinLength8) + kRejection, L"Secret123",
       L"secret123", 0},
      {"confirmation differs and is short", true, std::string(kPolicyMinLength8) + kRejection,
       L"abc", L"abd", 0},
      {"confirmation differs in an accented letter's case", true,
       std::string(kPolicyMinLength8) + kRejection, L"p\u00e4ss", L"p\u00c4ss", 0},
      {"no server for the domain", false, std::string(kPolicyMinLength8) + kRejection, L"short",
       L"short", 0},
      {"server silent", true, "", L"short", L"short", 1},
      {"no rejection text", true, kPolicyMinLength8, L"short", L"short", 2},
      {"acceptable password", true, std::string(kPolicyMinLength8) + kRejection, L"LongEnough1",
       L"LongEnough1", 1},
      {"empty reply record: no policy", true, "30_POLICY\t*\t*\treply\t\\a\n", L"short", L"short",
       1},
  };
  for (const KindSetup& kind : kKinds) {
    for (const Case& c : cases) {
      std::string where = std::string(kind.name) + ": " + c.name;
      if (c.serve) {
        ServeBoth();
      } else {
        ServeDomains({"ELSEWHERE"});
      }
      Script(c.script.empty() ? "# silent\n" : c.script);
      Fields fields = Prepare(kind);
      server_.ClearRequests();
      ClearRecordedBoxes();
      TypeAndConfirm(fields, L"OldSecret1", c.new_password, c.confirm);

      EXPECT_EQ(host_->OwnOkCount(), 1) << where << ": the OK must reach the dialog";
      EXPECT_TRUE(RecordedBoxes().empty()) << where;
      EXPECT_EQ(server_.RequestCount(), c.requests) << where;
      // The dialog's own procedure sees the fields as typed.
      EXPECT_EQ(WindowTextW(fields.new_password), c.new_password) << where;
      EXPECT_EQ(WindowTextW(fields.confirm), c.confirm) << where;
      ExpectNoPasswordInMemory(where.c_str());

      StopWatching(watcher_);
      ASSERT_TRUE(WaitForWatcherThread(watcher_, 30000));
      host_.reset();
    }
  }
}

// A script payload holds the path with every backslash escaped.
std::string Escaped(const std::string& path) {
  std::string escaped;
  for (char c : path) {
    escaped.push_back(c);
    if (c == '\\') escaped.push_back('\\');
  }
  return escaped;
}

TEST_F(CheckFlowTest, TrustSettingsChooseTheReplyAndTheDictionary) {
  const KindSetup& kind = kKinds[0];
  TempDir dir;
  const std::string words = dir.WriteFile("words.dic", "HEADING\r\nPASSWORD\r\n");
  const std::string outside = dir.path() + "\\sub";  // a folder the dictionary is not in
  struct Case {
    const char* name;
    std::string folders;  // DictionaryPaths as one entry, or none
    std::string dict;     // the dictionary path the policy names
    uint32_t strict;      // StrictReplySender
    const char* decoy;    // "decoy" when a datagram from another port comes first
    bool refused;         // the dictionary was searched and found the password
  };
  const Case cases[] = {
      {"no folder list", "", words, 0, "", true},
      {"inside the listed folder", dir.path(), words, 0, "", true},
      {"listed folder, other case", dir.path(), words, 0, "", true},
      {"outside the listed folder", outside, words, 0, "", false},
      {"listed folder after an empty entry", std::string(1, '\0') + dir.path(), words, 0, "",
       false},
      {"\"..\" in the path", outside, outside + "\\..\\words.dic", 0, "", false},
      {"decoy taken as the policy", "", words, 0, " decoy", false},
      {"decoy dropped", "", words, 1, " decoy", true},
  };
  for (const Case& c : cases) {
    std::string folders = c.folders;
    if (std::string(c.name) == "listed folder, other case") {
      for (char& ch : folders) ch = static_cast<char>(::toupper(static_cast<unsigned char>(ch)));
    }
    std::memset(settings_.DictionaryPaths, 0, sizeof(settings_.DictionaryPaths));
    std::memcpy(settings_.DictionaryPaths, folders.data(), folders.size());
    settings_.StrictReplySender = c.strict;
    ServeBoth();
    Script("30_POLICY\t*\t*\treply" + std::string(c.decoy) + "\t3000\t" + Escaped(c.dict) +
           "\t0\t0\t4\\a\n30_REJECTION_MESSAGE\t*\t*\treply\tIn the dictionary ({codes})\n");
    Fields fields = Prepare(kind);
    ClearRecordedBoxes();
    TypeAndConfirm(fields, L"OldSecret1", L"MyPassword1", L"MyPassword1");
    std::vector<RecordedBox> boxes = RecordedBoxes();
    if (c.refused) {
      EXPECT_EQ(host_->OwnOkCount(), 0) << c.name;
      ASSERT_EQ(boxes.size(), 1u) << c.name;
      EXPECT_EQ(boxes[0].Text, u"In the dictionary (3000)") << c.name;
    } else {
      // Not evaluable, or no dictionary at all: nothing refuses the password.
      EXPECT_EQ(host_->OwnOkCount(), 1) << c.name;
      EXPECT_TRUE(boxes.empty()) << c.name;
    }
    StopWatching(watcher_);
    ASSERT_TRUE(WaitForWatcherThread(watcher_, 30000));
    host_.reset();
  }
}

// A fault inside the check (the settings it reads are gone), caught by a guard around the
// dialog's call as HVNc32 guards the chained provider's; then a dialog on another thread is
// prepared by the watcher and its check refuses a weak password.
TEST_F(CheckFlowTest, AFaultInTheCheckLeavesTheNextDialogPreparedAndChecked) {
  ServeBoth();
  Script(std::string(kPolicyMinLength8) + kRejection);
  TestDialogLayout layout;
  layout.Ids = Uses2000Layout() ? ChangeNtIdSet::Windows2000 : ChangeNtIdSet::Other;
  HWND faulting = CreateTestDialog(layout, nullptr, nullptr);
  HandleChangeNT(faulting, nullptr);
  DialogState().Settings = reinterpret_cast<const ClientSettings*>(16);
  uint32_t code =
      RunGuarded([&] { ::SendMessageW(faulting, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); });
  DialogState().Settings = &settings_;
  ::DestroyWindow(faulting);
  EXPECT_EQ(code, static_cast<uint32_t>(EXCEPTION_ACCESS_VIOLATION));

  Fields fields = Prepare(kKinds[0]);
  ClearRecordedBoxes();
  TypeAndConfirm(fields, L"OldSecret1", L"short", L"short");
  EXPECT_EQ(host_->OwnOkCount(), 0);
  ASSERT_EQ(RecordedBoxes().size(), 1u);
  EXPECT_EQ(RecordedBoxes()[0].Text, u"Too short (2600)");
}

TEST_F(CheckFlowTest, EveryOtherMessageReachesTheDialog) {
  Script(std::string(kPolicyMinLength8) + kRejection);
  for (const KindSetup& kind : kKinds) {
    ServeBoth();
    Prepare(kind);
    int before = host_->CommandCount();
    ::SendMessageW(host_->Dialog(), WM_COMMAND, MAKEWPARAM(1234, BN_CLICKED), 0);
    ::SendMessageW(host_->Dialog(), WM_COMMAND, MAKEWPARAM(1234, EN_KILLFOCUS), 0);
    EXPECT_EQ(host_->CommandCount(), before + 2) << kind.name;
    EXPECT_EQ(host_->OwnOkCount(), 0) << kind.name;
    EXPECT_EQ(server_.RequestCount(), 0u) << kind.name;
    StopWatching(watcher_);
    ASSERT_TRUE(WaitForWatcherThread(watcher_, 30000));
    host_.reset();
  }
}

}  // namespace
}  // namespace hvn::test
