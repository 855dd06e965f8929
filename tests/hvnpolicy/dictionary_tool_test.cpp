// dict build and dict verify: generated word lists in every shape round-trip into exactly the
// dictionary the rule needs, verify accepts what build writes and names every broken line,
// and a verified dictionary answers like exact membership through the product's search.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "dict/dictionary_builder.h"
#include "dict/dictionary_verifier.h"
#include "platform/read_only_file.h"
#include "policy/dictionary_search.h"
#include "support/dictionary_file.h"
#include "support/temp_dir.h"

namespace hvn::tool {
namespace {

class Recorder : public DictionaryBuildObserver, public DictionaryVerifyObserver {
 public:
  void LeftOut(uint64_t line, const std::string&) override { left_out.push_back(line); }
  void Progress(const char*, uint64_t, uint64_t) override {}
  void Problem(uint64_t line, bool error, const std::string&) override {
    (error ? errors : warnings).push_back(line);
  }
  void Progress(uint64_t, uint64_t) override {}
  std::vector<uint64_t> left_out, errors, warnings;
};

std::string ToUpperAscii(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return text;
}

// A word list with every oddity a real list has, and the entries it must give.
struct GeneratedList {
  std::vector<std::string> lines;             // the words, as typed in the list (UTF-8)
  std::vector<std::string> expected_entries;  // ANSI (Windows-1252) bytes, upper-cased
  std::vector<uint64_t> long_lines;           // 1-based line numbers left out
};

GeneratedList Generate(std::mt19937& random) {
  GeneratedList list;
  std::uniform_int_distribution<int> percent(0, 99);
  auto add = [&](const std::string& line, const std::string& entry) {
    list.lines.push_back(line);
    if (!entry.empty()) list.expected_entries.push_back(entry);
  };
  // Traps of other collations: '_' and '[' sort before letters; é is not upper-cased.
  add("_under", "_UNDER");
  add("[bracket]", "[BRACKET]");
  add("caf\xC3\xA9", "CAF\xE9");
  add("!!qwe*!!", "!!QWE*!!");
  add("!!*123!!", "!!*123!!");
  for (int i = 0; i < 3000; ++i) {
    std::string entry = test::RandomEntry(random, 1, 20);
    std::string typed = entry;
    for (char& c : typed)
      if (c >= 'A' && c <= 'Z' && percent(random) < 40) c = static_cast<char>(c + 32);
    add(typed, entry);
    if (percent(random) < 10) add(ToUpperAscii(typed) == typed ? typed : entry, entry);
    if (percent(random) < 3) add("", "");
    if (percent(random) < 1) {
      add(std::string(127 + percent(random) % 20, 'x'), "");
      list.long_lines.push_back(list.lines.size());
    }
  }
  add(std::string(126, 'Y'), std::string(126, 'Y'));  // the longest entry a line holds
  return list;
}

std::string Join(const std::vector<std::string>& lines, const std::string& end, bool utf16) {
  std::string text;
  for (const std::string& line : lines) text += line + end;
  if (!utf16) return text;
  // Every character of the generated lists is ASCII or é: one UTF-16 unit each.
  std::u16string wide;
  std::u16string decoded;
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == 0xC3) {
      wide += static_cast<char16_t>(0xC0 | (static_cast<unsigned char>(text[++i]) & 0x3F));
    } else {
      wide += static_cast<char16_t>(c);
    }
  }
  std::string bytes;
  for (char16_t c : wide) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  return bytes;
}

template <typename Unit>
void ExpectSearchEqualsMembership(const std::string& path, const std::vector<std::string>& entries,
                                  std::mt19937& random) {
  test::DictionaryOracle oracle(entries);
  std::vector<std::string> keys;
  for (size_t i = 0; i < entries.size(); i += 7) {
    keys.push_back(entries[i]);
    keys.push_back(entries[i] + "Q");
    keys.push_back(entries[i].substr(0, entries[i].size() / 2));
  }
  for (int i = 0; i < 2000; ++i) keys.push_back(test::RandomEntry(random, 1, 8));
  platform::ReadOnlyFile file;
  ASSERT_TRUE(file.Open(path.c_str()));
  DictionarySearch<Unit> search(file);
  for (const std::string& key : keys) {
    std::basic_string<Unit> unit_key(key.begin(), key.end());
    if (sizeof(Unit) == 2)
      for (size_t i = 0; i < key.size(); ++i)
        unit_key[i] = static_cast<Unit>(static_cast<unsigned char>(key[i]));
    EXPECT_EQ(search.Contains(unit_key.data(), unit_key.size()), oracle.Contains(key))
        << "key " << key;
  }
}

struct BuildCase {
  const char* name;
  const char* line_end;
  bool utf16_input;
  DictionaryEncoding output;
  size_t run_bytes;  // small values force sorted runs and merge passes
  size_t fan_in;
};

