// End to end: Winlogon (the bench) loads HVNc32.dll, which chains to the test provider; the
// provider's change-password dialog is intercepted, and the check asks the test policy server,
// a separate process on 127.0.0.1, for the policy and the rejection text. What the client
// writes to the event log is read back from this process's Wine debug output.
#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <vector>

#include "bench/winlogon_bench.h"
#include "policy_server_process.h"
#include "support/reported_events_win.h"
#include "support/temp_dir.h"

namespace hvn::test {
namespace {

constexpr char kProvider[] = "hvn_gina_required12.dll";
constexpr UINT kRejectionStyle = 0x52010;
constexpr UINT kPolicyMessageStyle = 0x52040;

// At least 8 characters (rule 2600) with at least one digit (rule 2300).
const char kReplies[] =
    "30_POLICY_MESSAGE\tSALES\t*\treply\tPasswords in {domain}: 8 characters or more, one digit."
    "\n"
    "30_POLICY\tSALES\t*\treply\t2600\\t8\\t0\\t0\\a2300\\t1\\t\\t1\\t0\\t0\\t0\\a\n"
    "30_REJECTION_MESSAGE\tSALES\t*\treply\t{user}, that password breaks rules {codes}.\n";

const wchar_t kWeak[] = L"abc";
const wchar_t kStrong[] = L"Tr4vel-Kite-91";

class EndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetWinlogonValue("GinaDLL", "HVNC32.DLL");
    SetWinlogonValue("REM_GinaDLL", kProvider);
    ASSERT_TRUE(bench_.Load()) << "HVNc32.dll cannot be loaded, or was loaded already";
    ASSERT_NE(::LoadLibraryA(kProvider), nullptr);
    gina_ = WinlogonBench::Gina(kProvider);
    gina_->dialog_entry = kGinaLoggedOnSAS;
  }

  // Starts the server with `replies` and points the client settings at it.
  void StartServer(const std::string& replies, DWORD timeout_ms = 2000) {
    ASSERT_EQ(server_.Start(folder_.path(), replies), 0u);
    WriteClientSettings({"SALES 127.0.0.1"}, server_.port(), timeout_ms, 0, 1);
  }

  void StartWinlogon() {
    DWORD reported = 0;
    ASSERT_TRUE(bench_.Negotiate(0x10004, &reported));
    ASSERT_TRUE(bench_.Initialize());
  }

  std::vector<RecordedBox> BoxesWithStyle(UINT style) {
    std::vector<RecordedBox> boxes;
    for (const RecordedBox& box : bench_.WinlogonBoxes())
      if (box.style == style) boxes.push_back(box);
    return boxes;
  }

  SavedRegistry saved_;
  TempDir folder_;
  PolicyServerProcess server_;
  WinlogonBench bench_;
  TestGinaControl* gina_ = nullptr;
  ProcessOutput output_;
};

// What the dialog driver saw, checked on the test's thread afterwards.
struct WeakThenStrong {
  WeakThenStrong(TestGinaControl* gina_control, WinlogonBench* winlogon)
      : gina(gina_control), bench(winlogon) {}
  TestGinaControl* gina;
  WinlogonBench* bench;
  bool intercepted = false;
  bool rejected = false;
  std::wstring fields_after_rejection;
  uint32_t dialog_oks_before = 0;
  uint32_t dialog_oks_after_rejection = 99;
  bool closed = false;
  const wchar_t* password = kWeak;  // what TypeWeakOnce types
};

void TypeWeakThenStrong(void* data) {
  auto* run = static_cast<WeakThenStrong*>(data);
  DialogDriver driver(run->gina);
  HWND dialog = driver.WaitForInterceptedDialog();
  run->intercepted = dialog != nullptr;
  if (dialog == nullptr) return;
  auto rejections = [&] {
    size_t count = 0;
    for (const RecordedBox& box : run->bench->WinlogonBoxes())
      count += box.style == kRejectionStyle ? 1 : 0;
    return count;
  };
  const size_t before = rejections();
  driver.TypeAndConfirm(dialog, L"Old-pass-1", kWeak, kWeak);
  run->rejected = WaitUntil([&] { return rejections() > before; });
  if (!run->rejected) return;
  WaitUntil([&] { return driver.FieldText(dialog, DialogDriver::ConfirmId()).empty(); });
  run->fields_after_rejection = driver.FieldText(dialog, DialogDriver::OldId()) + L"|" +
                                driver.FieldText(dialog, DialogDriver::NewId()) + L"|" +
                                driver.FieldText(dialog, DialogDriver::ConfirmId());
  run->dialog_oks_after_rejection = run->gina->dialog_ok_count - run->dialog_oks_before;
  driver.TypeAndConfirm(dialog, L"Old-pass-1", kStrong, kStrong);
  run->closed = WaitUntil([&] { return run->gina->password_changes == 1; });
}

