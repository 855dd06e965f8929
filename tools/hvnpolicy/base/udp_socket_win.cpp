#include <cstring>

#include "base/udp_socket.h"
#include "platform/win.h"

namespace hvn::tool {

UdpSocket::~UdpSocket() {
  if (socket_ != -1) ::closesocket(static_cast<SOCKET>(socket_));
  if (started_) ::WSACleanup();
}

int UdpSocket::Open(const char* address, uint16_t port) {
  WSADATA data;
  if (int rc = ::WSAStartup(0x0101, &data); rc != 0) return rc;
  started_ = true;
  SOCKET s = ::socket(AF_INET, SOCK_DGRAM, 0);
  if (s == INVALID_SOCKET) return ::WSAGetLastError();
  socket_ = static_cast<intptr_t>(s);
  sockaddr_in local;
  std::memset(&local, 0, sizeof(local));
  local.sin_family = AF_INET;
  local.sin_port = htons(port);
  local.sin_addr.s_addr = ::inet_addr(address);
  if (::bind(s, reinterpret_cast<sockaddr*>(&local), sizeof(local)) != 0)
    return ::WSAGetLastError();
  int length = sizeof(local);
  if (::getsockname(s, reinterpret_cast<sockaddr*>(&local), &length) != 0)
    return ::WSAGetLastError();
  port_ = ntohs(local.sin_port);
  return 0;
}

long UdpSocket::Receive(char* buffer, size_t size, uint32_t timeout_ms, UdpPeer& peer, int* error) {
  SOCKET s = static_cast<SOCKET>(socket_);
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(s, &readable);
  timeval limit;
  limit.tv_sec = static_cast<long>(timeout_ms / 1000);
  limit.tv_usec = static_cast<long>((timeout_ms % 1000) * 1000);
  int count = ::select(0, &readable, nullptr, nullptr, &limit);
  if (count == 0) return kTimedOut;
  sockaddr_in from;
  std::memset(&from, 0, sizeof(from));
  int length = sizeof(from);
  int got = count == SOCKET_ERROR ? SOCKET_ERROR
                                  : ::recvfrom(s, buffer, static_cast<int>(size), 0,
                                               reinterpret_cast<sockaddr*>(&from), &length);
  long result = got;
  if (got == SOCKET_ERROR) {
    int code = ::WSAGetLastError();
    // A datagram longer than the buffer still fills it: report it as longer than `size`.
    if (code != WSAEMSGSIZE) {
      if (error != nullptr) *error = code;
      return kFailed;
    }
    result = static_cast<long>(size) + 1;
  }
  peer.address = from.sin_addr.s_addr;
  peer.port = ntohs(from.sin_port);
  return result;
}

bool UdpSocket::Send(const char* data, size_t size, const UdpPeer& peer, int* error) {
  sockaddr_in to;
  std::memset(&to, 0, sizeof(to));
  to.sin_family = AF_INET;
  to.sin_addr.s_addr = peer.address;
  to.sin_port = htons(peer.port);
  if (::sendto(static_cast<SOCKET>(socket_), data, static_cast<int>(size), 0,
               reinterpret_cast<sockaddr*>(&to), sizeof(to)) == static_cast<int>(size))
    return true;
  if (error != nullptr) *error = ::WSAGetLastError();
  return false;
}

std::string PeerText(const UdpPeer& peer) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(&peer.address);
  return std::to_string(bytes[0]) + "." + std::to_string(bytes[1]) + "." +
         std::to_string(bytes[2]) + "." + std::to_string(bytes[3]) + ":" +
         std::to_string(peer.port);
}

}  // namespace hvn::tool
