#include "logon/logon_host.h"
#include "logon/watched_call.h"

namespace hvn {

void RunWatchedCall(WatchedExport, void (*call)(void*), void* context) {
  call(context);
}
void StopWatchedCall(WatchedExport) {}
void SetLogonHost(HANDLE, WlxMessageBoxFunction) {}

}  // namespace hvn
