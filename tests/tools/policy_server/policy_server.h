// A scriptable policy server for tests, on 127.0.0.1 only: it answers each request as its
// script says (policy_script.h) and records every request datagram it received, so a test can
// assert exactly what went over the wire. Tests run it on a thread of their own process;
// hvn_policy_server.exe runs the same code as a separate program. Windows build only.
#ifndef HVN_TESTS_TOOLS_POLICY_SERVER_POLICY_SERVER_H_
#define HVN_TESTS_TOOLS_POLICY_SERVER_POLICY_SERVER_H_

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/win.h"
#include "policy_script.h"

namespace hvn::test {

class TestPolicyServer {
 public:
  TestPolicyServer();
  // Stops the server if it still runs.
  ~TestPolicyServer();
  TestPolicyServer(const TestPolicyServer&) = delete;
  TestPolicyServer& operator=(const TestPolicyServer&) = delete;

  // Sets the script that answers the requests from now on. Returns false (keeping the old
  // script) with `error` set when it does not parse.
  bool SetScript(const std::string& utf8_script, std::string* error = nullptr);
  // Makes the server read its script from `path` before every request (a file that does not
  // exist or parse answers nothing), so another process can change the answers.
  void SetScriptFile(const std::string& path);
  // Appends one LogLine per request to `path` (UTF-8, CR LF), written before the reply.
  void SetLogFile(const std::string& path);

  // Binds UDP `address`:`port` (0: a free port) and starts answering on its own thread.
  // `address` must be a loopback address (127.x.y.z): the server never listens elsewhere.
  // Returns 0, 87 for another address, or the socket error.
  uint32_t Start(uint16_t port = 0, const char* address = "127.0.0.1");
  // Stops answering and waits for the thread to end; the recorded requests stay readable.
  void Stop();
  // The bound port (0 before Start).
  uint16_t port() const { return port_; }

  // Every request datagram received so far, as its bytes, in arrival order.
  std::vector<std::string> Requests() const;
  size_t RequestCount() const;
  // Waits until at least `count` requests have arrived, at most `timeout_ms`. True when they
  // have.
  bool WaitForRequests(size_t count, uint32_t timeout_ms) const;
  // Forgets the recorded requests.
  void ClearRequests();

 private:
  static DWORD WINAPI ThreadMain(void* self);
  void Serve();
  void Answer(const std::string& wire, const sockaddr_in& sender);
  PolicyScript CurrentScript();

  mutable CRITICAL_SECTION lock_;
  PolicyScript script_;
  std::string script_path_;
  std::string log_path_;
  std::vector<std::string> requests_;
  HANDLE request_event_ = nullptr;  // set on every recorded request
  SOCKET socket_ = INVALID_SOCKET;
  HANDLE thread_ = nullptr;
  std::atomic<bool> stop_{false};
  uint16_t port_ = 0;
  bool winsock_started_ = false;
};

}  // namespace hvn::test

#endif  // HVN_TESTS_TOOLS_POLICY_SERVER_POLICY_SERVER_H_
