#include "policy/complexity.h"

#include <gtest/gtest.h>

#include <string>

#include "policy/policy_test_util.h"

namespace hvn {
namespace {

TEST(CheckComplexity, CountsTakingPartClassesThatThePasswordUses) {
  struct Case {
    uint32_t flags[6];
    uint32_t min_level;
    std::u16string sets[6];
    std::u16string password;
    uint32_t outcome;
  };
  const Case cases[] = {
      {{1, 1, 1, 1, 1, 1}, 3, {}, u"Aa1", 1},
      {{1, 1, 1, 1, 1, 1}, 5, {}, u"Aa1", 2},  // Alpha, Upper, Lower, Numeric: 4
      {{1, 0, 0, 1, 0, 0}, 2, {}, u"abcdef", 2},
      {{1, 0, 0, 1, 0, 0}, 2, {}, u"abcde7", 1},
      {{2, 2, 2, 2, 2, 2}, 1, {}, u"Aa1!\u00e9", 2},  // a flag of 2 takes no part
      {{0, 0, 0, 0, 0, 0}, 1, {}, u"Aa1", 2},
      {{0, 0, 0, 0, 0, 0}, 0, {}, u"", 1},
      {{1, 1, 1, 1, 1, 1}, 6, {}, u"Aa1\u00e9", 1},  // \u00e9 counts for Special and High
      {{1, 1, 1, 1, 1, 1}, 7, {}, u"Aa1\u00e9", 2},
      {{1, 0, 0, 0, 0, 0}, 1, {u"abc"}, u"xyz", 2},  // a custom set replaces Alpha
      {{1, 0, 0, 0, 0, 0}, 1, {u"abc"}, u"xbz", 1},
      {{0, 0, 0, 1, 0, 0}, 1, {u"", u"", u"", u"#"}, u"123", 2},
      {{1, 1, 1, 1, 1, 1}, 2, {}, u"", 2},
  };
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    const Case& c = cases[i];
    ComplexityRule rule{};
    rule.csAlpha = c.flags[0];
    rule.csUpperAlpha = c.flags[1];
    rule.csLowerAlpha = c.flags[2];
    rule.csNumeric = c.flags[3];
    rule.csSpecial = c.flags[4];
    rule.csHigh = c.flags[5];
    rule.MinComplianceLevel = c.min_level;
    const char16_t* const sets[6] = {c.sets[0].c_str(), c.sets[1].c_str(), c.sets[2].c_str(),
                                     c.sets[3].c_str(), c.sets[4].c_str(), c.sets[5].c_str()};
    CheckContext context;
    test::PrepareNew(context, c.password);
    EXPECT_EQ(CheckComplexity(context, rule, sets), RuleOutcome{c.outcome}) << "case " << i;
  }
}

}  // namespace
}  // namespace hvn
