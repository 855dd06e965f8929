// The watcher thread against real dialogs: recognition by title and descendant text, the
// shared throttle, the title mark, and one scanning thread per watcher.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "dialogs/dialog_watcher.h"
#include "dialogs/dialog_window_ops.h"
#include "dialogs/test_dialog_host_win.h"

namespace hvn {
namespace {

using test::DialogHostThread;
using test::TestDialogKind;
using test::TestDialogLayout;
using test::WaitUntil;

struct Call {
  DialogKind Kind;
  HWND Dialog;
  HWND Control;
  DWORD ThreadId;
  DWORD Tick;
};

// Handler calls as the watcher thread makes them; read by the test thread.
class CallLog {
 public:
  CallLog() { ::InitializeCriticalSection(&lock_); }
  ~CallLog() { ::DeleteCriticalSection(&lock_); }
  void Add(const Call& call) {
    ::EnterCriticalSection(&lock_);
    calls_.push_back(call);
    ::LeaveCriticalSection(&lock_);
  }
  std::vector<Call> Calls() {
    ::EnterCriticalSection(&lock_);
    std::vector<Call> copy = calls_;
    ::LeaveCriticalSection(&lock_);
    return copy;
  }
  size_t CountFor(HWND dialog) {
    size_t count = 0;
    for (const Call& call : Calls()) count += call.Dialog == dialog ? 1 : 0;
    return count;
  }
  void Clear() {
    ::EnterCriticalSection(&lock_);
    calls_.clear();
    ::LeaveCriticalSection(&lock_);
  }

 private:
  CRITICAL_SECTION lock_;
  std::vector<Call> calls_;
};

CallLog g_log;
// While set, a handler call waits for it to be reset (a handler that blocks its thread).
HANDLE g_release = nullptr;
HANDLE g_entered = nullptr;
HWND g_window_of_test_thread = nullptr;

// Handlers that mark the dialog as the real ones do, then record the call.
template <DialogKind kind>
uint32_t MarkingHandler(HWND dialog, HWND control) {
  MarkDialogTitle(dialog);
  g_log.Add({kind, dialog, control, ::GetCurrentThreadId(), ::GetTickCount()});
  return 0;
}

// A handler that records without marking, so its dialog matches on every pass.
uint32_t CountingHandler(HWND dialog, HWND control) {
  g_log.Add({DialogKind::ChangeNT, dialog, control, ::GetCurrentThreadId(), ::GetTickCount()});
  return 0;
}

// A handler that blocks until released, reading a window of the test thread first.
uint32_t BlockingHandler(HWND dialog, HWND control) {
  g_log.Add({DialogKind::ChangeNT, dialog, control, ::GetCurrentThreadId(), ::GetTickCount()});
  ::SetEvent(g_entered);
  if (g_window_of_test_thread != nullptr) {
    char text[64];
    ::GetWindowTextA(g_window_of_test_thread, text, sizeof(text));  // sent to the test thread
  }
  ::WaitForSingleObject(g_release, 30000);
  return 0;
}

const DialogHandlerSet kMarkingHandlers{
    MarkingHandler<DialogKind::ChangeNT>, MarkingHandler<DialogKind::RejectedNT>,
    MarkingHandler<DialogKind::ChangeNW>, MarkingHandler<DialogKind::ExpiredNW>};

class DialogWatcherWin : public ::testing::Test {
 protected:
  void SetUp() override { g_log.Clear(); }
  // The dialogs go only after the watcher thread that may be using them has ended.
  void TearDown() override { test::StopAndJoinWatcher(watcher_); }

  // A dialog on a thread of its own that lives as long as the test.
  DialogHostThread& Host(const TestDialogLayout& layout) {
    hosts_.push_back(std::make_unique<DialogHostThread>(layout));
    return *hosts_.back();
  }

  void Build(const std::vector<std::string>& custom = {}, uint32_t scan = 10,
             uint32_t throttle = 100, const DialogHandlerSet& handlers = kMarkingHandlers) {
    std::string params;
    for (const std::string& s : custom) params += s + '\0';
    params += '\0';
    FillRecognitionTable(watcher_, scan, params.data(), params.size(), handlers);
    watcher_.ThrottleInterval = throttle;
  }

