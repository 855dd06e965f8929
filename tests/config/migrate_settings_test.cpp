#include "config/migrate_settings.h"

#include <string>

#include "config/client_settings.h"
#include "config/registry_test_key.h"

namespace hvn {
namespace {

using test::RegistryTest;
using Names = std::vector<std::string>;
using MigrateEarlierSettingsTest = RegistryTest;

void BuildEarlierSettings(const test::RegistryTestKey& tree) {
  tree.CreateKey(kEarlierVersionKey, "EarlierClass");
  tree.SetValue(kEarlierVersionKey, "HVServers", REG_MULTI_SZ, std::string("D 1.2.3.4\0\0", 11));
  tree.SetDword(kEarlierVersionKey, "Timeout", 3000);
  tree.CreateKey(std::string(kEarlierVersionKey) + "\\Rows", "RowsClass");
  tree.SetValue(std::string(kEarlierVersionKey) + "\\Rows", "R", REG_SZ, std::string("r\0", 2));
  tree.CreateKey("SOFTWARE\\Bexmoor Software\\Halvern Client\\2.0");
  tree.CreateKey("SOFTWARE\\Bexmoor Software\\Other Product");
}

TEST_F(MigrateEarlierSettingsTest, MovesEarlierSettingsWhenTheCurrentKeyIsMissing) {
  BuildEarlierSettings(tree_);
  EXPECT_EQ(MigrateEarlierSettings(tree_.root()), 0u);
  EXPECT_EQ(tree_.KeyClass(kClientSettingsKey), "EarlierClass");
  EXPECT_EQ(tree_.ValueNames(kClientSettingsKey), (Names{"HVServers", "Timeout"}));
  std::string rows = std::string(kClientSettingsKey) + "\\Rows";
  EXPECT_EQ(tree_.KeyClass(rows), "RowsClass");
  std::string bytes;
  ASSERT_TRUE(tree_.GetValue(rows, "R", nullptr, &bytes));
  EXPECT_EQ(bytes, std::string("r\0", 2));
  EXPECT_FALSE(tree_.KeyExists(kEarlierVersionKey));
  EXPECT_FALSE(tree_.KeyExists(kEarlierProductKey));
  // The earlier maker's key stays with whatever else it holds.
  EXPECT_EQ(tree_.SubkeyNames("SOFTWARE\\Bexmoor Software"), Names{"Other Product"});

  ClientSettings settings;
  EXPECT_EQ(settings.Load(tree_.root(), kClientSettingsKey), 0u);
  EXPECT_EQ(settings.Timeout, 3000u);
  EXPECT_EQ(std::string(settings.Servers().Get(), settings.Servers().Size()),
            std::string("D 1.2.3.4\0\0", 11));
}

TEST_F(MigrateEarlierSettingsTest, ExistingCurrentKeyWinsAndTheEarlierProductGoes) {
  BuildEarlierSettings(tree_);
  tree_.SetDword(kClientSettingsKey, "Timeout", 700);
  EXPECT_EQ(MigrateEarlierSettings(tree_.root()), 0u);
  EXPECT_EQ(tree_.ValueNames(kClientSettingsKey), Names{"Timeout"});
  EXPECT_TRUE(tree_.SubkeyNames(kClientSettingsKey).empty());
  std::string bytes;
  ASSERT_TRUE(tree_.GetValue(kClientSettingsKey, "Timeout", nullptr, &bytes));
  EXPECT_EQ(bytes, std::string("\xBC\x02\0\0", 4));
  EXPECT_FALSE(tree_.KeyExists(kEarlierProductKey));
  EXPECT_TRUE(tree_.KeyExists("SOFTWARE\\Bexmoor Software\\Other Product"));
}

TEST_F(MigrateEarlierSettingsTest, ProductKeyWithoutTheVersionKeyIsLeftAlone) {
  tree_.CreateKey("SOFTWARE\\Bexmoor Software\\Halvern Client\\2.0");
  tree_.SetDword(kEarlierProductKey, "Kept", 1);
  EXPECT_EQ(MigrateEarlierSettings(tree_.root()), 0u);
  EXPECT_TRUE(tree_.KeyExists("SOFTWARE\\Bexmoor Software\\Halvern Client\\2.0"));
  EXPECT_TRUE(tree_.GetValue(kEarlierProductKey, "Kept", nullptr, nullptr));
  EXPECT_FALSE(tree_.KeyExists(kClientSettingsKey));
  EXPECT_EQ(MigrateEarlierSettings(tree_.root()), 0u);  // nothing at all: nothing to do
}

TEST_F(MigrateEarlierSettingsTest, CopyFailingHalfWayRemovesThePartialCopyAndKeepsTheEarlierKey) {
  BuildEarlierSettings(tree_);
  // A subkey path too long for the registry calls makes the copy fail after the values and
  // the first subkey were copied.
  std::vector<std::string> chain(5, std::string(200, 'z'));
  tree_.CreateChain(kEarlierVersionKey, chain);
  const uint32_t too_long = static_cast<uint32_t>(test::kPathTooLong);
  EXPECT_EQ(MigrateEarlierSettings(tree_.root()), too_long);
  EXPECT_FALSE(tree_.KeyExists(kClientSettingsKey));
  EXPECT_TRUE(tree_.ChainExists(kEarlierVersionKey, chain));
  EXPECT_EQ(tree_.ValueNames(kEarlierVersionKey), (Names{"HVServers", "Timeout"}));
  EXPECT_TRUE(tree_.KeyExists(std::string(kEarlierVersionKey) + "\\Rows"));
  // The next start tries again, with the same outcome and still nothing lost.
  EXPECT_EQ(MigrateEarlierSettings(tree_.root()), too_long);
  EXPECT_FALSE(tree_.KeyExists(kClientSettingsKey));
  EXPECT_TRUE(tree_.ChainExists(kEarlierVersionKey, chain));
}

}  // namespace
}  // namespace hvn
