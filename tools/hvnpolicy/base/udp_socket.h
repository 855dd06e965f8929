// One IPv4 UDP socket for the tool's server and its native query: bound to an address and a
// port, receiving with a time-out, answering the sender. Winsock 1.1 on Windows, BSD sockets
// natively.
#ifndef HVN_TOOLS_HVNPOLICY_BASE_UDP_SOCKET_H_
#define HVN_TOOLS_HVNPOLICY_BASE_UDP_SOCKET_H_

#include <cstddef>
#include <cstdint>
#include <string>

namespace hvn::tool {

struct UdpPeer {
  uint32_t address = 0;  // network order
  uint16_t port = 0;     // host order
};

class UdpSocket {
 public:
  UdpSocket() = default;
  ~UdpSocket();
  UdpSocket(const UdpSocket&) = delete;
  UdpSocket& operator=(const UdpSocket&) = delete;

  // Opens the socket bound to `address` (dotted IPv4; "0.0.0.0" for every interface) and
  // `port` (0: a free one). Returns 0 or the socket error.
  int Open(const char* address, uint16_t port);
  // The local port, once open.
  uint16_t Port() const { return port_; }

  static constexpr long kTimedOut = -1;
  static constexpr long kFailed = -2;

  // Waits up to `timeout_ms` for one datagram into `buffer` (`size` bytes). Returns its length,
  // which is above `size` when the datagram was longer than the buffer (only its first `size`
  // bytes are there); kTimedOut when the time ran out; kFailed on an error, with its code (the
  // socket error on Windows, errno natively) in `error` when given.
  long Receive(char* buffer, size_t size, uint32_t timeout_ms, UdpPeer& peer, int* error = nullptr);
  // Sends one datagram to `peer`. False on an error, with its code in `error` when given.
  bool Send(const char* data, size_t size, const UdpPeer& peer, int* error = nullptr);

 private:
  intptr_t socket_ = -1;
  [[maybe_unused]] bool started_ = false;  // the socket library was started (Windows)
  uint16_t port_ = 0;
};

// "a.b.c.d:port".
std::string PeerText(const UdpPeer& peer);

}  // namespace hvn::tool

#endif  // HVN_TOOLS_HVNPOLICY_BASE_UDP_SOCKET_H_
