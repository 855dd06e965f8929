#include "config/logon_provider_settings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/registry.h"

namespace hvn {
namespace {

// Each test works on a key of its own under HKEY_CURRENT_USER and removes it afterwards.
class LogonProviderSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = "Software\\HvnTest\\LogonProviderSettings-" +
            std::string(::testing::UnitTest::GetInstance()->current_test_info()->name());
    Remove();
  }
  void TearDown() override { Remove(); }

  void Remove() { ::RegDeleteKeyA(HKEY_CURRENT_USER, path_.c_str()); }

  void Put(const char* name, const std::string& bytes, DWORD type = REG_SZ) {
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                                &key, nullptr),
              0);
    ASSERT_EQ(::RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                               static_cast<DWORD>(bytes.size())),
              0);
    ::RegCloseKey(key);
  }

  // The value's bytes, or "<absent>".
  std::string Get(const char* name) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, KEY_READ, &key) != 0)
      return "<no key>";
    char data[1024];
    DWORD size = sizeof(data);
    LONG rc = ::RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size);
    ::RegCloseKey(key);
    return rc == 0 ? std::string(data, size) : "<absent>";
  }

  std::string path_;
};

TEST_F(LogonProviderSettingsTest, MissingKeyLeavesBothFieldsAtTheStandardProvider) {
  LogonProviderSettings settings;
  EXPECT_EQ(settings.Load(HKEY_CURRENT_USER, path_.c_str()), 2u);
  EXPECT_STREQ(settings.GinaDLL, "MSGINA.DLL");
  EXPECT_STREQ(settings.REM_GinaDLL, "MSGINA.DLL");
}

TEST_F(LogonProviderSettingsTest, ReadsWhatIsThereAndDefaultsWhatIsNot) {
  Put("GinaDLL", std::string("HVNC32.DLL\0", 11));
  LogonProviderSettings settings;
  EXPECT_EQ(settings.Load(HKEY_CURRENT_USER, path_.c_str()), 2u);
  EXPECT_STREQ(settings.GinaDLL, "HVNC32.DLL");
  EXPECT_STREQ(settings.REM_GinaDLL, "MSGINA.DLL");
}

TEST_F(LogonProviderSettingsTest, KeepsTheTerminatorInsideTheFieldWhateverTheValueHolds) {
  // The type is not checked: a value of any type lands in the field as its bytes.
  struct Case {
    const char* what;
    DWORD type;
    std::string stored;
    std::string expected;
  } cases[] = {
      {"short, without terminator", REG_BINARY, "abc", "abc"},
      {"259 characters and NUL", REG_SZ, std::string(259, 'a') + '\0', std::string(259, 'a')},
      {"exactly 260 bytes ending in NUL", REG_BINARY, std::string(259, 'b') + '\0',
       std::string(259, 'b')},
      // Cut short, the name would name another file: refused, the default stays.
      {"260 bytes without NUL", REG_BINARY, std::string(260, 'c'), "MSGINA.DLL"},
      {"bytes after a NUL", REG_BINARY, std::string("x.dll\0yz", 8), "x.dll"},
      {"empty", REG_SZ, "", ""},
  };
  for (const Case& c : cases) {
    Put("REM_GinaDLL", c.stored, c.type);
    LogonProviderSettings settings;
    settings.Load(HKEY_CURRENT_USER, path_.c_str());
    EXPECT_EQ(std::string(settings.REM_GinaDLL), c.expected) << c.what;
    EXPECT_EQ(settings.REM_GinaDLL[kProviderNameSize - 1], '\0') << c.what;
  }
}

TEST_F(LogonProviderSettingsTest, ValueLongerThanTheFieldKeepsTheDefault) {
  Put("REM_GinaDLL", std::string(400, 'c') + '\0');
  Put("GinaDLL", std::string("HVNC32.DLL\0", 11));
  LogonProviderSettings settings;
  EXPECT_EQ(settings.Load(HKEY_CURRENT_USER, path_.c_str()), 234u);
  EXPECT_STREQ(settings.GinaDLL, "HVNC32.DLL");
  EXPECT_STREQ(settings.REM_GinaDLL, "MSGINA.DLL");
}

TEST_F(LogonProviderSettingsTest, SavesNonEmptyFieldsWithTerminatorAndDeletesEmptyOnes) {
  Put("REM_GinaDLL", std::string("OLD.DLL\0", 8));
  LogonProviderSettings settings;
  settings.SetDefaults();
  std::strcpy(settings.GinaDLL, "other.dll");
  settings.REM_GinaDLL[0] = '\0';
  EXPECT_EQ(settings.Save(HKEY_CURRENT_USER, path_.c_str()), 0u);
  EXPECT_EQ(Get("GinaDLL"), std::string("other.dll\0", 10));
  EXPECT_EQ(Get("REM_GinaDLL"), "<absent>");
  // Deleting a value that is already gone is no error.
  EXPECT_EQ(settings.Save(HKEY_CURRENT_USER, path_.c_str()), 0u);

  LogonProviderSettings reread;
  reread.Load(HKEY_CURRENT_USER, path_.c_str());
  EXPECT_STREQ(reread.GinaDLL, "other.dll");
  EXPECT_STREQ(reread.REM_GinaDLL, "MSGINA.DLL");
}

// A field without its terminator is refused (87), a real failure of one store; what the
// save leaves of the other value shows its order. The client goes to the head only after the
// saved provider was written, and leaves it before the saved provider is touched.
TEST_F(LogonProviderSettingsTest, AFailedStoreStopsTheSaveBeforeTheOtherValue) {
  const std::string unterminated(kProviderNameSize, 'u');
  struct Case {
    const char* what;
    const char* gina;  // null: the unterminated field
    const char* rem;
  } cases[] = {
      {"the client put in front of an unsaved provider", "HVNC32.DLL", nullptr},
      {"the head given back unwritten", nullptr, ""},
  };
  for (const Case& c : cases) {
    Put("GinaDLL", std::string("OTHER.DLL\0", 10));
    Put("REM_GinaDLL", std::string("PREV.DLL\0", 9));
    LogonProviderSettings settings;
    auto fill = [&](char* field, const char* text) {
      if (text != nullptr)
        std::strcpy(field, text);
      else
        std::memcpy(field, unterminated.data(), kProviderNameSize);
    };
    fill(settings.GinaDLL, c.gina);
    fill(settings.REM_GinaDLL, c.rem);
    EXPECT_EQ(settings.Save(HKEY_CURRENT_USER, path_.c_str()), 87u) << c.what;
    EXPECT_EQ(Get("GinaDLL"), std::string("OTHER.DLL\0", 10)) << c.what;
    EXPECT_EQ(Get("REM_GinaDLL"), std::string("PREV.DLL\0", 9)) << c.what;
  }
}

}  // namespace
}  // namespace hvn
