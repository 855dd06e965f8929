// Puts one question to the policy servers of a domain: picks the domain's entries from the
// server list, asks one server at a time, and sweeps the list again until a server answers
// or the sweeps are used up.
#ifndef HVN_QUERY_POLICY_SERVERS_H_
#define HVN_QUERY_POLICY_SERVERS_H_

#include <cstddef>
#include <cstdint>

namespace hvn {

// The most retries honoured: a Retries setting above it (4,294,967,295 included, which would
// wrap "Retries + 1" to zero sweeps) is taken as this, so a query blocks its dialog for at
// most 11 sweeps of the list.
constexpr uint32_t kMaxRetries = 10;

// The longest wait for one server's reply, in ms: a Timeout setting above it (4,294,967,295
// would block the dialog for 49 days against a silent server) is taken as this; a minute is
// still a value an administrator can mean for a slow link.
constexpr uint32_t kMaxTimeout = 60000;

// Number of sweeps of the list for the `retries` setting: retries + 1, bounded by kMaxRetries.
uint32_t SweepCount(uint32_t retries);

// What a query learned besides its reply, for the record the clients keep of the changes they
// could not check: the servers of the domain that were asked, and what came back from them.
constexpr size_t kServersAskedSize = 256;  // bytes, NUL included
struct SweepReport {
  char servers_asked[kServersAskedSize];  // each host once, in the order asked, joined by ", "
  uint32_t answers;  // datagrams taken as a reply, whatever their text (an empty one included)
  uint32_t dropped;  // datagrams of other senders and error reports a strict wait passed over
};

// Adds `host` (ANSI) to report.servers_asked unless the list names it already. A host that
// does not fit whole ends the list with "..." instead; the text is always terminated.
void NoteServerAsked(SweepReport& report, const char* host);

// One query transaction with one server, as QueryHVS performs it: fills `reply` (of
// `reply_bytes` bytes) with the converted reply, or zeros. `context` is the transport's own.
struct QueryTransport {
  void (*query)(void* context, const char* host, uint32_t port, const char16_t* request,
                uint32_t timeout_ms, char16_t* reply, size_t reply_bytes);
  void* context;
};

// The sweep of QueryPolicyServers through any transport: zeroes the reply, then asks every
// entry of `server_list` whose domain part equals `domain` (ignoring case in the ANSI code
// page), in list order, for at most SweepCount(retries) sweeps, waiting at most
// min(timeout_ms, kMaxTimeout) for each; the first reply whose first
// string is non-empty ends the search. Without a list or a matching entry nothing is asked
// and the reply stays zero. A domain longer than 1,023 ANSI bytes matches no entry.
void SweepPolicyServers(const QueryTransport& transport, const char* server_list,
                        const char16_t* domain, uint32_t port, const char16_t* request,
                        uint32_t timeout_ms, uint32_t retries, char16_t* reply, size_t reply_bytes);

#ifdef _WIN32
// SweepPolicyServers over UDP: each server is asked with QueryHVS (with `strict_sender`, only
// its own address and port can answer). Blocks the caller for up to `timeout_ms` per matching
// entry per sweep. On return `reply` holds the first non-empty reply or only zeros. `port`'s
// low 16 bits are the UDP port. `report`, when given, is emptied and then tells which servers
// were asked and what came back.
void QueryPolicyServers(const char* server_list, const char16_t* domain, uint32_t port,
                        const char16_t* request, uint32_t timeout_ms, uint32_t retries,
                        char16_t* reply, size_t reply_bytes, bool strict_sender = false,
                        SweepReport* report = nullptr);
#endif

}  // namespace hvn

#endif  // HVN_QUERY_POLICY_SERVERS_H_
