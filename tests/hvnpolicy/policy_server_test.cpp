// The policy server's pieces: registry files into the registry, policy selection, the wire
// form read back by the client's parser, composed messages, the log's escapes, the reply
// limits, and `serve` answering the client's own query code on loopback while junk, floods,
// socket errors and edits of its policies come in.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <unistd.h>
#endif

#include <cstdio>
#include <cstring>
#include <utility>

#include "base/command_line.h"
#include "base/policy_source.h"
#include "base/policy_wire.h"
#include "base/reg_file.h"
#include "base/udp_socket.h"
#include "base/utf8_text.h"
#include "check/live_query.h"
#include "config/registry_tree.h"
#include "config/test_thread.h"
#include "policy/policy_reply.h"
#include "query/reply.h"
#include "query/request.h"
#include "serve/policy_messages.h"
#include "serve/policy_server.h"
#include "serve/request_log.h"
#include "serve/sender_table.h"
#include "serve/serve_command.h"
#include "serve/serve_loop.h"
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

size_t Count(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

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
  void TearDown() override {
    StopServe();
    DeleteRegistryTree(HKEY_CURRENT_USER, "Software\\HvnpolicyTest");
  }

  // Runs `serve` on a free port of 127.0.0.1 on a thread of its own, with `options` added,
  // and waits until it listens.
  void StartServe(const std::vector<std::string>& options = {}) {
    std::vector<std::string> args = {"--key",       kRoot,      "--bind",      "127.0.0.1",
                                     "--port",      "0",        "--port-file", port_file_,
                                     "--stop-file", stop_file_, "--log",       log_file_};
    if (!reg_file_.empty()) args.insert(args.end(), {"--reg", reg_file_});
    args.insert(args.end(), options.begin(), options.end());
    server_ = std::make_unique<test::TestThread>([args] { RunServe(args); });
    std::string port;
    for (int i = 0; i < 200 && !ReadWholeFile(port_file_, port); ++i) SleepMs(50);
    ASSERT_TRUE(ParseServerAddress("127.0.0.1:" + port.substr(0, port.size() - 1), live_));
    live_.timeout_ms = 5000;
  }
  void StopServe() {
    if (!server_) return;
    std::FILE* stop = std::fopen(stop_file_.c_str(), "wb");
    if (stop != nullptr) std::fclose(stop);
    server_->Join();
    server_.reset();
  }
  std::string Log() const {
    std::string log;
    ReadWholeFile(log_file_, log);
    return log;
  }
  // Waits (10 s at most) until the log holds `part`, asking `request` every 50 ms meanwhile
  // (a request is what makes the server look at its policies again).
  bool LogShowsWhileAsking(const std::string& part, const std::u16string& request) {
    UdpSocket client;
    if (client.Open("127.0.0.1", 0) != 0) return false;
    const UdpPeer server = Server();
    std::string bytes = Utf16LeBytes(request);
    for (int i = 0; i < 200 && Log().find(part) == std::string::npos; ++i) {
      client.Send(bytes.data(), bytes.size(), server);
      char reply[8192];
      UdpPeer from;
      client.Receive(reply, sizeof(reply), 1000, from);
      SleepMs(50);
    }
    return Log().find(part) != std::string::npos;
  }
  // The server as a socket's peer (127.0.0.1 in network order, on a little-endian host).
  UdpPeer Server() const { return UdpPeer{0x0100007F, static_cast<uint16_t>(live_.port)}; }
  // The first record of the running server's policy for `user` of SALES, as a client asks.
  std::u16string AskPolicy(const char16_t* user) {
    std::vector<char16_t> request(kRequestCapacity);
    std::vector<char16_t> reply(kReplyBytes / 2);
    FormatRequest(RequestKind::kPolicy, request.data(), request.size(), u"SALES", user);
    AskServer(live_, u"SALES", request.data(), reply.data(), kReplyBytes);
    return reply.data();
  }

  test::TempDir dir_;
#ifdef _WIN32
  const std::string reg_file_;  // on Windows SetUp stored the policies in the registry
#else
  const std::string reg_file_ = dir_.path() + "/policies.reg";  // natively read from the file
#endif
  const std::string port_file_ = dir_.path() + "/port";
  const std::string stop_file_ = dir_.path() + "/stop";
  const std::string log_file_ = dir_.path() + "/requests.log";
  PolicyStore store_;
  LiveServer live_;
  std::unique_ptr<test::TestThread> server_;
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
  PolicyWireForm form = FormatPolicyReply(stored.policy, stored.rule2900_text);
  EXPECT_TRUE(form.left_out.empty());
  EXPECT_TRUE(form.too_long.empty());
  std::u16string& wire = form.text;
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
  std::string summary;
  EXPECT_EQ(AnswerRequest(store_, "\x01", 1, summary), "");
  const std::u16string long_name(256, u'x');  // one more than a client's dialogs hold
  for (const std::u16string& bad :
       {std::u16string(u"30_POLICY\0SALES", 15), std::u16string(u"30_OTHER\0S\0u\0", 13),
        u"30_POLICY_MESSAGE" + std::u16string(1, u'\0') + long_name + u'\0' + u"jdoe" + u'\0',
        u"30_REJECTION_MESSAGE" + std::u16string(1, u'\0') + u"SALES" + u'\0' + long_name + u'\0' +
            u'\0',
        u"30_POLICY_MESSAGE" + std::u16string(1, u'\0') + u"SALES" + u'\0' +
            std::u16string(30000, u'x') + u'\0'}) {
    std::string bytes = Utf16LeBytes(bad);
    EXPECT_EQ(AnswerRequest(store_, bytes.data(), bytes.size(), summary), "") << summary;
  }
  std::string request = Utf16LeBytes(std::u16string(u"30_POLICY_MESSAGE\0SALES\0jdoe\0", 29));
  std::string reply = AnswerRequest(store_, request.data(), request.size(), summary);
  EXPECT_EQ(summary.rfind("policy \"Everyone\"", 0), 0u);
  EXPECT_EQ(reply.substr(reply.size() - 2), std::string(2, '\0'));
  EXPECT_EQ(EscapeDatagram(request.data(), request.size()), "30_POLICY_MESSAGE\\0SALES\\0jdoe\\0");
}

