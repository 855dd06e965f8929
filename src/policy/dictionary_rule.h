// Rule 3000: the new password, its reversal, wildcard entries and its long enough pieces must
// not be in the policy's dictionary file.
#ifndef HVN_POLICY_DICTIONARY_RULE_H_
#define HVN_POLICY_DICTIONARY_RULE_H_

#include <cstdint>

#include "policy/check_context.h"
#include "policy/dictionary_folders.h"
#include "policy/password_policy.h"
#include "policy/rule_results.h"

namespace hvn {

// Searches the dictionary at `path` (ANSI, at most 259 bytes are used) for the context's
// upper-case new password: the password itself, with `bidir` its reversal, with `wildcard` the
// entries ending or beginning with a wildcard, and every piece of more than `tolerance`
// characters of the password, of its letters alone and of its look-alike form. Failed when any
// lookup finds its key, passed when none does, not evaluable when the file cannot be opened or
// a read in it fails. `substitute` counts only when exactly 1. The file is closed before returning.
RuleOutcome CheckDictionary(const CheckContext& context, const char* path, uint32_t bidir,
                            uint32_t substitute, uint32_t tolerance, uint32_t wildcard);

// The rule entry: CheckDictionary with the rule's ServerDictFile and fields. When `access`
// lists folders, the file is opened by its canonical path and only when that lies inside one
// of them; otherwise the outcome is 3 (not evaluable), as for a missing file, and
// access->diagnostic says why. Without `access` or folders the path is opened as named.
RuleOutcome CheckRule3000(const CheckContext& context, const DictionaryRule& rule,
                          DictionaryAccess* access = nullptr);

}  // namespace hvn

#endif  // HVN_POLICY_DICTIONARY_RULE_H_
