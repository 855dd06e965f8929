// A thread for tests, in both builds: std::thread natively, CreateThread in the Windows build
// (the mingw win32 thread model has no std::thread).
#ifndef HVN_TESTS_CONFIG_TEST_THREAD_H_
#define HVN_TESTS_CONFIG_TEST_THREAD_H_

#include <functional>
#include <utility>

#ifdef _WIN32
#include "platform/win.h"
#else
#include <thread>
#endif

namespace hvn::test {

class TestThread {
 public:
  explicit TestThread(std::function<void()> body) : body_(std::move(body)) {
#ifdef _WIN32
    handle_ = ::CreateThread(nullptr, 0, &TestThread::Run, this, 0, nullptr);
#else
    thread_ = std::thread(body_);
#endif
  }
  ~TestThread() {
    Join();
  }
  TestThread(const TestThread&) = delete;
  TestThread& operator=(const TestThread&) = delete;

  void Join() {
#ifdef _WIN32
    if (handle_ != nullptr) {
      ::WaitForSingleObject(handle_, INFINITE);
      ::CloseHandle(handle_);
      handle_ = nullptr;
    }
#else
    if (thread_.joinable()) thread_.join();
#endif
  }

 private:
  std::function<void()> body_;
#ifdef _WIN32
  static DWORD WINAPI Run(void* self) {
    static_cast<TestThread*>(self)->body_();
    return 0;
  }
  HANDLE handle_ = nullptr;
#else
  std::thread thread_;
#endif
};

}  // namespace hvn::test

#endif  // HVN_TESTS_CONFIG_TEST_THREAD_H_
