#include "serve/policy_messages.h"

#include <algorithm>
#include <utility>

#include "base/rule_description.h"
#include "base/utf8_text.h"
#include "policy/policy_fields.h"

namespace hvn::tool {
namespace {

const char16_t kDefaultPolicyTemplate[] = u"Password policy for {user} of {domain}:{nl}{rules}";
const char16_t kDefaultRejectionTemplate[] =
    u"Your new password does not meet the password policy of {domain}:{nl}{rules}";

const char* RuleText(const PasswordPolicy& policy, size_t index, bool rejection) {
  const char* const policy_texts[kRuleCount] = {
      policy.rule1000.msg_Pol, policy.rule2000.msg_Pol, policy.rule2100.msg_Pol,
      policy.rule2200.msg_Pol, policy.rule2300.msg_Pol, policy.rule2400.msg_Pol,
      policy.rule2500.msg_Pol, policy.rule2600.msg_Pol, policy.rule2700.msg_Pol,
      policy.rule2800.msg_Pol, policy.rule2900.msg_Pol, policy.rule3000.msg_Pol,
      policy.rule3100.msg_Pol};
  const char* const rejection_texts[kRuleCount] = {
      policy.rule1000.msg_Rej, policy.rule2000.msg_Rej, policy.rule2100.msg_Rej,
      policy.rule2200.msg_Rej, policy.rule2300.msg_Rej, policy.rule2400.msg_Rej,
      policy.rule2500.msg_Rej, policy.rule2600.msg_Rej, policy.rule2700.msg_Rej,
      policy.rule2800.msg_Rej, policy.rule2900.msg_Rej, policy.rule3000.msg_Rej,
      policy.rule3100.msg_Rej};
  return rejection ? rejection_texts[index] : policy_texts[index];
}

std::u16string Expand(const std::u16string& text,
                      const std::vector<std::pair<std::u16string, std::u16string>>& values) {
  std::u16string out;
  for (size_t i = 0; i < text.size();) {
    bool replaced = false;
    if (text[i] == u'{') {
      for (const auto& [name, value] : values) {
        if (text.compare(i, name.size(), name) == 0) {
          out += value;
          i += name.size();
          replaced = true;
          break;
        }
      }
    }
    if (!replaced) out += text[i++];
  }
  return out;
}

}  // namespace

std::u16string ComposeMessage(MessageKind kind, const StoredPolicy& stored,
                              const std::u16string& domain, const std::u16string& user,
                              const std::vector<uint32_t>& failed_codes) {
  const PasswordPolicy& policy = stored.policy;
  std::u16string codes;
  std::vector<size_t> listed;
  for (size_t i = 0; i < kRuleCount; ++i) {
    if (std::find(failed_codes.begin(), failed_codes.end(), kRuleCodes[i]) == failed_codes.end())
      continue;
    if (!codes.empty()) codes += u", ";
    codes += Widen(std::to_string(kRuleCodes[i]).c_str());
    listed.push_back(i);
  }
  bool rejection_texts = kind == MessageKind::kRejection && !listed.empty();
  if (!rejection_texts) {
    listed.clear();
    for (size_t i = 0; i < kRuleCount; ++i)
      if (IsRuleEnabled(policy, i)) listed.push_back(i);
  }
  std::vector<std::pair<std::u16string, std::u16string>> values = {
      {u"{user}", user},
      {u"{domain}", domain},
      {u"{policy}", FromAnsi(stored.name)},
      {u"{codes}", codes},
      {u"{nl}", u"\n"}};
  std::u16string rules;
  for (size_t index : listed) {
    const char* own = RuleText(policy, index, rejection_texts);
    std::u16string text = own != nullptr && own[0] != '\0'
                              ? Expand(FromAnsi(own), values)
                              : DescribeRule(policy, index, stored.rule2900_text);
    if (!rules.empty()) rules += u"\n";
    rules += text;
  }
  values.push_back({u"{rules}", rules});

  const char* own_template = kind == MessageKind::kPolicy      ? policy.MsgPolTemplate
                             : kind == MessageKind::kRejection ? policy.MsgRejTemplate
                                                               : policy.MsgRejGeneric;
  std::u16string message_template = own_template != nullptr && own_template[0] != '\0'
                                        ? FromAnsi(own_template)
                                    : kind == MessageKind::kPolicy ? kDefaultPolicyTemplate
                                                                   : kDefaultRejectionTemplate;
  std::u16string message = Expand(message_template, values);
  for (char16_t& c : message)
    if (c == u'\a' || c == u'\0') c = u' ';
  if (message.size() > kMaxMessageCharacters) {
    size_t cut = kMaxMessageCharacters;
    if (message[cut - 1] >= 0xD800 && message[cut - 1] <= 0xDBFF) --cut;
    message.resize(cut);
  }
  return message;
}

}  // namespace hvn::tool
