// How a check words what it found for its host's record (check_report.h): which finding an
// unanswered policy request is, and the detail texts. Portable.
#ifndef HVN_DIALOGS_CHECK_FINDINGS_H_
#define HVN_DIALOGS_CHECK_FINDINGS_H_

#include "dialogs/check_report.h"
#include "policy/password_policy.h"
#include "policy/rule_results.h"
#include "query/policy_servers.h"

namespace hvn {

// The finding of a policy request that brought no reply, from what its sweep saw: no server
// asked (none listed for the domain), an answer with an empty text (no policy applies),
// datagrams dropped by the strict sender check, or plain silence.
CheckFinding FindingOfNoReply(const SweepReport& sweep);

// True when `policy` enables at least one rule.
bool EnablesAnyRule(const PasswordPolicy& policy);

// True when `results` marks some rule not evaluable.
bool HasUnevaluatedRule(const RuleResults& results);

// The codes of the rules `results` marks failed ("2300, 2600") into `out`; when none failed
// (the policy's minimum number of passed rules refused the password) it says so.
void DescribeFailedRules(const RuleResults& results, char (&out)[kCheckDetailSize]);

// Each rule `results` marks not evaluable with why ("rule 3000: Dictionary <path> not opened:
// it is not inside a folder listed in DictionaryPaths."): the dictionary rule's refusal
// `dictionary_diagnostic` ("CheckDictionary: ..." as the rule composed it) when there is one,
// else that the policy's dictionary could not be opened or read. ANSI, cut on a character
// boundary to fit, always terminated.
void DescribeUnevaluatedRules(const RuleResults& results, const PasswordPolicy& policy,
                              const char* dictionary_diagnostic, char (&out)[kCheckDetailSize]);

}  // namespace hvn

#endif  // HVN_DIALOGS_CHECK_FINDINGS_H_
