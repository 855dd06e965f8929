#include "policy/char_class.h"

#include <cstring>

#include "platform/ansi_text.h"

namespace hvn {

bool IsClassChar(char16_t c, uint32_t class_number) {
  bool upper = c >= u'A' && c <= u'Z';
  bool lower = c >= u'a' && c <= u'z';
  bool digit = c >= u'0' && c <= u'9';
  switch (class_number) {
    case kClassAlpha:
      return upper || lower;
    case kClassUpperAlpha:
      return upper;
    case kClassLowerAlpha:
      return lower;
    case kClassNumeric:
      return digit;
    case kClassSpecial:
      return c != u'\0' && !upper && !lower && !digit;
    case kClassHigh:
      return c >= 127;
    default:
      return false;
  }
}

bool IsInClass(char16_t c, const char16_t* custom_set, uint32_t class_number) {
  size_t set_length = custom_set ? platform::BoundedLength(custom_set, kCharSetCapacity) : 0;
  if (set_length == 0) return IsClassChar(c, class_number);
  for (size_t i = 0; i < set_length; ++i) {
    if (custom_set[i] == c) return true;
  }
  return false;
}

size_t SelectRegion(char16_t (&out)[kRegionSize], const char16_t* password, uint32_t start_pos,
                    uint32_t end_pos, uint32_t embedded, const char16_t* custom_set,
                    uint32_t class_number) {
  std::memset(out, 0, sizeof(out));
  size_t length = password ? platform::BoundedLength(password, kRegionSize - 1) : 0;
  if (embedded != 0) {
    start_pos = 0;
    end_pos = 0;
  }
  size_t first = 0;      // index of the region's first character
  size_t last = length;  // one past its last character
  if (start_pos != 0) {
    first = start_pos - 1;
    if (end_pos != 0 && end_pos < length) last = end_pos;
    if (first >= last) first = last;  // beyond the end, or an end before the start: empty
  } else if (end_pos != 0) {
    if (end_pos < length) last = end_pos;
  } else if (embedded != 0) {
    while (first < last && IsInClass(password[first], custom_set, class_number)) ++first;
    while (last > first && IsInClass(password[last - 1], custom_set, class_number)) --last;
  }
  size_t region_length = last - first;
  std::memcpy(out, password + first, region_length * sizeof(char16_t));
  return region_length;
}

RuleOutcome CheckCharClass(const CheckContext& context, const char16_t* custom_set,
                           uint32_t must_contain, uint32_t min_count, uint32_t embedded,
                           uint32_t start_pos, uint32_t end_pos, uint32_t class_number) {
  if (embedded != 0) {
    start_pos = 0;
    end_pos = 0;
  }
  char16_t region[kRegionSize];
  size_t region_length = SelectRegion(region, context.NewPassword, start_pos, end_pos, embedded,
                                      custom_set, class_number);
  uint32_t count = 0;
  for (size_t i = 0; i < region_length; ++i) {
    if (IsInClass(region[i], custom_set, class_number)) ++count;
  }
  if (must_contain != 0) return count < min_count ? RuleOutcome::kFailed : RuleOutcome::kPassed;
  return count > 0 ? RuleOutcome::kFailed : RuleOutcome::kPassed;
}

RuleOutcome CheckClassRule(const CheckContext& context, const CharClassRule& rule,
                           uint32_t class_number) {
  return CheckCharClass(context, rule.CharSet, rule.MustContain, rule.MinCount, rule.Embedded,
                        rule.StartPos, rule.EndPos, class_number);
}

}  // namespace hvn
