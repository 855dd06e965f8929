// libFuzzer target: an arbitrary datagram received into a reply buffer of arbitrary size, as
// the transport does it, then read as the callers read it. The first two bytes choose the
// buffer's size.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "query/reply.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  // The first two bytes choose the buffer size (up to the callers' 8,192 bytes).
  size_t reply_bytes = (static_cast<size_t>(data[0]) << 8 | data[1]) % (hvn::kReplyBytes + 1);
  data += 2;
  size -= 2;
  std::vector<char16_t> storage(reply_bytes / 2 + 1);
  // Exactly reply_bytes bytes are the buffer; the rest of the storage stays untouched.
  char16_t* reply = storage.data();
  std::memset(reply, 0, reply_bytes);
  size_t limit = hvn::ReceiveLimit(reply_bytes);
  std::memcpy(reply, data, size < limit ? size : limit);
  hvn::ConvertReceivedReply(reply, reply_bytes, size);
  size_t length = hvn::ReplyTextLength(reply, reply_bytes);
  if (reply_bytes >= 2 && length >= reply_bytes / 2) __builtin_trap();  // must be terminated
  if (hvn::HasReply(reply, reply_bytes) != (length > 0)) __builtin_trap();
  for (size_t i = 0; i < length; ++i) {
    if (reply[i] == u'\a') __builtin_trap();
  }
  return 0;
}
