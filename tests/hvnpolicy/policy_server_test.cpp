// The policy server's pieces: registry files into the registry, policy selection, the wire
// form read back by the client's parser, composed messages, and (natively) `serve` answering
// the client's own query code on loopback.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <unistd.h>
#endif

#include <cstdio>
#include <cstring>

#include "base/command_line.h"
#include "base/policy_source.h"
#include "base/policy_wire.h"
#include "base/reg_file.h"
#include "check/live_query.h"
#include "config/registry_tree.h"
#include "config/test_thread.h"
#include "policy/policy_reply.h"
#include "query/reply.h"
#include "query/request.h"
#include "serve/policy_messages.h"
#include "serve/policy_server.h"
#include "serve/serve_command.h"
#include "support/temp_dir.h"

namespace hvn::tool {
namespace {

void SleepMs(unsigned ms) {
#ifdef _WIN32
  ::Sleep(ms);
#else
  ::usleep(ms * 1000);
#endif
}

constexpr char kRoot[] = "HKEY_CURRENT_USER\\Software\\HvnpolicyTest";

// Every rule on, with values that differ from the defaults, and the lists and texts.
const char kPolicies[] =
    "REGEDIT4\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Software\\HvnpolicyTest\\Policies\\Everyone]\r\n"
    "\"1000_Enabled\"=dword:00000001\r\n\"1000_Bidir\"=dword:00000001\r\n"
    "\"1000_Tolerance\"=dword:ffffffff\r\n"
    "\"2000_Enabled\"=dword:00000001\r\n\"2000_CharSet\"=\"xyz\"\r\n"
    "\"2000_MinCount\"=dword:00000002\r\n\"2000_StartPos\"=dword:00000002\r\n"
    "\"2000_EndPos\"=dword:00000009\r\n\"2000_MustContain\"=dword:00000001\r\n"
    "\"2400_Enabled\"=dword:00000001\r\n\"2400_MustContain\"=dword:00000000\r\n"
    "\"2400_Embedded\"=dword:00000001\r\n"
    "\"2600_Enabled\"=dword:00000001\r\n\"2600_MinLength\"=dword:00000008\r\n"
    "\"2600_MaxLength\"=dword:00000040\r\n"
    "\"2700_Enabled\"=dword:00000001\r\n\"2700_MinUniqueChars\"=dword:00000005\r\n"
    "\"2800_Enabled\"=dword:00000001\r\n\"2800_Substitute\"=dword:00000001\r\n"
    "\"2800_Tolerance\"=dword:00000003\r\n"
    "\"2900_Enabled\"=dword:00000001\r\n\"2900_Tolerance\"=dword:00000002\r\n"
    "\"2900_Text\"=\"Norvex Corp\"\r\n"
    "\"3000_Enabled\"=dword:00000001\r\n\"3000_ServerDictFile\"=\"D:\\\\dict\\\\words.txt\"\r\n"
    "\"3000_ClientDictFile\"=\"\\\\\\\\srv\\\\dict\\\\words.txt\"\r\n"
    "\"3000_Substitute\"=dword:00000001\r\n\"3000_Wildcard\"=dword:00000001\r\n"
    "\"3100_Enabled\"=dword:00000001\r\n\"3100_csAlpha\"=dword:00000001\r\n"
    "\"3100_csNumeric\"=dword:00000001\r\n\"3100_MinComplianceLevel\"=dword:00000002\r\n"
    "\"3100_MustComply\"=dword:00000001\r\n"
    "\"MinComplianceLevel\"=dword:00000003\r\n"
    "\"2600msg_Pol\"=\"At least 8 characters, {user}.\"\r\n"
    "\"2600msg_Rej\"=\"Too short.\"\r\n"
    "\"MsgRejTemplate\"=\"{user}@{domain} ({policy}): {codes}{nl}{rules}\"\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Software\\HvnpolicyTest\\Policies\\Admins]\r\n"
    "\"Priority\"=dword:00000005\r\n"
    "\"GroupList\"=hex(7):41,64,6d,69,6e,73,00,00\r\n"
    "\"2600_Enabled\"=dword:00000001\r\n\"2600_MinLength\"=dword:0000000e\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Software\\HvnpolicyTest\\Policies\\Bob]\r\n"
    "\"Priority\"=dword:00000009\r\n"
    "\"UserList\"=hex(7):53,41,4c,45,53,5c,62,6f,62,00,00\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Software\\HvnpolicyTest\\Groups]\r\n"
    "\"Admins\"=hex(7):61,6c,69,63,65,00,62,6f,62,00,00\r\n";

class PolicyServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(LoadPolicyStore(dir_.WriteFile("policies.reg", kPolicies), kRoot, store_, error))
        << error;
  }
  void TearDown() override { DeleteRegistryTree(HKEY_CURRENT_USER, "Software\\HvnpolicyTest"); }

  test::TempDir dir_;
  PolicyStore store_;
};

