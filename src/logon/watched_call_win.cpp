#include "config/client_settings.h"
#include "dialogs/dialog_watcher.h"
#include "dialogs/password_dialog_state.h"
#include "logon/watched_call.h"

namespace hvn {
namespace {

constexpr uint32_t kWatchedThrottleInterval = 100;  // ms between two handler calls

// Constructed at load: settings with no server list, three idle watchers.
ClientSettings g_client_settings;
DialogWatcher g_watchers[kWatchedExportCount];

}  // namespace

void RunWatchedCall(WatchedExport watched, void (*call)(void*), void* context) {
  DialogWatcher& watcher = g_watchers[watched];
  // A registry change takes effect at the next watched call, without a restart.
  g_client_settings.Load(HKEY_LOCAL_MACHINE, kClientSettingsKey);
  DialogState().Settings = &g_client_settings;
  // A watcher whose earlier thread has not ended keeps its table and is not started again:
  // the call goes on without recognition rather than with two threads on one watcher.
  if (BuildRecognitionTable(watcher, g_client_settings) == 0) {
    watcher.ThrottleInterval = kWatchedThrottleInterval;
    StartWatching(watcher);
  }
  call(context);
  StopWatching(watcher);
}

void StopWatchedCall(WatchedExport watched) {
  StopWatching(g_watchers[watched]);
}

}  // namespace hvn
