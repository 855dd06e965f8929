// Earlier-version cleanup and the start-up entry with Wine reporting Windows 98, on the real
// registry under a test tree.
#include <gtest/gtest.h>

#include <string>

#include "platform/platform_id.h"
#include "setup/earlier_version_cleanup.h"
#include "setup/registry_state_win.h"
#include "setup/run_services.h"

namespace hvn {
namespace {

using test::kPresent;
using test::RegistryState;

constexpr char kMsnp32[] = "SYSTEM\\CurrentControlSet\\Control\\PwdProvider\\MSNP32";
constexpr char kWinlogon[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
constexpr char kZarnClient[] = "SOFTWARE\\Zarn\\Halvern Client";

// The values an earlier 9x client left that go whatever the providers were.
const RegistryState kEarlier9xValues = {
    {kMsnp32, "PDCName", "pdc"},
    {kMsnp32, "MessageTimeout", "dword:5"},
    {kMsnp32, "AI1", "a"},
    {kMsnp32, "AI2", "b"},
    {kMsnp32, "HVNInstalled", "dword:1"},
    {kMsnp32, "LastMessageShow", "dword:0"},
    {kMsnp32, "Description", "kept"},
    {kWinlogon, "HVNInstalled", "dword:1"},
    {kZarnClient, nullptr, kPresent},
};
const RegistryState kCleaned9xValues = {
    {kMsnp32, "PDCName", nullptr},      {kMsnp32, "MessageTimeout", nullptr},
    {kMsnp32, "AI1", nullptr},          {kMsnp32, "AI2", nullptr},
    {kMsnp32, "HVNInstalled", nullptr}, {kMsnp32, "LastMessageShow", nullptr},
    {kMsnp32, "Description", "kept"},   {kWinlogon, "HVNInstalled", "dword:1"},
    {kZarnClient, nullptr, nullptr},
};

class Cleanup9xTest : public test::RegistryTest {};

TEST_F(Cleanup9xTest, RestoresTheProvidersAnEarlierClientDisplaced) {
  ASSERT_EQ(GetPlatformId(), kPlatformWindows9x);
  const std::string long_path = "C:\\long\\" + std::string(300, 'p') + ".dll";
  struct Row {
    const char* what;
    RegistryState before;
    RegistryState after;
  } rows[] = {
      {"no provider path at all",
       {{kMsnp32, "REM_ProviderPath", nullptr}, {kMsnp32, "ProviderPath", nullptr}},
       {{kMsnp32, "ProviderPath", "MSNP32.DLL"}}},
      {"the earlier client as provider",
       {{kMsnp32, "REM_ProviderPath", nullptr}, {kMsnp32, "ProviderPath", "hvnC32.dll"}},
       {{kMsnp32, "ProviderPath", "MSNP32.DLL"}}},
      {"an empty provider path",
       {{kMsnp32, "REM_ProviderPath", nullptr}, {kMsnp32, "ProviderPath", ""}},
       {{kMsnp32, "ProviderPath", "MSNP32.DLL"}}},
      {"another provider stays",
       {{kMsnp32, "REM_ProviderPath", nullptr}, {kMsnp32, "ProviderPath", "OTHER.DLL"}},
       {{kMsnp32, "ProviderPath", "OTHER.DLL"}}},
      {"a saved provider wins",
       {{kMsnp32, "REM_ProviderPath", "SAVED.DLL"}, {kMsnp32, "ProviderPath", "OTHER.DLL"}},
       {{kMsnp32, "ProviderPath", "SAVED.DLL"}, {kMsnp32, "REM_ProviderPath", nullptr}}},
      {"a saved network provider goes back",
       {{kMsnp32, "REM_NetworkProvider", "NWNP32.DLL"}, {kMsnp32, "NetworkProvider", "HVN.DLL"}},
       {{kMsnp32, "NetworkProvider", "NWNP32.DLL"}, {kMsnp32, "REM_NetworkProvider", nullptr}}},
      {"no saved network provider",
       {{kMsnp32, "REM_NetworkProvider", nullptr}, {kMsnp32, "NetworkProvider", "MINE.DLL"}},
       {{kMsnp32, "NetworkProvider", "MINE.DLL"}}},
      {"a provider path too long to read is kept",
       {{kMsnp32, "REM_ProviderPath", nullptr}, {kMsnp32, "ProviderPath", long_path.c_str()}},
       {{kMsnp32, "ProviderPath", long_path.c_str()}}},
  };
  for (const Row& row : rows) {
    ApplyState(tree_, kEarlier9xValues);
    ApplyState(tree_, row.before);
    EXPECT_EQ(RemoveEarlierVersionSettings(tree_.root()), 0u) << row.what;
    ExpectState(tree_, row.after, row.what);
    ExpectState(tree_, kCleaned9xValues, row.what);
    // Again: only "ProviderPath" is rewritten, with the value it has.
    EXPECT_EQ(RemoveEarlierVersionSettings(tree_.root()), 0u) << row.what;
    ExpectState(tree_, row.after, row.what + std::string(", again"));
  }
}

TEST_F(Cleanup9xTest, WithoutThePasswordProviderKeyStopsBeforeZarn) {
  ApplyState(tree_, {{kZarnClient, nullptr, kPresent}, {kMsnp32, nullptr, nullptr}});
  EXPECT_EQ(RemoveEarlierVersionSettings(tree_.root()), 2u);
  ExpectState(tree_, {{kZarnClient, nullptr, kPresent}, {kMsnp32, nullptr, nullptr}}, "no key");
}

TEST_F(Cleanup9xTest, StartUpEntryIsWrittenAndRemoved) {
  constexpr char kRun[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunServices";
  const char* program = "C:\\WINDOWS\\SYSTEM\\HVNc9x.exe";
  struct Row {
    const char* what;
    RegistryState before;
    void (*operation)(HKEY, const char*);
    RegistryState after;
  } rows[] = {
      {"register on a new machine",
       {{kRun, nullptr, nullptr}},
       RegisterRunServicesEntry,
       {{kRun, "HVNc9x", program}}},
      {"register over an old entry",
       {{kRun, "HVNc9x", "C:\\OLD\\HVNc9x.exe"}, {kRun, "Other", "x"}},
       RegisterRunServicesEntry,
       {{kRun, "HVNc9x", program}, {kRun, "Other", "x"}}},
      {"remove",
       {{kRun, "HVNc9x", program}, {kRun, "Other", "x"}},
       [](HKEY root, const char*) { RemoveRunServicesEntry(root); },
       {{kRun, "HVNc9x", nullptr}, {kRun, "Other", "x"}}},
      {"remove without the key",
       {{kRun, nullptr, nullptr}},
       [](HKEY root, const char*) { RemoveRunServicesEntry(root); },
       {{kRun, nullptr, nullptr}}},
  };
  for (const Row& row : rows) {
    ApplyState(tree_, row.before);
    row.operation(tree_.root(), program);
    ExpectState(tree_, row.after, row.what);
  }
}

}  // namespace
}  // namespace hvn
