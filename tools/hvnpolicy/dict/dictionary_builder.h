// Builds a dictionary file that the dictionary rule searches correctly from any word list:
// one word a line (CR LF, LF or CR), UTF-8, the ANSI code page or UTF-16LE, any case,
// repeats and blank lines allowed. Entries are upper-cased (a-z only, as the rule upper-cases
// the password), sorted in the rule's order, written once each with CR LF after a heading
// line that is never searched. The sort is external: sorted runs of a bounded size go to
// temporary files beside the output and are merged, so memory stays small for any list.
#ifndef HVN_TOOLS_HVNPOLICY_DICT_DICTIONARY_BUILDER_H_
#define HVN_TOOLS_HVNPOLICY_DICT_DICTIONARY_BUILDER_H_

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/dictionary_order.h"

namespace hvn::tool {

struct DictionaryBuildOptions {
  DictionaryEncoding output = DictionaryEncoding::kAnsi;
  size_t run_bytes = 16u << 20;  // entry bytes held in memory per sorted run
  size_t merge_fan_in = 64;      // runs merged at once; more take several passes
};

struct DictionaryBuildReport {
  uint64_t lines = 0;        // lines of the word list
  uint64_t blank_lines = 0;  // empty lines, skipped
  uint64_t left_out = 0;     // lines reported and left out
  uint64_t entries = 0;      // entries written
  uint64_t duplicates = 0;   // words dropped as repeats of another (after upper-casing)
  uint64_t runs = 0;         // sorted runs written to temporary files (0: sorted in memory)
};

// What a build tells its caller while it runs.
class DictionaryBuildObserver {
 public:
  virtual ~DictionaryBuildObserver() = default;
  // Line `line` of the word list is not written, for `reason`.
  virtual void LeftOut(uint64_t line, const std::string& reason) = 0;
  // Progress of a phase ("reading", "merging"): `done` of `total` (bytes or entries).
  virtual void Progress(const char* phase, uint64_t done, uint64_t total) = 0;
};

// Builds `output_path` from `input_path`. The output is written to a temporary file beside it
// and renamed into place only when complete, so a failed build leaves no partial dictionary
// and an existing one untouched; every temporary file is removed on every path. Returns true,
// or false with a message in `error`.
bool BuildDictionary(const std::string& input_path, const std::string& output_path,
                     const DictionaryBuildOptions& options, DictionaryBuildObserver& observer,
                     DictionaryBuildReport& report, std::string& error);

// The entry a word-list line becomes in `encoding` (encoded bytes), or false with the reason
// it is left out. `line` holds the line's bytes (or UTF-16LE units when `utf16_input`); an
// empty line gives false with an empty reason.
bool MakeEntry(const std::string& line, bool utf16_input, DictionaryEncoding encoding,
               std::string& entry, std::string& reason);

}  // namespace hvn::tool

#endif  // HVN_TOOLS_HVNPOLICY_DICT_DICTIONARY_BUILDER_H_
