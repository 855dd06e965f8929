// The console line reader of `check`: a line longer than its buffer is read to its end, so
// that its tail never feeds the next prompt or the shell.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "base/terminal.h"

namespace hvn::tool {
namespace {

// The console's side: the typed lines, handed out as ReadConsoleW hands them out: never past
// the end of a line, and a line longer than the buffer over several calls.
struct TypedText {
  std::u16string text;
  size_t at = 0;
  static size_t Read(void* context, char16_t* buffer, size_t capacity) {
    auto& typed = *static_cast<TypedText*>(context);
    size_t line_end = typed.text.find(u'\n', typed.at);
    size_t left = (line_end == std::u16string::npos ? typed.text.size() : line_end + 1) - typed.at;
    size_t n = std::min(capacity, left);
    std::memcpy(buffer, typed.text.data() + typed.at, n * sizeof(char16_t));
    typed.at += n;
    return n;
  }
};

TEST(ReadLineInChunks, ReadsALongLineToItsEndAndKeepsItsStart) {
  TypedText typed{std::u16string(600, u'p') + u"\r\nnext\r\n"};
  char16_t line[kSecretCapacity];
  size_t length = 0;
  ASSERT_TRUE(ReadLineInChunks(TypedText::Read, &typed, line, length));
  EXPECT_EQ(std::u16string(line, length), std::u16string(kSecretCapacity - 1, u'p'));
  ASSERT_TRUE(ReadLineInChunks(TypedText::Read, &typed, line, length));
  EXPECT_EQ(std::u16string(line, length), u"next");
  EXPECT_FALSE(ReadLineInChunks(TypedText::Read, &typed, line, length));
  EXPECT_EQ(length, 0u);
}

}  // namespace
}  // namespace hvn::tool
