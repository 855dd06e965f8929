#include <climits>

#include "platform/ansi_text.h"
#include "platform/win.h"
#include "query/query_hvs.h"
#include "query/reply.h"
#include "query/request.h"

namespace hvn {
namespace {

constexpr int kAccessDenied = 10013;  // WSAEACCES: what sendto reports for a broadcast

// Starts the socket library for one transaction and ends it when the transaction ends.
class WinsockSession {
 public:
  WinsockSession() {
    WSADATA data;
    error_ = ::WSAStartup(MAKEWORD(1, 1), &data);
  }
  ~WinsockSession() {
    if (error_ == 0) ::WSACleanup();
  }
  WinsockSession(const WinsockSession&) = delete;
  WinsockSession& operator=(const WinsockSession&) = delete;
  int error() const { return error_; }

 private:
  int error_;
};

class UniqueSocket {
 public:
  explicit UniqueSocket(SOCKET socket) : socket_(socket) {}
  ~UniqueSocket() {
    if (socket_ != INVALID_SOCKET) ::closesocket(socket_);
  }
  UniqueSocket(const UniqueSocket&) = delete;
  UniqueSocket& operator=(const UniqueSocket&) = delete;
  SOCKET Get() const { return socket_; }
  bool Valid() const { return socket_ != INVALID_SOCKET; }

 private:
  SOCKET socket_;
};

// A zero-filled block of the process heap, freed when it goes out of scope.
class UniqueHeapBlock {
 public:
  explicit UniqueHeapBlock(size_t bytes)
      : block_(::HeapAlloc(::GetProcessHeap(), HEAP_ZERO_MEMORY, bytes)) {}
  ~UniqueHeapBlock() {
    if (block_ != nullptr) ::HeapFree(::GetProcessHeap(), 0, block_);
  }
  UniqueHeapBlock(const UniqueHeapBlock&) = delete;
  UniqueHeapBlock& operator=(const UniqueHeapBlock&) = delete;
  void* Get() const { return block_; }

 private:
  void* block_;
};

}  // namespace

uint32_t ResolveHostAddress(const char* host, uint32_t& address) {
  // An empty host would make gethostbyname name this computer: it is no server.
  if (host == nullptr || host[0] == '\0') return WSAHOST_NOT_FOUND;
  unsigned long parsed = ::inet_addr(host);
  if (parsed != INADDR_NONE) {
    address = static_cast<uint32_t>(parsed);
    return 0;
  }
  const hostent* entry = ::gethostbyname(host);
  if (entry == nullptr || entry->h_addr_list == nullptr || entry->h_addr_list[0] == nullptr ||
      entry->h_length != 4) {
    int error = ::WSAGetLastError();
    return error != 0 ? static_cast<uint32_t>(error) : WSAHOST_NOT_FOUND;
  }
  CopyMemory(&address, entry->h_addr_list[0], sizeof(address));
  return 0;
}

bool IsSendableAddress(uint32_t address) {
  return address != INADDR_BROADCAST;
}

void QueryHVSDiagnosed(const char* host, uint32_t port, const char16_t* request,
                       uint32_t timeout_ms, char16_t* reply, size_t reply_bytes,
                       char (&diagnostic)[kDiagnosticSize]) {
  diagnostic[0] = '\0';
  if (reply == nullptr) reply_bytes = 0;
  ClearReply(reply, reply_bytes);

  ::WSASetLastError(0);
  WinsockSession session;
  if (session.error() != 0) {
    ComposeDiagnostic(QueryFailure::kStartup, host, session.error(), diagnostic);
    return;
  }
  UniqueSocket socket(::socket(AF_INET, SOCK_DGRAM, 0));
  if (!socket.Valid()) {
    ComposeDiagnostic(QueryFailure::kSocket, host, ::WSAGetLastError(), diagnostic);
    return;
  }

  sockaddr_in destination;
  ZeroMemory(&destination, sizeof(destination));
  destination.sin_family = AF_INET;
  destination.sin_port = ::htons(static_cast<u_short>(port & 0xFFFF));
  uint32_t address = 0;
  if (uint32_t rc = ResolveHostAddress(host, address); rc != 0) {
    ComposeDiagnostic(QueryFailure::kResolve, host, static_cast<int>(rc), diagnostic);
    return;
  }
  destination.sin_addr.s_addr = address;
  if (!IsSendableAddress(address)) {
    ComposeDiagnostic(QueryFailure::kSend, host, kAccessDenied, diagnostic);
    return;
  }

  size_t length = request == nullptr ? 0 : platform::BoundedLength(request, kMaxRequestCharacters);
  UniqueHeapBlock wire((length + 1) * sizeof(char16_t));  // lpwszTempBufferOut
  if (wire.Get() == nullptr) {
    ComposeDiagnostic(QueryFailure::kAllocation, host, 0, diagnostic);
    return;
  }
  ToWireRequest(request, length, static_cast<char16_t*>(wire.Get()));
  if (::sendto(socket.Get(), static_cast<const char*>(wire.Get()),
               static_cast<int>(length * sizeof(char16_t)), 0,
               reinterpret_cast<const sockaddr*>(&destination),
               sizeof(destination)) == SOCKET_ERROR) {
    ComposeDiagnostic(QueryFailure::kSend, host, ::WSAGetLastError(), diagnostic);
    return;
  }

  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(socket.Get(), &readable);
  timeval limit;
  limit.tv_sec = static_cast<long>(timeout_ms / 1000);
  limit.tv_usec = static_cast<long>(timeout_ms % 1000) * 1000;
  int ready = ::select(0, &readable, nullptr, nullptr, &limit);
  if (ready == SOCKET_ERROR) {
    ComposeDiagnostic(QueryFailure::kSelect, host, ::WSAGetLastError(), diagnostic);
    return;
  }
  if (ready == 0 || !FD_ISSET(socket.Get(), &readable)) return;  // time-out: no reply

  size_t receive_limit = ReceiveLimit(reply_bytes);
  if (receive_limit > INT_MAX) receive_limit = INT_MAX & ~1u;
  int received = ::recvfrom(socket.Get(), reinterpret_cast<char*>(reply),
                            static_cast<int>(receive_limit), 0, nullptr, nullptr);
  if (received == SOCKET_ERROR) {
    int error = ::WSAGetLastError();
    if (error == WSAEMSGSIZE) {
      // A longer datagram still fills the buffer: it is the reply, cut to what fits.
      ConvertReceivedReply(reply, reply_bytes, receive_limit);
      return;
    }
    ClearReply(reply, reply_bytes);
    ComposeDiagnostic(error == WSAECONNRESET ? QueryFailure::kUnreachable : QueryFailure::kReceive,
                      host, error, diagnostic);
    return;
  }
  ConvertReceivedReply(reply, reply_bytes, static_cast<size_t>(received));
}

void QueryHVS(const char* host, uint32_t port, const char16_t* request, uint32_t timeout_ms,
              char16_t* reply, size_t reply_bytes) {
  char diagnostic[kDiagnosticSize];
  QueryHVSDiagnosed(host, port, request, timeout_ms, reply, reply_bytes, diagnostic);
  if (diagnostic[0] != '\0') ::OutputDebugStringA(diagnostic);
}

}  // namespace hvn
