// Asks a live policy server with the client's own query code: the request formats, the sweep
// over a server list, the reply conversion, and on Windows the client's UDP transaction
// itself (natively, the same steps over a BSD socket).
#ifndef HVN_TOOLS_HVNPOLICY_CHECK_LIVE_QUERY_H_
#define HVN_TOOLS_HVNPOLICY_CHECK_LIVE_QUERY_H_

#include <cstddef>
#include <cstdint>
#include <string>

namespace hvn::tool {

struct LiveServer {
  std::string host;  // dotted IPv4 address or host name
  uint32_t port = 1333;
  uint32_t timeout_ms = 2000;
  uint32_t retries = 1;
};

// Parses "host" or "host:port" into `server`. False for an empty host or a bad port.
bool ParseServerAddress(const std::string& text, LiveServer& server);

// The one-entry server list "<domain> <host>" (ANSI) that puts a question to that host alone.
std::string OneServerList(const std::string& ansi_domain, const std::string& host);

// Sends `request` (a formatted request, fields ended by BEL) for `domain` to `server` as the
// clients do with StrictReplySender 1, and leaves the converted reply in `reply` (`reply_bytes`
// bytes), or only zeros when no answer came from the address and port asked.
void AskServer(const LiveServer& server, const char16_t* domain, const char16_t* request,
               char16_t* reply, size_t reply_bytes);

}  // namespace hvn::tool

#endif  // HVN_TOOLS_HVNPOLICY_CHECK_LIVE_QUERY_H_
