// hvn_policy_server.exe as the end-to-end tests use it: a separate process that writes the
// port it chose, answers from a reply file it rereads for every request, logs every request
// and stops when its stop file appears.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "policy_server_process.h"
#include "query/policy_servers.h"
#include "query/reply.h"
#include "support/temp_dir.h"

namespace hvn {
namespace {

class PolicyServerProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(server_.Start(dir_.path(),
                            "# the policy of SALES\n"
                            "30_POLICY\tSALES\t*\treply\t2600\t8\\a\n"
                            "30_REJECTION_MESSAGE\t*\t*\treply\tRejected: {codes}\n"),
              0u);
    ASSERT_NE(server_.port(), 0);
  }

  std::u16string Ask(const char16_t* request, uint32_t timeout_ms = 2000) {
    const char list[] = "SALES 127.0.0.1\0";
    QueryPolicyServers(list, u"SALES", server_.port(), request, timeout_ms, 0, reply_,
                       sizeof(reply_));
    return std::u16string(reply_);
  }

  test::TempDir dir_;
  test::PolicyServerProcess server_;
  char16_t reply_[kReplyBytes / 2];
};

TEST_F(PolicyServerProcessTest, AnswersFromItsReplyFileAndLogsEveryRequest) {
  EXPECT_EQ(Ask(u"30_POLICY\aSALES\ajdoe\a"), u"2600\t8");
  EXPECT_EQ(Ask(u"30_REJECTION_MESSAGE\aSALES\ajdoe\a2600\a3000\a\a"), u"Rejected: 2600, 3000");
  ASSERT_TRUE(server_.WaitForLoggedRequests(2, 5000));
  const std::vector<std::string> expected = {"30_POLICY\\0SALES\\0jdoe\\0",
                                             "30_REJECTION_MESSAGE\\0SALES\\0jdoe\\0"
                                             "2600\\0"
                                             "3000\\0\\0"};
  EXPECT_EQ(server_.LoggedRequests(), expected);
  EXPECT_TRUE(server_.Stop());
}

TEST_F(PolicyServerProcessTest, RereadsTheReplyFileForEveryRequest) {
  EXPECT_EQ(Ask(u"30_POLICY_MESSAGE\aSALES\ajdoe\a", 200), u"");
  server_.SetReplies("30_POLICY_MESSAGE\t*\t*\treply\tPasswords need 8 characters.");
  EXPECT_EQ(Ask(u"30_POLICY_MESSAGE\aSALES\ajdoe\a"), u"Passwords need 8 characters.");
}

}  // namespace
}  // namespace hvn
