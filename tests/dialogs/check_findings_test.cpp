// How a check words its findings for the host's record: which finding an unanswered policy
// request is, and the detail texts. Runs in both builds.
#include "dialogs/check_findings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace hvn {
namespace {

SweepReport Sweep(const char* servers, uint32_t answers, uint32_t dropped) {
  SweepReport sweep = {};
  std::strcpy(sweep.servers_asked, servers);
  sweep.answers = answers;
  sweep.dropped = dropped;
  return sweep;
}

TEST(FindingOfNoReply, TellsWhyTheDomainsServersGaveNoPolicy) {
  struct Case {
    SweepReport sweep;
    CheckFinding finding;
  };
  const Case cases[] = {
      {Sweep("", 0, 0), CheckFinding::kNoServerListed},
      {Sweep("dc1", 0, 0), CheckFinding::kNoServerAnswered},
      {Sweep("dc1", 0, 3), CheckFinding::kRepliesDropped},
      {Sweep("dc1, dc2", 1, 3), CheckFinding::kNoPolicy},  // an empty answer says the most
  };
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i)
    EXPECT_EQ(FindingOfNoReply(cases[i].sweep), cases[i].finding) << "case " << i;
}

RuleResults Results(std::initializer_list<std::pair<size_t, RuleOutcome>> outcomes) {
  RuleResults results = {};
  for (const auto& [index, outcome] : outcomes) results.Outcome[index] = outcome;
  return results;
}

TEST(DescribeFindings, NameTheFailedRulesAndWhyARuleWasNotEvaluated) {
  constexpr size_t k2300 = 4, k2600 = 7, k3000 = 11;
  PasswordPolicy policy;
  std::strcpy(policy.rule3000.ServerDictFile, "\\\\files\\policy\\words.dic");
  struct Case {
    RuleResults results;
    const char* diagnostic;  // null: the failed rules are described
    std::string detail;
  };
  const Case cases[] = {
      {Results({{k2300, RuleOutcome::kFailed}, {k2600, RuleOutcome::kFailed}}), nullptr,
       "2300, 2600"},
      {Results({{k2600, RuleOutcome::kPassed}}), nullptr,
       "none; fewer rules passed than the policy requires"},
      {Results({{k3000, RuleOutcome::kNotEvaluable}}),
       "CheckDictionary: Dictionary <\\\\x\\y> not opened: it is not inside a folder listed in "
       "DictionaryPaths.\n",
       "rule 3000: Dictionary <\\\\x\\y> not opened: it is not inside a folder listed in "
       "DictionaryPaths."},
      {Results({{k3000, RuleOutcome::kNotEvaluable}}), "",
       "rule 3000: Dictionary <\\\\files\\policy\\words.dic> could not be opened or read."},
  };
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    char detail[kCheckDetailSize];
    std::memset(detail, 'x', sizeof(detail));
    if (cases[i].diagnostic == nullptr)
      DescribeFailedRules(cases[i].results, detail);
    else
      DescribeUnevaluatedRules(cases[i].results, policy, cases[i].diagnostic, detail);
    EXPECT_EQ(std::string(detail), cases[i].detail) << "case " << i;
  }
}

}  // namespace
}  // namespace hvn