TEST_F(EndToEndTest, WeakPasswordIsRefusedWithTheServersTextAndAStrongOneGoesThrough) {
  StartServer(kReplies);
  StartWinlogon();
  WeakThenStrong run(gina_, &bench_);
  int action;
  {
    BackgroundThread driver(TypeWeakThenStrong, &run);
    action = bench_.LoggedOnSAS();
    ASSERT_TRUE(driver.Join());
  }
  ASSERT_TRUE(run.intercepted);
  ASSERT_TRUE(run.rejected);
  EXPECT_EQ(action, 6);  // WLX_SAS_ACTION_PWD_CHANGED
  EXPECT_EQ(run.fields_after_rejection, L"||");
  EXPECT_EQ(run.dialog_oks_after_rejection, 0u) << "the refused OK reached the dialog";
  EXPECT_TRUE(run.closed);
  EXPECT_EQ(std::wstring(gina_->new_password), kStrong);

  std::vector<RecordedBox> policy = BoxesWithStyle(kPolicyMessageStyle);
  ASSERT_EQ(policy.size(), 1u);
  EXPECT_EQ(policy[0].text, L"Passwords in SALES: 8 characters or more, one digit.");
  EXPECT_EQ(policy[0].title, L"Halvern");
  EXPECT_EQ(policy[0].winlogon, bench_.winlogon_handle());
  std::vector<RecordedBox> rejection = BoxesWithStyle(kRejectionStyle);
  ASSERT_EQ(rejection.size(), 1u);
  EXPECT_EQ(rejection[0].text, L"jdoe, that password breaks rules 2300, 2600.");
  EXPECT_EQ(rejection[0].title, L"Halvern");
  EXPECT_EQ(rejection[0].winlogon, bench_.winlogon_handle());
  EXPECT_EQ(bench_.WinlogonBoxes().size(), 2u);
  EXPECT_TRUE(bench_.SystemBoxes().empty());
  // EventLogLevel 1, the default: no event for a refusal.
  ASSERT_TRUE(output_.IsReadable());
  EXPECT_TRUE(output_.Events().empty());

  ASSERT_TRUE(server_.WaitForLoggedRequests(4, 10000));
  EXPECT_EQ(server_.LoggedRequests(), (std::vector<std::string>{
                                          "30_POLICY_MESSAGE\\0SALES\\0jdoe\\0",
                                          "30_POLICY\\0SALES\\0jdoe\\0",
                                          "30_REJECTION_MESSAGE\\0SALES\\0jdoe\\02300\\02600\\0\\0",
                                          "30_POLICY\\0SALES\\0jdoe\\0",
                                      }));
}

// The dialog is intercepted, the weak password typed once and confirmed; the change goes
// through to the provider.
void TypeWeakOnce(void* data) {
  auto* run = static_cast<WeakThenStrong*>(data);
  DialogDriver driver(run->gina);
  HWND dialog = driver.WaitForInterceptedDialog();
  run->intercepted = dialog != nullptr;
  if (dialog == nullptr) return;
  driver.TypeAndConfirm(dialog, L"Old-pass-1", run->password, run->password);
  run->closed = WaitUntil([&] { return run->gina->password_changes == 1; });
}

struct UndecidedCase {
  const char* name;
  const char* replies;   // null: no server configured at all
  size_t requests;       // requests the server receives
  const wchar_t* event;  // the warning written, as Describe gives it
  DWORD strict_reply_sender = 0;
};

class UndecidedTest : public EndToEndTest, public ::testing::WithParamInterface<UndecidedCase> {};

