// The policies a policy server keeps, in the registry form the policy engine reads: under one
// key, a subkey of "Policies" per policy and, in "Groups", one multi-string value per group
// naming its members. Rule 2900's text, which the wire form carries and the registry form has
// no field for, is the policy's "2900_Text" value.
#ifndef HVN_TOOLS_HVNPOLICY_BASE_POLICY_STORE_H_
#define HVN_TOOLS_HVNPOLICY_BASE_POLICY_STORE_H_

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "policy/password_policy.h"

namespace hvn::tool {

// Where the policies are kept unless told otherwise.
constexpr char kDefaultPolicyKey[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Norvex\\hvnpolicy";

// Upper-case names, sorted, for lookups.
using NameSet = std::vector<std::string>;

struct StoredPolicy {
  std::string name;  // the subkey's name
  PasswordPolicy policy;
  char16_t rule2900_text[kRule2900TextCapacity] = {};
  std::string wire;  // the reply to 30_POLICY: the wire form's UTF-16LE bytes, formed once
  // MsgPolTemplate, MsgRejTemplate and MsgRejGeneric in UTF-16, converted once (empty: none).
  std::u16string templates[3];
  // Who the policy applies to, resolved when loaded: everyone (neither list names anybody),
  // or the names of its user list and the member sets of the groups its group list names.
  bool for_everyone = false;
  NameSet users;
  std::vector<const NameSet*> groups;
};

class PolicyStore {
 public:
  // Loads every policy under `root`\`path`\Policies and the groups of `root`\`path`\Groups
  // (replacing what was loaded before). Returns false, with the reason in `error`, when the
  // key cannot be opened, holds no policy, or holds a policy whose wire form a client could
  // not read whole (the reason names the policy and its longest field): a policy is never
  // sent cut short.
  bool Load(HKEY root, const std::string& path, std::string& error);

  // The policy for `user` of `domain`: among the policies whose user list names the user
  // (as USER or DOMAIN\USER, or "*"), whose group list names a group that has the user as a
  // member (named the same ways), or that have neither list (a policy for everyone), the one
  // of the highest Priority; of equal priorities the first by name. Null when none applies.
  // Names are compared ignoring case.
  const StoredPolicy* Select(const std::u16string& domain, const std::u16string& user) const;

  // The policy of that name (ignoring case), or null.
  const StoredPolicy* Find(const std::string& name) const;

  const std::vector<std::unique_ptr<StoredPolicy>>& Policies() const { return policies_; }

 private:
  // Reads the members of every group of `groups_path` into groups_ (none when it is missing).
  void ReadGroups(HKEY root, const std::string& groups_path);

  std::vector<std::unique_ptr<StoredPolicy>> policies_;  // in name order, ignoring case
  std::map<std::string, NameSet> groups_;                // GROUP -> its members
};

// Reads "2900_Text" of the open policy key into `text` (empty when missing or too long).
void ReadRule2900Text(HKEY key, char16_t (&text)[kRule2900TextCapacity]);

}  // namespace hvn::tool

#endif  // HVN_TOOLS_HVNPOLICY_BASE_POLICY_STORE_H_
