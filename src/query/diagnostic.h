// The texts a failed query transaction composes ("QueryHVS: ..."). They go to the debugger
// channel only; nobody is shown them and nothing keeps them after the transaction.
#ifndef HVN_QUERY_DIAGNOSTIC_H_
#define HVN_QUERY_DIAGNOSTIC_H_

#include <cstddef>

namespace hvn {

constexpr size_t kDiagnosticSize = 256;  // bytes, NUL included

enum class QueryFailure {
  kStartup,      // WSAStartup failed
  kSocket,       // socket failed
  kResolve,      // the host is neither an address nor a name that resolves
  kAllocation,   // the request copy could not be allocated
  kSend,         // sendto failed
  kSelect,       // select failed
  kUnreachable,  // recvfrom reported WSAECONNRESET
  kReceive,      // recvfrom failed otherwise
  kOtherSender,  // no reply from the host asked; datagrams from other senders were dropped
};

// Composes the diagnostic of `failure` into `out` (kDiagnosticSize bytes), with `error` as
// the socket error code (for kOtherSender the number of datagrams dropped) and `host` (ANSI, may be
// null) as the configured host. A host too long for the buffer is cut on a character boundary so
// the text keeps its end. Always terminated.
void ComposeDiagnostic(QueryFailure failure, const char* host, int error,
                       char (&out)[kDiagnosticSize]);

}  // namespace hvn

#endif  // HVN_QUERY_DIAGNOSTIC_H_
