// Which dictionary entry made rule 3000 fail, and through which form of the password: asked
// of the product's own dictionary search, one question per candidate, in the rule's own
// order, so that the entry named is the one the rule meets first.
#ifndef HVN_TOOLS_HVNPOLICY_CHECK_DICTIONARY_MATCH_H_
#define HVN_TOOLS_HVNPOLICY_CHECK_DICTIONARY_MATCH_H_

#include <cstddef>

#include "platform/secure_zero.h"
#include "policy/check_context.h"
#include "policy/dictionary_search.h"
#include "policy/password_policy.h"

namespace hvn::tool {

// The entry found (a piece of the password: it clears itself) and how it was reached.
struct DictionaryMatch {
  char16_t entry[kMaxDictionaryKeyUnits + 1] = {};  // the matching line; may be empty
  size_t length = 0;
  const char* form = "";  // "the whole password", "a piece of its letters alone", ...
  ~DictionaryMatch() { platform::SecureZero(entry, sizeof(entry)); }
};

// Looks for the entry that rule 3000 of `rule` finds for the context's new password in the
// dictionary at `path` (the path the rule opened). The rule's order: the whole password, its
// reversal, the wildcard entries for its beginnings and then its endings, then for each
// length from the window up and each start, each piece and its reversal: of the password, of
// its letters alone, of its look-alike form. Returns false when the file cannot be read or no
// entry is found. Every key is built in fixed buffers that are cleared before returning.
bool FindDictionaryMatch(const CheckContext& context, const DictionaryRule& rule, const char* path,
                         DictionaryMatch& match);

}  // namespace hvn::tool

#endif  // HVN_TOOLS_HVNPOLICY_CHECK_DICTIONARY_MATCH_H_
