#include "hvnpolicy_process_win.h"

#include "support/process_files.h"

namespace hvn::test {
namespace {

constexpr DWORD kBoundMs = 15000;

HANDLE InheritableFile(const std::string& path, bool write) {
  SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
  return CreateFileA(path.c_str(), write ? GENERIC_WRITE : GENERIC_READ, FILE_SHARE_READ, &inherit,
                     write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

std::string HvnpolicyProgramPath() {
  std::string path = HVNPOLICY_EXE;
  if (!path.empty() && path[0] == '/') path = "Z:" + path;  // the build's Unix path, for Wine
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

int RunHvnpolicy(const std::string& arguments, const std::string& input, std::string& output) {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string stem = std::string(temp) + "hvnpolicy-run-" + std::to_string(GetTickCount());
  if (!WriteFileText(stem + ".in", input)) return -1;
  HANDLE in = InheritableFile(stem + ".in", false);
  HANDLE out = InheritableFile(stem + ".out", true);
  PROCESS_INFORMATION started;
  int status = -1;
  if (in != INVALID_HANDLE_VALUE && out != INVALID_HANDLE_VALUE &&
      LaunchProcess("\"" + HvnpolicyProgramPath() + "\" " + arguments, in, out, started)) {
    if (WaitForSingleObject(started.hProcess, 60000) == WAIT_OBJECT_0) {
      DWORD code = 0;
      GetExitCodeProcess(started.hProcess, &code);
      status = static_cast<int>(code);
    } else {
      TerminateProcess(started.hProcess, 1);
    }
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
  }
  if (in != INVALID_HANDLE_VALUE) CloseHandle(in);
  if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
  output = ReadFileText(stem + ".out");
  DeleteFileA((stem + ".in").c_str());
  DeleteFileA((stem + ".out").c_str());
  return status;
}

HvnpolicyServer::~HvnpolicyServer() {
  Stop();
}

uint32_t HvnpolicyServer::Start(const std::string& folder, const std::string& key) {
  if (process_ != nullptr) return ERROR_ALREADY_EXISTS;
  folder_ = folder;
  const std::string port_file = folder_ + "\\port.txt";
  DeleteFileA(port_file.c_str());
  DeleteFileA((folder_ + "\\stop").c_str());
  DeleteFileA((folder_ + "\\requests.log").c_str());
  std::string command = "\"" + HvnpolicyProgramPath() + "\" serve --key \"" + key +
                        "\" --bind 127.0.0.1 --port 0 --port-file \"" + port_file + "\" --log \"" +
                        folder_ + "\\requests.log\" --stop-file \"" + folder_ +
                        "\\stop\" --lifetime 600";
  PROCESS_INFORMATION started;
  if (!LaunchProcess(command, nullptr, nullptr, started)) return GetLastError();
  CloseHandle(started.hThread);
  process_ = started.hProcess;
  if (WaitForPortFile(process_, port_file, kBoundMs, port_)) return 0;
  Stop();
  return ERROR_TIMEOUT;
}

bool HvnpolicyServer::Stop() {
  return StopByFile(process_, folder_ + "\\stop", kBoundMs);
}

std::vector<std::string> HvnpolicyServer::LoggedRequests() const {
  std::vector<std::string> lines;
  std::string log = ReadFileText(folder_ + "\\requests.log");
  size_t start = 0;
  for (size_t end; (end = log.find('\n', start)) != std::string::npos; start = end + 1) {
    std::string line = log.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

}  // namespace hvn::test
