#include "policy/reference/dictionary_lookup.h"

#include <cstring>

#include "platform/ansi_text.h"
#include "platform/secure_zero.h"

namespace hvn::reference {
namespace {

uint64_t full_range_searches = 0;

// The numbers of the search for each kind of file.
struct Utf16File {
  using Unit = char16_t;
  static constexpr uint64_t kScanBelow = 1024;  // range size that ends the bisection
  static constexpr bool kEvenPositions = true;
  static constexpr uint32_t kProbeBytes = 256;  // read from 128 bytes before the midpoint
  static constexpr uint32_t kScanBytes = 1536;  // read from 128 bytes before the range

  // Turns little-endian bytes into units; returns the number of whole units.
  static size_t Decode(const unsigned char* bytes, uint32_t byte_count, Unit* out) {
    size_t units = byte_count / 2;
    for (size_t i = 0; i < units; ++i) {
      out[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    }
    return units;
  }

  static unsigned Fold(char16_t c) { return (c >= u'A' && c <= u'Z') ? c + 32u : c; }

  // Compares with A-Z and a-z folded to lower case; a prefix sorts first.
  static int Compare(const Unit* a, size_t a_length, const Unit* b, size_t b_length) {
    for (size_t i = 0; i < a_length && i < b_length; ++i) {
      unsigned fa = Fold(a[i]);
      unsigned fb = Fold(b[i]);
      if (fa != fb) return fa < fb ? -1 : 1;
    }
    return a_length == b_length ? 0 : (a_length < b_length ? -1 : 1);
  }
};

struct AnsiFile {
  using Unit = char;
  static constexpr uint64_t kScanBelow = 512;
  static constexpr bool kEvenPositions = false;
  static constexpr uint32_t kProbeBytes = 128;
  static constexpr uint32_t kScanBytes = 768;

  static size_t Decode(const unsigned char* bytes, uint32_t byte_count, Unit* out) {
    std::memcpy(out, bytes, byte_count);
    return byte_count;
  }

  static unsigned char Fold(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; }