TEST_P(UndecidedTest, WhatTheClientCannotDecideLetsTheChangeThrough) {
  const UndecidedCase& c = GetParam();
  if (c.replies != nullptr)
    StartServer(c.replies, 300);
  else
    WriteClientSettings({}, 1333, 300, 0, 1);
  SetClientNumber("StrictReplySender", c.strict_reply_sender);
  StartWinlogon();
  WeakThenStrong run(gina_, &bench_);
  int action;
  {
    BackgroundThread driver(TypeWeakOnce, &run);
    action = bench_.LoggedOnSAS();
    ASSERT_TRUE(driver.Join());
  }
  ASSERT_TRUE(run.intercepted);
  EXPECT_TRUE(run.closed);
  EXPECT_EQ(action, 6);
  EXPECT_EQ(std::wstring(gina_->new_password), kWeak);
  EXPECT_TRUE(BoxesWithStyle(kRejectionStyle).empty());
  if (c.replies != nullptr) {
    ASSERT_TRUE(server_.WaitForLoggedRequests(c.requests, 10000));
    EXPECT_EQ(server_.LoggedRequests().size(), c.requests);
  }
  EXPECT_EQ(Describe(output_.Events()), std::vector<std::wstring>{c.event});
}

const UndecidedCase kUndecidedCases[] = {
    {"NoServerConfigured", nullptr, 0, L"warning 2001: jdoe | SALES |  | 0"},
    {"ServerSilent", "*\t*\t*\tsilent\n", 2, L"warning 2002: jdoe | SALES | 127.0.0.1 | 0"},
    {"RepliesFromAnotherPort", "30_POLICY\tSALES\t*\treply other-port\t2600\\t8\\t0\\t0\\a\n", 2,
     L"warning 2003: jdoe | SALES | 127.0.0.1 | 0", 1},
    {"NoPolicyApplies", "30_POLICY\tSALES\t*\treply\t\\a\n", 2,
     L"warning 2004: jdoe | SALES | 127.0.0.1 | 0"},
    {"ReplyEnablesNoRule", "30_POLICY\tSALES\t*\treply\t9999\\t1\\a\n", 2,
     L"warning 2005: jdoe | SALES | 127.0.0.1 | 0"},
    {"DictionaryMissing",
     "30_POLICY\tSALES\t*\treply\t3000\\tC:/hvn-missing.dic\\t0\\t0\\t4\\t0\\a\n", 2,
     L"warning 2006: jdoe | SALES | rule 3000: Dictionary <C:/hvn-missing.dic> could not be opened "
     L"or read. | 0"},
    {"NoRejectionText", "30_POLICY\tSALES\t*\treply\t2600\\t8\\t0\\t0\\a\n*\t*\t*\tsilent\n", 3,
     L"warning 2007: jdoe | SALES | 2600 | 0"},
};

INSTANTIATE_TEST_SUITE_P(Cases, UndecidedTest, ::testing::ValuesIn(kUndecidedCases),
                         [](const ::testing::TestParamInfo<UndecidedCase>& info) {
                           return std::string(info.param.name);
                         });

TEST_F(EndToEndTest, EveryWatchedCallWatchesAgain) {
  StartServer(kReplies);
  SetClientNumber("EventLogLevel", 2);
  StartWinlogon();
  for (int call = 1; call <= 3; ++call) {
    WeakThenStrong run(gina_, &bench_);
    gina_->password_changes = 0;
    run.dialog_oks_before = gina_->dialog_ok_count;
    {
      BackgroundThread driver(TypeWeakThenStrong, &run);
      EXPECT_EQ(bench_.LoggedOnSAS(), 6) << "call " << call;
      ASSERT_TRUE(driver.Join());
    }
    EXPECT_TRUE(run.intercepted) << "call " << call;
    EXPECT_TRUE(run.rejected) << "call " << call;
    EXPECT_EQ(BoxesWithStyle(kPolicyMessageStyle).size(), static_cast<size_t>(call));
  }
  // EventLogLevel 2: the refusals too, the first of them only within the minute.
  EXPECT_EQ(Describe(output_.Events()),
            std::vector<std::wstring>{L"information 1001: jdoe | SALES | 2300, 2600 | 0"});
}

