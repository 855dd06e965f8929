// Small helpers shared by the policy engine's tests.
#ifndef HVN_TESTS_POLICY_POLICY_TEST_UTIL_H_
#define HVN_TESTS_POLICY_POLICY_TEST_UTIL_H_

#include <cstdint>
#include <initializer_list>
#include <string>

#include "policy/check_context.h"

namespace hvn::test {

// A reply as the parser receives it: each record ended by NUL, then the empty record.
inline std::u16string MakeReply(std::initializer_list<std::u16string> records) {
  std::u16string reply;
  for (const std::u16string& record : records) {
    reply += record;
    reply += u'\0';
  }
  reply += u'\0';
  return reply;
}

// Widens an ASCII text (tests write passwords as narrow literals for readable tables).
inline std::u16string Wide(const std::string& text) {
  std::u16string wide;
  for (char c : text) wide += static_cast<char16_t>(static_cast<unsigned char>(c));
  return wide;
}

inline uint32_t Bytes(const std::u16string& text) {
  return static_cast<uint32_t>(text.size() * 2);
}

// Prepares `context` the way the check flow does: each text with twice its character count.
inline void Prepare(CheckContext& context, const std::u16string& user,
                    const std::u16string& old_password, const std::u16string& new_password,
                    const std::u16string& rule2900_text = u"") {
  PrepareCheckContext(context, user.c_str(), Bytes(user), old_password.c_str(), Bytes(old_password),
                      new_password.c_str(), Bytes(new_password), rule2900_text.c_str(),
                      Bytes(rule2900_text));
}

// A context holding only a new password.
inline void PrepareNew(CheckContext& context, const std::u16string& new_password) {
  PrepareCheckContext(context, nullptr, 0, nullptr, 0, new_password.c_str(), Bytes(new_password),
                      nullptr, 0);
}

}  // namespace hvn::test

#endif  // HVN_TESTS_POLICY_POLICY_TEST_UTIL_H_
