// Membership questions about a sorted dictionary file, answered with few reads.
//
// The file holds one entry per line (CR LF), sorted by the lower-cased text (A-Z folded to
// a-z, then code unit by code unit, unsigned); the first line is never an entry. The search
// descends one fixed bisection tree over the file, whose probe points sit on 128-unit
// boundaries, so every search shares the probes near the root and a small window cache turns
// them into one read each. Substring questions narrow the range of entries that begin with a
// growing prefix, once per start position, in sorted order of the suffixes, so that suffixes
// with a common beginning reuse each other's ranges. Nothing is kept after the object dies.
#ifndef HVN_POLICY_DICTIONARY_SEARCH_H_
#define HVN_POLICY_DICTIONARY_SEARCH_H_

#include <cstddef>
#include <cstdint>

#include "platform/read_only_file.h"

namespace hvn {

// Work done by one DictionarySearch, for measurement.
struct DictionarySearchStats {
  uint64_t full_range_searches = 0;  // bisections over the whole file
  uint64_t bounded_searches = 0;     // bisections inside an already narrowed range
  uint64_t probes = 0;               // probe lines compared during bisections
};

// The work of every DictionarySearch since the last reset, added as each search ends
// (process-wide and not locked: meant for single-threaded measurement).
DictionarySearchStats& GetDictionarySearchTotals();
void ResetDictionarySearchTotals();

// Longest key the search accepts, in code units ("!!" + 255 bytes + "*!!" fits).
constexpr size_t kMaxDictionaryKeyUnits = 512;
// Texts that one ContainsPiece call searches together, and the units searched of each.
constexpr size_t kMaxPieceTexts = 6;
constexpr size_t kMaxPieceUnits = 256;

// A search over one open dictionary file; `Unit` is char for an ANSI file and char16_t for a
// UTF-16LE file. The object holds a 32 KiB window cache and about 8 KiB of range tables, meant
// to live on the stack for one check. The file must stay open while the object is used.
// Comparisons fold A-Z onto a-z (never the trail byte of a double-byte ANSI character); a line
// ends at CR, LF or the end of the file. Lines longer than 1,024 units are outside what the
// search supports: it stays bounded and safe there, but may miss entries.
template <typename Unit>
class DictionarySearch {
 public:
  explicit DictionarySearch(platform::ReadOnlyFile& file);
  ~DictionarySearch();
  DictionarySearch(const DictionarySearch&) = delete;
  DictionarySearch& operator=(const DictionarySearch&) = delete;

  // True when some line after the first equals `key` (A-Z folded). A key longer than
  // kMaxDictionaryKeyUnits is never found.
  bool Contains(const Unit* key, size_t length);

  // True when some entry of at least `window` units (and at most `length`) occurs inside
  // `text`. A window of 0 also accepts an empty entry; a window above `length` finds nothing.
  // Only the first kMaxPieceUnits units of a text are searched.
  bool ContainsPiece(const Unit* text, size_t length, uint32_t window);
  // The same question for up to kMaxPieceTexts texts at once (true when any holds a piece):
  // their suffixes are searched in one ascending pass, which shares the reads.
  bool ContainsPiece(const Unit* const* texts, const size_t* lengths, size_t count,
                     uint32_t window);

  // True when the entry "!!" + the first i units of `text` + "*!!" exists for some i from 1 to
  // `length`.
  bool ContainsPrefixWildcard(const Unit* text, size_t length);

  // True when the entry "!!*" + the last k units of `text` + "!!" exists for some k from 1 to
  // `length`.
  bool ContainsSuffixWildcard(const Unit* text, size_t length);

  // True when a read failed since construction; answers given after that may be incomplete.
  bool ReadFailed() const { return read_failed_; }

  const DictionarySearchStats& Stats() const { return stats_; }