TEST(EscapeDatagram, ControlAndDirectionCharactersAreShownAsCodes) {
  struct Case {
    std::u16string text;
    const char* shown;
  };
  const Case cases[] = {
      {u"a\u009Bb\u009Dc", "a\\u009Bb\\u009Dc"},                      // C1 controls (CSI, OSC)
      {u"\u202Eevil\u202C", "\\u202Eevil\\u202C"},                    // right-to-left override
      {u"\u2066\u200F\u061C\u2028", "\\u2066\\u200F\\u061C\\u2028"},  // isolate, marks, line
      {u"\u001B[2J\u007F", "\\u001B[2J\\u007F"},                      // C0 and DEL, as before
      {u"caf\u00E9 \U0001F600", "caf\xC3\xA9 \xF0\x9F\x98\x80"},      // text and a pair, as UTF-8
      {std::u16string(1, u'\xD800') + u"x", "\\uD800x"},              // an unpaired surrogate
  };
  for (const Case& c : cases) {
    std::string bytes = Utf16LeBytes(c.text);
    EXPECT_EQ(EscapeDatagram(bytes.data(), bytes.size()), c.shown);
  }
}

TEST(SenderTable, EachSenderDrawsFromItsOwnBucket) {
  SenderTable table(ReplyLimits{2, 3});  // 2 a second, 3 at once
  struct Step {
    uint32_t address;
    uint64_t at_ms;
    bool answered;
  };
  const Step steps[] = {
      {1, 1000, true},  {1, 1000, true}, {1, 1000, true},  {1, 1000, false},  // the burst
      {2, 1000, true},                                                        // another sender
      {1, 1400, false}, {1, 1500, true}, {1, 1600, false},  // one earned in 500 ms
      {1, 9000, true},  {1, 9000, true}, {1, 9000, true},  {1, 9000, false},  // never above 3
  };
  for (size_t i = 0; i < std::size(steps); ++i)
    EXPECT_EQ(table.TakeReply(steps[i].address, steps[i].at_ms), steps[i].answered) << i;
  EXPECT_TRUE(table.MayLogDrop(1, 1000));
  EXPECT_FALSE(table.MayLogDrop(1, 1999));
  EXPECT_TRUE(table.MayLogDrop(1, 2000));
  SenderTable unlimited(ReplyLimits{0, 1});
  for (int i = 0; i < 1000; ++i) ASSERT_TRUE(unlimited.TakeReply(1, 1000));
}

