// hvn_policy_server.exe as the end-to-end tests use it: a separate process that writes the
// port it chose, answers from a reply file it rereads for every request, logs every request
// and stops when its stop file appears.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/win.h"
#include "query/policy_servers.h"
#include "query/reply.h"
#include "support/temp_dir.h"

namespace hvn {
namespace {

constexpr DWORD kBoundMs = 15000;  // generous bound for the process to start or stop

std::string ProgramPath() {
  char path[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string self(path, length);
  return self.substr(0, self.find_last_of("\\/") + 1) + "hvn_policy_server.exe";
}

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream contents;
  contents << file.rdbuf();
  return contents.str();
}

// Waits until `path` holds text, at most kBoundMs.
std::string WaitForFile(const std::string& path) {
  DWORD start = GetTickCount();
  while (GetTickCount() - start < kBoundMs) {
    std::string text = ReadFile(path);
    if (!text.empty()) return text;
    Sleep(20);
  }
  return "";
}

class PolicyServerProcess : public ::testing::Test {
 protected:
  void SetUp() override {
    replies_ = dir_.WriteFile("replies.txt",
                              "# the policy of SALES\n"
                              "30_POLICY\tSALES\t*\treply\t2600\t1\t8\\a\n"
                              "30_REJECTION_MESSAGE\t*\t*\treply\tRejected: {codes}\n");
    port_file_ = dir_.path() + "\\port.txt";
    log_ = dir_.path() + "\\requests.log";
    stop_file_ = dir_.path() + "\\stop";
    std::string command = "\"" + ProgramPath() + "\" --port 0 --port-file \"" + port_file_ +
                          "\" --replies \"" + replies_ + "\" --log \"" + log_ +
                          "\" --stop-file \"" + stop_file_ + "\" --lifetime 120";
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof(startup));
    startup.cb = sizeof(startup);
    ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process_))
        << GetLastError();
    CloseHandle(process_.hThread);
    std::string port_text = WaitForFile(port_file_);
    ASSERT_FALSE(port_text.empty()) << "the server wrote no port";
    port_ = static_cast<uint32_t>(std::stoul(port_text));
  }

  void TearDown() override {
    if (process_.hProcess == nullptr) return;
    dir_.WriteFile("stop", "");
    if (WaitForSingleObject(process_.hProcess, kBoundMs) != WAIT_OBJECT_0) {
      ADD_FAILURE() << "the server did not stop on its stop file";
      TerminateProcess(process_.hProcess, 1);
    }
    CloseHandle(process_.hProcess);
  }

  std::u16string Ask(const char16_t* request) {
    const char list[] = "SALES 127.0.0.1\0";
    QueryPolicyServers(list, u"SALES", port_, request, 2000, 0, reply_, sizeof(reply_));
    return std::u16string(reply_);
  }

  test::TempDir dir_;
  std::string replies_, port_file_, log_, stop_file_;
  PROCESS_INFORMATION process_ = {};
  uint32_t port_ = 0;
  char16_t reply_[kReplyBytes / 2];
};

TEST_F(PolicyServerProcess, AnswersFromItsReplyFileAndLogsEveryRequest) {
  EXPECT_EQ(Ask(u"30_POLICY\aSALES\ajdoe\a"), u"2600\t1\t8");
  EXPECT_EQ(Ask(u"30_REJECTION_MESSAGE\aSALES\ajdoe\a2600\a3000\a\a"), u"Rejected: 2600, 3000");
  EXPECT_EQ(ReadFile(log_),
            "30_POLICY\\0SALES\\0jdoe\\0\r\n"
            "30_REJECTION_MESSAGE\\0SALES\\0jdoe\\0"
            "2600\\0"
            "3000\\0\\0\r\n");
}

TEST_F(PolicyServerProcess, RereadsTheReplyFileForEveryRequest) {
  EXPECT_EQ(Ask(u"30_POLICY_MESSAGE\aSALES\ajdoe\a"), u"");
  dir_.WriteFile("replies.txt", "30_POLICY_MESSAGE\t*\t*\treply\tPasswords need 8 characters.");
  EXPECT_EQ(Ask(u"30_POLICY_MESSAGE\aSALES\ajdoe\a"), u"Passwords need 8 characters.");
}

}  // namespace
}  // namespace hvn
