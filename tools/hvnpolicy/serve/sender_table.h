// What the server remembers of each sender address, in a table of fixed size: a token bucket
// that limits the replies it sends there, and when it last logged a dropped datagram from it.
// A spoofed source address can only draw replies at the bucket's rate (a bound on what it can
// be used to reflect at another host), and a flood from one address leaves the others their
// own buckets.
#ifndef HVN_TOOLS_HVNPOLICY_SERVE_SENDER_TABLE_H_
#define HVN_TOOLS_HVNPOLICY_SERVE_SENDER_TABLE_H_

#include <array>
#include <cstddef>
#include <cstdint>

namespace hvn::tool {

// The largest rate or burst an administrator may set.
constexpr uint32_t kMaxReplyLimit = 1000000;

struct ReplyLimits {
  uint32_t per_second = 20;  // replies a sender address earns a second; 0: no limit
  uint32_t burst = 100;      // replies it may draw at once (the bucket's size), at least 1
};

class SenderTable {
 public:
  explicit SenderTable(const ReplyLimits& limits) : limits_(limits) {}

  // Takes one reply from the bucket of `address` (network order) at `now_ms` (a monotonic
  // clock). False when the bucket is empty: the request gets no reply.
  bool TakeReply(uint32_t address, uint64_t now_ms);

  // True at most once a second per address: whether a datagram dropped from it is logged.
  bool MayLogDrop(uint32_t address, uint64_t now_ms);

  // Slots of the table: this many sender addresses are remembered; a new one takes the slot
  // of the one not heard from the longest among the few it may use.
  static constexpr size_t kSlots = 4096;

 private:
  struct Sender {
    uint32_t address = 0;
    bool used = false;
    bool logged = false;        // a drop was logged at last_log_ms
    uint64_t tokens_milli = 0;  // thousandths of a reply
    uint64_t refilled_ms = 0;   // when tokens_milli was last brought up to date
    uint64_t last_log_ms = 0;
    uint64_t last_seen_ms = 0;
  };
  static constexpr size_t kWays = 8;  // slots an address may use

  Sender& Find(uint32_t address, uint64_t now_ms);

  ReplyLimits limits_;
  std::array<Sender, kSlots> senders_;
};

}  // namespace hvn::tool

#endif  // HVN_TOOLS_HVNPOLICY_SERVE_SENDER_TABLE_H_
