// The reply wait's rules on scripted arrivals and a clock of the script's own: a strict wait
// passes over network error reports and drains at its deadline; an unchecked one is unchanged.
#include "query/reply_wait.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace hvn {
namespace {

using Events = std::vector<std::pair<uint32_t, Arrival>>;  // due time (ms), arrival

// A wait with nothing due moves the clock to its end; a receive takes `cost` ms.
struct Script {
  Events events;
  uint32_t cost = 0;
  uint32_t now = 0;
  size_t next = 0;
  static Script& Of(void* context) { return *static_cast<Script*>(context); }
  static int Wait(void* context, uint32_t ms) {
    Script& s = Of(context);
    const bool due = s.next < s.events.size() && s.events[s.next].first <= s.now + ms;
    s.now = due ? std::max(s.now, s.events[s.next].first) : s.now + ms;
    return due ? 1 : 0;
  }
  static Arrival Receive(void* context) {
    Of(context).now += Of(context).cost;
    return Of(context).events[Of(context).next++].second;
  }
  static uint32_t Now(void* context) { return Of(context).now; }
};

TEST(WaitForReply, StrictWaitPassesOverErrorReportsAndDrainsAtItsDeadline) {
  const Arrival kReport = Arrival::kErrorReport;
  const Arrival kReply = Arrival::kReply;
  const Events report_then_reply = {{10, kReport}, {60, kReply}};
  const Events reports_only = {{10, kReport}, {20, kReport}};
  Events behind(5, {0, Arrival::kOtherSender});
  behind.push_back({0, kReply});
  Events flood(200, {0, Arrival::kOtherSender});
  flood.push_back({0, kReply});
  struct Case {
    const char* name;
    bool strict;
    Events events;
    uint32_t cost;
    WaitEnd end;
    uint32_t dropped;
    uint32_t ended_at;  // the script's clock when the wait ended
  };
  const Case cases[] = {
      {"error report, then the reply", true, report_then_reply, 0, WaitEnd::kReply, 1, 60},
      {"error reports only: the whole time-out", true, reports_only, 0, WaitEnd::kTimedOut, 2, 100},
      {"reply queued behind datagrams dropped past the deadline", true, behind, 30, WaitEnd::kReply,
       5, 180},
      {"a flood at the deadline, drained no further than the limit", true, flood, 30,
       WaitEnd::kTimedOut, 68, 68 * 30},
      {"unchecked: an error report ends the wait", false, report_then_reply, 0,
       WaitEnd::kReceiveFailed, 0, 10},
  };
  for (const Case& c : cases) {
    Script script{c.events, c.cost};
    const WaitResult result =
        WaitForReply({&Script::Wait, &Script::Receive, &Script::Now, &script}, 100, c.strict);
    EXPECT_EQ(result.end, c.end) << c.name;
    EXPECT_EQ(result.dropped, c.dropped) << c.name;
    EXPECT_EQ(script.now, c.ended_at) << c.name;
  }
}

}  // namespace
}  // namespace hvn
