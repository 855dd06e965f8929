#include "policy_server_process.h"
#include "support/process_files.h"

namespace hvn::test {
namespace {

constexpr DWORD kBoundMs = 15000;

}  // namespace

std::string PolicyServerProgramPath() {
  char path[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string self(path, length);
  return self.substr(0, self.find_last_of("\\/") + 1) + "hvn_policy_server.exe";
}

PolicyServerProcess::~PolicyServerProcess() {
  Stop();
}

uint32_t PolicyServerProcess::Start(const std::string& folder, const std::string& replies,
                                    uint16_t port) {
  if (process_ != nullptr) return ERROR_ALREADY_EXISTS;
  folder_ = folder;
  const std::string port_file = folder_ + "\\port.txt";
  DeleteFileA(port_file.c_str());
  DeleteFileA((folder_ + "\\stop").c_str());
  DeleteFileA((folder_ + "\\requests.log").c_str());
  if (!WriteFileText(folder_ + "\\replies.txt", replies)) return ERROR_WRITE_FAULT;

  std::string command = "\"" + PolicyServerProgramPath() + "\" --port " + std::to_string(port) +
                        " --port-file \"" + port_file + "\" --replies \"" + folder_ +
                        "\\replies.txt\" --log \"" + folder_ + "\\requests.log\" --stop-file \"" +
                        folder_ + "\\stop\" --lifetime 600";
  PROCESS_INFORMATION started;
  if (!LaunchProcess(command, nullptr, nullptr, started)) return GetLastError();
  CloseHandle(started.hThread);
  process_ = started.hProcess;

  if (WaitForPortFile(process_, port_file, kBoundMs, port_)) return 0;
  Stop();
  return ERROR_TIMEOUT;
}

void PolicyServerProcess::SetReplies(const std::string& replies) {
  WriteFileText(folder_ + "\\replies.txt", replies);
}

bool PolicyServerProcess::Stop() {
  return StopByFile(process_, folder_ + "\\stop", kBoundMs);
}

std::vector<std::string> PolicyServerProcess::LoggedRequests() const {
  std::vector<std::string> lines;
  std::string log = ReadFileText(folder_ + "\\requests.log");
  size_t start = 0;
  for (size_t end; (end = log.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(log.substr(start, end - start));
  }
  return lines;
}

bool PolicyServerProcess::WaitForLoggedRequests(size_t count, uint32_t timeout_ms) const {
  DWORD start = GetTickCount();
  while (LoggedRequests().size() < count) {
    if (GetTickCount() - start >= timeout_ms) return false;
    Sleep(10);
  }
  return true;
}

}  // namespace hvn::test
