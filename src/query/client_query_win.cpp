#include "query/client_query.h"

namespace hvn {

QuerySettings QuerySettingsOf(const ClientSettings& settings, const ServerListRef& servers) {
  return {servers.Get(), settings.HVS_Port, settings.Timeout, settings.Retries,
          settings.StrictReplySender};
}

void SendRequest(const ClientSettings& settings, RequestKind kind, const char16_t* domain,
                 const char16_t* user_name, char16_t* request, size_t request_capacity,
                 char16_t* reply, size_t reply_bytes) {
  const ServerListRef servers = settings.Servers();
  SendRequest(QuerySettingsOf(settings, servers), kind, domain, user_name, request,
              request_capacity, reply, reply_bytes);
}

void SendRejectionRequest(const ClientSettings& settings, const RuleResults& results,
                          const char16_t* domain, const char16_t* user_name, char16_t* request,
                          size_t request_capacity, char16_t* reply, size_t reply_bytes) {
  const ServerListRef servers = settings.Servers();
  SendRejectionRequest(QuerySettingsOf(settings, servers), results, domain, user_name, request,
                       request_capacity, reply, reply_bytes);
}

void RequestPolicyMessage(const ClientSettings& settings, const char16_t* domain,
                          const char16_t* user_name, char16_t* request, size_t request_capacity,
                          char16_t* reply, size_t reply_bytes) {
  const ServerListRef servers = settings.Servers();
  RequestPolicyMessage(QuerySettingsOf(settings, servers), domain, user_name, request,
                       request_capacity, reply, reply_bytes);
}

}  // namespace hvn
