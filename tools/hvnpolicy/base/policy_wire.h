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

struct PolicyWireForm {
  std::u16string text;  // the records, each ended by BEL
  // Texts holding TAB or BEL, which the wire form cannot carry: those characters are left out.
  std::vector<std::string> left_out;
  // Why the client could not read the policy as it is: a record longer than the 1,023
  // characters the client reads of one, or a reply longer than the 4,095 it receives, each
  // naming the longest text field ("2300_CharSet", "2900_Text", ...). Empty when it fits.
  std::string too_long;
};

// The wire form of `policy` with `rule2900_text` for rule 2900. Rule 3000 sends
// ClientDictFile (the path as the workstations reach it), or ServerDictFile when that is
// empty.
PolicyWireForm FormatPolicyReply(const PasswordPolicy& policy, const char16_t* rule2900_text);

}  // namespace hvn::tool

#endif  // HVN_TOOLS_HVNPOLICY_BASE_POLICY_WIRE_H_
