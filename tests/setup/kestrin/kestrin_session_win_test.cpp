// Kestrin's six custom actions, each run in a real installer session (Wine's msi.dll), with
// the machine prepared as each case says: the registry values, the client's files in the
// system directory, the configuration file in the Windows directory, files held open by this
// (another) process. One table holds every case; each asserts the installer's result, the
// error numbers sent, and the machine afterwards.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/win.h"
#include "setup/kestrin/installer_session_win.h"
#include "support/temp_dir.h"
// clang-format off
#include <shlwapi.h>
// clang-format on

namespace {

using namespace std::string_literals;

constexpr char kLsaKey[] = "SYSTEM\\CurrentControlSet\\Control\\Lsa";
constexpr char kWinlogonKey[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
constexpr char kProductKey[] = "SOFTWARE\\Norvex\\Halvern Client";
constexpr char kSettingsKey[] = "SOFTWARE\\Norvex\\Halvern Client\\3.5";
constexpr char kRunServicesKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunServices";
constexpr char kEventSourceKey[] =
    "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Halvern Client";

// A registry value: its type and bytes as stored.
struct Value {
  DWORD type;
  std::string bytes;
  bool operator==(const Value& other) const { return type == other.type && bytes == other.bytes; }
};
using Optional = std::optional<Value>;
Value Multi(const std::string& bytes) {
  return {REG_MULTI_SZ, bytes};
}
Value Text(const std::string& text) {
  return {REG_SZ, text + '\0'};
}
Value Number(DWORD number) {
  return {REG_DWORD, std::string(reinterpret_cast<char*>(&number), 4)};
}
Value Expandable(const std::string& text) {
  return {REG_EXPAND_SZ, text + '\0'};
}

// The values a case may set or check; each is saved before a case and put back after it.
struct Tracked {
  const char* key;
  const char* name;
};
// clang-format off
enum TrackedValue {
  kPackages, kGina, kRemGina, kServers, kTimeout, kStartupEntry, kEventMessageFile, kEventTypes,
  kTrackedCount
};
const Tracked kTracked[kTrackedCount] = {
    {kLsaKey, "Notification Packages"}, {kWinlogonKey, "GinaDLL"}, {kWinlogonKey, "REM_GinaDLL"},
    {kSettingsKey, "HVServers"}, {kSettingsKey, "Timeout"}, {kRunServicesKey, "HVNc9x"},
    {kEventSourceKey, "EventMessageFile"}, {kEventSourceKey, "TypesSupported"}};
// clang-format on

// Files in the system directory.
enum SystemFile : unsigned {
  kClientNT = 1,       // "HVNC32.DLL"
  kProgram9x = 2,      // "HVNC9X.EXE"
  kLibrary9x = 4,      // "HVNC9X.DLL"
  kOtherProvider = 8,  // "ACMEGINA.DLL", a logon provider of another product
};
const char* const kSystemFiles[] = {"HVNC32.DLL", "HVNC9X.EXE", "HVNC9X.DLL", "ACMEGINA.DLL"};

// What another process does meanwhile.
enum Situation : unsigned {
  kConfigBeingWritten = 1,  // holds HVNCLNT.CFG open for writing: it is read, not deleted
  kClientInUse = 2,         // holds HVNC32.DLL open, as a Winlogon that loaded it does
  kSettingsUnwritable = 4,  // the product key is volatile, so the settings key cannot be made
  kWinlogonUnwritable = 8,  // the Winlogon key's access list denies setting values
};

struct Case {
  const char* name = "";
  const char* windows = "winxp";  // reported to the process that runs the action
  const char* action = "";
  // The machine before: values not named are absent.
  Optional values[kTrackedCount] = {};
  unsigned files = 0;
  const char* config = nullptr;  // HVNCLNT.CFG in the Windows directory; nullptr: none
  unsigned situation = 0;
  // What the installer saw, and the machine after: values not named are absent.
  unsigned result = 0;
  std::vector<std::string> messages = {};
  Optional after[kTrackedCount] = {};
  bool config_after = false;  // HVNCLNT.CFG still there
};

constexpr unsigned kFailed = 1603;
const char kConfig[] = "# policy servers\nDOM CORP\tdc1 dc2\nTimeout 3000\n";
const std::string kServerList = "CORP dc1 dc2\0\0"s;
const std::string kLongGina(300, 'G');  // longer than a provider name can be: unreadable
// A comment line of 1,031 characters whose tail would read as a setting of its own.
const std::string kLongCommentConfig = kConfig + "# "s + std::string(1020, 'c') + "Retries 7\n";

const std::string kLongList = [] {
  std::string list;
  for (int i = 0; i < 700; ++i) list += "package" + std::to_string(i) + '\0';
  return list;  // about 7,000 bytes
}();

// The startup program's path as 9x activation enters it.
std::string SystemPath(const char* name) {
  char directory[MAX_PATH] = {};
  ::GetSystemDirectoryA(directory, sizeof(directory));
  return std::string(directory) + '\\' + name;
}
const std::string kStartupPath = SystemPath("HVNC9X.EXE");
const std::string kOtherProviderPath = SystemPath("ACMEGINA.DLL");
// The event source as NT activation registers it.
const Value kMessageFile = Expandable("%SystemRoot%\\System32\\HVNc32.dll");
const Value kEventTypesSupported = Number(7);

// clang-format off
const Case kCases[] = {
  // The password filter's registration with the Local Security Authority.
  {.name = "ServerAddsHvnWhereNoValueIs", .action = "ActivateServer",
   .messages = {"25000"}, .after = {Multi("HVN\0\0"s)}},
  {.name = "ServerAppendsHvnToAnExistingList", .action = "ActivateServer",
   .values = {Multi("scecli\0rassfm\0\0"s)},
   .messages = {"25000"}, .after = {Multi("scecli\0rassfm\0HVN\0\0"s)}},
  {.name = "ServerSecondRunAddsNothing", .action = "ActivateServer",
   .values = {Multi("scecli\0HVN\0\0"s)},
   .after = {Multi("scecli\0HVN\0\0"s)}},
  {.name = "ServerCountsHvnInAnyCaseAsRegistered", .windows = "nt40", .action = "ActivateServer",
   .values = {Multi("scecli\0myhvnfilt\0\0"s)},
   .after = {Multi("scecli\0myhvnfilt\0\0"s)}},
  {.name = "ServerKeepsALongListWhole", .windows = "win2k", .action = "ActivateServer",
   .values = {Multi(kLongList + '\0')},
   .messages = {"25000"}, .after = {Multi(kLongList + "HVN\0\0"s)}},
  {.name = "ServerReadsAListWithoutFinalNuls", .action = "ActivateServer",
   .values = {Multi("scecli\0rassfm"s)},
   .messages = {"25000"}, .after = {Multi("scecli\0rassfm\0HVN\0\0"s)}},
  {.name = "ServerTurnsAPlainStringIntoAList", .action = "ActivateServer",
   .values = {Text("scecli")},
   .messages = {"25000"}, .after = {Multi("scecli\0HVN\0\0"s)}},
  {.name = "ServerLeavesAValueOfAnotherTypeAlone", .action = "ActivateServer",
   .values = {Value{REG_BINARY, "\x01\x02"s}},
   .messages = {"25005"}, .after = {Value{REG_BINARY, "\x01\x02"s}}},
  {.name = "ServerRemovalTakesEveryHvnEntry", .action = "DeactivateServer",
   .values = {Multi("HVN\0scecli\0Hvn2\0rassfm\0xhvnx\0\0"s)},
   .messages = {"25010"}, .after = {Multi("scecli\0rassfm\0\0"s)}},
  {.name = "ServerRemovalKeepsALongListWhole", .windows = "win2k", .action = "DeactivateServer",
   .values = {Multi(kLongList + "HVN\0\0"s)},
   .messages = {"25010"}, .after = {Multi(kLongList + '\0')}},
  // Unchanged: the ANSI read shows the missing NUL added, as it did before the action.
  {.name = "ServerRemovalWithoutHvnWritesNothing", .action = "DeactivateServer",
   .values = {Multi("scecli\0rassfm"s)},
   .after = {Multi("scecli\0rassfm\0"s)}},
  {.name = "ServerRemovalWithoutValueSaysNothing", .action = "DeactivateServer"},

  // Client activation on NT.
  {.name = "ClientActivatesAndConsumesTheConfigFile", .action = "ActivateClient",
   .files = kClientNT, .config = kConfig,
   .after = {{}, Text("HVNC32.DLL"), {}, Multi(kServerList), Number(3000), {}, kMessageFile,
             kEventTypesSupported}},
  {.name = "ClientActivationKeepsTheFormerProviderBehind", .windows = "nt40",
   .action = "ActivateClient", .values = {{}, Text("ACMEGINA.DLL")},
   .files = kClientNT, .config = kConfig,
   .after = {{}, Text("HVNC32.DLL"), Text("ACMEGINA.DLL"), Multi(kServerList), Number(3000), {},
             kMessageFile, kEventTypesSupported}},
  {.name = "ClientAlreadyActiveStillImports", .windows = "win2k", .action = "ActivateClient",
   .values = {{}, Text("HVNC32.DLL"), Text("ACMEGINA.DLL")},
   .files = kClientNT, .config = kConfig,
   .after = {{}, Text("HVNC32.DLL"), Text("ACMEGINA.DLL"), Multi(kServerList), Number(3000), {},
             kMessageFile, kEventTypesSupported}},
  {.name = "ClientWithoutConfigFile", .action = "ActivateClient", .files = kClientNT,
   .result = kFailed, .messages = {"25030"}},
  {.name = "ClientWithoutItsLibrary", .action = "ActivateClient", .config = kConfig,
   .result = kFailed, .messages = {"25020"}, .config_after = true},
  // The file cannot be deleted while the writer holds it, so it stays.
  {.name = "ClientReadsAConfigFileBeingWritten", .action = "ActivateClient",
   .files = kClientNT, .config = kConfig, .situation = kConfigBeingWritten,
   .after = {{}, Text("HVNC32.DLL"), {}, Multi(kServerList), Number(3000), {}, kMessageFile,
             kEventTypesSupported},
   .config_after = true},
  {.name = "ClientConfigFileWithALongLine", .action = "ActivateClient",
   .files = kClientNT, .config = kLongCommentConfig.c_str(),
   .result = kFailed, .messages = {"25040"}, .config_after = true},
  {.name = "ClientConfigFileEmpty", .action = "ActivateClient", .files = kClientNT, .config = "",
   .result = kFailed, .messages = {"25060"}, .config_after = true},
  {.name = "ClientConfigFileWithoutDomain", .action = "ActivateClient", .files = kClientNT,
   .config = "DOM CORP\nTimeout 3000\n",
   .result = kFailed, .messages = {"25060"}, .config_after = true},
  {.name = "ClientSettingsUnwritable", .action = "ActivateClient",
   .files = kClientNT, .config = kConfig, .situation = kSettingsUnwritable,
   .result = kFailed, .messages = {"25050"}, .config_after = true},
  {.name = "ClientWinlogonUnreadable", .action = "ActivateClient",
   .values = {{}, Text(kLongGina)}, .files = kClientNT, .config = kConfig,
   .result = kFailed, .messages = {"25070"},
   .after = {{}, Text(kLongGina), {}, Multi(kServerList), Number(3000)}, .config_after = true},

  // Client activation on 9x: the start-up program instead of the logon chain.
  {.name = "Client9xActivates", .windows = "win98", .action = "ActivateClient",
   .files = kProgram9x | kLibrary9x, .config = kConfig,
   .after = {{}, {}, {}, Multi(kServerList), Number(3000), Text(kStartupPath)}},
  {.name = "Client9xWithoutItsProgram", .windows = "win98", .action = "ActivateClient",
   .files = kLibrary9x | kClientNT, .config = kConfig,
   .result = kFailed, .messages = {"25024"}, .config_after = true},
  {.name = "Client9xWithoutItsLibrary", .windows = "win98", .action = "ActivateClient",
   .files = kProgram9x, .config = kConfig,
   .result = kFailed, .messages = {"25025"}, .config_after = true},

  // Deactivation.
  {.name = "ClientDeactivates", .action = "DeactivateClient",
   .values = {{}, Text("HVNC32.DLL"), {}, Multi(kServerList), Number(3000), {}, kMessageFile,
              kEventTypesSupported},
   .after = {{}, {}, {}, Multi(kServerList)}},
  {.name = "ClientDeactivationGivesTheHeadBack", .windows = "nt40", .action = "DeactivateClient",
   .values = {{}, Text("HVNC32.DLL"), Text("ACMEGINA.DLL")}, .files = kOtherProvider,
   .after = {{}, Text("ACMEGINA.DLL")}},
  {.name = "ClientDeactivationRestoresAProviderNamedByPath", .action = "DeactivateClient",
   .values = {{}, Text("HVNC32.DLL"), Text(kOtherProviderPath)}, .files = kOtherProvider,
   .after = {{}, Text(kOtherProviderPath)}},
  {.name = "ClientDeactivationDropsAVanishedProvider", .action = "DeactivateClient",
   .values = {{}, Text("HVNC32.DLL"), Text("ACMEGINA.DLL")}},
  {.name = "ClientDeactivationWinlogonUnreadable", .action = "DeactivateClient",
   .values = {{}, Text(kLongGina), {}, {}, Number(3000)},
   .result = kFailed, .messages = {"25070"}, .after = {{}, Text(kLongGina), {}, {}, Number(3000)}},
  {.name = "ClientDeactivationWinlogonUnwritable", .action = "DeactivateClient",
   .values = {{}, Text("HVNC32.DLL"), {}, {}, Number(3000), {}, kMessageFile},
   .situation = kWinlogonUnwritable, .result = kFailed, .messages = {"25050"},
   .after = {{}, Text("HVNC32.DLL"), {}, {}, Number(3000), {}, kMessageFile}},
  {.name = "Client9xDeactivates", .windows = "win98", .action = "DeactivateClient",
   .values = {{}, Text("OTHER.DLL"), {}, {}, Number(3000), Text(kStartupPath)},
   .after = {{}, Text("OTHER.DLL")}},

  // The safety tests, with the client's library held open by another process.
  {.name = "ReactivationUnsafeBehindAnotherProvider", .action = "ClientRecursiveLoadTest",
   .values = {{}, Text("ACMEGINA.DLL")}, .files = kClientNT, .situation = kClientInUse,
   .result = kFailed, .messages = {"25080"}, .after = {{}, Text("ACMEGINA.DLL")}},
  {.name = "ReactivationSafeWhileTheLibraryIsFree", .action = "ClientRecursiveLoadTest",
   .values = {{}, Text("ACMEGINA.DLL")}, .files = kClientNT,
   .after = {{}, Text("ACMEGINA.DLL")}},
  {.name = "ReactivationSafeWithTheClientAtTheHead", .windows = "win2k",
   .action = "ClientRecursiveLoadTest",
   .values = {{}, Text("hvnc32.dll")}, .files = kClientNT, .situation = kClientInUse,
   .after = {{}, Text("hvnc32.dll")}},
  {.name = "Reactivation9xNotTested", .windows = "win98", .action = "ClientRecursiveLoadTest",
   .values = {{}, Text("ACMEGINA.DLL")}, .files = kClientNT, .situation = kClientInUse,
   .after = {{}, Text("ACMEGINA.DLL")}},
  {.name = "DeactivationUnsafeBehindAnotherProvider", .action = "ClientDeactivateTest",
   .values = {{}, Text("ACMEGINA.DLL")}, .files = kClientNT, .situation = kClientInUse,
   .result = kFailed, .messages = {"25090"}, .after = {{}, Text("ACMEGINA.DLL")}},
  {.name = "DeactivationSafeWithTheClientAtTheHead", .action = "ClientDeactivateTest",
   .values = {{}, Text("HVNC32.DLL")}, .files = kClientNT, .situation = kClientInUse,
   .after = {{}, Text("HVNC32.DLL")}},
  {.name = "Deactivation9xNotTested", .windows = "win98", .action = "ClientDeactivateTest",
   .values = {{}, Text("ACMEGINA.DLL")}, .files = kClientNT, .situation = kClientInUse,
   .after = {{}, Text("ACMEGINA.DLL")}},
};
// clang-format on

Optional ReadValue(const Tracked& value) {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, value.key, 0, KEY_QUERY_VALUE, &key) != 0) return {};
  DWORD type = 0, size = 0;
  Optional result;
  if (::RegQueryValueExA(key, value.name, nullptr, &type, nullptr, &size) == 0) {
    std::string bytes(size, '\0');
    if (::RegQueryValueExA(key, value.name, nullptr, &type, reinterpret_cast<BYTE*>(&bytes[0]),
                           &size) == 0) {
      bytes.resize(size);
      result = Value{type, bytes};
    }
  }
  ::RegCloseKey(key);
  return result;
}

