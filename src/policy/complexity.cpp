#include "policy/complexity.h"

#include "policy/char_class.h"

namespace hvn {

RuleOutcome CheckComplexity(const CheckContext& context, const ComplexityRule& rule,
                            const char16_t* const (&char_sets)[6]) {
  const uint32_t flags[6] = {rule.csAlpha,   rule.csUpperAlpha, rule.csLowerAlpha,
                             rule.csNumeric, rule.csSpecial,    rule.csHigh};
  uint32_t count = 0;
  for (uint32_t i = 0; i < 6; ++i) {
    if (flags[i] != 1) continue;
    if (CheckCharClass(context, char_sets[i], 1, 1, 0, 0, 0, i + 1) == RuleOutcome::kPassed)
      ++count;
  }
  return count < rule.MinComplianceLevel ? RuleOutcome::kFailed : RuleOutcome::kPassed;
}

}  // namespace hvn
