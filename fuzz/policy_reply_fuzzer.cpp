// Fuzzes ParsePolicyReply and then EvaluatePolicy on arbitrary replies: odd lengths, no NUL,
// BEL after NUL, records over 1,023 characters, number fields over 19 characters.
//
// The reply reaches the parser as the transport leaves it: at most 8,190 bytes received into
// a zeroed 8,192-byte buffer (allocated at exactly that size, so a read past it is reported),
// with every BEL before the first NUL turned into NUL. Rule 3000 opens a small fixed
// dictionary instead of the path in the reply.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "fuzz_dictionary.h"
#include "policy/check_context.h"
#include "policy/evaluate_policy.h"
#include "policy/password_policy.h"
#include "policy/policy_reply.h"

namespace {

constexpr size_t kReplyBytes = 8192;
constexpr size_t kReceivedBytes = 8190;

const char16_t* const kPasswords[] = {u"jsmith12", u"Password1", u"pa$$w0rd", u"",
                                      u"Zz9!Zz9!Zz9!Zz9!Zz9!Zz9!Zz9!Zz9!Zz9!Zz9!Zz9!Zz9!Zz9!Zz9!"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto reply = std::make_unique<char16_t[]>(kReplyBytes / sizeof(char16_t));
  size_t received = size < kReceivedBytes ? size : kReceivedBytes;
  std::memcpy(reply.get(), data, received);
  size_t units = (received + 1) / 2;
  for (size_t i = 0; i < units && reply[i] != u'\0'; ++i) {
    if (reply[i] == u'\a') {
      // Only the BELs before the first NUL of what arrived become record ends.
      size_t first_nul = i;
      while (first_nul < units && reply[first_nul] != u'\0') ++first_nul;
      for (size_t j = i; j < first_nul; ++j) {
        if (reply[j] == u'\a') reply[j] = u'\0';
      }
      break;
    }
  }

  static hvn::PasswordPolicy policy;
  static char16_t rule2900_text[hvn::kRule2900TextCapacity];
  // Bounded by the buffer, as the check flow parses it: a reply that fills the buffer has no
  // final empty record to stop at.
  hvn::ParsePolicyReply(policy, rule2900_text, hvn::kRule2900TextCapacity, reply.get(),
                        kReplyBytes / sizeof(char16_t));
  if (policy.rule3000.ServerDictFile[0] != '\0') {
    const std::string& path = hvn::fuzz::SmallDictionaryPath();
    std::memset(policy.rule3000.ServerDictFile, 0, sizeof(policy.rule3000.ServerDictFile));
    std::memcpy(policy.rule3000.ServerDictFile, path.c_str(), path.size());
  }

  static hvn::CheckContext context;
  static hvn::RuleResults results;
  const char16_t* password = kPasswords[size % (sizeof(kPasswords) / sizeof(kPasswords[0]))];
  uint32_t password_bytes = static_cast<uint32_t>(std::char_traits<char16_t>::length(password) * 2);
  hvn::PrepareCheckContext(
      context, u"jsmith", 12, u"password1", 18, password, password_bytes, rule2900_text,
      static_cast<uint32_t>(std::char_traits<char16_t>::length(rule2900_text) * 2));
  hvn::EvaluatePolicy(results, context, policy);
  return 0;
}