  DialogWatcher watcher_;
  std::vector<std::unique_ptr<DialogHostThread>> hosts_;
};

TEST_F(DialogWatcherWin, RecognisesEveryBuiltInDialogAsItsKind) {
  Build();
  ASSERT_EQ(StartWatching(watcher_), 0u);
  for (size_t row = 0; row < kBuiltInRowCount; ++row) {
    TestDialogLayout layout = test::LayoutForBuiltInRow(row);
    DialogHostThread& host = Host(layout);
    ASSERT_NE(host.Dialog(), nullptr) << "row " << row;
    ASSERT_TRUE(WaitUntil([&] { return g_log.CountFor(host.Dialog()) > 0; })) << "row " << row;
    Call call = g_log.Calls().back();
    EXPECT_EQ(call.Kind, kBuiltInRecognitionRows[row].Kind) << "row " << row;
    // The matched descendant is the one that shows the row's text.
    std::string matched = test::WindowTextA(call.Control);
    EXPECT_NE(matched.find(kBuiltInRecognitionRows[row].ControlText), std::string::npos)
        << "row " << row << ": " << matched;
    EXPECT_EQ(test::WindowTextA(host.Dialog()),
              std::string(kBuiltInRecognitionRows[row].Title) + " (HVN)")
        << "row " << row;
  }
  EXPECT_EQ(g_log.Calls().size(), kBuiltInRowCount);
}

TEST_F(DialogWatcherWin, RecognisesAnAdministratorsRowAndIgnoresLetterCase) {
  Build({"Passwort wechseln", "Neues Passwort best\xE4tigen", "change_nt"});
  ASSERT_EQ(StartWatching(watcher_), 0u);
  struct Case {
    const char* title;
    const char* text;
    DialogKind kind;
  };
  const Case cases[] = {
      {"passwort WECHSELN", "NEUES PASSWORT BEST\xC4TIGEN", DialogKind::ChangeNT},
      {"change password", "&confirm new password", DialogKind::ChangeNT},
      {"Kennwort \xC4NDERN", "NEUES &KENNWORT BEST\xE4TIGEN", DialogKind::ChangeNT},
  };
  for (const Case& c : cases) {
    TestDialogLayout layout;
    layout.Title = c.title;
    layout.RecognitionText = c.text;
    DialogHostThread& host = Host(layout);
    ASSERT_TRUE(WaitUntil([&] { return g_log.CountFor(host.Dialog()) > 0; })) << c.title;
    EXPECT_EQ(g_log.Calls().back().Kind, c.kind) << c.title;
  }
}

TEST_F(DialogWatcherWin, MarkedAndUnrelatedDialogsAreLeftAlone) {
  // The sentinel's handler never marks it, so every pass calls it: two more calls prove a
  // whole pass over the other dialogs has happened in between.
  Build(
      {"Sentinel", "Sentinel text", "CHANGE_NW"}, 0, 0,
      DialogHandlerSet{MarkingHandler<DialogKind::ChangeNT>, MarkingHandler<DialogKind::RejectedNT>,
                       CountingHandler, MarkingHandler<DialogKind::ExpiredNW>});
  struct Case {
    const char* name;
    const char* title;
    const char* text;
  };
  const Case cases[] = {
      {"marked title", "Change Password (HVN)", "&Confirm New Password"},
      {"no descendant with a row's text", "Change Password", "Confirm New Password"},
      {"title of another row's language", "Wachtwoord wijzigen", "&Confirm New Password"},
      {"title with trailing space", "Change Password ", "&Confirm New Password"},
  };
  std::vector<DialogHostThread*> hosts;
  for (const Case& c : cases) {
    TestDialogLayout layout;
    layout.Title = c.title;
    layout.RecognitionText = c.text;
    hosts.push_back(&Host(layout));
  }
  TestDialogLayout sentinel;
  sentinel.Kind = TestDialogKind::ChangeNW;
  sentinel.Title = "Sentinel";
  sentinel.RecognitionText = "Sentinel text";
  DialogHostThread& sentinel_host = Host(sentinel);
  ASSERT_EQ(StartWatching(watcher_), 0u);
  ASSERT_TRUE(WaitUntil([&] { return g_log.CountFor(sentinel_host.Dialog()) >= 3; }));
  for (size_t i = 0; i < hosts.size(); ++i) {
    EXPECT_EQ(g_log.CountFor(hosts[i]->Dialog()), 0u) << cases[i].name;
    EXPECT_EQ(test::WindowTextA(hosts[i]->Dialog()), cases[i].title) << cases[i].name;
  }
}

TEST_F(DialogWatcherWin, ReadsAWindowsTextUpTo4094Bytes) {
  // The label holds the row's text as its last bytes: the 4094th is read, the 4095th is not.
  Build({"Limit 4094", "LIMIT", "EXPIRED_NW", "Limit 4095", "LIMIT", "EXPIRED_NW"}, 10, 0);
  TestDialogLayout read;
  read.Kind = TestDialogKind::ExpiredNW;
  read.Title = "Limit 4094";
  read.RecognitionText = std::string(4094 - 5, 'x') + "LIMIT";
  TestDialogLayout cut = read;
  cut.Title = "Limit 4095";
  cut.RecognitionText = std::string(4095 - 5, 'x') + "LIMIT";
  DialogHostThread& read_host = Host(read);
  DialogHostThread& cut_host = Host(cut);
  ASSERT_EQ(StartWatching(watcher_), 0u);
  ASSERT_TRUE(WaitUntil([&] { return g_log.CountFor(read_host.Dialog()) > 0; }));
  StopWatching(watcher_);
  ASSERT_TRUE(WaitForWatcherThread(watcher_, 30000));
  EXPECT_EQ(g_log.CountFor(cut_host.Dialog()), 0u);
}

TEST_F(DialogWatcherWin, OneHandlerCallPerThrottleInterval) {
  // Three descendants of the change dialog contain "PASSWORD", and the handler does not mark
  // the dialog: calls keep coming, but never two within the throttle interval.
  Build({"Throttled", "Password", "CHANGE_NW"}, 0, 150,
        DialogHandlerSet{nullptr, nullptr, CountingHandler, nullptr});
  TestDialogLayout layout;
  layout.Title = "Throttled";
  DialogHostThread& host = Host(layout);
  ASSERT_EQ(StartWatching(watcher_), 0u);
  ASSERT_TRUE(WaitUntil([&] { return g_log.CountFor(host.Dialog()) >= 4; }));
  StopWatching(watcher_);
  ASSERT_TRUE(WaitForWatcherThread(watcher_, 30000));
  std::vector<Call> calls = g_log.Calls();
  for (size_t i = 1; i < calls.size(); ++i) {
    EXPECT_GE(calls[i].Tick - calls[i - 1].Tick, 150u) << "call " << i;
  }
}

TEST_F(DialogWatcherWin, ARestartEndsThePreviousThreadFirst) {
  Build({"Counted", "&Confirm New Password", "CHANGE_NW"}, 5, 0,
        DialogHandlerSet{nullptr, nullptr, CountingHandler, nullptr});
  TestDialogLayout layout;
  layout.Title = "Counted";
  Host(layout);
  ASSERT_EQ(StartWatching(watcher_), 0u);
  ASSERT_TRUE(WaitUntil([&] { return !g_log.Calls().empty(); }));
  HANDLE first = nullptr;
  ASSERT_TRUE(::DuplicateHandle(::GetCurrentProcess(), watcher_.Thread, ::GetCurrentProcess(),
                                &first, SYNCHRONIZE, FALSE, 0));
  // Started again without a stop, as after an exception in the watched call.
  ASSERT_EQ(StartWatching(watcher_), 0u);
  EXPECT_EQ(::WaitForSingleObject(first, 0), WAIT_OBJECT_0) << "two threads share the watcher";
  ::CloseHandle(first);
  const DWORD first_thread = g_log.Calls().front().ThreadId;
  size_t before = g_log.Calls().size();
  ASSERT_TRUE(WaitUntil([&] { return g_log.Calls().size() >= before + 3; }));
  std::vector<Call> calls = g_log.Calls();
  for (size_t i = before; i < calls.size(); ++i) {
    EXPECT_NE(calls[i].ThreadId, first_thread) << "call " << i;
    EXPECT_EQ(calls[i].ThreadId, calls[before].ThreadId) << "call " << i;
  }
}

TEST_F(DialogWatcherWin, ARestartHandlesWhatTheOldThreadSendsMeanwhile) {
  // The old thread is inside a handler that reads a window of this thread (a sent message)
  // and then waits: the restart must answer the message while it waits, and a thread that
  // does not end in time is reported busy instead of being shared.
  g_release = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  g_entered = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  g_window_of_test_thread = ::CreateWindowExW(0, L"STATIC", L"test thread", 0, 0, 0, 10, 10,
                                              nullptr, nullptr, nullptr, nullptr);
  Build({"Blocking", "&Confirm New Password", "CHANGE_NW"}, 5, 0,
        DialogHandlerSet{nullptr, nullptr, BlockingHandler, nullptr});
  TestDialogLayout layout;
  layout.Title = "Blocking";
  Host(layout);
  ASSERT_EQ(StartWatching(watcher_), 0u);
  ASSERT_EQ(::WaitForSingleObject(g_entered, 30000), WAIT_OBJECT_0);
  StopWatching(watcher_);
  EXPECT_FALSE(WaitForWatcherThread(watcher_, 200));  // answers the sent message, then times out
  ::SetEvent(g_release);
  EXPECT_TRUE(WaitForWatcherThread(watcher_, 30000));
  EXPECT_EQ(watcher_.Thread, nullptr);
  ::DestroyWindow(g_window_of_test_thread);
  g_window_of_test_thread = nullptr;
  ::CloseHandle(g_release);
  ::CloseHandle(g_entered);
}

TEST_F(DialogWatcherWin, AStopEndsThePauseAtOnceWhateverWaitSleepTime) {
  Build({}, 0xFFFFFFFFu);
  ASSERT_EQ(StartWatching(watcher_), 0u);
  ::Sleep(20);  // into the pause after the first scan
  StopWatching(watcher_);
  EXPECT_TRUE(WaitForWatcherThread(watcher_, 5000));
}

TEST_F(DialogWatcherWin, AWaitSleepTimeOf0StillPausesBetweenScans) {
  // The handler does not mark its dialog, so every scan calls it once.
  Build({"Counted", "&Confirm New Password", "CHANGE_NW"}, 0, 0,
        DialogHandlerSet{nullptr, nullptr, CountingHandler, nullptr});
  TestDialogLayout layout;
  layout.Title = "Counted";
  Host(layout);
  const DWORD start = ::GetTickCount();
  ASSERT_EQ(StartWatching(watcher_), 0u);
  ::Sleep(200);
  StopWatching(watcher_);
  ASSERT_TRUE(WaitForWatcherThread(watcher_, 30000));
  const DWORD elapsed = ::GetTickCount() - start;
  // At most one scan per pause of kMinScanPause (timers may end a little early).
  EXPECT_LE(g_log.Calls().size(), elapsed / (kMinScanPause - 2) + 2);
}

TEST_F(DialogWatcherWin, StopEndsTheThreadAndNothingIsCalledAfterwards) {
  Build();
  ASSERT_EQ(StartWatching(watcher_), 0u);
  StopWatching(watcher_);
  ASSERT_TRUE(WaitForWatcherThread(watcher_, 30000));
  DialogHostThread& host = Host(test::LayoutForBuiltInRow(0));
  // The dialog stays unmarked: no thread scans any more.
  EXPECT_EQ(test::WindowTextA(host.Dialog()), "Change Password");
  EXPECT_EQ(g_log.Calls().size(), 0u);
}

}  // namespace
}  // namespace hvn
