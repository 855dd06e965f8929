// The registry calls as the system relies on them. Runs against Wine's registry in the
// Windows build and against the in-memory registry in the portable build, so the two cannot
// drift apart.
#include <cstring>
#include <string>

#include "config/registry_test_key.h"
#include "platform/registry.h"

namespace hvn::test {
namespace {

using RegistryApi = RegistryTest;

HKEY OpenKey(HKEY root, const char* path, REGSAM access, LONG* rc) {
  HKEY key = nullptr;
  *rc = ::RegOpenKeyExA(root, path, 0, access, &key);
  return key;
}

TEST_F(RegistryApi, OpenReportsMissingKeysAndBadPaths) {
  tree_.CreateKey("Alpha\\Beta");
  struct Case {
    const char* path;
    LONG rc;
  };
  const Case cases[] = {
      {"Alpha", ERROR_SUCCESS},         {"ALPHA\\beta", ERROR_SUCCESS},
      {"Alpha\\Beta\\", ERROR_SUCCESS}, {"Alpha\\Gamma", ERROR_FILE_NOT_FOUND},
      {"Gamma", ERROR_FILE_NOT_FOUND},  {"\\Alpha", ERROR_BAD_PATHNAME},
  };
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    LONG rc = 0;
    HKEY key = OpenKey(tree_.root(), cases[i].path, KEY_READ, &rc);
    EXPECT_EQ(rc, cases[i].rc) << "case " << i;
    if (key != nullptr) ::RegCloseKey(key);
  }
}

TEST_F(RegistryApi, PathArgumentsOver260CharactersAndNamesOver255AreRefused) {
  struct Case {
    std::string path;
    LONG rc;
  };
  const Case cases[] = {
      {"a\\" + std::string(255, 'b'), ERROR_SUCCESS},
      {"a\\" + std::string(200, 'b') + "\\" + std::string(57, 'c'), ERROR_SUCCESS},  // 260
      {"a\\" + std::string(200, 'b') + "\\" + std::string(58, 'c'), test::kPathTooLong},
      {"a\\" + std::string(258, 'b'), ERROR_INVALID_PARAMETER},
  };
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    HKEY key = nullptr;
    EXPECT_EQ(::RegCreateKeyExA(tree_.root(), cases[i].path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                nullptr, &key, nullptr),
              cases[i].rc)
        << "case " << i;
    if (key != nullptr) ::RegCloseKey(key);
    LONG rc = 0;
    key = OpenKey(tree_.root(), cases[i].path.c_str(), KEY_READ, &rc);
    EXPECT_EQ(rc, cases[i].rc) << "case " << i;
    if (key != nullptr) ::RegCloseKey(key);
  }
}

