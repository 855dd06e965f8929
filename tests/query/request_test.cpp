// Request formats: the exact characters of every request kind, the rejection codes, and the
// bounds of the request buffer. Runs in both builds.
#include "query/request.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace hvn {
namespace {

std::u16string Formatted(RequestKind kind, const char16_t* domain, const char16_t* user,
                         size_t capacity = kRequestCapacity) {
  std::u16string buffer(capacity + 8, u'#');
  FormatRequest(kind, &buffer[0], capacity, domain, user);
  EXPECT_EQ(buffer[capacity + 7], u'#');  // nothing written past the capacity
  return std::u16string(buffer.c_str());
}

RuleResults ResultsFailing(std::initializer_list<size_t> failed_entries) {
  RuleResults results;
  std::memset(&results, 0, sizeof(results));
  for (size_t i = 0; i < kRuleCount; ++i) results.Outcome[i] = RuleOutcome::kPassed;
  for (size_t entry : failed_entries) results.Outcome[entry] = RuleOutcome::kFailed;
  return results;
}

TEST(FormatRequest, WritesEachKindWithDomainAndUser) {
  struct Case {
    RequestKind kind;
    const char16_t* domain;
    const char16_t* user;
    std::u16string expected;
  };
  const Case cases[] = {
      {RequestKind::kPolicy, u"SALES", u"jdoe", u"30_POLICY\aSALES\ajdoe\a"},
      {RequestKind::kPolicyMessage, u"SALES", u"jdoe", u"30_POLICY_MESSAGE\aSALES\ajdoe\a"},
      {RequestKind::kGenericRejectionMessage, u"SALES", u"jdoe",
       u"30_GENERIC_REJECTION_MESSAGE\aSALES\ajdoe\a"},
      // A rejection naming no rule still ends in its empty field.
      {RequestKind::kRejectionMessage, u"SALES", u"jdoe", u"30_REJECTION_MESSAGE\aSALES\ajdoe\a\a"},
      {RequestKind::kPolicy, u"", u"jdoe", u"30_POLICY\a\ajdoe\a"},
      {RequestKind::kPolicy, nullptr, nullptr, u"30_POLICY\a\a\a"},
      // Names go as they stand: nothing is escaped.
      {RequestKind::kPolicy, u"a%sb", u"x\ty\u00e9", u"30_POLICY\aa%sb\ax\ty\u00e9\a"},
  };
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    EXPECT_EQ(Formatted(cases[i].kind, cases[i].domain, cases[i].user), cases[i].expected)
        << "case " << i;
  }
}

TEST(FormatRejectionRequest, ListsFailedCodesInRuleOrderThenTheEmptyField) {
  struct Case {
    RuleResults results;
    std::u16string expected;
  };
  RuleResults mixed = ResultsFailing({7, 11});
  mixed.Outcome[0] = RuleOutcome::kNotEvaluated;
  mixed.Outcome[3] = RuleOutcome::kNotEvaluable;  // only "failed" names a rule
  const Case cases[] = {
      {ResultsFailing({}), u"30_REJECTION_MESSAGE\aSALES\ajdoe\a\a"},
      {mixed, u"30_REJECTION_MESSAGE\aSALES\ajdoe\a2600\a3000\a\a"},
      {ResultsFailing({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}),
       u"30_REJECTION_MESSAGE\aSALES\ajdoe\a1000\a2000\a2100\a2200\a2300\a2400\a2500\a"
       u"2600\a2700\a2800\a2900\a3000\a3100\a\a"},
  };
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    char16_t buffer[kRequestCapacity];
    EXPECT_EQ(FormatRejectionRequest(buffer, kRequestCapacity, cases[i].results, u"SALES", u"jdoe"),
              buffer);
    EXPECT_EQ(std::u16string(buffer), cases[i].expected) << "case " << i;
  }
}

