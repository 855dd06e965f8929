#include "config/registry_value.h"

#include <cstring>
#include <string>

#include "config/registry_test_key.h"

namespace hvn {
namespace {

using test::RegistryTest;
using ReadRegistryValueTest = RegistryTest;

TEST_F(ReadRegistryValueTest, MissingValueLeavesBufferAndKeepsOnlyTheFirstError) {
  struct Case {
    uint32_t first_error_before;
    uint32_t first_error_after;
  };
  const Case cases[] = {{0, 2}, {5, 5}, {234, 234}};
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    char buffer[8] = "keepme";
    uint32_t size = sizeof(buffer);
    uint32_t first_error = cases[i].first_error_before;
    EXPECT_EQ(ReadRegistryValue(tree_.root(), "Missing", buffer, size, first_error), 2u) << i;
    EXPECT_STREQ(buffer, "keepme") << i;
    EXPECT_EQ(first_error, cases[i].first_error_after) << i;
  }
}

TEST_F(ReadRegistryValueTest, TwoFailuresInARowKeepTheFirstCode) {
  tree_.SetValue("", "Large", REG_BINARY, std::string(16, 'x'));
  uint32_t first_error = 0;
  char buffer[8] = {};
  uint32_t size = sizeof(buffer);
  EXPECT_EQ(ReadRegistryValue(tree_.root(), "Large", buffer, size, first_error), 234u);
  size = sizeof(buffer);
  EXPECT_EQ(ReadRegistryValue(tree_.root(), "Missing", buffer, size, first_error), 2u);
  tree_.SetValue("", "Fine", REG_BINARY, "ok");
  size = sizeof(buffer);
  EXPECT_EQ(ReadRegistryValue(tree_.root(), "Fine", buffer, size, first_error), 0u);
  EXPECT_EQ(first_error, 234u);
}

TEST_F(ReadRegistryValueTest, TooLargeValueLeavesTheFieldAsItWas) {
  tree_.SetValue("", "Large", REG_SZ, std::string("0123456789\0", 11));
  char buffer[8] = "default";
  uint32_t size = sizeof(buffer);
  uint32_t first_error = 0;
  EXPECT_EQ(ReadRegistryValue(tree_.root(), "Large", buffer, size, first_error), 234u);
  EXPECT_STREQ(buffer, "default");
  EXPECT_EQ(size, 0u);
}

TEST_F(ReadRegistryValueTest, ReturnsTheStoredBytesWhateverTheirType) {
  tree_.SetValue("", "Text", REG_SZ, std::string("ab\0", 3));
  uint32_t number = 0xFFFFFFFF;
  uint32_t size = sizeof(number);
  uint32_t first_error = 0;
  EXPECT_EQ(ReadRegistryValue(tree_.root(), "text", &number, size, first_error), 0u);
  EXPECT_EQ(size, 3u);
  EXPECT_EQ(number, 0xFF006261u);  // three bytes stored, the fourth untouched
  EXPECT_EQ(first_error, 0u);
}

TEST(WriteRegistryValueTest, StoresTypeAndExactBytesAndKeepsTheFirstError) {
  test::RegistryTestKey tree;
  uint32_t first_error = 0;
  const char data[] = {'a', 'b', 0, 'c'};
  EXPECT_EQ(WriteRegistryValue(tree.root(), "Bin", REG_BINARY, data, 4, first_error), 0u);
  EXPECT_EQ(WriteRegistryValue(tree.root(), "Num", REG_DWORD, "\x05\0\0\0", 4, first_error), 0u);
  DWORD type = 0;
  std::string bytes;
  ASSERT_TRUE(tree.GetValue("", "Bin", &type, &bytes));
  EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
  EXPECT_EQ(bytes, std::string(data, 4));
  ASSERT_TRUE(tree.GetValue("", "Num", &type, &bytes));
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));

  HKEY read_only = nullptr;
  ASSERT_EQ(::RegOpenKeyExA(tree.root(), "", 0, KEY_READ, &read_only), ERROR_SUCCESS);
  EXPECT_EQ(WriteRegistryValue(read_only, "X", REG_BINARY, data, 4, first_error), 5u);
  ::RegCloseKey(read_only);
  EXPECT_EQ(first_error, 5u);
}

