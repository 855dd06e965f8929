// The loop of `serve`: one datagram at a time, each checked before anything else is done for
// it, answered within its sender's rate, and no error of the socket ending the service.
#ifndef HVN_TOOLS_HVNPOLICY_SERVE_SERVE_LOOP_H_
#define HVN_TOOLS_HVNPOLICY_SERVE_SERVE_LOOP_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>

#include "base/udp_socket.h"
#include "serve/sender_table.h"
#include "serve/served_policies.h"

namespace hvn::tool {

// The socket calls the loop makes, as slots with a context, so that a test can script what
// the network does. Both report failures as UdpSocket does, with the error code in `error`.
struct ServeSocket {
  long (*receive)(void* context, char* buffer, size_t size, uint32_t timeout_ms, UdpPeer& peer,
                  int& error);
  bool (*send)(void* context, const char* data, size_t size, const UdpPeer& peer, int& error);
  void* context;
};

// The slots over `socket`.
ServeSocket SocketSlots(UdpSocket& socket);

// Serves until `running` returns false (asked before every wait; a wait lasts at most
// kServePollMs). For each datagram, in this order:
//   1. one that is not one of the four requests is dropped;
//   2. one beyond its sender's reply limits is dropped;
//   3. the policies are read again if their source changed;
//   4. the request is answered, logged, and the reply sent.
// A dropped datagram is logged at most once a second per sender. A receive or send error
// (a forged port-unreachable notice included) is logged at most once a second and the loop
// goes on.
void ServeDatagrams(ServedPolicies& policies, const ServeSocket& socket, const ReplyLimits& limits,
                    FILE* log, const std::function<bool()>& running);

constexpr uint32_t kServePollMs = 200;

}  // namespace hvn::tool

#endif  // HVN_TOOLS_HVNPOLICY_SERVE_SERVE_LOOP_H_
