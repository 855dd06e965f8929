#include "setup/provider_names.h"

#include <cstring>

#include "config/logon_provider_settings.h"
#include "platform/ansi_text.h"
#include "platform/heap.h"

namespace hvn {
namespace {

// Upper-cased copy of `text` in a heap block of its own (one byte more for the terminator).
platform::UniqueHeapBlock UpperCopy(const char* text, size_t length) {
  platform::UniqueHeapBlock copy = platform::UniqueHeapBlock::Allocate(length + 1);
  if (!copy.IsValid()) return copy;
  std::memcpy(copy.Get(), text, length);
  platform::AnsiToUpper(copy.As<char>(), length);
  return copy;
}

bool EqualsNoCase(const char* name, const char* expected) {
  if (name == nullptr) return false;
  return platform::AnsiEqualIgnoreCase(name, std::strlen(name), expected, std::strlen(expected));
}

}  // namespace

bool ContainsNoCase(const char* text, const char* part) {
  if (text == nullptr) text = "";
  if (part == nullptr) part = "";
  const size_t text_length = std::strlen(text);
  const size_t part_length = std::strlen(part);
  if (part_length == 0) return true;
  if (part_length > text_length) return false;
  platform::UniqueHeapBlock upper_text = UpperCopy(text, text_length);
  platform::UniqueHeapBlock upper_part = UpperCopy(part, part_length);
  if (!upper_text.IsValid() || !upper_part.IsValid()) return false;
  const char* haystack = upper_text.As<char>();
  const char* needle = upper_part.As<char>();
  for (size_t at = 0; at + part_length <= text_length;) {
    if (std::memcmp(haystack + at, needle, part_length) == 0) return true;
    // Step over a double-byte character whole, so a match never starts on its trail byte.
    bool lead = platform::IsAnsiLeadByte(static_cast<unsigned char>(haystack[at]));
    at += (lead && haystack[at + 1] != '\0') ? 2 : 1;
  }
  return false;
}

bool IsDefaultProviderName(const char* name) {
  return name != nullptr && std::strcmp(name, kStandardProviderName) == 0;
}

bool IsClientProviderName(const char* name) {
  return ContainsNoCase(name, "HVNC32");
}

bool IsHarmlessHeadName(const char* name) {
  return EqualsNoCase(name, kStandardProviderName) || EqualsNoCase(name, kClientProviderName);
}

}  // namespace hvn
