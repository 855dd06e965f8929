#include <climits>

#include "platform/ansi_text.h"
#include "platform/heap.h"
#include "platform/unique_resource.h"
#include "platform/win.h"
#include "query/query_hvs.h"
#include "query/reply.h"
#include "query/reply_wait.h"
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

namespace {

// True when a datagram from `sender` comes from the address and port the request went to.
bool IsSameEndpoint(const sockaddr_in& sender, const sockaddr_in& destination) {
  return sender.sin_family == AF_INET && sender.sin_addr.s_addr == destination.sin_addr.s_addr &&
         sender.sin_port == destination.sin_port;
}

// The transaction's socket as the reply wait uses it, with the socket error of the last call
// that failed.
struct UdpReplySocket {
  SOCKET socket;
  const sockaddr_in& destination;
  bool strict_sender;
  char16_t* reply;
  size_t reply_bytes;
  int error;
};

int WaitReadable(void* context, uint32_t timeout_ms) {
  UdpReplySocket& udp = *static_cast<UdpReplySocket*>(context);
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(udp.socket, &readable);
  // The limit as its whole seconds and the remaining milliseconds.
  timeval limit;
  limit.tv_sec = static_cast<long>(timeout_ms / 1000);
  limit.tv_usec = static_cast<long>(timeout_ms % 1000) * 1000;
  int ready = ::select(0, &readable, nullptr, nullptr, &limit);
  if (ready == SOCKET_ERROR) {
    udp.error = ::WSAGetLastError();
    return -1;
  }
  return ready > 0 && FD_ISSET(udp.socket, &readable) ? 1 : 0;
}

Arrival ReceiveDatagram(void* context) {
  UdpReplySocket& udp = *static_cast<UdpReplySocket*>(context);
  size_t receive_limit = ReceiveLimit(udp.reply_bytes);
  if (receive_limit > INT_MAX) receive_limit = INT_MAX & ~1u;
  // The sender is asked for only when it is checked.
  sockaddr_in sender;
  ZeroMemory(&sender, sizeof(sender));
  int sender_size = sizeof(sender);
  int received =
      ::recvfrom(udp.socket, reinterpret_cast<char*>(udp.reply), static_cast<int>(receive_limit), 0,
                 udp.strict_sender ? reinterpret_cast<sockaddr*>(&sender) : nullptr,
                 udp.strict_sender ? &sender_size : nullptr);
  udp.error = received == SOCKET_ERROR ? ::WSAGetLastError() : 0;
  if (udp.error != 0 && udp.error != WSAEMSGSIZE) {
    ClearReply(udp.reply, udp.reply_bytes);
    return IsNetworkErrorReport(udp.error) ? Arrival::kErrorReport : Arrival::kFailure;
  }
  if (udp.strict_sender && !IsSameEndpoint(sender, udp.destination)) {
    ClearReply(udp.reply, udp.reply_bytes);
    return Arrival::kOtherSender;
  }
  // A longer datagram still fills the buffer: it is the reply, cut to what fits.
  ConvertReceivedReply(udp.reply, udp.reply_bytes,
                       udp.error == WSAEMSGSIZE ? receive_limit : static_cast<size_t>(received));
  return Arrival::kReply;
}

uint32_t TickCount(void*) {
  return ::GetTickCount();
}

}  // namespace

void QueryHVSDiagnosed(const char* host, uint32_t port, const char16_t* request,
                       uint32_t timeout_ms, char16_t* reply, size_t reply_bytes,
                       char (&diagnostic)[kDiagnosticSize], bool strict_sender,
                       TransactionOutcome* outcome) {
  diagnostic[0] = '\0';
  if (outcome != nullptr) *outcome = TransactionOutcome{};
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

  UdpReplySocket udp{socket.Get(), destination, strict_sender, reply, reply_bytes, 0};
  const ReplySocket slots{&WaitReadable, &ReceiveDatagram, &TickCount, &udp};
  const WaitResult result = WaitForReply(slots, timeout_ms, strict_sender);
  if (outcome != nullptr) *outcome = {result.end == WaitEnd::kReply, result.dropped};
  switch (result.end) {
    case WaitEnd::kReply:
      break;
    case WaitEnd::kTimedOut:
      // A plain time-out is no failure; one after dropping other senders' datagrams is.
      if (result.dropped > 0) {
        ComposeDiagnostic(QueryFailure::kOtherSender, host, static_cast<int>(result.dropped),
                          diagnostic);
      }
      break;
    case WaitEnd::kWaitFailed:
      ComposeDiagnostic(QueryFailure::kSelect, host, udp.error, diagnostic);
      break;
    case WaitEnd::kReceiveFailed:
      ComposeDiagnostic(
          udp.error == WSAECONNRESET ? QueryFailure::kUnreachable : QueryFailure::kReceive, host,
          udp.error, diagnostic);
      break;
  }
}

void QueryHVS(const char* host, uint32_t port, const char16_t* request, uint32_t timeout_ms,
              char16_t* reply, size_t reply_bytes, bool strict_sender,
              TransactionOutcome* outcome) {
  char diagnostic[kDiagnosticSize];
  QueryHVSDiagnosed(host, port, request, timeout_ms, reply, reply_bytes, diagnostic, strict_sender,
                    outcome);
  if (diagnostic[0] != '\0') ::OutputDebugStringA(diagnostic);
}

}  // namespace hvn
