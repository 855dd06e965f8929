#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>

#include <chrono>
#include <string>

#include "base/udp_socket.h"
#include "base/utf8_text.h"
#include "check/live_query.h"
#include "query/policy_servers.h"
#include "query/reply.h"
#include "query/request.h"

namespace hvn::tool {

namespace {

bool ResolveIPv4(const char* host, uint32_t& address) {
  in_addr parsed{};
  if (::inet_pton(AF_INET, host, &parsed) == 1) {
    address = parsed.s_addr;
    return true;
  }
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_DGRAM;
  addrinfo* result = nullptr;
  if (::getaddrinfo(host, nullptr, &hints, &result) != 0 || result == nullptr) return false;
  address = reinterpret_cast<sockaddr_in*>(result->ai_addr)->sin_addr.s_addr;
  ::freeaddrinfo(result);
  return true;
}

// One transaction as the clients make it with StrictReplySender: the request with every BEL
// as NUL from a new socket, and as the reply only a datagram from the address and port asked
// within the time-out (another sender's is dropped and the wait goes on for the rest of it),
// converted as the clients convert it.
void Transaction(void*, const char* host, uint32_t port, const char16_t* request,
                 uint32_t timeout_ms, char16_t* reply, size_t reply_bytes) {
  ClearReply(reply, reply_bytes);
  UdpPeer server;
  if (!ResolveIPv4(host, server.address)) return;
  server.port = static_cast<uint16_t>(port);
  std::u16string text(request);
  std::u16string wire(text.size(), u'\0');
  ToWireRequest(text.data(), text.size(), &wire[0]);
  const std::string bytes = Utf16LeBytes(wire);
  UdpSocket socket;
  if (socket.Open("0.0.0.0", 0) != 0 || !socket.Send(bytes.data(), bytes.size(), server)) return;
  const auto started = std::chrono::steady_clock::now();
  for (;;) {
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
                             std::chrono::steady_clock::now() - started)
                             .count();
    const uint32_t remaining =
        elapsed >= timeout_ms ? 0 : timeout_ms - static_cast<uint32_t>(elapsed);
    UdpPeer from;
    long got =
        socket.Receive(reinterpret_cast<char*>(reply), ReceiveLimit(reply_bytes), remaining, from);
    if (got < 0) {
      ClearReply(reply, reply_bytes);
      return;
    }
    if (from.address == server.address && from.port == server.port) {
      ConvertReceivedReply(reply, reply_bytes, static_cast<size_t>(got));
      return;
    }
    ClearReply(reply, reply_bytes);
    if (remaining == 0) return;
  }
}

}  // namespace

void AskServer(const LiveServer& server, const char16_t* domain, const char16_t* request,
               char16_t* reply, size_t reply_bytes) {
  std::string list = OneServerList(ToAnsi(domain), server.host);
  QueryTransport transport{Transaction, nullptr};
  SweepPolicyServers(transport, list.c_str(), domain, server.port, request, server.timeout_ms,
                     server.retries, reply, reply_bytes);
}

}  // namespace hvn::tool
