#include "policy/dictionary_search.h"

#include <algorithm>
#include <cstring>

#include "platform/ansi_text.h"
#include "platform/secure_zero.h"

namespace hvn {
namespace {

constexpr uint32_t kCarriageReturn = 13;
constexpr uint32_t kLineFeed = 10;

uint32_t Code(char unit) {
  return static_cast<unsigned char>(unit);
}
uint32_t Code(char16_t unit) {
  return unit;
}

uint32_t Fold(uint32_t code) {
  return (code >= 'A' && code <= 'Z') ? code + 32 : code;
}

// Overwrites a buffer that held parts of a password.
template <typename Unit>
void Wipe(Unit* buffer, size_t count) {
  volatile Unit* target = buffer;
  for (size_t i = 0; i < count; ++i) target[i] = 0;
}

// Folded comparison of two texts as the dictionary sorts them: returns <0, 0 or >0 and the
// length of the common folded beginning in `*common`. `lead` marks double-byte lead bytes,
// whose trail byte is compared unfolded.
template <typename Unit>
int CompareTexts(const Unit* a, size_t a_length, const Unit* b, size_t b_length, const bool* lead,
                 size_t* common) {
  bool trail = false;
  size_t i = 0;
  for (; i < a_length && i < b_length; ++i) {
    uint32_t x = Code(a[i]);
    uint32_t y = Code(b[i]);
    if (!trail) {
      x = Fold(x);
      y = Fold(y);
    }
    if (x != y) {
      *common = i;
      return x < y ? -1 : 1;
    }
    trail = !trail && lead != nullptr && x < 256 && lead[x];
  }
  *common = i;
  if (a_length == b_length) return 0;
  return a_length < b_length ? -1 : 1;
}

}  // namespace

DictionarySearchStats& GetDictionarySearchTotals() {
  static DictionarySearchStats totals;
  return totals;
}

void ResetDictionarySearchTotals() {
  GetDictionarySearchTotals() = DictionarySearchStats();
}

template <typename Unit>
DictionarySearch<Unit>::DictionarySearch(platform::ReadOnlyFile& file)
    : file_(file), size_units_(file.Size() / sizeof(Unit)) {
  for (uint32_t slot = 0; slot < kSlots; ++slot) {
    slot_window_[slot] = UINT64_MAX;
    slot_units_[slot] = 0;
    slot_used_[slot] = 0;
  }
  for (int byte = 0; byte < 256; ++byte) {
    lead_byte_[byte] =
        sizeof(Unit) == 1 && platform::IsAnsiLeadByte(static_cast<unsigned char>(byte));
  }
  // The first line is never an entry: candidates begin after its line feed.
  first_start_ = NextLineStart(0);
  // The last line, which stands for the end of the file in the interpolation steps.
  uint64_t end = size_units_;
  for (int i = 0; i < 2 && end > first_start_; ++i) {
    uint32_t unit = UnitAt(end - 1);
    if (unit != kLineFeed && unit != kCarriageReturn) break;
    --end;
  }
  for (uint64_t p = end; p > first_start_ && end - p < kMaxLineUnits; --p) {
    if (UnitAt(p - 1) == kLineFeed) {
      last_start_ = p;
      last_count_ = CachedLineCodes(p, last_codes_);
      break;
    }
  }
}

template <typename Unit>
DictionarySearch<Unit>::~DictionarySearch() {
  DictionarySearchStats& totals = GetDictionarySearchTotals();
  totals.full_range_searches += stats_.full_range_searches;
  totals.bounded_searches += stats_.bounded_searches;
  totals.probes += stats_.probes;
  // The windows and the remembered lines tell where the password's pieces were looked for.
  platform::SecureZero(data_, sizeof(data_));
  platform::SecureZero(anchors_, sizeof(anchors_));
}

template <typename Unit>
const uint8_t* DictionarySearch<Unit>::Units(uint64_t position, uint32_t* available, bool read) {
  *available = 0;
  if (position >= size_units_) return nullptr;
  uint64_t window = position / kWindowUnits;
  int slot = current_slot_;
  if (slot < 0 || slot_window_[slot] != window) {
    slot = -1;
    for (uint32_t s = 0; s < kSlots && slot < 0; ++s) {
      if (slot_window_[s] == window) slot = static_cast<int>(s);
    }
    if (slot < 0) {
      if (!read) return nullptr;
      // Second chance: recently used windows (the current neighbourhood above all) stay.
      while (slot_used_[hand_] != 0) {
        slot_used_[hand_] = 0;
        hand_ = (hand_ + 1) % kSlots;
      }
      uint32_t victim = hand_;
      hand_ = (hand_ + 1) % kSlots;
      uint32_t got = 0;
      uint8_t* target = data_ + static_cast<size_t>(victim) * kWindowBytes;
      if (!file_.ReadAt(window * kWindowBytes, target, kWindowBytes, &got)) {
        read_failed_ = true;
        slot_window_[victim] = UINT64_MAX;
        slot_units_[victim] = 0;
        return nullptr;
      }
      slot_window_[victim] = window;
      slot_units_[victim] = got / sizeof(Unit);
      if (codes_counted_ < kModelCodes) {
        CountCodes(target, std::min(kCountedUnits, slot_units_[victim]));
      }
      slot = static_cast<int>(victim);
    }
    current_slot_ = slot;
  }
  slot_used_[slot] = 1;
  uint64_t offset = position - window * kWindowUnits;
  // A short read: the file shrank after it was opened.
  if (offset >= slot_units_[slot]) return nullptr;
  *available = slot_units_[slot] - static_cast<uint32_t>(offset);
  return data_ + static_cast<size_t>(slot) * kWindowBytes + offset * sizeof(Unit);
}

template <typename Unit>
uint32_t DictionarySearch<Unit>::Decode(const uint8_t* units, uint32_t index) {
  if (sizeof(Unit) == 1) return units[index];
  return units[2 * index] | (units[2 * index + 1] << 8);
}

template <typename Unit>
uint32_t DictionarySearch<Unit>::FindLineFeed(const uint8_t* units, uint32_t from, uint32_t count) {
  if (sizeof(Unit) == 1) {
    const void* feed = std::memchr(units + from, kLineFeed, count - from);
    return feed == nullptr ? count
                           : static_cast<uint32_t>(static_cast<const uint8_t*>(feed) - units);
  }
  while (from < count && Decode(units, from) != kLineFeed) ++from;
  return from;
}

template <typename Unit>
void DictionarySearch<Unit>::CountCodes(const uint8_t* units, uint32_t count) {
  // Neighbouring lines of a sorted file begin alike: only the codes from the fourth of each
  // whole line on tell how the codes are spread. Wildcard entries ("!!...") are left out.
  for (uint32_t i = FindLineFeed(units, 0, count) + 1; i < count;) {
    uint32_t line = i;
    i = FindLineFeed(units, i, count);
    uint32_t end = i++;
    if (end > line && Decode(units, end - 1) == kCarriageReturn) --end;
    if (end <= line + kSkippedColumns || Decode(units, line) == '!') continue;
    for (uint32_t k = line + kSkippedColumns; k < end; ++k) {
      uint32_t code = std::min<uint32_t>(Decode(units, k), kCodeBuckets - 1);
      code |= static_cast<uint32_t>(code - 'A' < 26u) << 5;  // A-Z folded onto a-z
      ++code_count_[code];
    }
    codes_counted_ += end - line - kSkippedColumns;
  }
}

template <typename Unit>
void DictionarySearch<Unit>::UpdateCodeModel() {
  // Worked out again once the counts have grown by half: the shares then barely move.
  if (model_counted_ != UINT64_MAX && codes_counted_ - model_counted_ <= model_counted_ / 2) {
    return;
  }
  model_counted_ = codes_counted_;
  uint64_t total = 0;
  for (uint32_t bucket = 0; bucket < kCodeBuckets; ++bucket) total += code_count_[bucket];
  double scale = 1.0 / static_cast<double>(total == 0 ? 1 : total);
  uint64_t below = 0;
  for (uint32_t bucket = 0; bucket < kCodeBuckets; ++bucket) {
    code_below_[bucket] = static_cast<float>(static_cast<double>(below) * scale);
    code_share_[bucket] = static_cast<float>(static_cast<double>(code_count_[bucket]) * scale);
    below += code_count_[bucket];
  }
}

template <typename Unit>
uint32_t DictionarySearch<Unit>::UnitAt(uint64_t position) {
  uint32_t available = 0;
  const uint8_t* units = Units(position, &available);
  return units == nullptr ? UINT32_MAX : Decode(units, 0);
}

template <typename Unit>
uint64_t DictionarySearch<Unit>::NextLineStart(uint64_t position) {
  uint64_t limit = std::min(position + kMaxLineUnits, size_units_);
  for (uint64_t p = position; p < limit;) {
    uint32_t available = 0;
    const uint8_t* units = Units(p, &available);
    if (units == nullptr) break;
    available = static_cast<uint32_t>(std::min<uint64_t>(available, limit - p));
    if (sizeof(Unit) == 1) {
      const void* feed = std::memchr(units, kLineFeed, available);
      if (feed != nullptr)
        return p + static_cast<uint64_t>(static_cast<const uint8_t*>(feed) - units) + 1;
    } else {
      for (uint32_t i = 0; i < available; ++i) {
        if (Decode(units, i) == kLineFeed) return p + i + 1;
      }
    }
    p += available;
  }
  return size_units_;
}

template <typename Unit>
typename DictionarySearch<Unit>::Order DictionarySearch<Unit>::CompareLine(uint64_t start,
                                                                           const Unit* key,
                                                                           size_t length) {
  bool trail = false;
  uint32_t available = 0;
  const uint8_t* units = nullptr;
  uint32_t index = 0;
  for (size_t i = 0;; ++i) {
    if (index == available) {
      units = Units(start + i, &available);
      index = 0;
    }
    uint32_t unit = units == nullptr ? kLineFeed : Decode(units, index++);
    bool line_ended = unit == kCarriageReturn || unit == kLineFeed;
    if (i == length) return line_ended ? Order::kEqual : Order::kKeyIsPrefix;
    if (line_ended) return Order::kLess;
    uint32_t line_code = unit;
    uint32_t key_code = Code(key[i]);
    if (!trail) {
      line_code = Fold(line_code);
      key_code = Fold(key_code);
    }
    if (line_code != key_code) return line_code < key_code ? Order::kLess : Order::kGreater;
    trail = !trail && sizeof(Unit) == 1 && lead_byte_[line_code & 0xFF];
  }
}

template <typename Unit>
int DictionarySearch<Unit>::CachedLineCodes(uint64_t start, uint32_t* codes) {
  int count = 0;
  uint32_t available = 0;
  const uint8_t* units = Units(start, &available, false);
  if (units == nullptr) return start >= size_units_ ? 0 : -1;
  for (uint32_t i = 0; count < static_cast<int>(kGuessUnits); ++i) {
    if (i == available) {
      units = Units(start + i, &available, false);
      if (units == nullptr) break;  // the end of the file, or the next window is not cached
      start += i;
      i = 0;
    }
    uint32_t code = Decode(units, i);
    if (code == kCarriageReturn || code == kLineFeed) break;
    codes[count++] = Fold(code);
  }
  return count;
}

template <typename Unit>
uint64_t DictionarySearch<Unit>::GuessBlock(const Unit* key, size_t length, uint64_t lo,
                                            uint64_t hi, uint64_t fallback) {
  uint32_t low[kGuessUnits];
  uint32_t high[kGuessUnits];
  uint32_t wanted[kGuessUnits];
  int low_count = CachedLineCodes(lo, low);
  int high_count = 0;
  if (hi >= size_units_) {
    // The end of the range: the last line stands for it.
    if (last_count_ < 0 || last_start_ <= lo) return fallback;
    hi = last_start_;
    high_count = last_count_;
    std::memcpy(high, last_codes_, sizeof(high));
  } else {
    high_count = CachedLineCodes(hi, high);
  }
  // Without counted codes (lines of a few units only) there is nothing to interpolate with.
  if (codes_counted_ == 0) return fallback;
  int wanted_count = static_cast<int>(std::min(length, kGuessUnits));
  for (int i = 0; i < wanted_count; ++i) wanted[i] = Fold(Code(key[i]));
  // A line seen above the key, nearer than hi, makes a closer upper end: between near ends
  // the estimated shares of the codes they have in common cancel out.
  const Anchor* anchor = AnchorAbove(wanted, wanted_count, lo, hi);
  if (anchor != nullptr) {
    hi = anchor->start;
    high_count = anchor->count;
    std::memcpy(high, anchor->codes, sizeof(high));
  }
  uint64_t block = fallback;
  if (low_count >= 0 && high_count >= 0) {
    // Every line between lo and hi shares their common beginning: only what follows it tells
    // where in the range a text lies.
    int common = 0;
    while (common < low_count && common < high_count && low[common] == high[common]) ++common;
    UpdateCodeModel();
    // Where a text sits among all texts with the same beginning, were the codes after it drawn
    // independently with the frequencies seen so far: codes never seen take no room, so a key
    // with a code that no entry holds is placed at the boundary where it belongs.
    auto value = [this, common](const uint32_t* codes, int count) {
      double result = 0;
      double scale = 1;
      for (int i = common; i < count && scale > 1e-12; ++i) {
        uint32_t bucket = std::min<uint32_t>(codes[i], kCodeBuckets - 1);
        result += code_below_[bucket] * scale;
        scale *= code_share_[bucket];
      }
      return result;
    };
    double wanted_value = value(wanted, wanted_count);
    double below = wanted_value - value(low, low_count);
    double above = value(high, high_count) - wanted_value;
    if (below <= 0) {
      block = lo / kBlockUnits;
    } else if (above <= 0) {
      block = hi / kBlockUnits;
    } else {
      double fraction = below / (below + above);
      block = (lo + static_cast<uint64_t>(fraction * static_cast<double>(hi - lo))) / kBlockUnits;
    }
  }
  // The key's codes are a piece of the password.
  Wipe(wanted, kGuessUnits);
  return block;
}

template <typename Unit>
const typename DictionarySearch<Unit>::Anchor* DictionarySearch<Unit>::AnchorAbove(
    const uint32_t* wanted, int wanted_count, uint64_t lo, uint64_t hi) const {
  for (uint32_t i = 0; i < anchor_count_; ++i) {
    const Anchor& anchor = anchors_[i];
    if (anchor.start <= lo) continue;
    if (anchor.start >= hi) break;
    int n = std::min(anchor.count, wanted_count);
    int k = 0;
    while (k < n && anchor.codes[k] == wanted[k]) ++k;
    if (k < n ? anchor.codes[k] > wanted[k] : anchor.count >= wanted_count) return &anchor;
  }
  return nullptr;
}

template <typename Unit>
void DictionarySearch<Unit>::RememberAnchor(uint64_t start) {
  uint32_t at = 0;
  while (at < anchor_count_ && anchors_[at].start < start) ++at;
  if (at < anchor_count_ && anchors_[at].start == start) return;
  if (anchor_count_ == kAnchors) {
    // Full: the lowest goes, as the searches of a pass move up through the file.
    if (at == 0) return;
    std::memmove(anchors_, anchors_ + 1, sizeof(Anchor) * (kAnchors - 1));
    --anchor_count_;
    --at;
  }
  Anchor anchor;
  anchor.start = start;
  anchor.count = CachedLineCodes(start, anchor.codes);
  if (anchor.count < 0) return;
  std::memmove(anchors_ + at + 1, anchors_ + at, sizeof(Anchor) * (anchor_count_ - at));
  anchors_[at] = anchor;
  ++anchor_count_;
}

template <typename Unit>
uint64_t DictionarySearch<Unit>::LowerBound(const Unit* key, size_t length, uint64_t lo,
                                            uint64_t hi, uint64_t* prefix_end) {
  if (lo == first_start_ && hi == size_units_) {
    ++stats_.full_range_searches;
  } else {
    ++stats_.bounded_searches;
  }
  // Narrow the blocks [a, b). Invariant: the first line start after block a's start is not
  // beyond the answer, and the answer is not beyond the first line start after block b's
  // start.
  uint64_t a = lo > 0 ? (lo - 1) / kBlockUnits : 0;
  uint64_t b = std::max(a + 1, (hi + kBlockUnits - 1) / kBlockUnits);
  // Probes the line after block m's start; returns whether a line was read and compared, and
  // in `*went_up` whether the answer lies above it.
  auto probe = [&](uint64_t m, bool* went_up) {
    uint64_t position = m * kBlockUnits;
    uint64_t start = position < lo || position >= hi ? hi : NextLineStart(position);
    if (position < lo) {
      a = m;
      *went_up = true;
      return false;
    }
    if (start >= hi) {
      b = m;
      *went_up = false;
      return false;
    }
    ++stats_.probes;
    Order order = CompareLine(start, key, length);
    *went_up = order == Order::kLess;
    if (*went_up) {
      a = m;
      lo = start;
    } else {
      b = m;
      hi = start;
      if (order == Order::kGreater) *prefix_end = std::min(*prefix_end, start);
      RememberAnchor(start);
    }
    return true;
  };
  // Interpolation steps until kMaxMisses in a row fail to halve the blocks left (the guesses
  // are misled by an uneven spread there), then one bisection step.
  int misses = 0;
  while (b - a > 1) {
    if (misses == kMaxMisses || b - a <= kWindowBlocks) {
      // Bisection: within a window or two the reads are already made.
      bool went_up = false;
      probe(a + (b - a) / 2, &went_up);
      misses = 0;
      continue;
    }
    // Interpolation: read the window where the key is expected, and use all of it. After the
    // guessed probe, a probe at the window's far end on the key's side settles whether the
    // answer lies inside the window, without another read.
    uint64_t before = b - a;
    uint64_t m = std::min(b - 1, std::max(a + 1, GuessBlock(key, length, lo, hi, a + (b - a) / 2)));
    bool went_up = false;
    if (probe(m, &went_up)) {
      uint64_t first = m / kWindowBlocks * kWindowBlocks;
      // The line after the last block but one ends inside the window.
      uint64_t last = first + kWindowBlocks - 2;
      uint64_t edge = went_up ? last : first;
      if (edge > a && edge < b && edge != m) probe(edge, &went_up);
    }
    misses = (b - a) * 2 <= before ? 0 : misses + 1;
  }
  // The answer is one of the few lines that start in block a (or the next line after it).
  // Past the first line start after block b's start nothing needs a look: that line is the
  // answer in a sorted file, and the scan stays short in any file.
  uint64_t block_start = a * kBlockUnits;
  uint64_t scan_end = b * kBlockUnits;
  uint64_t p = lo > block_start ? lo : NextLineStart(block_start);
  while (p < hi && p <= scan_end) {
    Order order = CompareLine(p, key, length);
    if (order != Order::kLess) {
      if (order == Order::kGreater) *prefix_end = std::min(*prefix_end, p);
      return p;
    }
    p = NextLineStart(p);
  }
  return std::min(p, hi);
}

template <typename Unit>
bool DictionarySearch<Unit>::Narrow(const Unit* key, size_t length, uint64_t* lo, uint64_t* hi) {
  if (*lo >= *hi) return false;
  // The first line of the range often begins with the longer prefix too: no search needed.
  Order order = CompareLine(*lo, key, length);
  if (order == Order::kEqual || order == Order::kKeyIsPrefix) return true;
  if (order == Order::kGreater) return false;
  uint64_t prefix_end = *hi;
  uint64_t start = LowerBound(key, length, *lo, *hi, &prefix_end);
  if (start >= *hi) return false;
  order = CompareLine(start, key, length);
  if (order != Order::kEqual && order != Order::kKeyIsPrefix) return false;
  *lo = start;
  *hi = prefix_end;
  return true;
}

template <typename Unit>
bool DictionarySearch<Unit>::ContainsWithin(const Unit* key, size_t length, uint64_t lo,
                                            uint64_t hi) {
  if (lo >= hi) return false;
  uint64_t prefix_end = hi;
  uint64_t start = LowerBound(key, length, lo, hi, &prefix_end);
  return start < hi && CompareLine(start, key, length) == Order::kEqual;
}

template <typename Unit>
bool DictionarySearch<Unit>::Contains(const Unit* key, size_t length) {
  if (length > kMaxDictionaryKeyUnits) return false;
  return ContainsWithin(key, length, first_start_, size_units_);
}

template <typename Unit>
bool DictionarySearch<Unit>::ContainsPiece(const Unit* text, size_t length, uint32_t window) {
  const Unit* texts[1] = {text};
  size_t lengths[1] = {length};
  return ContainsPiece(texts, lengths, 1, window);
}

template <typename Unit>
bool DictionarySearch<Unit>::ContainsPiece(const Unit* const* texts, const size_t* lengths,
                                           size_t count, uint32_t window) {
  count = std::min(count, kMaxPieceTexts);
  if (window == 0) {
    const Unit empty[1] = {0};
    if (Contains(empty, 0)) return true;
    window = 1;
  }
  // Every suffix long enough to hold a piece, of every text, in dictionary order.
  struct Start {
    uint8_t text;
    uint16_t offset;
  };
  Start starts[kMaxPieceTexts * kMaxPieceUnits];
  size_t total = 0;
  size_t cut[kMaxPieceTexts];
  for (size_t t = 0; t < count; ++t) {
    cut[t] = std::min(lengths[t], kMaxPieceUnits);
    for (size_t i = 0; i + window <= cut[t]; ++i) {
      starts[total++] = {static_cast<uint8_t>(t), static_cast<uint16_t>(i)};
    }
  }
  const bool* lead = sizeof(Unit) == 1 ? lead_byte_ : nullptr;
  auto suffix = [&](const Start& start) {
    return Suffix{texts[start.text] + start.offset, cut[start.text] - start.offset};
  };
  std::sort(starts, starts + total, [&](const Start& x, const Start& y) {
    Suffix a = suffix(x);
    Suffix b = suffix(y);
    size_t common = 0;
    return CompareTexts(a.text, a.length, b.text, b.length, lead, &common) < 0;
  });

  // Level n (n >= window) holds the lines that begin with the first n units of `previous`.
  // Suffixes come in ascending order, so the lower end found for one suffix's first `window`
  // units is a lower end for the next suffix's.
  uint64_t window_lo = first_start_;
  size_t depth = 0;               // deepest level of `previous` with lines, 0 for none
  size_t empty_level = SIZE_MAX;  // the level at which `previous` ran out of lines
  Suffix previous = {nullptr, 0};
  for (size_t k = 0; k < total; ++k) {
    Suffix current = suffix(starts[k]);
    size_t common = 0;
    if (previous.text != nullptr) {
      CompareTexts(previous.text, previous.length, current.text, current.length, lead, &common);
    }
    // A prefix that no line begins with stays so for every suffix that shares it.
    if (empty_level <= common) continue;
    previous = current;
    empty_level = SIZE_MAX;
    if (common < window || depth < window) {
      uint64_t prefix_end = size_units_;
      uint64_t start = LowerBound(current.text, window, window_lo, size_units_, &prefix_end);
      window_lo = start;
      Order order = start < size_units_ ? CompareLine(start, current.text, window) : Order::kLess;
      if (order != Order::kEqual && order != Order::kKeyIsPrefix) {
        depth = 0;
        empty_level = window;
        continue;
      }
      level_lo_[window] = start;
      level_hi_[window] = prefix_end;
      depth = window;
      if (order == Order::kEqual) return true;
    } else {
      depth = std::min(depth, common);
    }
    for (size_t n = depth + 1; n <= current.length; ++n) {
      uint64_t lo = level_lo_[n - 1];
      uint64_t hi = level_hi_[n - 1];
      if (!Narrow(current.text, n, &lo, &hi)) {
        empty_level = n;
        break;
      }
      level_lo_[n] = lo;
      level_hi_[n] = hi;
      depth = n;
      // The shortest line of the range comes first: it is the piece itself when present.
      if (CompareLine(lo, current.text, n) == Order::kEqual) return true;
    }
  }
  return false;
}

template <typename Unit>
bool DictionarySearch<Unit>::ContainsPrefixWildcard(const Unit* text, size_t length) {
  length = std::min(length, kMaxDictionaryKeyUnits - 5);
  Unit prefix[kMaxDictionaryKeyUnits];
  Unit key[kMaxDictionaryKeyUnits];
  prefix[0] = '!';
  prefix[1] = '!';
  for (size_t i = 0; i < length; ++i) prefix[2 + i] = text[i];
  bool found = false;
  uint64_t lo = first_start_;
  uint64_t hi = size_units_;
  for (size_t n = 1; n <= 2 + length && !found; ++n) {
    // Every key left to try begins with prefix[0..n): stop once no line does.
    if (!Narrow(prefix, n, &lo, &hi)) break;
    if (n < 3) continue;
    for (size_t i = 0; i < n; ++i) key[i] = prefix[i];
    key[n] = '*';
    key[n + 1] = '!';
    key[n + 2] = '!';
    found = ContainsWithin(key, n + 3, lo, hi);
  }
  Wipe(prefix, 2 + length);
  Wipe(key, 5 + length);
  return found;
}

template <typename Unit>
bool DictionarySearch<Unit>::ContainsSuffixWildcard(const Unit* text, size_t length) {
  length = std::min(length, kMaxDictionaryKeyUnits - 5);
  static constexpr Unit kMark[3] = {'!', '!', '*'};
  uint64_t lo = first_start_;
  uint64_t hi = size_units_;
  for (size_t n = 1; n <= 3; ++n) {
    if (!Narrow(kMark, n, &lo, &hi)) return false;
  }
  Unit key[kMaxDictionaryKeyUnits];
  key[0] = '!';
  key[1] = '!';
  key[2] = '*';
  bool found = false;
  for (size_t k = 1; k <= length && !found; ++k) {
    for (size_t i = 0; i < k; ++i) key[3 + i] = text[length - k + i];
    key[3 + k] = '!';
    key[4 + k] = '!';
    found = ContainsWithin(key, k + 5, lo, hi);
  }
  Wipe(key, 5 + length);
  return found;
}

template class DictionarySearch<char>;
template class DictionarySearch<char16_t>;

}  // namespace hvn
