// The texts a policy server answers the three message requests with, composed from the
// policy's templates ("MsgPolTemplate", "MsgRejTemplate", "MsgRejGeneric") and its rules'
// texts ("<code>msg_Pol", "<code>msg_Rej"). Placeholders, in templates and rule texts alike:
//   {user}    the user name of the request      {domain}  the domain of the request
//   {policy}  the policy's name                 {codes}   the failed rule codes, "2600, 3000"
//   {rules}   the rules' texts, one a line      {nl}      a line break
// {rules} lists, for the policy message and the generic rejection, every enabled rule's
// policy text; for a rejection, the rejection text of every failed rule (every enabled rule's
// policy text when the request names none). A rule without its own text is described in
// words. Anything else in braces stays as it is. A missing template has a default.
#ifndef HVN_TOOLS_HVNPOLICY_SERVE_POLICY_MESSAGES_H_
#define HVN_TOOLS_HVNPOLICY_SERVE_POLICY_MESSAGES_H_

#include <cstdint>
#include <string>
#include <vector>

#include "base/policy_store.h"

namespace hvn::tool {

enum class MessageKind { kPolicy, kRejection, kGenericRejection };

// The most characters of a message: a reply holds 4,095 and the text ends with NUL.
constexpr size_t kMaxMessageCharacters = 4094;

// The message of `kind` for `user` of `domain` under `stored`; `failed_codes` are the codes a
// rejection request named. The expansion stops as soon as kMaxMessageCharacters are written,
// so however many placeholders the texts hold, nothing longer is ever built; the cut never
// falls inside a surrogate pair. BEL and NUL (which would end the text early) become spaces.
std::u16string ComposeMessage(MessageKind kind, const StoredPolicy& stored,
                              const std::u16string& domain, const std::u16string& user,
                              const std::vector<uint32_t>& failed_codes);

}  // namespace hvn::tool

#endif  // HVN_TOOLS_HVNPOLICY_SERVE_POLICY_MESSAGES_H_
