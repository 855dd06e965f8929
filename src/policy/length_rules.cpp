#include "policy/length_rules.h"

namespace hvn {
namespace {

// The new password's length, never beyond its array.
uint32_t NewLength(const CheckContext& context) {
  uint32_t length = context.NewPasswordLength;
  return length < kContextTextSize ? length : static_cast<uint32_t>(kContextTextSize - 1);
}

}  // namespace

RuleOutcome CheckLength(const CheckContext& context, uint32_t min_length, uint32_t max_length,
                        uint32_t exactly_7_or_14) {
  uint32_t length = context.NewPasswordLength;
  if (exactly_7_or_14 == 1)
    return (length == 7 || length == 14) ? RuleOutcome::kPassed : RuleOutcome::kFailed;
  bool lower_holds = min_length == 0 || length >= min_length;
  bool upper_holds = max_length == 0 || length <= max_length;
  return (lower_holds && upper_holds) ? RuleOutcome::kPassed : RuleOutcome::kFailed;
}

RuleOutcome CheckUniqueChars(const CheckContext& context, uint32_t min_unique_chars) {
  uint32_t length = NewLength(context);
  const char16_t* password = context.NewPassword;
  uint32_t count = 0;
  for (uint32_t i = 0; i < length; ++i) {
    uint32_t first = 0;
    while (password[first] != password[i]) ++first;
    if (first == i) ++count;
  }
  return count < min_unique_chars ? RuleOutcome::kFailed : RuleOutcome::kPassed;
}

}  // namespace hvn