using ReadRegistryNumberTest = RegistryTest;

TEST_F(ReadRegistryNumberTest, TakesOnlyFourByteDwords) {
  struct Case {
    DWORD type;
    std::string bytes;
    uint32_t code;
    uint32_t value;  // starts as 7
  };
  const Case cases[] = {
      {REG_DWORD, std::string("\xF4\x01\x00\x00", 4), 0, 500},
      {REG_DWORD, std::string("\xFF\xFF\xFF\xFF", 4), 0, 0xFFFFFFFF},
      {REG_SZ, std::string("500\0", 4), 13, 7},
      {REG_SZ, std::string("50", 2), 13, 7},
      {REG_BINARY, std::string("\xF4\x01\x00\x00", 4), 13, 7},
      {REG_DWORD, std::string("\xF4\x01", 2), 13, 7},
      {REG_DWORD, std::string("\xF4\x01\x00\x00\x00\x00\x00\x00", 8), 13, 7},
      {REG_DWORD, std::string(300, '\x01'), 13, 7},
      {REG_DWORD, "", 13, 7},
  };
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    tree_.SetValue("", "Timeout", cases[i].type, cases[i].bytes);
    uint32_t value = 7;
    uint32_t first_error = 0;
    EXPECT_EQ(ReadRegistryNumber(tree_.root(), "Timeout", value, first_error), cases[i].code) << i;
    EXPECT_EQ(value, cases[i].value) << i;
    EXPECT_EQ(first_error, cases[i].code) << i;
  }
  uint32_t value = 7;
  uint32_t first_error = 0;
  EXPECT_EQ(ReadRegistryNumber(tree_.root(), "Missing", value, first_error), 2u);
  EXPECT_EQ(value, 7u);
}

using ReadRegistryTextTest = RegistryTest;

TEST_F(ReadRegistryTextTest, AlwaysLeavesTheFieldTerminated) {
  struct Case {
    std::string bytes;
    uint32_t code;
    const char* field;  // starts as "default" (8 bytes with the NUL)
  };
  const Case cases[] = {
      {std::string("abc\0", 4), 0, "abc"},
      {"abc", 0, "abc"},  // no terminator: one is added
      {"", 0, ""},
      {std::string("abcdefg\0", 8), 0, "abcdefg"},  // fills the field with its NUL
      {"abcdefgh", 234, "default"},                 // fills it without one: refused
      {std::string("abcdefgh\0", 9), 234, "default"},
      {std::string("ab\0cd", 5), 0, "ab"},
  };
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    tree_.SetValue("", "Text", REG_BINARY, cases[i].bytes);
    char field[9] = "default";
    field[8] = 'X';  // the byte after the field must never be touched
    uint32_t first_error = 0;
    EXPECT_EQ(ReadRegistryText(tree_.root(), "Text", field, 8, first_error), cases[i].code) << i;
    EXPECT_EQ(std::string(field), std::string(cases[i].field)) << i;
    EXPECT_EQ(field[8], 'X') << i;
  }
}

using CopyRegistryValueTest = RegistryTest;

