// A short mutual exclusion for the few places where two threads meet (the server list of the
// client settings). Windows: a CRITICAL_SECTION, which every Windows version has and which
// the mingw win32 thread model supports (it has no std::mutex). Portable build: std::mutex.
// Never hold it across a call that can block.
#ifndef HVN_PLATFORM_CRITICAL_SECTION_H_
#define HVN_PLATFORM_CRITICAL_SECTION_H_

namespace hvn::platform {

class CriticalSection {
 public:
  CriticalSection();
  ~CriticalSection();
  CriticalSection(const CriticalSection&) = delete;
  CriticalSection& operator=(const CriticalSection&) = delete;

  void Enter();
  void Leave();

 private:
  // Room for the platform's lock object, built in place by the platform half.
  alignas(16) unsigned char storage_[64];
};

// Holds a CriticalSection for the lifetime of the scope.
class ScopedCriticalSection {
 public:
  explicit ScopedCriticalSection(CriticalSection& section) : section_(section) { section_.Enter(); }
  ~ScopedCriticalSection() { section_.Leave(); }
  ScopedCriticalSection(const ScopedCriticalSection&) = delete;
  ScopedCriticalSection& operator=(const ScopedCriticalSection&) = delete;

 private:
  CriticalSection& section_;
};

}  // namespace hvn::platform

#endif  // HVN_PLATFORM_CRITICAL_SECTION_H_
