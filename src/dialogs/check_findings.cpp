#include "dialogs/check_findings.h"

#include <cstdio>
#include <cstring>

#include "dialogs/recognition_triples.h"
#include "platform/ansi_text.h"
#include "policy/policy_fields.h"

namespace hvn {
namespace {

constexpr char kDiagnosticPrefix[] = "CheckDictionary: ";
constexpr uint32_t kDictionaryRuleCode = 3000;

// Appends `length` bytes of `text` to `out` (of which `used` bytes are taken), whole
// characters only, as many as fit.
void Append(char (&out)[kCheckDetailSize], size_t& used, const char* text, size_t length) {
  used += CopyWholeCharacters(out + used, sizeof(out) - used, text, length);
}

void Append(char (&out)[kCheckDetailSize], size_t& used, const char* text) {
  Append(out, used, text, std::strlen(text));
}

void AppendCode(char (&out)[kCheckDetailSize], size_t& used, uint32_t code) {
  char digits[12];
  std::snprintf(digits, sizeof(digits), "%lu", static_cast<unsigned long>(code));
  Append(out, used, digits);
}

// Why the dictionary rule could not be evaluated: its own diagnostic without the prefix and
// the line end, or that the named file could not be opened or read.
void AppendDictionaryReason(char (&out)[kCheckDetailSize], size_t& used,
                            const PasswordPolicy& policy, const char* diagnostic) {
  const size_t prefix_length = sizeof(kDiagnosticPrefix) - 1;
  if (diagnostic != nullptr && diagnostic[0] != '\0') {
    const char* reason = diagnostic;
    if (std::strncmp(reason, kDiagnosticPrefix, prefix_length) == 0) reason += prefix_length;
    size_t length = std::strlen(reason);
    while (length > 0 && (reason[length - 1] == '\n' || reason[length - 1] == '\r')) --length;
    Append(out, used, reason, length);
    return;
  }
  Append(out, used, "Dictionary <");
  Append(out, used, policy.rule3000.ServerDictFile,
         platform::BoundedLength(policy.rule3000.ServerDictFile, kPathSize));
  Append(out, used, "> could not be opened or read.");
}

}  // namespace

CheckFinding FindingOfNoReply(const SweepReport& sweep) {
  if (sweep.servers_asked[0] == '\0') return CheckFinding::kNoServerListed;
  if (sweep.answers > 0) return CheckFinding::kNoPolicy;
  if (sweep.dropped > 0) return CheckFinding::kRepliesDropped;
  return CheckFinding::kNoServerAnswered;
}

bool EnablesAnyRule(const PasswordPolicy& policy) {
  for (size_t i = 0; i < kRuleCount; ++i) {
    if (IsRuleEnabled(policy, i)) return true;
  }
  return false;
}

bool HasUnevaluatedRule(const RuleResults& results) {
  for (RuleOutcome outcome : results.Outcome) {
    if (outcome == RuleOutcome::kNotEvaluable) return true;
  }
  return false;
}

void DescribeFailedRules(const RuleResults& results, char (&out)[kCheckDetailSize]) {
  std::memset(out, 0, sizeof(out));
  size_t used = 0;
  for (size_t i = 0; i < kRuleCount; ++i) {
    if (results.Outcome[i] != RuleOutcome::kFailed) continue;
    if (used > 0) Append(out, used, ", ");
    AppendCode(out, used, kRuleCodes[i]);
  }
  if (used == 0) Append(out, used, "none; fewer rules passed than the policy requires");
}

void DescribeUnevaluatedRules(const RuleResults& results, const PasswordPolicy& policy,
                              const char* dictionary_diagnostic, char (&out)[kCheckDetailSize]) {
  std::memset(out, 0, sizeof(out));
  size_t used = 0;
  for (size_t i = 0; i < kRuleCount; ++i) {
    if (results.Outcome[i] != RuleOutcome::kNotEvaluable) continue;
    if (used > 0) Append(out, used, " ");
    Append(out, used, "rule ");
    AppendCode(out, used, kRuleCodes[i]);
    Append(out, used, ": ");
    if (kRuleCodes[i] == kDictionaryRuleCode) {
      AppendDictionaryReason(out, used, policy, dictionary_diagnostic);
    } else {
      Append(out, used, "not evaluable.");
    }
  }
}

}  // namespace hvn