  // Byte by byte with A-Z folded; the trail byte of a double-byte character is not a letter
  // and is compared as it is.
  static int Compare(const Unit* a, size_t a_length, const Unit* b, size_t b_length) {
    bool a_trail = false;
    bool b_trail = false;
    for (size_t i = 0; i < a_length && i < b_length; ++i) {
      unsigned char ca = static_cast<unsigned char>(a[i]);
      unsigned char cb = static_cast<unsigned char>(b[i]);
      unsigned char fa = a_trail ? ca : Fold(ca);
      unsigned char fb = b_trail ? cb : Fold(cb);
      a_trail = !a_trail && platform::IsAnsiLeadByte(ca);
      b_trail = !b_trail && platform::IsAnsiLeadByte(cb);
      if (fa != fb) return fa < fb ? -1 : 1;
    }
    return a_length == b_length ? 0 : (a_length < b_length ? -1 : 1);
  }
};

// Reads `byte_count` bytes at `offset` and decodes them into `out`. False when the read fails.
template <typename File>
bool ReadUnits(platform::ReadOnlyFile& file, uint64_t offset, uint32_t byte_count,
               typename File::Unit* out, size_t* unit_count) {
  unsigned char bytes[File::kScanBytes];
  uint32_t got = 0;
  if (!file.ReadAt(offset, bytes, byte_count, &got)) return false;
  if (got > byte_count) got = byte_count;
  *unit_count = File::Decode(bytes, got, out);
  return true;
}

template <typename Unit>
bool ContainsLine(const Unit* text, size_t text_length, const Unit* key, size_t key_length) {
  size_t needle = key_length + 2;  // LF + key + CR
  if (needle > text_length) return false;
  for (size_t start = 0; start + needle <= text_length; ++start) {
    if (text[start] != Unit('\n') || text[start + needle - 1] != Unit('\r')) continue;
    if (std::memcmp(text + start + 1, key, key_length * sizeof(Unit)) == 0) return true;
  }
  return false;
}

template <typename File>
uint32_t ScanWindowIn(platform::ReadOnlyFile& file, uint64_t low, const typename File::Unit* key,
                      size_t key_length) {
  uint64_t start = low >= 128 ? low - 128 : 0;
  if (File::kEvenPositions && (start & 1) != 0) start -= 1;
  typename File::Unit window[File::kScanBytes];
  size_t units = 0;
  if (!ReadUnits<File>(file, start, File::kScanBytes, window, &units)) return kLookupReadError;
  return ContainsLine(window, units, key, key_length) ? kLookupFound : kLookupNotFound;
}

template <typename File>
uint32_t LookupWordIn(platform::ReadOnlyFile& file, uint64_t low, uint64_t high,
                      const typename File::Unit* key, size_t key_length) {
  using Unit = typename File::Unit;
  if (low == 0 && high == file.Size()) ++full_range_searches;
  while (high > low && high - low >= File::kScanBelow) {
    uint64_t mid = low + (high - low) / 2;
    if (File::kEvenPositions && (mid & 1) != 0) mid -= 1;
    Unit probe[File::kProbeBytes];
    size_t units = 0;
    if (!ReadUnits<File>(file, mid - 128, File::kProbeBytes, probe, &units)) {
      return kLookupReadError;
    }
    // The probe line: after the first LF, up to the next CR or the end of what was read.
    size_t line_start = 0;
    while (line_start < units && probe[line_start] != Unit('\n')) ++line_start;
    line_start = line_start < units ? line_start + 1 : units;
    size_t line_end = line_start;
    while (line_end < units && probe[line_end] != Unit('\r')) ++line_end;
    bool complete = line_end < units;
    int order = File::Compare(probe + line_start, line_end - line_start, key, key_length);
    if (order == 0 && complete) return kLookupFound;
    // A cut line equal to the key may be longer than the key: it sorts at or above it.
    if (order < 0) {
      low = mid;
    } else {
      high = mid;
    }
  }
  return ScanWindowIn<File>(file, low, key, key_length);
}

template <typename File>
uint32_t LookupWildcardsIn(platform::ReadOnlyFile& file, uint64_t low, uint64_t high,
                           const typename File::Unit* key, size_t key_length) {
  using Unit = typename File::Unit;
  if (key_length > kMaxLookupKeyLength) return kLookupNotFound;
  Unit pattern[kMaxLookupKeyLength + 8];
  uint32_t result = kLookupNotFound;
  // "!!" + the first i characters + "*!!"
  for (size_t i = 1; i <= key_length && result == kLookupNotFound; ++i) {
    size_t n = 0;
    pattern[n++] = Unit('!');
    pattern[n++] = Unit('!');
    for (size_t k = 0; k < i; ++k) pattern[n++] = key[k];
    pattern[n++] = Unit('*');
    pattern[n++] = Unit('!');
    pattern[n++] = Unit('!');
    result = LookupWordIn<File>(file, low, high, pattern, n);
  }
  // "!!*" + the last k characters + "!!"
  for (size_t k = 1; k <= key_length && result == kLookupNotFound; ++k) {
    size_t n = 0;
    pattern[n++] = Unit('!');
    pattern[n++] = Unit('!');
    pattern[n++] = Unit('*');
    for (size_t j = key_length - k; j < key_length; ++j) pattern[n++] = key[j];
    pattern[n++] = Unit('!');
    pattern[n++] = Unit('!');
    result = LookupWordIn<File>(file, low, high, pattern, n);
  }
  platform::SecureZero(pattern, sizeof(pattern));
  return result;
}

template <typename File>
uint32_t LookupPiecesIn(platform::ReadOnlyFile& file, uint64_t low, uint64_t high,
                        const typename File::Unit* key, size_t key_length, uint32_t bidir,
                        uint32_t tolerance) {
  using Unit = typename File::Unit;
  if (key_length > kMaxLookupKeyLength) return kLookupNotFound;
  const uint32_t window = tolerance + 1u;  // 32-bit: a tolerance of 2^32-1 gives 0
  Unit piece[kMaxLookupKeyLength];
  uint32_t result = kLookupNotFound;
  for (size_t n = window; n <= key_length && result == kLookupNotFound; ++n) {
    for (size_t i = 0; i + n <= key_length && result == kLookupNotFound; ++i) {
      result = LookupWordIn<File>(file, low, high, key + i, n);
      if (result == kLookupNotFound && bidir != 0) {
        for (size_t k = 0; k < n; ++k) piece[k] = key[i + n - 1 - k];
        result = LookupWordIn<File>(file, low, high, piece, n);
      }
    }
  }
  platform::SecureZero(piece, sizeof(piece));
  return result;
}

}  // namespace

uint64_t FullRangeSearches() {
  return full_range_searches;
}
void ResetFullRangeSearches() {
  full_range_searches = 0;
}

uint32_t LookupWord(platform::ReadOnlyFile& file, uint64_t low, uint64_t high, const char16_t* key,
                    size_t key_length) {
  return LookupWordIn<Utf16File>(file, low, high, key, key_length);
}
uint32_t LookupWord(platform::ReadOnlyFile& file, uint64_t low, uint64_t high, const char* key,
                    size_t key_length) {
  return LookupWordIn<AnsiFile>(file, low, high, key, key_length);
}

uint32_t ScanWindow(platform::ReadOnlyFile& file, uint64_t low, const char16_t* key,
                    size_t key_length) {
  return ScanWindowIn<Utf16File>(file, low, key, key_length);
}
uint32_t ScanWindow(platform::ReadOnlyFile& file, uint64_t low, const char* key,
                    size_t key_length) {
  return ScanWindowIn<AnsiFile>(file, low, key, key_length);
}

uint32_t LookupWildcards(platform::ReadOnlyFile& file, uint64_t low, uint64_t high,
                         const char16_t* key, size_t key_length) {
  return LookupWildcardsIn<Utf16File>(file, low, high, key, key_length);
}
uint32_t LookupWildcards(platform::ReadOnlyFile& file, uint64_t low, uint64_t high, const char* key,
                         size_t key_length) {
  return LookupWildcardsIn<AnsiFile>(file, low, high, key, key_length);
}

uint32_t LookupPieces(platform::ReadOnlyFile& file, uint64_t low, uint64_t high,
                      const char16_t* key, size_t key_length, uint32_t bidir, uint32_t tolerance) {
  return LookupPiecesIn<Utf16File>(file, low, high, key, key_length, bidir, tolerance);
}
uint32_t LookupPieces(platform::ReadOnlyFile& file, uint64_t low, uint64_t high, const char* key,
                      size_t key_length, uint32_t bidir, uint32_t tolerance) {
  return LookupPiecesIn<AnsiFile>(file, low, high, key, key_length, bidir, tolerance);
}

}  // namespace hvn::reference
