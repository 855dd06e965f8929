#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "platform/read_only_file.h"
#include "policy/dictionary_rule.h"
#include "policy/dictionary_test_util.h"
#include "policy/policy_test_util.h"
#include "policy/reference/dictionary_lookup.h"
#include "support/temp_dir.h"

namespace hvn {
namespace {

// The literal lookups are the reference the product's search is compared with; these tests
// keep that reference honest.
using reference::kLookupFound;
using reference::kLookupNotFound;
using reference::kLookupReadError;
using reference::LookupPieces;
using reference::LookupWildcards;
using reference::LookupWord;
using reference::ScanWindow;
using test::DictionaryText;
using test::Utf16Bytes;

// The same dictionary in both encodings, small (one window) and padded with 3,000 filler
// entries so that every lookup bisects.
class DictionaryRuleTest : public ::testing::TestWithParam<std::tuple<bool, bool>> {
 protected:
  void SetUp() override {
    std::vector<std::string> entries = {"PASSWORD", "CAT",      "SUMMER", "!!QWE*!!", "!!*XYZ!!",
                                        "DRAGON",   "LETMEIN",  "MONKEY", "ZEBRA",    "ABCDEFGH",
                                        "SUNSHINE", "TROUSERS", "12345"};
    if (std::get<1>(GetParam())) {
      for (int i = 0; i < 3000; ++i) entries.push_back("0Q" + std::to_string(100000 + i * 7));
    }
    std::string text = DictionaryText("FIRSTWORD", entries);
    bool utf16 = std::get<0>(GetParam());
    path_ = dir_.WriteFile(utf16 ? "words16.dic" : "words.dic", utf16 ? Utf16Bytes(text) : text);
  }

  RuleOutcome Check(const std::u16string& password, uint32_t bidir, uint32_t substitute,
                    uint32_t tolerance, uint32_t wildcard) {
    CheckContext context;
    test::PrepareNew(context, password);
    return CheckDictionary(context, path_.c_str(), bidir, substitute, tolerance, wildcard);
  }

