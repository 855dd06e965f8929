// Which dictionary entry made rule 3000 fail, and through which form of the password: asked
// of the product's own dictionary search, one question per candidate, in the rule's order.
#ifndef HVN_TOOLS_HVNPOLICY_CHECK_DICTIONARY_MATCH_H_
#define HVN_TOOLS_HVNPOLICY_CHECK_DICTIONARY_MATCH_H_

#include <string>

#include "policy/check_context.h"
#include "policy/password_policy.h"

namespace hvn::tool {

struct DictionaryMatch {
  std::u16string entry;  // the dictionary line that matched
  std::string form;      // "as written", "reversed", "letters only", "look-alike", ...
};

// Looks for the entry that rule 3000 of `rule` finds for the context's new password. Returns
// false when the file cannot be read or no entry is found. The search keys are cleared.
bool FindDictionaryMatch(const CheckContext& context, const DictionaryRule& rule,
                         DictionaryMatch& match);

}  // namespace hvn::tool

#endif  // HVN_TOOLS_HVNPOLICY_CHECK_DICTIONARY_MATCH_H_