TEST_F(RegistryApi, CreateOpensAnExistingKeyWhateverItsCaseAndKeepsItsSpelling) {
  HKEY key = nullptr;
  DWORD disposition = 0;
  ASSERT_EQ(::RegCreateKeyExA(tree_.root(), "MixedCase", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
  ::RegCloseKey(key);
  ASSERT_EQ(::RegCreateKeyExA(tree_.root(), "MIXEDCASE", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
  ::RegCloseKey(key);
  EXPECT_EQ(tree_.SubkeyNames(""), std::vector<std::string>{"MixedCase"});
}

TEST_F(RegistryApi, SubkeysEnumerateInNameOrderWithoutCase) {
  for (const char* name : {"delta", "Bravo", "alpha", "Charlie"}) tree_.CreateKey(name);
  const char* expected[] = {"alpha", "Bravo", "Charlie", "delta"};
  char name[64];
  for (DWORD i = 0; i < 4; ++i) {
    DWORD length = sizeof(name);
    ASSERT_EQ(::RegEnumKeyExA(tree_.root(), i, name, &length, nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_STREQ(name, expected[i]) << "index " << i;
    EXPECT_EQ(length, std::strlen(expected[i])) << "index " << i;
  }
  DWORD length = sizeof(name);
  EXPECT_EQ(::RegEnumKeyExA(tree_.root(), 4, name, &length, nullptr, nullptr, nullptr, nullptr),
            ERROR_NO_MORE_ITEMS);
}

TEST_F(RegistryApi, EnumerationRefusesTooSmallBuffers) {
  tree_.CreateKey("Key12", "Class1");
  char name[16];
  char key_class[16];
  DWORD length = 5;  // five characters need six
  EXPECT_EQ(::RegEnumKeyExA(tree_.root(), 0, name, &length, nullptr, nullptr, nullptr, nullptr),
            ERROR_MORE_DATA);
  length = 6;
  EXPECT_EQ(::RegEnumKeyExA(tree_.root(), 0, name, &length, nullptr, nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
  length = sizeof(name);
  DWORD class_length = 6;
  EXPECT_EQ(
      ::RegEnumKeyExA(tree_.root(), 0, name, &length, nullptr, key_class, &class_length, nullptr),
      ERROR_MORE_DATA);
  length = sizeof(name);
  class_length = sizeof(key_class);
  EXPECT_EQ(
      ::RegEnumKeyExA(tree_.root(), 0, name, &length, nullptr, key_class, &class_length, nullptr),
      ERROR_SUCCESS);
  EXPECT_STREQ(key_class, "Class1");
  EXPECT_EQ(class_length, 6u);

  tree_.SetValue("", "LongName", REG_BINARY, "123456");
  length = 8;
  EXPECT_EQ(::RegEnumValueA(tree_.root(), 0, name, &length, nullptr, nullptr, nullptr, nullptr),
            ERROR_MORE_DATA);
  BYTE data[4];
  DWORD data_size = sizeof(data);
  length = sizeof(name);
  EXPECT_EQ(::RegEnumValueA(tree_.root(), 0, name, &length, nullptr, nullptr, data, &data_size),
            ERROR_MORE_DATA);
  EXPECT_EQ(data_size, 6u);
  length = sizeof(name);
  EXPECT_EQ(::RegEnumValueA(tree_.root(), 1, name, &length, nullptr, nullptr, nullptr, nullptr),
            ERROR_NO_MORE_ITEMS);
}

TEST_F(RegistryApi, CreatedKeysCarryTheClass) {
  char key_class[] = "SettingsClass";
  HKEY key = nullptr;
  ASSERT_EQ(::RegCreateKeyExA(tree_.root(), "Outer\\Inner", 0, key_class, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
            ERROR_SUCCESS);
  char read_class[32] = {};
  DWORD length = sizeof(read_class);
  EXPECT_EQ(::RegQueryInfoKeyA(key, read_class, &length, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_STREQ(read_class, "SettingsClass");
  EXPECT_EQ(length, 13u);
  length = 5;
  EXPECT_EQ(::RegQueryInfoKeyA(key, read_class, &length, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr, nullptr, nullptr),
            ERROR_MORE_DATA);
  ::RegCloseKey(key);
  EXPECT_EQ(tree_.KeyClass("Outer"), "SettingsClass");
  EXPECT_EQ(tree_.KeyClass(""), "");
}

TEST_F(RegistryApi, QueryInfoCountsSubkeysAndValues) {
  tree_.CreateKey("A");
  tree_.CreateKey("Bbbbb", "Cls");
  tree_.SetValue("", "N", REG_BINARY, "1234567");
  tree_.SetValue("", "Name5", REG_DWORD, "1234");
  DWORD subkeys = 0, max_subkey = 0, max_class = 0, values = 0, max_name = 0, max_value = 0;
  ASSERT_EQ(::RegQueryInfoKeyA(tree_.root(), nullptr, nullptr, nullptr, &subkeys, &max_subkey,
                               &max_class, &values, &max_name, &max_value, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(subkeys, 2u);
  EXPECT_EQ(max_subkey, 5u);
  EXPECT_EQ(max_class, 3u);
  EXPECT_EQ(values, 2u);
  EXPECT_EQ(max_name, 5u);
  EXPECT_EQ(max_value, 7u);
}

TEST_F(RegistryApi, QueryValueReportsSizesAndRefusesSmallBuffers) {
  tree_.SetValue("", "Bin", REG_BINARY, std::string("\x01\x00\x02\x03\x04\x05", 6));
  DWORD type = 0;
  DWORD size = 0;
  EXPECT_EQ(::RegQueryValueExA(tree_.root(), "bin", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
  EXPECT_EQ(size, 6u);
  BYTE data[8] = {};
  size = 5;
  EXPECT_EQ(::RegQueryValueExA(tree_.root(), "Bin", nullptr, &type, data, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 6u);
  size = 0;
  EXPECT_EQ(::RegQueryValueExA(tree_.root(), "Bin", nullptr, &type, data, &size), ERROR_MORE_DATA);
  size = 6;
  EXPECT_EQ(::RegQueryValueExA(tree_.root(), "Bin", nullptr, &type, data, &size), ERROR_SUCCESS);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(data), 6),
            std::string("\x01\x00\x02\x03\x04\x05", 6));
  EXPECT_EQ(::RegQueryValueExA(tree_.root(), "Bin", nullptr, &type, data, nullptr),
            ERROR_INVALID_PARAMETER);
  size = sizeof(data);
  EXPECT_EQ(::RegQueryValueExA(tree_.root(), "Missing", nullptr, &type, data, &size),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(::RegDeleteValueA(tree_.root(), "Missing"), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryApi, ValuesOfAnyTypeAndSizeKeepTheirBytes) {
  struct Case {
    DWORD type;
    std::string bytes;
  };
  const Case cases[] = {
      {REG_NONE, ""},
      {REG_SZ, std::string("abc\0", 4)},
      {REG_MULTI_SZ, std::string("one\0two\0\0", 9)},
      {REG_DWORD, std::string("\x10\x00\x00\x00", 4)},
      {REG_DWORD, std::string("\x10\x00", 2)},
      {REG_BINARY, std::string(5000, '\xAB')},
      {REG_SZ, std::string("\0", 1)},
      {42, "custom"},
  };
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    tree_.SetValue("", "V", cases[i].type, cases[i].bytes);
    DWORD type = 0;
    std::string bytes;
    ASSERT_TRUE(tree_.GetValue("", "V", &type, &bytes)) << "case " << i;
    EXPECT_EQ(type, cases[i].type) << "case " << i;
    EXPECT_EQ(bytes, cases[i].bytes) << "case " << i;
  }
}

TEST_F(RegistryApi, AnsiTextStoreTakesTheNulRightAfterIt) {
  // Windows' ANSI store counts a NUL that follows a text it was not given.
  const char data[] = "abc";
  ASSERT_EQ(::RegSetValueExA(tree_.root(), "T", 0, REG_SZ, reinterpret_cast<const BYTE*>(data), 3),
            ERROR_SUCCESS);
  std::string bytes;
  ASSERT_TRUE(tree_.GetValue("", "T", nullptr, &bytes));
  EXPECT_EQ(bytes, std::string("abc\0", 4));
  EXPECT_EQ(::RegSetValueExA(tree_.root(), "N", 0, REG_BINARY, nullptr, 3), ERROR_NOACCESS);
}

TEST_F(RegistryApi, HandlesEnforceTheirAccessRights) {
  LONG rc = 0;
  HKEY read_only = OpenKey(tree_.root(), "", KEY_READ, &rc);
  ASSERT_EQ(rc, ERROR_SUCCESS);
  const BYTE data[] = "x";
  EXPECT_EQ(::RegSetValueExA(read_only, "V", 0, REG_SZ, data, 2), ERROR_ACCESS_DENIED);
  EXPECT_EQ(::RegDeleteValueA(read_only, "V"), ERROR_ACCESS_DENIED);
  ::RegCloseKey(read_only);
  HKEY query_only = OpenKey(tree_.root(), "", KEY_QUERY_VALUE, &rc);
  char name[16];
  DWORD length = sizeof(name);
  EXPECT_EQ(::RegEnumKeyExA(query_only, 0, name, &length, nullptr, nullptr, nullptr, nullptr),
            ERROR_ACCESS_DENIED);
  ::RegCloseKey(query_only);
  HKEY enumerate_only = OpenKey(tree_.root(), "", KEY_ENUMERATE_SUB_KEYS, &rc);
  DWORD size = 0;
  EXPECT_EQ(::RegQueryValueExA(enumerate_only, "V", nullptr, nullptr, nullptr, &size),
            ERROR_ACCESS_DENIED);
  ::RegCloseKey(enumerate_only);
}

TEST_F(RegistryApi, DeleteKeyRefusesKeysWithSubkeysAndRoots) {
  tree_.CreateKey("Parent\\Child");
  EXPECT_EQ(::RegDeleteKeyA(tree_.root(), "Parent"), ERROR_ACCESS_DENIED);
  EXPECT_TRUE(tree_.KeyExists("Parent\\Child"));
  EXPECT_EQ(::RegDeleteKeyA(tree_.root(), "Missing"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(::RegDeleteKeyA(tree_.root(), nullptr), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(::RegDeleteKeyA(HKEY_CURRENT_USER, ""), ERROR_ACCESS_DENIED);
  EXPECT_EQ(::RegDeleteKeyA(tree_.root(), "parent\\child"), ERROR_SUCCESS);
  EXPECT_EQ(::RegDeleteKeyA(tree_.root(), "Parent"), ERROR_SUCCESS);
  EXPECT_TRUE(tree_.SubkeyNames("").empty());
}

TEST_F(RegistryApi, HandlesOfADeletedKeyFailWithKeyDeleted) {
  tree_.CreateKey("Doomed");
  LONG rc = 0;
  HKEY doomed = OpenKey(tree_.root(), "Doomed", KEY_ALL_ACCESS, &rc);
  ASSERT_EQ(rc, ERROR_SUCCESS);
  ASSERT_EQ(::RegDeleteKeyA(tree_.root(), "Doomed"), ERROR_SUCCESS);
  DWORD size = 0;
  EXPECT_EQ(::RegQueryValueExA(doomed, "V", nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
  const BYTE data[] = "x";
  EXPECT_EQ(::RegSetValueExA(doomed, "V", 0, REG_SZ, data, 2), ERROR_KEY_DELETED);
  HKEY child = nullptr;
  EXPECT_EQ(
      ::RegCreateKeyExA(doomed, "Child", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &child, nullptr),
      ERROR_KEY_DELETED);
  EXPECT_EQ(::RegCloseKey(doomed), ERROR_SUCCESS);
  EXPECT_FALSE(tree_.KeyExists("Doomed"));
}

TEST_F(RegistryApi, PredefinedRootsAndBadHandles) {
  HKEY key = nullptr;
  EXPECT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, "", 0, KEY_READ, &key), ERROR_SUCCESS);
  EXPECT_EQ(key, HKEY_CURRENT_USER);
  EXPECT_EQ(::RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
  EXPECT_EQ(::RegFlushKey(tree_.root()), ERROR_SUCCESS);
  EXPECT_EQ(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\HvnTestNoSuchKey", 0, KEY_READ, &key),
            ERROR_FILE_NOT_FOUND);
}

}  // namespace
}  // namespace hvn::test
