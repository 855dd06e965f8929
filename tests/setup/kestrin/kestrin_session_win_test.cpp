// Kestrin's six custom actions, each run in a real installer session (Wine's msi.dll), with
// the machine prepared as each case says: the registry values, the client's files in the
// system directory, the configuration file in the Windows directory. One table holds every
// case; each asserts the installer's result, the error numbers sent, and the machine after.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/win.h"
#include "setup/kestrin/installer_session_win.h"
#include "support/temp_dir.h"

namespace {

using namespace std::string_literals;

constexpr char kLsaKey[] = "SYSTEM\\CurrentControlSet\\Control\\Lsa";
constexpr char kPackages[] = "Notification Packages";

// A registry value: its type and bytes as stored.
struct Value {
  DWORD type;
  std::string bytes;
  bool operator==(const Value& other) const { return type == other.type && bytes == other.bytes; }
};
Value Multi(const std::string& bytes) {
  return {REG_MULTI_SZ, bytes};
}

struct Case {
  const char* name = "";
  const char* windows = "winxp";  // reported to the process that runs the action
  const char* action = "";
  std::optional<Value> packages = std::nullopt;  // "Notification Packages" before; nullopt: absent
  unsigned result = 0;
  std::vector<std::string> messages = {};
  std::optional<Value> packages_after = std::nullopt;  // nullopt: absent afterwards
};

const std::string kLongList = [] {
  std::string list;
  for (int i = 0; i < 700; ++i) list += "package" + std::to_string(i) + '\0';
  return list;  // about 7,000 bytes
}();

const Case kCases[] = {
    {.name = "ServerAddsHvnWhereNoValueIs",
     .action = "ActivateServer",
     .messages = {"25000"},
     .packages_after = Multi("HVN\0\0"s)},
    {.name = "ServerAppendsHvnToAnExistingList",
     .action = "ActivateServer",
     .packages = Multi("scecli\0rassfm\0\0"s),
     .messages = {"25000"},
     .packages_after = Multi("scecli\0rassfm\0HVN\0\0"s)},
    {.name = "ServerSecondRunAddsNothing",
     .action = "ActivateServer",
     .packages = Multi("scecli\0HVN\0\0"s),
     .packages_after = Multi("scecli\0HVN\0\0"s)},
    {.name = "ServerCountsHvnInAnyCaseAsRegistered",
     .action = "ActivateServer",
     .packages = Multi("scecli\0myhvnfilt\0\0"s),
     .packages_after = Multi("scecli\0myhvnfilt\0\0"s)},
    {.name = "ServerKeepsALongListWhole",
     .action = "ActivateServer",
     .packages = Multi(kLongList + '\0'),
     .messages = {"25000"},
     .packages_after = Multi(kLongList + "HVN\0\0"s)},
    {.name = "ServerReadsAListWithoutFinalNuls",
     .action = "ActivateServer",
     .packages = Multi("scecli\0rassfm"s),
     .messages = {"25000"},
     .packages_after = Multi("scecli\0rassfm\0HVN\0\0"s)},
    {.name = "ServerTurnsAPlainStringIntoAList",
     .action = "ActivateServer",
     .packages = Value{REG_SZ, "scecli\0"s},
     .messages = {"25000"},
     .packages_after = Multi("scecli\0HVN\0\0"s)},
    {.name = "ServerLeavesAValueOfAnotherTypeAlone",
     .action = "ActivateServer",
     .packages = Value{REG_BINARY, "\x01\x02"s},
     .messages = {"25005"},
     .packages_after = Value{REG_BINARY, "\x01\x02"s}},
    {.name = "ServerRemovalTakesEveryHvnEntry",
     .action = "DeactivateServer",
     .packages = Multi("HVN\0scecli\0Hvn2\0rassfm\0xhvnx\0\0"s),
     .messages = {"25010"},
     .packages_after = Multi("scecli\0rassfm\0\0"s)},
    {.name = "ServerRemovalKeepsALongListWhole",
     .action = "DeactivateServer",
     .packages = Multi(kLongList + "HVN\0\0"s),
     .messages = {"25010"},
     .packages_after = Multi(kLongList + '\0')},
    // Unchanged: the ANSI read shows the missing NUL added, as it did before the action.
    {.name = "ServerRemovalWithoutHvnWritesNothing",
     .action = "DeactivateServer",
     .packages = Multi("scecli\0rassfm"s),
     .packages_after = Multi("scecli\0rassfm\0"s)},
    {.name = "ServerRemovalWithoutValueSaysNothing", .action = "DeactivateServer"},
};

std::optional<Value> ReadValue(const char* path, const char* name) {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_QUERY_VALUE, &key) != 0) return {};
  DWORD type = 0, size = 0;
  std::optional<Value> value;
  if (::RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) == 0) {
    std::string bytes(size, '\0');
    if (::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&bytes[0]), &size) ==
        0) {
      bytes.resize(size);
      value = Value{type, bytes};
    }
  }
  ::RegCloseKey(key);
  return value;
}

void WriteValue(const char* path, const char* name, const std::optional<Value>& value) {
  HKEY key = nullptr;
  ASSERT_EQ(::RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
            0);
  if (value) {
    EXPECT_EQ(::RegSetValueExA(key, name, 0, value->type,
                               reinterpret_cast<const BYTE*>(value->bytes.data()),
                               static_cast<DWORD>(value->bytes.size())),
              0);
  } else {
    ::RegDeleteValueA(key, name);
  }
  ::RegCloseKey(key);
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

  void SetUp() override { saved_packages_ = ReadValue(kLsaKey, kPackages); }
  void TearDown() override { WriteValue(kLsaKey, kPackages, saved_packages_); }

  static hvn::test::TempDir* folder_;
  static hvn::test::InstallerPackage* package_;
  std::optional<Value> saved_packages_;
};
hvn::test::TempDir* KestrinSession::folder_ = nullptr;
hvn::test::InstallerPackage* KestrinSession::package_ = nullptr;

TEST_P(KestrinSession, ActsAsTheCaseSays) {
  const Case& c = GetParam();
  ASSERT_EQ(package_->failure(), "");
  WriteValue(kLsaKey, kPackages, c.packages);

  hvn::test::ActionRun run = package_->Run(c.action, c.windows);

  EXPECT_EQ(run.result, c.result);
  EXPECT_EQ(run.messages, c.messages);
  for (unsigned type : run.types) EXPECT_EQ(type, 0x03000040u);
  EXPECT_EQ(ReadValue(kLsaKey, kPackages), c.packages_after);
}

INSTANTIATE_TEST_SUITE_P(Cases, KestrinSession, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
