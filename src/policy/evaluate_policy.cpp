#include "policy/evaluate_policy.h"

#include "policy/char_class.h"
#include "policy/complexity.h"
#include "policy/dictionary_rule.h"
#include "policy/length_rules.h"
#include "policy/policy_fields.h"
#include "policy/similarity.h"

namespace hvn {
namespace {

constexpr size_t kRule3100Index = 12;
static_assert(kRuleCodes[kRule3100Index] == 3100, "rule 3100 is the last of the fixed order");

// The check of the rule at `index` of the fixed order, with that rule's fields.
RuleOutcome CheckRule(size_t index, const CheckContext& context, const PasswordPolicy& policy,
                      DictionaryAccess* dictionary_access) {
  switch (kRuleCodes[index]) {
    case 1000:
      return CheckRule1000(context, policy.rule1000);
    case 2000:
    case 2100:
    case 2200:
    case 2300:
    case 2400:
    case 2500: {
      int class_number = static_cast<int>(index);  // rules 2000 to 2500 stand at 1 to 6
      return CheckClassRule(context, policy.ClassRule(class_number),
                            static_cast<uint32_t>(class_number));
    }
    case 2600:
      return CheckLength(context, policy.rule2600.MinLength, policy.rule2600.MaxLength,
                         policy.rule2600.Exactly7or14);
    case 2700:
      return CheckUniqueChars(context, policy.rule2700.MinUniqueChars);
    case 2800:
      return CheckRule2800(context, policy.rule2800);
    case 2900:
      return CheckRule2900(context, policy.rule2900);
    case 3000:
      return CheckRule3000(context, policy.rule3000, dictionary_access);
    case 3100: {
      const char16_t* const char_sets[6] = {policy.rule2000.CharSet, policy.rule2100.CharSet,
                                            policy.rule2200.CharSet, policy.rule2300.CharSet,
                                            policy.rule2400.CharSet, policy.rule2500.CharSet};
      return CheckComplexity(context, policy.rule3100, char_sets);
    }
  }
  return RuleOutcome::kNotEvaluated;  // no rule has another code
}

}  // namespace

bool EvaluatePolicy(RuleResults& results, const CheckContext& context, const PasswordPolicy& policy,
                    DictionaryAccess* dictionary_access) {
  for (RuleOutcome& outcome : results.Outcome) outcome = RuleOutcome::kNotEvaluated;
  results.Acceptable = 1;
  // Every enabled rule runs, also after a failure: the rejection request names them all.
  for (size_t i = 0; i < kRuleCount; ++i) {
    if (IsRuleEnabled(policy, i))
      results.Outcome[i] = CheckRule(i, context, policy, dictionary_access);
  }
  ComputeVerdict(results, policy);
  return results.Acceptable != 0;
}

void ComputeVerdict(RuleResults& results, const PasswordPolicy& policy) {
  if (policy.MinComplianceLevel == 0) {
    results.Acceptable = 1;
    for (RuleOutcome outcome : results.Outcome) {
      if (outcome == RuleOutcome::kFailed) results.Acceptable = 0;
    }
  } else {
    uint32_t passed = 0;
    for (RuleOutcome outcome : results.Outcome) {
      if (outcome == RuleOutcome::kPassed) ++passed;
    }
    results.Acceptable = passed >= policy.MinComplianceLevel ? 1 : 0;
  }
  if (results.Outcome[kRule3100Index] == RuleOutcome::kFailed && policy.rule3100.MustComply == 1) {
    results.Acceptable = 0;
  }
}

}  // namespace hvn
