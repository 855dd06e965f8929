// The six character classes and the character-set rules 2000 to 2500: how many characters of a
// class the new password holds within a chosen region.
#ifndef HVN_POLICY_CHAR_CLASS_H_
#define HVN_POLICY_CHAR_CLASS_H_

#include <cstddef>
#include <cstdint>

#include "policy/check_context.h"
#include "policy/password_policy.h"
#include "policy/rule_results.h"

namespace hvn {

// Class numbers.
enum : uint32_t {
  kClassAlpha = 1,
  kClassUpperAlpha = 2,
  kClassLowerAlpha = 3,
  kClassNumeric = 4,
  kClassSpecial = 5,
  kClassHigh = 6,
};

constexpr size_t kRegionSize = 256;  // characters of the region buffer, terminator included

// Whether `c` is a built-in member of the class (per UTF-16 code unit); false also for a
// class number outside 1 to 6.
bool IsClassChar(char16_t c, uint32_t class_number);

// Whether `c` is in the class: in `custom_set` when that is not empty (at most 256 characters
// are looked at), else by the built-in definition.
bool IsInClass(char16_t c, const char16_t* custom_set, uint32_t class_number);

// Writes the counted region of `password` (at most 255 characters are looked at) into `out`,
// always terminated; returns its length. Positions count from 1. With `embedded` on, the
// positions are not used and the leading and trailing runs of class characters are dropped.
// A non-zero `end_pos` below a non-zero `start_pos` gives an empty region.
size_t SelectRegion(char16_t (&out)[kRegionSize], const char16_t* password, uint32_t start_pos,
                    uint32_t end_pos, uint32_t embedded, const char16_t* custom_set,
                    uint32_t class_number);

// Counts the class characters of the region of the context's new password (as typed). With
// `must_contain` on: failed when fewer than `min_count`, else passed; off: failed when any,
// else passed.
RuleOutcome CheckCharClass(const CheckContext& context, const char16_t* custom_set,
                           uint32_t must_contain, uint32_t min_count, uint32_t embedded,
                           uint32_t start_pos, uint32_t end_pos, uint32_t class_number);

// CheckCharClass with the fields of a class rule (rules 2000 to 2500 are classes 1 to 6).
RuleOutcome CheckClassRule(const CheckContext& context, const CharClassRule& rule,
                           uint32_t class_number);

}  // namespace hvn

#endif  // HVN_POLICY_CHAR_CLASS_H_