TEST(PolicyStore, RefusesAPolicyWhoseWireFormAClientCannotReadWhole) {
  struct Case {
    std::string values;
    const char* field;
  };
  const std::string wide_set = "\"" + std::string(200, 'k') + "\"";
  std::string class_sets;
  for (const char* rule : {"2000", "2100", "2200", "2300", "2400", "2500"})
    class_sets += std::string("\"") + rule + "_CharSet\"=" + wide_set + "\r\n";
  const Case cases[] = {
      {class_sets + "\"3100_Enabled\"=dword:00000001\r\n", "\"2000_CharSet\" (200 characters)"},
      {"\"2900_Enabled\"=dword:00000001\r\n\"2900_Text\"=\"" + std::string(1020, 't') + "\"\r\n",
       "\"2900_Text\" (1,020 characters)"},
  };
  for (const Case& c : cases) {
    test::TempDir dir;
    std::string file = dir.WriteFile(
        "wide.reg",
        "REGEDIT4\r\n[HKEY_CURRENT_USER\\Software\\HvnpolicyTest\\Policies\\Wide]\r\n" + c.values);
    PolicyStore store;
    std::string error;
    EXPECT_FALSE(LoadPolicyStore(file, kRoot, store, error));
    EXPECT_EQ(error.rfind("policy \"Wide\": the record of rule ", 0), 0u) << error;
    EXPECT_NE(error.find(c.field), std::string::npos) << error;
  }
  DeleteRegistryTree(HKEY_CURRENT_USER, "Software\\HvnpolicyTest");
}

TEST_F(PolicyServerTest, ServeAnswersTheClientsQueryOnLoopback) {
  StartServe();
  std::vector<char16_t> request(kRequestCapacity);
  std::vector<char16_t> reply(kReplyBytes / 2);
  FormatRequest(RequestKind::kPolicy, request.data(), request.size(), u"SALES", u"alice");
  AskServer(live_, u"SALES", request.data(), reply.data(), kReplyBytes);
  PasswordPolicy policy;
  char16_t text[kRule2900TextCapacity];
  ParsePolicyReply(policy, text, kRule2900TextCapacity, reply.data(), reply.size());
  EXPECT_EQ(policy.rule2600.Enabled, 1u);
  EXPECT_EQ(policy.rule2600.MinLength, 14u);

  RuleResults results = {};
  results.Outcome[7] = RuleOutcome::kFailed;  // rule 2600
  FormatRejectionRequest(request.data(), request.size(), results, u"SALES", u"jdoe");
  AskServer(live_, u"SALES", request.data(), reply.data(), kReplyBytes);
  EXPECT_EQ(std::u16string(reply.data()), u"jdoe@SALES (Everyone): 2600\nToo short.");

  StopServe();
  std::string log = Log();
  EXPECT_NE(log.find(" 30_POLICY\\0SALES\\0alice\\0 -> policy \"Admins\""), std::string::npos);
  EXPECT_NE(log.find(" 30_REJECTION_MESSAGE\\0SALES\\0jdoe\\02600\\0\\0 -> policy \"Everyone\""),
            std::string::npos);
}

