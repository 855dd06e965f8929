#include "policy/similarity.h"

#include <cstring>

#include "platform/ansi_text.h"
#include "platform/secure_zero.h"

namespace hvn {
namespace {

char16_t LookalikeLetter(char16_t c) {
  switch (c) {
    case u'!':
    case u'1':
    case u'|':
      return u'I';
    case u'$':
    case u'5':
      return u'S';
    case u'(':
    case u'<':
    case u'[':
    case u'{':
      return u'C';
    case u')':
    case u'>':
    case u']':
    case u'}':
      return u'D';
    case u'+':
      return u'T';
    case u'0':
      return u'O';
    case u'2':
      return u'Z';
    case u'3':
    case u'8':
      return u'B';
    case u'6':
    case u'9':
      return u'G';
    case u'^':
      return u'A';
    default:
      return c;
  }
}

// Whether the `run_length` characters at `run` occur in the haystack.
bool ContainsRun(const char16_t* haystack, size_t haystack_length, const char16_t* run,
                 size_t run_length) {
  if (run_length > haystack_length) return false;
  for (size_t start = 0; start + run_length <= haystack_length; ++start) {
    if (std::memcmp(haystack + start, run, run_length * sizeof(char16_t)) == 0) return true;
  }
  return false;
}

// Copies `text` reversed into `out` (kContextTextSize characters, terminated).
void ReverseInto(char16_t (&out)[kContextTextSize], const char16_t* text) {
  std::memset(out, 0, sizeof(out));
  size_t length = platform::BoundedLength(text, kMaxSourceLength);
  for (size_t i = 0; i < length; ++i) out[i] = text[length - 1 - i];
}

RuleOutcome CheckWithWindow(const SimilarityRule& rule, const char16_t* haystack,
                            const char16_t* source) {
  return CheckSimilarity(haystack, source, rule.Bidir, rule.Substitute, rule.Tolerance + 1u);
}

}  // namespace

size_t SubstituteLookalikes(char16_t* out, const char16_t* text, size_t out_bytes) {
  size_t capacity = out_bytes / sizeof(char16_t);
  if (capacity > 0) std::memset(out, 0, capacity * sizeof(char16_t));
  size_t length = 0;
  while (text[length] != u'\0') {
    if (length + 1 < capacity) out[length] = LookalikeLetter(text[length]);
    ++length;
  }
  return length;
}

bool IsSimilar(const char16_t* haystack, const char16_t* source, uint32_t window) {
  if (window > kMaxWindow) window = kMaxWindow;
  size_t haystack_length = platform::BoundedLength(haystack, kMaxHaystackLength);
  size_t source_length = platform::BoundedLength(source, kMaxSourceLength);
  if (source_length < window) return false;
  for (size_t i = 0; i + window <= source_length; ++i) {
    if (ContainsRun(haystack, haystack_length, source + i, window)) return true;
  }
  return false;
}

RuleOutcome CheckSimilarity(const char16_t* haystack, const char16_t* source, uint32_t bidir,
                            uint32_t substitute, uint32_t window) {
  if (IsSimilar(haystack, source, window)) return RuleOutcome::kFailed;
  char16_t reversed[kContextTextSize];
  RuleOutcome outcome = RuleOutcome::kPassed;
  if (bidir != 0) {
    ReverseInto(reversed, source);
    if (IsSimilar(haystack, reversed, window)) outcome = RuleOutcome::kFailed;
  }
  if (outcome == RuleOutcome::kPassed && substitute != 0) {
    char16_t haystack_substituted[kRule2900TextCapacity];
    char16_t source_substituted[kContextTextSize];
    SubstituteLookalikes(haystack_substituted, haystack, sizeof(haystack_substituted));
    SubstituteLookalikes(source_substituted, source, sizeof(source_substituted));
    if (IsSimilar(haystack_substituted, source_substituted, window)) {
      outcome = RuleOutcome::kFailed;
    } else if (bidir != 0) {
      ReverseInto(reversed, source_substituted);
      if (IsSimilar(haystack_substituted, reversed, window)) outcome = RuleOutcome::kFailed;
    }
    platform::SecureZero(haystack_substituted, sizeof(haystack_substituted));
    platform::SecureZero(source_substituted, sizeof(source_substituted));
  }
  platform::SecureZero(reversed, sizeof(reversed));
  return outcome;
}

RuleOutcome CheckRule1000(const CheckContext& context, const SimilarityRule& rule) {
  if (context.OldPasswordLength == 0 || context.NewPasswordLength == 0)
    return RuleOutcome::kNotEvaluated;
  bool new_is_haystack = context.NewPasswordLength >= context.OldPasswordLength;
  const char16_t* haystack = new_is_haystack ? context.NewPasswordUpper : context.OldPasswordUpper;
  const char16_t* source = new_is_haystack ? context.OldPasswordUpper : context.NewPasswordUpper;
  return CheckWithWindow(rule, haystack, source);
}

RuleOutcome CheckRule2800(const CheckContext& context, const SimilarityRule& rule) {
  return CheckWithWindow(rule, context.UserNameUpper, context.NewPasswordUpper);
}

RuleOutcome CheckRule2900(const CheckContext& context, const SimilarityRule& rule) {
  char16_t text[kRule2900TextCapacity];
  std::memset(text, 0, sizeof(text));
  size_t length = platform::BoundedLength(context.Rule2900Text, kMaxHaystackLength);
  std::memcpy(text, context.Rule2900Text, length * sizeof(char16_t));
  UpperCaseAsciiLetters(text, length);
  RuleOutcome outcome = CheckWithWindow(rule, text, context.NewPasswordUpper);
  platform::SecureZero(text, sizeof(text));
  return outcome;
}

}  // namespace hvn
