// The product's rule 3000 gives the same outcome as the literal bisection per substring
// (tests/policy/reference) on dictionaries whose lines the literal probe reads whole (up to 62
// bytes), and the outcome of exact membership on dictionaries with longer lines, where the
// literal probe is unreliable.
//
// The normal run uses small generated dictionaries. scripts/bench runs the full comparison on
// its generated dictionaries:
//   HVN_EQUIVALENCE_DICTIONARIES="name=/path/a.dic;..." HVN_EQUIVALENCE_PASSWORDS=10000
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "platform/read_only_file.h"
#include "policy/check_context.h"
#include "policy/dictionary_rule.h"
#include "policy/reference/reference_dictionary.h"
#include "support/dictionary_file.h"
#include "support/temp_dir.h"

namespace hvn {
namespace {

// Look-alike forms of letters: the inverse of the rule's substitution table.
std::string LookAlike(const std::string& entry, std::mt19937& random) {
  static const char* const kForms[26] = {"^",  "38", "(<[{", ")>]}", "", "",  "69", "", "!1|",
                                         "",   "",   "",     "",     "", "0", "",   "", "",
                                         "$5", "+",  "",     "",     "", "",  "",   "2"};
  std::string form = entry;
  for (char& c : form) {
    if (c < 'A' || c > 'Z') continue;
    const char* choices = kForms[c - 'A'];
    size_t count = std::char_traits<char>::length(choices);
    if (count > 0 && random() % 2 == 0) c = choices[random() % count];
  }
  return form;
}

std::string Reversed(const std::string& text) {
  return std::string(text.rbegin(), text.rend());
}

std::string LowerSome(std::string text, std::mt19937& random) {
  if (random() % 3 == 0) {
    for (char& c : text) {
      if (c >= 'A' && c <= 'Z' && random() % 2 == 0) c = static_cast<char>(c + 32);
    }
  }
  return text;
}

// Passwords of every kind the rule must judge alike: random, exact entries, entries inside
// random text, reversed, in look-alike form, spread between digits (found by the letters-only
// pass), wildcard beginnings and endings, and near misses. `max_length` bounds the random
// parts (a password is cut to 127 characters by the check anyway).
std::string MixedPassword(std::mt19937& random, const std::vector<std::string>& entries,
                          const std::vector<std::string>& wildcards, size_t max_length) {
  const std::string& entry = entries[random() % entries.size()];
  auto noise = [&](size_t most) { return test::RandomEntry(random, 0, most); };
  std::string password;
  switch (random() % 9) {
    case 0:
      password = test::RandomEntry(random, 1, max_length);
      break;
    case 1:
      password = entry;
      break;
    case 2:
      password = noise(max_length / 3) + entry + noise(max_length / 3);
      break;
    case 3:
      password = noise(max_length / 3) + Reversed(entry) + noise(max_length / 3);
      break;
    case 4:
      password = noise(4) + LookAlike(entry, random) + noise(4);
      break;
    case 5:
      for (char c : entry) password += std::string(1, c) + (random() % 2 ? "7" : "");
      break;
    case 6: {
      const std::string& wildcard = wildcards[random() % wildcards.size()];
      std::string fixed = wildcard.substr(2, wildcard.size() - 4);
      if (fixed.front() == '*') {
        password = noise(max_length / 2) + fixed.substr(1);
      } else {
        password = fixed.substr(0, fixed.size() - 1) + noise(max_length / 2);
      }
      break;
    }
    case 7: {
      password = entry;
      size_t at = random() % password.size();
      password[at] = static_cast<char>(password[at] == 'Q' ? 'R' : 'Q');
      break;
    }
    default:
      password = entry.substr(0, std::max<size_t>(1, entry.size() - 1)) + noise(3);
      break;
  }
  if (password.empty()) password = "X";
  return LowerSome(password, random);
}

struct Settings {
  uint32_t bidir;
  uint32_t substitute;
  uint32_t tolerance;
  uint32_t wildcard;
};

// The settings of password `index`: every tolerance the rule treats apart (0, the default 4,
// 2, 7, and 4,294,967,295 whose window is 0), the substitution pass on, off and "not exactly
// 1", wildcards on and off.
Settings SettingsFor(size_t index, uint32_t bidir) {
  static const uint32_t kTolerances[] = {4, 0, 2, 7, 4294967295u};
  static const uint32_t kSubstitutes[] = {1, 0, 2};
  return {bidir, kSubstitutes[(index / 5) % 3], kTolerances[index % 5],
          static_cast<uint32_t>((index / 15) % 2 == 0)};
}

void Prepare(CheckContext& context, const std::string& password) {
  std::u16string wide = test::Widen(password);
  PrepareCheckContext(context, u"user", 8, nullptr, 0, wide.data(),
                      static_cast<uint32_t>(wide.size() * 2), nullptr, 0);
}

// Checks `count` mixed passwords with Bidir off and on; returns how many were found (so a
// run that finds nothing, or everything, shows).
size_t CompareWithReference(const std::string& path, const std::vector<std::string>& entries,
                            const std::vector<std::string>& wildcards, size_t count,
                            size_t max_length, uint32_t seed) {
  std::mt19937 random(seed);
  static CheckContext context;
  size_t found = 0;
  size_t mismatches = 0;
  for (uint32_t bidir : {0u, 1u}) {
    for (size_t i = 0; i < count; ++i) {
      std::string password = MixedPassword(random, entries, wildcards, max_length);
      Settings s = SettingsFor(i, bidir);
      Prepare(context, password);
      RuleOutcome expected = reference::CheckDictionary(context, path.c_str(), s.bidir,
                                                        s.substitute, s.tolerance, s.wildcard);
      RuleOutcome actual =
          CheckDictionary(context, path.c_str(), s.bidir, s.substitute, s.tolerance, s.wildcard);
      EXPECT_EQ(actual, expected) << "password " << i << " \"" << password << "\" bidir " << s.bidir
                                  << " substitute " << s.substitute << " tolerance " << s.tolerance
                                  << " wildcard " << s.wildcard << " in " << path;
      if (actual != expected && ++mismatches == 20) return found;  // enough to go on
      found += expected == RuleOutcome::kFailed;
    }
  }
  return found;
}

std::vector<std::string> Wildcards() {
  return {"!!AB*!!", "!!QW*!!", "!!ZX9*!!", "!!*7!!", "!!*XY!!", "!!*SS1!!"};
}

struct Small {
  size_t entries;
  size_t max_entry;
  bool utf16;
  size_t passwords;
};

// Three sizes (a few blocks, several bisection levels, more than the window cache), both
// encodings, entries up to 62 bytes so the literal probe reads every line whole.
const Small kSmall[] = {
    {200, 12, false, 40},
    {3000, 20, false, 30},
    {20000, 62, false, 20},
    {3000, 24, true, 16},
};

TEST(DictionaryEquivalence, ProductMatchesReferenceOnSmallDictionaries) {
  test::TempDir dir;
  std::mt19937 random(3000);
  for (size_t d = 0; d < std::size(kSmall); ++d) {
    std::vector<std::string> entries;
    for (size_t i = 0; i < kSmall[d].entries; ++i) {
      entries.push_back(test::RandomEntry(random, 3, kSmall[d].max_entry));
    }
    std::vector<std::string> words = entries;
    for (const std::string& wildcard : Wildcards()) entries.push_back(wildcard);
    entries = test::SortDictionary(entries);
    std::string path = dir.WriteFile(
        "d" + std::to_string(d) + ".dic",
        kSmall[d].utf16 ? test::Utf16Dictionary(entries) : test::AnsiDictionary(entries));
    size_t found = CompareWithReference(path, words, Wildcards(), kSmall[d].passwords, 12,
                                        static_cast<uint32_t>(d));
    EXPECT_GT(found, kSmall[d].passwords / 5) << "dictionary " << d;
    EXPECT_LT(found, kSmall[d].passwords * 2 * 9 / 10) << "dictionary " << d;
  }
}

// What rule 3000 finds, computed from exact membership.
RuleOutcome OracleOutcome(const test::DictionaryOracle& oracle, const std::string& upper,
                          const Settings& s) {
  uint32_t window = s.tolerance + 1;
  std::string letters;
  for (char c : upper) {
    if (c >= 'A' && c <= 'Z') letters += c;
  }
  auto pieces = [&](const std::string& text) {
    return oracle.ContainsPiece(text, window) ||
           (s.bidir != 0 && oracle.ContainsPiece(Reversed(text), window));
  };
  std::string substituted = upper;
  for (char& c : substituted) {
    static const std::string kFrom = "!1|$5(<[{)>]}+023869^";
    static const std::string kTo = "IIISSCCCCDDDDTOZBBGGA";
    size_t at = kFrom.find(c);
    if (at != std::string::npos) c = kTo[at];
  }
  bool found = oracle.Contains(upper) || (s.bidir != 0 && oracle.Contains(Reversed(upper))) ||
               (s.wildcard != 0 &&
                (oracle.ContainsPrefixWildcard(upper) || oracle.ContainsSuffixWildcard(upper))) ||
               pieces(upper) || pieces(letters) ||
               (s.substitute == 1 && substituted != upper && pieces(substituted));
  return found ? RuleOutcome::kFailed : RuleOutcome::kPassed;
}

TEST(DictionaryEquivalence, ProductMatchesExactMembershipOnLongLines) {
  // Lines of 63 to 126 bytes: more than the literal 128-byte probe reads whole, within what a
  // dictionary may hold.
  test::TempDir dir;
  std::mt19937 random(3001);
  std::vector<std::string> entries;
  for (size_t i = 0; i < 3000; ++i) entries.push_back(test::RandomEntry(random, 5, 126));
  std::vector<std::string> words = entries;
  for (const std::string& wildcard : Wildcards()) entries.push_back(wildcard);
  entries = test::SortDictionary(entries);
  test::DictionaryOracle oracle(entries);
  static CheckContext context;
  for (bool utf16 : {false, true}) {
    std::string path =
        dir.WriteFile(utf16 ? "long16.dic" : "long.dic",
                      utf16 ? test::Utf16Dictionary(entries) : test::AnsiDictionary(entries));
    for (size_t i = 0; i < 80; ++i) {
      std::string password = MixedPassword(random, words, Wildcards(), 60);
      if (password.size() > 127) password.resize(127);
      Settings s = SettingsFor(i, static_cast<uint32_t>(i % 2));
      Prepare(context, password);
      std::string upper = password;
      for (char& c : upper) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
      EXPECT_EQ(
          CheckDictionary(context, path.c_str(), s.bidir, s.substitute, s.tolerance, s.wildcard),
          OracleOutcome(oracle, upper, s))
          << "password " << i << " \"" << password << "\" tolerance " << s.tolerance
          << (utf16 ? " UTF-16" : " ANSI");
    }
  }
}

// A sample of a big dictionary's entries: the first whole line after each of `count` evenly
// spread positions.
std::vector<std::string> SampleEntries(const std::string& path, size_t count) {
  platform::ReadOnlyFile file;
  std::vector<std::string> sample;
  if (!file.Open(path.c_str())) return sample;
  for (size_t i = 1; i <= count; ++i) {
    char buffer[256];
    uint32_t got = 0;
    if (!file.ReadAt(file.Size() / (count + 1) * i, buffer, sizeof(buffer), &got)) continue;
    std::string text(buffer, got);
    size_t start = text.find('\n');
    size_t end = text.find('\r', start + 1);
    if (start == std::string::npos || end == std::string::npos) continue;
    std::string entry = text.substr(start + 1, end - start - 1);
    if (!entry.empty() && entry.rfind("!!", 0) != 0) sample.push_back(entry);
  }
  return sample;
}

TEST(DictionaryEquivalence, ProductMatchesReferenceOnGeneratedDictionaries) {
  const char* list = std::getenv("HVN_EQUIVALENCE_DICTIONARIES");
  if (list == nullptr) GTEST_SKIP() << "scripts/bench runs this on its dictionaries";
  const char* passwords = std::getenv("HVN_EQUIVALENCE_PASSWORDS");
  size_t count = passwords != nullptr ? std::strtoul(passwords, nullptr, 10) : 1000;
  std::stringstream stream(list);
  std::string item;
  while (std::getline(stream, item, ';')) {
    std::string path = item.substr(item.find('=') + 1);
    std::vector<std::string> sample = SampleEntries(path, 4000);
    ASSERT_FALSE(sample.empty()) << path;
    // The generated dictionaries hold wildcard entries of their own; these beginnings and
    // endings exercise the pass whether or not they are among them.
    size_t found = CompareWithReference(path, sample, Wildcards(), count, 40, 7);
    std::printf("%s: %zu passwords x Bidir off/on, %zu found in the dictionary\n", item.c_str(),
                count, found);
  }
}

}  // namespace
}  // namespace hvn
