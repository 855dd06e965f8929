// The answering side of the four requests, apart from the socket: a datagram in, the reply
// datagram and a summary for the log out. Requests carry no password, and the log shows only
// what they carry. A datagram is checked before anything else is done for it, and the work
// and memory one request can cause are bounded: names no longer than a client sends, a reply
// no longer than a client receives.
#ifndef HVN_TOOLS_HVNPOLICY_SERVE_POLICY_SERVER_H_
#define HVN_TOOLS_HVNPOLICY_SERVE_POLICY_SERVER_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/policy_store.h"
#include "query/request.h"

namespace hvn::tool {

// The longest domain or user name a client sends: its dialogs' texts hold 255 characters.
constexpr size_t kMaxRequestName = 255;
// The longest request a client sends: the longest kind, both names at their longest and the
// thirteen rule codes, each field ended by NUL, two bytes a character.
constexpr size_t kMaxRequestBytes = 2 * ((28 + 1) + 2 * (kMaxRequestName + 1) + 13 * 5 + 1);

struct ServerRequest {
  RequestKind kind = RequestKind::kPolicy;
  std::u16string domain;               // at most kMaxRequestName characters
  std::u16string user;                 // at most kMaxRequestName characters
  std::vector<uint32_t> failed_codes;  // the rule codes a rejection request names, in order
};

// Reads a request datagram (UTF-16LE strings, each ended by NUL): the kind, the domain, the
// user name and, for a rejection, the failed rule codes up to an empty field (a field that is
// not a rule code is ignored). Returns null for one of the four requests, else why it is
// none: an odd or a larger size than any request has, fewer than three ended fields, an
// unknown kind, a domain or user name longer than kMaxRequestName.
const char* ParseRequest(const char* data, size_t size, ServerRequest& request);

// Answers `request` from `store`. Returns the reply datagram's bytes (at most 8,190, whole
// UTF-16 characters). `summary` receives what was done, for the log: the policy chosen and the
// reply's size. A user whom no policy applies to gets an empty reply (one NUL), which the
// client takes as no policy at once instead of waiting for its time-out.
std::string AnswerRequest(const PolicyStore& store, const ServerRequest& request,
                          std::string& summary);

// ParseRequest, then AnswerRequest: no reply (empty) and the reason in `summary` for a
// datagram that is not a request.
std::string AnswerRequest(const PolicyStore& store, const char* data, size_t size,
                          std::string& summary);

}  // namespace hvn::tool

#endif  // HVN_TOOLS_HVNPOLICY_SERVE_POLICY_SERVER_H_
