// The evaluation of a proposed password against a policy: every enabled rule's check, then
// the verdict.
#ifndef HVN_POLICY_EVALUATE_POLICY_H_
#define HVN_POLICY_EVALUATE_POLICY_H_

#include "policy/check_context.h"
#include "policy/dictionary_folders.h"
#include "policy/password_policy.h"
#include "policy/rule_results.h"

namespace hvn {

// Runs every enabled rule and reduces the outcomes to the verdict. Returns true when the
// password is acceptable; results.Acceptable holds the same as 1 or 0. `dictionary_access`,
// when given, limits the folders the dictionary rule opens files in (see CheckRule3000).
bool EvaluatePolicy(RuleResults& results, const CheckContext& context, const PasswordPolicy& policy,
                    DictionaryAccess* dictionary_access = nullptr);

// The verdict of the outcomes in `results` under `policy`, stored in results.Acceptable.
void ComputeVerdict(RuleResults& results, const PasswordPolicy& policy);

}  // namespace hvn

#endif  // HVN_POLICY_EVALUATE_POLICY_H_
