#include "policy/policy_reply.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "policy/policy_test_util.h"

namespace hvn {
namespace {

using test::MakeReply;

struct Parsed {
  PasswordPolicy policy;
  char16_t text[kRule2900TextCapacity];
  std::u16string Text() const { return std::u16string(text); }
};

void Parse(Parsed& parsed, const std::u16string& reply) {
  std::memset(parsed.text, 0x55, sizeof(parsed.text));  // stale content must go
  EXPECT_EQ(ParsePolicyReply(parsed.policy, parsed.text, kRule2900TextCapacity, reply.c_str()), 0u);
}

uint32_t EnabledCount(const PasswordPolicy& p) {
  uint32_t count = 0;
  for (uint32_t enabled :
       {p.rule1000.Enabled, p.rule2000.Enabled, p.rule2100.Enabled, p.rule2200.Enabled,
        p.rule2300.Enabled, p.rule2400.Enabled, p.rule2500.Enabled, p.rule2600.Enabled,
        p.rule2700.Enabled, p.rule2800.Enabled, p.rule2900.Enabled, p.rule3000.Enabled,
        p.rule3100.Enabled}) {
    count += enabled != 0;
  }
  return count;
}

TEST(ReadNumberField, ReadsLikeAtolWithWrapAround) {
  struct Case {
    std::u16string field;
    uint32_t value;
  };
  const Case cases[] = {
      {u"8", 8},
      {u"", 0},
      {u"abc", 0},
      {u"2000x", 2000},
      {u" 2600", 2600},
      {u"\v\f\r\n 12", 12},
      {u"-1", 4294967295u},
      {u"+17", 17},
      {u"- 5", 0},
      {u"--5", 0},
      {u"4294967295", 4294967295u},
      {u"4294967296", 0},  // wraps to 32 bits
      {u"4294967301", 5},
      {u"-2147483648", 2147483648u},
      {u"9999999999999999999", 2313682943u},  // 19 digits, defined wrap-around
      {u"0000000000000000001", 1},            // 19 characters: all read
      {u"00000000000000000001", 0},           // the 20th character is not read
      {u"                  7", 7},
      {u"                   7", 0},
      {u"\uff11", 0},  // full-width digit: not ASCII, stops
      {u"1\u00b22", 1},
  };
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    EXPECT_EQ(ReadNumberField(cases[i].field.data(), cases[i].field.size()), cases[i].value)
        << "case " << i;
  }
}

TEST(ParsePolicyReply, SingleLengthRecordEnablesOnlyThatRule) {
  Parsed parsed;
  Parse(parsed, MakeReply({u"2600\t8"}));
  EXPECT_EQ(parsed.policy.rule2600.Enabled, 1u);
  EXPECT_EQ(parsed.policy.rule2600.MinLength, 8u);
  EXPECT_EQ(parsed.policy.rule2600.MaxLength, 0u);
  EXPECT_EQ(parsed.policy.rule2600.Exactly7or14, 0u);
  EXPECT_EQ(EnabledCount(parsed.policy), 1u);
  EXPECT_EQ(parsed.policy.MinComplianceLevel, 0u);
  EXPECT_EQ(parsed.Text(), u"");
}

TEST(ParsePolicyReply, WorkedExampleOfThreeRecords) {
  Parsed parsed;
  Parse(parsed, MakeReply({u"2600\t8\t0\t0", u"2300\t1\t\t2\t0\t0\t0", u"3001\t1"}));
  const PasswordPolicy& p = parsed.policy;
  EXPECT_EQ(p.rule2600.Enabled, 1u);
  EXPECT_EQ(p.rule2600.MinLength, 8u);
  EXPECT_EQ(p.rule2300.Enabled, 1u);
  EXPECT_EQ(p.rule2300.MustContain, 1u);
  EXPECT_EQ(p.rule2300.CharSet[0], u'\0');
  EXPECT_EQ(p.rule2300.MinCount, 2u);
  EXPECT_EQ(p.rule3000.Wildcard, 1u);
  EXPECT_EQ(p.rule3000.Enabled, 0u);
  EXPECT_EQ(EnabledCount(p), 2u);
}

TEST(ParsePolicyReply, EveryKeyStoresItsFieldsInOrder) {
  Parsed parsed;
  Parse(parsed, MakeReply({
                    u"0\t3",
                    u"1000\t1\t2\t3",
                    u"2000\t0\tabc\t5\t1\t2\t9",
                    u"2100\t1\tXY\t6\t0\t3\t4",
                    u"2200\t1\t\t7",
                    u"2300\t1\t0123\t8",
                    u"2400\t1\t!?\t9",
                    u"2500\t1\t\u00e9\t10",
                    u"2600\t6\t20\t1",
                    u"2700\t5",
                    u"2800\t1\t0\t2",
                    u"2900\t0\t1\t3\tAcme Widgets",
                    u"3000\tC:\\dict\\words.dic\t1\t1\t5",
                    u"3001\t1",
                }));
  const PasswordPolicy& p = parsed.policy;
  EXPECT_EQ(p.MinComplianceLevel, 3u);
  EXPECT_EQ(EnabledCount(p), 12u);  // all but 3100
  EXPECT_EQ(p.rule1000.Bidir, 1u);
  EXPECT_EQ(p.rule1000.Substitute, 2u);
  EXPECT_EQ(p.rule1000.Tolerance, 3u);
  EXPECT_EQ(p.rule2000.MustContain, 0u);
  EXPECT_EQ(std::u16string(p.rule2000.CharSet), u"abc");
  EXPECT_EQ(p.rule2000.MinCount, 5u);
  EXPECT_EQ(p.rule2000.Embedded, 1u);
  EXPECT_EQ(p.rule2000.StartPos, 2u);
  EXPECT_EQ(p.rule2000.EndPos, 9u);
  EXPECT_EQ(std::u16string(p.rule2100.CharSet), u"XY");
  EXPECT_EQ(p.rule2100.StartPos, 3u);
  EXPECT_EQ(p.rule2100.EndPos, 4u);
  EXPECT_EQ(p.rule2200.MinCount, 7u);
  EXPECT_EQ(std::u16string(p.rule2300.CharSet), u"0123");
  EXPECT_EQ(p.rule2400.MinCount, 9u);
  EXPECT_EQ(std::u16string(p.rule2500.CharSet), u"\u00e9");
  EXPECT_EQ(p.rule2500.MinCount, 10u);
  EXPECT_EQ(p.rule2600.MinLength, 6u);
  EXPECT_EQ(p.rule2600.MaxLength, 20u);
  EXPECT_EQ(p.rule2600.Exactly7or14, 1u);
  EXPECT_EQ(p.rule2700.MinUniqueChars, 5u);
  EXPECT_EQ(p.rule2800.Bidir, 1u);
  EXPECT_EQ(p.rule2800.Tolerance, 2u);
  EXPECT_EQ(p.rule2900.Bidir, 0u);
  EXPECT_EQ(p.rule2900.Substitute, 1u);
  EXPECT_EQ(p.rule2900.Tolerance, 3u);
  EXPECT_EQ(parsed.Text(), u"Acme Widgets");
  EXPECT_STREQ(p.rule3000.ServerDictFile, "C:\\dict\\words.dic");
  EXPECT_STREQ(p.rule3000.ClientDictFile, "C:\\dict\\words.dic");
  EXPECT_EQ(p.rule3000.Bidir, 1u);
  EXPECT_EQ(p.rule3000.Substitute, 1u);
  EXPECT_EQ(p.rule3000.Tolerance, 5u);
  EXPECT_EQ(p.rule3000.Wildcard, 1u);
}

TEST(ParsePolicyReply, ComplexityRecordSetsItsFieldsAndAllSixCharSets) {
  Parsed parsed;
  Parse(parsed, MakeReply({u"3100\t1\t1\t2\t1\t0\t1\t3\t1\tabc\tAB\tab\t12\t#\t\u00fc"}));
  const ComplexityRule& c = parsed.policy.rule3100;
  EXPECT_EQ(c.Enabled, 1u);
  EXPECT_EQ(c.csAlpha, 1u);
  EXPECT_EQ(c.csUpperAlpha, 1u);
  EXPECT_EQ(c.csLowerAlpha, 2u);
  EXPECT_EQ(c.csNumeric, 1u);
  EXPECT_EQ(c.csSpecial, 0u);
  EXPECT_EQ(c.csHigh, 1u);
  EXPECT_EQ(c.MinComplianceLevel, 3u);
  EXPECT_EQ(c.MustComply, 1u);
  const char16_t* expected[] = {u"abc", u"AB", u"ab", u"12", u"#", u"\u00fc"};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(std::u16string(parsed.policy.ClassRule(i + 1).CharSet), expected[i]) << i;
    EXPECT_EQ(parsed.policy.ClassRule(i + 1).Enabled, 0u) << i;  // 3100 enables no class rule
  }
}

