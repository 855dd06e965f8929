#include <cstring>

#include "base/terminal.h"
#include "base/utf8_text.h"
#include "platform/ansi_text.h"
#include "platform/secure_zero.h"

namespace hvn::tool {

void DecodeSecretLine(const char* bytes, size_t length, char16_t (&out)[kSecretCapacity],
                      size_t& out_length) {
  std::memset(out, 0, sizeof(out));
  std::u16string wide;
  wide.reserve(length + 1);  // no reallocation leaves a copy behind
  if (DecodeUtf8(bytes, length, wide)) {
    out_length = wide.size() < kSecretCapacity - 1 ? wide.size() : kSecretCapacity - 1;
    // Never end on the first half of a surrogate pair.
    if (out_length > 0 && out_length < wide.size() && wide[out_length - 1] >= 0xD800 &&
        wide[out_length - 1] <= 0xDBFF)
      --out_length;
    std::memcpy(out, wide.data(), out_length * sizeof(char16_t));
  } else {
    out_length = platform::AnsiToWide(bytes, length, out, kSecretCapacity);
  }
  if (!wide.empty()) platform::SecureZero(&wide[0], wide.size() * sizeof(char16_t));
}

bool ReadLineInChunks(size_t (*read)(void* context, char16_t* buffer, size_t capacity),
                      void* context, char16_t (&out)[kSecretCapacity], size_t& length) {
  std::memset(out, 0, sizeof(out));
  length = 0;
  char16_t chunk[kSecretCapacity + 2];
  bool any = false;
  bool ended = false;  // CR or LF seen: the rest of the line is dropped
  for (;;) {
    const size_t got = read(context, chunk, sizeof(chunk) / sizeof(chunk[0]));
    if (got == 0) break;
    any = true;
    bool line_feed = false;
    for (size_t i = 0; i < got && !line_feed; ++i) {
      line_feed = chunk[i] == u'\n';
      ended = ended || line_feed || chunk[i] == u'\r';
      if (!ended && length < kSecretCapacity - 1) out[length++] = chunk[i];
    }
    if (line_feed) break;
  }
  platform::SecureZero(chunk, sizeof(chunk));
  // Never end on the first half of a surrogate pair that was cut.
  if (length == kSecretCapacity - 1 && out[length - 1] >= 0xD800 && out[length - 1] <= 0xDBFF)
    out[--length] = u'\0';
  return any;
}

}  // namespace hvn::tool
