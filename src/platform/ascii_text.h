// Letter case of the product's own ASCII keywords and file names ("INSTALL", "DOM",
// "MSGINA.DLL", "HVNC32", "HVN"). Only 'a'..'z' fold to 'A'..'Z'; every other byte is compared
// as it is, so no system locale changes the answer (a Turkish or Azeri locale makes "i" and
// "I" different letters). Texts that come from the system (window titles, control texts,
// domain names) keep the locale's rules of ansi_text.h.
#ifndef HVN_PLATFORM_ASCII_TEXT_H_
#define HVN_PLATFORM_ASCII_TEXT_H_

#include <cstddef>

#include "platform/ansi_text.h"

namespace hvn::platform {

constexpr char AsciiToUpper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// True when `length` bytes of `text` equal the ASCII `keyword` (NUL-terminated), letter case
// ignored. A double-byte character never matches: its lead byte is no ASCII character.
inline bool AsciiEqualIgnoreCase(const char* text, size_t length, const char* keyword) {
  size_t at = 0;
  for (; at < length && keyword[at] != '\0'; ++at) {
    if (AsciiToUpper(text[at]) != AsciiToUpper(keyword[at])) return false;
  }
  return at == length && keyword[at] == '\0';
}

// True when `length` bytes of `text` contain the ASCII `keyword` (NUL-terminated), letter case
// ignored. A match starts only where a character of the ANSI code page starts, so the second
// byte of a double-byte character is never taken for a letter. An empty keyword is contained
// in every text.
inline bool AsciiContainsIgnoreCase(const char* text, size_t length, const char* keyword) {
  size_t keyword_length = 0;
  while (keyword[keyword_length] != '\0') ++keyword_length;
  for (size_t at = 0; at + keyword_length <= length;) {
    if (AsciiEqualIgnoreCase(text + at, keyword_length, keyword)) return true;
    at += (IsAnsiLeadByte(static_cast<unsigned char>(text[at])) && at + 1 < length) ? 2 : 1;
  }
  return false;
}

}  // namespace hvn::platform

#endif  // HVN_PLATFORM_ASCII_TEXT_H_