TEST(ParsePolicyReply, LaterRecordsOverwriteCharSets) {
  {
    Parsed parsed;  // 3100 after 2000: its empty texts clear every set
    Parse(parsed, MakeReply({u"2000\t1\txyz\t1\t0\t0\t0", u"3100\t1\t0\t0\t0\t0\t0\t1\t0"}));
    EXPECT_EQ(parsed.policy.rule2000.CharSet[0], u'\0');
    EXPECT_EQ(parsed.policy.rule2000.Enabled, 1u);
  }
  {
    Parsed parsed;  // the other order keeps the set of rule 2000
    Parse(parsed, MakeReply({u"3100\t1\t0\t0\t0\t0\t0\t1\t0", u"2000\t1\txyz\t1\t0\t0\t0"}));
    EXPECT_EQ(std::u16string(parsed.policy.rule2000.CharSet), u"xyz");
  }
}

TEST(ParsePolicyReply, RepeatedKeyKeepsTheLastRecordIncludingItsEmptyFields) {
  Parsed parsed;
  Parse(parsed, MakeReply({u"2600\t8\t16\t0", u"2600\t10"}));
  EXPECT_EQ(parsed.policy.rule2600.MinLength, 10u);
  EXPECT_EQ(parsed.policy.rule2600.MaxLength, 0u);
}

