// The installers' sequences end to end, with Wine reporting Windows XP: once on the machine's
// own registry through the operations without a root (the prefix's Winlogon values restored
// afterwards), and once on a test tree where the chain cannot be written.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "bench/winlogon_bench.h"
#include "config/client_settings.h"
#include "setup/client_settings_import.h"
#include "setup/earlier_version_cleanup.h"
#include "setup/logon_chain.h"
#include "setup/registry_state_win.h"

namespace hvn {
namespace {

std::string Winlogon(const char* name) {
  std::string text;
  return test::ReadWinlogonValue(name, &text) ? text : "<absent>";
}

ClientConfigFile Config(const char* file) {
  ClientConfigFile config;
  EXPECT_EQ(ParseClientConfigText(file, std::strlen(file), config), 0u);
  return config;
}

TEST(SetupFlow, ActivationAndDeactivationOnTheMachine) {
  test::SavedRegistry saved;
  test::SetWinlogonValue("GinaDLL", "OTHER.DLL");
  test::DeleteWinlogonValue("REM_GinaDLL");
  ClientSettings settings;

  EXPECT_EQ(RemoveEarlierVersionSettings(), 0u);
  EXPECT_EQ(WriteClientSettings(Config("DOM CORP dc1\nTimeout 500\n")), 0u);
  EXPECT_FALSE(RecursiveLoadTest());
  EXPECT_EQ(ActivateLogonChain(), ActivationResult::kSuccess);
  EXPECT_EQ(ActivateLogonChain(), ActivationResult::kAlreadyActive);
  EXPECT_EQ(Winlogon("GinaDLL"), "HVNC32.DLL");
  EXPECT_EQ(Winlogon("REM_GinaDLL"), "OTHER.DLL");
  EXPECT_EQ(settings.Load(HKEY_LOCAL_MACHINE, kClientSettingsKey), 0u);
  EXPECT_EQ(settings.Timeout, 500u);

  // OTHER.DLL is no file of the system directory: Winlogon gets its own provider back.
  EXPECT_TRUE(IsDeactivationSafe());
  EXPECT_EQ(DeactivateLogonChain(), ActivationResult::kSuccess);
  EXPECT_EQ(ClearClientSettings(), 0u);
  RemoveEarlierVersionKey();
  EXPECT_EQ(Winlogon("GinaDLL"), "<absent>");
  EXPECT_EQ(Winlogon("REM_GinaDLL"), "<absent>");
  EXPECT_EQ(settings.Load(HKEY_LOCAL_MACHINE, kClientSettingsKey), 0u);
  EXPECT_EQ(settings.Timeout, 2000u);  // the default again
  test::DeleteClientSettings();
}

// A chain that cannot be written (its key missing under a volatile parent) fails the
// activation with a write failure; the steps before it stay done.
TEST(SetupFlow, WriteFailureLeavesEarlierStepsInPlace) {
  test::RegistryTestKey tree;
  test::CreateVolatileKey(tree, "SOFTWARE\\Microsoft\\Windows NT", "CurrentVersion");
  EXPECT_EQ(WriteClientSettings(tree.root(), Config("DOM CORP dc1\nRetries 4\n")), 0u);
  EXPECT_EQ(ActivateLogonChain(tree.root()), ActivationResult::kWriteFailure);
  test::ExpectState(
      tree,
      {{kClientSettingsKey, "Retries", "dword:4"},
       {"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon", nullptr, nullptr}},
      "after the failed activation");
}

}  // namespace
}  // namespace hvn
