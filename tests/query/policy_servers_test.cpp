// The sweep over the server list, through a recording transport: which hosts are asked, in
// which order, how often. Runs in both builds; the same behaviour over real UDP is tested
// under Wine in query_udp_win_test.cpp.
#include "query/policy_servers.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "query/reply.h"
#include "query/server_list_entries.h"

namespace hvn {
namespace {

// Answers each host with a scripted text (none: silent) and records every call.
struct RecordingTransport {
  std::map<std::string, std::u16string> answers;
  std::vector<std::string> asked;
  std::vector<std::u16string> requests;
  uint32_t port = 0;
  uint32_t timeout = 0;

  static void Query(void* context, const char* host, uint32_t port, const char16_t* request,
                    uint32_t timeout_ms, char16_t* reply, size_t reply_bytes) {
    auto* self = static_cast<RecordingTransport*>(context);
    self->asked.push_back(host);
    self->requests.push_back(request);
    self->port = port;
    self->timeout = timeout_ms;
    ClearReply(reply, reply_bytes);
    auto found = self->answers.find(host);
    if (found == self->answers.end()) return;
    size_t bytes = std::min(found->second.size() * 2, ReceiveLimit(reply_bytes));
    std::memcpy(reply, found->second.data(), bytes);
    ConvertReceivedReply(reply, reply_bytes, bytes);
  }
  QueryTransport Transport() { return {&Query, this}; }
};

std::string List(std::initializer_list<const char*> entries) {
  std::string list;
  for (const char* entry : entries) {
    list += entry;
    list.push_back('\0');
  }
  list.push_back('\0');
  return list;
}

struct SweepCase {
  const char* name;
  std::string list;
  const char16_t* domain;
  uint32_t retries;
  std::map<std::string, std::u16string> answers;
  std::vector<std::string> expected_asked;
  std::u16string expected_reply;
};

TEST(SweepPolicyServers, AsksTheDomainsServersInOrderUntilOneAnswers) {
  const SweepCase cases[] = {
      {"domain matched ignoring case",
       List({"SALES 10.0.0.1"}),
       u"sales",
       0,
       {{"10.0.0.1", u"P"}},
       {"10.0.0.1"},
       u"P"},
      {"entry without a space ignored",
       List({"SALES", "SALES 10.0.0.2"}),
       u"SALES",
       0,
       {},
       {"10.0.0.2"},
       u""},
      {"other domains ignored", List({"HR 10.0.0.1", "SALESX 10.0.0.3"}), u"SALES", 2, {}, {}, u""},
      {"second asked after the first's empty reply",
       List({"SALES a", "SALES b"}),
       u"SALES",
       0,
       {{"a", u"\aignored"}, {"b", u"text"}},
       {"a", "b"},
       u"text"},
      {"second not asked after a reply",
       List({"SALES a", "SALES b"}),
       u"SALES",
       2,
       {{"a", u"text"}},
       {"a"},
       u"text"},
      {"retries 0 with a silent server", List({"SALES a"}), u"SALES", 0, {}, {"a"}, u""},
      {"retries 2 with a silent server", List({"SALES a"}), u"SALES", 2, {}, {"a", "a", "a"}, u""},
      {"every sweep starts at the first entry",
       List({"SALES a", "HR x", "SALES b"}),
       u"SALES",
       1,
       {},
       {"a", "b", "a", "b"},
       u""},
      {"host keeps later spaces", List({"SALES host name "}), u"SALES", 0, {}, {"host name "}, u""},
      {"empty host part", List({"SALES "}), u"SALES", 0, {}, {""}, u""},
      {"empty domain matches an entry starting with a space",
       List({" a", "SALES b"}),
       u"",
       0,
       {},
       {"a"},
       u""},
      {"accented domain ignoring case", List({"\xc9QUIPE a"}), u"\u00e9quipe", 0, {}, {"a"}, u""},
      {"an empty list", List({}), u"SALES", 2, {}, {}, u""},
  };
  for (const SweepCase& c : cases) {
    RecordingTransport transport;
    transport.answers = c.answers;
    char16_t reply[64];
    std::memset(reply, 0x55, sizeof(reply));
    SweepPolicyServers(transport.Transport(), c.list.data(), c.domain, 1333, u"REQ", 150, c.retries,
                       reply, sizeof(reply));
    EXPECT_EQ(transport.asked, c.expected_asked) << c.name;
    EXPECT_EQ(std::u16string(reply), c.expected_reply) << c.name;
    for (size_t i = std::u16string(reply).size(); i < 32; ++i) {
      ASSERT_EQ(reply[i], u'\0') << c.name << " index " << i;
    }
  }
}

TEST(SweepPolicyServers, PassesPortRequestAndTimeOutThrough) {
  RecordingTransport transport;
  std::string list = List({"SALES a"});
  char16_t reply[16];
  SweepPolicyServers(transport.Transport(), list.data(), u"SALES", 1444, u"30_POLICY\a", 2500, 0,
                     reply, sizeof(reply));
  ASSERT_EQ(transport.requests.size(), 1u);
  EXPECT_EQ(transport.requests[0], u"30_POLICY\a");
  EXPECT_EQ(transport.port, 1444u);
  EXPECT_EQ(transport.timeout, 2500u);
}

TEST(SweepPolicyServers, WaitsAtMostTheLongestTimeOutPerServer) {
  const uint32_t cases[][2] = {{0, 0},
                               {kMaxTimeout, kMaxTimeout},
                               {kMaxTimeout + 1, kMaxTimeout},
                               {0xFFFFFFFFu, kMaxTimeout}};
  std::string list = List({"SALES a"});
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    RecordingTransport transport;
    char16_t reply[16];
    SweepPolicyServers(transport.Transport(), list.data(), u"SALES", 1333, u"R", cases[i][0], 0,
                       reply, sizeof(reply));
    EXPECT_EQ(transport.timeout, cases[i][1]) << "case " << i;
  }
  EXPECT_EQ(kMaxTimeout, 60000u);
}

TEST(SweepPolicyServers, WithoutAListAsksNobodyAndZeroesTheReply) {
  RecordingTransport transport;
  char16_t reply[16];
  std::memset(reply, 0x55, sizeof(reply));
  SweepPolicyServers(transport.Transport(), nullptr, u"SALES", 1333, u"R", 100, 2, reply,
                     sizeof(reply));
  EXPECT_TRUE(transport.asked.empty());
  for (char16_t c : reply) EXPECT_EQ(c, u'\0');
}

TEST(SweepCount, IsRetriesPlusOneButBounded) {
  const uint32_t cases[][2] = {{0, 1},
                               {2, 3},
                               {kMaxRetries, kMaxRetries + 1},
                               {kMaxRetries + 1, kMaxRetries + 1},
                               {0xFFFFFFFFu, kMaxRetries + 1}};
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    EXPECT_EQ(SweepCount(cases[i][0]), cases[i][1]) << "case " << i;
  }
}

