// The watcher thread: scans the top-level windows of this process, recognises password dialogs
// by their recognition rows and calls the handler of the matching row.
#include <cstring>

#include "dialogs/dialog_watcher.h"
#include "platform/ansi_text.h"
#include "platform/secure_zero.h"
#include "platform/win.h"

namespace hvn {
namespace {

constexpr size_t kWindowTextSize = 4096;

// Reads a window's text in capitals, with a limit of 4095 bytes including the terminating NUL;
// a text that cannot be read is empty.
void ReadUpperText(HWND window, char (&text)[kWindowTextSize]) {
  text[0] = '\0';
  int length = ::GetWindowTextA(window, text, static_cast<int>(kWindowTextSize - 1));
  if (length < 0) length = 0;
  if (static_cast<size_t>(length) >= kWindowTextSize) length = kWindowTextSize - 1;
  text[length] = '\0';
  platform::AnsiToUpper(text, static_cast<size_t>(length));
}

// One pass's work on one top-level window. Once a handler has been called for the window, no
// further descendant or row is tried for it in this pass: a handler that outlasts the throttle
// (a policy message, a slow query) would otherwise let a later row, compared with the title
// read before the handler marked it, prepare the same dialog a second time.
struct WindowScan {
  DialogWatcher& Watcher;
  bool Handled;
};

// Calls the row's handler unless a handler of this watcher ran less than the throttle
// interval ago. True when it was called.
bool CallThrottled(DialogWatcher& watcher, DialogHandler handler, HWND dialog, HWND control) {
  uint32_t now = ::GetTickCount();
  if (!ThrottlePermits(now, watcher.LastCall, watcher.ThrottleInterval)) return false;
  watcher.LastCall = now;
  handler(dialog, control);
  return true;
}

BOOL CALLBACK DescendantTest(HWND window, LPARAM param) {
  WindowScan& scan = *reinterpret_cast<WindowScan*>(param);
  DialogWatcher& watcher = scan.Watcher;
  const DialogRecognitionEntry& row = watcher.Table[watcher.CurrentRow];
  char text[kWindowTextSize];
  ReadUpperText(window, text);
  bool contains = ContainsAnsiText(text, row.ControlText);
  // A descendant's text can be a password typed into the dialog: leave no copy behind.
  platform::SecureZero(text, sizeof(text));
  if (watcher.StopFlag.load() != 0) return FALSE;  // a stopping watcher calls no handler
  if (contains && CallThrottled(watcher, row.Handler, watcher.CurrentDialog, window)) {
    scan.Handled = true;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK TopLevelTest(HWND window, LPARAM param) {
  DialogWatcher& watcher = *reinterpret_cast<DialogWatcher*>(param);
  if (watcher.StopFlag.load() != 0) return FALSE;  // a stopping watcher calls no handler
  // Only this process's dialogs can be subclassed; a window of another program on the same
  // desktop is never touched.
  DWORD process_id = 0;
  ::GetWindowThreadProcessId(window, &process_id);
  if (process_id != ::GetCurrentProcessId()) return TRUE;

  char title[kWindowTextSize];
  ReadUpperText(window, title);
  WindowScan scan{watcher, false};
  for (uint32_t i = 0; i < watcher.RowCount && i < kRecognitionRowCount && !scan.Handled &&
                       watcher.StopFlag.load() == 0;
       ++i) {
    watcher.CurrentRow = i;
    const DialogRecognitionEntry& row = watcher.Table[i];
    if (!TitleMatchesRow(row, title)) continue;
    if (row.ControlText[0] != '\0') {
      watcher.CurrentDialog = window;
      ::EnumChildWindows(window, DescendantTest, reinterpret_cast<LPARAM>(&scan));
    } else {
      scan.Handled = CallThrottled(watcher, row.Handler, window, nullptr);
    }
  }
  return TRUE;
}

// The pause after a scan: WaitSleepTime, but never so short that the loop spins.
DWORD ScanPause(uint32_t interval) {
  return interval < kMinScanPause ? kMinScanPause : interval;
}

DWORD WINAPI ScanLoop(LPVOID param) {
  DialogWatcher& watcher = *static_cast<DialogWatcher*>(param);
  HANDLE stop = watcher.StopEvent;
  while (watcher.StopFlag.load() == 0) {
    ::EnumWindows(TopLevelTest, reinterpret_cast<LPARAM>(&watcher));
    // A stop ends the pause at once, however long WaitSleepTime is.
    ::WaitForSingleObject(stop, ScanPause(watcher.ScanInterval));
  }
  return 0;
}

// Closes the handles of a thread that has ended.
void ReleaseEndedThread(DialogWatcher& watcher) {
  ::CloseHandle(watcher.Thread);
  watcher.Thread = nullptr;
  if (watcher.StopEvent != nullptr) ::CloseHandle(watcher.StopEvent);
  watcher.StopEvent = nullptr;
}

}  // namespace

bool EndPreviousThread(DialogWatcher& watcher) {
  if (watcher.Thread == nullptr) return true;
  StopWatching(watcher);
  return WaitForWatcherThread(watcher, kPreviousThreadWait);
}

bool WaitForWatcherThread(DialogWatcher& watcher, uint32_t timeout_ms) {
  if (watcher.Thread == nullptr) return true;
  HANDLE thread = watcher.Thread;
  const DWORD start = ::GetTickCount();
  for (;;) {
    DWORD elapsed = ::GetTickCount() - start;
    DWORD remaining = elapsed >= timeout_ms ? 0 : timeout_ms - elapsed;
    // The thread may be reading the text of a window of this thread: handle sent messages
    // while waiting, or both would wait for each other.
    DWORD result = ::MsgWaitForMultipleObjects(1, &thread, FALSE, remaining, QS_SENDMESSAGE);
    if (result == WAIT_OBJECT_0) {
      ReleaseEndedThread(watcher);
      return true;
    }
    if (result != WAIT_OBJECT_0 + 1) return false;
    MSG message;
    ::PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
  }
}

uint32_t StartWatching(DialogWatcher& watcher) {
  if (!EndPreviousThread(watcher)) return kWatcherBusy;
  HANDLE stop = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (stop == nullptr) {
    uint32_t error = ::GetLastError();
    return error != 0 ? error : kWatcherBusy;
  }
  watcher.StopEvent = stop;
  watcher.StopFlag.store(0);
  DWORD thread_id = 0;
  HANDLE thread = ::CreateThread(nullptr, 0, ScanLoop, &watcher, 0, &thread_id);
  if (thread == nullptr) {
    uint32_t error = ::GetLastError();
    watcher.StopFlag.store(1);
    ::CloseHandle(stop);
    watcher.StopEvent = nullptr;
    return error != 0 ? error : kWatcherBusy;
  }
  watcher.Thread = thread;
  return 0;
}

uint32_t StopWatching(DialogWatcher& watcher) {
  watcher.StopFlag.store(1);
  if (watcher.StopEvent != nullptr) ::SetEvent(watcher.StopEvent);
  return 0;
}

}  // namespace hvn
