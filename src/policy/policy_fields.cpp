#include "policy/policy_fields.h"

#include <array>

namespace hvn {
namespace {

using Type = PolicyFieldType;
using Wire = PolicyWire;

template <auto Rule, auto Field>
void* RuleMember(PasswordPolicy& policy) {
  return &((policy.*Rule).*Field);
}

template <auto Field>
void* PolicyMember(PasswordPolicy& policy) {
  return &(policy.*Field);
}

template <SimilarityRule PasswordPolicy::*Rule>
constexpr std::array<PolicyField, 6> SimilarityFields(uint32_t code) {
  using R = SimilarityRule;
  return {{
      {code, "Enabled", Type::kEnabled, 4, 0, code, Wire::kEnable, &RuleMember<Rule, &R::Enabled>},
      {code, "Bidir", Type::kNumber, 4, 0, code, Wire::kNextField, &RuleMember<Rule, &R::Bidir>},
      {code, "Substitute", Type::kNumber, 4, 0, code, Wire::kNextField,
       &RuleMember<Rule, &R::Substitute>},
      {code, "Tolerance", Type::kNumber, 4, 4, code, Wire::kNextField,
       &RuleMember<Rule, &R::Tolerance>},
      {code, "msg_Pol", Type::kPolicyMessage, 256, 0, kNoRecord, Wire::kNone,
       &RuleMember<Rule, &R::msg_Pol>},
      {code, "msg_Rej", Type::kRejectionMessage, 256, 0, kNoRecord, Wire::kNone,
       &RuleMember<Rule, &R::msg_Rej>},
  }};
}

template <CharClassRule PasswordPolicy::*Rule>
constexpr std::array<PolicyField, 10> CharClassFields(uint32_t code) {
  using R = CharClassRule;
  return {{
      {code, "Enabled", Type::kEnabled, 4, 0, code, Wire::kEnable, &RuleMember<Rule, &R::Enabled>},
      {code, "MustContain", Type::kNumber, 4, 1, code, Wire::kNextField,
       &RuleMember<Rule, &R::MustContain>},
      {code, "CharSet", Type::kCharSet, 512, 0, code, Wire::kNextField,
       &RuleMember<Rule, &R::CharSet>},
      {code, "CharSetName", Type::kClassName, kCharSetNameSize, 0, kNoRecord, Wire::kNone,
       &RuleMember<Rule, &R::CharSetName>},
      {code, "MinCount", Type::kNumber, 4, 1, code, Wire::kNextField,
       &RuleMember<Rule, &R::MinCount>},
      {code, "Embedded", Type::kNumber, 4, 0, code, Wire::kNextField,
       &RuleMember<Rule, &R::Embedded>},
      {code, "StartPos", Type::kNumber, 4, 0, code, Wire::kNextField,
       &RuleMember<Rule, &R::StartPos>},
      {code, "EndPos", Type::kNumber, 4, 0, code, Wire::kNextField, &RuleMember<Rule, &R::EndPos>},
      {code, "msg_Pol", Type::kPolicyMessage, 256, 0, kNoRecord, Wire::kNone,
       &RuleMember<Rule, &R::msg_Pol>},
      {code, "msg_Rej", Type::kRejectionMessage, 256, 0, kNoRecord, Wire::kNone,
       &RuleMember<Rule, &R::msg_Rej>},
  }};
}

constexpr auto kRule2600 = &PasswordPolicy::rule2600;
constexpr std::array<PolicyField, 6> kLengthFields = {{
    {2600, "Enabled", Type::kEnabled, 4, 0, 2600, Wire::kEnable,
     &RuleMember<kRule2600, &LengthRule::Enabled>},
    {2600, "MinLength", Type::kNumber, 4, 0, 2600, Wire::kNextField,
     &RuleMember<kRule2600, &LengthRule::MinLength>},
    {2600, "MaxLength", Type::kNumber, 4, 0, 2600, Wire::kNextField,
     &RuleMember<kRule2600, &LengthRule::MaxLength>},
    {2600, "Exactly7or14", Type::kNumber, 4, 0, 2600, Wire::kNextField,
     &RuleMember<kRule2600, &LengthRule::Exactly7or14>},
    {2600, "msg_Pol", Type::kPolicyMessage, 256, 0, kNoRecord, Wire::kNone,
     &RuleMember<kRule2600, &LengthRule::msg_Pol>},
    {2600, "msg_Rej", Type::kRejectionMessage, 256, 0, kNoRecord, Wire::kNone,
     &RuleMember<kRule2600, &LengthRule::msg_Rej>},
}};

constexpr auto kRule2700 = &PasswordPolicy::rule2700;
constexpr std::array<PolicyField, 4> kUniqueCharsFields = {{
    {2700, "Enabled", Type::kEnabled, 4, 0, 2700, Wire::kEnable,
     &RuleMember<kRule2700, &UniqueCharsRule::Enabled>},
    {2700, "MinUniqueChars", Type::kNumber, 4, 0, 2700, Wire::kNextField,
     &RuleMember<kRule2700, &UniqueCharsRule::MinUniqueChars>},
    {2700, "msg_Pol", Type::kPolicyMessage, 256, 0, kNoRecord, Wire::kNone,
     &RuleMember<kRule2700, &UniqueCharsRule::msg_Pol>},
    {2700, "msg_Rej", Type::kRejectionMessage, 256, 0, kNoRecord, Wire::kNone,
     &RuleMember<kRule2700, &UniqueCharsRule::msg_Rej>},
}};

// The reply's one dictionary path fills both path fields; Wildcard comes in record 3001.
constexpr auto kRule3000 = &PasswordPolicy::rule3000;
constexpr std::array<PolicyField, 9> kDictionaryFields = {{
    {3000, "Enabled", Type::kEnabled, 4, 0, 3000, Wire::kEnable,
     &RuleMember<kRule3000, &DictionaryRule::Enabled>},
    {3000, "ServerDictFile", Type::kAnsiText, kPathSize, 0, 3000, Wire::kNextField,
     &RuleMember<kRule3000, &DictionaryRule::ServerDictFile>},
    {3000, "ClientDictFile", Type::kAnsiText, kPathSize, 0, 3000, Wire::kSameField,
     &RuleMember<kRule3000, &DictionaryRule::ClientDictFile>},
    {3000, "Bidir", Type::kNumber, 4, 0, 3000, Wire::kNextField,
     &RuleMember<kRule3000, &DictionaryRule::Bidir>},
    {3000, "Substitute", Type::kNumber, 4, 0, 3000, Wire::kNextField,
     &RuleMember<kRule3000, &DictionaryRule::Substitute>},
    {3000, "Tolerance", Type::kNumber, 4, 4, 3000, Wire::kNextField,
     &RuleMember<kRule3000, &DictionaryRule::Tolerance>},
    {3000, "Wildcard", Type::kNumber, 4, 0, 3001, Wire::kNextField,
     &RuleMember<kRule3000, &DictionaryRule::Wildcard>},
    {3000, "msg_Pol", Type::kPolicyMessage, 256, 0, kNoRecord, Wire::kNone,
     &RuleMember<kRule3000, &DictionaryRule::msg_Pol>},
    {3000, "msg_Rej", Type::kRejectionMessage, 256, 0, kNoRecord, Wire::kNone,
     &RuleMember<kRule3000, &DictionaryRule::msg_Rej>},
}};

// The 3100 record carries, after these fields, the CharSet of each class rule (the parser
// walks the kCharSet rows for them).
constexpr auto kRule3100 = &PasswordPolicy::rule3100;
constexpr std::array<PolicyField, 11> kComplexityFields = {{
    {3100, "Enabled", Type::kEnabled, 4, 0, 3100, Wire::kEnable,
     &RuleMember<kRule3100, &ComplexityRule::Enabled>},
    {3100, "csAlpha", Type::kNumber, 4, 0, 3100, Wire::kNextField,
     &RuleMember<kRule3100, &ComplexityRule::csAlpha>},
    {3100, "csUpperAlpha", Type::kNumber, 4, 0, 3100, Wire::kNextField,
     &RuleMember<kRule3100, &ComplexityRule::csUpperAlpha>},
    {3100, "csLowerAlpha", Type::kNumber, 4, 0, 3100, Wire::kNextField,
     &RuleMember<kRule3100, &ComplexityRule::csLowerAlpha>},
    {3100, "csNumeric", Type::kNumber, 4, 0, 3100, Wire::kNextField,
     &RuleMember<kRule3100, &ComplexityRule::csNumeric>},
    {3100, "csSpecial", Type::kNumber, 4, 0, 3100, Wire::kNextField,
     &RuleMember<kRule3100, &ComplexityRule::csSpecial>},
    {3100, "csHigh", Type::kNumber, 4, 0, 3100, Wire::kNextField,
     &RuleMember<kRule3100, &ComplexityRule::csHigh>},
    {3100, "MinComplianceLevel", Type::kNumber, 4, 1, 3100, Wire::kNextField,
     &RuleMember<kRule3100, &ComplexityRule::MinComplianceLevel>},
    {3100, "MustComply", Type::kNumber, 4, 0, 3100, Wire::kNextField,
     &RuleMember<kRule3100, &ComplexityRule::MustComply>},
    {3100, "msg_Pol", Type::kPolicyMessage, 256, 0, kNoRecord, Wire::kNone,
     &RuleMember<kRule3100, &ComplexityRule::msg_Pol>},
    {3100, "msg_Rej", Type::kRejectionMessage, 256, 0, kNoRecord, Wire::kNone,
     &RuleMember<kRule3100, &ComplexityRule::msg_Rej>},
}};

// Policy-wide fields; record 0 carries the threshold.
constexpr std::array<PolicyField, 10> kPolicyWideFields = {{
    {0, "Priority", Type::kNumber, 4, 0, kNoRecord, Wire::kNone,
     &PolicyMember<&PasswordPolicy::Priority>},
    {0, "UserList", Type::kNameList, 0, 0, kNoRecord, Wire::kNone,
     &PolicyMember<&PasswordPolicy::UserList>},
    {0, "GroupList", Type::kNameList, 0, 0, kNoRecord, Wire::kNone,
     &PolicyMember<&PasswordPolicy::GroupList>},
    {0, "NotificationCmd", Type::kAnsiText, kPathSize, 0, kNoRecord, Wire::kNone,
     &PolicyMember<&PasswordPolicy::NotificationCmd>},
    {0, "MinComplianceLevel", Type::kNumber, 4, 0, 0, Wire::kNextField,
     &PolicyMember<&PasswordPolicy::MinComplianceLevel>},
    {0, "MsgPolTemplate", Type::kTemplate, 0, 0, kNoRecord, Wire::kNone,
     &PolicyMember<&PasswordPolicy::MsgPolTemplate>},
    {0, "MsgRejTemplate", Type::kTemplate, 0, 0, kNoRecord, Wire::kNone,
     &PolicyMember<&PasswordPolicy::MsgRejTemplate>},
    {0, "MsgRejGeneric", Type::kTemplate, 0, 0, kNoRecord, Wire::kNone,
     &PolicyMember<&PasswordPolicy::MsgRejGeneric>},
    {0, "PolicyMessageBlock", Type::kMessageBlock, 0, 0, kNoRecord, Wire::kNone,
     &PolicyMember<&PasswordPolicy::PolicyMessageBlock>},
    {0, "RejectionMessageBlock", Type::kMessageBlock, 0, 0, kNoRecord, Wire::kNone,
     &PolicyMember<&PasswordPolicy::RejectionMessageBlock>},
}};

template <size_t... N>
constexpr std::array<PolicyField, (N + ...)> Concat(const std::array<PolicyField, N>&... parts) {
  std::array<PolicyField, (N + ...)> all{};
  size_t next = 0;
  (
      [&](const auto& part) {
        for (const PolicyField& row : part) all[next++] = row;
      }(parts),
      ...);
  return all;
}

constexpr auto kFields =
    Concat(SimilarityFields<&PasswordPolicy::rule1000>(1000),
           CharClassFields<&PasswordPolicy::rule2000>(2000),
           CharClassFields<&PasswordPolicy::rule2100>(2100),
           CharClassFields<&PasswordPolicy::rule2200>(2200),
           CharClassFields<&PasswordPolicy::rule2300>(2300),
           CharClassFields<&PasswordPolicy::rule2400>(2400),
           CharClassFields<&PasswordPolicy::rule2500>(2500), kLengthFields, kUniqueCharsFields,
           SimilarityFields<&PasswordPolicy::rule2800>(2800),
           SimilarityFields<&PasswordPolicy::rule2900>(2900), kDictionaryFields, kComplexityFields,
           kPolicyWideFields);

// The Enabled rows stand in the fixed rule order: the evaluation loop and the results rely
// on it.
constexpr bool EnabledRowsFollowTheRuleOrder() {
  size_t index = 0;
  for (const PolicyField& row : kFields) {
    if (row.type != Type::kEnabled) continue;
    if (index >= kRuleCount || row.rule != kRuleCodes[index]) return false;
    ++index;
  }
  return index == kRuleCount;
}
static_assert(EnabledRowsFollowTheRuleOrder(), "one Enabled row per rule, in rule order");

}  // namespace

PolicyFieldTable PolicyFields() {
  return {kFields.data(), kFields.size()};
}

bool IsRuleEnabled(const PasswordPolicy& policy, size_t index) {
  size_t seen = 0;
  for (const PolicyField& row : kFields) {
    if (row.type != Type::kEnabled) continue;
    if (seen++ == index) return FieldOf<uint32_t>(policy, row) != 0;
  }
  return false;
}

}  // namespace hvn
