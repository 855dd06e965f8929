#include "policy/similarity.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "policy/policy_test_util.h"

namespace hvn {
namespace {

using test::Prepare;

TEST(SubstituteLookalikes, ReplacesEachLookalikeByOneLetter) {
  const std::u16string in = u"!1|$5(<[{)>]}+02386 9^aZ\u00e9";
  const std::u16string expected = u"IIISSCCCCDDDDTOZBBG GAaZ\u00e9";
  char16_t out[64];
  EXPECT_EQ(SubstituteLookalikes(out, in.c_str(), sizeof(out)), in.size());
  EXPECT_EQ(std::u16string(out), expected);
}

TEST(SubstituteLookalikes, CutsToTheOutputAndClearsIt) {
  char16_t out[4] = {u'x', u'x', u'x', u'x'};
  EXPECT_EQ(SubstituteLookalikes(out, u"p4$$w0rd", sizeof(out)), 8u);
  EXPECT_EQ(std::u16string(out), u"p4S");
  char16_t two[2] = {u'x', u'x'};
  SubstituteLookalikes(two, u"", sizeof(two));
  EXPECT_EQ(two[0], u'\0');
  EXPECT_EQ(two[1], u'\0');
}

TEST(IsSimilar, SharedRunOfWindowCharacters) {
  struct Case {
    std::u16string haystack;
    std::u16string source;
    uint32_t window;
    bool similar;
  };
  const Case cases[] = {
      {u"JSMITH", u"JSMITH12", 5, true},
      {u"JSMITH", u"JSMXTH12", 5, false},
      {u"JSMITH", u"XSMITH", 5, true},
      {u"ABC", u"ABC", 4, false},  // source shorter than the window
      {u"ABCD", u"ABCD", 4, true},
      {u"", u"", 0, true},  // the empty run is everywhere
      {u"XYZ", u"Q", 0, true},
      {u"", u"A", 1, false},
      {u"abc", u"ABC", 1, false},  // exact comparison
      {u"ABC", u"CBA", 1, true},
      {u"ABC", u"CBA", 2, false},
      {std::u16string(300, u'A'), std::u16string(255, u'A'), 300, true},  // window limited to 255
      {std::u16string(300, u'A'), std::u16string(254, u'A'), 300, false},
  };
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    EXPECT_EQ(IsSimilar(cases[i].haystack.c_str(), cases[i].source.c_str(), cases[i].window),
              cases[i].similar)
        << "case " << i;
  }
}

TEST(CheckSimilarity, ReversedAndSubstitutedPasses) {
  struct Case {
    std::u16string haystack;
    std::u16string source;
    uint32_t bidir;
    uint32_t substitute;
    uint32_t window;
    uint32_t outcome;
  };
  const Case cases[] = {
      {u"JSMITH", u"HTIMSJ9", 0, 0, 5, 1},
      {u"JSMITH", u"HTIMSJ9", 1, 0, 5, 2},
      {u"PASSWORD", u"PA$$W0RD", 0, 0, 5, 1},
      {u"PASSWORD", u"PA$$W0RD", 0, 1, 5, 2},
      {u"PASSWORD", u"PA$$W0RD", 0, 2, 5, 2},  // any non-zero flag is on for these rules
      {u"PA55WORD", u"PASSWORD", 0, 1, 5, 2},  // the haystack is substituted too
      {u"PASSWORD", u"DR0WSSAP", 0, 1, 5, 1},
      {u"PASSWORD", u"DR0WSSAP", 1, 1, 5, 2},  // substituted, then reversed
      {u"TULIP", u"ORCHID", 1, 1, 2, 1},
  };
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    const Case& c = cases[i];
    EXPECT_EQ(
        CheckSimilarity(c.haystack.c_str(), c.source.c_str(), c.bidir, c.substitute, c.window),
        RuleOutcome{c.outcome})
        << "case " << i;
  }
}

TEST(SimilarityRules, RuleEntriesCompareTheRightTexts) {
  struct Case {
    std::u16string user;
    std::u16string old_password;
    std::u16string new_password;
    std::u16string text;
    uint32_t rule;  // 1000, 2800 or 2900
    uint32_t bidir;
    uint32_t tolerance;
    uint32_t outcome;
  };
  const Case cases[] = {
      {u"u", u"PASSWORD1", u"password2", u"", 1000, 0, 4, 2},
      {u"u", u"", u"password2", u"", 1000, 0, 4, 0},
      {u"u", u"password2", u"", u"", 1000, 0, 4, 0},
      {u"u", u"", u"", u"", 1000, 0, 4294967295u, 0},
      {u"u", u"abc", u"xyz", u"", 1000, 0, 4294967295u, 2},   // window 0 always fails
      {u"u", u"Winter2024!", u"winter", u"", 1000, 0, 4, 2},  // the shorter one is the source
      {u"u", u"winter", u"Winter2024!", u"", 1000, 0, 4, 2},
      {u"u", u"wint", u"Winter2024!", u"", 1000, 0, 4, 1},
      {u"jsmith", u"", u"jsmith12", u"", 2800, 0, 4, 2},
      {u"JSMITH", u"", u"HtimsJ9", u"", 2800, 1, 4, 2},
      {u"JSMITH", u"", u"HtimsJ9", u"", 2800, 0, 4, 1},
      {u"bob", u"", u"xoyz", u"", 2800, 0, 0, 2},  // tolerance 0: one shared character
      {u"bob", u"", u"xyz", u"", 2800, 0, 0, 1},
      {u"", u"", u"anything", u"", 2800, 0, 4, 1},
      {u"u", u"", u"xCorpor8", u"the acme corporation", 2900, 0, 4, 2},
      {u"u", u"", u"AcmeCo", u"the acme corporation", 2900, 0, 4, 1},
      {u"u", u"", u"x", u"", 2900, 0, 4294967295u, 2},
  };
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    const Case& c = cases[i];
    CheckContext context;
    Prepare(context, c.user, c.old_password, c.new_password, c.text);
    SimilarityRule rule{1, c.bidir, 0, c.tolerance, nullptr, nullptr};
    RuleOutcome outcome = c.rule == 1000   ? CheckRule1000(context, rule)
                          : c.rule == 2800 ? CheckRule2800(context, rule)
                                           : CheckRule2900(context, rule);
    EXPECT_EQ(outcome, RuleOutcome{c.outcome}) << "case " << i;
  }
}

TEST(SimilarityRules, Rule2900UpperCasesOnlyItsOwnCopy) {
  CheckContext context;
  Prepare(context, u"u", u"", u"WIDGETS", u"widgets");
  SimilarityRule rule{1, 0, 0, 4, nullptr, nullptr};
  EXPECT_EQ(CheckRule2900(context, rule), RuleOutcome::kFailed);
  EXPECT_EQ(std::u16string(context.Rule2900Text), u"widgets");
}

}  // namespace
}  // namespace hvn
