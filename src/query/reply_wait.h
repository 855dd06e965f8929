// The wait of one query transaction for its reply, apart from the socket calls: what each thing
// the socket delivers means, how long the wait goes on and when it stops. The Winsock calls sit
// behind the slots of ReplySocket (query_hvs_win.cpp); the same rules can so be driven with any
// sequence of arrivals, network error reports included, which cannot be produced on demand.
#ifndef HVN_QUERY_REPLY_WAIT_H_
#define HVN_QUERY_REPLY_WAIT_H_

#include <cstdint>

namespace hvn {

// What one receive from the socket brought.
enum class Arrival : uint8_t {
  kReply,        // a datagram that counts as the reply: from the address and port asked, or from
                 // any sender when the sender is not checked (cut to the buffer when longer)
  kOtherSender,  // a datagram from another address or port, when the sender is checked
  kErrorReport,  // an error the network reported for the request (port unreachable, time to live
                 // exceeded); anyone can forge one, and it names no sender
  kFailure,      // the receive failed otherwise
};

// True for the socket errors that report what the network said of an earlier datagram:
// WSAECONNRESET (10054) and WSAENETRESET (10052).
bool IsNetworkErrorReport(int socket_error);

// The socket calls of the wait, with the caller's `context`.
struct ReplySocket {
  // Waits up to `timeout_ms` for something to receive (0: only looks at what is queued).
  // 1: something is there; 0: nothing came; -1: the wait failed.
  int (*wait)(void* context, uint32_t timeout_ms);
  // Receives what is there into the caller's reply buffer and says what it was.
  Arrival (*receive)(void* context);
  // A clock in milliseconds (GetTickCount); it may wrap.
  uint32_t (*now_ms)(void* context);
  void* context;
};

enum class WaitEnd : uint8_t {
  kReply,          // the reply was received
  kTimedOut,       // the time-out ran out without it
  kWaitFailed,     // a wait failed
  kReceiveFailed,  // a receive failed, or an error report ended a wait that checks no sender
};

struct WaitResult {
  WaitEnd end;
  uint32_t dropped;  // datagrams of other senders and error reports passed over
};

// The most arrivals a strict wait still receives once its time-out has run out: a flood of
// forged datagrams cannot keep it going.
constexpr uint32_t kMaxDrainedAtDeadline = 64;

// Waits up to `timeout_ms` for the reply; the first wait is the whole time-out. Without
// `strict_sender` the first arrival decides, as it always has: a datagram is the reply, an error
// report or a failure ends the wait. With it, datagrams of other senders and error reports
// (which name no sender, so anyone can forge them) are passed over and the wait goes on for what
// is left of the same time-out; once that has run out, what is already queued is still received
// without waiting again (at most kMaxDrainedAtDeadline arrivals), so a reply queued behind
// dropped datagrams is taken.
WaitResult WaitForReply(const ReplySocket& socket, uint32_t timeout_ms, bool strict_sender);

}  // namespace hvn

#endif  // HVN_QUERY_REPLY_WAIT_H_
