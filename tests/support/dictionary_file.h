// Dictionaries for tests and benchmarks: sorted the way the dictionary rule requires, written
// as ANSI or UTF-16LE files, and an in-memory oracle for exact membership.
#ifndef HVN_TESTS_SUPPORT_DICTIONARY_FILE_H_
#define HVN_TESTS_SUPPORT_DICTIONARY_FILE_H_

#include <cstdint>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace hvn::test {

// True when `a` sorts before `b` in a dictionary: A-Z folded to a-z, then byte by byte,
// unsigned; a text sorts before every longer text it begins.
bool DictionaryLess(const std::string& a, const std::string& b);

// Sorts `entries` in dictionary order and drops repeats.
std::vector<std::string> SortDictionary(std::vector<std::string> entries);

// The bytes of an ANSI dictionary: `heading` as the first line, then every entry, each line
// ended by CR LF.
std::string AnsiDictionary(const std::vector<std::string>& sorted_entries,
                           const std::string& heading = "DICTIONARY");

// The same lines as UTF-16LE (each byte becomes one code unit).
std::string Utf16Dictionary(const std::vector<std::string>& sorted_entries,
                            const std::string& heading = "DICTIONARY");

// The text as UTF-16 (each byte becomes one code unit).
std::u16string Widen(const std::string& text);

// A random upper-case entry of `min_length` to `max_length` bytes, mostly letters, with
// digits and a few punctuation marks.
std::string RandomEntry(std::mt19937& random, size_t min_length, size_t max_length);

// Exact membership, computed in memory from the entries.
class DictionaryOracle {
 public:
  explicit DictionaryOracle(const std::vector<std::string>& entries);
  // Whether `key` equals an entry (A-Z folded).
  bool Contains(const std::string& key) const;
  // Whether an entry of at least `window` bytes occurs inside `text`.
  bool ContainsPiece(const std::string& text, uint32_t window) const;
  // The length of the longest entry that occurs inside `text`, or -1 when none does.
  long LongestPiece(const std::string& text) const;
  // Whether "!!" + a non-empty beginning of `text` + "*!!" is an entry.
  bool ContainsPrefixWildcard(const std::string& text) const;
  // Whether "!!*" + a non-empty ending of `text` + "!!" is an entry.
  bool ContainsSuffixWildcard(const std::string& text) const;

 private:
  std::set<std::string> folded_;
  size_t longest_ = 0;
};

}  // namespace hvn::test

#endif  // HVN_TESTS_SUPPORT_DICTIONARY_FILE_H_
