// The query over real UDP on 127.0.0.1 under Wine, against the scriptable test policy server:
// what goes over the wire byte for byte, which servers are asked how often, and what each
// kind of reply leaves in the reply buffer. Time-outs are short; datagrams are counted, never
// timed.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/win.h"
#include "policy_server.h"
#include "query/policy_request.h"
#include "query/policy_servers.h"
#include "query/query_hvs.h"
#include "query/reply.h"
#include "query/request.h"

namespace hvn {
namespace {

using test::TestPolicyServer;

constexpr uint32_t kShortTimeoutMs = 150;
constexpr uint32_t kArrivalBoundMs = 5000;  // generous bound for a datagram to be recorded

std::string Le(const std::u16string& text) {
  std::string bytes;
  for (char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  return bytes;
}

std::string List(std::initializer_list<std::string> entries) {
  std::string list;
  for (const std::string& entry : entries) {
    list += entry;
    list.push_back('\0');
  }
  list.push_back('\0');
  return list;
}

RuleResults ResultsFailing(std::initializer_list<size_t> failed_entries) {
  RuleResults results;
  std::memset(&results, 0, sizeof(results));
  for (size_t entry : failed_entries) results.Outcome[entry] = RuleOutcome::kFailed;
  return results;
}

class QueryUdpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(server_.Start(0, "127.0.0.1"), 0u);
    std::memset(reply_, 0x55, sizeof(reply_));
  }

  // Sends `request` for `domain` through `list` with the server's port.
  void Query(const std::string& list, const char16_t* domain, const char16_t* request,
             uint32_t retries, uint32_t timeout_ms = kShortTimeoutMs) {
    QueryPolicyServers(list.data(), domain, server_.port(), request, timeout_ms, retries, reply_,
                       sizeof(reply_));
  }

  void Script(const std::string& script) {
    std::string error;
    ASSERT_TRUE(server_.SetScript(script, &error)) << error;
  }

  std::u16string ReplyText() const { return std::u16string(reply_); }

  bool ReplyIsAllZero() const {
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(reply_);
    for (size_t i = 0; i < sizeof(reply_); ++i) {
      if (bytes[i] != 0) return false;
    }
    return true;
  }