// Junk costs no policy reading and little log; the policies are read again only after an
// edit, and a broken edit leaves the last good ones answering.
TEST_F(PolicyServerTest, ServeDropsJunkAndReadsItsPoliciesAgainOnlyWhenChanged) {
  StartServe();
  UdpSocket junk;
  ASSERT_EQ(junk.Open("127.0.0.1", 0), 0);
  const UdpPeer server = Server();
  const std::string unknown = Utf16LeBytes(std::u16string(u"30_OTHER\0S\0u\0", 13));
  for (int i = 0; i < 5; ++i) {
    junk.Send("\x01", 1, server);
    junk.Send(unknown.data(), unknown.size(), server);
  }
  const std::u16string admins(u"30_POLICY_MESSAGE\0SALES\0alice\0", 30);
  ASSERT_TRUE(LogShowsWhileAsking("alice\\0 -> policy \"Admins\"", admins));

  // A broken edit: natively a registry file that cannot be read, on Windows no policy key.
#ifdef _WIN32
  DeleteRegistryTree(HKEY_CURRENT_USER, "Software\\HvnpolicyTest\\Policies");
#else
  dir_.WriteFile("policies.reg", std::string(kPolicies) + "not a line of a registry file\r\n");
#endif
  ASSERT_TRUE(LogShowsWhileAsking("the last good ones keep answering", admins));
  EXPECT_EQ(AskPolicy(u"alice"), u"2600\t14\t0\t0");

  // The edit mended, with the Admins policy gone.
  std::string mended = kPolicies;
  mended.replace(mended.find("Policies\\Admins]"), 8, "Retired\\");
#ifdef _WIN32
  std::string error;
  ASSERT_TRUE(ImportRegFile(mended, error)) << error;
#else
  dir_.WriteFile("policies.reg", mended);
#endif
  ASSERT_TRUE(LogShowsWhileAsking("policies read again: 2 from", admins));
  EXPECT_EQ(AskPolicy(u"alice").rfind(u"1000\t", 0), 0u);  // Everyone's now, no longer Admins'
  StopServe();
  const std::string log = Log();
  // Ten junk datagrams in a row: one line, or two if a second passed while they came.
  EXPECT_GE(Count(log, "not a request ("), 1u);
  EXPECT_LE(Count(log, "not a request ("), 2u) << log;
  EXPECT_EQ(Count(log, "reading the policies again failed"), 1u) << log;
  EXPECT_EQ(Count(log, "policies read again"), 1u) << log;
}

// A flood of requests from one address is answered only up to its limits, and a client on
// another address keeps its answers.
TEST_F(PolicyServerTest, ServeLimitsTheRepliesOfEachSender) {
  StartServe({"--rate-limit", "1", "--burst", "3"});
  UdpSocket flood;
  ASSERT_EQ(flood.Open("127.0.0.2", 0), 0);
  UdpPeer server = Server();
  const std::string request = Utf16LeBytes(std::u16string(u"30_POLICY\0SALES\0jdoe\0", 21));
  for (int i = 0; i < 20; ++i) flood.Send(request.data(), request.size(), server);
  int answered = 0;
  char reply[8192];
  while (flood.Receive(reply, sizeof(reply), 1000, server) >= 0) ++answered;
  // The burst, and one more for each second the flood lasted.
  EXPECT_GE(answered, 3);
  EXPECT_LE(answered, 5);

  EXPECT_EQ(AskPolicy(u"alice"), u"2600\t14\t0\t0");
  StopServe();
#ifndef _WIN32
  // (Wine sends from 127.0.0.1 whatever loopback address the socket is bound to.)
  EXPECT_NE(Log().find("127.0.0.2:"), std::string::npos) << Log();
#endif
  EXPECT_NE(Log().find("over this sender's reply limit"), std::string::npos);
}

