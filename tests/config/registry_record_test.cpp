#include "config/registry_record.h"

#include <cstring>

#include "config/registry_test_key.h"
#include "config/registry_value.h"
#include "config/vtable_slot.h"

namespace hvn {
namespace {

using test::RegistryTest;

// A record of two numbers and a text, counting the calls it receives.
class SampleRecord : public RegistryRecord {
 public:
  uint32_t SetDefaults() override {
    ++set_defaults_calls;
    Number = 10;
    std::strcpy(Name, "none");
    return set_defaults_result;
  }
  uint32_t ReadValues(HKEY key) override {
    ++read_calls;
    uint32_t first_error = 0;
    ReadRegistryNumber(key, "Number", Number, first_error);
    ReadRegistryText(key, "Name", Name, sizeof(Name), first_error);
    return first_error;
  }
  uint32_t WriteValues(HKEY key) override {
    uint32_t first_error = 0;
    WriteRegistryValue(key, "Number", REG_DWORD, &Number, 4, first_error);
    WriteRegistryValue(key, "Name", REG_SZ, Name, static_cast<uint32_t>(std::strlen(Name) + 1),
                       first_error);
    return first_error;
  }

  uint32_t Number = 0;
  char Name[16] = {};
  uint32_t set_defaults_result = 0;
  int set_defaults_calls = 0;
  int read_calls = 0;
};

TEST(RegistryRecordLayout, OperationsTakeTheFirstThreeSlotsInOrder) {
  EXPECT_EQ(test::VirtualSlot(&RegistryRecord::SetDefaults), 0);
  EXPECT_EQ(test::VirtualSlot(&RegistryRecord::ReadValues), 1);
  EXPECT_EQ(test::VirtualSlot(&RegistryRecord::WriteValues), 2);
}

using RegistryRecordTest = RegistryTest;

TEST_F(RegistryRecordTest, LoadOfAMissingKeyReturns2AndLeavesDefaults) {
  SampleRecord record;
  record.Number = 99;
  EXPECT_EQ(record.Load(tree_.root(), "Missing"), 2u);
  EXPECT_EQ(record.Number, 10u);
  EXPECT_STREQ(record.Name, "none");
  EXPECT_EQ(record.read_calls, 0);
}

TEST_F(RegistryRecordTest, LoadRestoresDefaultsBeforeReading) {
  tree_.SetDword("Rec", "Number", 5);
  tree_.SetValue("Rec", "Name", REG_SZ, std::string("first\0", 6));
  SampleRecord record;
  EXPECT_EQ(record.Load(tree_.root(), "Rec"), 0u);
  EXPECT_EQ(record.Number, 5u);
  EXPECT_STREQ(record.Name, "first");
  tree_.DeleteValue("Rec", "Number");
  EXPECT_EQ(record.Load(tree_.root(), "Rec"), 2u);  // ReadValues' first error
  EXPECT_EQ(record.Number, 10u);
  EXPECT_STREQ(record.Name, "first");
  EXPECT_EQ(record.set_defaults_calls, 2);
}

TEST_F(RegistryRecordTest, FailingSetDefaultsStopsLoadAtOnce) {
  tree_.SetDword("Rec", "Number", 5);
  SampleRecord record;
  record.set_defaults_result = 8;
  EXPECT_EQ(record.Load(tree_.root(), "Rec"), 8u);
  EXPECT_EQ(record.read_calls, 0);
}

TEST_F(RegistryRecordTest, SaveCreatesTheKeyAndWritesWithoutDefaults) {
  SampleRecord record;
  record.Number = 77;
  std::strcpy(record.Name, "saved");
  EXPECT_EQ(record.Save(tree_.root(), "New\\Record"), 0u);
  EXPECT_EQ(record.set_defaults_calls, 0);
  SampleRecord loaded;
  EXPECT_EQ(loaded.Load(tree_.root(), "New\\Record"), 0u);
  EXPECT_EQ(loaded.Number, 77u);
  EXPECT_STREQ(loaded.Name, "saved");
  EXPECT_EQ(tree_.KeyClass("New\\Record"), "");
}

}  // namespace
}  // namespace hvn
