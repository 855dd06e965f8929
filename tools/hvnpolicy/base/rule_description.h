// A policy's rules and verdict in words, for administrators: what `check` prints beside each
// outcome and what `serve` puts in a message for a rule without a text of its own.
#ifndef HVN_TOOLS_HVNPOLICY_BASE_RULE_DESCRIPTION_H_
#define HVN_TOOLS_HVNPOLICY_BASE_RULE_DESCRIPTION_H_

#include <cstddef>
#include <cstdint>
#include <string>

#include "policy/check_context.h"
#include "policy/password_policy.h"
#include "policy/rule_results.h"

namespace hvn::tool {

// What rule `index` of `policy` asks, in words (its settings included). `rule2900_text` is the
// text rule 2900 compares with (may be null).
std::u16string DescribeRule(const PasswordPolicy& policy, size_t index,
                            const char16_t* rule2900_text);

// What the policy-wide threshold (and rule 3100's MustComply) make of the outcomes.
std::string DescribeThreshold(const PasswordPolicy& policy);

// "passed", "FAILED", "not evaluated" or "not evaluable".
const char* OutcomeName(RuleOutcome outcome);

}  // namespace hvn::tool

#endif  // HVN_TOOLS_HVNPOLICY_BASE_RULE_DESCRIPTION_H_
