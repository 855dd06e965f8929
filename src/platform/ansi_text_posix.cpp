// Windows-1252 as the ANSI code page, for the portable build.
#include <cstring>

#include "platform/ansi_text.h"

namespace hvn::platform {
namespace {

// Unicode of the bytes 0x80-0x9F; 0 marks the five bytes 1252 leaves undefined, which
// Windows maps to the same C1 control code point.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t ByteToUnit(unsigned char byte) {
  if (byte >= 0x80 && byte <= 0x9F) return kHighControls[byte - 0x80];
  return byte;
}

char UnitToByte(char16_t unit) {
  if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) return static_cast<char>(unit);
  for (unsigned i = 0; i < 32; ++i) {
    if (kHighControls[i] == unit) return static_cast<char>(0x80 + i);
  }
  return '?';
}

unsigned char UpperByte(unsigned char byte) {
  if (byte >= 'a' && byte <= 'z') return byte - 0x20;
  if (byte >= 0xE0 && byte <= 0xFE && byte != 0xF7) return byte - 0x20;
  switch (byte) {
    case 0x9A: return 0x8A;  // s caron
    case 0x9C: return 0x8C;  // oe
    case 0x9E: return 0x8E;  // z caron
    case 0xFF: return 0x9F;  // y diaeresis
    default: return byte;
  }
}

}  // namespace

size_t WideToAnsi(const char16_t* text, size_t length, char* out, size_t capacity) {
  if (capacity == 0) return 0;
  size_t written = 0;
  for (size_t i = 0; i < length && written + 1 < capacity; ++i) {
    char16_t unit = text[i];
    // A surrogate pair is one character that 1252 cannot represent: one default character.
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < length && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      ++i;
      out[written++] = '?';
      continue;
    }
    out[written++] = UnitToByte(unit);
  }
  out[written] = '\0';
  return written;
}

size_t AnsiToWide(const char* text, size_t length, char16_t* out, size_t capacity) {
  if (capacity == 0) return 0;
  size_t written = 0;
  for (size_t i = 0; i < length && written + 1 < capacity; ++i) {
    out[written++] = ByteToUnit(static_cast<unsigned char>(text[i]));
  }
  out[written] = u'\0';
  return written;
}

void AnsiToUpper(char* text, size_t length) {
  for (size_t i = 0; i < length; ++i) {
    text[i] = static_cast<char>(UpperByte(static_cast<unsigned char>(text[i])));
  }
}

bool IsAnsiLeadByte(unsigned char) { return false; }

bool AnsiEqualIgnoreCase(const char* a, size_t a_length, const char* b, size_t b_length) {
  if (a_length != b_length) return false;
  for (size_t i = 0; i < a_length; ++i) {
    if (UpperByte(static_cast<unsigned char>(a[i])) != UpperByte(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

}  // namespace hvn::platform
