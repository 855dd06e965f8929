// The test policy server's script and request log: the tools the end-to-end tests rely on to
// script replies and to read what went over the wire. Runs in both builds.
#include "policy_script.h"

#include <gtest/gtest.h>

#include <string>

namespace hvn::test {
namespace {

std::string Le(const std::u16string& text) {
  std::string bytes;
  for (char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  return bytes;
}

std::string Wire(const char16_t* text, size_t length) {
  return Le(std::u16string(text, length));
}

const char kScript[] =
    "# sample\n"
    "30_POLICY\tSALES\tjdoe\tsilent\n"
    "30_POLICY\tsales\t*\treply\t2600\t1\t8\\a2300\t1\\a\n"
    "30_REJECTION_MESSAGE\t*\t*\treply delay=5\tFailed for {user}@{domain}: {codes}\\nBye\r\n"
    "30_POLICY_MESSAGE\t*\t*\traw other-port\t41 00 07 00 42\n"
    "*\tHR\t*\treply pad=9000\t\\u00e9\n";

TEST(ParsePolicyScript, ReadsRulesInOrder) {
  PolicyScript script;
  std::string error;
  ASSERT_TRUE(ParsePolicyScript(kScript, script, error)) << error;
  ASSERT_EQ(script.rules.size(), 5u);
  EXPECT_EQ(script.rules[0].mode, ReplyMode::kSilent);
  EXPECT_EQ(script.rules[1].text, u"2600\t1\t8\a2300\t1\a");
  EXPECT_EQ(script.rules[2].delay_ms, 5u);
  EXPECT_EQ(script.rules[3].bytes, std::string("A\0\a\0B", 5));
  EXPECT_TRUE(script.rules[3].other_port);
  EXPECT_EQ(script.rules[4].pad_to_bytes, 9000u);
  EXPECT_EQ(script.rules[4].text, u"\u00e9");
}

TEST(ParsePolicyScript, RefusesMalformedRulesNamingTheLine) {
  const char* const bad[] = {
      "30_POLICY\tSALES\tjdoe\n",                  // no action
      "31_POLICY\t*\t*\tsilent\n",                 // unknown kind
      "30_POLICY\t*\t*\tshout\n",                  // unknown action
      "30_POLICY\t*\t*\treply silent\n",           // two modes
      "30_POLICY\t*\t*\treply\tbad \\q escape\n",  // unknown escape
      "30_POLICY\t*\t*\treply\tcut \\u12\n",       // cut \u
      "30_POLICY\t*\t*\traw\t4\n",                 // half a byte
  };
  for (size_t i = 0; i < sizeof(bad) / sizeof(bad[0]); ++i) {
    PolicyScript script;
    std::string error;
    EXPECT_FALSE(ParsePolicyScript(std::string("# ok\n") + bad[i], script, error)) << i;
    EXPECT_EQ(error.rfind("line 2:", 0), 0u) << i << ": " << error;
  }
}

TEST(AnswerRequest, FirstMatchingRuleAnswers) {
  PolicyScript script;
  std::string error;
  ASSERT_TRUE(ParsePolicyScript(kScript, script, error)) << error;
  struct Case {
    std::string wire;
    bool send;
    std::string datagram;
  };
  const Case cases[] = {
      {Wire(u"30_POLICY\0SALES\0JDOE\0", 21), false, ""},
      {Wire(u"30_POLICY\0Sales\0ann\0", 20), true, Le(u"2600\t1\t8\a2300\t1\a")},
      {Wire(u"30_REJECTION_MESSAGE\0S\0ann\0002600\0003000\0\0", 38), true,
       Le(u"Failed for ann@S: 2600, 3000\nBye")},
      {Wire(u"30_POLICY_MESSAGE\0S\0ann\0", 24), true, std::string("A\0\a\0B", 5)},
      {Wire(u"30_GENERIC_REJECTION_MESSAGE\0OTHER\0ann\0", 39), false, ""},
      {"garbage", false, ""},
  };
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    ScriptAnswer answer = AnswerRequest(script, cases[i].wire);
    EXPECT_EQ(answer.send, cases[i].send) << "case " << i;
    EXPECT_EQ(answer.datagram, cases[i].datagram) << "case " << i;
  }
  ScriptAnswer padded = AnswerRequest(script, Wire(u"30_POLICY\0HR\0ann\0", 17));
  ASSERT_EQ(padded.datagram.size(), 9000u);
  EXPECT_EQ(padded.datagram.substr(0, 4), Le(u"\u00e9x"));
}

TEST(LogLine, ShowsEveryCharacterUnambiguously) {
  struct Case {
    std::string wire;
    std::string line;
  };
  const Case cases[] = {
      {Wire(u"30_POLICY\0SALES\0jdoe\0", 21), "30_POLICY\\0SALES\\0jdoe\\0"},
      {Wire(u"a\\b\a\t\r\n\x01", 8), "a\\\\b\\a\\t\\r\\n\\u0001"},
      {Wire(u"\u00e9\u4e2d", 2), "\xc3\xa9\xe4\xb8\xad"},
      {std::string("A\0B", 3), "A\\x42"},
      {Le(std::u16string(1, char16_t(0xDC00))), "\\uDC00"},
  };
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    EXPECT_EQ(LogLine(cases[i].wire), cases[i].line) << "case " << i;
  }
}

TEST(RequestFields, SplitsAtEveryNul) {
  std::vector<std::u16string> fields =
      RequestFields(Wire(u"30_REJECTION_MESSAGE\0S\0u\0002600\0\0", 31));
  std::vector<std::u16string> expected = {u"30_REJECTION_MESSAGE", u"S", u"u", u"2600", u""};
  EXPECT_EQ(fields, expected);
}

TEST(Utf8, RoundTripsAndReplacesInvalidBytes) {
  EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16("a\xc3\xa9\xe4\xb8\xad\xf0\x9f\x98\x80")),
            "a\xc3\xa9\xe4\xb8\xad\xf0\x9f\x98\x80");
  EXPECT_EQ(Utf8ToUtf16("\xff"
                        "a\xc3"),
            u"\uFFFD"
            u"a\uFFFD");
}

}  // namespace
}  // namespace hvn::test