TEST(SweepPolicyServers, RetriesOfAllBitsSetNeitherWrapsToNothingNorRunsForever) {
  RecordingTransport transport;
  std::string list = List({"SALES a"});
  char16_t reply[16];
  SweepPolicyServers(transport.Transport(), list.data(), u"SALES", 1333, u"R", 100, 0xFFFFFFFFu,
                     reply, sizeof(reply));
  EXPECT_EQ(transport.asked.size(), kMaxRetries + 1);
}

TEST(SweepPolicyServers, PartsTooLongForTheirBuffersNameNoServer) {
  const std::string long_part(kServerPartSize, 'L');    // 1,024 bytes: one too many
  const std::string longest(kServerPartSize - 1, 'L');  // 1,023 bytes: fits
  std::string list = List({(long_part + " a").c_str(), ("SALES " + long_part).c_str(),
                           ("SALES " + longest).c_str(), (longest + " b").c_str()});
  std::u16string long_domain(longest.begin(), longest.end());
  for (const char16_t* domain : {u"SALES", long_domain.c_str()}) {
    RecordingTransport transport;
    char16_t reply[16];
    SweepPolicyServers(transport.Transport(), list.data(), domain, 1333, u"R", 100, 0, reply,
                       sizeof(reply));
    ASSERT_EQ(transport.asked.size(), 1u);
    EXPECT_EQ(transport.asked[0], domain[0] == u'S' ? longest : "b");
  }
  // A domain longer than any entry can hold is asked about nowhere.
  std::u16string too_long(kServerPartSize, u'L');
  RecordingTransport transport;
  char16_t reply[16];
  SweepPolicyServers(transport.Transport(), list.data(), too_long.c_str(), 1333, u"R", 100, 0,
                     reply, sizeof(reply));
  EXPECT_TRUE(transport.asked.empty());
}