// Three changes a silent server lets through, each with its own password: one event, and none
// of the passwords anywhere in what the process wrote.
TEST_F(EndToEndTest, AFloodOfUncheckedChangesWritesOneEventAndNoPassword) {
  StartServer("*\t*\t*\tsilent\n", 200);
  SetClientNumber("EventLogLevel", 2);
  StartWinlogon();
  for (const wchar_t* password : {L"Xq7-first-typed", L"Xq7-second-typed", L"Xq7-third-typed"}) {
    gina_->password_changes = 0;
    WeakThenStrong run(gina_, &bench_);
    run.password = password;
    BackgroundThread driver(TypeWeakOnce, &run);
    EXPECT_EQ(bench_.LoggedOnSAS(), 6);
    ASSERT_TRUE(driver.Join());
    EXPECT_TRUE(run.closed);
  }
  EXPECT_EQ(Describe(output_.Events()),
            std::vector<std::wstring>{L"warning 2002: jdoe | SALES | 127.0.0.1 | 0"});
  const std::string written = output_.Text();
  for (const char* typed : {"Xq7", "first-typed", "second-typed", "third-typed", "Old-pass"})
    EXPECT_EQ(written.find(typed), std::string::npos) << typed;
}

// Ctrl+Alt+Del, Cancel while the policy message is still being fetched, Ctrl+Alt+Del again.
struct CancelWhenAsked {
  TestGinaControl* gina;
  const PolicyServerProcess* server;
};

// Cancels the dialog once its handler has asked for the policy message (and so waits for it).
void CancelOnceAsked(void* data) {
  auto* run = static_cast<CancelWhenAsked*>(data);
  run->server->WaitForLoggedRequests(1, 20000);
  HWND dialog = static_cast<HWND>(run->gina->dialog);
  if (dialog != nullptr) ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
}

struct SecondDialog {
  TestGinaControl* gina;
  DWORD start;
  HWND intercepted = nullptr;
  DWORD elapsed = 0;
};

void CancelOnceIntercepted(void* data) {
  auto* run = static_cast<SecondDialog*>(data);
  run->intercepted = DialogDriver(run->gina).WaitForInterceptedDialog();
  run->elapsed = ::GetTickCount() - run->start;
  if (run->intercepted != nullptr) ::PostMessageW(run->intercepted, WM_COMMAND, IDCANCEL, 0);
}

TEST_F(EndToEndTest, ACallIsWatchedWhileAnEarlierThreadIsStillInItsHandler) {
  // The first dialog's policy message is never answered: its handler waits 5 s for it.
  constexpr DWORD kSlowTimeout = 5000;
  StartServer(
      "30_POLICY_MESSAGE\tSALES\tslow\tsilent\n"
      "30_POLICY_MESSAGE\tSALES\tjdoe\treply\tQuick text\n",
      kSlowTimeout);
  StartWinlogon();
  std::wcscpy(gina_->user_name, L"slow");
  {
    CancelWhenAsked cancel{gina_, &server_};
    BackgroundThread driver(CancelOnceAsked, &cancel);
    EXPECT_EQ(bench_.LoggedOnSAS(), 2);
    ASSERT_TRUE(driver.Join());
  }
  // A registry change now must not reach the settings under the busy handler.
  WriteClientSettings({"SALES 127.0.0.1"}, server_.port(), kSlowTimeout, 0, 0);
  std::wcscpy(gina_->user_name, L"jdoe");
  SecondDialog run{gina_, ::GetTickCount()};
  {
    BackgroundThread driver(CancelOnceIntercepted, &run);
    EXPECT_EQ(bench_.LoggedOnSAS(), 2);
    ASSERT_TRUE(driver.Join());
  }
  ASSERT_NE(run.intercepted, nullptr);
  // Waiting for the earlier thread would take until its query gave up.
  EXPECT_LT(run.elapsed, kSlowTimeout - 1000) << "the call waited for the earlier thread";
  size_t quick = 0;
  for (const RecordedBox& box : bench_.WinlogonBoxes()) quick += box.text == L"Quick text";
  EXPECT_EQ(quick, 1u) << "the settings were reloaded under a running handler";
}

// Each of the three watched calls watches for the dialogs its provider shows.
struct WatchedCase {
  const char* name;
  TestGinaEntry entry;
  int expected_result;
};

class WatchedCallTest : public EndToEndTest, public ::testing::WithParamInterface<WatchedCase> {
 protected:
  int Call(TestGinaEntry entry) {
    if (entry == kGinaLoggedOutSAS) return bench_.LoggedOutSAS();
    if (entry == kGinaActivateUserShell) return bench_.ActivateUserShell();
    return bench_.LoggedOnSAS();
  }
};

