// hvnpolicy.exe under Wine: `serve` keeps its policies in a registry key, `check --server`
// asks it with the client's own transaction, `check --key` reads the key directly and
// `check --dictionary-folder` opens dictionaries by the clients' folder rule.
#include <gtest/gtest.h>

#include <string>

#include "base/reg_file.h"
#include "config/registry_tree.h"
#include "hvnpolicy_process_win.h"
#include "support/temp_dir.h"

namespace hvn::test {
namespace {

constexpr char kKey[] = "HKEY_CURRENT_USER\\Software\\HvnpolicyWinTest";

const char kPolicies[] =
    "REGEDIT4\r\n"
    "[HKEY_CURRENT_USER\\Software\\HvnpolicyWinTest\\Policies\\Standard]\r\n"
    "\"2600_Enabled\"=dword:00000001\r\n\"2600_MinLength\"=dword:00000008\r\n"
    "\"2300_Enabled\"=dword:00000001\r\n\"2300_MustContain\"=dword:00000001\r\n"
    "\"2300_MinCount\"=dword:00000001\r\n"
    "\"2600msg_Rej\"=\"Use at least 8 characters.\"\r\n"
    "\"MsgRejTemplate\"=\"Refused for {user}: {codes}{nl}{rules}\"\r\n";

class HvnpolicyWinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(tool::ImportRegFile(kPolicies, error)) << error;
  }
  void TearDown() override { DeleteRegistryTree(HKEY_CURRENT_USER, "Software\\HvnpolicyWinTest"); }
  TempDir dir_;
};

TEST_F(HvnpolicyWinTest, CheckAgainstServeAndTheRegistryKey) {
  HvnpolicyServer server;
  ASSERT_EQ(server.Start(dir_.path(), kKey), 0u);
  const std::string at =
      "--server 127.0.0.1:" + std::to_string(server.port()) + " --domain SALES --user jdoe";
  std::string output;
  EXPECT_EQ(RunHvnpolicy("check " + at, "short\r\n", output), 1) << output;
  EXPECT_NE(output.find("rule 2600  FAILED "), std::string::npos) << output;
  EXPECT_NE(output.find("Refused for jdoe: 2300, 2600"), std::string::npos) << output;
  EXPECT_NE(output.find("Use at least 8 characters."), std::string::npos) << output;
  EXPECT_EQ(RunHvnpolicy("check " + at, "longer-pass-1\r\n", output), 0) << output;
  EXPECT_NE(output.find("Verdict: ACCEPTED"), std::string::npos) << output;

  EXPECT_EQ(RunHvnpolicy(std::string("check --key ") + kKey + " --user jdoe", "short\r\n", output),
            1)
      << output;
  EXPECT_NE(output.find("policy \"Standard\""), std::string::npos) << output;
  server.Stop();
  std::vector<std::string> log = server.LoggedRequests();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_NE(log[0].find(" 30_POLICY\\0SALES\\0jdoe\\0 -> policy \"Standard\""), std::string::npos);
  EXPECT_NE(log[1].find(" 30_REJECTION_MESSAGE\\0SALES\\0jdoe\\02300\\02600\\0\\0 -> "),
            std::string::npos);
}

// --dictionary-folder admits a dictionary by the clients' own rule: found inside the folder,
// refused outside it.
TEST_F(HvnpolicyWinTest, CheckOpensTheDictionaryOnlyInsideTheFoldersGiven) {
  const std::string dictionary = dir_.WriteFile("words.dic", "HEAD\r\nSUMMER\r\n");
  const std::string reply = dir_.WriteFile("reply.txt", "3000\t" + dictionary + "\t0\t0\t4\n");
  std::string output;
  EXPECT_EQ(
      RunHvnpolicy("check --reply \"" + reply + "\" --dictionary-folder \"" + dir_.path() + "\"",
                   "xxsummerxx\r\n", output),
      1)
      << output;
  EXPECT_NE(output.find("matched entry \"SUMMER\""), std::string::npos) << output;
  EXPECT_EQ(RunHvnpolicy("check --reply \"" + reply + "\" --dictionary-folder C:\\Elsewhere",
                         "xxsummerxx\r\n", output),
            0)
      << output;
  EXPECT_NE(output.find("(the dictionary is outside the folders given)"), std::string::npos)
      << output;
}

}  // namespace
}  // namespace hvn::test
