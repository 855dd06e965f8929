#include "serve/policy_messages.h"

#include <algorithm>
#include <iterator>
#include <string_view>
#include <utility>

#include "base/rule_description.h"
#include "base/utf8_text.h"
#include "policy/policy_fields.h"

namespace hvn::tool {
namespace {

const char16_t kDefaultPolicyTemplate[] = u"Password policy for {user} of {domain}:{nl}{rules}";
const char16_t kDefaultRejectionTemplate[] =
    u"Your new password does not meet the password policy of {domain}:{nl}{rules}";

// The rule's own policy or rejection text ("2600msg_Pol", "2600msg_Rej"), from the field table.
const char* RuleText(const PasswordPolicy& policy, size_t index, bool rejection) {
  const PolicyFieldType type =
      rejection ? PolicyFieldType::kRejectionMessage : PolicyFieldType::kPolicyMessage;
  for (const PolicyField& row : PolicyFields())
    if (row.rule == kRuleCodes[index] && row.type == type) return FieldOf<const char*>(policy, row);
  return nullptr;
}

// The message as it is written: never more than kMaxMessageCharacters, whatever is appended.
class MessageText {
 public:
  MessageText() { text_.reserve(kMaxMessageCharacters); }
  bool Full() const { return full_; }
  void Append(char16_t c) {
    if (text_.size() >= kMaxMessageCharacters) {
      full_ = true;
      return;
    }
    text_ += c == u'\a' || c == u'\0' ? u' ' : c;
  }
  void Append(const std::u16string& text) {
    for (size_t i = 0; i < text.size() && !full_; ++i) Append(text[i]);
  }
  std::u16string Finish() {
    // A cut message never ends on the first half of a surrogate pair.
    if (full_ && !text_.empty() && text_.back() >= 0xD800 && text_.back() <= 0xDBFF)
      text_.pop_back();
    return std::move(text_);
  }

 private:
  std::u16string text_;
  bool full_ = false;
};

// What the placeholders stand for in one message.
struct Placeholders {
  const StoredPolicy& stored;
  const std::u16string& user;
  const std::u16string& domain;
  std::u16string policy;
  std::u16string codes;
  std::vector<size_t> rules;  // the indexes {rules} lists
  bool rejection_texts;       // {rules} shows the rules' rejection texts
};

void Expand(const std::u16string& text, const Placeholders& values, bool with_rules,
            MessageText& out);

// {rules}: one line per listed rule, its own text (placeholders expanded, {rules} excepted)
// or its description.
void WriteRules(const Placeholders& values, MessageText& out) {
  bool first = true;
  for (size_t index : values.rules) {
    if (out.Full()) return;
    if (!first) out.Append(u'\n');
    first = false;
    const char* own = RuleText(values.stored.policy, index, values.rejection_texts);
    if (own != nullptr && own[0] != '\0')
      Expand(FromAnsi(own), values, false, out);
    else
      out.Append(DescribeRule(values.stored.policy, index, values.stored.rule2900_text));
  }
}

// Writes `text` with its placeholders replaced, stopping as soon as `out` is full.
void Expand(const std::u16string& text, const Placeholders& values, bool with_rules,
            MessageText& out) {
  static const std::u16string kLineBreak = u"\n";
  const std::pair<std::u16string_view, const std::u16string*> names[] = {
      {u"{user}", &values.user},   {u"{domain}", &values.domain}, {u"{policy}", &values.policy},
      {u"{codes}", &values.codes}, {u"{nl}", &kLineBreak},
  };
  const std::u16string_view rules = u"{rules}";
  for (size_t i = 0; i < text.size() && !out.Full();) {
    auto at = [&](std::u16string_view name) { return text.compare(i, name.size(), name) == 0; };
    const auto named = std::find_if(std::begin(names), std::end(names),
                                    [&](const auto& n) { return at(n.first); });
    if (named != std::end(names)) {
      out.Append(*named->second);
      i += named->first.size();
    } else if (with_rules && at(rules)) {
      WriteRules(values, out);
      i += rules.size();
    } else {
      out.Append(text[i++]);
    }
  }
}

}  // namespace

std::u16string ComposeMessage(MessageKind kind, const StoredPolicy& stored,
                              const std::u16string& domain, const std::u16string& user,
                              const std::vector<uint32_t>& failed_codes) {
  const PasswordPolicy& policy = stored.policy;
  Placeholders values{stored, user, domain, FromAnsi(stored.name), u"", {}, false};
  for (size_t i = 0; i < kRuleCount; ++i) {
    if (std::find(failed_codes.begin(), failed_codes.end(), kRuleCodes[i]) == failed_codes.end())
      continue;
    if (!values.codes.empty()) values.codes += u", ";
    values.codes += Widen(std::to_string(kRuleCodes[i]).c_str());
    values.rules.push_back(i);
  }
  values.rejection_texts = kind == MessageKind::kRejection && !values.rules.empty();
  if (!values.rejection_texts) {
    values.rules.clear();
    for (size_t i = 0; i < kRuleCount; ++i)
      if (IsRuleEnabled(policy, i)) values.rules.push_back(i);
  }
  const std::u16string& own_template = stored.templates[static_cast<int>(kind)];
  const std::u16string message_template = !own_template.empty() ? own_template
                                          : kind == MessageKind::kPolicy
                                              ? kDefaultPolicyTemplate
                                              : kDefaultRejectionTemplate;
  MessageText out;
  Expand(message_template, values, true, out);
  return out.Finish();
}

}  // namespace hvn::tool
