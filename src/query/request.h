// The four questions the clients put to a policy server, as UTF-16 texts whose fields each end
// in BEL (U+0007): the request kind, the domain, the user name and, for a rejection, the codes
// of the failed rules and one empty field. On the wire every BEL becomes NUL.
#ifndef HVN_QUERY_REQUEST_H_
#define HVN_QUERY_REQUEST_H_

#include <cstddef>
#include <cstdint>

#include "policy/rule_results.h"

namespace hvn {

constexpr size_t kRequestCapacity = 4096;  // characters of the request buffer, NUL included
constexpr char16_t kFieldEnd = u'\a';      // ends every field of a request

enum class RequestKind : uint32_t {
  kPolicy,                   // "30_POLICY"
  kPolicyMessage,            // "30_POLICY_MESSAGE"
  kRejectionMessage,         // "30_REJECTION_MESSAGE"
  kGenericRejectionMessage,  // "30_GENERIC_REJECTION_MESSAGE"
};

// The first field of a request of `kind` ("30_POLICY" ...), NUL-terminated.
const char16_t* RequestKindName(RequestKind kind);

// Formats "<kind>\a<domain>\a<user_name>\a" into `request`, a buffer of `capacity`
// characters; for kRejectionMessage one more "\a" follows (a rejection naming no rule).
// Null names count as empty. The result is always terminated: when the whole does not fit,
// the names are cut on a character boundary (the domain keeps as much as fits first); when
// not even the kind and the field ends fit, the request is left empty. Returns `request`.
char16_t* FormatRequest(RequestKind kind, char16_t* request, size_t capacity,
                        const char16_t* domain, const char16_t* user_name);

// Formats "30_REJECTION_MESSAGE\a<domain>\a<user_name>\a", then "<code>\a" for every rule
// whose outcome in `results` is RuleOutcome::kFailed (in rule order), then the final "\a". Bounded
// and terminated as FormatRequest: the codes are never cut, only the names. Returns `request`.
char16_t* FormatRejectionRequest(char16_t* request, size_t capacity, const RuleResults& results,
                                 const char16_t* domain, const char16_t* user_name);

// Copies the `length` characters of `request` into `wire` (room for `length` characters) with
// every BEL turned into NUL: the datagram's characters, each sent as two bytes.
void ToWireRequest(const char16_t* request, size_t length, char16_t* wire);

}  // namespace hvn

#endif  // HVN_QUERY_REQUEST_H_
