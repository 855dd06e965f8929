#include "query/policy_request.h"
#include "query/policy_servers.h"
#include "query/reply.h"

namespace hvn {
namespace {

void Send(const QuerySettings& settings, const char16_t* domain, const char16_t* request,
          char16_t* reply, size_t reply_bytes, SweepReport* report) {
  QueryPolicyServers(settings.server_list, domain, settings.port, request, settings.timeout_ms,
                     settings.retries, reply, reply_bytes, settings.strict_reply_sender != 0,
                     report);
}

}  // namespace

void SendRequest(const QuerySettings& settings, RequestKind kind, const char16_t* domain,
                 const char16_t* user_name, char16_t* request, size_t request_capacity,
                 char16_t* reply, size_t reply_bytes, SweepReport* report) {
  FormatRequest(kind, request, request_capacity, domain, user_name);
  Send(settings, domain, request, reply, reply_bytes, report);
}

void SendRejectionRequest(const QuerySettings& settings, const RuleResults& results,
                          const char16_t* domain, const char16_t* user_name, char16_t* request,
                          size_t request_capacity, char16_t* reply, size_t reply_bytes,
                          SweepReport* report) {
  FormatRejectionRequest(request, request_capacity, results, domain, user_name);
  Send(settings, domain, request, reply, reply_bytes, report);
}

}  // namespace hvn