TEST(DictBuild, GeneratedListsRoundTripIntoVerifiedDictionaries) {
  const BuildCase cases[] = {
      {"CR LF, ANSI, sorted in memory", "\r\n", false, DictionaryEncoding::kAnsi, 16u << 20, 64},
      {"LF, ANSI, many runs, two-way merge passes", "\n", false, DictionaryEncoding::kAnsi, 700, 2},
      {"CR, UTF-16 out, three-way merges", "\r", false, DictionaryEncoding::kUtf16, 900, 3},
      {"UTF-16 in and out", "\r\n", true, DictionaryEncoding::kUtf16, 4000, 64},
      {"UTF-16 in, ANSI out", "\n", true, DictionaryEncoding::kAnsi, 16u << 20, 64},
  };
  std::mt19937 random(17);
  for (const BuildCase& c : cases) {
    SCOPED_TRACE(c.name);
    test::TempDir dir;
    GeneratedList list = Generate(random);
    std::string input = dir.WriteFile("words.txt", Join(list.lines, c.line_end, c.utf16_input));
    std::string output = dir.path() + "/dictionary.txt";
    DictionaryBuildOptions options;
    options.output = c.output;
    options.run_bytes = c.run_bytes;
    options.merge_fan_in = c.fan_in;
    Recorder recorder;
    DictionaryBuildReport report;
    std::string error;
    ASSERT_TRUE(BuildDictionary(input, output, options, recorder, report, error)) << error;

    std::vector<std::string> sorted = test::SortDictionary(list.expected_entries);
    std::string expected = c.output == DictionaryEncoding::kUtf16
                               ? test::Utf16Dictionary(sorted, "HALVERN DICTIONARY")
                               : test::AnsiDictionary(sorted, "HALVERN DICTIONARY");
    std::string written;
    {
      FILE* file = std::fopen(output.c_str(), "rb");
      ASSERT_NE(file, nullptr);
      char block[4096];
      size_t got;
      while ((got = std::fread(block, 1, sizeof(block), file)) > 0) written.append(block, got);
      std::fclose(file);
    }
    EXPECT_TRUE(written == expected) << "the dictionary differs from the sorted entries";
    EXPECT_EQ(recorder.left_out, list.long_lines);
    EXPECT_EQ(report.entries, sorted.size());
    EXPECT_EQ(report.duplicates, list.expected_entries.size() - sorted.size());
    EXPECT_EQ(report.runs > 0, c.run_bytes < 100000);

    Recorder verify;
    DictionaryVerifyReport verified;
    ASSERT_TRUE(VerifyDictionary(output, verify, verified, error)) << error;
    EXPECT_TRUE(verify.errors.empty() && verify.warnings.empty());
    EXPECT_EQ(verified.encoding, c.output);
    if (c.output == DictionaryEncoding::kUtf16)
      ExpectSearchEqualsMembership<char16_t>(output, sorted, random);
    else
      ExpectSearchEqualsMembership<char>(output, sorted, random);
  }
}

TEST(DictBuild, FailedBuildLeavesTheOldDictionaryAndNoTemporaryFiles) {
  test::TempDir dir;
  std::string output = dir.WriteFile("dictionary.txt", "OLD\r\n");
  Recorder recorder;
  DictionaryBuildReport report;
  std::string error;
  EXPECT_FALSE(BuildDictionary(dir.path() + "/missing.txt", output, DictionaryBuildOptions(),
                               recorder, report, error));
  EXPECT_NE(error.find("missing.txt"), std::string::npos);
  FILE* file = std::fopen(output.c_str(), "rb");
  ASSERT_NE(file, nullptr);
  char text[8] = {};
  EXPECT_EQ(std::fread(text, 1, sizeof(text), file), 5u);
  std::fclose(file);
  EXPECT_EQ(std::fopen((output + ".partial").c_str(), "rb"), nullptr);
}

std::string Utf16(const std::string& ascii) {
  std::string bytes;
  for (char c : ascii) {
    bytes += c;
    bytes += '\0';
  }
  return bytes;
}

TEST(DictVerify, NamesEveryLineThatBreaksTheOrderOrTheForm) {
  struct Case {
    const char* name;
    std::string file;
    std::vector<uint64_t> errors;
    std::vector<uint64_t> warnings;
  };
  const Case cases[] = {
      {"sorted, capitals, CR LF", "HEAD\r\n!!AB*!!\r\n_X\r\nABC\r\nABD\r\n", {}, {}},
      {"LF line ends", "HEAD\nABC\nABD\n", {2, 3}, {}},
      {"lower case", "HEAD\r\nabc\r\nABD\r\n", {2}, {}},
      {"byte order instead of the rule's", "HEAD\r\nABC\r\n_X\r\n", {3}, {}},
      {"one stray line", "HEAD\r\nABC\r\nZZZ\r\nABD\r\nABE\r\n", {4}, {}},
      {"line of 127 bytes", "HEAD\r\n" + std::string(127, 'A') + "\r\nB\r\n", {2}, {}},
      {"no final line end", "HEAD\r\nABC", {2}, {}},
      {"CR alone", "HEAD\r\nABC\rABD\r\n", {2}, {}},
      {"first line ends with CR alone", "HEAD\rABC\r\nABD\r\n", {1}, {}},
      {"empty entry", "HEAD\r\nABC\r\n\r\n", {3}, {}},
      {"repeat", "HEAD\r\nABC\r\nABC\r\n", {}, {3}},
      {"empty file", "", {}, {0}},
      {"UTF-16, sorted", Utf16("HEAD\r\n_X\r\nABC\r\n"), {}, {}},
      {"UTF-16, unsorted", Utf16("HEAD\r\nABD\r\nABC\r\n"), {3}, {}},
      {"UTF-16 of odd size", Utf16("HEAD\r\nABC\r\n") + "A", {0}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::TempDir dir;
    Recorder recorder;
    DictionaryVerifyReport report;
    std::string error;
    ASSERT_TRUE(VerifyDictionary(dir.WriteFile("d.txt", c.file), recorder, report, error));
    EXPECT_EQ(recorder.errors, c.errors);
    EXPECT_EQ(recorder.warnings, c.warnings);
    EXPECT_EQ(report.errors, c.errors.size());
  }
}

}  // namespace
}  // namespace hvn::tool
