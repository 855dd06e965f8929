#include <climits>

#include "platform/ansi_text.h"
#include "platform/heap.h"
#include "platform/unique_resource.h"
#include "platform/win.h"
#include "query/query_hvs.h"
#include "query/reply.h"
#include "query/request.h"

namespace hvn {
namespace {

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

struct SocketTraits {
  using Handle = SOCKET;
  static Handle Invalid() { return INVALID_SOCKET; }
  static void Close(Handle socket) { ::closesocket(socket); }
};
using UniqueSocket = platform::UniqueResource<SocketTraits>;

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
  if (!socket.IsValid()) {
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
    // What sendto itself reports for a broadcast.
    ComposeDiagnostic(QueryFailure::kSend, host, WSAEACCES, diagnostic);
    return;
  }

  size_t length = request == nullptr ? 0 : platform::BoundedLength(request, kMaxRequestCharacters);
  // The request's wire copy, with every BEL turned into NUL.
  platform::UniqueHeapBlock wire =
      platform::UniqueHeapBlock::Allocate((length + 1) * sizeof(char16_t));
  if (!wire.IsValid()) {
    ComposeDiagnostic(QueryFailure::kAllocation, host, 0, diagnostic);
    return;
  }
  ToWireRequest(request, length, wire.As<char16_t>());
  if (::sendto(socket.Get(), wire.As<const char>(), static_cast<int>(length * sizeof(char16_t)), 0,
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