TEST_F(PolicyServerTest, SelectsByUserAndGroupListsAndPriority) {
  struct Case {
    const char16_t* domain;
    const char16_t* user;
    const char* policy;
  };
  const Case cases[] = {
      {u"SALES", u"jdoe", "Everyone"},  // only the policy without lists applies
      {u"SALES", u"Alice", "Admins"},   // a group member; priority 5 over 0
      {u"sales", u"bob", "Bob"},        // named as DOMAIN\USER; priority 9 over 5
      {u"OTHER", u"bob", "Admins"},     // the user list names SALES\BOB only
  };
  for (const Case& c : cases) {
    const StoredPolicy* chosen = store_.Select(c.domain, c.user);
    ASSERT_NE(chosen, nullptr);
    EXPECT_EQ(chosen->name, c.policy);
  }
  EXPECT_NE(store_.Find("ADMINS"), nullptr);
}

TEST_F(PolicyServerTest, WireFormReadsBackAsTheStoredPolicy) {
  const StoredPolicy& stored = *store_.Find("Everyone");
  std::vector<std::string> problems;
  std::u16string wire = FormatPolicyReply(stored.policy, stored.rule2900_text, problems);
  EXPECT_TRUE(problems.empty());
  for (char16_t& c : wire)
    if (c == u'\a') c = u'\0';
  PasswordPolicy parsed;
  char16_t text[kRule2900TextCapacity];
  ParsePolicyReply(parsed, text, kRule2900TextCapacity, wire.data(), wire.size());
  const PasswordPolicy& original = stored.policy;
  EXPECT_EQ(parsed.rule1000.Tolerance, 0xFFFFFFFFu);
  EXPECT_EQ(parsed.rule1000.Bidir, 1u);
  for (int n = 1; n <= 6; ++n) {
    const CharClassRule& a = original.ClassRule(n);
    const CharClassRule& b = parsed.ClassRule(n);
    EXPECT_EQ(b.Enabled, a.Enabled) << n;
    EXPECT_EQ(std::u16string(b.CharSet), std::u16string(a.CharSet)) << n;
    if (a.Enabled == 0) continue;
    EXPECT_EQ(b.MustContain, a.MustContain) << n;
    EXPECT_EQ(b.MinCount, a.MinCount) << n;
    EXPECT_EQ(b.Embedded, a.Embedded) << n;
    EXPECT_EQ(b.StartPos, a.StartPos) << n;
    EXPECT_EQ(b.EndPos, a.EndPos) << n;
  }
  EXPECT_EQ(std::u16string(parsed.rule2000.CharSet), u"xyz");
  EXPECT_EQ(parsed.rule2600.MaxLength, 64u);
  EXPECT_EQ(parsed.rule2700.MinUniqueChars, 5u);
  EXPECT_EQ(parsed.rule2800.Substitute, 1u);
  EXPECT_EQ(parsed.rule2800.Tolerance, 3u);
  EXPECT_EQ(std::u16string(text), u"Norvex Corp");
  EXPECT_STREQ(parsed.rule3000.ServerDictFile, "\\\\srv\\dict\\words.txt");  // the client's path
  EXPECT_EQ(parsed.rule3000.Substitute, 1u);
  EXPECT_EQ(parsed.rule3000.Wildcard, 1u);
  EXPECT_EQ(parsed.rule3100.csNumeric, 1u);
  EXPECT_EQ(parsed.rule3100.MustComply, 1u);
  EXPECT_EQ(parsed.rule3100.MinComplianceLevel, 2u);
  EXPECT_EQ(parsed.MinComplianceLevel, 3u);
}

TEST_F(PolicyServerTest, MessagesComposeTemplatesRuleTextsAndWords) {
  const StoredPolicy& everyone = *store_.Find("Everyone");
  std::u16string rejection =
      ComposeMessage(MessageKind::kRejection, everyone, u"SALES", u"jdoe", {2600, 2700});
  EXPECT_EQ(rejection,
            u"jdoe@SALES (Everyone): 2600, 2700\nToo short.\nat least 5 different characters");
  std::u16string policy_message =
      ComposeMessage(MessageKind::kPolicy, everyone, u"SALES", u"jdoe", {});
  EXPECT_EQ(policy_message.rfind(u"Password policy for jdoe of SALES:\n", 0), 0u);
  EXPECT_NE(policy_message.find(u"At least 8 characters, jdoe."), std::u16string::npos);
  std::u16string generic =
      ComposeMessage(MessageKind::kGenericRejection, *store_.Find("Admins"), u"S", u"alice", {});
  EXPECT_EQ(generic,
            u"Your new password does not meet the password policy of S:\nat least 14 characters");
}