TEST(ParsePolicyReply, Rule2900TextIsOptionalAndEmptiedByEveryParse) {
  Parsed parsed;
  Parse(parsed, MakeReply({u"2900\t0\t0\t4\tsecret words"}));
  EXPECT_EQ(parsed.Text(), u"secret words");
  EXPECT_EQ(ParsePolicyReply(parsed.policy, parsed.text, kRule2900TextCapacity,
                             MakeReply({u"2900\t0\t0\t4"}).c_str()),
            0u);
  EXPECT_EQ(parsed.policy.rule2900.Enabled, 1u);
  EXPECT_EQ(parsed.Text(), u"");
}

TEST(ParsePolicyReply, KeyFieldsAreReadAsNumbers) {
  struct Case {
    std::u16string record;
    uint32_t min_length;      // rule 2600's MinLength after the parse
    uint32_t min_compliance;  // the policy-wide threshold after the parse
  };
  const Case cases[] = {
      {u"2600x\t8", 8, 0},
      {u" 2600\t9", 9, 0},
      {u"\t5", 0, 5},
      {u"abc\t6", 0, 6},
      {u"0\t4294967295", 0, 4294967295u},
      {u"-1\t7", 0, 0},
      {u"9999\t7", 0, 0},
      {u"+2600\t3", 3, 0},
      {u"0", 0, 0},
  };
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    Parsed parsed;
    Parse(parsed, MakeReply({cases[i].record}));
    EXPECT_EQ(parsed.policy.rule2600.MinLength, cases[i].min_length) << "case " << i;
    EXPECT_EQ(parsed.policy.MinComplianceLevel, cases[i].min_compliance) << "case " << i;
  }
}

