// The three watched calls run the chained provider's call while a dialog watcher looks for
// the password dialogs it can show.
#ifndef HVN_LOGON_WATCHED_CALL_H_
#define HVN_LOGON_WATCHED_CALL_H_

#include <cstddef>

namespace hvn {

// The watcher of each watched export.
enum WatchedExport : size_t {
  kWatchActivateUserShell,
  kWatchLoggedOnSAS,
  kWatchLoggedOutSAS,
  kWatchedExportCount
};

// Ends the watcher threads of earlier calls (waiting two seconds at most) and then reloads the
// client settings, unless a thread is still busy in a handler; makes the event log the
// receiver of the checks' findings; takes an idle watcher of the export, builds its
// recognition table with the NT handlers under the crash guard, sets its throttle to 100 ms and
// starts it; runs call(context), and tells the watcher to stop.
void RunWatchedCall(WatchedExport watched, void (*call)(void* context), void* context);

// Tells the watcher of `watched` to stop; used by the guard when an exception skipped the end
// of a watched call, so the watcher never outlives the call it watched.
void StopWatchedCall(WatchedExport watched);

}  // namespace hvn

#endif  // HVN_LOGON_WATCHED_CALL_H_
