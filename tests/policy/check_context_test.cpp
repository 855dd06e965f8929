#include "policy/check_context.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "policy/evaluate_policy.h"
#include "policy/policy_reply.h"
#include "policy/policy_test_util.h"
#include "support/temp_dir.h"

namespace hvn {
namespace {

using test::Bytes;
using test::MakeReply;
using test::Prepare;
using test::PrepareNew;

// Index of a rule code in the fixed order.
size_t IndexOf(uint32_t code) {
  for (size_t i = 0; i < kRuleCount; ++i) {
    if (kRuleCodes[i] == code) return i;
  }
  return kRuleCount;
}

bool AllZero(const void* data, size_t size) {
  const unsigned char* bytes = static_cast<const unsigned char*>(data);
  for (size_t i = 0; i < size; ++i) {
    if (bytes[i] != 0) return false;
  }
  return true;
}

TEST(PrepareCheckContext, CopiesCutsAndUpperCasesEachText) {
  struct Case {
    std::u16string text;
    uint32_t bytes;
    std::u16string kept;
    std::u16string upper;
  };
  std::u16string long_text(200, u'a');
  const Case cases[] = {
      {u"jsmith", 12, u"jsmith", u"JSMITH"},
      {u"Pa\u00e9z-9", 12, u"Pa\u00e9z-9", u"PA\u00e9Z-9"},  // a-z only: \u00e9 stays
      {u"abcdef", 5, u"ab", u"AB"},                          // odd count rounds down
      {long_text, 400, std::u16string(127, u'a'), std::u16string(127, u'A')},
      {long_text.substr(0, 127), 254, long_text.substr(0, 127), std::u16string(127, u'A')},
      {long_text.substr(0, 128), 256, long_text.substr(0, 127), std::u16string(127, u'A')},
      {u"ab\0cd", 10, u"ab", u"AB"},  // a NUL ends the text
      {u"", 0, u"", u""},
  };
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    const Case& c = cases[i];
    auto context = std::make_unique<CheckContext>();
    PrepareCheckContext(*context, c.text.data(), c.bytes, c.text.data(), c.bytes, c.text.data(),
                        c.bytes, c.text.data(), c.bytes);
    uint32_t length = static_cast<uint32_t>(c.kept.size());
    EXPECT_EQ(std::u16string(context->UserName), c.kept) << "case " << i;
    EXPECT_EQ(std::u16string(context->OldPassword), c.kept) << "case " << i;
    EXPECT_EQ(std::u16string(context->NewPassword), c.kept) << "case " << i;
    EXPECT_EQ(std::u16string(context->UserNameUpper), c.upper) << "case " << i;
    EXPECT_EQ(std::u16string(context->OldPasswordUpper), c.upper) << "case " << i;
    EXPECT_EQ(std::u16string(context->NewPasswordUpper), c.upper) << "case " << i;
    EXPECT_EQ(context->UserNameLength, length) << "case " << i;
    EXPECT_EQ(context->OldPasswordLength, length) << "case " << i;
    EXPECT_EQ(context->NewPasswordLength, length) << "case " << i;
    EXPECT_EQ(std::u16string(context->Rule2900Text), c.kept) << "case " << i;  // not upper
  }
}

TEST(PrepareCheckContext, AbsentTextsStayEmptyAndStaleContentIsCleared) {
  CheckContext context;
  std::memset(&context, 0x41, sizeof(context));
  PrepareCheckContext(context, nullptr, 20, nullptr, 20, u"new", 6, nullptr, 20);
  EXPECT_EQ(context.UserNameLength, 0u);
  EXPECT_EQ(context.OldPasswordLength, 0u);
  EXPECT_TRUE(AllZero(context.UserName, sizeof(context.UserName)));
  EXPECT_TRUE(AllZero(context.OldPasswordUpper, sizeof(context.OldPasswordUpper)));
  EXPECT_TRUE(AllZero(context.Rule2900Text, sizeof(context.Rule2900Text)));
  EXPECT_TRUE(AllZero(context.NewPassword + 3, sizeof(context.NewPassword) - 6));
  EXPECT_EQ(context.NewPasswordLength, 3u);
}

TEST(ClearCheckContext, LeavesNoPasswordText) {
  CheckContext context;
  test::Prepare(context, u"jsmith", u"OldSecret1", u"NewSecret2", u"Acme");
  ClearCheckContext(context);
  EXPECT_TRUE(AllZero(&context, sizeof(context)));
}

TEST(ComputeVerdict, ThresholdModesAndMustComply) {
  struct Case {
    uint32_t min_compliance;
    uint32_t must_comply;
    uint32_t outcomes[kRuleCount];
    uint32_t acceptable;
  };
  const Case cases[] = {
      // Threshold 0: acceptable exactly when no outcome is 2.
      {0, 0, {}, 1},
      {0, 0, {1, 1, 1, 3, 0, 0, 0, 0, 0, 0, 0, 3, 0}, 1},
      {0, 0, {1, 1, 1, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0},
      // Threshold n: at least n outcomes equal to 1; failures do not matter.
      {3, 0, {1, 1, 1, 2, 2, 0, 0, 0, 0, 0, 0, 0, 0}, 1},
      {4, 0, {1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0},
      {1, 0, {}, 0},
      {2, 0, {1, 3, 3, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0},  // 3 does not count as passed
      {4294967295u, 0, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, 0},
      // A failed rule 3100 refuses the password when MustComply is exactly 1.
      {2, 1, {1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2}, 0},
      {2, 2, {1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2}, 1},
      {0, 1, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2}, 0},
      {2, 1, {1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}, 1},
      {0, 1, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0}, 0},
  };
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    PasswordPolicy policy;
    policy.MinComplianceLevel = cases[i].min_compliance;
    policy.rule3100.MustComply = cases[i].must_comply;
    RuleResults results;
    std::memcpy(results.Outcome, cases[i].outcomes, sizeof(results.Outcome));
    results.Acceptable = 7;
    ComputeVerdict(results, policy);
    EXPECT_EQ(results.Acceptable, cases[i].acceptable) << "case " << i;
  }
}

struct Evaluation {
  PasswordPolicy policy;
  CheckContext context;
  RuleResults results;
  char16_t rule2900[kRule2900TextCapacity];

