// Formats a request and sends it to the domain's policy servers in one call. The clients ask
// through the dialog layer (dialogs/dialog_requests.h), which supplies the settings, the
// recorded names and the buffers. Windows build only.
#ifndef HVN_QUERY_POLICY_REQUEST_H_
#define HVN_QUERY_POLICY_REQUEST_H_

#include <cstddef>
#include <cstdint>

#include "query/policy_servers.h"
#include "query/request.h"

namespace hvn {

// Where and how to ask: the settings the clients keep (server list, port, time-out, retries,
// whether only the server asked may answer).
struct QuerySettings {
  const char* server_list;  // ANSI multi-string, or null: no server is asked
  uint32_t port;
  uint32_t timeout_ms;
  uint32_t retries;
  uint32_t strict_reply_sender = 0;  // non-zero: replies only from the address and port asked
};

#ifdef _WIN32
// Formats a request of `kind` for `domain` and `user_name` into `request` (`request_capacity`
// characters, see FormatRequest) and sends it with QueryPolicyServers. On return `reply`
// (`reply_bytes` bytes) holds the first non-empty reply, or only zeros; `report`, when given,
// what the sweep saw (see QueryPolicyServers).
void SendRequest(const QuerySettings& settings, RequestKind kind, const char16_t* domain,
                 const char16_t* user_name, char16_t* request, size_t request_capacity,
                 char16_t* reply, size_t reply_bytes, SweepReport* report = nullptr);

// Sends the rejection request for the failed rules of `results` (see FormatRejectionRequest);
// the reply as SendRequest.
void SendRejectionRequest(const QuerySettings& settings, const RuleResults& results,
                          const char16_t* domain, const char16_t* user_name, char16_t* request,
                          size_t request_capacity, char16_t* reply, size_t reply_bytes,
                          SweepReport* report = nullptr);
#endif

}  // namespace hvn

#endif  // HVN_QUERY_POLICY_REQUEST_H_
