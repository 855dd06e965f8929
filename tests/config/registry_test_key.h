// A registry key tree of one test: HKEY_CURRENT_USER "Software\HvnTest\<test>-<random>",
// created for the test and removed with everything below it afterwards. Helpers write and
// read raw values and keys with the Reg*A calls directly, independent of the code under test.
#ifndef HVN_TESTS_CONFIG_REGISTRY_TEST_KEY_H_
#define HVN_TESTS_CONFIG_REGISTRY_TEST_KEY_H_

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace hvn::test {

class RegistryTestKey {
 public:
  RegistryTestKey();
  ~RegistryTestKey();
  RegistryTestKey(const RegistryTestKey&) = delete;
  RegistryTestKey& operator=(const RegistryTestKey&) = delete;

  // The tree's root, open with all access, and its path under HKEY_CURRENT_USER.
  HKEY root() const { return root_; }
  const std::string& path() const { return path_; }

  // Creates `subkey` (and the keys above it) under the root with `key_class`.
  void CreateKey(const std::string& subkey, const char* key_class = nullptr) const;
  bool KeyExists(const std::string& subkey) const;
  // Creates a chain of keys `names[0]\names[1]\...` below `base`, one level at a time, so its
  // full path may be longer than the 260 characters a single ANSI call takes. ChainExists
  // walks it the same way.
  void CreateChain(const std::string& base, const std::vector<std::string>& names) const;
  bool ChainExists(const std::string& base, const std::vector<std::string>& names) const;
  // The class of `subkey`, or "<missing>".
  std::string KeyClass(const std::string& subkey) const;
  // The names of the direct subkeys and of the values of `subkey`, sorted without case.
  std::vector<std::string> SubkeyNames(const std::string& subkey) const;
  std::vector<std::string> ValueNames(const std::string& subkey) const;

  // Writes a value of any type with exactly these bytes ("" subkey: the root itself). Text
  // types are given a non-NUL byte after the data, so the store takes exactly `bytes`.
  void SetValue(const std::string& subkey, const char* name, DWORD type,
                const std::string& bytes) const;
  void SetDword(const std::string& subkey, const char* name, uint32_t value) const;
  void DeleteValue(const std::string& subkey, const char* name) const;
  // Reads a value back: false when it is missing.
  bool GetValue(const std::string& subkey, const char* name, DWORD* type, std::string* bytes) const;

 private:
  HKEY Open(const std::string& subkey) const;
  std::string path_;
  HKEY root_ = nullptr;
};

// The code the ANSI registry calls give for a path argument over 260 characters: the tree
// operations meet it long before their own 1024-byte path limit (122).
constexpr LONG kPathTooLong = ERROR_MORE_DATA;

// Deletes `subkey` of `parent` with everything below it, with the raw calls.
void DeleteKeyRecursively(HKEY parent, const std::string& subkey);

// A test with its own key tree.
class RegistryTest : public ::testing::Test {
 protected:
  RegistryTestKey tree_;
};

}  // namespace hvn::test

#endif  // HVN_TESTS_CONFIG_REGISTRY_TEST_KEY_H_
