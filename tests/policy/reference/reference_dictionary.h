// Rule 3000 the straightforward way, one full-file bisection per lookup: the oracle of the
// equivalence tests and the baseline of the benchmark. Test code only.
#ifndef HVN_TESTS_POLICY_REFERENCE_REFERENCE_DICTIONARY_H_
#define HVN_TESTS_POLICY_REFERENCE_REFERENCE_DICTIONARY_H_

#include <cstdint>

#include "policy/check_context.h"
#include "policy/reference/dictionary_lookup.h"
#include "policy/rule_results.h"

namespace hvn::reference {

// The dictionary check with one bisection over the whole file per key: the word, its
// reversal, every wildcard key and every piece. Same contract as hvn::CheckDictionary: failed
// when found, passed when not, not evaluable when the file cannot be opened or a read fails.
RuleOutcome CheckDictionary(const CheckContext& context, const char* path, uint32_t bidir,
                            uint32_t substitute, uint32_t tolerance, uint32_t wildcard);

}  // namespace hvn::reference

#endif  // HVN_TESTS_POLICY_REFERENCE_REFERENCE_DICTIONARY_H_