TEST_F(PolicyServerTest, AnswersOnlyWellFormedRequestsAndNeverLogsMoreThanTheyCarry) {
  auto datagram = [](const std::u16string& text) {
    std::string bytes;
    for (char16_t c : text) {
      bytes += static_cast<char>(c & 0xFF);
      bytes += static_cast<char>(c >> 8);
    }
    return bytes;
  };
  std::string summary;
  EXPECT_EQ(AnswerRequest(store_, "\x01", 1, summary), "");
  for (const std::u16string& bad :
       {std::u16string(u"30_POLICY\0SALES", 15), std::u16string(u"30_OTHER\0S\0u\0", 13)}) {
    std::string bytes = datagram(bad);
    EXPECT_EQ(AnswerRequest(store_, bytes.data(), bytes.size(), summary), "");
  }
  std::string request = datagram(std::u16string(u"30_POLICY_MESSAGE\0SALES\0jdoe\0", 29));
  std::string reply = AnswerRequest(store_, request.data(), request.size(), summary);
  EXPECT_EQ(summary.rfind("policy \"Everyone\"", 0), 0u);
  EXPECT_EQ(reply.substr(reply.size() - 2), std::string(2, '\0'));
  EXPECT_EQ(EscapeDatagram(request.data(), request.size()), "30_POLICY_MESSAGE\\0SALES\\0jdoe\\0");
}

TEST_F(PolicyServerTest, ServeAnswersTheClientsQueryOnLoopback) {
  std::string port_file = dir_.path() + "/port";
  std::string stop_file = dir_.path() + "/stop";
  std::string log_file = dir_.path() + "/requests.log";
  std::vector<std::string> args = {"--key",       kRoot,     "--bind",      "127.0.0.1",
                                   "--port",      "0",       "--port-file", port_file,
                                   "--stop-file", stop_file, "--log",       log_file};
#ifndef _WIN32
  // Natively the policies come from the registry file; on Windows SetUp stored them.
  args.insert(args.end(), {"--reg", dir_.path() + "/policies.reg"});
#endif
  test::TestThread server([&] { RunServe(args); });
  std::string port;
  for (int i = 0; i < 200 && !ReadWholeFile(port_file, port); ++i) SleepMs(50);
  LiveServer live;
  ASSERT_TRUE(ParseServerAddress("127.0.0.1:" + port.substr(0, port.size() - 1), live));

  std::vector<char16_t> request(kRequestCapacity);
  std::vector<char16_t> reply(kReplyBytes / 2);
  FormatRequest(RequestKind::kPolicy, request.data(), request.size(), u"SALES", u"alice");
  AskServer(live, u"SALES", request.data(), reply.data(), kReplyBytes);
  PasswordPolicy policy;
  char16_t text[kRule2900TextCapacity];
  ParsePolicyReply(policy, text, kRule2900TextCapacity, reply.data(), reply.size());
  EXPECT_EQ(policy.rule2600.Enabled, 1u);
  EXPECT_EQ(policy.rule2600.MinLength, 14u);

  RuleResults results = {};
  results.Outcome[7] = RuleOutcome::kFailed;  // rule 2600
  FormatRejectionRequest(request.data(), request.size(), results, u"SALES", u"jdoe");
  AskServer(live, u"SALES", request.data(), reply.data(), kReplyBytes);
  EXPECT_EQ(std::u16string(reply.data()), u"jdoe@SALES (Everyone): 2600\nToo short.");

  std::FILE* stop = std::fopen(stop_file.c_str(), "wb");
  ASSERT_NE(stop, nullptr);
  std::fclose(stop);
  server.Join();
  std::string log;
  ASSERT_TRUE(ReadWholeFile(log_file, log));
  EXPECT_NE(log.find(" 30_POLICY\\0SALES\\0alice\\0 -> policy \"Admins\""), std::string::npos);
  EXPECT_NE(log.find(" 30_REJECTION_MESSAGE\\0SALES\\0jdoe\\02600\\0\\0 -> policy \"Everyone\""),
            std::string::npos);
}

TEST(RegFile, MalformedLinesAreNamed) {
  struct Case {
    const char* text;
    const char* error;
  };
  const Case cases[] = {
      {"not a registry file\r\n", "line 1:"},
      {"REGEDIT4\r\n\"a\"=dword:1\r\n", "line 2: a value before the first key"},
      {"REGEDIT4\r\n[HKEY_USERS\\x]\r\n", "line 2: a key outside"},
      {"REGEDIT4\r\n[HKEY_CURRENT_USER\\Software\\HvnpolicyTest]\r\n\"a\"=dword:123456789\r\n",
       "line 3: a value that cannot be read"},
      {"REGEDIT4\r\n[HKEY_CURRENT_USER\\Software\\HvnpolicyTest]\r\n\"a\"=hex(7):4g\r\n",
       "line 3: a value that cannot be read"},
  };
  for (const Case& c : cases) {
    std::string error;
    EXPECT_FALSE(ImportRegFile(c.text, error));
    EXPECT_EQ(error.rfind(c.error, 0), 0u) << error;
  }
  DeleteRegistryTree(HKEY_CURRENT_USER, "Software\\HvnpolicyTest");
}

}  // namespace
}  // namespace hvn::tool
