// Runs a piece of work so that no exception of any kind escapes it: C++ exceptions and the
// system's structured exceptions (access violation, divide by zero, RaiseException, ...).
// Winlogon stops the machine when an exception reaches it, so every export that does work of
// its own runs its body through RunGuarded; so do the 9x client's hook and window procedure,
// which run inside other programs.
#ifndef HVN_PLATFORM_EXCEPTION_GUARD_H_
#define HVN_PLATFORM_EXCEPTION_GUARD_H_

#include <cstdint>

namespace hvn {

// The code RunGuarded reports for a C++ exception (the code the Microsoft compiler raises for
// one, so a C++ exception looks the same whichever compiler built the code that threw it).
constexpr uint32_t kCppExceptionCode = 0xE06D7363;

// Calls body(context) on this thread and returns 0 when it returned normally. When an
// exception is raised inside it, the body is abandoned at that point and RunGuarded returns
// the exception code (kCppExceptionCode for a C++ exception). A structured exception skips
// the destructors of the body's locals, so a body keeps its results in `context` and owns no
// resources of its own that must be released. After any exception the stack the body used is
// overwritten with zeros, so no copy of what it held (a password) outlives it. Guards nest;
// each thread has its own.
uint32_t RunGuarded(void (*body)(void* context), void* context);

// Convenience form for a callable: RunGuarded([&] { ... }).
template <typename Body>
uint32_t RunGuarded(Body& body) {
  return RunGuarded([](void* context) { (*static_cast<Body*>(context))(); }, &body);
}
template <typename Body>
uint32_t RunGuarded(Body&& body) {
  return RunGuarded(body);
}

}  // namespace hvn

#endif  // HVN_PLATFORM_EXCEPTION_GUARD_H_
