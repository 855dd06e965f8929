#include "config/client_settings.h"

#include <cstring>
#include <string>

#include "config/registry_test_key.h"
#include "config/vtable_slot.h"

namespace hvn {
namespace {

using test::RegistryTest;
constexpr size_t kWaitParamsSize = ClientSettings::kWaitParamsSize;

// The settings key inside the test's own tree.
constexpr char kKey[] = "Settings";

std::string ListBytes(const ServerListRef& list) {
  return list ? std::string(list.Get(), list.Size()) : std::string("<none>");
}

void ExpectDefaults(const ClientSettings& settings) {
  EXPECT_EQ(settings.WaitSleepTime, 100u);
  EXPECT_EQ(settings.DisplayPolicyMessage, 1u);
  EXPECT_EQ(std::string(settings.WaitParams, sizeof(settings.WaitParams)),
            std::string(kWaitParamsSize, '\0'));
  EXPECT_EQ(settings.Servers().Get(), nullptr);
  EXPECT_EQ(settings.HVS_Port, 1333u);
  EXPECT_EQ(settings.Timeout, 2000u);
  EXPECT_EQ(settings.Retries, 2u);
  EXPECT_EQ(settings.EventLogLevel, 1u);
}

using ClientSettingsTest = RegistryTest;

TEST_F(ClientSettingsTest, NoKeyGivesTheDefaults) {
  ClientSettings settings;
  ExpectDefaults(settings);
  settings.HVS_Port = 1;
  settings.SetServers(ServerListRef::Create("D h\0\0", 5));
  EXPECT_EQ(settings.Load(tree_.root(), kKey), 2u);
  ExpectDefaults(settings);
}

TEST_F(ClientSettingsTest, ReadsEveryValue) {
  const std::string servers("CORP 10.0.0.1\0CORP backup.corp\0\0", 33);
  const std::string rows("Change Password\0New password\0CHANGE_NT\0\0", 41);
  tree_.SetValue(kKey, "HVServers", REG_MULTI_SZ, servers);
  tree_.SetValue(kKey, "WaitParams", REG_MULTI_SZ, rows);
  tree_.SetDword(kKey, "WaitSleepTime", 250);
  tree_.SetDword(kKey, "DisplayPolicyMessage", 0);
  tree_.SetDword(kKey, "HVS_Port", 4444);
  tree_.SetDword(kKey, "Timeout", 500);
  tree_.SetDword(kKey, "Retries", 0);
  tree_.SetDword(kKey, "EventLogLevel", 2);
  ClientSettings settings;
  EXPECT_EQ(settings.Load(tree_.root(), kKey), 0u);
  EXPECT_EQ(settings.WaitSleepTime, 250u);
  EXPECT_EQ(settings.DisplayPolicyMessage, 0u);
  EXPECT_EQ(std::string(settings.WaitParams, rows.size() + 2), rows + std::string(2, '\0'));
  EXPECT_EQ(ListBytes(settings.Servers()), servers);
  EXPECT_EQ(std::string(settings.Servers().Get() + servers.size(), 2), std::string(2, '\0'));
  EXPECT_EQ(settings.HVS_Port, 4444u);
  EXPECT_EQ(settings.Timeout, 500u);
  EXPECT_EQ(settings.Retries, 0u);
  EXPECT_EQ(settings.EventLogLevel, 2u);
}

TEST_F(ClientSettingsTest, ServerListNeedsTwoBytesAndAlwaysEndsInTwoNuls) {
  struct Case {
    DWORD type;
    std::string stored;
    std::string list;  // "<none>" for no list
  };
  const Case cases[] = {
      {REG_MULTI_SZ, "", "<none>"},
      {REG_MULTI_SZ, std::string("\0", 1), "<none>"},
      {REG_BINARY, "x", "<none>"},
      {REG_MULTI_SZ, std::string("\0\0", 2), std::string("\0\0", 2)},
      {REG_BINARY, "DOM host", "DOM host"},  // no final NULs: two zero bytes follow anyway
      {REG_SZ, std::string("DOM host\0", 9), std::string("DOM host\0", 9)},
      {REG_DWORD, std::string("\x01\x02\x03\x04", 4), std::string("\x01\x02\x03\x04", 4)},
  };
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    tree_.SetValue(kKey, "HVServers", cases[i].type, cases[i].stored);
    ClientSettings settings;
    settings.Load(tree_.root(), kKey);
    ServerListRef list = settings.Servers();
    EXPECT_EQ(ListBytes(list), cases[i].list) << "case " << i;
    if (list) {
      EXPECT_EQ(list.Get()[list.Size()], '\0') << "case " << i;
      EXPECT_EQ(list.Get()[list.Size() + 1], '\0') << "case " << i;
    }
  }
}

TEST_F(ClientSettingsTest, ValueDeletedBetweenLoadsFallsBackButHeldListsStay) {
  tree_.SetValue(kKey, "HVServers", REG_MULTI_SZ, std::string("A 1.1.1.1\0\0", 11));
  tree_.SetDword(kKey, "Timeout", 900);
  ClientSettings settings;
  ASSERT_EQ(settings.Load(tree_.root(), kKey), 0u);
  ServerListRef held = settings.Servers();
  tree_.DeleteValue(kKey, "HVServers");
  tree_.DeleteValue(kKey, "Timeout");
  ASSERT_EQ(settings.Load(tree_.root(), kKey), 0u);
  EXPECT_EQ(settings.Servers().Get(), nullptr);
  EXPECT_EQ(settings.Timeout, 2000u);
  EXPECT_EQ(ListBytes(held), std::string("A 1.1.1.1\0\0", 11));
}

TEST_F(ClientSettingsTest, WrongTypedNumbersKeepTheirDefaults) {
  struct Case {
    const char* name;
    DWORD type;
    std::string stored;
  };
  const Case cases[] = {
      {"Timeout", REG_SZ, std::string("500\0", 4)},
      {"HVS_Port", REG_SZ, "1"},
      {"Retries", REG_BINARY, std::string("\x05\0\0\0", 4)},
      {"WaitSleepTime", REG_DWORD, std::string("\x05\0", 2)},
      {"DisplayPolicyMessage", REG_DWORD, std::string("\0\0\0\0\0\0\0\0", 8)},
      {"Timeout", REG_MULTI_SZ, std::string("1\0\0", 3)},
      {"EventLogLevel", REG_SZ, std::string("0\0", 2)},
  };
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    test::DeleteKeyRecursively(tree_.root(), kKey);
    tree_.SetValue(kKey, cases[i].name, cases[i].type, cases[i].stored);
    ClientSettings settings;
    EXPECT_EQ(settings.Load(tree_.root(), kKey), 0u) << "case " << i;
    ExpectDefaults(settings);
  }
}

