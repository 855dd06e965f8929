#include "support/dictionary_file.h"

#include <algorithm>

namespace hvn::test {
namespace {

unsigned char FoldByte(char c) {
  unsigned char byte = static_cast<unsigned char>(c);
  return (byte >= 'A' && byte <= 'Z') ? byte + 32 : byte;
}

std::string Fold(const std::string& text) {
  std::string folded = text;
  for (char& c : folded) c = static_cast<char>(FoldByte(c));
  return folded;
}

}  // namespace

bool DictionaryLess(const std::string& a, const std::string& b) {
  size_t common = std::min(a.size(), b.size());
  for (size_t i = 0; i < common; ++i) {
    if (FoldByte(a[i]) != FoldByte(b[i])) return FoldByte(a[i]) < FoldByte(b[i]);
  }
  return a.size() < b.size();
}

std::vector<std::string> SortDictionary(std::vector<std::string> entries) {
  std::sort(entries.begin(), entries.end(), DictionaryLess);
  entries.erase(std::unique(entries.begin(), entries.end(),
                            [](const std::string& a, const std::string& b) {
                              return !DictionaryLess(a, b) && !DictionaryLess(b, a);
                            }),
                entries.end());
  return entries;
}

std::string AnsiDictionary(const std::vector<std::string>& sorted_entries,
                           const std::string& heading) {
  std::string file = heading + "\r\n";
  for (const std::string& entry : sorted_entries) file += entry + "\r\n";
  return file;
}

std::string Utf16Dictionary(const std::vector<std::string>& sorted_entries,
                            const std::string& heading) {
  std::string ansi = AnsiDictionary(sorted_entries, heading);
  std::string file;
  file.reserve(ansi.size() * 2);
  for (char c : ansi) {
    file += c;
    file += '\0';
  }
  return file;
}

std::u16string Widen(const std::string& text) {
  std::u16string wide;
  for (char c : text) wide += static_cast<char16_t>(static_cast<unsigned char>(c));
  return wide;
}

std::string RandomEntry(std::mt19937& random, size_t min_length, size_t max_length) {
  static const char kRare[] = "0123456789$!-_.@#&";
  std::uniform_int_distribution<size_t> length(min_length, max_length);
  std::uniform_int_distribution<int> kind(0, 9);
  std::uniform_int_distribution<int> letter(0, 25);
  std::uniform_int_distribution<size_t> rare(0, sizeof(kRare) - 2);
  std::string entry(length(random), 'A');
  for (char& c : entry) {
    c = kind(random) < 8 ? static_cast<char>('A' + letter(random)) : kRare[rare(random)];
  }
  return entry;
}

DictionaryOracle::DictionaryOracle(const std::vector<std::string>& entries) {
  for (const std::string& entry : entries) {
    folded_.insert(Fold(entry));
    longest_ = std::max(longest_, entry.size());
  }
}

bool DictionaryOracle::Contains(const std::string& key) const {
  return folded_.count(Fold(key)) != 0;
}

bool DictionaryOracle::ContainsPiece(const std::string& text, uint32_t window) const {
  return window <= text.size() && LongestPiece(text) >= static_cast<long>(window);
}

long DictionaryOracle::LongestPiece(const std::string& text) const {
  std::string folded = Fold(text);
  for (size_t n = std::min(text.size(), longest_) + 1; n-- > 0;) {
    for (size_t i = 0; i + n <= folded.size(); ++i) {
      if (folded_.count(folded.substr(i, n)) != 0) return static_cast<long>(n);
    }
  }
  return -1;
}

bool DictionaryOracle::ContainsPrefixWildcard(const std::string& text) const {
  for (size_t i = 1; i <= text.size(); ++i) {
    if (Contains("!!" + text.substr(0, i) + "*!!")) return true;
  }
  return false;
}

bool DictionaryOracle::ContainsSuffixWildcard(const std::string& text) const {
  for (size_t k = 1; k <= text.size(); ++k) {
    if (Contains("!!*" + text.substr(text.size() - k) + "!!")) return true;
  }
  return false;
}

}  // namespace hvn::test