TEST(ParsePolicyReply, NegativeToleranceIsStoredModulo32Bits) {
  Parsed parsed;
  Parse(parsed, MakeReply({u"1000\t0\t0\t-1", u"2000\t1\t\t-1\t0\t0\t0"}));
  EXPECT_EQ(parsed.policy.rule1000.Tolerance, 4294967295u);
  EXPECT_EQ(parsed.policy.rule2000.MinCount, 4294967295u);
}

TEST(ParsePolicyReply, EmptyRecordEndsTheList) {
  Parsed parsed;
  std::u16string reply = u"2600\t8";
  reply += u'\0';
  reply += u'\0';  // BEL BEL on the wire
  reply += u"2700\t5";
  reply += u'\0';
  reply += u'\0';
  Parse(parsed, reply);
  EXPECT_EQ(parsed.policy.rule2600.Enabled, 1u);
  EXPECT_EQ(parsed.policy.rule2700.Enabled, 0u);
}

TEST(ParsePolicyReply, EveryParseStartsFromTheDefaults) {
  Parsed parsed;
  Parse(parsed, MakeReply({u"2600\t8", u"0\t2", u"3000\tC:\\w.dic\t0\t0\t4"}));
  Parse(parsed, MakeReply({u"2700\t3"}));
  EXPECT_EQ(parsed.policy.rule2600.Enabled, 0u);
  EXPECT_EQ(parsed.policy.MinComplianceLevel, 0u);
  EXPECT_EQ(parsed.policy.rule3000.ServerDictFile[0], '\0');
  EXPECT_EQ(EnabledCount(parsed.policy), 1u);
  Parse(parsed, MakeReply({}));  // first record empty: every rule disabled
  EXPECT_EQ(EnabledCount(parsed.policy), 0u);
}

// A record built on the policy (the registry form) overrides SetDefaults; the parser must
// reach the override through the virtual table.
TEST(ParsePolicyReply, StartsWithTheVirtualSetDefaults) {
  struct Counting : PasswordPolicy {
    uint32_t SetDefaults() override {
      ++calls;
      return PasswordPolicy::SetDefaults();
    }
    int calls = 0;
  };
  Counting policy;
  char16_t text[4];
  ParsePolicyReply(policy, text, 4, MakeReply({u"2700\t3"}).c_str());
  EXPECT_EQ(policy.calls, 1);
  EXPECT_EQ(policy.rule2700.MinUniqueChars, 3u);
}

TEST(ParsePolicyReply, UnknownKeysAndExtraFieldsAreIgnored) {
  Parsed parsed;
  Parse(parsed, MakeReply({u"4000\t1\t2", u"2700\t3\t99\t98", u"3002\t1"}));
  EXPECT_EQ(parsed.policy.rule2700.MinUniqueChars, 3u);
  EXPECT_EQ(EnabledCount(parsed.policy), 1u);
  EXPECT_EQ(parsed.policy.MinComplianceLevel, 0u);
}

TEST(ParsePolicyReply, CharSetKeepsAtMost256CharactersAndStaysTerminated) {
  for (size_t length : {255u, 256u, 257u, 600u}) {
    Parsed parsed;
    std::u16string set(length, u'q');
    set[0] = u'a';
    Parse(parsed, MakeReply({u"2400\t1\t" + set + u"\t3\t0\t0\t0"}));
    const CharClassRule& rule = parsed.policy.rule2400;
    size_t kept = length < kCharSetCapacity ? length : kCharSetCapacity;
    EXPECT_EQ(std::u16string(rule.CharSet).size(), kept) << length;
    EXPECT_EQ(rule.CharSet[kCharSetCapacity], u'\0') << length;
    EXPECT_EQ(rule.MinCount, 3u) << length;  // the fields after the set still apply
  }
}

