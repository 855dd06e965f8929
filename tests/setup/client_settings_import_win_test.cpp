// Writing and clearing the client's settings on the real registry, under a test tree.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "config/client_settings.h"
#include "setup/client_settings_import.h"
#include "setup/registry_state_win.h"

namespace hvn {
namespace {

using test::RegistryState;

constexpr const char* kKey = kClientSettingsKey;

ClientConfigFile Config(const std::string& file) {
  ClientConfigFile config;
  EXPECT_EQ(ParseClientConfigText(file.data(), file.size(), config), 0u);
  return config;
}

class ClientSettingsImportTest : public test::RegistryTest {};

TEST_F(ClientSettingsImportTest, WritesWhatTheFileGivesAndDeletesWhatItLeavesEmpty) {
  struct Row {
    const char* what;
    RegistryState before;
    std::string file;
    std::string servers;  // "HVServers" bytes expected after; "" = as before
    RegistryState after;
  } rows[] = {
      {"a full file on a new machine",
       {{kKey, nullptr, nullptr}},
       "DOM CORP dc1 dc2\nDOM SALES s1\nHVS_Port 1444\nTimeout -1\nRetries 3x\n",
       std::string("CORP dc1 dc2\0SALES s1\0\0", 23),
       {{kKey, "HVS_Port", "dword:1444"},
        {kKey, "Timeout", "dword:4294967295"},
        {kKey, "Retries", "dword:3"}}},
      {"empty texts delete, an empty list keeps the servers",
       {{kKey, "HVS_Port", "dword:1"},
        {kKey, "Timeout", "dword:2"},
        {kKey, "Retries", nullptr},
        {kKey, "WaitSleepTime", "dword:50"}},
       "Retries \n",
       "",
       {{kKey, "HVS_Port", nullptr},
        {kKey, "Timeout", nullptr},
        {kKey, "Retries", nullptr},
        {kKey, "WaitSleepTime", "dword:50"}}},
  };
  for (const Row& row : rows) {
    tree_.SetValue(kKey, "HVServers", REG_MULTI_SZ, std::string("OLD x\0\0", 7));
    ApplyState(tree_, row.before);
    EXPECT_EQ(WriteClientSettings(tree_.root(), Config(row.file)), 0u) << row.what;
    ExpectState(tree_, row.after, row.what);
    std::string servers;
    DWORD type = REG_NONE;
    ASSERT_TRUE(tree_.GetValue(kKey, "HVServers", &type, &servers)) << row.what;
    EXPECT_EQ(type, static_cast<DWORD>(REG_MULTI_SZ)) << row.what;
    EXPECT_EQ(servers, row.servers.empty() ? std::string("OLD x\0\0", 7) : row.servers) << row.what;
  }
}

TEST_F(ClientSettingsImportTest, ClearingCreatesTheKeyAndKeepsOnlyTheServers) {
  EXPECT_EQ(ClearClientSettings(tree_.root()), 0u);
  EXPECT_TRUE(tree_.KeyExists(kKey));
  EXPECT_TRUE(tree_.ValueNames(kKey).empty());

  ApplyState(tree_, {{kKey, "HVServers", "CORP dc1"},
                     {kKey, "HVS_Port", "dword:1"},
                     {kKey, "Timeout", "dword:2"},
                     {kKey, "Retries", "dword:3"}});
  EXPECT_EQ(ClearClientSettings(tree_.root()), 0u);
  ExpectState(tree_,
              {{kKey, "HVServers", "CORP dc1"},
               {kKey, "HVS_Port", nullptr},
               {kKey, "Timeout", nullptr},
               {kKey, "Retries", nullptr}},
              "clear");
}

TEST_F(ClientSettingsImportTest, ListWithoutItsFinalNulsIsNotWritten) {
  ClientConfigFile config = Config("DOM CORP dc1\nTimeout 5\n");
  config.ServerListLength = 4;  // ends inside the entry
  EXPECT_EQ(WriteClientSettings(tree_.root(), config), kSetupFailure);
  // The other steps still ran.
  ExpectState(tree_, {{kKey, "HVServers", nullptr}, {kKey, "Timeout", "dword:5"}}, "cut list");
}

// The settings key cannot be created under a volatile parent: 1603, nothing written.
TEST_F(ClientSettingsImportTest, KeyThatCannotBeCreatedFailsWithNothingWritten) {
  test::CreateVolatileKey(tree_, "SOFTWARE\\Norvex", "Halvern Client");
  EXPECT_EQ(WriteClientSettings(tree_.root(), Config("DOM CORP dc1\n")), kSetupFailure);
  EXPECT_EQ(ClearClientSettings(tree_.root()), kSetupFailure);
  EXPECT_FALSE(tree_.KeyExists(kKey));
}

}  // namespace
}  // namespace hvn
