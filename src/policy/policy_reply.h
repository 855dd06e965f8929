// The wire form of the policy: the reply to 30_POLICY, a run of NUL-terminated records whose
// fields are separated by TAB, ending at the first empty record.
#ifndef HVN_POLICY_POLICY_REPLY_H_
#define HVN_POLICY_POLICY_REPLY_H_

#include <cstddef>
#include <cstdint>

#include "policy/password_policy.h"

namespace hvn {

// Fills `policy` from `reply` (record ends already NUL; the reply must end in an empty record,
// as the zero-filled reply buffer guarantees). Starts from SetDefaults and an empty rule-2900
// text; the rule-2900 text goes to `rule2900_text`, a buffer of `rule2900_capacity` characters,
// always terminated. Never fails; returns 0.
uint32_t ParsePolicyReply(PasswordPolicy& policy, char16_t* rule2900_text,
                          size_t rule2900_capacity, const char16_t* reply);

}  // namespace hvn

#endif  // HVN_POLICY_POLICY_REPLY_H_