TEST(ParsePolicyReply, Rule2900TextIsCutToTheCallersCapacity) {
  struct Case {
    size_t capacity;
    size_t text_length;
    size_t kept;
  };
  const Case cases[] = {{1024, 1000, 1000}, {16, 15, 15}, {16, 16, 15}, {16, 40, 15}, {1, 5, 0}};
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    PasswordPolicy policy;
    std::vector<char16_t> buffer(cases[i].capacity, u'x');  // exact size: overruns are caught
    std::u16string text(cases[i].text_length, u'w');
    ParsePolicyReply(policy, buffer.data(), buffer.size(),
                     MakeReply({u"2900\t0\t0\t4\t" + text}).c_str());
    EXPECT_EQ(std::u16string(buffer.data()).size(), cases[i].kept) << "case " << i;
    EXPECT_EQ(buffer.back(), u'\0') << "case " << i;
  }
  PasswordPolicy policy;  // no buffer at all: the text is dropped, the rule still applies
  ParsePolicyReply(policy, nullptr, 0, MakeReply({u"2900\t1\t0\t4\ttext"}).c_str());
  EXPECT_EQ(policy.rule2900.Bidir, 1u);
}

TEST(ParsePolicyReply, DictionaryPathMustConvertExactlyWithin259Bytes) {
  struct Case {
    std::u16string path;
    std::string stored;
  };
  std::u16string long_path = u"C:\\" + std::u16string(252, u'd') + u".dic";  // 259 characters
  const Case cases[] = {
      {u"C:\\words.dic", "C:\\words.dic"},
      {u"C:\\d\u00e9j\u00e0.dic", "C:\\d\xe9j\xe0.dic"},  // in the code page
      {long_path, std::string(long_path.begin(), long_path.end())},
      {long_path + u"x", ""},   // 260 bytes do not fit: refused, not cut
      {u"C:\\\u4e2d.dic", ""},  // no ANSI form: refused, not '?'
      {u"C:\\\u0109.dic", ""},  // a best-fit letter would name another file
      {u"", ""},
  };
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    Parsed parsed;
    Parse(parsed, MakeReply({u"3000\t" + cases[i].path + u"\t1\t0\t6"}));
    const DictionaryRule& rule = parsed.policy.rule3000;
    EXPECT_EQ(rule.Enabled, 1u) << "case " << i;
    EXPECT_EQ(std::string(rule.ServerDictFile), cases[i].stored) << "case " << i;
    EXPECT_EQ(std::string(rule.ClientDictFile), cases[i].stored) << "case " << i;
    EXPECT_EQ(rule.Tolerance, 6u) << "case " << i;
  }
}

TEST(ParsePolicyReply, OverlongRecordIsCutTo1023Characters) {
  {
    // A text field over the limit keeps what fits.
    Parsed parsed;
    Parse(parsed, MakeReply({u"2900\t1\t0\t3\t" + std::u16string(1100, u'k')}));
    EXPECT_EQ(parsed.policy.rule2900.Tolerance, 3u);
    EXPECT_EQ(parsed.Text().size(), 1023u - 11u);
  }
  {
    // A number field split by the limit reads as absent, not as its first digits.
    Parsed parsed;
    std::u16string set(1023 - 9, u'#');  // "2000\t1\t" + set + "\t" ends exactly at 1022
    Parse(parsed, MakeReply({u"2000\t1\t" + set.substr(0, set.size() - 1) + u"\t123456"}));
    EXPECT_EQ(parsed.policy.rule2000.Enabled, 1u);
    EXPECT_EQ(parsed.policy.rule2000.MinCount, 0u);
    EXPECT_EQ(std::u16string(parsed.policy.rule2000.CharSet).size(), kCharSetCapacity);
  }
  {
    // A field ending exactly at the limit is whole.
    Parsed parsed;
    std::u16string head = u"2000\t1\t" + std::u16string(1023 - 7 - 2, u'#') + u"\t";
    ASSERT_EQ(head.size(), 1022u);
    Parse(parsed, MakeReply({head + u"7\t9"}));
    EXPECT_EQ(parsed.policy.rule2000.MinCount, 7u);
    EXPECT_EQ(parsed.policy.rule2000.Embedded, 0u);  // beyond the limit
  }
  {
    // A key field longer than the limit: the record is ignored, not read as key 0.
    Parsed parsed;
    Parse(parsed, MakeReply({u"0\t2", std::u16string(1100, u'7') + u"\t9"}));
    EXPECT_EQ(parsed.policy.MinComplianceLevel, 2u);
  }
  {
    // The record after an over-long one is still applied.
    Parsed parsed;
    Parse(parsed, MakeReply({u"2900\t1\t0\t3\t" + std::u16string(3000, u'k'), u"2700\t4"}));
    EXPECT_EQ(parsed.policy.rule2700.MinUniqueChars, 4u);
  }
}

