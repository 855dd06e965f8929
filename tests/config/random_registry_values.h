// Random registry values for the randomized tests: any type, sizes around the limits that
// matter and random contents, NULs included.
#ifndef HVN_TESTS_CONFIG_RANDOM_REGISTRY_VALUES_H_
#define HVN_TESTS_CONFIG_RANDOM_REGISTRY_VALUES_H_

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "config/registry_test_key.h"

namespace hvn::test {

// Rounds of a randomized test: many natively (under the sanitizers), fewer under Wine where
// every registry call is a round trip to the server.
#ifdef _WIN32
constexpr int kRandomRounds = 25;
#else
constexpr int kRandomRounds = 300;
#endif

class RandomValues {
 public:
  explicit RandomValues(uint32_t seed) : random_(seed) {}

  // Writes value `name` of `subkey` with a random type, size and contents, or deletes it.
  // `sizes` lists sizes worth hitting (limits of the reader); other sizes are drawn too.
  void Store(const RegistryTestKey& tree, const std::string& subkey, const char* name,
             const std::vector<size_t>& sizes) {
    if (Pick(6) == 0) {
      tree.CreateKey(subkey);
      tree.DeleteValue(subkey, name);
      return;
    }
    static const DWORD kTypes[] = {REG_NONE,  REG_SZ,       REG_EXPAND_SZ, REG_BINARY,
                                   REG_DWORD, REG_MULTI_SZ, REG_QWORD,     REG_DWORD};
    DWORD type = kTypes[Pick(8)];
    size_t size;
    switch (Pick(4)) {
      case 0:
        size = Pick(9);
        break;
      case 1:
        size = (sizes.empty() ? 4 : sizes[Pick(sizes.size())]) + Pick(3);
        size = size == 0 ? 0 : size - 1;
        break;
      case 2:
        size = Pick(600);
        break;
      default:
        size = Pick(5000);
        break;
    }
    std::string bytes(size, '\0');
    int style = static_cast<int>(Pick(3));
    for (char& byte : bytes) {
      if (style == 0) {
        byte = static_cast<char>(Pick(256));
      } else if (style == 1) {
        byte = Pick(8) == 0 ? '\0' : static_cast<char>('A' + Pick(26));
      } else {
        byte = static_cast<char>(' ' + Pick(95));
      }
    }
    tree.SetValue(subkey, name, type, bytes);
  }

  size_t Pick(size_t bound) { return std::uniform_int_distribution<size_t>(0, bound - 1)(random_); }

 private:
  std::mt19937 random_;
};

}  // namespace hvn::test

#endif  // HVN_TESTS_CONFIG_RANDOM_REGISTRY_VALUES_H_
