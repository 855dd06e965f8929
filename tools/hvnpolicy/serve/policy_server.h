// The answering side of the four requests, apart from the socket: a datagram in, the reply
// datagram and a log line out. Requests carry no password, and the log shows only what they
// carry.
#ifndef HVN_TOOLS_HVNPOLICY_SERVE_POLICY_SERVER_H_
#define HVN_TOOLS_HVNPOLICY_SERVE_POLICY_SERVER_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/policy_store.h"

namespace hvn::tool {

struct ServerRequest {
  std::u16string kind;
  std::u16string domain;
  std::u16string user;
  std::vector<std::u16string> fields;  // what follows the user name, in order
};

// Splits a request datagram (UTF-16LE strings, each ended by NUL) into its fields. Returns
// false for a datagram that is not one: an odd size, fewer than three ended fields.
bool ParseRequest(const char* data, size_t size, ServerRequest& request);

// The request's characters as a log shows them: "\0" for each NUL, "\a", "\t", "\r", "\n",
// "\\", "\uXXXX" for other control characters, UTF-8 otherwise; "\xHH" for a dangling byte.
std::string EscapeDatagram(const char* data, size_t size);

// Answers `data` (one datagram) from `store`. Returns the reply datagram's bytes, empty when
// nothing is to be sent (a malformed or unknown request). `summary` receives what was done,
// for the log: the policy chosen and the reply's size, or why nothing was sent. A user whom
// no policy applies to gets an empty reply (one NUL), which the client takes as no policy at
// once instead of waiting for its time-out.
std::string AnswerRequest(const PolicyStore& store, const char* data, size_t size,
                          std::string& summary);

}  // namespace hvn::tool

#endif  // HVN_TOOLS_HVNPOLICY_SERVE_POLICY_SERVER_H_
