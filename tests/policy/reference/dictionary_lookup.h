// The literal dictionary lookups, kept as the reference for the product's search (equivalence
// tests, benchmark): one bisection over the whole file per key, sorted, upper-case lines ended
// by CR LF, in UTF-16LE or in the ANSI code page, read with small probes and never loaded
// whole. Test code only: the product uses DictionarySearch. Each
// lookup exists for UTF-16 keys on a UTF-16 file and for ANSI keys on an ANSI file; an entry
// matches only after a line feed, so the file's first line never matches.
#ifndef HVN_TESTS_POLICY_REFERENCE_DICTIONARY_LOOKUP_H_
#define HVN_TESTS_POLICY_REFERENCE_DICTIONARY_LOOKUP_H_

#include <cstddef>
#include <cstdint>

#include "platform/read_only_file.h"

namespace hvn::reference {

// LookupWord calls over a whole file (0 to its size) since the last reset: the searches a
// check starts from scratch. Process-wide, not locked: for single-threaded measurement.
uint64_t FullRangeSearches();
void ResetFullRangeSearches();

// What a lookup found. The values match the rule outcomes they lead to.
enum : uint32_t {
  kLookupNotFound = 1,
  kLookupFound = 2,
  kLookupReadError = 3,  // a seek or read failed: the file cannot be judged
};

// LookupWildcards and LookupPieces take keys of at most this many characters (UTF-16) or bytes
// (ANSI); a longer key is not found.
constexpr size_t kMaxLookupKeyLength = 255;

// Bisection over the byte range [low, high) for a line equal to `key` (letters A-Z and a-z
// folded, then code unit by code unit; in an ANSI file byte by byte, trail bytes of double-byte
// characters not folded). Below 1,024 bytes (UTF-16) or 512 bytes (ANSI) of range it finishes
// with ScanWindow at `low`. A probe line cut off by the end of its read buffer never counts as
// equal: the search goes on below it and the final window decides.
uint32_t LookupWord(platform::ReadOnlyFile& file, uint64_t low, uint64_t high, const char16_t* key,
                    size_t key_length);
uint32_t LookupWord(platform::ReadOnlyFile& file, uint64_t low, uint64_t high, const char* key,
                    size_t key_length);

// Reads 1,536 bytes (UTF-16) or 768 bytes (ANSI) from 128 bytes before `low` (not below 0;
// UTF-16: made even) and looks for LF + key + CR in them, exactly. NUL bytes in the file are
// ordinary data here.
uint32_t ScanWindow(platform::ReadOnlyFile& file, uint64_t low, const char16_t* key,
                    size_t key_length);
uint32_t ScanWindow(platform::ReadOnlyFile& file, uint64_t low, const char* key, size_t key_length);

// LookupWord for every wildcard entry that could forbid `key`: "!!" + each prefix + "*!!",
// shortest first, then "!!*" + each suffix + "!!". Stops at the first hit.
uint32_t LookupWildcards(platform::ReadOnlyFile& file, uint64_t low, uint64_t high,
                         const char16_t* key, size_t key_length);
uint32_t LookupWildcards(platform::ReadOnlyFile& file, uint64_t low, uint64_t high, const char* key,
                         size_t key_length);

// LookupWord for every substring of `key` of length `tolerance` + 1 (32-bit arithmetic) up to
// the key's length, shortest first and from the left, each also reversed when `bidir` is
// non-zero. Stops at the first hit; not found when the window exceeds the key.
uint32_t LookupPieces(platform::ReadOnlyFile& file, uint64_t low, uint64_t high,
                      const char16_t* key, size_t key_length, uint32_t bidir, uint32_t tolerance);
uint32_t LookupPieces(platform::ReadOnlyFile& file, uint64_t low, uint64_t high, const char* key,
                      size_t key_length, uint32_t bidir, uint32_t tolerance);

}  // namespace hvn::reference

#endif  // HVN_TESTS_POLICY_REFERENCE_DICTIONARY_LOOKUP_H_
