// Similarity: a run of window-many consecutive characters of one text found in another. Rules
// 1000 (old password), 2800 (user name) and 2900 (the policy's rule-2900 text), all on
// upper-cased texts, so the case of a-z does not matter.
#ifndef HVN_POLICY_SIMILARITY_H_
#define HVN_POLICY_SIMILARITY_H_

#include <cstddef>
#include <cstdint>

#include "policy/check_context.h"
#include "policy/password_policy.h"
#include "policy/rule_results.h"

namespace hvn {

constexpr uint32_t kMaxWindow = 255;
constexpr size_t kMaxHaystackLength = kRule2900TextCapacity - 1;  // characters compared
constexpr size_t kMaxSourceLength = kContextTextSize - 1;

// Clears `out` (`out_bytes` bytes) and writes `text` into it with every look-alike character
// replaced by its letter (1 ! | -> I, $ 5 -> S, ( < [ { -> C, ) > ] } -> D, + -> T, 0 -> O,
// 2 -> Z, 3 8 -> B, 6 9 -> G, ^ -> A). The output is always terminated and keeps at most
// out_bytes / 2 - 1 characters. Returns the length of `text`.
size_t SubstituteLookalikes(char16_t* out, const char16_t* text, size_t out_bytes);

// Whether some run of `window` consecutive characters of `source` occurs in `haystack`,
// exactly. The window is limited to 255; a source shorter than the window is never similar;
// a window of 0 (the empty run) is found in any haystack. At most 1,023 characters of the
// haystack and 255 of the source are looked at.
bool IsSimilar(const char16_t* haystack, const char16_t* source, uint32_t window);

// IsSimilar on the texts, then (with `bidir` non-zero) on the reversed source; with
// `substitute` non-zero the same again on both texts after SubstituteLookalikes. Failed at the
// first similarity, else passed.
RuleOutcome CheckSimilarity(const char16_t* haystack, const char16_t* source, uint32_t bidir,
                            uint32_t substitute, uint32_t window);

// Rule 1000: the longer of the old and new password (upper case; the new one when as long)
// against the other. Not evaluated when either is empty, else passed or failed.
RuleOutcome CheckRule1000(const CheckContext& context, const SimilarityRule& rule);
// Rule 2800: the user name against the new password, both upper case.
RuleOutcome CheckRule2800(const CheckContext& context, const SimilarityRule& rule);
// Rule 2900: the rule-2900 text, upper-cased (a-z only), against the new password.
RuleOutcome CheckRule2900(const CheckContext& context, const SimilarityRule& rule);

}  // namespace hvn

#endif  // HVN_POLICY_SIMILARITY_H_
