// Reply handling: what a received datagram becomes in the reply buffer. Network replies are
// untrusted, so besides the table a randomized test checks the invariants on arbitrary bytes.
// Runs in both builds (natively under AddressSanitizer).
#include "query/reply.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace hvn {
namespace {

// Puts `datagram` into a zeroed buffer of `reply_bytes` bytes as a receive of at most
// ReceiveLimit bytes would, and converts it.
std::vector<char16_t> Receive(const std::string& datagram, size_t reply_bytes) {
  std::vector<char16_t> buffer(reply_bytes / 2 + 1, u'\0');
  unsigned char* bytes = reinterpret_cast<unsigned char*>(buffer.data());
  size_t received = std::min(datagram.size(), ReceiveLimit(reply_bytes));
  std::memcpy(bytes, datagram.data(), received);
  ConvertReceivedReply(buffer.data(), reply_bytes, datagram.size());
  return buffer;
}

std::string Le(const std::u16string& text) {
  std::string bytes;
  for (char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  return bytes;
}

TEST(ReceiveLimit, LeavesRoomForOneNulCharacter) {
  const size_t cases[][2] = {{8192, 8190}, {0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 2}, {5, 2}, {9, 6}};
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    EXPECT_EQ(ReceiveLimit(cases[i][0]), cases[i][1]) << "case " << i;
  }
}

TEST(ConvertReceivedReply, TurnsBelsBeforeTheFirstNulIntoNuls) {
  struct Case {
    std::u16string datagram;
    std::u16string expected;  // the first characters of the buffer afterwards
  };
  const Case cases[] = {
      {u"Too short", u"Too short"},
      {u"First\aSecond\a", std::u16string(u"First\0Second\0", 13)},
      // A reply that starts with BEL has an empty first string: no reply.
      {u"\aText", std::u16string(u"\0Text", 5)},
      // BELs after the first NUL stay as they came.
      {std::u16string(u"A\0B\aC", 5), std::u16string(u"A\0B\aC", 5)},
      {u"", u""},
  };
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    std::vector<char16_t> reply = Receive(Le(cases[i].datagram), 64);
    EXPECT_EQ(std::u16string(reply.data(), cases[i].expected.size()), cases[i].expected)
        << "case " << i;
    EXPECT_EQ(reply[cases[i].expected.size()], u'\0') << "case " << i;
  }
}

TEST(ConvertReceivedReply, CutsALongReplyAndKeepsItTerminated) {
  std::vector<char16_t> reply = Receive(Le(std::u16string(100, u'x')), 32);
  EXPECT_EQ(std::u16string(reply.data()), std::u16string(15, u'x'));
  EXPECT_TRUE(HasReply(reply.data(), 32));
  EXPECT_EQ(ReplyTextLength(reply.data(), 32), 15u);
}

TEST(ConvertReceivedReply, DropsADanglingOddByte) {
  std::vector<char16_t> reply = Receive(std::string("A\0B", 3), 64);
  EXPECT_EQ(std::u16string(reply.data()), u"A");
  EXPECT_EQ(reply[1], u'\0');
}

TEST(HasReply, IsTrueOnlyForANonEmptyFirstString) {
  const char16_t empty[4] = {0, u'x', 0, 0};
  const char16_t text[4] = {u'x', 0, 0, 0};
  EXPECT_FALSE(HasReply(empty, sizeof(empty)));
  EXPECT_TRUE(HasReply(text, sizeof(text)));
  EXPECT_FALSE(HasReply(text, 1));
  EXPECT_FALSE(HasReply(nullptr, 8));
}

TEST(ReplyTextLength, NeverReadsPastTheBuffer) {
  const char16_t full[3] = {u'a', u'b', u'c'};
  EXPECT_EQ(ReplyTextLength(full, sizeof(full)), 3u);
  EXPECT_EQ(ReplyTextLength(full, 4), 2u);
  EXPECT_EQ(ReplyTextLength(nullptr, 4), 0u);
}

// Arbitrary datagrams into buffers of arbitrary sizes: the buffer always ends in NUL, nothing
// is written past it, no BEL is left before the first NUL, and every other character of the
// first string is the one received.
TEST(ConvertReceivedReply, HoldsItsInvariantsForRandomDatagrams) {
  std::mt19937 random(20261207);
  const char16_t alphabet[] = {u'\a', u'\0', u'A', u'\t', 0xD800, 0xFFFF, u'\u00e9'};
  for (int round = 0; round < 20000; ++round) {
    size_t reply_bytes = random() % 70;
    std::string datagram;
    size_t length = random() % 90;
    for (size_t i = 0; i < length; ++i) {
      if (random() % 3 == 0) {
        datagram.push_back(static_cast<char>(random()));
      } else {
        char16_t c = alphabet[random() % (sizeof(alphabet) / sizeof(alphabet[0]))];
        datagram.push_back(static_cast<char>(c & 0xFF));
        datagram.push_back(static_cast<char>(c >> 8));
      }
    }
    // Exactly reply_bytes bytes, in a heap block of its own so ASan sees any overrun.
    if (reply_bytes == 0) continue;
    unsigned char* bytes = new unsigned char[reply_bytes];
    std::memset(bytes, 0, reply_bytes);
    size_t limit = ReceiveLimit(reply_bytes);
    size_t received = std::min(datagram.size(), limit);
    std::memcpy(bytes, datagram.data(), received);
    // Alignment: new[] gives storage aligned for any fundamental type.
    char16_t* reply = reinterpret_cast<char16_t*>(bytes);
    ConvertReceivedReply(reply, reply_bytes, datagram.size());

    size_t characters = reply_bytes / 2;
    if (characters > 0) {
      size_t first = ReplyTextLength(reply, reply_bytes);
      ASSERT_LT(first, characters) << "round " << round;  // terminated inside the buffer
      for (size_t i = 0; i < first; ++i) {
        char16_t original =
            static_cast<char16_t>(static_cast<unsigned char>(datagram[2 * i]) |
                                  (static_cast<unsigned char>(datagram[2 * i + 1]) << 8));
        ASSERT_NE(reply[i], u'\a') << "round " << round;
        ASSERT_EQ(reply[i], original) << "round " << round << " index " << i;
      }
      for (size_t i = (received / 2) * 2; i < reply_bytes; ++i) {
        ASSERT_EQ(bytes[i], 0) << "round " << round << " byte " << i;
      }
      EXPECT_EQ(HasReply(reply, reply_bytes), first > 0) << "round " << round;
    }
    delete[] bytes;
  }
}

}  // namespace
}  // namespace hvn
