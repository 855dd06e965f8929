#include "policy/password_policy.h"

#include <cstring>
#include <initializer_list>

#include "platform/heap.h"

namespace hvn {
namespace {

constexpr uint32_t kDefaultTolerance = 4;

void SetSimilarityDefaults(SimilarityRule& rule) {
  rule.Enabled = 0;
  rule.Bidir = 0;
  rule.Substitute = 0;
  rule.Tolerance = kDefaultTolerance;
  rule.msg_Pol = nullptr;
  rule.msg_Rej = nullptr;
}

void SetCharClassDefaults(CharClassRule& rule) {
  rule.Enabled = 0;
  rule.MustContain = 1;
  std::memset(rule.CharSet, 0, sizeof(rule.CharSet));
  std::memset(rule.CharSetName, 0, sizeof(rule.CharSetName));
  rule.MinCount = 1;
  rule.Embedded = 0;
  rule.StartPos = 0;
  rule.EndPos = 0;
  rule.msg_Pol = nullptr;
  rule.msg_Rej = nullptr;
}

// Releases an owned heap text and leaves the pointer empty.
void ReleaseOwned(char*& block) {
  platform::HeapRelease(block);
  block = nullptr;
}

// Releases every heap block the policy owns and leaves its pointer empty.
void ReleaseOwnedBlocks(PasswordPolicy& policy) {
  for (char** block :
       {&policy.UserList, &policy.GroupList, &policy.MsgPolTemplate, &policy.MsgRejTemplate,
        &policy.MsgRejGeneric, &policy.PolicyMessageBlock, &policy.RejectionMessageBlock}) {
    ReleaseOwned(*block);
  }
}

// The six class rules by class number 1 to 6.
constexpr CharClassRule PasswordPolicy::*kClassRules[6] = {
    &PasswordPolicy::rule2000, &PasswordPolicy::rule2100, &PasswordPolicy::rule2200,
    &PasswordPolicy::rule2300, &PasswordPolicy::rule2400, &PasswordPolicy::rule2500};

size_t ClassIndex(int class_number) {
  return (class_number >= 1 && class_number <= 6) ? static_cast<size_t>(class_number - 1) : 0;
}

}  // namespace

PasswordPolicy::PasswordPolicy()
    : UserList(nullptr),
      GroupList(nullptr),
      MsgPolTemplate(nullptr),
      MsgRejTemplate(nullptr),
      MsgRejGeneric(nullptr),
      PolicyMessageBlock(nullptr),
      RejectionMessageBlock(nullptr) {
  // Not virtual here: the constructor always sets this class's own defaults.
  PasswordPolicy::SetDefaults();
}

PasswordPolicy::~PasswordPolicy() {
  ReleaseOwnedBlocks(*this);
}

uint32_t PasswordPolicy::SetDefaults() {
  SetSimilarityDefaults(rule1000);
  for (int class_number = 1; class_number <= 6; ++class_number) {
    SetCharClassDefaults(ClassRule(class_number));
  }

  rule2600.Enabled = 0;
  rule2600.MinLength = 0;
  rule2600.MaxLength = 0;
  rule2600.Exactly7or14 = 0;
  rule2600.msg_Pol = nullptr;
  rule2600.msg_Rej = nullptr;

  rule2700.Enabled = 0;
  rule2700.MinUniqueChars = 0;
  rule2700.msg_Pol = nullptr;
  rule2700.msg_Rej = nullptr;

  SetSimilarityDefaults(rule2800);
  SetSimilarityDefaults(rule2900);

  rule3000.Enabled = 0;
  std::memset(rule3000.ServerDictFile, 0, sizeof(rule3000.ServerDictFile));
  std::memset(rule3000.ClientDictFile, 0, sizeof(rule3000.ClientDictFile));
  rule3000.Bidir = 0;
  rule3000.Substitute = 0;
  rule3000.Tolerance = kDefaultTolerance;
  rule3000.Wildcard = 0;
  rule3000.msg_Pol = nullptr;
  rule3000.msg_Rej = nullptr;

  rule3100.Enabled = 0;
  rule3100.csAlpha = 0;
  rule3100.csUpperAlpha = 0;
  rule3100.csLowerAlpha = 0;
  rule3100.csNumeric = 0;
  rule3100.csSpecial = 0;
  rule3100.csHigh = 0;
  rule3100.MinComplianceLevel = 1;
  rule3100.MustComply = 0;
  rule3100.msg_Pol = nullptr;
  rule3100.msg_Rej = nullptr;

  Priority = 0;
  std::memset(NotificationCmd, 0, sizeof(NotificationCmd));
  MinComplianceLevel = 0;

  // The owned blocks last: the rules' message pointers into them were cleared above.
  ReleaseOwnedBlocks(*this);
  return 0;
}

uint32_t PasswordPolicy::WriteValues(HKEY) {
  return 50;
}  // ERROR_NOT_SUPPORTED

CharClassRule& PasswordPolicy::ClassRule(int class_number) {
  return this->*kClassRules[ClassIndex(class_number)];
}

const CharClassRule& PasswordPolicy::ClassRule(int class_number) const {
  return this->*kClassRules[ClassIndex(class_number)];
}

}  // namespace hvn
