#include "base/dictionary_order.h"

#include <cstring>

#include "platform/ansi_text.h"

namespace hvn::tool {
namespace {

uint32_t Fold(uint32_t unit) {
  return (unit >= 'A' && unit <= 'Z') ? unit + ('a' - 'A') : unit;
}

int CompareAnsi(const unsigned char* a, size_t a_length, const unsigned char* b, size_t b_length) {
  size_t common = a_length < b_length ? a_length : b_length;
  bool trail = false;
  for (size_t i = 0; i < common; ++i) {
    uint32_t x = trail ? a[i] : Fold(a[i]);
    uint32_t y = trail ? b[i] : Fold(b[i]);
    if (x != y) return x < y ? -1 : 1;
    // Equal so far, so both texts are at the same place of a double-byte character.
    trail = !trail && platform::IsAnsiLeadByte(a[i]);
  }
  return a_length == b_length ? 0 : (a_length < b_length ? -1 : 1);
}

int CompareUtf16(const unsigned char* a, size_t a_units, const unsigned char* b, size_t b_units) {
  size_t common = a_units < b_units ? a_units : b_units;
  for (size_t i = 0; i < common; ++i) {
    uint32_t x = Fold(a[2 * i] | (a[2 * i + 1] << 8));
    uint32_t y = Fold(b[2 * i] | (b[2 * i + 1] << 8));
    if (x != y) return x < y ? -1 : 1;
  }
  return a_units == b_units ? 0 : (a_units < b_units ? -1 : 1);
}

}  // namespace

int CompareEntries(DictionaryEncoding encoding, const char* a, size_t a_bytes, const char* b,
                   size_t b_bytes) {
  const auto* x = reinterpret_cast<const unsigned char*>(a);
  const auto* y = reinterpret_cast<const unsigned char*>(b);
  if (encoding == DictionaryEncoding::kUtf16) return CompareUtf16(x, a_bytes / 2, y, b_bytes / 2);
  return CompareAnsi(x, a_bytes, y, b_bytes);
}

DictionaryEncoding DetectDictionaryEncoding(const char* head, size_t length) {
  if (length > 256) length = 256;
  return std::memchr(head, 0, length) != nullptr ? DictionaryEncoding::kUtf16
                                                 : DictionaryEncoding::kAnsi;
}

}  // namespace hvn::tool
