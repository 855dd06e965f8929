// Registry values are untrusted input: every value the client settings read, stored with
// random types, sizes and contents, must load without a fault and give either the value's
// meaning or the default, never a field that is unterminated or holds bytes of another value.
#include <cstring>
#include <string>

#include "config/client_settings.h"
#include "config/random_registry_values.h"

namespace hvn {
namespace {

using test::RegistryTest;
constexpr size_t kWaitParamsSize = ClientSettings::kWaitParamsSize;
constexpr size_t kFoldersSize = ClientSettings::kDictionaryPathsSize;
using ClientSettingsRandomTest = RegistryTest;

uint32_t ExpectedNumber(const test::RegistryTestKey& tree, const char* name, uint32_t fallback) {
  DWORD type = 0;
  std::string bytes;
  if (!tree.GetValue("", name, &type, &bytes) || type != REG_DWORD || bytes.size() != 4)
    return fallback;
  uint32_t value;
  std::memcpy(&value, bytes.data(), 4);
  return value;
}

TEST_F(ClientSettingsRandomTest, AnyStoredValuesLoadSafely) {
  struct Number {
    const char* name;
    uint32_t ClientSettings::*field;
    uint32_t fallback;
  };
  const Number numbers[] = {
      {"WaitSleepTime", &ClientSettings::WaitSleepTime, 100},
      {"DisplayPolicyMessage", &ClientSettings::DisplayPolicyMessage, 1},
      {"HVS_Port", &ClientSettings::HVS_Port, 1333},
      {"Timeout", &ClientSettings::Timeout, 2000},
      {"Retries", &ClientSettings::Retries, 2},
      {"StrictReplySender", &ClientSettings::StrictReplySender, 0},
  };
  ClientSettings settings;
  for (int round = 0; round < test::kRandomRounds; ++round) {
    test::RandomValues random(static_cast<uint32_t>(round) * 7919u + 1u);
    random.Store(tree_, "", "HVServers", {0, 1, 2, 3});
    random.Store(tree_, "", "WaitParams", {kWaitParamsSize - 2, kWaitParamsSize});
    for (const Number& number : numbers) random.Store(tree_, "", number.name, {4});
    random.Store(tree_, "", "DictionaryPaths", {kFoldersSize - 2, kFoldersSize});

    ASSERT_EQ(settings.Load(tree_.root(), ""), 0u) << "round " << round;

    for (const Number& number : numbers) {
      EXPECT_EQ(settings.*number.field, ExpectedNumber(tree_, number.name, number.fallback))
          << "round " << round << " " << number.name;
    }
    std::string servers;
    bool has_servers = tree_.GetValue("", "HVServers", nullptr, &servers) && servers.size() >= 2;
    ServerListRef list = settings.Servers();
    ASSERT_EQ(static_cast<bool>(list), has_servers) << "round " << round;
    if (has_servers) {
      EXPECT_EQ(std::string(list.Get(), list.Size() + 2), servers + std::string(2, '\0'))
          << "round " << round;
    }
    std::string rows;
    std::string expected(kWaitParamsSize, '\0');
    if (tree_.GetValue("", "WaitParams", nullptr, &rows) && rows.size() <= kWaitParamsSize) {
      std::string filled = rows + std::string(kWaitParamsSize - rows.size(), '\0');
      if (filled[kWaitParamsSize - 2] == '\0' && filled[kWaitParamsSize - 1] == '\0')
        expected = filled;
    }
    EXPECT_EQ(std::string(settings.WaitParams, kWaitParamsSize), expected) << "round " << round;
    // Whatever was stored, the folder list ends inside its field.
    EXPECT_EQ(std::string(settings.DictionaryPaths + kFoldersSize - 2, 2), std::string(2, '\0'))
        << "round " << round;
  }
}

}  // namespace
}  // namespace hvn
