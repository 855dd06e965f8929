// The order and the form of a dictionary file as the dictionary rule searches it: entries in
// capitals, ascending by their text with A-Z folded onto a-z, unit by unit as unsigned numbers
// (bytes in an ANSI file, never folding the second byte of a double-byte character; UTF-16LE
// code units in a UTF-16 file); a text sorts before every longer text it begins.
#ifndef HVN_TOOLS_HVNPOLICY_BASE_DICTIONARY_ORDER_H_
#define HVN_TOOLS_HVNPOLICY_BASE_DICTIONARY_ORDER_H_

#include <cstddef>
#include <cstdint>

namespace hvn::tool {

enum class DictionaryEncoding { kAnsi, kUtf16 };

// The longest entry a dictionary line can hold, in units: every 128 units of the file must
// hold a line feed, so a line is at most 126 units and its CR LF.
constexpr size_t kMaxEntryUnits = 126;

// Bytes per unit of an encoding.
inline size_t UnitBytes(DictionaryEncoding encoding) {
  return encoding == DictionaryEncoding::kUtf16 ? 2 : 1;
}

// Compares two encoded entries (`a_bytes` and `b_bytes` bytes of units) in dictionary order:
// negative when `a` sorts first, 0 when they are equal, positive otherwise.
int CompareEntries(DictionaryEncoding encoding, const char* a, size_t a_bytes, const char* b,
                   size_t b_bytes);

// The encoding the rule gives a file whose first bytes are `head` (at most 256 of them are
// looked at): UTF-16 when they hold a zero byte, ANSI otherwise.
DictionaryEncoding DetectDictionaryEncoding(const char* head, size_t length);

}  // namespace hvn::tool

#endif  // HVN_TOOLS_HVNPOLICY_BASE_DICTIONARY_ORDER_H_
