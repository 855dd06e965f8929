#include "base/rule_description.h"

#include "base/utf8_text.h"
#include "policy/check_context.h"
#include "policy/policy_fields.h"

namespace hvn::tool {
namespace {

const char* const kClassWords[6] = {
    "letters (A-Z, a-z)",
    "upper-case letters (A-Z)",
    "lower-case letters (a-z)",
    "digits (0-9)",
    "special characters (anything but A-Z, a-z and 0-9)",
    "high characters (code 127 and above)",
};
const char* const kClassNames[6] = {"Alpha",   "Uppercase Alpha", "Lowercase Alpha",
                                    "Numeric", "Special",         "High"};

std::u16string Number(uint32_t value) {
  return Widen(std::to_string(value).c_str());
}

// The similarity options of rules 1000, 2800 and 2900 and the dictionary rule.
std::u16string SimilarityWords(const char16_t* other, uint32_t tolerance, uint32_t bidir,
                               bool substitute) {
  uint32_t window = tolerance + 1u;
  std::u16string words;
  if (window == 0) {
    return u"nothing in common with " + std::u16string(other) +
           u" (Tolerance 4294967295: fails whenever evaluated)";
  }
  if (window > 255) window = 255;
  words = u"shares no run of " + Number(window) + u" characters with " + other;
  if (bidir != 0) words += u", also reversed";
  if (substitute) words += u", also with look-alike characters read as letters";
  return words;
}

std::u16string ClassWords(const CharClassRule& rule, int class_number) {
  if (rule.CharSet[0] != u'\0')
    return u"characters from the set \"" +
           std::u16string(rule.CharSet, std::char_traits<char16_t>::length(rule.CharSet)) + u"\"";
  return Widen(kClassWords[class_number - 1]);
}

std::u16string CharClassWords(const CharClassRule& rule, int class_number) {
  std::u16string words = rule.MustContain != 0 ? u"at least " + Number(rule.MinCount) + u" of " +
                                                     ClassWords(rule, class_number)
                                               : u"no " + ClassWords(rule, class_number);
  if (rule.Embedded != 0) {
    words += u", counted between the leading and the trailing run of them";
  } else if (rule.StartPos != 0) {
    words += u", counted in positions " + Number(rule.StartPos) + u" to " +
             (rule.EndPos != 0 ? Number(rule.EndPos) : std::u16string(u"the end"));
  } else if (rule.EndPos != 0) {
    words += u", counted in the first " + Number(rule.EndPos) + u" characters";
  } else {
    words += u", anywhere";
  }
  return words;
}

std::u16string LengthWords(const LengthRule& rule) {
  if (rule.Exactly7or14 == 1) return u"exactly 7 or 14 characters";
  if (rule.MinLength != 0 && rule.MaxLength != 0)
    return Number(rule.MinLength) + u" to " + Number(rule.MaxLength) + u" characters";
  if (rule.MinLength != 0) return u"at least " + Number(rule.MinLength) + u" characters";
  if (rule.MaxLength != 0) return u"at most " + Number(rule.MaxLength) + u" characters";
  return u"any length";
}

std::u16string DictionaryWords(const DictionaryRule& rule) {
  std::u16string words =
      u"not in the dictionary " + FromAnsi(rule.ServerDictFile) + u": the whole password";
  if (rule.Bidir != 0) words += u" (also reversed)";
  if (rule.Wildcard != 0) words += u", its wildcard entries";
  uint32_t window = rule.Tolerance + 1u;
  words += u", no entry of " + Number(window) + u" or more characters inside the password";
  words += rule.Substitute == 1 ? u", its letters alone or its look-alike form"
                                : u" or its letters alone";
  if (rule.Bidir != 0) words += u", each also reversed";
  return words;
}

std::u16string ComplexityWords(const ComplexityRule& rule) {
  const uint32_t flags[6] = {rule.csAlpha,   rule.csUpperAlpha, rule.csLowerAlpha,
                             rule.csNumeric, rule.csSpecial,    rule.csHigh};
  std::u16string classes;
  for (int i = 0; i < 6; ++i) {
    if (flags[i] != 1) continue;
    if (!classes.empty()) classes += u", ";
    classes += Widen(kClassNames[i]);
  }
  std::u16string words = u"characters of at least " + Number(rule.MinComplianceLevel) +
                         u" of the classes " + (classes.empty() ? u"(none)" : classes);
  if (rule.MustComply == 1) words += u"; a failure refuses the password whatever else passes";
  return words;
}

}  // namespace

std::u16string DescribeRule(const PasswordPolicy& policy, size_t index,
                            const char16_t* rule2900_text) {
  switch (index) {
    case 0:
      return u"the new password " + SimilarityWords(u"the old password", policy.rule1000.Tolerance,
                                                    policy.rule1000.Bidir,
                                                    policy.rule1000.Substitute != 0);
    case 7:
      return LengthWords(policy.rule2600);
    case 8:
      return u"at least " + Number(policy.rule2700.MinUniqueChars) + u" different characters";
    case 9:
      return u"the new password " + SimilarityWords(u"the user name", policy.rule2800.Tolerance,
                                                    policy.rule2800.Bidir,
                                                    policy.rule2800.Substitute != 0);
    case 10: {
      std::u16string text = rule2900_text != nullptr ? rule2900_text : u"";
      text = u"the text \"" + text + u"\"";
      return u"the new password " + SimilarityWords(text.c_str(), policy.rule2900.Tolerance,
                                                    policy.rule2900.Bidir,
                                                    policy.rule2900.Substitute != 0);
    }
    case 11:
      return DictionaryWords(policy.rule3000);
    case 12:
      return ComplexityWords(policy.rule3100);
    default: {
      int class_number = static_cast<int>(index);
      return CharClassWords(policy.ClassRule(class_number), class_number);
    }
  }
}

std::string DescribeThreshold(const PasswordPolicy& policy) {
  std::string words = policy.MinComplianceLevel == 0
                          ? "accepted when no rule fails"
                          : "accepted when at least " + std::to_string(policy.MinComplianceLevel) +
                                " rules pass (failed rules do not count against it)";
  if (policy.rule3100.Enabled != 0 && policy.rule3100.MustComply == 1)
    words += "; a failed rule 3100 always refuses";
  return words;
}

const char* OutcomeName(RuleOutcome outcome) {
  switch (outcome) {
    case RuleOutcome::kPassed:
      return "passed";
    case RuleOutcome::kFailed:
      return "FAILED";
    case RuleOutcome::kNotEvaluable:
      return "not evaluable";
    case RuleOutcome::kNotEvaluated:
      break;
  }
  return "not evaluated";
}

}  // namespace hvn::tool
