// Runs in both builds: the portable Windows-1252 implementation and the Win32 calls must agree.
#include "platform/ansi_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace hvn::platform {
namespace {

TEST(WideToAnsi, ConvertsWindows1252AndReplacesTheRest) {
  struct Case {
    std::u16string wide;
    std::string ansi;
  };
  const Case cases[] = {
      {u"Password1", "Password1"},
      {u"\u00e9t\u00e9", "\xe9t\xe9"},
      {u"\u20ac5", "\x80" "5"},
      {u"\u0161", "\x9a"},
      {u"\u4e2d", "?"},
      {u"", ""},
  };
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    char out[32];
    size_t n = WideToAnsi(cases[i].wide.data(), cases[i].wide.size(), out, sizeof(out));
    EXPECT_EQ(std::string(out, n), cases[i].ansi) << "case " << i;
    EXPECT_EQ(out[n], '\0') << "case " << i;
  }
}

TEST(WideToAnsi, CutsToCapacityAndTerminates) {
  char out[4];
  std::memset(out, 'x', sizeof(out));
  EXPECT_EQ(WideToAnsi(u"abcdef", 6, out, sizeof(out)), 3u);
  EXPECT_STREQ(out, "abc");
}

TEST(AnsiToWide, RoundTripsEveryDefinedByte) {
  for (int byte = 1; byte < 256; ++byte) {
    if (byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D) continue;
    char in[2] = {static_cast<char>(byte), 0};
    char16_t wide[4];
    ASSERT_EQ(AnsiToWide(in, 1, wide, 4), 1u) << byte;
    char back[4];
    ASSERT_EQ(WideToAnsi(wide, 1, back, sizeof(back)), 1u) << byte;
    EXPECT_EQ(static_cast<unsigned char>(back[0]), byte) << byte;
  }
}

TEST(AnsiToUpper, MapsAccentedLettersOfTheCodePage) {
  char text[] = "abc\xe4\xe9\xf7\xff\x9a z1";
  AnsiToUpper(text, std::strlen(text));
  EXPECT_STREQ(text, "ABC\xc4\xc9\xf7\x9f\x8a Z1");
}

TEST(AnsiEqualIgnoreCase, ComparesWholeTextsWithoutCase) {
  EXPECT_TRUE(AnsiEqualIgnoreCase("Sales", 5, "SALES", 5));
  EXPECT_TRUE(AnsiEqualIgnoreCase("\xe4rger", 5, "\xc4RGER", 5));
  EXPECT_FALSE(AnsiEqualIgnoreCase("Sales", 5, "SALE", 4));
  EXPECT_FALSE(AnsiEqualIgnoreCase("Sales", 5, "Salez", 5));
  EXPECT_TRUE(AnsiEqualIgnoreCase("", 0, "", 0));
}

TEST(BoundedLength, StopsAtCapacityWhenUnterminated) {
  const char full[4] = {'a', 'b', 'c', 'd'};
  EXPECT_EQ(BoundedLength(full, 4), 4u);
  EXPECT_EQ(BoundedLength("ab", 4), 2u);
  const char16_t wide[3] = {u'x', u'y', u'z'};
  EXPECT_EQ(BoundedLength(wide, 3), 3u);
}

}  // namespace
}  // namespace hvn::platform
