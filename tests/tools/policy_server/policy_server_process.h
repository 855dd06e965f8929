// hvn_policy_server.exe run from a test as a separate process: started with a reply text in a
// folder of the test's own, asked for its port, its request log read back, stopped through its
// stop file. Windows build only.
#ifndef HVN_TESTS_TOOLS_POLICY_SERVER_POLICY_SERVER_PROCESS_H_
#define HVN_TESTS_TOOLS_POLICY_SERVER_POLICY_SERVER_PROCESS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win.h"

namespace hvn::test {

class PolicyServerProcess {
 public:
  PolicyServerProcess() = default;
  // Stops the server if it still runs.
  ~PolicyServerProcess();
  PolicyServerProcess(const PolicyServerProcess&) = delete;
  PolicyServerProcess& operator=(const PolicyServerProcess&) = delete;

  // Writes `replies` (a reply file, see policy_script.h) into `folder` and starts the program
  // found beside the running executable, on a free port of 127.0.0.1 (or `port`), and waits
  // (at most 15 s) until it listens. Returns 0, or the error of the start or 1460 (time-out).
  uint32_t Start(const std::string& folder, const std::string& replies, uint16_t port = 0);
  // Replaces the reply file; the server reads it again for its next request.
  void SetReplies(const std::string& replies);
  // Asks the server to stop and waits for it (at most 15 s, then ends it). Returns true when
  // it stopped by itself.
  bool Stop();

  uint16_t port() const { return port_; }
  // The request log, one line per request received so far (see LogLine in policy_script.h).
  std::vector<std::string> LoggedRequests() const;
  // Waits until at least `count` requests are logged, at most `timeout_ms`.
  bool WaitForLoggedRequests(size_t count, uint32_t timeout_ms) const;

 private:
  std::string folder_;
  HANDLE process_ = nullptr;
  uint16_t port_ = 0;
};

// The path of hvn_policy_server.exe beside the running executable.
std::string PolicyServerProgramPath();

}  // namespace hvn::test

#endif  // HVN_TESTS_TOOLS_POLICY_SERVER_POLICY_SERVER_PROCESS_H_
