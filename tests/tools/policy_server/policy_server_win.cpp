#include <cstdio>

#include "policy_server.h"

namespace hvn::test {
namespace {

constexpr uint32_t kPollMs = 20;  // how often the server thread looks at its stop flag
constexpr int kMaxDatagram = 65536;

class Lock {
 public:
  explicit Lock(CRITICAL_SECTION& section) : section_(section) { EnterCriticalSection(&section_); }
  ~Lock() { LeaveCriticalSection(&section_); }
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;

 private:
  CRITICAL_SECTION& section_;
};

bool ReadWholeFile(const std::string& path, std::string& contents) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  contents.clear();
  char chunk[4096];
  size_t read;
  while ((read = std::fread(chunk, 1, sizeof(chunk), file)) > 0) contents.append(chunk, read);
  std::fclose(file);
  return true;
}

bool IsLoopback(const sockaddr_in& address) {
  return (ntohl(address.sin_addr.s_addr) >> 24) == 127;
}

}  // namespace

TestPolicyServer::TestPolicyServer() {
  InitializeCriticalSection(&lock_);
  request_event_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
}

TestPolicyServer::~TestPolicyServer() {
  Stop();
  if (request_event_ != nullptr) CloseHandle(request_event_);
  DeleteCriticalSection(&lock_);
}

bool TestPolicyServer::SetScript(const std::string& utf8_script, std::string* error) {
  PolicyScript parsed;
  std::string message;
  if (!ParsePolicyScript(utf8_script, parsed, message)) {
    if (error != nullptr) *error = message;
    return false;
  }
  Lock lock(lock_);
  script_ = parsed;
  script_path_.clear();
  return true;
}

void TestPolicyServer::SetScriptFile(const std::string& path) {
  Lock lock(lock_);
  script_path_ = path;
}

void TestPolicyServer::SetLogFile(const std::string& path) {
  Lock lock(lock_);
  log_path_ = path;
}

uint32_t TestPolicyServer::Start(uint16_t port, const char* address_text) {
  if (thread_ != nullptr) return ERROR_ALREADY_EXISTS;
  WSADATA data;
  if (int rc = WSAStartup(MAKEWORD(1, 1), &data); rc != 0) return static_cast<uint32_t>(rc);
  winsock_started_ = true;
  sockaddr_in address;
  ZeroMemory(&address, sizeof(address));
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = inet_addr(address_text);
  if (!IsLoopback(address)) {
    Stop();
    return ERROR_INVALID_PARAMETER;
  }
  socket_ = socket(AF_INET, SOCK_DGRAM, 0);
  if (socket_ == INVALID_SOCKET) {
    uint32_t error = static_cast<uint32_t>(WSAGetLastError());
    Stop();
    return error;
  }
  // Lets a second server take the same port on another loopback address (127.0.0.2), so
  // one server list with one port can name two servers.
  BOOL reuse = TRUE;
  setsockopt(socket_, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse),
             sizeof(reuse));
  int length = sizeof(address);
  if (bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == SOCKET_ERROR ||
      getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length) == SOCKET_ERROR) {
    uint32_t error = static_cast<uint32_t>(WSAGetLastError());
    Stop();
    return error;
  }
  port_ = ntohs(address.sin_port);
  stop_ = false;
  thread_ = CreateThread(nullptr, 0, &ThreadMain, this, 0, nullptr);
  if (thread_ == nullptr) {
    uint32_t error = GetLastError();
    Stop();
    return error;
  }
  return 0;
}

void TestPolicyServer::Stop() {
  stop_ = true;
  if (thread_ != nullptr) {
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    thread_ = nullptr;
  }
  if (socket_ != INVALID_SOCKET) {
    closesocket(socket_);
    socket_ = INVALID_SOCKET;
  }
  if (winsock_started_) {
    WSACleanup();
    winsock_started_ = false;
  }
}

std::vector<std::string> TestPolicyServer::Requests() const {
  Lock lock(lock_);
  return requests_;
}

