#include "query/reply.h"

#include <cstring>

namespace hvn {

size_t ReceiveLimit(size_t reply_bytes) {
  // Whole characters only, and room for one NUL character after them.
  size_t characters = reply_bytes / 2;
  return characters >= 1 ? (characters - 1) * 2 : 0;
}

void ClearReply(char16_t* reply, size_t reply_bytes) {
  if (reply != nullptr && reply_bytes > 0) std::memset(reply, 0, reply_bytes);
}

void ConvertReceivedReply(char16_t* reply, size_t reply_bytes, size_t received_bytes) {
  if (reply == nullptr) return;
  size_t limit = ReceiveLimit(reply_bytes);
  if (received_bytes > limit) received_bytes = limit;
  // Half a character is no character: clear it and everything after the received data.
  size_t characters = received_bytes / 2;
  unsigned char* bytes = reinterpret_cast<unsigned char*>(reply);
  std::memset(bytes + characters * 2, 0, reply_bytes - characters * 2);
  for (size_t i = 0; i < characters && reply[i] != u'\0'; ++i) {
    if (reply[i] == u'\a') reply[i] = u'\0';
  }
}

bool HasReply(const char16_t* reply, size_t reply_bytes) {
  return reply != nullptr && reply_bytes >= 2 && reply[0] != u'\0';
}

size_t ReplyTextLength(const char16_t* reply, size_t reply_bytes) {
  if (reply == nullptr) return 0;
  size_t characters = reply_bytes / 2;
  size_t length = 0;
  while (length < characters && reply[length] != u'\0') ++length;
  return length;
}

}  // namespace hvn
