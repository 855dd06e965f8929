// The fields of PasswordPolicy as data: one row per field with its rule, its name, its type,
// its registry limit, its default, the reply record that carries it and where it lives in
// the record. SetDefaults, the reply parser, the registry reader and the evaluation loop all
// walk this one table, so a new field is one new row.
#ifndef HVN_POLICY_POLICY_FIELDS_H_
#define HVN_POLICY_POLICY_FIELDS_H_

#include <cstddef>
#include <cstdint>

#include "policy/password_policy.h"

namespace hvn {

enum class PolicyFieldType : uint8_t {
  kEnabled,           // uint32_t flag, on exactly when the rule's reply record is present
  kNumber,            // uint32_t
  kCharSet,           // char16_t[kCharSetCapacity + 1]; ANSI in the registry form
  kAnsiText,          // char[limit], always terminated
  kClassName,         // kAnsiText whose empty registry value takes the class's own name
  kPolicyMessage,     // const char*, points into PolicyMessageBlock
  kRejectionMessage,  // const char*, points into RejectionMessageBlock
  kNameList,          // owned char*: a multi-string of names stored as ":NAME1:NAME2:"
  kTemplate,          // owned char*: a text of any length
  kMessageBlock,      // owned char*: the block that message pointers point into
};

// How a reply record fills the field.
enum class PolicyWire : uint8_t {
  kNone,       // registry form only
  kEnable,     // set to 1 when the record is present; takes no field
  kNextField,  // takes the record's next field
  kSameField,  // takes the field the row before took (one wire text, two fields)
};

// A record key no reply record has.
constexpr uint32_t kNoRecord = UINT32_MAX;

struct PolicyField {
  uint32_t rule;     // rule code; 0 for a policy-wide field
  const char* name;  // registry value "<rule>_<name>"; "<name>" when policy-wide
  PolicyFieldType type;
  uint32_t limit;          // bytes the registry value may hold
  uint32_t default_value;  // numbers and flags; texts and pointers default to empty
  uint32_t record;         // key of the reply record that carries the field, or kNoRecord
  PolicyWire wire;
  void* (*member)(PasswordPolicy& policy);  // the field inside a policy
};

// The whole table, in the order of the record (and of the registry form).
struct PolicyFieldTable {
  const PolicyField* rows;
  size_t count;
  const PolicyField* begin() const { return rows; }
  const PolicyField* end() const { return rows + count; }
};
PolicyFieldTable PolicyFields();

// The field of `row` inside `policy`, as the type the row's type names.
template <typename T>
T& FieldOf(PasswordPolicy& policy, const PolicyField& row) {
  return *static_cast<T*>(row.member(policy));
}
template <typename T>
const T& FieldOf(const PasswordPolicy& policy, const PolicyField& row) {
  return *static_cast<const T*>(row.member(const_cast<PasswordPolicy&>(policy)));
}

// Whether the rule at `index` of the fixed order (kRuleCodes) is enabled.
bool IsRuleEnabled(const PasswordPolicy& policy, size_t index);

}  // namespace hvn

#endif  // HVN_POLICY_POLICY_FIELDS_H_
