// The policy as a policy server sends it: the reply to 30_POLICY, one record per enabled rule
// (fields joined by TAB, each record ended by BEL), which the client's parser turns back into
// the same rules.
#ifndef HVN_TOOLS_HVNPOLICY_BASE_POLICY_WIRE_H_
#define HVN_TOOLS_HVNPOLICY_BASE_POLICY_WIRE_H_

#include <string>
#include <vector>

#include "policy/password_policy.h"

namespace hvn::tool {

// The most characters of a reply the client receives (8,190 bytes).
constexpr size_t kMaxReplyCharacters = 4095;

// The wire form of `policy` with `rule2900_text` for rule 2900. Rule 3000 sends
// ClientDictFile (the path as the workstations reach it), or ServerDictFile when that is
// empty. What the client could not read back as it is (a text with TAB or BEL, a record
// longer than 1,023 characters, a reply longer than 4,095) is added to `problems`; such
// characters are left out of the text.
std::u16string FormatPolicyReply(const PasswordPolicy& policy, const char16_t* rule2900_text,
                                 std::vector<std::string>& problems);

}  // namespace hvn::tool

#endif  // HVN_TOOLS_HVNPOLICY_BASE_POLICY_WIRE_H_
