// Checks in one sequential read that a dictionary file is one the dictionary rule searches
// correctly: the rule's encoding detection, CR LF line ends, entries in capitals of at most
// 126 units, ascending in the rule's order. Every line that breaks the form or the order is
// reported with its number.
#ifndef HVN_TOOLS_HVNPOLICY_DICT_DICTIONARY_VERIFIER_H_
#define HVN_TOOLS_HVNPOLICY_DICT_DICTIONARY_VERIFIER_H_

#include <cstdint>
#include <string>

#include "base/dictionary_order.h"

namespace hvn::tool {

struct DictionaryVerifyReport {
  DictionaryEncoding encoding = DictionaryEncoding::kAnsi;
  uint64_t lines = 0;
  uint64_t entries = 0;   // lines after the first
  uint64_t errors = 0;    // lines the rule may not search correctly
  uint64_t warnings = 0;  // harmless oddities: repeated entries, a file without entries
};

class DictionaryVerifyObserver {
 public:
  virtual ~DictionaryVerifyObserver() = default;
  // Line `line` (0: the file as a whole) has a problem; `error` false for a warning.
  virtual void Problem(uint64_t line, bool error, const std::string& text) = 0;
  virtual void Progress(uint64_t done_bytes, uint64_t total_bytes) = 0;
};

// Verifies `path`. Returns false (message in `error`) only when the file cannot be read;
// the verdict is report.errors == 0.
bool VerifyDictionary(const std::string& path, DictionaryVerifyObserver& observer,
                      DictionaryVerifyReport& report, std::string& error);

// An encoded entry as printable UTF-16 (at most `max_units`, then "...").
std::u16string EntryText(DictionaryEncoding encoding, const std::string& bytes,
                         size_t max_units = 40);

}  // namespace hvn::tool

#endif  // HVN_TOOLS_HVNPOLICY_DICT_DICTIONARY_VERIFIER_H_
