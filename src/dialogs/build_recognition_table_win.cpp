#include "config/client_settings.h"
#include "dialogs/dialog_watcher.h"

namespace hvn {

uint32_t BuildRecognitionTable(DialogWatcher& watcher, const ClientSettings& settings,
                               const DialogHandlerSet& handlers) {
  // The table must not change under the scan of an earlier call's thread.
  if (!EndPreviousThread(watcher)) return kWatcherBusy;
  FillRecognitionTable(watcher, settings.WaitSleepTime, settings.WaitParams,
                       sizeof(settings.WaitParams), handlers);
  return 0;
}

}  // namespace hvn