TEST_P(WatchedCallTest, InterceptsTheDialogShownDuringTheCall) {
  const WatchedCase& c = GetParam();
  StartServer(kReplies);
  StartWinlogon();
  gina_->dialog_entry = c.entry;
  WeakThenStrong run(gina_, &bench_);
  int result;
  {
    BackgroundThread driver(TypeWeakThenStrong, &run);
    result = Call(c.entry);
    ASSERT_TRUE(driver.Join());
  }
  EXPECT_TRUE(run.intercepted);
  EXPECT_TRUE(run.rejected);
  EXPECT_TRUE(run.closed);
  EXPECT_EQ(result, c.expected_result);
  EXPECT_EQ(std::wstring(gina_->new_password), kStrong);
}

const WatchedCase kWatchedCases[] = {
    {"WlxLoggedOutSAS", kGinaLoggedOutSAS, 1},
    {"WlxActivateUserShell", kGinaActivateUserShell, TRUE},
    {"WlxLoggedOnSAS", kGinaLoggedOnSAS, 6},
};

INSTANTIATE_TEST_SUITE_P(Calls, WatchedCallTest, ::testing::ValuesIn(kWatchedCases),
                         [](const ::testing::TestParamInfo<WatchedCase>& info) {
                           return std::string(info.param.name);
                         });

TEST_F(EndToEndTest, AfterAnExceptionTheNextCallIsWatchedAgain) {
  StartServer(kReplies);
  StartWinlogon();
  gina_->fault_entry = kGinaLoggedOnSAS;
  gina_->fault_kind = kGinaAccessViolation;
  EXPECT_EQ(bench_.LoggedOnSAS(), 2);
  ASSERT_EQ(bench_.SystemBoxes().size(), 1u);  // the prompt, answered No

  gina_->fault_entry = kGinaEntryCount;
  WeakThenStrong run(gina_, &bench_);
  {
    BackgroundThread driver(TypeWeakThenStrong, &run);
    EXPECT_EQ(bench_.LoggedOnSAS(), 6);
    ASSERT_TRUE(driver.Join());
  }
  EXPECT_TRUE(run.intercepted);
  EXPECT_TRUE(run.rejected);
  EXPECT_TRUE(run.closed);
  EXPECT_EQ(Describe(output_.Events()),
            std::vector<std::wstring>{L"error 3001: 0xC0000005 | WlxLoggedOnSAS | 0"});
}

// A fault in a dialog handler, on the watcher's thread: Winlogon's message box lies at an
// address that cannot run, so showing the policy message faults. The guard catches it, the
// event names the handler, and the dialog, marked but never subclassed, lets its OK through.
struct UnwatchedDialog {
  TestGinaControl* gina;
  const ProcessOutput* output;
  bool reported = false;
  bool closed = false;
};

void TypeOnceTheFaultIsReported(void* data) {
  auto* run = static_cast<UnwatchedDialog*>(data);
  run->reported = WaitUntil([&] { return !run->output->Events().empty(); });
  HWND dialog = static_cast<HWND>(run->gina->dialog);
  if (!run->reported || dialog == nullptr) return;
  DialogDriver(run->gina).TypeAndConfirm(dialog, L"Old-pass-1", kWeak, kWeak);
  run->closed = WaitUntil([&] { return run->gina->password_changes == 1; });
}

TEST_F(EndToEndTest, AFaultInADialogHandlerLeavesThatDialogUnwatched) {
  StartServer(kReplies);
  DWORD reported = 0;
  ASSERT_TRUE(bench_.Negotiate(0x10004, &reported));
  void* dispatch[48] = {};
  dispatch[5] = reinterpret_cast<void*>(16);
  ASSERT_TRUE(bench_.Initialize(dispatch));
  UnwatchedDialog run{gina_, &output_};
  {
    BackgroundThread driver(TypeOnceTheFaultIsReported, &run);
    EXPECT_EQ(bench_.LoggedOnSAS(), 6);
    ASSERT_TRUE(driver.Join());
  }
  ASSERT_TRUE(run.reported);
  EXPECT_TRUE(run.closed);
  EXPECT_EQ(std::wstring(gina_->new_password), kWeak);
  EXPECT_EQ(
      Describe(output_.Events()),
      std::vector<std::wstring>{L"error 3001: 0xC0000005 | the CHANGE_NT dialog handler | 0"});
  EXPECT_TRUE(bench_.SystemBoxes().empty());
}

}  // namespace
}  // namespace hvn::test
