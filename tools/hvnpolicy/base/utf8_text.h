// UTF-8 <-> UTF-16 for the tool's files and console: word lists, reply files and .reg files
// may be UTF-8, and the native build prints UTF-8.
#ifndef HVN_TOOLS_HVNPOLICY_BASE_UTF8_TEXT_H_
#define HVN_TOOLS_HVNPOLICY_BASE_UTF8_TEXT_H_

#include <cstddef>
#include <string>

namespace hvn::tool {

// Decodes `length` bytes of UTF-8 into `out` (replaced). Returns false, with `out` unspecified,
// when the bytes are not well-formed UTF-8 (overlong forms, surrogates and values above
// U+10FFFF included), so the caller can take them as the ANSI code page instead.
bool DecodeUtf8(const char* text, size_t length, std::u16string& out);

// Encodes UTF-16 as UTF-8; an unpaired surrogate becomes U+FFFD.
std::string EncodeUtf8(const std::u16string& text);

// The same into `out` (`capacity` bytes): only whole characters, always terminated (when
// `capacity` > 0). Returns the bytes written without the NUL.
size_t EncodeUtf8(const char16_t* text, size_t length, char* out, size_t capacity);

// A UTF-16 text as the ANSI code page (characters it cannot hold become '?') and back.
std::string ToAnsi(const std::u16string& text);
std::u16string FromAnsi(const std::string& text);

// The bytes of a UTF-16 text as the wire and UTF-16LE files carry it: low byte first.
std::string Utf16LeBytes(const std::u16string& text);

// A plain ASCII text widened unit by unit.
std::u16string Widen(const char* ascii);

}  // namespace hvn::tool

#endif  // HVN_TOOLS_HVNPOLICY_BASE_UTF8_TEXT_H_
