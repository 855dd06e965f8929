#include "policy/char_class.h"

#include <gtest/gtest.h>

#include <string>

#include "policy/evaluate_policy.h"
#include "policy/policy_test_util.h"

namespace hvn {
namespace {

using test::PrepareNew;

TEST(IsClassChar, BuiltInMembersPerCodeUnit) {
  struct Case {
    char16_t c;
    uint32_t members[6];  // classes 1 to 6
  };
  const Case cases[] = {
      {u'A', {1, 1, 0, 0, 0, 0}},      {u'Z', {1, 1, 0, 0, 0, 0}},
      {u'a', {1, 0, 1, 0, 0, 0}},      {u'z', {1, 0, 1, 0, 0, 0}},
      {u'0', {0, 0, 0, 1, 0, 0}},      {u'9', {0, 0, 0, 1, 0, 0}},
      {u'\x01', {0, 0, 0, 0, 1, 0}},   {u'/', {0, 0, 0, 0, 1, 0}},
      {u':', {0, 0, 0, 0, 1, 0}},      {u'@', {0, 0, 0, 0, 1, 0}},
      {u'[', {0, 0, 0, 0, 1, 0}},      {u'`', {0, 0, 0, 0, 1, 0}},
      {u'{', {0, 0, 0, 0, 1, 0}},      {u'~', {0, 0, 0, 0, 1, 0}},
      {u'\x7f', {0, 0, 0, 0, 1, 1}},   {u'\u00e9', {0, 0, 0, 0, 1, 1}},
      {u'\u00c9', {0, 0, 0, 0, 1, 1}}, {u'\uffff', {0, 0, 0, 0, 1, 1}},
      {u'\0', {0, 0, 0, 0, 0, 0}},
  };
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    for (uint32_t k = 0; k < 6; ++k) {
      EXPECT_EQ(IsClassChar(cases[i].c, k + 1), cases[i].members[k])
          << "case " << i << " class " << k + 1;
    }
    EXPECT_FALSE(IsClassChar(cases[i].c, 0)) << "case " << i;
    EXPECT_FALSE(IsClassChar(cases[i].c, 7)) << "case " << i;
  }
}

struct ClassCase {
  std::u16string password;
  std::u16string custom_set;
  uint32_t must_contain;
  uint32_t min_count;
  uint32_t embedded;
  uint32_t start_pos;
  uint32_t end_pos;
  uint32_t class_number;
  std::u16string region;
  uint32_t outcome;
};

void RunClassCases(const ClassCase* cases, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const ClassCase& c = cases[i];
    CheckContext context;
    PrepareNew(context, c.password);
    char16_t region[kRegionSize];
    uint32_t start = c.embedded ? 0 : c.start_pos;
    uint32_t end = c.embedded ? 0 : c.end_pos;
    size_t length = SelectRegion(region, context.NewPassword, start, end, c.embedded,
                                 c.custom_set.c_str(), c.class_number);
    EXPECT_EQ(std::u16string(region), c.region) << "case " << i;
    EXPECT_EQ(length, c.region.size()) << "case " << i;
    EXPECT_EQ(CheckCharClass(context, c.custom_set.c_str(), c.must_contain, c.min_count, c.embedded,
                             c.start_pos, c.end_pos, c.class_number),
              RuleOutcome{c.outcome})
        << "case " << i;
  }
}

TEST(CheckCharClass, RegionExamplesForTheNumericClass) {
  const ClassCase cases[] = {
      {u"abc1def", u"", 1, 1, 0, 0, 0, 4, u"abc1def", 1},
      {u"abcdef1", u"", 1, 1, 1, 0, 0, 4, u"abcdef", 2},
      {u"1abc2def3", u"", 1, 1, 1, 0, 0, 4, u"abc2def", 1},
      {u"a1bcdef", u"", 1, 1, 0, 3, 0, 4, u"bcdef", 2},
      {u"abcdef12", u"", 1, 1, 0, 0, 3, 4, u"abc", 2},
      {u"abcd12", u"", 1, 1, 0, 2, 5, 4, u"bcd1", 1},
  };
  RunClassCases(cases, sizeof(cases) / sizeof(cases[0]));
}