size_t TestPolicyServer::RequestCount() const {
  Lock lock(lock_);
  return requests_.size();
}

bool TestPolicyServer::WaitForRequests(size_t count, uint32_t timeout_ms) const {
  DWORD start = GetTickCount();
  while (RequestCount() < count) {
    DWORD elapsed = GetTickCount() - start;
    if (elapsed >= timeout_ms) return false;
    WaitForSingleObject(request_event_, timeout_ms - elapsed);
  }
  return true;
}

void TestPolicyServer::ClearRequests() {
  Lock lock(lock_);
  requests_.clear();
}

DWORD WINAPI TestPolicyServer::ThreadMain(void* self) {
  static_cast<TestPolicyServer*>(self)->Serve();
  return 0;
}

void TestPolicyServer::Serve() {
  std::string buffer(kMaxDatagram, '\0');
  while (!stop_) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(socket_, &readable);
    timeval poll = {0, static_cast<long>(kPollMs * 1000)};
    int ready = select(0, &readable, nullptr, nullptr, &poll);
    if (ready == SOCKET_ERROR) break;
    if (ready == 0) continue;
    sockaddr_in sender;
    int sender_length = sizeof(sender);
    int received = recvfrom(socket_, &buffer[0], kMaxDatagram, 0,
                            reinterpret_cast<sockaddr*>(&sender), &sender_length);
    if (received == SOCKET_ERROR) continue;
    Answer(buffer.substr(0, static_cast<size_t>(received)), sender);
  }
}

PolicyScript TestPolicyServer::CurrentScript() {
  std::string path;
  {
    Lock lock(lock_);
    if (script_path_.empty()) return script_;
    path = script_path_;
  }
  PolicyScript script;
  std::string contents, error;
  if (!ReadWholeFile(path, contents) || !ParsePolicyScript(contents, script, error)) {
    std::fprintf(stderr, "hvn_policy_server: %s: %s\n", path.c_str(),
                 error.empty() ? "cannot read" : error.c_str());
    return PolicyScript();
  }
  return script;
}

void TestPolicyServer::Answer(const std::string& wire, const sockaddr_in& sender) {
  std::string log_path;
  {
    Lock lock(lock_);
    requests_.push_back(wire);
    log_path = log_path_;
  }
  if (!log_path.empty()) {
    if (FILE* log = std::fopen(log_path.c_str(), "ab")) {
      std::string line = LogLine(wire) + "\r\n";
      std::fwrite(line.data(), 1, line.size(), log);
      std::fclose(log);
    }
  }
  SetEvent(request_event_);

  ScriptAnswer answer = AnswerRequest(CurrentScript(), wire);
  // Replies go back to the sender only, and only on this machine.
  if (!answer.send || !IsLoopback(sender)) return;
  if (answer.delay_ms > 0) Sleep(answer.delay_ms);
  SOCKET from = socket_;
  SOCKET other = INVALID_SOCKET;
  if (answer.other_port || !answer.other_address.empty() || answer.decoy) {
    other = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in local;
    ZeroMemory(&local, sizeof(local));
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = answer.other_address.empty() ? htonl(INADDR_LOOPBACK)
                                                         : inet_addr(answer.other_address.c_str());
    if (other == INVALID_SOCKET || !IsLoopback(local) ||
        bind(other, reinterpret_cast<sockaddr*>(&local), sizeof(local)) == SOCKET_ERROR) {
      if (other != INVALID_SOCKET) closesocket(other);
      return;
    }
    if (answer.decoy) {
      const char decoy[] = {'d', 0, 'e', 0, 'c', 0, 'o', 0, 'y', 0};
      sendto(other, decoy, sizeof(decoy), 0, reinterpret_cast<const sockaddr*>(&sender),
             sizeof(sender));
    } else {
      from = other;
    }
  }
  sendto(from, answer.datagram.data(), static_cast<int>(answer.datagram.size()), 0,
         reinterpret_cast<const sockaddr*>(&sender), sizeof(sender));
  if (other != INVALID_SOCKET) closesocket(other);
}

}  // namespace hvn::test
