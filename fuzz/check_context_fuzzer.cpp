// Fuzzes PrepareCheckContext with arbitrary byte counts (odd, zero, far beyond 255) and
// arbitrary texts, then evaluates a policy with every rule enabled on the result.
//
// Input: four 32-bit byte counts (user name, old password, new password, rule-2900 text), then
// the texts' units, shared out in that order. Each text sits in a heap block of exactly the
// units the caller would own (its count, at most 200, plus the terminator), so a read beyond
// what the count allows is reported.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "fuzz_dictionary.h"
#include "policy/check_context.h"
#include "policy/evaluate_policy.h"
#include "policy/password_policy.h"

namespace {

hvn::PasswordPolicy& EverythingEnabled() {
  static hvn::PasswordPolicy policy;
  static bool ready = false;
  if (!ready) {
    policy.rule1000.Enabled = policy.rule2800.Enabled = policy.rule2900.Enabled = 1;
    policy.rule1000.Bidir = policy.rule2800.Bidir = policy.rule2900.Bidir = 1;
    policy.rule1000.Substitute = policy.rule2800.Substitute = policy.rule2900.Substitute = 1;
    for (int c = 1; c <= 6; ++c) policy.ClassRule(c).Enabled = 1;
    policy.ClassRule(2).Embedded = 1;
    policy.ClassRule(3).StartPos = 2;
    policy.ClassRule(3).EndPos = 200;
    policy.rule2600.Enabled = 1;
    policy.rule2600.MinLength = 8;
    policy.rule2700.Enabled = 1;
    policy.rule2700.MinUniqueChars = 5;
    policy.rule3000.Enabled = 1;
    policy.rule3000.Bidir = 1;
    policy.rule3000.Substitute = 1;
    policy.rule3000.Wildcard = 1;
    const std::string& path = hvn::fuzz::SmallDictionaryPath();
    std::memcpy(policy.rule3000.ServerDictFile, path.c_str(), path.size());
    policy.rule3100.Enabled = 1;
    policy.rule3100.csAlpha = policy.rule3100.csNumeric = policy.rule3100.csSpecial = 1;
    policy.rule3100.MinComplianceLevel = 2;
    ready = true;
  }
  return policy;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 16) return 0;
  uint32_t counts[4];
  std::memcpy(counts, data, sizeof(counts));
  data += 16;
  size -= 16;
  std::unique_ptr<char16_t[]> texts[4];
  for (int t = 0; t < 4; ++t) {
    size_t units = counts[t] / 2 < 200 ? counts[t] / 2 : 200;
    texts[t] = std::make_unique<char16_t[]>(units + 1);
    size_t take = units * 2 < size ? units * 2 : size;
    std::memcpy(texts[t].get(), data, take);
    data += take;
    size -= take;
  }
  static hvn::CheckContext context;
  static hvn::RuleResults results;
  // A count of 0xFFFFFFFF with a missing text is how an absent text arrives.
  hvn::PrepareCheckContext(context, counts[0] == 0xFFFFFFFFu ? nullptr : texts[0].get(), counts[0],
                           texts[1].get(), counts[1], texts[2].get(), counts[2], texts[3].get(),
                           counts[3]);
  hvn::EvaluatePolicy(results, context, EverythingEnabled());
  hvn::ClearCheckContext(context);
  return 0;
}
