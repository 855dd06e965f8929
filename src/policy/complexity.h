// Rule 3100: how many of the taking-part character classes the new password uses.
#ifndef HVN_POLICY_COMPLEXITY_H_
#define HVN_POLICY_COMPLEXITY_H_

#include <cstdint>

#include "policy/check_context.h"
#include "policy/password_policy.h"
#include "policy/rule_results.h"

namespace hvn {

// Counts the classes whose flag in `rule` is exactly 1 (csAlpha ... csHigh, classes 1 to 6)
// and of which the new password, as typed, holds at least one character anywhere; class n uses
// `char_sets[n - 1]` when that is not empty. Failed when the count is below the rule's own
// MinComplianceLevel, else passed.
RuleOutcome CheckComplexity(const CheckContext& context, const ComplexityRule& rule,
                            const char16_t* const (&char_sets)[6]);

}  // namespace hvn

#endif  // HVN_POLICY_COMPLEXITY_H_
