#include "policy/password_policy.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/heap.h"

namespace hvn {
namespace {

char* HeapText(const char* text) {
  size_t size = std::strlen(text) + 1;
  char* block = static_cast<char*>(platform::HeapAllocZeroed(size));
  std::memcpy(block, text, size);
  return block;
}

// Fills every field with something other than its default.
void Scribble(PasswordPolicy& policy) {
  for (SimilarityRule* rule : {&policy.rule1000, &policy.rule2800, &policy.rule2900}) {
    *rule = SimilarityRule{7, 7, 7, 7, "pol", "rej"};
  }
  for (int class_number = 1; class_number <= 6; ++class_number) {
    CharClassRule& rule = policy.ClassRule(class_number);
    rule.Enabled = 7;
    rule.MustContain = 7;
    rule.CharSet[0] = u'x';
    rule.CharSet[kCharSetCapacity - 1] = u'y';
    rule.CharSetName[0] = 'n';
    rule.MinCount = rule.Embedded = rule.StartPos = rule.EndPos = 7;
    rule.msg_Pol = rule.msg_Rej = "m";
  }
  policy.rule2600 = LengthRule{7, 7, 7, 7, "p", "r"};
  policy.rule2700 = UniqueCharsRule{7, 7, "p", "r"};
  policy.rule3000.Enabled = 7;
  std::strcpy(policy.rule3000.ServerDictFile, "C:\\a.dic");
  std::strcpy(policy.rule3000.ClientDictFile, "C:\\b.dic");
  policy.rule3000.Bidir = policy.rule3000.Substitute = policy.rule3000.Tolerance = 7;
  policy.rule3000.Wildcard = 7;
  policy.rule3100 = ComplexityRule{7, 7, 7, 7, 7, 7, 7, 7, 7, "p", "r"};
  policy.Priority = 7;
  std::strcpy(policy.NotificationCmd, "notify.exe");
  policy.MinComplianceLevel = 7;
  policy.UserList = HeapText(":ALICE:");
  policy.GroupList = HeapText(":STAFF:");
  policy.MsgPolTemplate = HeapText("pol");
  policy.MsgRejTemplate = HeapText("rej");
  policy.MsgRejGeneric = HeapText("gen");
  policy.PolicyMessageBlock = HeapText("block");
  policy.RejectionMessageBlock = HeapText("block");
}

void ExpectDefaults(const PasswordPolicy& policy) {
  for (const SimilarityRule* rule : {&policy.rule1000, &policy.rule2800, &policy.rule2900}) {
    EXPECT_EQ(rule->Enabled, 0u);
    EXPECT_EQ(rule->Bidir, 0u);
    EXPECT_EQ(rule->Substitute, 0u);
    EXPECT_EQ(rule->Tolerance, 4u);
    EXPECT_EQ(rule->msg_Pol, nullptr);
    EXPECT_EQ(rule->msg_Rej, nullptr);
  }
  for (int class_number = 1; class_number <= 6; ++class_number) {
    SCOPED_TRACE(class_number);
    const CharClassRule& rule = policy.ClassRule(class_number);
    EXPECT_EQ(rule.Enabled, 0u);
    EXPECT_EQ(rule.MustContain, 1u);
    for (char16_t c : rule.CharSet) ASSERT_EQ(c, u'\0');
    for (char c : rule.CharSetName) ASSERT_EQ(c, '\0');
    EXPECT_EQ(rule.MinCount, 1u);
    EXPECT_EQ(rule.Embedded, 0u);
    EXPECT_EQ(rule.StartPos, 0u);
    EXPECT_EQ(rule.EndPos, 0u);
    EXPECT_EQ(rule.msg_Pol, nullptr);
    EXPECT_EQ(rule.msg_Rej, nullptr);
  }
  EXPECT_EQ(policy.rule2600.Enabled, 0u);
  EXPECT_EQ(policy.rule2600.MinLength, 0u);
  EXPECT_EQ(policy.rule2600.MaxLength, 0u);
  EXPECT_EQ(policy.rule2600.Exactly7or14, 0u);
  EXPECT_EQ(policy.rule2600.msg_Pol, nullptr);
  EXPECT_EQ(policy.rule2700.Enabled, 0u);
  EXPECT_EQ(policy.rule2700.MinUniqueChars, 0u);
  EXPECT_EQ(policy.rule2700.msg_Rej, nullptr);
  EXPECT_EQ(policy.rule3000.Enabled, 0u);
  for (char c : policy.rule3000.ServerDictFile) ASSERT_EQ(c, '\0');
  for (char c : policy.rule3000.ClientDictFile) ASSERT_EQ(c, '\0');
  EXPECT_EQ(policy.rule3000.Bidir, 0u);
  EXPECT_EQ(policy.rule3000.Substitute, 0u);
  EXPECT_EQ(policy.rule3000.Tolerance, 4u);
  EXPECT_EQ(policy.rule3000.Wildcard, 0u);
  EXPECT_EQ(policy.rule3000.msg_Pol, nullptr);
  const ComplexityRule& c = policy.rule3100;
  EXPECT_EQ(c.Enabled + c.csAlpha + c.csUpperAlpha + c.csLowerAlpha + c.csNumeric + c.csSpecial +
                c.csHigh + c.MustComply,
            0u);
  EXPECT_EQ(c.MinComplianceLevel, 1u);
  EXPECT_EQ(c.msg_Pol, nullptr);
  EXPECT_EQ(policy.Priority, 0u);
  for (char ch : policy.NotificationCmd) ASSERT_EQ(ch, '\0');
  EXPECT_EQ(policy.MinComplianceLevel, 0u);
  EXPECT_EQ(policy.UserList, nullptr);
  EXPECT_EQ(policy.GroupList, nullptr);
  EXPECT_EQ(policy.MsgPolTemplate, nullptr);
  EXPECT_EQ(policy.MsgRejTemplate, nullptr);
  EXPECT_EQ(policy.MsgRejGeneric, nullptr);
  EXPECT_EQ(policy.PolicyMessageBlock, nullptr);
  EXPECT_EQ(policy.RejectionMessageBlock, nullptr);
}

TEST(PasswordPolicy, ConstructionGivesEveryDefault) {
  PasswordPolicy policy;
  ExpectDefaults(policy);
}

// Under the sanitizers a block that SetDefaults forgot to release shows up as a leak.
TEST(PasswordPolicy, SetDefaultsRestoresEveryFieldAndReleasesOwnedBlocks) {
  PasswordPolicy policy;
  Scribble(policy);
  EXPECT_EQ(policy.SetDefaults(), 0u);
  ExpectDefaults(policy);
  EXPECT_EQ(policy.SetDefaults(), 0u);  // twice in a row: nothing released twice
  ExpectDefaults(policy);
}

TEST(PasswordPolicy, DestructorReleasesOwnedBlocks) {
  auto* policy = new PasswordPolicy;
  Scribble(*policy);
  delete policy;  // a leak here fails the sanitized run
}

TEST(PasswordPolicy, PolicyIsNeverWritten) {
  PasswordPolicy policy;
  EXPECT_EQ(policy.WriteValues(nullptr), 50u);
  ExpectDefaults(policy);
}

TEST(PasswordPolicy, ClassRuleMapsClassNumbersToRules) {
  PasswordPolicy policy;
  CharClassRule* expected[] = {&policy.rule2000, &policy.rule2100, &policy.rule2200,
                               &policy.rule2300, &policy.rule2400, &policy.rule2500};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(&policy.ClassRule(i + 1), expected[i]) << i;
}

}  // namespace
}  // namespace hvn
