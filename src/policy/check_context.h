// The texts one evaluation of a proposed password works on (CheckContext): the user name and
// the old and new password as typed and upper-cased, cut to 127 characters, and the rule-2900
// text.
#ifndef HVN_POLICY_CHECK_CONTEXT_H_
#define HVN_POLICY_CHECK_CONTEXT_H_

#include <cstddef>
#include <cstdint>

#include "policy/password_policy.h"

namespace hvn {

constexpr size_t kContextTextSize = 256;     // characters per text field
constexpr uint32_t kMaxContextLength = 127;  // characters kept of each text

struct CheckContext {
  char16_t UserName[kContextTextSize];
  char16_t OldPassword[kContextTextSize];
  char16_t NewPassword[kContextTextSize];
  uint32_t UserNameLength;
  uint32_t OldPasswordLength;
  uint32_t NewPasswordLength;
  char16_t UserNameUpper[kContextTextSize];
  char16_t OldPasswordUpper[kContextTextSize];
  char16_t NewPasswordUpper[kContextTextSize];
  char16_t Rule2900Text[kRule2900TextCapacity];
};

// Clears the context and copies the four texts into it, each cut to 127 characters; the
// user name and passwords also upper-cased (a-z only). Each text comes with its length in
// bytes (twice its characters, without the terminator; an odd count is rounded down, and a text
// also ends at its first NUL); a null text stays empty with length 0.
void PrepareCheckContext(CheckContext& context, const char16_t* user_name, uint32_t user_bytes,
                         const char16_t* old_password, uint32_t old_bytes,
                         const char16_t* new_password, uint32_t new_bytes,
                         const char16_t* rule2900_text, uint32_t rule2900_bytes);

// Overwrites the whole context (texts and lengths) with zeros, so no password stays in memory
// after a check. The check flow calls it once the results are taken.
void ClearCheckContext(CheckContext& context);

// Upper-cases the 26 letters a-z only; every other character, accented letters included, is
// returned unchanged. The similarity and dictionary rules ignore case through this mapping.
char16_t ToUpperAsciiLetter(char16_t c);
void UpperCaseAsciiLetters(char16_t* text, size_t length);

}  // namespace hvn

#endif  // HVN_POLICY_CHECK_CONTEXT_H_
