#include "policy/check_context.h"

#include <cstring>

#include "platform/secure_zero.h"

namespace hvn {
namespace {

constexpr uint32_t kMaxContextBytes = 255;

// Copies at most (bytes / 2, with bytes limited to 255) characters of `text`, stopping at a NUL,
// into `out`, which is zero already. Returns the characters copied.
uint32_t CopyCut(char16_t* out, const char16_t* text, uint32_t bytes) {
  if (bytes > kMaxContextBytes) bytes = kMaxContextBytes;
  uint32_t limit = bytes / 2;
  uint32_t length = 0;
  while (length < limit && text[length] != u'\0') {
    out[length] = text[length];
    ++length;
  }
  return length;
}

}  // namespace

char16_t ToUpperAsciiLetter(char16_t c) {
  return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - (u'a' - u'A')) : c;
}

void UpperCaseAsciiLetters(char16_t* text, size_t length) {
  for (size_t i = 0; i < length; ++i) text[i] = ToUpperAsciiLetter(text[i]);
}

void PrepareCheckContext(CheckContext& context, const char16_t* user_name, uint32_t user_bytes,
                         const char16_t* old_password, uint32_t old_bytes,
                         const char16_t* new_password, uint32_t new_bytes,
                         const char16_t* rule2900_text, uint32_t rule2900_bytes) {
  platform::SecureZero(&context, sizeof(context));
  struct Entry {
    const char16_t* text;
    uint32_t bytes;
    char16_t* field;
    char16_t* upper;
    uint32_t* length;
  };
  const Entry entries[] = {
      {user_name, user_bytes, context.UserName, context.UserNameUpper, &context.UserNameLength},
      {old_password, old_bytes, context.OldPassword, context.OldPasswordUpper,
       &context.OldPasswordLength},
      {new_password, new_bytes, context.NewPassword, context.NewPasswordUpper,
       &context.NewPasswordLength},
  };
  for (const Entry& entry : entries) {
    if (entry.text == nullptr) continue;
    uint32_t length = CopyCut(entry.field, entry.text, entry.bytes);
    std::memcpy(entry.upper, entry.field, length * sizeof(char16_t));
    UpperCaseAsciiLetters(entry.upper, length);
    *entry.length = length;
  }
  if (rule2900_text != nullptr) CopyCut(context.Rule2900Text, rule2900_text, rule2900_bytes);
}

void ClearCheckContext(CheckContext& context) {
  platform::SecureZero(&context, sizeof(context));
}

}  // namespace hvn