TEST_F(ClientSettingsTest, WaitParamsMustEndInsideItsField) {
  struct Case {
    std::string stored;
    bool taken;
  };
  std::string full_terminated(kWaitParamsSize, 'r');
  full_terminated[kWaitParamsSize - 2] = '\0';
  full_terminated[kWaitParamsSize - 1] = '\0';
  std::string almost(kWaitParamsSize - 1, 'r');
  almost[kWaitParamsSize - 2] = '\0';
  const Case cases[] = {
      {std::string("T\0C\0CHANGE_NT\0\0", 15), true},
      {"no terminator", true},  // the zero-filled rest ends it
      {std::string(kWaitParamsSize - 2, 'r'), true},
      {std::string(kWaitParamsSize - 1, 'r'), false},
      {std::string(kWaitParamsSize, 'r'), false},
      {full_terminated, true},
      {almost, true},
      {std::string(kWaitParamsSize + 1, '\0'), false},  // too large: refused
  };
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    tree_.SetValue(kKey, "WaitParams", REG_BINARY, cases[i].stored);
    ClientSettings settings;
    settings.Load(tree_.root(), kKey);
    std::string field(settings.WaitParams, kWaitParamsSize);
    std::string expected(kWaitParamsSize, '\0');
    if (cases[i].taken) expected.replace(0, cases[i].stored.size(), cases[i].stored);
    EXPECT_EQ(field, expected) << "case " << i;
    EXPECT_EQ(field.substr(kWaitParamsSize - 2), std::string(2, '\0')) << "case " << i;
  }
}

