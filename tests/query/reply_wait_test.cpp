// The reply wait's rules, driven with scripted arrivals on a clock of the script's own: what a
// strict wait passes over (other senders, network error reports) and what it still takes at
// its deadline, and that a wait that checks no sender is as it always was.
#include "query/reply_wait.h"

#include <gtest/gtest.h>

#include <vector>

namespace hvn {
namespace {

constexpr uint32_t kTimeoutMs = 100;

// Each arrival can be received from its time on; a wait with nothing due moves the clock to its
// end, and each receive takes `receive_ms`.
struct Script {
  struct Event {
    uint32_t at_ms;
    Arrival arrival;
  };
  std::vector<Event> events;
  uint32_t receive_ms = 0;
  size_t next = 0;
  uint32_t now = 0;

  static int Wait(void* context, uint32_t timeout_ms) {
    Script& script = *static_cast<Script*>(context);
    if (script.next < script.events.size() &&
        script.events[script.next].at_ms <= script.now + timeout_ms) {
      if (script.events[script.next].at_ms > script.now)
        script.now = script.events[script.next].at_ms;
      return 1;
    }
    script.now += timeout_ms;
    return 0;
  }
  static Arrival Receive(void* context) {
    Script& script = *static_cast<Script*>(context);
    script.now += script.receive_ms;
    return script.events[script.next++].arrival;
  }
  static uint32_t Now(void* context) { return static_cast<Script*>(context)->now; }
};

std::vector<Script::Event> Repeat(Arrival arrival, size_t count) {
  return std::vector<Script::Event>(count, Script::Event{0, arrival});
}

TEST(WaitForReply, StrictWaitPassesOverWhatNamesNoSenderAndDrainsAtItsDeadline) {
  const Arrival kReport = Arrival::kErrorReport;
  const Arrival kOther = Arrival::kOtherSender;
  const Arrival kReply = Arrival::kReply;
  std::vector<Script::Event> flood = Repeat(kOther, 200);
  flood.push_back({0, kReply});
  std::vector<Script::Event> behind = Repeat(kOther, 5);
  behind.push_back({0, kReply});
  struct Case {
    const char* name;
    bool strict;
    std::vector<Script::Event> events;
    uint32_t receive_ms;
    WaitEnd end;
    uint32_t dropped;
    uint32_t ended_at_ms;  // the script's clock when the wait ended
  };
  const Case cases[] = {
      {"reply", true, {{30, kReply}}, 0, WaitEnd::kReply, 0, 30},
      {"silence: the whole time-out", true, {}, 0, WaitEnd::kTimedOut, 0, kTimeoutMs},
      {"error report, then the reply",
       true,
       {{10, kReport}, {60, kReply}},
       0,
       WaitEnd::kReply,
       1,
       60},
      {"error reports only: the whole time-out",
       true,
       {{10, kReport}, {20, kReport}},
       0,
       WaitEnd::kTimedOut,
       2,
       kTimeoutMs},
      {"reply queued behind datagrams dropped past the deadline", true, behind, 30, WaitEnd::kReply,
       5, 180},
      {"a flood at the deadline is drained no further than the limit", true, flood, 30,
       WaitEnd::kTimedOut, 68, 68 * 30},
      {"failure", true, {{10, Arrival::kFailure}}, 0, WaitEnd::kReceiveFailed, 0, 10},
      // Without the check the first arrival decides, as ever.
      {"unchecked: error report ends the wait",
       false,
       {{10, kReport}, {60, kReply}},
       0,
       WaitEnd::kReceiveFailed,
       0,
       10},
      {"unchecked: first datagram is the reply", false, {{10, kReply}}, 0, WaitEnd::kReply, 0, 10},
  };
  for (const Case& c : cases) {
    Script script;
    script.events = c.events;
    script.receive_ms = c.receive_ms;
    const ReplySocket socket{&Script::Wait, &Script::Receive, &Script::Now, &script};
    const WaitResult result = WaitForReply(socket, kTimeoutMs, c.strict);
    EXPECT_EQ(result.end, c.end) << c.name;
    EXPECT_EQ(result.dropped, c.dropped) << c.name;
    EXPECT_EQ(script.now, c.ended_at_ms) << c.name;
  }
}

TEST(IsNetworkErrorReport, PortUnreachableAndTimeToLiveExceeded) {
  EXPECT_TRUE(IsNetworkErrorReport(10054));   // WSAECONNRESET
  EXPECT_TRUE(IsNetworkErrorReport(10052));   // WSAENETRESET
  EXPECT_FALSE(IsNetworkErrorReport(10040));  // WSAEMSGSIZE: a datagram, cut
  EXPECT_FALSE(IsNetworkErrorReport(10038));
  EXPECT_FALSE(IsNetworkErrorReport(0));
}

}  // namespace
}  // namespace hvn
