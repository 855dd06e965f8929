#include "query/policy_servers.h"
#include "query/query_hvs.h"

namespace hvn {
namespace {

void QueryOverUdp(void*, const char* host, uint32_t port, const char16_t* request,
                  uint32_t timeout_ms, char16_t* reply, size_t reply_bytes) {
  QueryHVS(host, port, request, timeout_ms, reply, reply_bytes);
}

}  // namespace

void QueryPolicyServers(const char* server_list, const char16_t* domain, uint32_t port,
                        const char16_t* request, uint32_t timeout_ms, uint32_t retries,
                        char16_t* reply, size_t reply_bytes) {
  const QueryTransport udp = {&QueryOverUdp, nullptr};
  SweepPolicyServers(udp, server_list, domain, port, request, timeout_ms, retries, reply,
                     reply_bytes);
}

}  // namespace hvn
