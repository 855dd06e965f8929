#include "policy_wire.h"

#include "policy/policy_reply.h"
#include "utf8_text.h"

namespace hvn::tool {
namespace {

class RecordWriter {
 public:
  RecordWriter(std::u16string& reply, std::vector<std::string>& problems, uint32_t code)
      : reply_(reply), problems_(problems), code_(code) {
    record_ = Widen(std::to_string(code).c_str());
  }
  ~RecordWriter() {
    if (record_.size() > kMaxRecordLength)
      problems_.push_back("the record of rule " + std::to_string(code_) + " has " +
                          std::to_string(record_.size()) +
                          " characters; the client reads only the first 1,023");
    reply_ += record_;
    reply_ += u'\a';
  }
  // Numbers above 2^31 - 1 go as their negative 32-bit form, which reads back the same.
  RecordWriter& Number(uint32_t value) {
    int32_t as_signed = static_cast<int32_t>(value);
    record_ += u'\t';
    record_ += Widen(std::to_string(as_signed).c_str());
    return *this;
  }
  RecordWriter& Text(const std::u16string& text, const char* what) {
    record_ += u'\t';
    bool dropped = false;
    for (char16_t c : text) {
      if (c == u'\t' || c == u'\a' || c == u'\0') {
        dropped = true;
        continue;
      }
      record_ += c;
    }
    if (dropped)
      problems_.push_back(std::string(what) + " of rule " + std::to_string(code_) +
                          " holds TAB or BEL, which the wire form cannot carry: left out");
    return *this;
  }

 private:
  std::u16string& reply_;
  std::vector<std::string>& problems_;
  uint32_t code_;
  std::u16string record_;
};

std::u16string Chars(const char16_t* text) {
  return text != nullptr ? std::u16string(text) : std::u16string();
}

void Similarity(std::u16string& reply, std::vector<std::string>& problems, uint32_t code,
                const SimilarityRule& rule) {
  RecordWriter(reply, problems, code)
      .Number(rule.Bidir)
      .Number(rule.Substitute)
      .Number(rule.Tolerance);
}

}  // namespace

std::u16string FormatPolicyReply(const PasswordPolicy& policy, const char16_t* rule2900_text,
                                 std::vector<std::string>& problems) {
  std::u16string reply;
  if (policy.MinComplianceLevel != 0)
    RecordWriter(reply, problems, 0).Number(policy.MinComplianceLevel);
  if (policy.rule1000.Enabled != 0) Similarity(reply, problems, 1000, policy.rule1000);
  for (int class_number = 1; class_number <= 6; ++class_number) {
    const CharClassRule& rule = policy.ClassRule(class_number);
    if (rule.Enabled == 0) continue;
    RecordWriter(reply, problems, kRuleCodes[class_number])
        .Number(rule.MustContain)
        .Text(Chars(rule.CharSet), "the character set")
        .Number(rule.MinCount)
        .Number(rule.Embedded)
        .Number(rule.StartPos)
        .Number(rule.EndPos);
  }
  if (policy.rule2600.Enabled != 0) {
    RecordWriter(reply, problems, 2600)
        .Number(policy.rule2600.MinLength)
        .Number(policy.rule2600.MaxLength)
        .Number(policy.rule2600.Exactly7or14);
  }
  if (policy.rule2700.Enabled != 0)
    RecordWriter(reply, problems, 2700).Number(policy.rule2700.MinUniqueChars);
  if (policy.rule2800.Enabled != 0) Similarity(reply, problems, 2800, policy.rule2800);
  if (policy.rule2900.Enabled != 0) {
    RecordWriter(reply, problems, 2900)
        .Number(policy.rule2900.Bidir)
        .Number(policy.rule2900.Substitute)
        .Number(policy.rule2900.Tolerance)
        .Text(Chars(rule2900_text), "the text");
  }
  const DictionaryRule& dictionary = policy.rule3000;
  if (dictionary.Enabled != 0) {
    const char* path = dictionary.ClientDictFile[0] != '\0' ? dictionary.ClientDictFile
                                                            : dictionary.ServerDictFile;
    RecordWriter(reply, problems, 3000)
        .Text(FromAnsi(path), "the dictionary path")
        .Number(dictionary.Bidir)
        .Number(dictionary.Substitute)
        .Number(dictionary.Tolerance);
  }
  if (dictionary.Wildcard != 0) RecordWriter(reply, problems, 3001).Number(dictionary.Wildcard);
  const ComplexityRule& complexity = policy.rule3100;
  if (complexity.Enabled != 0) {
    RecordWriter record(reply, problems, 3100);
    record.Number(complexity.csAlpha)
        .Number(complexity.csUpperAlpha)
        .Number(complexity.csLowerAlpha)
        .Number(complexity.csNumeric)
        .Number(complexity.csSpecial)
        .Number(complexity.csHigh)
        .Number(complexity.MinComplianceLevel)
        .Number(complexity.MustComply);
    // The record replaces all six character sets, so it carries those of the class rules.
    for (int class_number = 1; class_number <= 6; ++class_number)
      record.Text(Chars(policy.ClassRule(class_number).CharSet), "the character set");
  }
  if (reply.size() > kMaxReplyCharacters)
    problems.push_back("the policy has " + std::to_string(reply.size()) +
                       " characters on the wire; the client receives only 4,095");
  return reply;
}

}  // namespace hvn::tool
