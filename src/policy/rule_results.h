// What one evaluation found: each rule's outcome and the verdict.
#ifndef HVN_POLICY_RULE_RESULTS_H_
#define HVN_POLICY_RULE_RESULTS_H_

#include <cstdint>

#include "policy/password_policy.h"

namespace hvn {

// The outcome of one rule check. The values are those of the results record.
enum class RuleOutcome : uint32_t {
  kNotEvaluated = 0,  // the rule is disabled, or rule 1000 found a password empty
  kPassed = 1,
  kFailed = 2,        // only this outcome names the rule in the rejection request
  kNotEvaluable = 3,  // rule 3000 could not read its dictionary file
};

struct RuleResults {
  RuleOutcome Outcome[kRuleCount];  // in the order of kRuleCodes
  uint32_t Acceptable;
};

}  // namespace hvn

#endif  // HVN_POLICY_RULE_RESULTS_H_
