// Earlier-version cleanup with Wine reporting Windows XP, on the real registry under a test
// tree: the NT branch, the common "SOFTWARE\Zarn" step and the removal of the 3.0 key.
#include <gtest/gtest.h>

#include "platform/platform_id.h"
#include "setup/earlier_version_cleanup.h"
#include "setup/registry_state_win.h"

namespace hvn {
namespace {

using test::kPresent;
using test::RegistryState;

constexpr char kWinlogon[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
constexpr char kMsnp32[] = "SYSTEM\\CurrentControlSet\\Control\\PwdProvider\\MSNP32";
constexpr char kZarnClient[] = "SOFTWARE\\Zarn\\Halvern Client\\Sub";
constexpr char kZarnOther[] = "SOFTWARE\\Zarn\\Other";

// Everything an earlier NT client left.
const RegistryState kEarlierNtClient = {
    {kWinlogon, "GinaDLL", "HVNC32.DLL"},
    {kWinlogon, "HVN_ChangePasswordDialogText", "t"},
    {kWinlogon, "HVN_ChangePasswordDialogTitle", "t"},
    {kWinlogon, "HVN_DomainNameIndex", "dword:1"},
    {kWinlogon, "HVN_PasswordInvalidDialogText", "t"},
    {kWinlogon, "HVN_PasswordInvalidDialogTitle", "t"},
    {kWinlogon, "HVN_UsernameIndex", "dword:2"},
    {kWinlogon, "HVNInstalled", "dword:1"},
    {kMsnp32, "PDCName", "pdc"},
    {kZarnClient, nullptr, kPresent},
    {kZarnOther, nullptr, kPresent},
};
// What the cleanup leaves of it, whatever the saved providers.
const RegistryState kCleanedNtClient = {
    {kWinlogon, "GinaDLL", "HVNC32.DLL"},
    {kWinlogon, "HVN_ChangePasswordDialogText", nullptr},
    {kWinlogon, "HVN_ChangePasswordDialogTitle", nullptr},
    {kWinlogon, "HVN_DomainNameIndex", nullptr},
    {kWinlogon, "HVN_PasswordInvalidDialogText", nullptr},
    {kWinlogon, "HVN_PasswordInvalidDialogTitle", nullptr},
    {kWinlogon, "HVN_UsernameIndex", nullptr},
    {kWinlogon, "HVNInstalled", nullptr},
    {kMsnp32, "PDCName", "pdc"},  // the 9x key is not touched on NT
    {"SOFTWARE\\Zarn\\Halvern Client", nullptr, nullptr},
    {kZarnOther, nullptr, kPresent},
};

class EarlierVersionCleanupTest : public test::RegistryTest {};

TEST_F(EarlierVersionCleanupTest, NtKeepsTheSavedProviderAndRemovesTheRest) {
  ASSERT_EQ(GetPlatformId(), kPlatformWindowsNT);
  struct Row {
    const char* what;
    const char* hvn_rem_before;
    const char* rem_before;
    const char* rem_after;
  } rows[] = {
      {"only the earlier saved provider", "OLD.DLL", nullptr, "OLD.DLL"},
      {"both saved providers", "OLD.DLL", "CURRENT.DLL", "CURRENT.DLL"},
      {"no earlier saved provider", nullptr, nullptr, nullptr},
  };
  for (const Row& row : rows) {
    ApplyState(tree_, kEarlierNtClient);
    ApplyState(tree_, {{kWinlogon, "HVN_REM_GinaDLL", row.hvn_rem_before},
                       {kWinlogon, "REM_GinaDLL", row.rem_before}});
    EXPECT_EQ(RemoveEarlierVersionSettings(tree_.root()), 0u) << row.what;
    ExpectState(tree_, kCleanedNtClient, row.what);
    ExpectState(tree_,
                {{kWinlogon, "HVN_REM_GinaDLL", row.hvn_rem_before},
                 {kWinlogon, "REM_GinaDLL", row.rem_after}},
                row.what);
    // A repeated cleanup changes nothing further.
    EXPECT_EQ(RemoveEarlierVersionSettings(tree_.root()), 0u) << row.what;
    ExpectState(tree_, kCleanedNtClient, row.what + std::string(", again"));
  }
}

TEST_F(EarlierVersionCleanupTest, NtWithoutWinlogonKeyStopsBeforeZarn) {
  ApplyState(tree_, {{kZarnClient, nullptr, kPresent}});
  EXPECT_EQ(RemoveEarlierVersionSettings(tree_.root()), 2u);
  ExpectState(tree_, {{kZarnClient, nullptr, kPresent}, {kWinlogon, nullptr, nullptr}}, "no key");
}

TEST_F(EarlierVersionCleanupTest, DeactivationRemovesOnlyThe30Key) {
  const RegistryState before = {
      {"SOFTWARE\\Norvex\\Halvern Client\\3.0\\Deep\\Deeper", nullptr, kPresent},
      {"SOFTWARE\\Norvex\\Halvern Client\\3.0", "Timeout", "dword:1"},
      {"SOFTWARE\\Norvex\\Halvern Client\\3.5", "Timeout", "dword:2"}};
  const RegistryState after = {{"SOFTWARE\\Norvex\\Halvern Client\\3.0", nullptr, nullptr},
                               {"SOFTWARE\\Norvex\\Halvern Client\\3.5", "Timeout", "dword:2"}};
  ApplyState(tree_, before);
  RemoveEarlierVersionKey(tree_.root());
  ExpectState(tree_, after, "with a 3.0 key");
  RemoveEarlierVersionKey(tree_.root());
  ExpectState(tree_, after, "without a 3.0 key");
}

}  // namespace
}  // namespace hvn
