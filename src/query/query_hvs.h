// One query transaction with one policy server over UDP (Winsock 1.1): one request datagram
// from a new socket, one reply datagram within the time-out. Windows build only.
#ifndef HVN_QUERY_QUERY_HVS_H_
#define HVN_QUERY_QUERY_HVS_H_

#include <cstddef>
#include <cstdint>

#include "query/diagnostic.h"

namespace hvn {

// The most request characters a transaction reads: more than a datagram can carry, so a
// request without its terminator within it fails to send instead of being read on forever.
constexpr size_t kMaxRequestCharacters = 32768;

// Resolves `host` to an IPv4 address in network order: a dotted address through inet_addr,
// anything else (255.255.255.255 included, which inet_addr cannot tell from failure) through
// gethostbyname's first address. An empty host resolves to nothing (11001). Returns 0, or the
// socket error of the failed resolution (11001 when the library gives none); `address` is left
// untouched on failure. Needs a started socket library.
uint32_t ResolveHostAddress(const char* host, uint32_t& address);

// False for the limited broadcast address: a request names a user and a domain and goes to
// one server, never to every host of the network. Such a destination fails as sendto fails
// for it without permission to broadcast (10013), and nothing is sent.
bool IsSendableAddress(uint32_t address);

// What one transaction brought besides its reply.
struct TransactionOutcome {
  bool answered = false;  // a datagram was taken as the reply, whatever its text
  uint32_t dropped = 0;   // datagrams of other senders and error reports a strict wait passed over
};

// Asks `host` (ANSI: a dotted address or a host name) on UDP port `port` (low 16 bits):
// sends `request` (NUL-terminated UTF-16) with every BEL as NUL, two bytes per character and
// no terminator, and waits up to `timeout_ms` for one datagram from any sender; with
// `strict_sender` only a datagram from the address and port the request went to is taken,
// any other, and any error report of the network (WSAECONNRESET, WSAENETRESET), is passed over
// and the wait goes on for the rest of the same time-out, after which what is already queued is
// still read (see WaitForReply). On return
// `reply` (`reply_bytes` bytes) holds that datagram, cut to reply_bytes - 2 bytes, with every
// BEL before its first NUL turned into NUL and the rest zero; or only zeros when nothing
// usable came. Failures are composed as "QueryHVS: ..." texts for the debugger channel only.
// `outcome`, when given, receives what the transaction brought.
void QueryHVS(const char* host, uint32_t port, const char16_t* request, uint32_t timeout_ms,
              char16_t* reply, size_t reply_bytes, bool strict_sender = false,
              TransactionOutcome* outcome = nullptr);

// QueryHVS that also hands back its diagnostic: empty when the transaction went well (an
// answer or a plain time-out), else the text of the first failure (a strict wait that ended
// without the host's reply after dropping other senders' datagrams is one).
void QueryHVSDiagnosed(const char* host, uint32_t port, const char16_t* request,
                       uint32_t timeout_ms, char16_t* reply, size_t reply_bytes,
                       char (&diagnostic)[kDiagnosticSize], bool strict_sender = false,
                       TransactionOutcome* outcome = nullptr);

}  // namespace hvn

#endif  // HVN_QUERY_QUERY_HVS_H_
