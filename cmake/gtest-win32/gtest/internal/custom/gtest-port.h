// GoogleTest customisation for the mingw-w64 win32 thread model, which has no std::mutex.
// googletest's Windows port brings its own Mutex and thread-local support; the one class it
// builds on std::mutex and std::condition_variable is Notification, supplied here with an
// atomic flag. googletest uses it only to start threads of its own self-tests.
#ifndef HVN_GTEST_CUSTOM_PORT_H_
#define HVN_GTEST_CUSTOM_PORT_H_

#include <atomic>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing {
namespace internal {

class Notification {
 public:
  Notification() : notified_(false) {}
  Notification(const Notification&) = delete;
  Notification& operator=(const Notification&) = delete;

  void Notify() { notified_.store(true); }
  void WaitForNotification() {
    while (!notified_.load()) {
    }
  }

 private:
  std::atomic<bool> notified_;
};

}  // namespace internal
}  // namespace testing

#endif  // HVN_GTEST_CUSTOM_PORT_H_
