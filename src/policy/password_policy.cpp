#include "policy/password_policy.h"

#include <cassert>
#include <cstring>

#include "platform/heap.h"
#include "policy/policy_fields.h"

namespace hvn {
namespace {

bool IsOwnedBlock(PolicyFieldType type) {
  return type == PolicyFieldType::kNameList || type == PolicyFieldType::kTemplate ||
         type == PolicyFieldType::kMessageBlock;
}

// Releases every heap block the policy owns and leaves its pointer empty.
void ReleaseOwnedBlocks(PasswordPolicy& policy) {
  for (const PolicyField& row : PolicyFields()) {
    if (IsOwnedBlock(row.type)) platform::ReleaseOwned(FieldOf<char*>(policy, row));
  }
}

// The six class rules by class number 1 to 6.
constexpr CharClassRule PasswordPolicy::*kClassRules[6] = {
    &PasswordPolicy::rule2000, &PasswordPolicy::rule2100, &PasswordPolicy::rule2200,
    &PasswordPolicy::rule2300, &PasswordPolicy::rule2400, &PasswordPolicy::rule2500};

size_t ClassIndex(int class_number) {
  assert(class_number >= 1 && class_number <= 6 && "a class number is 1 to 6");
  return static_cast<size_t>(class_number - 1);
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
  for (const PolicyField& row : PolicyFields()) {
    switch (row.type) {
      case PolicyFieldType::kEnabled:
      case PolicyFieldType::kNumber:
        FieldOf<uint32_t>(*this, row) = row.default_value;
        break;
      case PolicyFieldType::kCharSet: {
        auto& text = FieldOf<char16_t[kCharSetCapacity + 1]>(*this, row);
        std::memset(text, 0, sizeof(text));
        break;
      }
      case PolicyFieldType::kAnsiText:
      case PolicyFieldType::kClassName:
        std::memset(row.member(*this), 0, row.limit);
        break;
      case PolicyFieldType::kPolicyMessage:
      case PolicyFieldType::kRejectionMessage:
        FieldOf<const char*>(*this, row) = nullptr;
        break;
      case PolicyFieldType::kNameList:
      case PolicyFieldType::kTemplate:
      case PolicyFieldType::kMessageBlock:
        break;  // released below
    }
  }
  // The owned blocks last: the rules' message pointers into them were cleared above.
  ReleaseOwnedBlocks(*this);
  return 0;
}

uint32_t PasswordPolicy::WriteValues(HKEY) {
  return ERROR_NOT_SUPPORTED;
}

CharClassRule& PasswordPolicy::ClassRule(int class_number) {
  return this->*kClassRules[ClassIndex(class_number)];
}

const CharClassRule& PasswordPolicy::ClassRule(int class_number) const {
  return this->*kClassRules[ClassIndex(class_number)];
}

}  // namespace hvn