TEST(FormatRequest, CutsNamesToFitAndAlwaysTerminates) {
  const std::u16string long_domain(5000, u'D');
  const std::u16string long_user(5000, u'U');
  // Every capacity from nothing to past the whole: never overrun, always the field structure.
  for (size_t capacity = 0; capacity < 40; ++capacity) {
    std::u16string buffer(capacity + 4, u'#');
    FormatRequest(RequestKind::kPolicy, &buffer[0], capacity, u"SALES", u"jdoe");
    EXPECT_EQ(buffer.substr(capacity), u"####") << "capacity " << capacity;
    if (capacity == 0) continue;
    std::u16string text(buffer.c_str());
    ASSERT_LT(text.size(), capacity) << "capacity " << capacity;
    // Too small for the kind and its three field ends: left empty, never half a kind.
    if (capacity < 13) {
      EXPECT_EQ(text, u"") << "capacity " << capacity;
    } else {
      EXPECT_EQ(text.substr(0, 10), u"30_POLICY\a") << "capacity " << capacity;
      EXPECT_EQ(std::count(text.begin(), text.end(), u'\a'), 3) << "capacity " << capacity;
      EXPECT_EQ(text.back(), u'\a') << "capacity " << capacity;
    }
  }
  std::u16string full = Formatted(RequestKind::kPolicy, long_domain.c_str(), long_user.c_str());
  EXPECT_EQ(full.size(), kRequestCapacity - 1);
  // The domain keeps what fits first; the user name gets the rest (here nothing).
  EXPECT_EQ(full, u"30_POLICY\a" + std::u16string(kRequestCapacity - 13, u'D') + u"\a\a");
}

TEST(FormatRejectionRequest, KeepsEveryCodeWhenNamesMustBeCut) {
  const std::u16string long_user(5000, u'U');
  char16_t buffer[kRequestCapacity];
  FormatRejectionRequest(buffer, kRequestCapacity, ResultsFailing({0, 12}), u"SALES",
                         long_user.c_str());
  std::u16string text(buffer);
  EXPECT_EQ(text.size(), kRequestCapacity - 1);
  EXPECT_EQ(text.substr(text.size() - 12), u"\a1000\a3100\a\a");
  EXPECT_EQ(text.substr(0, 27), u"30_REJECTION_MESSAGE\aSALES\a");
}

TEST(FormatRequest, NeverSplitsASurrogatePair) {
  // "30_POLICY" + 3 field ends + NUL = 13: room for 2 characters of names at capacity 15.
  const char16_t domain[] = {u'A', 0xD83D, 0xDE00, 0};
  std::u16string text = Formatted(RequestKind::kPolicy, domain, u"", 15);
  EXPECT_EQ(text, u"30_POLICY\aA\a\a");
  text = Formatted(RequestKind::kPolicy, domain, u"", 16);
  EXPECT_EQ(text, std::u16string(u"30_POLICY\aA") + char16_t(0xD83D) + char16_t(0xDE00) + u"\a\a");
}

TEST(ToWireRequest, TurnsEveryFieldEndIntoNul) {
  const std::u16string request = u"30_POLICY\aSALES\ajdoe\a";
  std::u16string wire(request.size(), u'#');
  ToWireRequest(request.data(), request.size(), &wire[0]);
  EXPECT_EQ(wire, std::u16string(u"30_POLICY\0SALES\0jdoe\0", 21));
}

TEST(RequestKindName, NamesEveryKind) {
  EXPECT_EQ(std::u16string(RequestKindName(RequestKind::kPolicy)), u"30_POLICY");
  EXPECT_EQ(std::u16string(RequestKindName(RequestKind::kPolicyMessage)), u"30_POLICY_MESSAGE");
  EXPECT_EQ(std::u16string(RequestKindName(RequestKind::kRejectionMessage)),
            u"30_REJECTION_MESSAGE");
  EXPECT_EQ(std::u16string(RequestKindName(RequestKind::kGenericRejectionMessage)),
            u"30_GENERIC_REJECTION_MESSAGE");
}

}  // namespace
}  // namespace hvn
