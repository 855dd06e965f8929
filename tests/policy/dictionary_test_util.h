// Builds small dictionary files for the tests: a first line that is not an entry, then the
// entries upper-cased and sorted by their lower-cased text, each line ended by CR LF, in the
// ANSI code page (bytes as given) or in UTF-16LE.
#ifndef HVN_TESTS_POLICY_DICTIONARY_TEST_UTIL_H_
#define HVN_TESTS_POLICY_DICTIONARY_TEST_UTIL_H_

#include <algorithm>
#include <string>
#include <vector>

namespace hvn::test {

inline unsigned FoldForSort(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? c + 32u : c;
}

// Sorts entries the way the lookups expect: lower-cased text, byte by byte, unsigned.
inline void SortEntries(std::vector<std::string>& entries) {
  std::sort(entries.begin(), entries.end(), [](const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
      return FoldForSort(static_cast<unsigned char>(x)) <
             FoldForSort(static_cast<unsigned char>(y));
    });
  });
}

// The text of a dictionary: `first_line`, then the sorted entries, each line ended by CR LF.
inline std::string DictionaryText(const std::string& first_line, std::vector<std::string> entries) {
  SortEntries(entries);
  std::string text = first_line + "\r\n";
  for (const std::string& entry : entries) text += entry + "\r\n";
  return text;
}

// The same text as UTF-16LE bytes (each byte of `text` taken as a Latin-1 character).
inline std::string Utf16Bytes(const std::string& text) {
  std::string bytes;
  for (char c : text) {
    bytes += c;
    bytes += '\0';
  }
  return bytes;
}

}  // namespace hvn::test

#endif  // HVN_TESTS_POLICY_DICTIONARY_TEST_UTIL_H_
