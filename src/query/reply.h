// The reply of a policy server as the clients read it: one datagram of UTF-16LE text in the
// caller's zero-filled reply buffer. Every BEL before the first NUL becomes NUL, so the reply
// reads as NUL-terminated strings that end at the first empty one.
#ifndef HVN_QUERY_REPLY_H_
#define HVN_QUERY_REPLY_H_

#include <cstddef>

namespace hvn {

constexpr size_t kReplyBytes = 8192;  // the reply buffer of every caller

// The most bytes a reply buffer of `reply_bytes` receives: two less than its size, so that
// the reply always ends in NUL. 0 for a buffer too small to hold any character.
size_t ReceiveLimit(size_t reply_bytes);

// Makes the `received_bytes` bytes at the start of `reply` (a buffer of `reply_bytes` bytes,
// zero beyond what was received) a reply the clients can read: a dangling odd byte is dropped,
// every BEL before the first NUL turned into NUL. `received_bytes` beyond ReceiveLimit are
// taken as ReceiveLimit (and the rest zeroed), so the buffer always ends in NUL.
void ConvertReceivedReply(char16_t* reply, size_t reply_bytes, size_t received_bytes);

// True when the first string of the converted `reply` (a buffer of `reply_bytes` bytes) is
// non-empty: a server answered something.
bool HasReply(const char16_t* reply, size_t reply_bytes);

// Length in characters of the first string of the converted `reply`: the text a message
// reply shows. Never reads past the buffer.
size_t ReplyTextLength(const char16_t* reply, size_t reply_bytes);

// Fills all `reply_bytes` bytes of `reply` with zeros.
void ClearReply(char16_t* reply, size_t reply_bytes);

}  // namespace hvn

#endif  // HVN_QUERY_REPLY_H_