  test::TempDir dir_;
  std::string path_;
};

TEST_P(DictionaryRuleTest, StepsFindWordsReversalsWildcardsAndPieces) {
  struct Case {
    std::u16string password;
    uint32_t bidir;
    uint32_t substitute;
    uint32_t tolerance;
    uint32_t wildcard;
    uint32_t outcome;
  };
  const Case cases[] = {
      {u"password", 0, 0, 4, 0, 2},  // the whole password, any case
      {u"PassWord", 0, 0, 4, 0, 2},
      {u"passwor", 0, 0, 4, 0, 1},    // a prefix is not an entry
      {u"passwordx", 0, 0, 4, 0, 2},  // a piece of nine
      {u"xxpasswordyy", 0, 0, 4, 0, 2},
      {u"xxpasswordyy", 0, 0, 7, 0, 2},  // window 8 still holds PASSWORD
      {u"xxpasswordyy", 0, 0, 8, 0, 1},  // window 9 does not
      {u"cat", 0, 0, 4, 0, 2},           // shorter than the window, but the whole password
      {u"cat123", 0, 0, 4, 0, 1},        // a short entry inside a longer password
      {u"drowssap", 0, 0, 4, 0, 1},
      {u"drowssap", 1, 0, 4, 0, 2},    // reversed
      {u"1drowssap1", 1, 0, 4, 0, 2},  // a reversed piece
      {u"pa$$w0rd", 0, 1, 4, 0, 2},    // found only after substitution
      {u"pa$$w0rd", 0, 2, 4, 0, 1},    // Substitute must be exactly 1
      {u"pa$$w0rd", 0, 0, 4, 0, 1},
      {u"s1u2m3m4e5r", 0, 0, 4, 0, 2},  // the letters-only key
      {u"qwerty", 0, 0, 4, 1, 2},       // wildcard prefix
      {u"QWE", 0, 0, 4, 1, 2},
      {u"qw", 0, 0, 4, 1, 1},
      {u"qwerty", 0, 0, 4, 0, 1},  // wildcards off
      {u"abcxyz", 0, 0, 4, 1, 2},  // wildcard suffix
      {u"xyzabc", 0, 0, 4, 1, 1},
      {u"firstword", 0, 0, 4, 0, 1},  // the first line never matches
      {u"zebra", 0, 0, 4, 0, 2},      // the last line
      {u"12345", 0, 0, 4, 0, 2},
      {u"x12345x", 0, 0, 4, 0, 2},
      {u"correct horse", 1, 1, 4, 1, 1},
      {u"", 1, 1, 4, 1, 1},
      {u"zzzz", 0, 0, 4294967295u, 0, 1},  // window 0: only an empty line could match
  };
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    const Case& c = cases[i];
    EXPECT_EQ(Check(c.password, c.bidir, c.substitute, c.tolerance, c.wildcard),
              RuleOutcome{c.outcome})
        << "case " << i;
  }
}

TEST_P(DictionaryRuleTest, MissingFileIsNotEvaluable) {
  CheckContext context;
  test::PrepareNew(context, u"password");
  for (const std::string& path : {dir_.path() + "/missing.dic", std::string(""),
                                  dir_.path()}) {  // a folder is no dictionary either
    EXPECT_EQ(CheckDictionary(context, path.c_str(), 1, 1, 4, 1), RuleOutcome::kNotEvaluable)
        << path;
  }
  EXPECT_EQ(CheckDictionary(context, nullptr, 1, 1, 4, 1), RuleOutcome::kNotEvaluable);
}

INSTANTIATE_TEST_SUITE_P(AnsiAndUtf16, DictionaryRuleTest,
                         ::testing::Combine(::testing::Bool(), ::testing::Bool()),
                         [](const ::testing::TestParamInfo<std::tuple<bool, bool>>& info) {
                           return std::string(std::get<0>(info.param) ? "Utf16" : "Ansi") +
                                  (std::get<1>(info.param) ? "Large" : "Small");
                         });

TEST(CheckDictionary, EmptyFileIsAnsiAndMatchesNothing) {
  test::TempDir dir;
  std::string path = dir.WriteFile("empty.dic", "");
  CheckContext context;
  test::PrepareNew(context, u"password");
  EXPECT_EQ(CheckDictionary(context, path.c_str(), 1, 1, 0, 1), RuleOutcome::kPassed);
}

TEST(CheckDictionary, ZeroByteInTheFirst256BytesSelectsUtf16) {
  test::TempDir dir;
  // An ANSI-looking file whose 200th byte is zero is searched as UTF-16 and finds nothing ...
  std::string text = DictionaryText("HEADING", {"PASSWORD"});
  std::string padded = text + std::string(200 - text.size(), 'Q');
  padded[199] = '\0';
  std::string path = dir.WriteFile("mixed.dic", padded);
  CheckContext context;
  test::PrepareNew(context, u"password");
  EXPECT_EQ(CheckDictionary(context, path.c_str(), 0, 0, 4, 0), RuleOutcome::kPassed);
  // ... while a zero byte after the first 256 leaves the file ANSI.
  std::string late = text + std::string(300, 'Q');
  late[290] = '\0';
  path = dir.WriteFile("late.dic", late);
  EXPECT_EQ(CheckDictionary(context, path.c_str(), 0, 0, 4, 0), RuleOutcome::kFailed);
}

// Random dictionaries within the data model, large enough for deep bisections: every entry
// but the first line is found, and nothing else is, in both encodings.
struct Generated {
  std::vector<std::string> entries;  // sorted, the first one is the first line
  std::set<std::string> members;
};

Generated Generate(std::mt19937& random, size_t count, size_t max_length) {
  static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789!_";
  std::set<std::string> unique;
  while (unique.size() < count) {
    size_t length = 1 + random() % max_length;
    std::string word;
    for (size_t k = 0; k < length; ++k) word += kAlphabet[random() % (sizeof(kAlphabet) - 1)];
    unique.insert(word);
  }
  Generated generated;
  generated.entries.assign(unique.begin(), unique.end());
  test::SortEntries(generated.entries);
  generated.members.insert(generated.entries.begin() + 1, generated.entries.end());
  return generated;
}

std::string Join(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

std::u16string Widen(const std::string& text) {
  return test::Wide(text);
}

TEST(LookupWord, FindsExactlyTheEntriesOfGeneratedDictionaries) {
  std::mt19937 random(42);
  test::TempDir dir;
  for (size_t round = 0; round < 6; ++round) {
    Generated g = Generate(random, round % 2 == 0 ? 3000 : 150, round < 4 ? 12 : 58);
    std::string text = Join(g.entries);
    std::string ansi_path = dir.WriteFile("gen.dic", text);
    std::string wide_path = dir.WriteFile("gen16.dic", Utf16Bytes(text));
    platform::ReadOnlyFile ansi;
    platform::ReadOnlyFile wide;
    ASSERT_TRUE(ansi.Open(ansi_path.c_str()));
    ASSERT_TRUE(wide.Open(wide_path.c_str()));
    // Every line, and near misses: one character more, one less, one changed.
    std::vector<std::string> probes;
    for (const std::string& entry : g.entries) {
      probes.push_back(entry);
      probes.push_back(entry + "A");
      probes.push_back(entry.substr(0, entry.size() - 1));
      std::string changed = entry;
      changed[changed.size() / 2] = changed[changed.size() / 2] == 'Z' ? 'Y' : 'Z';
      probes.push_back(changed);
    }
    for (const std::string& key : probes) {
      uint32_t expected = g.members.count(key) ? kLookupFound : kLookupNotFound;
      ASSERT_EQ(LookupWord(ansi, 0, ansi.Size(), key.c_str(), key.size()), expected)
          << "round " << round << " ANSI key " << key;
      std::u16string wide_key = Widen(key);
      ASSERT_EQ(LookupWord(wide, 0, wide.Size(), wide_key.c_str(), wide_key.size()), expected)
          << "round " << round << " UTF-16 key " << key;
    }
  }
}

TEST(LookupWord, ComparisonIgnoresTheCaseOfLettersOnly) {
  test::TempDir dir;
  std::vector<std::string> lines = {"HEAD"};
  for (int i = 0; i < 400; ++i) lines.push_back("WORD" + std::to_string(1000 + i));
  std::string path = dir.WriteFile("case.dic", Join(lines));
  platform::ReadOnlyFile file;
  ASSERT_TRUE(file.Open(path.c_str()));
  // Found by the bisection when a probe line hits it, else by the exact window: the key is
  // always upper case in the rule, so both agree there.
  EXPECT_EQ(LookupWord(file, 0, file.Size(), "WORD1200", 8), kLookupFound);
  EXPECT_EQ(LookupWord(file, 0, file.Size(), "WORD12000", 9), kLookupNotFound);
}

TEST(LookupWildcards, PrefixAndSuffixPatterns) {
  test::TempDir dir;
  std::string text = DictionaryText("X", {"!!AB*!!", "!!*YZ!!", "ABC", "!!Q*!!"});
  std::string path = dir.WriteFile("wild.dic", text);
  platform::ReadOnlyFile file;
  ASSERT_TRUE(file.Open(path.c_str()));
  struct Case {
    std::string key;
    uint32_t found;
  };
  const Case cases[] = {{"ABXX", 2}, {"A", 1},   {"XXYZ", 2}, {"YZ", 2}, {"Z", 1},
                        {"Q", 2},    {"QQQ", 2}, {"XQ", 1},   {"", 1}};
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    EXPECT_EQ(LookupWildcards(file, 0, file.Size(), cases[i].key.c_str(), cases[i].key.size()),
              cases[i].found)
        << "case " << i;
  }
}

// A probe line cut off by the end of its read buffer must not match a key that is only its
// beginning. Long lines near every midpoint make such cuts likely: every entry is still found,
// and no prefix of an entry is reported as found unless it is an entry itself.
TEST(LookupWord, CutProbeLineIsNotAMatch) {
  std::mt19937 random(7);
  test::TempDir dir;
  for (int round = 0; round < 4; ++round) {
    Generated g = Generate(random, 400, 100);
    std::string text = Join(g.entries);
    bool utf16 = round % 2 == 1;
    std::string path = dir.WriteFile("long.dic", utf16 ? Utf16Bytes(text) : text);
    platform::ReadOnlyFile file;
    ASSERT_TRUE(file.Open(path.c_str()));
    for (const std::string& entry : g.entries) {
      if (g.members.count(entry)) {
        uint32_t found;
        if (utf16) {
          std::u16string key = Widen(entry);
          found = LookupWord(file, 0, file.Size(), key.c_str(), key.size());
        } else {
          found = LookupWord(file, 0, file.Size(), entry.c_str(), entry.size());
        }
        EXPECT_EQ(found, kLookupFound) << "round " << round << " entry " << entry;
      }
      for (size_t n = 1; n < entry.size(); ++n) {
        std::string prefix = entry.substr(0, n);
        if (g.members.count(prefix)) continue;
        uint32_t found;
        if (utf16) {
          std::u16string key = Widen(prefix);
          found = LookupWord(file, 0, file.Size(), key.c_str(), key.size());
        } else {
          found = LookupWord(file, 0, file.Size(), prefix.c_str(), prefix.size());
        }
        ASSERT_EQ(found, kLookupNotFound) << "round " << round << " key " << prefix;
      }
    }
  }
}

// A read that fails (here: on a file that is not open) is reported as such by every lookup,
// never taken as "not found", so the rule can answer "not evaluable".
TEST(DictionaryLookups, FailedReadIsReportedNotTakenAsNotFound) {
  platform::ReadOnlyFile closed;
  const char16_t wide[] = u"PASSWORD";
  const char ansi[] = "PASSWORD";
  for (uint64_t high : {uint64_t{100}, uint64_t{1} << 40}) {  // window only, and bisection
    EXPECT_EQ(LookupWord(closed, 0, high, wide, 8), kLookupReadError) << high;
    EXPECT_EQ(LookupWord(closed, 0, high, ansi, 8), kLookupReadError) << high;
    EXPECT_EQ(LookupWildcards(closed, 0, high, wide, 8), kLookupReadError) << high;
    EXPECT_EQ(LookupWildcards(closed, 0, high, ansi, 8), kLookupReadError) << high;
    EXPECT_EQ(LookupPieces(closed, 0, high, wide, 8, 1, 4), kLookupReadError) << high;
    EXPECT_EQ(LookupPieces(closed, 0, high, ansi, 8, 1, 4), kLookupReadError) << high;
  }
  EXPECT_EQ(ScanWindow(closed, 5000, wide, 8), kLookupReadError);
  EXPECT_EQ(ScanWindow(closed, 5000, ansi, 8), kLookupReadError);
}

// Files outside the data model (random bytes, NULs, lines longer than the windows, no line
// ends at all) give some outcome, never a read outside the buffers.
TEST(CheckDictionary, ArbitraryFilesStayInBounds) {
  std::mt19937 random(99);
  test::TempDir dir;
  const std::u16string passwords[] = {u"password", u"x", std::u16string(127, u'Q'),
                                      u"\u00e9\u4e2d!!*ab", u"pa$$w0rd12"};
  for (int round = 0; round < 16; ++round) {
    size_t size = round < 4 ? round * 7 : 1 + random() % 3000;
    std::string bytes(size, '\0');
    int flavour = round % 4;
    for (char& b : bytes) {
      switch (flavour) {
        case 0:
          b = static_cast<char>(random());
          break;  // anything
        case 1:
          b = "AB\r\n"[random() % 4];
          break;  // short lines
        case 2:
          b = static_cast<char>('A' + random() % 3);
          break;  // no line end
        default:
          b = random() % 50 == 0 ? '\n' : static_cast<char>('A' + random() % 26);
      }
    }
    std::string path = dir.WriteFile("odd.dic", bytes);
    for (const std::u16string& password : passwords) {
      CheckContext context;
      test::PrepareNew(context, password);
      // Long keys with a wide window only: every piece is one more bisection.
      uint32_t tolerance = password.size() > 20 ? 110u + round % 6 : round % 6;
      RuleOutcome outcome = CheckDictionary(context, path.c_str(), 1, 1, tolerance, 1);
      ASSERT_TRUE(outcome == RuleOutcome::kPassed || outcome == RuleOutcome::kFailed)
          << "round " << round;
    }
  }
}

}  // namespace
}  // namespace hvn
