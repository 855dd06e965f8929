// Flood control of the client's events: at most one event of each kind a minute, so a policy
// server that is down does not fill the log at every Ctrl+Alt+Del. What is held back is
// counted, and the next event of its kind says how many. Portable.
#ifndef HVN_LOGON_EVENT_FLOOD_GATE_H_
#define HVN_LOGON_EVENT_FLOOD_GATE_H_

#include <cstddef>
#include <cstdint>

#include "platform/critical_section.h"

namespace hvn {

constexpr uint32_t kEventFloodInterval = 60000;  // ms between two events of one kind
constexpr size_t kEventKindCapacity = 16;        // kinds a gate tells apart

class EventFloodGate {
 public:
  EventFloodGate() = default;
  EventFloodGate(const EventFloodGate&) = delete;
  EventFloodGate& operator=(const EventFloodGate&) = delete;

  // Decides on an event of `kind` at `now_ms`, a millisecond clock that wraps at 2^32
  // (GetTickCount). True when it is to be written: the first of its kind, or one at least
  // kEventFloodInterval after the last one written (measured across the wrap); `*held_back`
  // then receives how many of the kind were held back since that one, and the count starts
  // again. False when it is held back; it is counted (up to 4,294,967,295). A kind of
  // kEventKindCapacity or more is always held back. Safe to call from several threads.
  bool Admit(size_t kind, uint32_t now_ms, uint32_t* held_back);

 private:
  struct Kind {
    bool written;
    uint32_t last_ms;
    uint32_t held;
  };
  platform::CriticalSection lock_;
  Kind kinds_[kEventKindCapacity] = {};
};

}  // namespace hvn

#endif  // HVN_LOGON_EVENT_FLOOD_GATE_H_
