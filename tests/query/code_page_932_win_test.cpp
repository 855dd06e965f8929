// The server list, the diagnostics and the dictionary path a reply names, in a double-byte
// ANSI code page (932), where a character's second byte can look like an ASCII letter or a
// backslash: the domain comparison, the search for the first space, the cut of a long host and
// the path's segments must take such characters whole. This executable runs with the Japanese
// locale (see CMakeLists.txt), so Wine gives it code page 932.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win.h"
#include "policy/dictionary_folders.h"
#include "query/diagnostic.h"
#include "query/policy_servers.h"
#include "query/reply.h"
#include "query/server_list_entries.h"

namespace hvn {
namespace {

void RecordHost(void* context, const char* host, uint32_t, const char16_t*, uint32_t,
                char16_t* reply, size_t reply_bytes) {
  static_cast<std::vector<std::string>*>(context)->push_back(host);
  ClearReply(reply, reply_bytes);
}

std::vector<std::string> AskedHosts(const std::string& entry, const char16_t* domain) {
  std::vector<std::string> asked;
  const QueryTransport transport = {&RecordHost, &asked};
  std::string list = entry + std::string("\0\0", 2);
  char16_t reply[8];
  SweepPolicyServers(transport, list.data(), domain, 1333, u"R", 100, 0, reply, sizeof(reply));
  return asked;
}

TEST(CodePage932, ComparesDoubleByteCharactersWhole) {
  ASSERT_EQ(GetACP(), 932u) << "run with LC_ALL=ja_JP.UTF-8 (ctest sets it)";
  struct Case {
    std::string entry;
    const char16_t* domain;
    std::vector<std::string> asked;
  };
  const Case cases[] = {
      // U+30C2 is 83 61 and U+30A2 is 83 41: the second bytes differ only as 'a' and 'A'.
      {"\x83\x61 host", u"\u30C2", {"host"}},
      {"\x83\x41 host", u"\u30C2", {}},
      {"\x83\x61\x83\x41 host", u"\u30C2\u30A2", {"host"}},
      // Single-byte letters still compare without case.
      {"SALES\x83\x41 host", u"sales\u30A2", {"host"}},
      // A lead byte takes the space after it: the entry has no space of its own.
      {"\x83 host", u"\u30C2", {}},
  };
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    EXPECT_EQ(AskedHosts(cases[i].entry, cases[i].domain), cases[i].asked) << "case " << i;
  }
}

TEST(CodePage932, FindsTheSpaceAfterDoubleByteCharacters) {
  ASSERT_EQ(GetACP(), 932u) << "run with LC_ALL=ja_JP.UTF-8 (ctest sets it)";
  const std::string entry = "\x83\x41\x83\x61 h o";
  EXPECT_EQ(FindEntrySpace(entry.data(), entry.size()), 4u);
  ServerEntry split;
  ASSERT_TRUE(SplitServerEntry(entry.data(), entry.size(), split));
  EXPECT_STREQ(split.domain, "\x83\x41\x83\x61");
  EXPECT_STREQ(split.host, "h o");
}

TEST(CodePage932, DiagnosticCutsAHostOnACharacterBoundary) {
  ASSERT_EQ(GetACP(), 932u) << "run with LC_ALL=ja_JP.UTF-8 (ctest sets it)";
  std::string host = "a";
  for (int i = 0; i < 300; ++i) host += "\x83\x41";
  char out[kDiagnosticSize];
  ComposeDiagnostic(QueryFailure::kResolve, host.c_str(), 11001, out);
  const std::string text(out);
  const std::string head = "QueryHVS: Cannot resolve IP address for host <";
  const std::string tail = "> (11001)!\n";
  ASSERT_EQ(text.compare(0, head.size(), head), 0);
  ASSERT_EQ(text.compare(text.size() - tail.size(), tail.size(), tail), 0);
  // 198 bytes of room: "a" and 98 whole characters, never half of the 99th.
  EXPECT_EQ(text.size() - head.size() - tail.size(), 197u);
}

TEST(CodePage932, DictionaryPathTakesDoubleByteCharactersWholeOrRefusesThem) {
  ASSERT_EQ(GetACP(), 932u) << "run with LC_ALL=ja_JP.UTF-8 (ctest sets it)";
  const std::string folders("C:\\Dict\0\0", 9);
  struct Case {
    const char* path;
    DictionaryPathVerdict verdict;
  };
  const Case cases[] = {
      // U+8868 is 95 5C: its second byte is no separator.
      {"C:\\Dict\\\x95\x5C.dic", DictionaryPathVerdict::kAdmitted},
      // A lead byte before a byte no second byte can be (below 0x40) is refused.
      {"C:\\Dict\\\x83/w.dic", DictionaryPathVerdict::kForbiddenCharacter},
      {"C:\\Dict\\\x83.dic", DictionaryPathVerdict::kForbiddenCharacter},
  };
  for (const Case& c : cases) {
    char canonical[kPathSize];
    EXPECT_EQ(AdmitDictionaryPath(c.path, folders.data(), folders.size(), canonical), c.verdict)
        << c.path;
  }
}

}  // namespace
}  // namespace hvn
