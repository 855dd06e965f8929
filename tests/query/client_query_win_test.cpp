// The query with a ClientSettings record, over UDP to the test policy server: the record's
// server list, port, time-out and retries are the ones used.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "policy_server.h"
#include "query/client_query.h"
#include "query/reply.h"

namespace hvn {
namespace {

std::string Le(const std::u16string& text) {
  std::string bytes;
  for (char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  return bytes;
}

class ClientQueryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(server_.Start(0), 0u);
    const char list[] = "HR 127.0.0.1\0SALES 127.0.0.1\0";
    settings_.SetServers(ServerListRef::Create(list, sizeof(list)));
    settings_.HVS_Port = server_.port();
    settings_.Timeout = 100;
    settings_.Retries = 0;
  }

  test::TestPolicyServer server_;
  ClientSettings settings_;
  char16_t request_[kRequestCapacity];
  char16_t reply_[kReplyBytes / 2];
};

TEST_F(ClientQueryTest, UsesTheRecordsServersPortAndRetries) {
  std::string error;
  ASSERT_TRUE(
      server_.SetScript("30_POLICY_MESSAGE\tSALES\t*\treply\tEight characters.\n"
                        "*\t*\t*\tsilent",
                        &error))
      << error;
  RequestPolicyMessage(settings_, u"sales", u"jdoe", request_, kRequestCapacity, reply_,
                       sizeof(reply_));
  EXPECT_EQ(std::u16string(reply_), u"Eight characters.");
  EXPECT_EQ(std::u16string(request_), u"30_POLICY_MESSAGE\asales\ajdoe\a");
  ASSERT_TRUE(server_.WaitForRequests(1, 5000));
  EXPECT_EQ(server_.Requests()[0], Le(std::u16string(u"30_POLICY_MESSAGE\0sales\0jdoe\0", 29)));

  // A silent server with Retries 2: three requests.
  server_.ClearRequests();
  settings_.Retries = 2;
  SendRequest(settings_, RequestKind::kGenericRejectionMessage, u"SALES", u"jdoe", request_,
              kRequestCapacity, reply_, sizeof(reply_));
  EXPECT_EQ(std::u16string(reply_), u"");
  ASSERT_TRUE(server_.WaitForRequests(3, 5000));
  EXPECT_EQ(server_.RequestCount(), 3u);
}

TEST_F(ClientQueryTest, RejectionRequestCarriesTheFailedCodes) {
  std::string error;
  ASSERT_TRUE(server_.SetScript("*\t*\t*\treply\tRejected: {codes}", &error)) << error;
  RuleResults results;
  std::memset(&results, 0, sizeof(results));
  results.Outcome[7] = RuleOutcome::kFailed;  // 2600
  SendRejectionRequest(settings_, results, u"SALES", u"jdoe", request_, kRequestCapacity, reply_,
                       sizeof(reply_));
  EXPECT_EQ(std::u16string(reply_), u"Rejected: 2600");
}

TEST_F(ClientQueryTest, WithoutAServerListNothingIsSent) {
  settings_.SetServers(ServerListRef());
  RequestPolicyMessage(settings_, u"SALES", u"jdoe", request_, kRequestCapacity, reply_,
                       sizeof(reply_));
  EXPECT_EQ(std::u16string(reply_), u"");
  EXPECT_FALSE(server_.WaitForRequests(1, 300));
}

}  // namespace
}  // namespace hvn
