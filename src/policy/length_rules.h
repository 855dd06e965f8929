// Rules 2600 (length) and 2700 (distinct characters), on the new password as typed after the
// 127-character cut.
#ifndef HVN_POLICY_LENGTH_RULES_H_
#define HVN_POLICY_LENGTH_RULES_H_

#include <cstdint>

#include "policy/check_context.h"
#include "policy/rule_results.h"

namespace hvn {

// With `exactly_7_or_14` exactly 1: passed when the length is 7 or 14, else failed. Otherwise
// passed when the length is within the bounds (0 = no bound on that side), else failed.
RuleOutcome CheckLength(const CheckContext& context, uint32_t min_length, uint32_t max_length,
                        uint32_t exactly_7_or_14);

// Failed when the new password has fewer than `min_unique_chars` distinct UTF-16 code units
// (case matters: a and A are two), else passed.
RuleOutcome CheckUniqueChars(const CheckContext& context, uint32_t min_unique_chars);

}  // namespace hvn

#endif  // HVN_POLICY_LENGTH_RULES_H_
