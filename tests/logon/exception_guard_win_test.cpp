#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "platform/exception_guard.h"
#include "platform/win.h"

namespace hvn {
namespace {

void* ChainHead() {
  void* head;
  asm volatile("movl %%fs:0, %0" : "=r"(head));
  return head;
}

// Faults raised on purpose, each the way real code would meet it.
// The addresses go through volatile variables so the compiler cannot see the fault coming.
int* volatile g_null_address = nullptr;
volatile uintptr_t g_low_address = 16;
void AccessViolation() {
  *g_null_address = 1;
}
void ReadViolation() {
  volatile int value = *reinterpret_cast<volatile int*>(g_low_address);
  (void)value;
}
void DivideByZero() {
  volatile int zero = 0;
  volatile int value = 7 / zero;
  (void)value;
}
void RaiseCustom() {
  ::RaiseException(0xE0001234, 0, 0, nullptr);
}
void RaiseNonContinuable() {
  ::RaiseException(0xC0000025 + 1, EXCEPTION_NONCONTINUABLE, 0, nullptr);
}
void ThrowCpp() {
  throw std::runtime_error("thrown on purpose");
}
void ThrowInt() {
  throw 42;
}
void Nothing() {}

struct FaultCase {
  const char* name;
  void (*fault)();
  uint32_t expected;
};

const FaultCase kFaults[] = {
    {"write to address 0", AccessViolation, EXCEPTION_ACCESS_VIOLATION},
    {"read from address 16", ReadViolation, EXCEPTION_ACCESS_VIOLATION},
    {"integer divide by zero", DivideByZero, EXCEPTION_INT_DIVIDE_BY_ZERO},
    {"RaiseException", RaiseCustom, 0xE0001234},
    {"non-continuable RaiseException", RaiseNonContinuable, 0xC0000026},
    {"C++ std::runtime_error", ThrowCpp, kCppExceptionCode},
    {"C++ int", ThrowInt, kCppExceptionCode},
    {"no fault", Nothing, 0},
};

// A password the body holds on its stack when it faults.
constexpr char kStackSecret[] = "Tr4vel-Kite-91";

__attribute__((noinline)) void FaultHoldingSecret(void (*fault)()) {
  volatile char copy[512];
  for (size_t i = 0; i < sizeof(copy); ++i) copy[i] = kStackSecret[i % (sizeof(kStackSecret) - 1)];
  fault();
}

// True when this thread's stack below the caller's frame holds the secret.
__attribute__((noinline)) bool StackBelowHoldsSecret() {
  const char* limit;
  const char* top;
  asm volatile("movl %%fs:8, %0" : "=r"(limit));
  asm volatile("movl %%esp, %0" : "=r"(top));
  return std::search(limit, top, kStackSecret, kStackSecret + sizeof(kStackSecret) - 1) != top;
}

// After a fault, nothing the abandoned frames held (a password) stays on the stack.
TEST(RunGuarded, CatchesEveryKindOfFaultAndRestoresTheHandlerChain) {
  for (const FaultCase& fault : kFaults) {
    void* head_before = ChainHead();
    volatile int reached_after_fault = 0;
    uint32_t code = RunGuarded([&] {
      FaultHoldingSecret(fault.fault);
      reached_after_fault = 1;
    });
    bool secret_left = fault.expected != 0 && StackBelowHoldsSecret();
    EXPECT_EQ(code, fault.expected) << fault.name;
    EXPECT_EQ(reached_after_fault, fault.expected == 0 ? 1 : 0) << fault.name;
    EXPECT_EQ(ChainHead(), head_before) << fault.name;
    EXPECT_FALSE(secret_left) << fault.name;
  }
}

// A handler record of the faulting code's own, as a __finally block or a lock's release links
// it: it must get its unwind call before the guard resumes. It lives in the body's frame,
// below the guard's record, where the system's unwind looks for it.
struct UnwindWitness {
  UnwindWitness* next;
  void* handler;
  volatile int* unwind_calls;
};

extern "C" EXCEPTION_DISPOSITION __cdecl WitnessHandler(EXCEPTION_RECORD* record, void* establisher,
                                                        CONTEXT*, void*) {
  if ((record->ExceptionFlags & EXCEPTION_UNWINDING) != 0)
    ++*static_cast<UnwindWitness*>(establisher)->unwind_calls;
  return ExceptionContinueSearch;
}

__attribute__((noinline)) void FaultBelowOwnRecord(void (*fault)(), volatile int* unwind_calls) {
  UnwindWitness witness{static_cast<UnwindWitness*>(ChainHead()),
                        reinterpret_cast<void*>(&WitnessHandler), unwind_calls};
  asm volatile("movl %0, %%fs:0" : : "r"(&witness) : "memory");
  fault();
  asm volatile("movl %0, %%fs:0" : : "r"(witness.next) : "memory");
}

TEST(RunGuarded, UnwindsTheFramesBetweenTheFaultAndTheGuard) {
  for (const FaultCase& fault : kFaults) {
    if (fault.expected == 0 || fault.expected == kCppExceptionCode) continue;
    volatile int unwind_calls = 0;
    void* head_before = ChainHead();
    uint32_t code = RunGuarded([&] { FaultBelowOwnRecord(fault.fault, &unwind_calls); });
    EXPECT_EQ(code, fault.expected) << fault.name;
    EXPECT_EQ(unwind_calls, 1) << fault.name;
    EXPECT_EQ(ChainHead(), head_before) << fault.name;
  }
}

TEST(RunGuarded, KeepsResultsWrittenBeforeTheFault) {
  struct Work {
    int before = 0;
    int after = 0;
  } work;
  uint32_t code = RunGuarded([&] {
    work.before = 5;
    AccessViolation();
    work.after = 6;
  });
  EXPECT_EQ(code, EXCEPTION_ACCESS_VIOLATION);
  EXPECT_EQ(work.before, 5);
  EXPECT_EQ(work.after, 0);
}

TEST(RunGuarded, InnerGuardCatchesFirstAndOuterBodyGoesOn) {
  uint32_t inner = 1;
  int outer_went_on = 0;
  uint32_t outer = RunGuarded([&] {
    inner = RunGuarded([] { DivideByZero(); });
    outer_went_on = 1;
    RaiseCustom();
  });
  EXPECT_EQ(inner, static_cast<uint32_t>(EXCEPTION_INT_DIVIDE_BY_ZERO));
  EXPECT_EQ(outer_went_on, 1);
  EXPECT_EQ(outer, 0xE0001234u);
}

TEST(RunGuarded, SurvivesManyFaultsInARow) {
  // A frame that were not unlinked, or stack not given back, would fail long before this ends.
  void* head_before = ChainHead();
  for (int i = 0; i < 2000; ++i) {
    uint32_t code = RunGuarded([i] {
      if (i % 2 == 0)
        AccessViolation();
      else
        ThrowCpp();
    });
    ASSERT_EQ(code,
              i % 2 == 0 ? static_cast<uint32_t>(EXCEPTION_ACCESS_VIOLATION) : kCppExceptionCode)
        << "iteration " << i;
  }
  EXPECT_EQ(ChainHead(), head_before);
}

DWORD WINAPI FaultOnThread(void* parameter) {
  *static_cast<uint32_t*>(parameter) = RunGuarded([] { AccessViolation(); });
  return 0;
}

TEST(RunGuarded, WorksOnAnotherThread) {
  uint32_t code = 0;
  DWORD id = 0;
  HANDLE thread = ::CreateThread(nullptr, 0, FaultOnThread, &code, 0, &id);
  ASSERT_NE(thread, nullptr);
  ASSERT_EQ(::WaitForSingleObject(thread, 60000), WAIT_OBJECT_0);
  ::CloseHandle(thread);
  EXPECT_EQ(code, static_cast<uint32_t>(EXCEPTION_ACCESS_VIOLATION));
}

TEST(RunGuarded, LeavesExceptionsThatTheBodyHandlesItselfAlone) {
  // A C++ exception caught inside the body never reaches the guard.
  int caught = 0;
  uint32_t code = RunGuarded([&] {
    try {
      ThrowCpp();
    } catch (const std::exception&) {
      caught = 1;
    }
  });
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(caught, 1);
}

}  // namespace
}  // namespace hvn
