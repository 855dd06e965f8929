#include "serve/sender_table.h"

namespace hvn::tool {

SenderTable::Sender& SenderTable::Find(uint32_t address, uint64_t now_ms) {
  // The address picks a set of kWays slots; inside it, its own slot, else the stalest.
  uint32_t hash = address * 2654435761u;
  size_t first = (hash >> 16) % (kSlots / kWays) * kWays;
  Sender* stalest = &senders_[first];
  for (size_t i = first; i < first + kWays; ++i) {
    Sender& sender = senders_[i];
    if (sender.used && sender.address == address) {
      sender.last_seen_ms = now_ms;
      return sender;
    }
    if (!sender.used || (stalest->used && sender.last_seen_ms < stalest->last_seen_ms))
      stalest = &sender;
  }
  *stalest = Sender();
  stalest->used = true;
  stalest->address = address;
  stalest->tokens_milli = static_cast<uint64_t>(limits_.burst) * 1000;
  stalest->refilled_ms = now_ms;
  stalest->last_seen_ms = now_ms;
  return *stalest;
}

bool SenderTable::TakeReply(uint32_t address, uint64_t now_ms) {
  if (limits_.per_second == 0) return true;
  Sender& sender = Find(address, now_ms);
  const uint64_t full = static_cast<uint64_t>(limits_.burst) * 1000;
  if (now_ms > sender.refilled_ms) {
    // A second earns per_second replies, that is per_second thousandths a millisecond. The
    // limits are at most kMaxReplyLimit, so the product stays far from overflowing.
    uint64_t elapsed = now_ms - sender.refilled_ms;
    if (elapsed > full) elapsed = full;
    uint64_t earned = elapsed * limits_.per_second;
    sender.tokens_milli =
        earned >= full - sender.tokens_milli ? full : sender.tokens_milli + earned;
    sender.refilled_ms = now_ms;
  }
  if (sender.tokens_milli < 1000) return false;
  sender.tokens_milli -= 1000;
  return true;
}

bool SenderTable::MayLogDrop(uint32_t address, uint64_t now_ms) {
  Sender& sender = Find(address, now_ms);
  if (sender.logged && now_ms - sender.last_log_ms < 1000) return false;
  sender.logged = true;
  sender.last_log_ms = now_ms;
  return true;
}

}  // namespace hvn::tool
