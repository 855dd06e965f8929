#include "setup/registry_state_win.h"

#include <cstdint>
#include <cstring>

namespace hvn::test {

void ApplyState(const RegistryTestKey& tree, const RegistryState& state) {
  for (const RegistryItem& item : state) {
    if (item.name == nullptr) {
      if (item.data != nullptr) {
        tree.CreateKey(item.key);
      } else {
        DeleteKeyRecursively(tree.root(), item.key);
      }
    } else if (item.data == nullptr) {
      if (tree.KeyExists(item.key)) tree.DeleteValue(item.key, item.name);
    } else if (std::strncmp(item.data, "dword:", 6) == 0) {
      tree.SetDword(item.key, item.name,
                    static_cast<uint32_t>(std::strtoul(item.data + 6, nullptr, 10)));
    } else {
      tree.SetValue(item.key, item.name, REG_SZ, std::string(item.data) + '\0');
    }
  }
}

void CreateVolatileKey(const RegistryTestKey& tree, const std::string& parent, const char* name) {
  tree.CreateKey(parent);
  HKEY parent_key = nullptr;
  ASSERT_EQ(::RegOpenKeyExA(tree.root(), parent.c_str(), 0, KEY_ALL_ACCESS, &parent_key), 0);
  HKEY key = nullptr;
  LONG rc = ::RegCreateKeyExA(parent_key, name, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr);
  ::RegCloseKey(parent_key);
  ASSERT_EQ(rc, ERROR_SUCCESS);
  ::RegCloseKey(key);
}

std::string ReadItem(const RegistryTestKey& tree, const char* key, const char* name) {
  if (name == nullptr) return tree.KeyExists(key) ? kPresent : "<absent>";
  DWORD type = REG_NONE;
  std::string bytes;
  if (!tree.GetValue(key, name, &type, &bytes)) return "<absent>";
  if (type == REG_DWORD && bytes.size() == 4) {
    uint32_t number = 0;
    std::memcpy(&number, bytes.data(), 4);
    return "dword:" + std::to_string(number);
  }
  if (type == REG_SZ && !bytes.empty() && bytes.back() == '\0')
    return bytes.substr(0, bytes.size() - 1);
  return "<type " + std::to_string(type) + ": " + bytes + ">";
}

void ExpectState(const RegistryTestKey& tree, const RegistryState& state, const std::string& row) {
  for (const RegistryItem& item : state) {
    std::string expected = item.data == nullptr   ? "<absent>"
                           : item.name == nullptr ? kPresent
                                                  : item.data;
    EXPECT_EQ(ReadItem(tree, item.key, item.name), expected)
        << row << ": " << item.key << " " << (item.name ? item.name : "(key)");
  }
}

}  // namespace hvn::test