TEST_F(CopyRegistryValueTest, CopiesTypeAndExactBytesBetweenAndWithinKeys) {
  struct Case {
    DWORD type;
    std::string bytes;
  };
  const Case cases[] = {
      {REG_SZ, std::string("text\0", 5)},         {REG_SZ, "unterminated"},
      {REG_MULTI_SZ, std::string("a\0b\0\0", 5)}, {REG_DWORD, std::string("\x01\x02\x03\x04", 4)},
      {REG_BINARY, std::string(3000, '\x5A')},    {REG_NONE, ""},
  };
  tree_.CreateKey("Target");
  HKEY target = nullptr;
  ASSERT_EQ(::RegOpenKeyExA(tree_.root(), "Target", 0, KEY_ALL_ACCESS, &target), ERROR_SUCCESS);
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    tree_.SetValue("", "Source", cases[i].type, cases[i].bytes);
    std::string stored;
    ASSERT_TRUE(tree_.GetValue("", "Source", nullptr, &stored));
    EXPECT_EQ(CopyRegistryValue(tree_.root(), target, "Source", "Copy"), 0u) << i;
    EXPECT_EQ(CopyRegistryValue(tree_.root(), tree_.root(), "Source", "Twin"), 0u) << i;
    for (auto [subkey, name] :
         {std::pair<const char*, const char*>{"Target", "Copy"}, {"", "Twin"}}) {
      DWORD type = 0;
      std::string bytes;
      ASSERT_TRUE(tree_.GetValue(subkey, name, &type, &bytes)) << i;
      EXPECT_EQ(type, cases[i].type) << i << " " << name;
      EXPECT_EQ(bytes, stored) << i << " " << name;
    }
  }
  EXPECT_EQ(CopyRegistryValue(tree_.root(), target, "Missing", "Copy2"), 2u);
  EXPECT_FALSE(tree_.GetValue("Target", "Copy2", nullptr, nullptr));
  ::RegCloseKey(target);
}

using RenameRegistryValueTest = RegistryTest;

TEST_F(RenameRegistryValueTest, SameNameInOtherCaseIsRefusedAndChangesNothing) {
  tree_.SetValue("", "GinaDLL", REG_SZ, std::string("msgina.dll\0", 11));
  const char* same_names[] = {"GinaDLL", "GINADLL", "ginadll"};
  for (const char* name : same_names) {
    EXPECT_EQ(RenameRegistryValue(tree_.root(), "GinaDLL", name), 87u) << name;
  }
  EXPECT_EQ(tree_.ValueNames(""), std::vector<std::string>{"GinaDLL"});
  std::string bytes;
  ASSERT_TRUE(tree_.GetValue("", "GinaDLL", nullptr, &bytes));
  EXPECT_EQ(bytes, std::string("msgina.dll\0", 11));
}

TEST_F(RenameRegistryValueTest, MovesTheValueAndReplacesAnExistingTarget) {
  tree_.SetValue("", "GinaDLL", REG_EXPAND_SZ, std::string("old.dll\0", 8));
  tree_.SetValue("", "REM_GinaDLL", REG_SZ, std::string("stale\0", 6));
  EXPECT_EQ(RenameRegistryValue(tree_.root(), "GinaDLL", "REM_GinaDLL"), 0u);
  EXPECT_EQ(tree_.ValueNames(""), std::vector<std::string>{"REM_GinaDLL"});
  DWORD type = 0;
  std::string bytes;
  ASSERT_TRUE(tree_.GetValue("", "REM_GinaDLL", &type, &bytes));
  EXPECT_EQ(type, static_cast<DWORD>(REG_EXPAND_SZ));
  EXPECT_EQ(bytes, std::string("old.dll\0", 8));
}

TEST_F(RenameRegistryValueTest, MissingValueFailsWithoutCreatingTheTarget) {
  EXPECT_EQ(RenameRegistryValue(tree_.root(), "Missing", "Other"), 2u);
  EXPECT_TRUE(tree_.ValueNames("").empty());
}

TEST_F(RenameRegistryValueTest, FailedCopyKeepsTheOldValue) {
  tree_.SetValue("", "Value", REG_SZ, std::string("keep\0", 5));
  HKEY read_only = nullptr;
  ASSERT_EQ(::RegOpenKeyExA(tree_.root(), "", 0, KEY_READ, &read_only), ERROR_SUCCESS);
  EXPECT_EQ(RenameRegistryValue(read_only, "Value", "Renamed"), 5u);
  ::RegCloseKey(read_only);
  EXPECT_EQ(tree_.ValueNames(""), std::vector<std::string>{"Value"});
}

}  // namespace
}  // namespace hvn