// Server lists come from the registry, where anyone with the right can write anything:
// random entries, some longer than their part buffers, never make the sweep read or write
// out of bounds (AddressSanitizer in the native build), and every host asked is the part
// after the first space of an entry whose domain part matches.
TEST(SweepPolicyServers, SurvivesRandomServerLists) {
  std::mt19937 random(7);
  const char alphabet[] = {'S', 's', ' ', 'A', '\xe9', '\xc9', '1', '.'};
  for (int round = 0; round < 3000; ++round) {
    std::vector<std::string> entries(random() % 4);
    std::string list;
    for (std::string& entry : entries) {
      size_t length = random() % 8 == 0 ? 1000 + random() % 100 : random() % 6;
      for (size_t i = 0; i < length; ++i) entry.push_back(alphabet[random() % sizeof(alphabet)]);
      list += entry;
      list.push_back('\0');
    }
    list.push_back('\0');
    // A heap copy of exactly the list's size, so any read past its end is caught.
    std::vector<char> exact(list.begin(), list.end());
    RecordingTransport transport;
    char16_t reply[8];
    const char16_t* domain = random() % 2 ? u"Ss" : u"s\u00e9";
    SweepPolicyServers(transport.Transport(), exact.data(), domain, 1333, u"R", 100, random() % 3,
                       reply, sizeof(reply));
    for (const std::string& host : transport.asked) {
      bool from_an_entry = false;
      for (const std::string& entry : entries) {
        size_t space = entry.find(' ');
        from_an_entry =
            from_an_entry || (space != std::string::npos && entry.substr(space + 1) == host);
      }
      ASSERT_TRUE(from_an_entry) << "round " << round << " host " << host;
    }
    ASSERT_LE(transport.asked.size(), entries.size() * 3) << "round " << round;
  }
}

TEST(SplitServerEntry, SplitsAtTheFirstSpace) {
  struct Case {
    std::string entry;
    bool ok;
    std::string domain;
    std::string host;
  };
  const Case cases[] = {
      {"SALES 10.0.0.1", true, "SALES", "10.0.0.1"},
      {"SALES  10.0.0.1", true, "SALES", " 10.0.0.1"},
      {" host", true, "", "host"},
      {"SALES", false, "", ""},
      {"", false, "", ""},
  };
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    ServerEntry entry;
    EXPECT_EQ(SplitServerEntry(cases[i].entry.data(), cases[i].entry.size(), entry), cases[i].ok)
        << "case " << i;
    EXPECT_EQ(std::string(entry.domain), cases[i].domain) << "case " << i;
    EXPECT_EQ(std::string(entry.host), cases[i].host) << "case " << i;
  }
}

// The servers a query names in its report: each once, in order, and never past the field.
TEST(NoteServerAsked, ListsEachHostOnceAndEndsAListThatIsFullWithDots) {
  const std::string long_host(200, 'h');
  struct Case {
    std::vector<std::string> hosts;
    std::string expected;
  };
  const Case cases[] = {
      {{"dc1", "dc2", "dc1", "dc2"}, "dc1, dc2"},
      {{"dc", "dc1", "c1"}, "dc, dc1, c1"},
      {{""}, ""},
      {{"a", long_host, "b", std::string(60, 'y'), "c"}, "a, " + long_host + ", b, ..."},
      {{std::string(300, 'x'), "b"}, "..."},
  };
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    SweepReport report = {};
    for (const std::string& host : cases[i].hosts) NoteServerAsked(report, host.c_str());
    EXPECT_EQ(std::string(report.servers_asked), cases[i].expected) << "case " << i;
  }
}

}  // namespace
}  // namespace hvn
