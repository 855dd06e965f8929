// hvnpolicy.exe run from a Windows test or the demonstration: `serve` as a background process
// with its port file, log and stop file in a folder of the caller's own, and single commands
// with a standard input and their exit status and output.
#ifndef HVN_TESTS_HVNPOLICY_HVNPOLICY_PROCESS_WIN_H_
#define HVN_TESTS_HVNPOLICY_HVNPOLICY_PROCESS_WIN_H_

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win.h"

namespace hvn::test {

// The path of hvnpolicy.exe as the build placed it, as a Windows path.
std::string HvnpolicyProgramPath();

// Runs `hvnpolicy.exe <arguments>` with `input` as its standard input and waits (at most
// 60 s). Returns its exit status (-1 when it could not run) and its output in `output`.
int RunHvnpolicy(const std::string& arguments, const std::string& input, std::string& output);

class HvnpolicyServer {
 public:
  HvnpolicyServer() = default;
  ~HvnpolicyServer();  // stops the server if it still runs
  HvnpolicyServer(const HvnpolicyServer&) = delete;
  HvnpolicyServer& operator=(const HvnpolicyServer&) = delete;

  // Starts `hvnpolicy.exe serve --key KEY` on a free port of 127.0.0.1, with its files in
  // `folder`, and waits (at most 15 s) until it listens. Returns 0, or the start's error or
  // 1460 (time-out).
  uint32_t Start(const std::string& folder, const std::string& key);
  // Asks the server to stop and waits for it (at most 15 s, then ends it).
  bool Stop();

  uint16_t port() const { return port_; }
  // The request log, one line per request.
  std::vector<std::string> LoggedRequests() const;

 private:
  std::string folder_;
  HANDLE process_ = nullptr;
  uint16_t port_ = 0;
};

}  // namespace hvn::test

#endif  // HVN_TESTS_HVNPOLICY_HVNPOLICY_PROCESS_WIN_H_
