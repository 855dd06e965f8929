#include "config/client_settings.h"
#include "dialogs/dialog_watcher.h"
#include "dialogs/nt_dialog_handlers.h"
#include "dialogs/password_dialog_state.h"
#include "logon/client_events.h"
#include "logon/watched_call.h"
#include "platform/exception_guard.h"

namespace hvn {
namespace {

constexpr uint32_t kWatchedThrottleInterval = 100;  // ms between two handler calls
// Watchers per watched export. A thread still inside a handler when the next call of its export
// starts (a policy message the user is still reading, a slow query) keeps its watcher; the call
// takes an idle one, so it is not left without recognition.
constexpr size_t kWatchersPerExport = 4;

// Constructed at load: settings with no server list, idle watchers.
ClientSettings g_client_settings;
DialogWatcher g_watchers[kWatchedExportCount][kWatchersPerExport];

// The NT handlers under the crash guard: the watcher thread runs in Winlogon, and a fault in a
// handler must not end it. Each handler marks its dialog before anything else, so the dialog
// of a handler that faulted is not recognised again: it stays unwatched, and its OK reaches the
// system as if the client were not there. The fault is written to the event log.
template <DialogHandler Handler, const char* Name>
uint32_t GuardedHandler(HWND dialog, HWND control) {
  uint32_t code = RunGuarded([dialog, control] { Handler(dialog, control); });
  if (code != 0) ReportCaughtFault(code, Name);
  return 0;
}

constexpr char kChangeNtHandler[] = "the CHANGE_NT dialog handler";
constexpr char kRejectedNtHandler[] = "the REJECTED_NT dialog handler";
constexpr char kChangeNwHandler[] = "the CHANGE_NW dialog handler";
constexpr char kExpiredNwHandler[] = "the EXPIRED_NW dialog handler";

const DialogHandlerSet kGuardedHandlers = {
    GuardedHandler<HandleChangeNT, kChangeNtHandler>,
    GuardedHandler<HandleRejectedNT, kRejectedNtHandler>,
    GuardedHandler<HandleChangeNW, kChangeNwHandler>,
    GuardedHandler<HandleExpiredNW, kExpiredNwHandler>,
};

// Tells every watcher thread to end and waits for them, at most kPreviousThreadWait in all.
// True when none runs any more.
bool EndEarlierThreads() {
  for (auto& pool : g_watchers) {
    for (DialogWatcher& watcher : pool) {
      if (watcher.Thread != nullptr) StopWatching(watcher);
    }
  }
  const DWORD start = ::GetTickCount();
  bool all_ended = true;
  for (auto& pool : g_watchers) {
    for (DialogWatcher& watcher : pool) {
      DWORD elapsed = ::GetTickCount() - start;
      DWORD remaining = elapsed >= kPreviousThreadWait ? 0 : kPreviousThreadWait - elapsed;
      if (!WaitForWatcherThread(watcher, remaining)) all_ended = false;
    }
  }
  return all_ended;
}

// A watcher of the export without a thread, or null when every one is still busy.
DialogWatcher* IdleWatcher(WatchedExport watched) {
  for (DialogWatcher& watcher : g_watchers[watched]) {
    if (watcher.Thread == nullptr) return &watcher;
  }
  return nullptr;
}

}  // namespace

void RunWatchedCall(WatchedExport watched, void (*call)(void*), void* context) {
  // The threads of earlier calls end first. Only when none runs any more are the settings
  // reloaded (a registry change takes effect without a restart): a handler still running
  // reads them, and a reload starts by resetting every field to its default.
  if (EndEarlierThreads()) g_client_settings.Load(HKEY_LOCAL_MACHINE, kClientSettingsKey);
  DialogState().Settings = &g_client_settings;
  DialogState().Report = ReportCheckFinding;
  DialogWatcher* watcher = IdleWatcher(watched);
  if (watcher != nullptr &&
      BuildRecognitionTable(*watcher, g_client_settings, kGuardedHandlers) == 0) {
    watcher->ThrottleInterval = kWatchedThrottleInterval;
    if (StartWatching(*watcher) != 0) watcher = nullptr;
  } else {
    watcher = nullptr;  // every watcher busy: this call goes on without recognition
  }
  call(context);
  if (watcher != nullptr) StopWatching(*watcher);
}

void StopWatchedCall(WatchedExport watched) {
  for (DialogWatcher& watcher : g_watchers[watched]) StopWatching(watcher);
}

}  // namespace hvn
