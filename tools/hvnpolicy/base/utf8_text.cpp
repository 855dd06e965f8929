#include "base/utf8_text.h"

#include <vector>

#include "platform/ansi_text.h"

namespace hvn::tool {

bool DecodeUtf8(const char* text, size_t length, std::u16string& out) {
  out.clear();
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  for (size_t i = 0; i < length;) {
    uint32_t c = bytes[i];
    size_t extra = 0;
    uint32_t minimum = 0;
    if (c < 0x80) {
      extra = 0;
    } else if ((c & 0xE0) == 0xC0) {
      extra = 1, c &= 0x1F, minimum = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
      extra = 2, c &= 0x0F, minimum = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
      extra = 3, c &= 0x07, minimum = 0x10000;
    } else {
      return false;
    }
    if (extra != 0 && i + extra >= length) return false;
    for (size_t k = 1; k <= extra; ++k) {
      if ((bytes[i + k] & 0xC0) != 0x80) return false;
      c = (c << 6) | (bytes[i + k] & 0x3F);
    }
    if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    if (c >= 0x10000) {
      c -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (c >> 10));
      out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
    i += extra + 1;
  }
  return true;
}

size_t EncodeUtf8(const char16_t* text, size_t length, char* out, size_t capacity) {
  if (capacity == 0) return 0;
  size_t written = 0;
  for (size_t i = 0; i < length; ++i) {
    uint32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < length && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    char bytes[4];
    size_t n = 0;
    if (c < 0x80) {
      bytes[n++] = static_cast<char>(c);
    } else if (c < 0x800) {
      bytes[n++] = static_cast<char>(0xC0 | (c >> 6));
      bytes[n++] = static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      bytes[n++] = static_cast<char>(0xE0 | (c >> 12));
      bytes[n++] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      bytes[n++] = static_cast<char>(0x80 | (c & 0x3F));
    } else {
      bytes[n++] = static_cast<char>(0xF0 | (c >> 18));
      bytes[n++] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      bytes[n++] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      bytes[n++] = static_cast<char>(0x80 | (c & 0x3F));
    }
    if (written + n >= capacity) break;
    for (size_t k = 0; k < n; ++k) out[written++] = bytes[k];
  }
  out[written] = '\0';
  return written;
}

std::string EncodeUtf8(const std::u16string& text) {
  std::string out(text.size() * 3 + 1, '\0');
  out.resize(EncodeUtf8(text.data(), text.size(), &out[0], out.size()));
  return out;
}

std::string ToAnsi(const std::u16string& text) {
  std::vector<char> buffer(text.size() * 2 + 1);
  size_t length = platform::WideToAnsi(text.data(), text.size(), buffer.data(), buffer.size());
  return std::string(buffer.data(), length);
}

std::u16string FromAnsi(const std::string& text) {
  std::vector<char16_t> buffer(text.size() + 1);
  size_t length = platform::AnsiToWide(text.data(), text.size(), buffer.data(), buffer.size());
  return std::u16string(buffer.data(), length);
}

std::string Utf16LeBytes(const std::u16string& text) {
  std::string bytes;
  bytes.reserve(text.size() * 2);
  for (char16_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  return bytes;
}

std::u16string Widen(const char* ascii) {
  std::u16string out;
  for (; *ascii != '\0'; ++ascii) out += static_cast<char16_t>(static_cast<unsigned char>(*ascii));
  return out;
}

}  // namespace hvn::tool
