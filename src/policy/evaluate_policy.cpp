#include "policy/char_class.h"
#include "policy/check_context.h"
#include "policy/complexity.h"
#include "policy/dictionary_rule.h"
#include "policy/length_rules.h"
#include "policy/similarity.h"

namespace hvn {
namespace {

// One rule of the fixed order: whether it is enabled and its check.
struct RuleEntry {
  uint32_t (*enabled)(const PasswordPolicy& policy);
  uint32_t (*check)(const CheckContext& context, const PasswordPolicy& policy);
};

uint32_t Check3100(const CheckContext& context, const PasswordPolicy& policy) {
  const char16_t* const char_sets[6] = {policy.rule2000.CharSet, policy.rule2100.CharSet,
                                        policy.rule2200.CharSet, policy.rule2300.CharSet,
                                        policy.rule2400.CharSet, policy.rule2500.CharSet};
  return CheckComplexity(context, policy.rule3100, char_sets);
}

// clang-format off
const RuleEntry kRules[kRuleCount] = {
    {[](const PasswordPolicy& p) { return p.rule1000.Enabled; },
     [](const CheckContext& c, const PasswordPolicy& p) { return CheckRule1000(c, p.rule1000); }},
    {[](const PasswordPolicy& p) { return p.rule2000.Enabled; },
     [](const CheckContext& c, const PasswordPolicy& p) { return CheckRule2000(c, p.rule2000); }},
    {[](const PasswordPolicy& p) { return p.rule2100.Enabled; },
     [](const CheckContext& c, const PasswordPolicy& p) { return CheckRule2100(c, p.rule2100); }},
    {[](const PasswordPolicy& p) { return p.rule2200.Enabled; },
     [](const CheckContext& c, const PasswordPolicy& p) { return CheckRule2200(c, p.rule2200); }},
    {[](const PasswordPolicy& p) { return p.rule2300.Enabled; },
     [](const CheckContext& c, const PasswordPolicy& p) { return CheckRule2300(c, p.rule2300); }},
    {[](const PasswordPolicy& p) { return p.rule2400.Enabled; },
     [](const CheckContext& c, const PasswordPolicy& p) { return CheckRule2400(c, p.rule2400); }},
    {[](const PasswordPolicy& p) { return p.rule2500.Enabled; },
     [](const CheckContext& c, const PasswordPolicy& p) { return CheckRule2500(c, p.rule2500); }},
    {[](const PasswordPolicy& p) { return p.rule2600.Enabled; },
     [](const CheckContext& c, const PasswordPolicy& p) {
       return CheckLength(c, p.rule2600.MinLength, p.rule2600.MaxLength, p.rule2600.Exactly7or14);
     }},
    {[](const PasswordPolicy& p) { return p.rule2700.Enabled; },
     [](const CheckContext& c, const PasswordPolicy& p) {
       return CheckUniqueChars(c, p.rule2700.MinUniqueChars);
     }},
    {[](const PasswordPolicy& p) { return p.rule2800.Enabled; },
     [](const CheckContext& c, const PasswordPolicy& p) { return CheckRule2800(c, p.rule2800); }},
    {[](const PasswordPolicy& p) { return p.rule2900.Enabled; },
     [](const CheckContext& c, const PasswordPolicy& p) { return CheckRule2900(c, p.rule2900); }},
    {[](const PasswordPolicy& p) { return p.rule3000.Enabled; },
     [](const CheckContext& c, const PasswordPolicy& p) { return CheckRule3000(c, p.rule3000); }},
    {[](const PasswordPolicy& p) { return p.rule3100.Enabled; }, Check3100},
};
// clang-format on

constexpr size_t kRule3100Index = 12;
static_assert(kRuleCodes[kRule3100Index] == 3100, "rule 3100 is the last of the fixed order");

}  // namespace

uint32_t EvaluatePolicy(RuleResults& results, const CheckContext& context,
                        const PasswordPolicy& policy) {
  for (uint32_t& outcome : results.Outcome) outcome = kNotEvaluated;
  results.Acceptable = 1;
  // Every enabled rule runs, also after a failure: the rejection request names them all.
  for (size_t i = 0; i < kRuleCount; ++i) {
    if (kRules[i].enabled(policy) != 0) results.Outcome[i] = kRules[i].check(context, policy);
  }
  ComputeVerdict(results, policy);
  return results.Acceptable;
}

void ComputeVerdict(RuleResults& results, const PasswordPolicy& policy) {
  if (policy.MinComplianceLevel == 0) {
    results.Acceptable = 1;
    for (uint32_t outcome : results.Outcome) {
      if (outcome == kFailed) results.Acceptable = 0;
    }
  } else {
    uint32_t passed = 0;
    for (uint32_t outcome : results.Outcome) {
      if (outcome == kPassed) ++passed;
    }
    results.Acceptable = passed >= policy.MinComplianceLevel ? 1 : 0;
  }
  if (results.Outcome[kRule3100Index] == kFailed && policy.rule3100.MustComply == 1) {
    results.Acceptable = 0;
  }
}

}  // namespace hvn
