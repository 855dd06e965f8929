#include "serve/request_log.h"

#include <ctime>

#include "base/utf8_text.h"

namespace hvn::tool {
namespace {

// Characters that a terminal takes as controls, or that reorder or break what follows them.
bool ShownAsCode(char16_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x061C || c == 0x200E || c == 0x200F ||
         (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) || c == 0x2028 || c == 0x2029;
}

bool IsHigh(char16_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLow(char16_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

void AppendCode(std::string& out, const char* format, unsigned value) {
  char code[8];
  std::snprintf(code, sizeof(code), format, value);
  out += code;
}

}  // namespace

std::string EscapeDatagram(const char* data, size_t size, size_t max_characters) {
  std::string out;
  const size_t units = size / 2;
  auto unit = [&](size_t i) {
    return static_cast<char16_t>(static_cast<unsigned char>(data[2 * i]) |
                                 (static_cast<unsigned char>(data[2 * i + 1]) << 8));
  };
  size_t shown = 0;
  for (size_t i = 0; i < units; ++i, ++shown) {
    if (shown == max_characters) return out + "...";
    const char16_t c = unit(i);
    switch (c) {
      case u'\0':
        out += "\\0";
        continue;
      case u'\a':
        out += "\\a";
        continue;
      case u'\t':
        out += "\\t";
        continue;
      case u'\r':
        out += "\\r";
        continue;
      case u'\n':
        out += "\\n";
        continue;
      case u'\\':
        out += "\\\\";
        continue;
      default:
        break;
    }
    if (IsHigh(c) && i + 1 < units && IsLow(unit(i + 1))) {
      out += EncodeUtf8(std::u16string{c, unit(i + 1)});
      ++i;
    } else if (ShownAsCode(c) || IsHigh(c) || IsLow(c)) {
      AppendCode(out, "\\u%04X", c);
    } else {
      out += EncodeUtf8(std::u16string(1, c));
    }
  }
  if (size % 2 != 0) AppendCode(out, "\\x%02X", static_cast<unsigned char>(data[size - 1]));
  return out;
}

void WriteLogLine(FILE* log, const std::string& text) {
  std::time_t now = std::time(nullptr);
  std::tm* utc = std::gmtime(&now);
  char time_text[32] = "?";
  if (utc != nullptr) std::strftime(time_text, sizeof(time_text), "%Y-%m-%d %H:%M:%S", utc);
  std::fprintf(log, "%s %s\n", time_text, text.c_str());
  std::fflush(log);
}

}  // namespace hvn::tool
