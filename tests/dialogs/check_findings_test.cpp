// The detail texts a check reports: the failed rules, and why a rule was not evaluated (the
// findings themselves are rows of the Winlogon bench's end-to-end tests). Both builds.
#include "dialogs/check_findings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace hvn {
namespace {

TEST(DescribeFindings, NameTheFailedRulesAndWhyTheDictionaryWasNotOpened) {
  constexpr size_t k2300 = 4, k2600 = 7, k3000 = 11;
  PasswordPolicy policy;
  char detail[kCheckDetailSize];
  RuleResults results = {};
  DescribeFailedRules(results, detail);
  EXPECT_STREQ(detail, "none; fewer rules passed than the policy requires");
  results.Outcome[k2300] = results.Outcome[k2600] = RuleOutcome::kFailed;
  DescribeFailedRules(results, detail);
  EXPECT_STREQ(detail, "2300, 2600");

  results = {};
  results.Outcome[k3000] = RuleOutcome::kNotEvaluable;
  DescribeUnevaluatedRules(results, policy,
                           "CheckDictionary: Dictionary <\\\\x\\y> not opened: it is not inside "
                           "a folder listed in DictionaryPaths.\n",
                           detail);
  EXPECT_STREQ(detail,
               "rule 3000: Dictionary <\\\\x\\y> not opened: it is not inside a folder listed in "
               "DictionaryPaths.");
}

}  // namespace
}  // namespace hvn