// What the network does to the loop, one step a call: an error code, or a datagram (code 0).
// The first reply fails to go out.
struct ScriptedSocket {
  std::vector<std::pair<int, std::string>> steps;
  size_t next = 0;
  bool fail_next_send = true;
  std::vector<std::string> sent;

  static long Receive(void* context, char* buffer, size_t size, uint32_t, UdpPeer& peer,
                      int& error) {
    auto& script = *static_cast<ScriptedSocket*>(context);
    if (script.next >= script.steps.size()) return UdpSocket::kTimedOut;
    const auto& [code, bytes] = script.steps[script.next++];
    error = code;
    std::memcpy(buffer, bytes.data(), std::min(size, bytes.size()));
    peer = {0x0100007F, 40000};
    return code != 0 ? UdpSocket::kFailed : static_cast<long>(bytes.size());
  }
  static bool Send(void* context, const char* data, size_t size, const UdpPeer&, int& error) {
    auto& script = *static_cast<ScriptedSocket*>(context);
    error = 10065;  // WSAEHOSTUNREACH
    if (std::exchange(script.fail_next_send, false)) return false;
    script.sent.emplace_back(data, size);
    return true;
  }
};

TEST_F(PolicyServerTest, ServeGoesOnAfterEveryReceiveAndSendError) {
  ServedPolicies policies(reg_file_, kRoot);
  std::string error;
  ASSERT_TRUE(policies.Load(error)) << error;
  const std::string request = Utf16LeBytes(std::u16string(u"30_POLICY\0SALES\0jdoe\0", 21));
  ScriptedSocket script;
  script.steps = {{10052, ""},  // WSAENETRESET
                  {10054, ""},  // WSAECONNRESET, which a forged ICMP message raises
                  {0, request},
                  {0, request}};
  std::FILE* log = std::fopen(log_file_.c_str(), "wb");
  ASSERT_NE(log, nullptr);
  ServeDatagrams(policies, ServeSocket{ScriptedSocket::Receive, ScriptedSocket::Send, &script},
                 ReplyLimits(), log, [&] { return script.next < script.steps.size(); });
  std::fclose(log);
  ASSERT_EQ(script.sent.size(), 1u);  // the first reply failed, the second went out
  EXPECT_EQ(script.sent[0], store_.Find("Everyone")->wire);
  const std::string logged = Log();
  EXPECT_EQ(Count(logged, "receiving failed (error 10052); serving on"), 1u) << logged;
  EXPECT_EQ(Count(logged, "-> policy \"Everyone\""), 2u) << logged;
}

// With --server, check takes the reply of the address and port asked only, as a client with
// StrictReplySender does: an earlier datagram from another port is dropped.
TEST(AskServer, TakesTheReplyOfTheServerAskedOnly) {
  UdpSocket server, decoy;
  ASSERT_EQ(server.Open("127.0.0.1", 0), 0);
  ASSERT_EQ(decoy.Open("127.0.0.1", 0), 0);
  test::TestThread answer([&] {
    char request[2048];
    UdpPeer client;
    if (server.Receive(request, sizeof(request), 10000, client) < 0) return;
    const std::string forged = Utf16LeBytes(u"2600\t1\t0\t0");
    const std::string genuine = Utf16LeBytes(u"2600\t12\t0\t0");
    decoy.Send(forged.data(), forged.size(), client);  // arrives first
    server.Send(genuine.data(), genuine.size(), client);
  });
  LiveServer live;
  ASSERT_TRUE(ParseServerAddress("127.0.0.1:" + std::to_string(server.Port()), live));
  live.timeout_ms = 5000;
  std::vector<char16_t> request(kRequestCapacity);
  std::vector<char16_t> reply(kReplyBytes / 2);
  FormatRequest(RequestKind::kPolicy, request.data(), request.size(), u"SALES", u"jdoe");
  AskServer(live, u"SALES", request.data(), reply.data(), kReplyBytes);
  answer.Join();
  EXPECT_EQ(std::u16string(reply.data()), u"2600\t12\t0\t0");
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
