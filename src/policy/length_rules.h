// Rules 2600 (length) and 2700 (distinct characters), on the new password as typed after the
// 127-character cut.
#ifndef HVN_POLICY_LENGTH_RULES_H_
#define HVN_POLICY_LENGTH_RULES_H_

#include <cstdint>

#include "policy/check_context.h"

namespace hvn {

// With `exactly_7_or_14` exactly 1: 1 when the length is 7 or 14, else 2. Otherwise 1 when
// the length is within the bounds (0 = no bound on that side), else 2.
uint32_t CheckLength(const CheckContext& context, uint32_t min_length, uint32_t max_length,
                     uint32_t exactly_7_or_14);

// 2 when the new password has fewer than `min_unique_chars` distinct UTF-16 code units (case
// matters: a and A are two), else 1.
uint32_t CheckUniqueChars(const CheckContext& context, uint32_t min_unique_chars);

}  // namespace hvn

#endif  // HVN_POLICY_LENGTH_RULES_H_
