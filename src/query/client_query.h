// The query with the client's own settings: the server list, port, time-out and retry count
// of ClientSettings. Windows build only.
#ifndef HVN_QUERY_CLIENT_QUERY_H_
#define HVN_QUERY_CLIENT_QUERY_H_

#include <cstddef>

#include "config/client_settings.h"
#include "query/policy_request.h"

namespace hvn {

#ifdef _WIN32
// The query settings of `settings`. The server list stays valid only while `servers` (taken
// from settings.Servers()) lives: hold it for the whole query.
QuerySettings QuerySettingsOf(const ClientSettings& settings, const ServerListRef& servers);

// SendRequest with the client's settings; the server list is held for the whole query, so a
// reload of the settings on another thread meanwhile cannot release it.
void SendRequest(const ClientSettings& settings, RequestKind kind, const char16_t* domain,
                 const char16_t* user_name, char16_t* request, size_t request_capacity,
                 char16_t* reply, size_t reply_bytes);

// SendRejectionRequest with the client's settings, the server list held as above.
void SendRejectionRequest(const ClientSettings& settings, const RuleResults& results,
                          const char16_t* domain, const char16_t* user_name, char16_t* request,
                          size_t request_capacity, char16_t* reply, size_t reply_bytes);

// RequestPolicyMessage with the client's settings, the server list held as above.
void RequestPolicyMessage(const ClientSettings& settings, const char16_t* domain,
                          const char16_t* user_name, char16_t* request, size_t request_capacity,
                          char16_t* reply, size_t reply_bytes);
#endif

}  // namespace hvn

#endif  // HVN_QUERY_CLIENT_QUERY_H_
