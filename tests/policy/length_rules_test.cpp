#include "policy/length_rules.h"

#include <gtest/gtest.h>

#include <string>

#include "policy/policy_test_util.h"

namespace hvn {
namespace {

using test::PrepareNew;

TEST(CheckLength, BoundsAndTheSevenOrFourteenMode) {
  struct Case {
    size_t length;
    uint32_t min_length;
    uint32_t max_length;
    uint32_t exactly;
    uint32_t outcome;
  };
  const Case cases[] = {
      {7, 10, 0, 1, 1},    {14, 10, 0, 1, 1},         {10, 10, 0, 1, 2},         {0, 0, 0, 1, 2},
      {8, 8, 0, 2, 1},     {7, 8, 0, 2, 2},           {8, 8, 6, 0, 2},           {6, 8, 6, 0, 2},
      {0, 0, 0, 0, 1},     {127, 0, 0, 0, 1},         {8, 8, 8, 0, 1},           {9, 8, 8, 0, 2},
      {150, 0, 140, 0, 1},  // the context holds 127 characters
      {127, 128, 0, 0, 2}, {5, 0, 4294967295u, 0, 1}, {5, 4294967295u, 0, 0, 2},
  };
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    CheckContext context;
    PrepareNew(context, std::u16string(cases[i].length, u'k'));
    EXPECT_EQ(CheckLength(context, cases[i].min_length, cases[i].max_length, cases[i].exactly),
              RuleOutcome{cases[i].outcome})
        << "case " << i;
  }
}

TEST(CheckUniqueChars, CountsDistinctCodeUnitsCaseSensitively) {
  struct Case {
    std::u16string password;
    uint32_t distinct;
  };
  std::u16string all;
  for (char16_t c = 33; c < 33 + 127; ++c) all += c;
  const Case cases[] = {
      {u"aAbBaA", 4},
      {u"aaaa", 1},
      {u"", 0},
      {u"abcabc", 3},
      {u"\u00e9\u00c9e", 3},
      {all, 127},
      {std::u16string(127, u'z'), 1},
  };
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    CheckContext context;
    PrepareNew(context, cases[i].password);
    uint32_t distinct = cases[i].distinct;
    EXPECT_EQ(CheckUniqueChars(context, distinct), RuleOutcome::kPassed) << "case " << i;
    EXPECT_EQ(CheckUniqueChars(context, distinct + 1), RuleOutcome::kFailed) << "case " << i;
    EXPECT_EQ(CheckUniqueChars(context, 0), RuleOutcome::kPassed) << "case " << i;
  }
}

}  // namespace
}  // namespace hvn
