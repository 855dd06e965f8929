#include "config/registry_test_key.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <random>
#include <stdexcept>

#include "platform/ansi_text.h"

namespace hvn::test {
namespace {

std::string UniqueName() {
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name =
      info != nullptr ? std::string(info->test_suite_name()) + "." + info->name() : "outside-test";
  std::random_device device;
  std::mt19937 random(device() ^ static_cast<unsigned>(
                                     std::chrono::steady_clock::now().time_since_epoch().count()));
  return name + "-" + std::to_string(random());
}

void SortWithoutCase(std::vector<std::string>& names) {
  std::sort(names.begin(), names.end(), [](std::string a, std::string b) {
    platform::AnsiToUpper(a.data(), a.size());
    platform::AnsiToUpper(b.data(), b.size());
    return a < b;
  });
}

}  // namespace

RegistryTestKey::RegistryTestKey() : path_("Software\\HvnTest\\" + UniqueName()) {
  LONG rc = ::RegCreateKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &root_, nullptr);
  if (rc != ERROR_SUCCESS) throw std::runtime_error("cannot create the test key");
}

RegistryTestKey::~RegistryTestKey() {
  ::RegCloseKey(root_);
  DeleteKeyRecursively(HKEY_CURRENT_USER, path_);
}

void DeleteKeyRecursively(HKEY parent, const std::string& subkey) {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(parent, subkey.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
  for (;;) {
    char name[1024];
    DWORD length = sizeof(name);
    if (::RegEnumKeyExA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    DeleteKeyRecursively(key, name);
  }
  ::RegCloseKey(key);
  ::RegDeleteKeyA(parent, subkey.c_str());
}

HKEY RegistryTestKey::Open(const std::string& subkey) const {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(root_, subkey.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
    return nullptr;
  return key;
}

void RegistryTestKey::CreateKey(const std::string& subkey, const char* key_class) const {
  // One level at a time, and only the missing keys: Wine gives every key of a created path
  // the class, and resets the class of a key that is created again. The class goes to the
  // last key only.
  HKEY key = nullptr;
  ASSERT_EQ(::RegOpenKeyExA(root_, "", 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
  size_t start = 0;
  while (start <= subkey.size()) {
    size_t end = subkey.find('\\', start);
    if (end == std::string::npos) end = subkey.size();
    std::string name = subkey.substr(start, end - start);
    bool last = end == subkey.size();
    start = end + 1;
    if (name.empty()) continue;
    HKEY child = nullptr;
    LONG rc = ::RegOpenKeyExA(key, name.c_str(), 0, KEY_ALL_ACCESS, &child);
    if (rc == ERROR_FILE_NOT_FOUND) {
      rc = ::RegCreateKeyExA(key, name.c_str(), 0, last ? const_cast<char*>(key_class) : nullptr, 0,
                             KEY_ALL_ACCESS, nullptr, &child, nullptr);
    }
    ::RegCloseKey(key);
    ASSERT_EQ(rc, ERROR_SUCCESS) << subkey;
    key = child;
  }
  ::RegCloseKey(key);
}

bool RegistryTestKey::KeyExists(const std::string& subkey) const {
  HKEY key = Open(subkey);
  if (key == nullptr) return false;
  ::RegCloseKey(key);
  return true;
}

void RegistryTestKey::CreateChain(const std::string& base,
                                  const std::vector<std::string>& names) const {
  CreateKey(base);
  HKEY key = Open(base);
  ASSERT_NE(key, nullptr);
  for (const std::string& name : names) {
    HKEY child = nullptr;
    LONG rc = ::RegCreateKeyExA(key, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &child,
                                nullptr);
    ::RegCloseKey(key);
    ASSERT_EQ(rc, ERROR_SUCCESS) << name;
    key = child;
  }
  ::RegCloseKey(key);
}

bool RegistryTestKey::ChainExists(const std::string& base,
                                  const std::vector<std::string>& names) const {
  HKEY key = Open(base);
  for (const std::string& name : names) {
    if (key == nullptr) return false;
    HKEY child = nullptr;
    LONG rc = ::RegOpenKeyExA(key, name.c_str(), 0, KEY_READ, &child);
    ::RegCloseKey(key);
    key = rc == ERROR_SUCCESS ? child : nullptr;
  }
  if (key == nullptr) return false;
  ::RegCloseKey(key);
  return true;
}

std::string RegistryTestKey::KeyClass(const std::string& subkey) const {
  HKEY key = Open(subkey);
  if (key == nullptr) return "<missing>";
  char key_class[1024] = {};
  DWORD length = sizeof(key_class);
  ::RegQueryInfoKeyA(key, key_class, &length, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                     nullptr, nullptr, nullptr);
  ::RegCloseKey(key);
  return key_class;
}

std::vector<std::string> RegistryTestKey::SubkeyNames(const std::string& subkey) const {
  std::vector<std::string> names;
  HKEY key = Open(subkey);
  if (key == nullptr) return names;
  for (DWORD i = 0;; ++i) {
    char name[1024];
    DWORD length = sizeof(name);
    if (::RegEnumKeyExA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    names.push_back(name);
  }
  ::RegCloseKey(key);
  SortWithoutCase(names);
  return names;
}

std::vector<std::string> RegistryTestKey::ValueNames(const std::string& subkey) const {
  std::vector<std::string> names;
  HKEY key = Open(subkey);
  if (key == nullptr) return names;
  for (DWORD i = 0;; ++i) {
    char name[1024];
    DWORD length = sizeof(name);
    if (::RegEnumValueA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    names.push_back(name);
  }
  ::RegCloseKey(key);
  SortWithoutCase(names);
  return names;
}

void RegistryTestKey::SetValue(const std::string& subkey, const char* name, DWORD type,
                               const std::string& bytes) const {
  if (!subkey.empty()) CreateKey(subkey);
  HKEY key = Open(subkey);
  ASSERT_NE(key, nullptr);
  std::string data = bytes + "\x7f";  // a non-NUL byte after the data
  ASSERT_EQ(::RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                             static_cast<DWORD>(bytes.size())),
            ERROR_SUCCESS);
  ::RegCloseKey(key);
}

void RegistryTestKey::SetDword(const std::string& subkey, const char* name, uint32_t value) const {
  SetValue(subkey, name, REG_DWORD, std::string(reinterpret_cast<const char*>(&value), 4));
}

void RegistryTestKey::DeleteValue(const std::string& subkey, const char* name) const {
  HKEY key = Open(subkey);
  ASSERT_NE(key, nullptr);
  ::RegDeleteValueA(key, name);
  ::RegCloseKey(key);
}

bool RegistryTestKey::GetValue(const std::string& subkey, const char* name, DWORD* type,
                               std::string* bytes) const {
  HKEY key = Open(subkey);
  if (key == nullptr) return false;
  DWORD size = 0;
  DWORD stored_type = 0;
  bool found =
      ::RegQueryValueExA(key, name, nullptr, &stored_type, nullptr, &size) == ERROR_SUCCESS;
  if (found) {
    std::string data(size, '\0');
    found = ::RegQueryValueExA(key, name, nullptr, &stored_type,
                               reinterpret_cast<BYTE*>(data.data()), &size) == ERROR_SUCCESS;
    data.resize(size);
    if (bytes != nullptr) *bytes = data;
    if (type != nullptr) *type = stored_type;
  }
  ::RegCloseKey(key);
  return found;
}

}  // namespace hvn::test
