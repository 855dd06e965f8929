// The password policy of one user of one domain: thirteen rules, each known by its code, and
// the policy-wide threshold. The clients fill it from the policy server's reply
// (ParsePolicyReply); it also has a registry form (ReadValues).
#ifndef HVN_POLICY_PASSWORD_POLICY_H_
#define HVN_POLICY_PASSWORD_POLICY_H_

#include <cstddef>
#include <cstdint>

#include "config/registry_record.h"
#include "platform/registry.h"

namespace hvn {

constexpr size_t kRuleCount = 13;
// The rule codes in their fixed order: the order of RuleResults and of the rejection request.
constexpr uint32_t kRuleCodes[kRuleCount] = {1000, 2000, 2100, 2200, 2300, 2400, 2500,
                                             2600, 2700, 2800, 2900, 3000, 3100};

constexpr size_t kCharSetCapacity = 256;        // characters a CharSet keeps
constexpr size_t kCharSetNameSize = 128;        // bytes
constexpr size_t kPathSize = 260;               // bytes, terminator included
constexpr size_t kRule2900TextCapacity = 1024;  // characters, as both clients pass it

// Rules 1000, 2800, 2900.
struct SimilarityRule {
  uint32_t Enabled;
  uint32_t Bidir;
  uint32_t Substitute;
  uint32_t Tolerance;
  const char* msg_Pol;  // registry form only; points into the policy-message block
  const char* msg_Rej;  // registry form only; points into the rejection-message block
};

// Rules 2000 to 2500.
struct CharClassRule {
  uint32_t Enabled;
  uint32_t MustContain;
  // Up to 256 characters; one more element keeps the text terminated even when full.
  char16_t CharSet[kCharSetCapacity + 1];
  char CharSetName[kCharSetNameSize];
  uint32_t MinCount;
  uint32_t Embedded;
  uint32_t StartPos;
  uint32_t EndPos;
  const char* msg_Pol;
  const char* msg_Rej;
};

// Rule 2600.
struct LengthRule {
  uint32_t Enabled;
  uint32_t MinLength;
  uint32_t MaxLength;
  uint32_t Exactly7or14;
  const char* msg_Pol;
  const char* msg_Rej;
};

// Rule 2700.
struct UniqueCharsRule {
  uint32_t Enabled;
  uint32_t MinUniqueChars;
  const char* msg_Pol;
  const char* msg_Rej;
};

// Rule 3000.
struct DictionaryRule {
  uint32_t Enabled;
  char ServerDictFile[kPathSize];
  char ClientDictFile[kPathSize];
  uint32_t Bidir;
  uint32_t Substitute;
  uint32_t Tolerance;
  uint32_t Wildcard;
  const char* msg_Pol;
  const char* msg_Rej;
};

// Rule 3100.
struct ComplexityRule {
  uint32_t Enabled;
  uint32_t csAlpha;
  uint32_t csUpperAlpha;
  uint32_t csLowerAlpha;
  uint32_t csNumeric;
  uint32_t csSpecial;
  uint32_t csHigh;
  uint32_t MinComplianceLevel;
  uint32_t MustComply;
  const char* msg_Pol;
  const char* msg_Rej;
};

// A registry-backed record (RegistryRecord): its three virtual operations keep the slots and
// the order of that base, so the policy's layout is that of a registry record.
class PasswordPolicy : public RegistryRecord {
 public:
  // Owned pointers start empty; then every field takes its default.
  PasswordPolicy();
  // Releases the owned heap blocks.
  ~PasswordPolicy() override;
  PasswordPolicy(const PasswordPolicy&) = delete;
  PasswordPolicy& operator=(const PasswordPolicy&) = delete;

  // Every field takes its default; the owned heap blocks are released and left empty.
  // Returns 0.
  uint32_t SetDefaults() override;
  // Reads the registry form from an open key: every value of the form in order, the user and
  // group lists as ":NAME1:NAME2:", the two message blocks that msg_Pol and msg_Rej point
  // into, and the three templates. Missing or unusable values keep their defaults. Returns 0.
  uint32_t ReadValues(HKEY key) override;
  // The policy is never written: returns ERROR_NOT_SUPPORTED.
  uint32_t WriteValues(HKEY key) override;

  SimilarityRule rule1000;
  CharClassRule rule2000;
  CharClassRule rule2100;
  CharClassRule rule2200;
  CharClassRule rule2300;
  CharClassRule rule2400;
  CharClassRule rule2500;
  LengthRule rule2600;
  UniqueCharsRule rule2700;
  SimilarityRule rule2800;
  SimilarityRule rule2900;
  DictionaryRule rule3000;
  ComplexityRule rule3100;
  uint32_t Priority;
  char* UserList;   // owned heap text, registry form only
  char* GroupList;  // owned heap text, registry form only
  char NotificationCmd[kPathSize];
  uint32_t MinComplianceLevel;  // 0: acceptable when no rule failed; n: when n rules passed
  char* MsgPolTemplate;         // owned heap texts, registry form only
  char* MsgRejTemplate;
  char* MsgRejGeneric;
  char* PolicyMessageBlock;     // owned; the thirteen msg_Pol point into it
  char* RejectionMessageBlock;  // owned; the thirteen msg_Rej point into it

  // The six class rules in class order (class 1 = rule 2000 ... class 6 = rule 2500). A class
  // number outside 1 to 6 is a programming error (asserted).
  CharClassRule& ClassRule(int class_number);
  const CharClassRule& ClassRule(int class_number) const;
};

}  // namespace hvn

#endif  // HVN_POLICY_PASSWORD_POLICY_H_
