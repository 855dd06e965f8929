#include "logon/event_flood_gate.h"

namespace hvn {

bool EventFloodGate::Admit(size_t kind, uint32_t now_ms, uint32_t* held_back) {
  if (held_back != nullptr) *held_back = 0;
  if (kind >= kEventKindCapacity) return false;
  platform::ScopedCriticalSection hold(lock_);
  Kind& entry = kinds_[kind];
  // Unsigned difference: right across the wrap of the clock.
  if (entry.written && static_cast<uint32_t>(now_ms - entry.last_ms) < kEventFloodInterval) {
    if (entry.held != UINT32_MAX) ++entry.held;
    return false;
  }
  if (held_back != nullptr) *held_back = entry.held;
  entry = Kind{true, now_ms, 0};
  return true;
}

}  // namespace hvn