  uint32_t Run(const std::u16string& reply, const std::u16string& user,
               const std::u16string& old_password, const std::u16string& new_password) {
    ParsePolicyReply(policy, rule2900, kRule2900TextCapacity, reply.c_str());
    std::u16string text(rule2900);
    Prepare(context, user, old_password, new_password, text);
    std::memset(&results, 0x77, sizeof(results));
    return EvaluatePolicy(results, context, policy);
  }
  RuleOutcome Outcome(uint32_t code) const { return results.Outcome[IndexOf(code)]; }
};

TEST(EvaluatePolicy, WorkedEvaluationFailsOnTheUserName) {
  Evaluation e;
  uint32_t verdict =
      e.Run(MakeReply({u"2300\t1\t\t1\t0\t0\t0", u"2600\t8\t0\t0", u"2800\t0\t0\t4"}), u"jsmith",
            u"", u"jsmith12");
  EXPECT_EQ(verdict, 0u);
  EXPECT_EQ(e.results.Acceptable, 0u);
  for (size_t i = 0; i < kRuleCount; ++i) {
    uint32_t code = kRuleCodes[i];
    uint32_t expected = code == 2300 || code == 2600 ? 1 : code == 2800 ? 2 : 0;
    EXPECT_EQ(e.results.Outcome[i], RuleOutcome{expected}) << code;
  }
}

TEST(EvaluatePolicy, EveryRuleReachesItsCheckWithItsOwnFields) {
  // Each row enables one rule through the reply and names the outcome for one password.
  struct Case {
    std::u16string record;
    std::u16string user;
    std::u16string old_password;
    std::u16string new_password;
    uint32_t code;
    uint32_t outcome;
  };
  const Case cases[] = {
      {u"1000\t0\t0\t4", u"u", u"PASSWORD1", u"password2", 1000, 2},
      {u"1000\t0\t0\t4", u"u", u"", u"password2", 1000, 0},
      {u"1000\t0\t0\t4", u"u", u"Tulip77", u"Orchid88", 1000, 1},
      {u"2000\t1\t\t2\t0\t0\t0", u"u", u"", u"12a", 2000, 2},
      {u"2100\t1\t\t1\t0\t0\t0", u"u", u"", u"abcD", 2100, 1},
      {u"2200\t0\t\t1\t0\t0\t0", u"u", u"", u"ABCd", 2200, 2},
      {u"2300\t1\t\t1\t1\t0\t0", u"u", u"", u"abcdef1", 2300, 2},
      {u"2400\t1\t\t1\t0\t0\t0", u"u", u"", u"abc!", 2400, 1},
      {u"2500\t1\t\t1\t0\t0\t0", u"u", u"", u"abc!", 2500, 2},
      {u"2600\t0\t0\t1", u"u", u"", u"abcdefghijklmn", 2600, 1},
      {u"2700\t4", u"u", u"", u"aAbBaA", 2700, 1},
      {u"2700\t5", u"u", u"", u"aAbBaA", 2700, 2},
      {u"2800\t1\t0\t4", u"JSMITH", u"", u"HtimsJ9", 2800, 2},
      {u"2900\t0\t0\t4\tacme widgets", u"u", u"", u"xWIDGETx", 2900, 2},
      {u"3000\t\t0\t0\t4", u"u", u"", u"whatever", 3000, 3},
      {u"3100\t1\t1\t1\t1\t0\t0\t3\t0", u"u", u"", u"Aa1", 3100, 1},
  };
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    const Case& c = cases[i];
    Evaluation e;
    e.Run(MakeReply({c.record}), c.user, c.old_password, c.new_password);
    for (size_t k = 0; k < kRuleCount; ++k) {
      uint32_t expected = kRuleCodes[k] == c.code ? c.outcome : 0;
      EXPECT_EQ(e.results.Outcome[k], RuleOutcome{expected})
          << "case " << i << " rule " << kRuleCodes[k];
    }
  }
}

