#include "query/policy_servers.h"
#include "query/query_hvs.h"

namespace hvn {
namespace {

// `context` points at the strict-sender flag of the query.
void QueryOverUdp(void* context, const char* host, uint32_t port, const char16_t* request,
                  uint32_t timeout_ms, char16_t* reply, size_t reply_bytes) {
  QueryHVS(host, port, request, timeout_ms, reply, reply_bytes, *static_cast<bool*>(context));
}

}  // namespace

void QueryPolicyServers(const char* server_list, const char16_t* domain, uint32_t port,
                        const char16_t* request, uint32_t timeout_ms, uint32_t retries,
                        char16_t* reply, size_t reply_bytes, bool strict_sender) {
  const QueryTransport udp = {&QueryOverUdp, &strict_sender};
  SweepPolicyServers(udp, server_list, domain, port, request, timeout_ms, retries, reply,
                     reply_bytes);
}

}  // namespace hvn