TEST(ParsePolicyReply, BoundedReplyEndsAtItsLength) {
  PasswordPolicy policy;
  char16_t text[16];
  // No empty record at all: the end of the span ends the list.
  std::vector<char16_t> reply = {u'2', u'7', u'0', u'0', u'\t', u'4', u'2'};
  ParsePolicyReply(policy, text, 16, reply.data(), reply.size());
  EXPECT_EQ(policy.rule2700.MinUniqueChars, 42u);
  ParsePolicyReply(policy, text, 16, reply.data(), 6);  // the span cuts the number
  EXPECT_EQ(policy.rule2700.MinUniqueChars, 4u);
  ParsePolicyReply(policy, text, 16, reply.data(), 0);
  EXPECT_EQ(policy.rule2700.Enabled, 0u);
}

// Random replies of known and unknown keys, random field counts and lengths (over the limits
// too), TABs in a row and stray characters. Exact-size buffers let the sanitizers see any read
// beyond the reply; every fixed text must stay terminated.
TEST(ParsePolicyReply, RandomRepliesStayInBoundsAndKeepTextsTerminated) {
  std::mt19937 random(20261207);
  const char16_t* keys[] = {u"0",    u"1000", u"2000", u"2100", u"2200", u"2300",
                            u"2400", u"2500", u"2600", u"2700", u"2800", u"2900",
                            u"3000", u"3001", u"3100", u"77",   u"",     u" -1"};
  const char16_t alphabet[] = u"0123456789-+ \tabcXYZ\u00e9\u4e2d\u0007\\:.";
  for (int round = 0; round < 400; ++round) {
    std::u16string reply;
    int records = static_cast<int>(random() % 6) + 1;
    for (int r = 0; r < records; ++r) {
      reply += keys[random() % (sizeof(keys) / sizeof(keys[0]))];
      int fields = static_cast<int>(random() % 16);
      for (int f = 0; f < fields; ++f) {
        reply += u'\t';
        size_t length = random() % 4 == 0 ? random() % 1400 : random() % 24;
        for (size_t k = 0; k < length; ++k) {
          reply += alphabet[random() % (sizeof(alphabet) / sizeof(alphabet[0]) - 1)];
        }
      }
      reply += u'\0';
    }
    std::vector<char16_t> bounded(reply.begin(), reply.end() - 1);  // no final NUL at all
    std::vector<char16_t> terminated(reply.begin(), reply.end());
    terminated.push_back(u'\0');
    auto policy = std::make_unique<PasswordPolicy>();
    std::vector<char16_t> text(1 + random() % 64, u'z');
    ParsePolicyReply(*policy, text.data(), text.size(), bounded.data(), bounded.size());
    ParsePolicyReply(*policy, text.data(), text.size(), terminated.data());
    ASSERT_EQ(text.back(), u'\0') << round;
    for (int c = 1; c <= 6; ++c) ASSERT_EQ(policy->ClassRule(c).CharSet[256], u'\0') << round;
    ASSERT_EQ(policy->rule3000.ServerDictFile[kPathSize - 1], '\0') << round;
    ASSERT_EQ(policy->rule3000.ClientDictFile[kPathSize - 1], '\0') << round;
  }
}

}  // namespace
}  // namespace hvn