TEST(CheckCharClass, RegionBoundsAndCounts) {
  const ClassCase cases[] = {
      // Positions beyond the password.
      {u"abc1", u"", 1, 1, 0, 5, 0, 4, u"", 2},
      {u"abc1", u"", 1, 1, 0, 4, 0, 4, u"1", 1},
      {u"abc1", u"", 1, 1, 0, 2, 99, 4, u"bc1", 1},
      {u"abc1", u"", 1, 1, 0, 0, 99, 4, u"abc1", 1},
      {u"abc1", u"", 1, 1, 0, 4294967295u, 0, 4, u"", 2},
      // An end before the start gives an empty region.
      {u"1234", u"", 1, 1, 0, 3, 2, 4, u"", 2},
      {u"1234", u"", 0, 1, 0, 3, 2, 4, u"", 1},
      {u"1234", u"", 1, 1, 0, 3, 3, 4, u"3", 1},
      // Embedded ignores the positions and strips both runs.
      {u"12ab34", u"", 1, 1, 1, 2, 0, 4, u"ab", 2},
      {u"1a2", u"", 1, 1, 1, 2, 3, 4, u"a", 2},
      {u"123456", u"", 1, 1, 1, 0, 0, 4, u"", 2},
      {u"ab12", u"", 1, 1, 1, 0, 0, 4, u"ab", 2},
      // MinCount and MustContain.
      {u"a1b2c3", u"", 1, 3, 0, 0, 0, 4, u"a1b2c3", 1},
      {u"a1b2c3", u"", 1, 4, 0, 0, 0, 4, u"a1b2c3", 2},
      {u"abc", u"", 1, 0, 0, 0, 0, 4, u"abc", 1},
      {u"", u"", 1, 0, 0, 0, 0, 4, u"", 1},
      {u"", u"", 1, 1, 0, 0, 0, 4, u"", 2},
      {u"a1", u"", 1, 4294967295u, 0, 0, 0, 4, u"a1", 2},
      {u"abc", u"", 0, 5, 0, 0, 0, 4, u"abc", 1},
      {u"ab1", u"", 0, 5, 0, 0, 0, 4, u"ab1", 2},
      {u"Ab9", u"", 0, 1, 0, 0, 0, 5, u"Ab9", 1},  // 2400 forbidding specials
      {u"Ab9\u00e9", u"", 0, 1, 0, 0, 0, 5, u"Ab9\u00e9", 2},
      {u"\u00e9", u"", 1, 1, 0, 0, 0, 6, u"\u00e9", 1},
      {u"\u00e9", u"", 1, 1, 0, 0, 0, 1, u"\u00e9", 2},
      {u"\u00e9", u"", 1, 1, 0, 0, 0, 3, u"\u00e9", 2},
      // A custom set replaces the built-in class.
      {u"Hello", u"xyz", 1, 1, 0, 0, 0, 1, u"Hello", 2},
      {u"Hexlo", u"xyz", 1, 1, 0, 0, 0, 1, u"Hexlo", 1},
      {u"xHix", u"xxyz", 1, 1, 1, 0, 0, 1, u"Hi", 2},
      {u"a-b", u"-", 1, 1, 0, 0, 0, 4, u"a-b", 1},
  };
  RunClassCases(cases, sizeof(cases) / sizeof(cases[0]));
}

TEST(CheckCharClass, RuleEntriesUseTheirOwnClass) {
  PasswordPolicy policy;
  for (int class_number = 1; class_number <= 6; ++class_number) {
    CharClassRule& rule = policy.ClassRule(class_number);
    rule.Enabled = 1;
    rule.MustContain = 1;
    rule.MinCount = 1;
  }
  struct Case {
    std::u16string password;
    uint32_t outcomes[6];
  };
  const Case cases[] = {
      {u"a", {1, 2, 1, 2, 2, 2}}, {u"A", {1, 1, 2, 2, 2, 2}},      {u"5", {2, 2, 2, 1, 2, 2}},
      {u"#", {2, 2, 2, 2, 1, 2}}, {u"\u00e9", {2, 2, 2, 2, 1, 1}},
  };
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    CheckContext context;
    PrepareNew(context, cases[i].password);
    RuleResults results;
    EvaluatePolicy(results, context, policy);
    for (int k = 0; k < 6; ++k) {
      EXPECT_EQ(results.Outcome[k + 1], RuleOutcome{cases[i].outcomes[k]})
          << "case " << i << " rule " << k;
    }
  }
}

TEST(CheckCharClass, FullCustomSetIsReadWithinItsArray) {
  CharClassRule rule{};
  rule.MustContain = 1;
  rule.MinCount = 1;
  for (size_t i = 0; i < kCharSetCapacity; ++i) rule.CharSet[i] = u'x';
  rule.CharSet[kCharSetCapacity - 1] = u'q';
  CheckContext context;
  PrepareNew(context, u"q");
  EXPECT_EQ(CheckClassRule(context, rule, kClassAlpha), RuleOutcome::kPassed);
}

}  // namespace
}  // namespace hvn