void WriteValue(const Tracked& value, const Optional& contents) {
  HKEY key = nullptr;
  ASSERT_EQ(::RegCreateKeyExA(HKEY_LOCAL_MACHINE, value.key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
            0)
      << value.key;
  if (contents) {
    EXPECT_EQ(::RegSetValueExA(key, value.name, 0, contents->type,
                               reinterpret_cast<const BYTE*>(contents->bytes.data()),
                               static_cast<DWORD>(contents->bytes.size())),
              0);
  } else {
    ::RegDeleteValueA(key, value.name);
  }
  ::RegCloseKey(key);
}

std::string ConfigPath() {
  char directory[MAX_PATH] = {};
  ::GetWindowsDirectoryA(directory, sizeof(directory));
  return std::string(directory) + "\\HVNCLNT.CFG";
}

bool Exists(const std::string& path) {
  return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void PutFile(const std::string& path, const std::string& contents) {
  HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
  DWORD written = 0;
  ::WriteFile(file, contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr);
  ::CloseHandle(file);
}

HANDLE Hold(const std::string& path, DWORD access, DWORD sharing) {
  return ::CreateFileA(path.c_str(), access, sharing, nullptr, OPEN_EXISTING, 0, nullptr);
}

void PrintTo(const Case& c, std::ostream* out) {
  *out << c.name;
}

class KestrinSession : public testing::TestWithParam<Case> {
 protected:
  static void SetUpTestSuite() {
    folder_ = new hvn::test::TempDir();
    package_ = new hvn::test::InstallerPackage(HVN_KESTRIN_DLL, folder_->path());
  }
  static void TearDownTestSuite() {
    delete package_;
    delete folder_;
  }

  // Saves what the cases change, so the prefix's other tests find it as they left it.
  void SetUp() override {
    for (int i = 0; i < kTrackedCount; ++i) saved_[i] = ReadValue(kTracked[i]);
  }
  void TearDown() override {
    for (HANDLE handle : held_) ::CloseHandle(handle);
    if (!winlogon_security_.empty()) SetWinlogonSecurity(winlogon_security_.data());
    if (GetParam().situation & kSettingsUnwritable) ::SHDeleteKeyA(HKEY_LOCAL_MACHINE, kProductKey);
    for (int i = 0; i < kTrackedCount; ++i) WriteValue(kTracked[i], saved_[i]);
    for (const char* name : kSystemFiles) ::DeleteFileA(SystemPath(name).c_str());
    ::DeleteFileA(ConfigPath().c_str());
  }

  void Prepare(const Case& c) {
    for (int i = 0; i < kTrackedCount; ++i) WriteValue(kTracked[i], c.values[i]);
    for (unsigned i = 0; i < std::size(kSystemFiles); ++i) {
      if (c.files & (1u << i)) PutFile(SystemPath(kSystemFiles[i]), "MZ");
    }
    if (c.config) PutFile(ConfigPath(), c.config);
    if (c.situation & kConfigBeingWritten) {
      held_.push_back(Hold(ConfigPath(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE));
    }
    if (c.situation & kClientInUse) {
      held_.push_back(Hold(SystemPath("HVNC32.DLL"), GENERIC_READ, FILE_SHARE_READ));
    }
    if (c.situation & kSettingsUnwritable) {
      // A non-volatile key cannot be created below a volatile one.
      ::SHDeleteKeyA(HKEY_LOCAL_MACHINE, kProductKey);
      HKEY key = nullptr;
      ASSERT_EQ(::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kProductKey, 0, nullptr, REG_OPTION_VOLATILE,
                                  KEY_ALL_ACCESS, nullptr, &key, nullptr),
                0);
      ::RegCloseKey(key);
    }
    if (c.situation & kWinlogonUnwritable) DenySettingWinlogonValues();
    for (HANDLE handle : held_) ASSERT_NE(handle, INVALID_HANDLE_VALUE);
  }

  static bool SetWinlogonSecurity(void* descriptor) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kWinlogonKey, 0, WRITE_DAC, &key) != 0) return false;
    LONG rc = ::RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor);
    ::RegCloseKey(key);
    return rc == 0;
  }

  // Saves the key's access list (put back by TearDown) and sets one that lets everyone do
  // everything except set a value.
  void DenySettingWinlogonValues() {
    HKEY key = nullptr;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kWinlogonKey, 0, READ_CONTROL, &key), 0);
    DWORD size = 0;
    ::RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, nullptr, &size);
    std::vector<char> saved(size);
    LONG rc = ::RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, saved.data(), &size);
    ::RegCloseKey(key);
    ASSERT_EQ(rc, 0);
    winlogon_security_ = saved;

    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    ASSERT_TRUE(
        ::AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone));
    std::vector<char> acl_bytes(256);
    auto* acl = reinterpret_cast<ACL*>(acl_bytes.data());
    SECURITY_DESCRIPTOR descriptor;
    bool built = ::InitializeAcl(acl, static_cast<DWORD>(acl_bytes.size()), ACL_REVISION) &&
                 ::AddAccessDeniedAce(acl, ACL_REVISION, KEY_SET_VALUE, everyone) &&
                 ::AddAccessAllowedAce(acl, ACL_REVISION, KEY_ALL_ACCESS, everyone) &&
                 ::InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) &&
                 ::SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE);
    ::FreeSid(everyone);
    ASSERT_TRUE(built);
    ASSERT_TRUE(SetWinlogonSecurity(&descriptor));
  }

  static hvn::test::TempDir* folder_;
  static hvn::test::InstallerPackage* package_;
  Optional saved_[kTrackedCount];
  std::vector<HANDLE> held_;
  std::vector<char> winlogon_security_;
};
hvn::test::TempDir* KestrinSession::folder_ = nullptr;
hvn::test::InstallerPackage* KestrinSession::package_ = nullptr;

TEST_P(KestrinSession, ActsAsTheCaseSays) {
  const Case& c = GetParam();
  ASSERT_EQ(package_->failure(), "");
  Prepare(c);

  hvn::test::ActionRun run = package_->Run(c.action, c.windows);

  EXPECT_EQ(run.result, c.result);
  EXPECT_EQ(run.messages, c.messages);
  for (unsigned type : run.types) EXPECT_EQ(type, 0x03000040u);
  for (int i = 0; i < kTrackedCount; ++i) {
    EXPECT_EQ(ReadValue(kTracked[i]), c.after[i]) << kTracked[i].name;
  }
  EXPECT_EQ(Exists(ConfigPath()), c.config_after);
}

INSTANTIATE_TEST_SUITE_P(Cases, KestrinSession, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
