#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/udp_socket.h"

namespace hvn::tool {

UdpSocket::~UdpSocket() {
  if (socket_ >= 0) ::close(static_cast<int>(socket_));
}

int UdpSocket::Open(const char* address, uint16_t port) {
  int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
  if (fd < 0) return errno;
  socket_ = fd;
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_port = htons(port);
  if (::inet_pton(AF_INET, address, &local.sin_addr) != 1) return EINVAL;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof(local)) != 0) return errno;
  socklen_t length = sizeof(local);
  if (::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length) != 0) return errno;
  port_ = ntohs(local.sin_port);
  return 0;
}

long UdpSocket::Receive(char* buffer, size_t size, uint32_t timeout_ms, UdpPeer& peer, int* error) {
  pollfd ready{static_cast<int>(socket_), POLLIN, 0};
  int count = ::poll(&ready, 1, static_cast<int>(timeout_ms));
  if (count == 0 || (count < 0 && errno == EINTR)) return kTimedOut;
  sockaddr_in from{};
  socklen_t length = sizeof(from);
  // MSG_TRUNC: the datagram's own length, also when it did not fit.
  ssize_t got = count < 0 ? -1
                          : ::recvfrom(static_cast<int>(socket_), buffer, size, MSG_TRUNC,
                                       reinterpret_cast<sockaddr*>(&from), &length);
  if (got < 0) {
    if (error != nullptr) *error = errno;
    return kFailed;
  }
  peer.address = from.sin_addr.s_addr;
  peer.port = ntohs(from.sin_port);
  return static_cast<long>(got);
}

bool UdpSocket::Send(const char* data, size_t size, const UdpPeer& peer, int* error) {
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_addr.s_addr = peer.address;
  to.sin_port = htons(peer.port);
  if (::sendto(static_cast<int>(socket_), data, size, 0, reinterpret_cast<sockaddr*>(&to),
               sizeof(to)) == static_cast<ssize_t>(size))
    return true;
  if (error != nullptr) *error = errno;
  return false;
}

std::string PeerText(const UdpPeer& peer) {
  in_addr address{};
  address.s_addr = peer.address;
  char text[INET_ADDRSTRLEN] = {};
  ::inet_ntop(AF_INET, &address, text, sizeof(text));
  return std::string(text) + ":" + std::to_string(peer.port);
}

}  // namespace hvn::tool
