// The dialog watcher: a table of recognition rows (a window title and a text that one of the
// window's descendants contains) and a thread that scans the top-level windows and hands each
// recognised password dialog to the handler of its kind.
//
// The table operations are portable; starting, stopping and the scan itself are Win32
// (dialog_watcher_win.cpp). All texts are narrow strings in the system's ANSI code page.
#ifndef HVN_DIALOGS_DIALOG_WATCHER_H_
#define HVN_DIALOGS_DIALOG_WATCHER_H_

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "dialogs/window_handle.h"

namespace hvn {

class ClientSettings;

constexpr size_t kRecognitionTextSize = 128;  // bytes per row text, terminator included
constexpr size_t kRecognitionRowCount = 25;   // rows a watcher holds
constexpr size_t kBuiltInRowCount = 16;
constexpr uint32_t kDefaultScanInterval = 250;  // ms, until a table build sets WaitSleepTime

// A dialog handler: called on the watcher's thread with the recognised dialog and the
// descendant whose text matched (nullptr for a row without control text). The result is
// ignored.
using DialogHandler = uint32_t (*)(HWND dialog, HWND control);

// The dialog kinds recognised on NT.
enum class DialogKind { ChangeNT, RejectedNT, ChangeNW, ExpiredNW };

// The handler of each kind.
struct DialogHandlerSet {
  DialogHandler ChangeNT;
  DialogHandler RejectedNT;
  DialogHandler ChangeNW;
  DialogHandler ExpiredNW;

  DialogHandler For(DialogKind kind) const;
};

// One recognition row. Both texts are stored in capitals, at most 127 bytes, the rest of the
// field zero. A row without a handler never matches.
struct DialogRecognitionEntry {
  char Title[kRecognitionTextSize];
  char ControlText[kRecognitionTextSize];
  DialogHandler Handler;
};

// A built-in row as written (Windows-1252, mixed case).
struct BuiltInRecognitionRow {
  const char* Title;
  const char* ControlText;
  DialogKind Kind;
};

// The sixteen built-in rows in table order: English, French, German, Dutch and Swedish.
extern const BuiltInRecognitionRow kBuiltInRecognitionRows[kBuiltInRowCount];

// One watcher per watched call. The table is complete before the thread starts and is not
// changed while it runs; the stop flag is the only field both threads write.
struct DialogWatcher {
  // An empty table, scan interval 250 ms, throttle 0, last call 0, no thread.
  DialogWatcher();
  ~DialogWatcher() = default;
  DialogWatcher(const DialogWatcher&) = delete;
  DialogWatcher& operator=(const DialogWatcher&) = delete;

  std::atomic<uint32_t> StopFlag;  // 0 while the thread is to run, 1 when it is to end
  uint32_t ScanInterval;           // ms between two scans
  uint32_t ThrottleInterval;       // ms that must pass between two handler calls
  DialogRecognitionEntry Table[kRecognitionRowCount];
  uint32_t RowCount;
  uint32_t CurrentRow;  // row being tried during a scan
  HWND CurrentDialog;   // window whose descendants are being searched
  uint32_t LastCall;    // tick count of the last handler call
  void* Thread;         // handle of the last thread started, kept until it has ended
  void* StopEvent;      // set with the stop flag: ends the thread's pause between scans at once
};

// Row count 0 and every row zero-filled; intervals, current row and dialog and last call stay.
void ClearTable(DialogWatcher& watcher);

// Adds a row: copies at most 127 bytes of each text (never splitting a double-byte character)
// and converts both to capitals. Returns 0, or ERROR_NOT_ENOUGH_MEMORY when the table is full
// (nothing added).
uint32_t AddRecognitionEntry(DialogWatcher& watcher, const char* title, const char* control_text,
                             DialogHandler handler);

// Adds the administrator's rows from `wait_params`, a multi-string of `size` bytes read as
// triples title, control text, kind. The kind is taken without regard to case; "CHANGE_NT",
// "REJECTED_NT", "CHANGE_NW" and "EXPIRED_NW" select their handler, any other skips the triple.
// The walk never reads past `size` bytes: a string not terminated within them ends the list.
void AddCustomRecognitionRows(DialogWatcher& watcher, const char* wait_params, size_t size,
                              const DialogHandlerSet& handlers);

// The whole table build: scan interval := `wait_sleep_time`, ClearTable, the sixteen built-in
// rows, then the custom rows. Rows past the 25th are dropped without notice.
void FillRecognitionTable(DialogWatcher& watcher, uint32_t wait_sleep_time, const char* wait_params,
                          size_t wait_params_size, const DialogHandlerSet& handlers);

// True when the capitalised window title equals the row's title (byte for byte).
bool TitleMatchesRow(const DialogRecognitionEntry& row, const char* upper_title);

// True when `needle` occurs in `haystack` starting on a character boundary of the ANSI code
// page. An empty needle occurs everywhere.
bool ContainsAnsiText(const char* haystack, const char* needle);

// True when at least `interval` ms have passed from `last` to `now` (32-bit tick counts that
// wrap).
inline bool ThrottlePermits(uint32_t now, uint32_t last, uint32_t interval) {
  return static_cast<uint32_t>(now - last) >= interval;
}

#ifdef _WIN32
// ERROR_BUSY: the thread of an earlier call of the watcher has not ended.
constexpr uint32_t kWatcherBusy = 170;
// The shortest pause between two scans, in ms: a WaitSleepTime of 0 must not keep a processor
// of Winlogon's machine busy.
constexpr uint32_t kMinScanPause = 5;
// How long a start waits for the thread of an earlier call of the same watcher, in ms, whatever
// WaitSleepTime is: Winlogon's own thread waits meanwhile.
constexpr uint32_t kPreviousThreadWait = 2000;

// The handlers of this library's NT dialog kinds.
DialogHandlerSet NtDialogHandlers();

// Builds the watcher's table from the settings (WaitSleepTime, WaitParams) with `handlers`
// (HVNc32 runs the NT handlers under its crash guard). Ends a thread of an earlier call of this
// watcher first (EndPreviousThread), so the table never changes under a running scan. Returns
// 0, or 170 (busy) when that thread has not ended; the table is then left as it was.
uint32_t BuildRecognitionTable(DialogWatcher& watcher, const ClientSettings& settings,
                               const DialogHandlerSet& handlers = NtDialogHandlers());

// Starts the scan thread: a scan of the top-level windows, then a pause of WaitSleepTime (at
// least kMinScanPause) that a stop ends at once, until the watcher is told to stop. Only one
// thread ever scans with one watcher: a thread of an earlier call is ended first
// (EndPreviousThread). Returns 0 when the thread runs; 170 (busy) when the earlier thread did
// not end in time, or the creation error; in both cases no new thread runs.
uint32_t StartWatching(DialogWatcher& watcher);

// Tells the thread to end: it calls no further handler and ends after the handler in
// progress, if any. Returns 0 at once.
uint32_t StopWatching(DialogWatcher& watcher);

// Tells the thread of an earlier call (if any) to end and waits for it, at most
// kPreviousThreadWait. True when no thread runs any more.
bool EndPreviousThread(DialogWatcher& watcher);

// Waits until the watcher's thread (if any) has ended, for at most `timeout_ms`, handling
// messages sent to the calling thread meanwhile. Returns true when no thread runs.
bool WaitForWatcherThread(DialogWatcher& watcher, uint32_t timeout_ms);
#endif

}  // namespace hvn

#endif  // HVN_DIALOGS_DIALOG_WATCHER_H_
