// Membership questions about a sorted dictionary file, answered with few reads.
//
// The file holds one entry per line (CR LF), sorted by the lower-cased text (A-Z folded to
// a-z, then code unit by code unit, unsigned); the first line is never an entry. Each read
// fetches one aligned 1 KiB window, kept in a small cache. A search guesses where its key lies
// between the nearest lines known below and above it (interpolation, with the frequencies of
// the codes counted in the windows read), reads that window and settles with two probes
// whether the answer lies inside it; where guesses keep failing it bisects. Substring
// questions narrow the range of entries that begin with a growing prefix, once per start
// position, in sorted order of the suffixes, so that suffixes with a common beginning reuse
// each other's ranges and each search starts from the previous answer. Nothing is kept after
// the object dies.
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
// UTF-16LE file. The object holds a 32 KiB window cache and about 10 KiB of range tables and
// interpolation state (42 KiB in all), meant to live on the stack for one check. The file must
// stay open while the object is used.
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
  // Units per bisection block; probe points are block starts, and a probe reads the first
  // whole line after its point (lines are at most 128 units long).
  static constexpr uint64_t kBlockUnits = 128;
  // One read fetches one aligned window; the cache keeps the windows of the current
  // neighbourhood and the last few probe lines' windows.
  static constexpr uint32_t kWindowBytes = 1024;
  static constexpr uint32_t kWindowUnits = kWindowBytes / sizeof(Unit);
  static constexpr uint64_t kWindowBlocks = kWindowUnits / kBlockUnits;
  static_assert(kWindowBlocks >= 2, "a window holds the line after its last block but one");
  static constexpr uint32_t kCacheBytes = 32 * 1024;
  static constexpr uint32_t kSlots = kCacheBytes / kWindowBytes;
  // Farthest a line start is looked for; beyond it the line counts as running to the end.
  static constexpr uint64_t kMaxLineUnits = 1024;
  // Leading units of a line that an interpolation step looks at.
  static constexpr size_t kGuessUnits = 12;
  // Interpolation steps in a row that may fail to halve the range before one bisection step.
  static constexpr int kMaxMisses = 3;

  enum class Order { kLess, kEqual, kKeyIsPrefix, kGreater };

  // A sorted suffix during ContainsPiece: its text and length.
  struct Suffix {
    const Unit* text;
    size_t length;
  };

  // The cached units from `position` on, `*available` of them, reading the window when needed
  // and `read` allows; null at the end of the file, when the read failed or was not allowed.
  const uint8_t* Units(uint64_t position, uint32_t* available, bool read = true);
  // Up to kGuessUnits folded codes of the cached line at `start` into `codes`; the count, or
  // -1 when the line's window is not cached.
  int CachedLineCodes(uint64_t start, uint32_t* codes);
  struct Anchor;
  // The first remembered line in (lo, hi) that is not below the folded codes `wanted`.
  const Anchor* AnchorAbove(const uint32_t* wanted, int wanted_count, uint64_t lo,
                            uint64_t hi) const;
  // Keeps the line at `start`, found above a key, as an upper end for later guesses.
  void RememberAnchor(uint64_t start);
  // The index of the first line feed in units[from, count), or count.
  static uint32_t FindLineFeed(const uint8_t* units, uint32_t from, uint32_t count);
  // Adds the codes of units just read to the counts behind the interpolation steps.
  void CountCodes(const uint8_t* units, uint32_t count);
  // Brings code_below_ and code_share_ up to date with the counts.
  void UpdateCodeModel();
  // The unit at `position`, UINT32_MAX when it cannot be read.
  uint32_t UnitAt(uint64_t position);
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
  // text that begins with `key`. Probe points are block starts; the blocks left shrink with
  // every probe, so the search ends in any file.
  uint64_t LowerBound(const Unit* key, size_t length, uint64_t lo, uint64_t hi,
                      uint64_t* prefix_end);
  // The block where `key` is expected between the lines at lo and hi (or a remembered line
  // nearer above the key), were the codes after their common beginning drawn independently
  // with the counted frequencies; `fallback` when the lines are not cached or nothing was
  // counted.
  uint64_t GuessBlock(const Unit* key, size_t length, uint64_t lo, uint64_t hi, uint64_t fallback);
  // Narrows [lo, hi) (the lines beginning with key[0..length-1)) to the lines beginning with
  // key[0..length). Returns false when none does.
  bool Narrow(const Unit* key, size_t length, uint64_t* lo, uint64_t* hi);
  // Whether the first `length` units of `key` are exactly a line inside [lo, hi).
  bool ContainsWithin(const Unit* key, size_t length, uint64_t lo, uint64_t hi);

  platform::ReadOnlyFile& file_;
  uint64_t size_units_;
  uint64_t first_start_;     // the first line start: the line after the first line
  uint64_t last_start_ = 0;  // the last line's start, when last_count_ >= 0
  int last_count_ = -1;
  uint32_t last_codes_[kGuessUnits];  // its first folded codes
  bool read_failed_ = false;
  DictionarySearchStats stats_;

  // The window cache: window w covers units [w * kWindowUnits, (w + 1) * kWindowUnits).
  uint8_t data_[kCacheBytes];
  uint64_t slot_window_[kSlots];
  uint32_t slot_units_[kSlots];  // valid units (fewer at the end of the file)
  uint8_t slot_used_[kSlots];    // used since the replacement hand last passed
  uint32_t hand_ = 0;            // the next slot the replacement looks at
  int current_slot_ = -1;
  bool lead_byte_[256];  // double-byte lead bytes of the ANSI code page (ANSI files only)

  // How often each folded code occurred in the windows read (codes from 255 on share the last
  // bucket), and from it each code's share and the share of all codes below it.
  static constexpr uint32_t kCodeBuckets = 256;
  // The counting stops after this many codes: the shares have settled by then, and counting
  // every window would cost more time than the reads it saves.
  static constexpr uint64_t kModelCodes = 16384;
  static constexpr uint32_t kCountedUnits = 512;  // of each window read
  static constexpr uint32_t kSkippedColumns = 3;
  uint32_t code_count_[kCodeBuckets] = {};
  uint64_t codes_counted_ = 0;
  uint64_t model_counted_ = UINT64_MAX;  // codes_counted_ when the shares were worked out
  float code_below_[kCodeBuckets];
  float code_share_[kCodeBuckets];

  // Lines found above some key, by position: the ascending searches of ContainsPiece guess
  // between the last answer and the nearest of them.
  struct Anchor {
    uint64_t start;
    int count;
    uint32_t codes[kGuessUnits];
  };
  static constexpr uint32_t kAnchors = 32;
  Anchor anchors_[kAnchors];
  uint32_t anchor_count_ = 0;

  // Per-level ranges for ContainsPiece: level n holds the lines beginning with the first n
  // units of the current suffix.
  uint64_t level_lo_[kMaxPieceUnits + 1];
  uint64_t level_hi_[kMaxPieceUnits + 1];
};

extern template class DictionarySearch<char>;
extern template class DictionarySearch<char16_t>;

}  // namespace hvn

#endif  // HVN_POLICY_DICTIONARY_SEARCH_H_
