// The flood control of the client's events, on a scripted clock. Runs in both builds.
#include "logon/event_flood_gate.h"

#include <gtest/gtest.h>

#include <vector>

namespace hvn {
namespace {

// One event offered to the gate: its kind, the clock, and what the gate decides.
struct Offer {
  size_t kind;
  uint32_t now_ms;
  bool written;
  uint32_t held_back;  // reported with a written event
};

TEST(EventFloodGate, WritesOneEventOfAKindAMinuteAndSaysHowManyItHeldBack) {
  struct Case {
    const char* name;
    std::vector<Offer> offers;
  };
  const Case cases[] = {
      {"FirstOfEachKind", {{0, 5, true, 0}, {1, 6, true, 0}, {0, 7, false, 0}, {1, 8, false, 0}}},
      {"AMinuteAfterTheLastWritten",
       {{2, 1000, true, 0},
        {2, 2000, false, 0},
        {2, 60999, false, 0},
        {2, 61000, true, 2},
        {2, 61001, false, 0},
        {2, 121000, true, 1}}},
      {"AcrossTheClocksWrap",
       {{3, 0xFFFFF000u, true, 0}, {3, 1000, false, 0}, {3, 55904, true, 1}}},
      {"UnknownKind", {{kEventKindCapacity, 0, false, 0}, {kEventKindCapacity, 90000, false, 0}}},
  };
  for (const Case& c : cases) {
    EventFloodGate gate;
    for (size_t i = 0; i < c.offers.size(); ++i) {
      const Offer& offer = c.offers[i];
      uint32_t held_back = 99;
      EXPECT_EQ(gate.Admit(offer.kind, offer.now_ms, &held_back), offer.written)
          << c.name << " offer " << i;
      EXPECT_EQ(held_back, offer.held_back) << c.name << " offer " << i;
    }
  }
}

}  // namespace
}  // namespace hvn