TEST(EvaluatePolicy, MissingDictionaryIsNotEvaluableAndDoesNotRefuse) {
  test::TempDir dir;
  std::string path = dir.path() + "/missing.dic";
  Evaluation e;
  std::u16string reply = MakeReply({u"3000\t" + test::Wide(path) + u"\t0\t0\t4", u"2600\t4"});
  EXPECT_EQ(e.Run(reply, u"u", u"", u"longenough"), 1u);
  EXPECT_EQ(e.Outcome(3000), RuleOutcome::kNotEvaluable);
  EXPECT_EQ(e.Outcome(2600), RuleOutcome::kPassed);
}

TEST(EvaluatePolicy, EveryEnabledRuleRunsAfterAFailure) {
  Evaluation e;
  e.Run(MakeReply({u"1000\t0\t0\t4", u"2600\t20", u"2700\t30", u"2800\t0\t0\t0"}), u"bob",
        u"secret99", u"secret98");
  EXPECT_EQ(e.Outcome(1000), RuleOutcome::kFailed);
  EXPECT_EQ(e.Outcome(2600), RuleOutcome::kFailed);
  EXPECT_EQ(e.Outcome(2700), RuleOutcome::kFailed);
  EXPECT_EQ(e.Outcome(2800), RuleOutcome::kPassed);  // no B, O in SECRET98
}

TEST(EvaluatePolicy, RulesSeeOnlyThe127CharacterCut) {
  Evaluation e;
  std::u16string password = std::u16string(127, u'a') + std::u16string(73, u'7');
  e.Run(MakeReply({u"2600\t0\t140", u"2300\t0\t\t0\t0\t0\t0"}), u"u", u"", password);
  EXPECT_EQ(e.context.NewPasswordLength, 127u);
  EXPECT_EQ(e.Outcome(2600), RuleOutcome::kPassed);  // 200 characters typed, 127 seen
  EXPECT_EQ(e.Outcome(2300), RuleOutcome::kPassed);  // the digits were cut off
}

TEST(EvaluatePolicy, AccentedLettersInTheUserNameKeepTheirCase) {
  Evaluation e;
  e.Run(MakeReply({u"2800\t0\t0\t3"}), u"\u00e9lo\u00efse", u"", u"\u00c9LO\u00cfSE1");
  EXPECT_EQ(e.Outcome(2800), RuleOutcome::kPassed);  // \u00e9 and \u00c9 differ
  e.Run(MakeReply({u"2800\t0\t0\t3"}), u"\u00e9lo\u00efse", u"", u"\u00e9LO\u00efSE1");
  EXPECT_EQ(e.Outcome(2800), RuleOutcome::kFailed);
}

TEST(EvaluatePolicy, NoRuleEnabled) {
  Evaluation e;
  EXPECT_EQ(e.Run(MakeReply({u"77"}), u"u", u"", u"x"), 1u);
  EXPECT_EQ(e.Run(MakeReply({u"0\t1"}), u"u", u"", u"x"), 0u);
}

}  // namespace
}  // namespace hvn