TEST_F(ClientSettingsTest, TrustSettingsAreOffUnlessStoredWithTheirTypes) {
  constexpr size_t kSize = ClientSettings::kDictionaryPathsSize;
  const std::string folders("C:\\Dict\0\\\\files\\policy\0\0", 24);
  struct Case {
    const char* name;
    DWORD type;
    std::string stored;
    uint32_t strict;      // StrictReplySender after the load
    std::string folders;  // DictionaryPaths after the load, up to its first empty entry
  };
  const Case cases[] = {
      {"StrictReplySender", REG_DWORD, std::string("\x01\0\0\0", 4), 1, ""},
      {"StrictReplySender", REG_SZ, std::string("1\0", 2), 0, ""},
      {"DictionaryPaths", REG_MULTI_SZ, folders, 0, folders},
      {"DictionaryPaths", REG_MULTI_SZ, std::string("\0\0", 2), 0, ""},
      {"DictionaryPaths", REG_SZ, std::string("C:\\Dict\0", 8), 0, ""},
      {"DictionaryPaths", REG_BINARY, folders, 0, ""},
      // The right type but not whole: no dictionary is opened rather than every one.
      {"DictionaryPaths", REG_MULTI_SZ, std::string(kSize + 1, 'a'), 0,
       std::string(kUnusableFolderList, sizeof(kUnusableFolderList))},
      {"DictionaryPaths", REG_MULTI_SZ, std::string(kSize, 'a'), 0,
       std::string(kUnusableFolderList, sizeof(kUnusableFolderList))},
  };
  ClientSettings settings;
  EXPECT_EQ(settings.StrictReplySender, 0u);
  EXPECT_EQ(std::string(settings.DictionaryPaths, kSize), std::string(kSize, '\0'));
  for (const Case& c : cases) {
    test::DeleteKeyRecursively(tree_.root(), kKey);
    tree_.SetValue(kKey, c.name, c.type, c.stored);
    EXPECT_EQ(settings.Load(tree_.root(), kKey), 0u) << c.name << " type " << c.type;
    EXPECT_EQ(settings.StrictReplySender, c.strict) << c.name << " type " << c.type;
    std::string expected = c.folders + std::string(kSize - c.folders.size(), '\0');
    EXPECT_EQ(std::string(settings.DictionaryPaths, kSize), expected)
        << c.name << " type " << c.type;
  }
}

TEST_F(ClientSettingsTest, IsNeverWritten) {
  ClientSettings settings;
  EXPECT_EQ(settings.WriteValues(tree_.root()), 50u);
  EXPECT_EQ(settings.Save(tree_.root(), kKey), 50u);
  EXPECT_TRUE(tree_.ValueNames(kKey).empty());
}

TEST(ClientSettingsLayout, OperationsTakeTheFirstThreeSlotsInOrder) {
  EXPECT_EQ(test::VirtualSlot(&ClientSettings::SetDefaults), 0);
  EXPECT_EQ(test::VirtualSlot(&ClientSettings::ReadValues), 1);
  EXPECT_EQ(test::VirtualSlot(&ClientSettings::WriteValues), 2);
}

TEST(ServerListRef, CopiesShareOneListThatLivesAsLongAsTheLastReference) {
  ServerListRef a = ServerListRef::Create("X y\0", 4);
  ServerListRef b = a;
  EXPECT_EQ(a.Get(), b.Get());
  a = ServerListRef();
  EXPECT_EQ(a.Get(), nullptr);
  EXPECT_EQ(ListBytes(b), std::string("X y\0", 4));
  ServerListRef c = std::move(b);
  EXPECT_EQ(b.Get(), nullptr);
  EXPECT_EQ(ListBytes(c), std::string("X y\0", 4));
  c = c;  // self-assignment keeps the list
  EXPECT_EQ(ListBytes(c), std::string("X y\0", 4));
}

}  // namespace
}  // namespace hvn
