#include "query/policy_servers.h"

#include <cstring>

#include "platform/ansi_text.h"
#include "query/reply.h"
#include "query/server_list_entries.h"

namespace hvn {
namespace {

// Room for the longest domain that can still match: 1,023 characters of up to four bytes.
constexpr size_t kDomainCharacters = kServerPartSize - 1;
constexpr size_t kAnsiDomainRoom = kDomainCharacters * 4 + 1;

constexpr char kSeparator[] = ", ";
constexpr char kMore[] = "...";

// True when the ", "-joined `list` of `length` bytes has `host` as one of its items.
bool ListNames(const char* list, size_t length, const char* host, size_t host_length) {
  const size_t separator_length = sizeof(kSeparator) - 1;
  size_t start = 0;
  while (start <= length) {
    const char* end = std::strstr(list + start, kSeparator);
    size_t item_end = end == nullptr ? length : static_cast<size_t>(end - list);
    if (item_end - start == host_length && std::memcmp(list + start, host, host_length) == 0)
      return true;
    if (end == nullptr) return false;
    start = item_end + separator_length;
  }
  return false;
}

}  // namespace

void NoteServerAsked(SweepReport& report, const char* host) {
  char* list = report.servers_asked;
  list[kServersAskedSize - 1] = '\0';
  const size_t length = platform::BoundedLength(list, kServersAskedSize - 1);
  const size_t host_length = host == nullptr ? 0 : platform::BoundedLength(host, kServerPartSize);
  if (host_length == 0 || ListNames(list, length, host, host_length)) return;
  const size_t more_length = sizeof(kMore) - 1;
  if (length >= more_length && std::memcmp(list + length - more_length, kMore, more_length) == 0)
    return;  // full already
  const size_t separator_length = length == 0 ? 0 : sizeof(kSeparator) - 1;
  // Room is kept for a final ", ..." after this host.
  const bool fits = length + separator_length + host_length + sizeof(kSeparator) - 1 + more_length <
                    kServersAskedSize;
  std::memcpy(list + length, kSeparator, separator_length);
  if (fits) {
    std::memcpy(list + length + separator_length, host, host_length);
    list[length + separator_length + host_length] = '\0';
  } else {
    std::memcpy(list + length + separator_length, kMore, sizeof(kMore));
  }
}

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
