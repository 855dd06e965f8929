#include "policy/dictionary_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/read_only_file.h"
#include "support/dictionary_file.h"
#include "support/temp_dir.h"

namespace hvn {
namespace {

enum class Question { kContains, kPiece, kPieceBothWays, kPrefixWildcard, kSuffixWildcard };

// Asks one question of an open dictionary, the key given as ANSI bytes; `utf16` picks the
// file's kind (the key is widened for it).
bool Ask(platform::ReadOnlyFile& file, bool utf16, Question question, const std::string& key,
         uint32_t window = 0) {
  auto ask = [&](auto& search, const auto& text) {
    switch (question) {
      case Question::kContains:
        return search.Contains(text.data(), text.size());
      case Question::kPiece:
        return search.ContainsPiece(text.data(), text.size(), window);
      case Question::kPieceBothWays: {
        auto reversed = text;
        std::reverse(reversed.begin(), reversed.end());
        const typename std::decay_t<decltype(text)>::value_type* texts[2] = {text.data(),
                                                                             reversed.data()};
        size_t lengths[2] = {text.size(), reversed.size()};
        return search.ContainsPiece(texts, lengths, 2, window);
      }
      case Question::kPrefixWildcard:
        return search.ContainsPrefixWildcard(text.data(), text.size());
      case Question::kSuffixWildcard:
        return search.ContainsSuffixWildcard(text.data(), text.size());
    }
    return false;
  };
  if (utf16) {
    DictionarySearch<char16_t> search(file);
    bool found = ask(search, test::Widen(key));
    EXPECT_FALSE(search.ReadFailed());
    return found;
  }
  DictionarySearch<char> search(file);
  bool found = ask(search, key);
  EXPECT_FALSE(search.ReadFailed());
  return found;
}

struct Case {
  Question question;
  const char* key;
  uint32_t window;
  bool found;
};

// A small dictionary whose entries sort around the characters that fold: '_' (0x5F) sorts
// before the letters, '[' (0x5B) after them, and wildcard entries before everything.
const std::vector<std::string> kSmall = {
    "!!*123!!", "!!*XYZ!!", "!!QWE*!!", "!!Z*!!", "0000",   "12345",    "AB",     "AB_",
    "ABC",      "ABC[",     "ABCD",     "DRAGON", "MONKEY", "PASSWORD", "QWERTY", "ZZ"};

const Case kSmallCases[] = {
    {Question::kContains, "PASSWORD", 0, true},
    {Question::kContains, "password", 0, true},  // A-Z fold
    {Question::kContains, "PASSWOR", 0, false},
    {Question::kContains, "PASSWORDS", 0, false},
    {Question::kContains, "AB", 0, true},
    {Question::kContains, "AB_", 0, true},
    {Question::kContains, "ABC[", 0, true},
    {Question::kContains, "ABC_", 0, false},
    {Question::kContains, "ZZ", 0, true},  // last line
    {Question::kContains, "ZZZ", 0, false},
    {Question::kContains, "!", 0, false},
    {Question::kContains, "", 0, false},            // no empty line after the first
    {Question::kContains, "DICTIONARY", 0, false},  // the first line is never an entry
    {Question::kPiece, "XXPASSWORDXX", 5, true},
    {Question::kPiece, "XXPASSWORDXX", 8, true},
    {Question::kPiece, "XXPASSWORDXX", 9, false},  // the entry is shorter than the window
    {Question::kPiece, "PASSWORD", 8, true},
    {Question::kPiece, "PASSWORD", 9, false},
    {Question::kPiece, "ZABZ", 2, true},
    {Question::kPiece, "ZABZ", 3, false},
    {Question::kPiece, "9ABC[9", 4, true},
    {Question::kPiece, "DRAGOMONKE", 5, false},
    {Question::kPiece, "1234512345", 5, true},
    {Question::kPiece, "0000000", 4, true},
    {Question::kPiece, "", 0, false},
    {Question::kPiece, "Q", 0, false},
    {Question::kPiece, "ZZ", 0, true},
    {Question::kPiece, "ZZ", 4294967295u, false},
    {Question::kPrefixWildcard, "QWE", 0, true},
    {Question::kPrefixWildcard, "QWERTY", 0, true},
    {Question::kPrefixWildcard, "QW", 0, false},
    {Question::kPrefixWildcard, "ZEBRA", 0, true},
    {Question::kPrefixWildcard, "XQWE", 0, false},
    {Question::kPrefixWildcard, "", 0, false},
    {Question::kSuffixWildcard, "ABC123", 0, true},
    {Question::kSuffixWildcard, "123", 0, true},
    {Question::kSuffixWildcard, "1234", 0, false},
    {Question::kSuffixWildcard, "XYZ", 0, true},
    {Question::kSuffixWildcard, "QWE", 0, false},
};

TEST(DictionarySearch, AnswersSmallDictionaryInBothEncodings) {
  test::TempDir dir;
  std::vector<std::string> sorted = test::SortDictionary(kSmall);
  ASSERT_EQ(sorted, kSmall);  // the table above is already in dictionary order
  for (bool utf16 : {false, true}) {
    std::string path =
        dir.WriteFile(utf16 ? "small16.dic" : "small.dic",
                      utf16 ? test::Utf16Dictionary(sorted) : test::AnsiDictionary(sorted));
    platform::ReadOnlyFile file;
    ASSERT_TRUE(file.Open(path.c_str()));
    for (size_t i = 0; i < std::size(kSmallCases); ++i) {
      const Case& c = kSmallCases[i];
      EXPECT_EQ(Ask(file, utf16, c.question, c.key, c.window), c.found)
          << "case " << i << " key " << c.key << (utf16 ? " (UTF-16)" : " (ANSI)");
    }
  }
}

TEST(DictionarySearch, EmptyLineIsAnEntryOnlyAfterTheFirstLine) {
  test::TempDir dir;
  struct FileCase {
    std::string contents;
    bool empty_found;
    bool a_found;
  };
  const FileCase kFiles[] = {
      {"", false, false},
      {"A", false, false},
      {"A\r\n", false, false},
      {"\r\nA\r\n", false, true},
      {"HEAD\r\n\r\nA\r\n", true, true},
      {"HEAD\r\nA", false, true},  // a last line without CR LF still counts
      {"\nA\r\n", false, true},
  };
  for (size_t i = 0; i < std::size(kFiles); ++i) {
    std::string path = dir.WriteFile("f" + std::to_string(i), kFiles[i].contents);
    platform::ReadOnlyFile file;
    ASSERT_TRUE(file.Open(path.c_str()));
    EXPECT_EQ(Ask(file, false, Question::kContains, ""), kFiles[i].empty_found) << "file " << i;
    EXPECT_EQ(Ask(file, false, Question::kPiece, "XYZ", 0), kFiles[i].empty_found) << "file " << i;
    EXPECT_EQ(Ask(file, false, Question::kContains, "A"), kFiles[i].a_found) << "file " << i;
  }
}

// Keys of every kind the rule asks about: entries, entries with one byte changed, cut or
// extended, entries inside random text, reversed entries and random text.
std::vector<std::string> MixedKeys(std::mt19937& random, const std::vector<std::string>& entries,
                                   size_t count) {
  std::uniform_int_distribution<size_t> pick(0, entries.size() - 1);
  std::uniform_int_distribution<int> kind(0, 6);
  std::vector<std::string> keys;
  while (keys.size() < count) {
    std::string entry = entries[pick(random)];
    switch (kind(random)) {
      case 0:
        keys.push_back(entry);
        break;
      case 1:
        entry[random() % entry.size()] ^= 1;
        keys.push_back(entry);
        break;
      case 2:
        keys.push_back(entry.substr(0, entry.size() - 1));
        break;
      case 3:
        keys.push_back(entry + "A");
        break;
      case 4:
        keys.push_back(test::RandomEntry(random, 0, 20) + entry + test::RandomEntry(random, 0, 20));
        break;
      case 5:
        keys.push_back(std::string(entry.rbegin(), entry.rend()));
        break;
      default:
        keys.push_back(test::RandomEntry(random, 1, 127));
        break;
    }
    if (keys.back().size() > 127) keys.back().resize(127);
  }
  return keys;
}

struct RandomDictionary {
  size_t entries;
  size_t min_length;
  size_t max_length;
};

// Dictionaries from tiny (one bisection block) to larger than the window cache, with short
// entries (dense prefixes) and the longest lines a dictionary may hold (126 bytes + CR LF).
const RandomDictionary kRandomDictionaries[] = {
    {3, 1, 8}, {60, 1, 6}, {2000, 3, 12}, {30000, 4, 16}, {3000, 40, 126},
};

TEST(DictionarySearch, MatchesExactMembershipOnRandomDictionaries) {
  test::TempDir dir;
  std::mt19937 random(20261207);
  for (size_t d = 0; d < std::size(kRandomDictionaries); ++d) {
    const RandomDictionary& shape = kRandomDictionaries[d];
    std::vector<std::string> entries;
    for (size_t i = 0; i < shape.entries; ++i) {
      entries.push_back(test::RandomEntry(random, shape.min_length, shape.max_length));
    }
    for (const char* wildcard : {"!!Q*!!", "!!AB*!!", "!!*7!!", "!!*XY!!", "!!*Z9Z!!"}) {
      entries.push_back(wildcard);
    }
    entries = test::SortDictionary(entries);
    test::DictionaryOracle oracle(entries);
    // Every read is a system call under Wine: fewer keys there, the same dictionaries.
#ifdef _WIN32
    std::vector<std::string> keys = MixedKeys(random, entries, 20);
#else
    std::vector<std::string> keys = MixedKeys(random, entries, 60);
#endif
    for (bool utf16 : {false, true}) {
      std::string path =
          dir.WriteFile("r" + std::to_string(d) + (utf16 ? "w" : "a"),
                        utf16 ? test::Utf16Dictionary(entries) : test::AnsiDictionary(entries));
      platform::ReadOnlyFile file;
      ASSERT_TRUE(file.Open(path.c_str()));
      for (size_t k = 0; k < keys.size(); ++k) {
        const std::string& key = keys[k];
        long longest = oracle.LongestPiece(key);
        SCOPED_TRACE("dictionary " + std::to_string(d) + (utf16 ? " UTF-16" : " ANSI") + " key " +
                     std::to_string(k) + " " + key);
        EXPECT_EQ(Ask(file, utf16, Question::kContains, key), oracle.Contains(key));
        for (uint32_t window : {0u, 1u, 5u, 8u}) {
          EXPECT_EQ(Ask(file, utf16, Question::kPiece, key, window),
                    window <= key.size() && longest >= static_cast<long>(window))
              << "window " << window;
        }
        std::string reversed(key.rbegin(), key.rend());
        long longest_either = std::max(longest, oracle.LongestPiece(reversed));
        EXPECT_EQ(Ask(file, utf16, Question::kPieceBothWays, key, 5),
                  key.size() >= 5 && longest_either >= 5);
        EXPECT_EQ(Ask(file, utf16, Question::kPrefixWildcard, key),
                  oracle.ContainsPrefixWildcard(key));
        EXPECT_EQ(Ask(file, utf16, Question::kSuffixWildcard, key),
                  oracle.ContainsSuffixWildcard(key));
      }
    }
  }
}

// Searches guess where a key lies from the frequencies of the codes they have read. Where the
// entries are spread unevenly the guesses go wrong and the search has to fall back to
// bisection: every lookup, on a fresh search, stays within a few reads per bisection level.
TEST(DictionarySearch, UnevenSpreadsKeepLookupsNearBisectionDepth) {
  struct Spread {
    const char* name;
    std::string (*entry)(std::mt19937& random, size_t index);
  };
  const Spread kSpreads[] = {
      {"even", [](std::mt19937& random, size_t) { return test::RandomEntry(random, 6, 17); }},
      {"nine in ten begin alike",
       [](std::mt19937& random, size_t index) {
         return (index % 10 != 0 ? "MMMM" : "") + test::RandomEntry(random, 3, 12);
       }},
      {"longer shared beginnings than a guess looks at",
       [](std::mt19937& random, size_t index) {
         return std::string(index % 3 != 0 ? "QQQQQQQQQQQQQQQQ" : "") +
                test::RandomEntry(random, 3, 12);
       }},
      {"first letters halving in number",
       [](std::mt19937& random, size_t) {
         size_t letter = 0;
         while (letter < 25 && random() % 2 == 0) ++letter;
         return std::string(1, static_cast<char>('A' + letter)) + test::RandomEntry(random, 3, 12);
       }},
      {"numbers", [](std::mt19937&, size_t index) { return std::to_string(index * 7919); }},
  };
  test::TempDir dir;
  std::mt19937 random(20261208);
  for (const Spread& spread : kSpreads) {
    std::vector<std::string> entries;
    for (size_t i = 0; i < 60000; ++i) entries.push_back(spread.entry(random, i));
    entries = test::SortDictionary(entries);
    test::DictionaryOracle oracle(entries);
    std::string contents = test::AnsiDictionary(entries);
    std::string path = dir.WriteFile("spread.dic", contents);
    platform::ReadOnlyFile file;
    ASSERT_TRUE(file.Open(path.c_str()));
    uint64_t levels = 1;
    while ((uint64_t{1024} << levels) < contents.size()) ++levels;
    for (const std::string& key : MixedKeys(random, entries, 40)) {
      platform::ResetFileIoCounters();
      EXPECT_EQ(Ask(file, false, Question::kContains, key), oracle.Contains(key))
          << spread.name << ": " << key;
      EXPECT_LE(platform::GetFileIoCounters().reads, 3 * levels + 4) << spread.name << ": " << key;
    }
  }
}

TEST(DictionarySearch, OverlongLinesKeepTheSearchBounded) {
  // Outside what a dictionary may hold: a 4 MB line, and a file without any line feed. The
  // answers are open, but every question must end after a bounded number of reads.
  test::TempDir dir;
  std::string long_line = "HEAD\r\nAAA\r\n" + std::string(4 << 20, 'M') + "\r\nZZZ\r\n";
  std::string no_feed(1 << 20, 'Q');
  for (const std::string* contents : {&long_line, &no_feed}) {
    std::string path = dir.WriteFile("long.dic", *contents);
    platform::ReadOnlyFile file;
    ASSERT_TRUE(file.Open(path.c_str()));
    platform::ResetFileIoCounters();
    std::string key(127, 'M');
    Ask(file, false, Question::kContains, key);
    Ask(file, false, Question::kPiece, key, 5);
    Ask(file, false, Question::kPrefixWildcard, key);
    EXPECT_LT(platform::GetFileIoCounters().reads, 20000u);
    EXPECT_TRUE(Ask(file, false, Question::kContains, "AAA") || contents == &no_feed);
  }
}

}  // namespace
}  // namespace hvn
