#include "query/policy_servers.h"

#include "platform/ansi_text.h"
#include "query/reply.h"
#include "query/server_list_entries.h"

namespace hvn {
namespace {

// Room for the longest domain that can still match: 1,023 characters of up to four bytes.
constexpr size_t kDomainCharacters = kServerPartSize - 1;
constexpr size_t kAnsiDomainRoom = kDomainCharacters * 4 + 1;

}  // namespace

uint32_t SweepCount(uint32_t retries) {
  return (retries > kMaxRetries ? kMaxRetries : retries) + 1;
}

void SweepPolicyServers(const QueryTransport& transport, const char* server_list,
                        const char16_t* domain, uint32_t port, const char16_t* request,
                        uint32_t timeout_ms, uint32_t retries, char16_t* reply,
                        size_t reply_bytes) {
  ClearReply(reply, reply_bytes);
  if (server_list == nullptr || reply == nullptr) return;

  // Every character takes at least one byte, so a longer domain cannot fit 1,023 bytes.
  size_t domain_length =
      domain == nullptr ? 0 : platform::BoundedLength(domain, kDomainCharacters + 1);
  if (domain_length > kDomainCharacters) return;
  char ansi_domain[kAnsiDomainRoom];
  size_t ansi_length = platform::WideToAnsi(domain == nullptr ? u"" : domain, domain_length,
                                            ansi_domain, sizeof(ansi_domain));
  if (ansi_length >= kServerPartSize) return;

  if (timeout_ms > kMaxTimeout) timeout_ms = kMaxTimeout;
  ServerEntry server;
  uint32_t sweeps = SweepCount(retries);
  for (uint32_t sweep = 0; sweep < sweeps; ++sweep) {
    ServerListWalker walker(server_list);
    const char* entry;
    size_t length;
    while (walker.Next(entry, length)) {
      if (!SplitServerEntry(entry, length, server)) continue;
      if (!platform::AnsiEqualIgnoreCase(server.domain,
                                         platform::BoundedLength(server.domain, kServerPartSize),
                                         ansi_domain, ansi_length)) {
        continue;
      }
      transport.query(transport.context, server.host, port, request, timeout_ms, reply,
                      reply_bytes);
      if (HasReply(reply, reply_bytes)) return;
    }
  }
  ClearReply(reply, reply_bytes);
}

}  // namespace hvn
