#include "base/utf8_text.h"
#include "check/live_query.h"
#include "query/policy_servers.h"

namespace hvn::tool {

void AskServer(const LiveServer& server, const char16_t* domain, const char16_t* request,
               char16_t* reply, size_t reply_bytes) {
  std::string list = OneServerList(ToAnsi(domain), server.host);
  // Only the address and port asked may answer, as with StrictReplySender on the clients.
  QueryPolicyServers(list.c_str(), domain, server.port, request, server.timeout_ms, server.retries,
                     reply, reply_bytes, true);
}

}  // namespace hvn::tool
