#include "query/reply_wait.h"

namespace hvn {

bool IsNetworkErrorReport(int socket_error) {
  return socket_error == 10054 || socket_error == 10052;
}

WaitResult WaitForReply(const ReplySocket& socket, uint32_t timeout_ms, bool strict_sender) {
  const uint32_t started = socket.now_ms(socket.context);
  uint32_t dropped = 0;
  uint32_t drained = 0;
  for (;;) {
    // The first wait is the whole time-out, exactly as without the strict check; later ones
    // what is left of it. Once it has run out, a wait only looks at what is already queued.
    const uint32_t elapsed = dropped == 0 ? 0 : socket.now_ms(socket.context) - started;
    const uint32_t remaining = elapsed >= timeout_ms ? 0 : timeout_ms - elapsed;
    const int ready = socket.wait(socket.context, remaining);
    if (ready < 0) return {WaitEnd::kWaitFailed, dropped};
    if (ready == 0) return {WaitEnd::kTimedOut, dropped};
    const Arrival arrival = socket.receive(socket.context);
    if (arrival == Arrival::kReply) return {WaitEnd::kReply, dropped};
    if (arrival == Arrival::kFailure) return {WaitEnd::kReceiveFailed, dropped};
    // An error report names no sender: only a wait that checks none ends on it.
    if (arrival == Arrival::kErrorReport && !strict_sender) {
      return {WaitEnd::kReceiveFailed, dropped};
    }
    ++dropped;
    if (remaining == 0 && ++drained >= kMaxDrainedAtDeadline) return {WaitEnd::kTimedOut, dropped};
  }
}

}  // namespace hvn