  TestPolicyServer server_;
  char16_t reply_[kReplyBytes / 2];
};

TEST_F(QueryUdpTest, SendsTheRequestAsItsCharactersWithNulsAndReadsTheFirstString) {
  Script("30_POLICY\t*\t*\treply\tFirst\\aSecond\\a");
  Query(List({"sales 127.0.0.1"}), u"SALES", u"30_POLICY\aSALES\ajdoe\a", 0);
  EXPECT_EQ(ReplyText(), u"First");
  EXPECT_EQ(std::u16string(reply_ + 6), u"Second");
  ASSERT_TRUE(server_.WaitForRequests(1, kArrivalBoundMs));
  std::vector<std::string> requests = server_.Requests();
  ASSERT_EQ(requests.size(), 1u);
  // Exactly two bytes per character, every BEL a NUL, no terminator after the last field.
  EXPECT_EQ(requests[0], Le(std::u16string(u"30_POLICY\0SALES\0jdoe\0", 21)));
}

TEST_F(QueryUdpTest, RequestLayoutsOnTheWire) {
  Script("*\t*\t*\treply\tok");
  struct Case {
    const char* name;
    RequestKind kind;
    const RuleResults* results;  // rejection with these results, else a plain request
    const char16_t* domain;
    std::u16string wire;
  };
  const RuleResults none = ResultsFailing({});
  const RuleResults all = ResultsFailing({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
  const RuleResults some = ResultsFailing({7, 11});
  const Case cases[] = {
      {"no failed rule", RequestKind::kRejectionMessage, &none, u"SALES",
       std::u16string(u"30_REJECTION_MESSAGE\0SALES\0jdoe\0\0", 33)},
      {"two failed rules", RequestKind::kRejectionMessage, &some, u"SALES",
       std::u16string(u"30_REJECTION_MESSAGE\0SALES\0jdoe\0002600\0003000\0\0", 43)},
      {"all thirteen", RequestKind::kRejectionMessage, &all, u"SALES",
       std::u16string(u"30_REJECTION_MESSAGE\0SALES\0jdoe\0"
                      u"1000\0002000\0002100\0002200\0002300\0002400\0002500\0"
                      u"2600\0002700\0002800\0002900\0003000\0003100\0\0",
                      32 + 13 * 5 + 1)},
      {"empty domain", RequestKind::kPolicy, nullptr, u"",
       std::u16string(u"30_POLICY\0\0jdoe\0", 16)},
      {"policy message", RequestKind::kPolicyMessage, nullptr, u"SALES",
       std::u16string(u"30_POLICY_MESSAGE\0SALES\0jdoe\0", 29)},
      {"generic rejection", RequestKind::kGenericRejectionMessage, nullptr, u"SALES",
       std::u16string(u"30_GENERIC_REJECTION_MESSAGE\0SALES\0jdoe\0", 40)},
  };
  // " 127.0.0.1" serves the empty domain, "SALES 127.0.0.1" the others.
  const std::string list = List({"SALES 127.0.0.1", " 127.0.0.1"});
  const QuerySettings settings = {list.data(), server_.port(), 1000, 0};
  char16_t request[kRequestCapacity];
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    server_.ClearRequests();
    if (cases[i].results != nullptr) {
      SendRejectionRequest(settings, *cases[i].results, cases[i].domain, u"jdoe", request,
                           kRequestCapacity, reply_, sizeof(reply_));
    } else {
      SendRequest(settings, cases[i].kind, cases[i].domain, u"jdoe", request, kRequestCapacity,
                  reply_, sizeof(reply_));
    }
    EXPECT_EQ(ReplyText(), u"ok") << cases[i].name;
    ASSERT_TRUE(server_.WaitForRequests(1, kArrivalBoundMs)) << cases[i].name;
    std::vector<std::string> requests = server_.Requests();
    ASSERT_EQ(requests.size(), 1u) << cases[i].name;
    EXPECT_EQ(requests[0], Le(cases[i].wire)) << cases[i].name;
  }
}

TEST_F(QueryUdpTest, MatchesTheDomainIgnoringCaseAndSkipsOtherEntries) {
  Script("*\t*\t*\treply\tanswer");
  // An entry without a space and another domain's entry are passed over.
  Query(List({"SALES", "HR 127.0.0.1", "SaLeS 127.0.0.1"}), u"sales", u"R\a", 0);
  EXPECT_EQ(ReplyText(), u"answer");
  ASSERT_TRUE(server_.WaitForRequests(1, kArrivalBoundMs));
  EXPECT_EQ(server_.RequestCount(), 1u);
}

TEST_F(QueryUdpTest, WithoutAMatchingEntryNothingIsSent) {
  Script("*\t*\t*\treply\tanswer");
  Query(List({"SALES", "HR 127.0.0.1"}), u"SALES", u"R\a", 2);
  EXPECT_TRUE(ReplyIsAllZero());
  // A datagram would have arrived long before the query's own time-outs ran out: none did.
  EXPECT_FALSE(server_.WaitForRequests(1, 300));
}

TEST_F(QueryUdpTest, SilentServerIsAskedOncePerSweep) {
  Script("*\t*\t*\tsilent");
  const uint32_t retries_cases[] = {0, 2};
  for (uint32_t retries : retries_cases) {
    server_.ClearRequests();
    Query(List({"SALES 127.0.0.1"}), u"SALES", u"R\a", retries, 100);
    EXPECT_TRUE(ReplyIsAllZero()) << "retries " << retries;
    ASSERT_TRUE(server_.WaitForRequests(retries + 1, kArrivalBoundMs)) << "retries " << retries;
    EXPECT_EQ(server_.RequestCount(), retries + 1) << "retries " << retries;
  }
}

TEST_F(QueryUdpTest, SecondServerIsAskedOnlyAfterTheFirstGaveNothing) {
  TestPolicyServer second;
  ASSERT_EQ(second.Start(server_.port(), "127.0.0.2"), 0u);
  std::string error;
  ASSERT_TRUE(second.SetScript("*\t*\t*\treply\tfrom second", &error)) << error;
  const std::string list = List({"SALES 127.0.0.1", "SALES 127.0.0.2"});
  struct Case {
    const char* name;
    const char* first_script;
    std::u16string expected;
    size_t second_asked;
  };
  const Case cases[] = {
      {"first silent", "*\t*\t*\tsilent", u"from second", 1},
      {"first answers an empty text", "*\t*\t*\treply\t\\aignored", u"from second", 1},
      {"first answers", "*\t*\t*\treply\tfrom first", u"from first", 0},
  };
  for (const Case& c : cases) {
    server_.ClearRequests();
    second.ClearRequests();
    Script(c.first_script);
    Query(list, u"SALES", u"R\a", 2, 100);
    EXPECT_EQ(ReplyText(), c.expected) << c.name;
    ASSERT_TRUE(server_.WaitForRequests(1, kArrivalBoundMs)) << c.name;
    EXPECT_EQ(server_.RequestCount(), 1u) << c.name;
    if (c.second_asked > 0) {
      ASSERT_TRUE(second.WaitForRequests(1, kArrivalBoundMs)) << c.name;
    }
    EXPECT_EQ(second.RequestCount(), c.second_asked) << c.name;
  }
}

TEST_F(QueryUdpTest, ReplyStartingWithBelCountsAsNoReply) {
  Script("*\t*\t*\treply\t\\aText");
  Query(List({"SALES 127.0.0.1"}), u"SALES", u"R\a", 1);
  EXPECT_TRUE(ReplyIsAllZero());
  // No reply found: the next sweep asks again.
  ASSERT_TRUE(server_.WaitForRequests(2, kArrivalBoundMs));
  EXPECT_EQ(server_.RequestCount(), 2u);
}

TEST_F(QueryUdpTest, ReplyLongerThanTheBufferIsCutAndTerminated) {
  Script("*\tBIG\t*\treply pad=9000\tA\n*\tSMALL\t*\treply\tABCDEFGHIJKLMNOPQRSTUVWXYZ");
  Query(List({"BIG 127.0.0.1"}), u"BIG", u"R\aBIG\a", 0, 1000);
  EXPECT_EQ(ReplyText().size(), kReplyBytes / 2 - 1);
  EXPECT_EQ(reply_[0], u'A');
  EXPECT_EQ(reply_[kReplyBytes / 2 - 2], u'x');
  EXPECT_EQ(reply_[kReplyBytes / 2 - 1], u'\0');

  char16_t small[17];
  small[16] = u'#';
  const std::string list = List({"SMALL 127.0.0.1"});
  QueryPolicyServers(list.data(), u"SMALL", server_.port(), u"R\aSMALL\a", 1000, 0, small, 32);
  EXPECT_EQ(std::u16string(small), u"ABCDEFGHIJKLMNO");
  EXPECT_EQ(small[16], u'#');  // nothing written past the 32 bytes
}

TEST_F(QueryUdpTest, ReplyFromAnotherPortIsTaken) {
  Script("*\t*\t*\treply other-port\tfrom elsewhere");
  Query(List({"SALES 127.0.0.1"}), u"SALES", u"R\a", 0, 1000);
  EXPECT_EQ(ReplyText(), u"from elsewhere");
}

TEST_F(QueryUdpTest, StrictSenderTakesOnlyTheReplyOfTheAddressAndPortAsked) {
  constexpr char kIgnored[] =
      "QueryHVS: No reply from host <127.0.0.1>; datagrams from other senders ignored (1)!\n";
  struct Case {
    const char* action;  // the decoy comes first, from another port or another address
    bool strict;
    std::u16string reply;
    const char* diagnostic;
  };
  const Case cases[] = {
      {"reply decoy", false, u"decoy", ""},  // as ever: the first datagram is the reply
      {"reply decoy other-address=127.0.0.2", false, u"decoy", ""},
      {"reply decoy", true, u"the real one", ""},
      {"reply decoy other-address=127.0.0.2", true, u"the real one", ""},
      {"reply other-port", true, u"", kIgnored},
      {"reply other-address=127.0.0.2", true, u"", kIgnored},
      {"reply", true, u"the real one", ""},
  };
  for (const Case& c : cases) {
    Script(std::string("*\t*\t*\t") + c.action + "\tthe real one");
    char diagnostic[kDiagnosticSize];
    QueryHVSDiagnosed("127.0.0.1", server_.port(), u"R\a", 500, reply_, sizeof(reply_), diagnostic,
                      c.strict);
    EXPECT_EQ(ReplyText(), c.reply) << c.action << (c.strict ? " strict" : "");
    EXPECT_STREQ(diagnostic, c.diagnostic) << c.action << (c.strict ? " strict" : "");
  }
}

TEST_F(QueryUdpTest, GarbageRepliesLeaveATerminatedBuffer) {
  struct Case {
    const char* script;
    std::u16string expected;
  };
  const Case cases[] = {
      // Odd length: the dangling byte is dropped.
      {"*\t*\t*\traw\t41 00 42 00 43", u"AB"},
      {"*\t*\t*\traw\t07 00 41 00", u""},
      {"*\t*\t*\traw\tff", u""},
      {"*\t*\t*\traw\t00 d8 41 00 07 00 42 00", std::u16string(1, char16_t(0xD800)) + u"A"},
  };
  for (const Case& c : cases) {
    Script(c.script);
    Query(List({"SALES 127.0.0.1"}), u"SALES", u"R\a", 0, 1000);
    EXPECT_EQ(ReplyText(), c.expected) << c.script;
  }
}

TEST_F(QueryUdpTest, TimeOutCountsWholeSecondsAndMilliseconds) {
  // A reply 150 ms late arrives within each of these limits, the sub-second ones included.
  Script("*\t*\t*\treply delay=150\tlate but in time");
  const uint32_t timeouts[] = {700, 1000, 1100};
  for (uint32_t timeout : timeouts) {
    Query(List({"SALES 127.0.0.1"}), u"SALES", u"R\a", 0, timeout);
    EXPECT_EQ(ReplyText(), u"late but in time") << "time-out " << timeout;
  }
}

TEST_F(QueryUdpTest, ReplyAfterTheTimeOutIsNotTaken) {
  Script("*\t*\t*\treply delay=400\ttoo late");
  char diagnostic[kDiagnosticSize];
  QueryHVSDiagnosed("127.0.0.1", server_.port(), u"R\a", 100, reply_, sizeof(reply_), diagnostic);
  EXPECT_TRUE(ReplyIsAllZero());
  EXPECT_STREQ(diagnostic, "");  // a plain time-out is no failure
}

TEST_F(QueryUdpTest, DiagnosticIsEmptyUnlessATransactionFails) {
  Script("*\tSILENT\t*\tsilent\n*\t*\t*\treply\tanswer");
  // More characters than one datagram carries: the send fails, nothing arrives.
  const std::u16string oversized = u"R\aX\a" + std::u16string(40000, u'A');
  struct Case {
    const char16_t* request;
    const char16_t* expected_reply;
    const char* diagnostic;
  };
  const Case cases[] = {
      {u"R\aSALES\a", u"answer", ""},
      {u"R\aSILENT\a", u"", ""},
      {oversized.c_str(), u"",
       "QueryHVS: Unexpected error while sending data to the server (10040)!\n"},
  };
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    char diagnostic[kDiagnosticSize];
    QueryHVSDiagnosed("127.0.0.1", server_.port(), cases[i].request, 200, reply_, sizeof(reply_),
                      diagnostic);
    EXPECT_EQ(ReplyText(), cases[i].expected_reply) << "case " << i;
    EXPECT_STREQ(diagnostic, cases[i].diagnostic) << "case " << i;
  }
}

TEST_F(QueryUdpTest, HostNamesResolveThroughTheNamePath) {
  Script("*\t*\t*\treply\tby name");
  // "localhost" comes from the hosts file: no name server is asked.
  Query(List({"SALES localhost"}), u"SALES", u"R\a", 0, 1000);
  EXPECT_EQ(ReplyText(), u"by name");
}

TEST(QueryHvsBroadcast, AllBitsSetAddressIsResolvedAsANameAndNeverSentTo) {
  WSADATA data;
  ASSERT_EQ(WSAStartup(MAKEWORD(1, 1), &data), 0);
  // inet_addr cannot tell 255.255.255.255 from failure, so the name path resolves it.
  uint32_t address = 0;
  ASSERT_EQ(ResolveHostAddress("255.255.255.255", address), 0u);
  EXPECT_EQ(address, 0xFFFFFFFFu);
  ASSERT_FALSE(IsSendableAddress(address));  // stop here before anything could be sent
  uint32_t untouched = 12345;
  EXPECT_EQ(ResolveHostAddress("", untouched), static_cast<uint32_t>(WSAHOST_NOT_FOUND));
  EXPECT_EQ(untouched, 12345u);
  WSACleanup();

  struct Case {
    const char* host;
    const char* diagnostic;
  };
  const Case cases[] = {
      {"255.255.255.255", "QueryHVS: Unexpected error while sending data to the server (10013)!\n"},
      {"", "QueryHVS: Cannot resolve IP address for host <> (11001)!\n"},
  };
  for (const Case& c : cases) {
    char16_t reply[8];
    std::memset(reply, 0x55, sizeof(reply));
    char diagnostic[kDiagnosticSize];
    QueryHVSDiagnosed(c.host, 1333, u"R\a", 100, reply, sizeof(reply), diagnostic);
    EXPECT_STREQ(diagnostic, c.diagnostic) << c.host;
    for (char16_t unit : reply) EXPECT_EQ(unit, u'\0') << c.host;
  }
}

}  // namespace
}  // namespace hvn