 private:
  // Units per bisection block; probe points are block starts. A window read covers
  // kWindowBlocks blocks from kLoadBackBlocks before the probe point: the probe finds the next
  // line start and reads that whole line (lines are at most 128 units long), and the next
  // probes of the bisection, a block or two away, are served by the same read.
  static constexpr uint64_t kBlockUnits = 128;
  static constexpr uint64_t kWindowBlocks = 4;
  static constexpr uint64_t kLoadBackBlocks = 1;
  static constexpr uint32_t kWindowUnits = kWindowBlocks * kBlockUnits;
  static constexpr uint32_t kCacheBytes = 32 * 1024;
  static constexpr uint32_t kSlots = kCacheBytes / (kWindowUnits * sizeof(Unit));
  // Farthest a line start is looked for; beyond it the line counts as running to the end.
  static constexpr uint64_t kMaxLineUnits = 1024;

  enum class Order { kLess, kEqual, kKeyIsPrefix, kGreater };

  // A sorted suffix during ContainsPiece: its text and length.
  struct Suffix {
    const Unit* text;
    size_t length;
  };

  // The cached units from `position` on, `*available` of them (reading the window when
  // needed); null at the end of the file or when the read failed.
  const uint8_t* Units(uint64_t position, uint32_t* available);
  // Unit `index` of cached units (UTF-16 is little-endian in the file).
  static uint32_t Decode(const uint8_t* units, uint32_t index);
  // The first line start after `position`; the end of the file when there is none within
  // kMaxLineUnits.
  uint64_t NextLineStart(uint64_t position);
  // How the line at `start` compares with `key`.
  Order CompareLine(uint64_t start, const Unit* key, size_t length);
  // The first line start in [lo, hi] whose line is not below `key`, or `hi` when none: lo is a
  // line start no later than the answer, hi a line start (or the end) whose line is known not
  // to be below `key`. Lowers `*prefix_end` to any line start seen whose line is above every
  // text that begins with `key`. Probe points come from one fixed tree over the file, so
  // searches share them and the cache serves them.
  uint64_t LowerBound(const Unit* key, size_t length, uint64_t lo, uint64_t hi,
                      uint64_t* prefix_end);
  // Narrows [lo, hi) (the lines beginning with key[0..length-1)) to the lines beginning with
  // key[0..length). Returns false when none does.
  bool Narrow(const Unit* key, size_t length, uint64_t* lo, uint64_t* hi);
  // Whether the first `length` units of `key` are exactly a line inside [lo, hi).
  bool ContainsWithin(const Unit* key, size_t length, uint64_t lo, uint64_t hi);

  platform::ReadOnlyFile& file_;
  uint64_t size_units_;
  uint64_t first_start_;  // the first line start: the line after the first line
  bool read_failed_ = false;
  DictionarySearchStats stats_;

  // The window cache: window w covers units [w * kBlockUnits, w * kBlockUnits + kWindowUnits).
  uint8_t data_[kCacheBytes];
  uint64_t slot_window_[kSlots];
  uint32_t slot_units_[kSlots];  // valid units (fewer at the end of the file)
  uint8_t slot_used_[kSlots];    // used since the replacement hand last passed
  uint32_t hand_ = 0;            // the next slot the replacement looks at
  static constexpr uint32_t kHints = 2048;
  int16_t slot_hint_[kHints];  // window % kHints -> the slot that last held such a window
  int current_slot_ = -1;
  bool lead_byte_[256];  // double-byte lead bytes of the ANSI code page (ANSI files only)

  // Per-level ranges for ContainsPiece: level n holds the lines beginning with the first n
  // units of the current suffix.
  uint64_t level_lo_[kMaxPieceUnits + 1];
  uint64_t level_hi_[kMaxPieceUnits + 1];
};

extern template class DictionarySearch<char>;
extern template class DictionarySearch<char16_t>;

}  // namespace hvn

#endif  // HVN_POLICY_DICTIONARY_SEARCH_H_
