#include "policy/dictionary_search.h"

#include <algorithm>
#include <cstring>

#include "platform/ansi_text.h"

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
  for (uint32_t hint = 0; hint < kHints; ++hint) slot_hint_[hint] = -1;
  for (int byte = 0; byte < 256; ++byte) {
    lead_byte_[byte] =
        sizeof(Unit) == 1 && platform::IsAnsiLeadByte(static_cast<unsigned char>(byte));
  }
  // The first line is never an entry: candidates begin after its line feed.
  first_start_ = NextLineStart(0);
}

template <typename Unit>
DictionarySearch<Unit>::~DictionarySearch() {
  DictionarySearchStats& totals = GetDictionarySearchTotals();
  totals.full_range_searches += stats_.full_range_searches;
  totals.bounded_searches += stats_.bounded_searches;
  totals.probes += stats_.probes;
  std::memset(data_, 0, sizeof(data_));
}

template <typename Unit>
const uint8_t* DictionarySearch<Unit>::Units(uint64_t position, uint32_t* available) {
  *available = 0;
  if (position >= size_units_) return nullptr;
  int slot = current_slot_;
  if (slot < 0 || position < slot_window_[slot] * kBlockUnits ||
      position >= slot_window_[slot] * kBlockUnits + slot_units_[slot]) {
    // Any window that starts at one of the kWindowBlocks blocks up to this one may cover the
    // position; the hint table names the slot of each cached window.
    uint64_t block = position / kBlockUnits;
    uint64_t first = block >= kWindowBlocks - 1 ? block - (kWindowBlocks - 1) : 0;
    slot = -1;
    for (uint64_t candidate = block + 1; candidate-- > first && slot < 0;) {
      int hinted = slot_hint_[candidate % kHints];
      if (hinted >= 0 && slot_window_[hinted] == candidate &&
          position < candidate * kBlockUnits + slot_units_[hinted]) {
        slot = hinted;
      }
    }
    // A window whose hint was taken by another window is read again: rarer and cheaper than
    // looking through every slot on each miss.
    uint32_t victim = 0;
    if (slot < 0) {
      // Second chance: recently used windows (the top of the tree above all) stay.
      while (slot_used_[hand_] != 0) {
        slot_used_[hand_] = 0;
        hand_ = (hand_ + 1) % kSlots;
      }
      victim = hand_;
      hand_ = (hand_ + 1) % kSlots;
    }
    // A new window starts a little before the position: the next bisection probes fall on
    // both sides of it.
    uint64_t window = block >= kLoadBackBlocks ? block - kLoadBackBlocks : 0;
    if (slot < 0) {
      uint32_t got = 0;
      uint8_t* target = data_ + static_cast<size_t>(victim) * kWindowUnits * sizeof(Unit);
      if (!file_.ReadAt(window * kBlockUnits * sizeof(Unit), target, kWindowUnits * sizeof(Unit),
                        &got)) {
        read_failed_ = true;
        slot_window_[victim] = UINT64_MAX;
        slot_units_[victim] = 0;
        return nullptr;
      }
      slot_window_[victim] = window;
      slot_units_[victim] = got / sizeof(Unit);
      slot_hint_[window % kHints] = static_cast<int16_t>(victim);
      slot = static_cast<int>(victim);
      if (position >= window * kBlockUnits + slot_units_[slot]) return nullptr;
    }
    current_slot_ = slot;
  }
  slot_used_[slot] = 1;
  uint64_t offset = position - slot_window_[slot] * kBlockUnits;
  *available = slot_units_[slot] - static_cast<uint32_t>(offset);
  return data_ + (static_cast<size_t>(slot) * kWindowUnits + offset) * sizeof(Unit);
}

template <typename Unit>
uint32_t DictionarySearch<Unit>::Decode(const uint8_t* units, uint32_t index) {
  if (sizeof(Unit) == 1) return units[index];
  return units[2 * index] | (units[2 * index + 1] << 8);
}

template <typename Unit>
uint64_t DictionarySearch<Unit>::NextLineStart(uint64_t position) {
  uint64_t limit = std::min(position + kMaxLineUnits, size_units_);
  for (uint64_t p = position; p < limit;) {
    uint32_t available = 0;
    const uint8_t* units = Units(p, &available);
    if (units == nullptr) break;
    available = static_cast<uint32_t>(std::min<uint64_t>(available, limit - p));
    for (uint32_t i = 0; i < available; ++i) {
      if (Decode(units, i) == kLineFeed) return p + i + 1;
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
uint64_t DictionarySearch<Unit>::LowerBound(const Unit* key, size_t length, uint64_t lo,
                                            uint64_t hi, uint64_t* prefix_end) {
  if (lo == first_start_ && hi == size_units_) {
    ++stats_.full_range_searches;
  } else {
    ++stats_.bounded_searches;
  }
  // Descend the fixed tree of blocks [a, b). Invariant: the first line start after block a's
  // start is not beyond the answer, and the answer is not beyond the first line start after
  // block b's start. Probe points outside [lo, hi) are decided without a read.
  uint64_t a = 0;
  uint64_t b = (size_units_ + kBlockUnits - 1) / kBlockUnits;
  while (b - a > 1) {
    uint64_t m = a + (b - a) / 2;
    uint64_t position = m * kBlockUnits;
    if (position < lo) {
      a = m;
      continue;
    }
    if (position >= hi) {
      b = m;
      continue;
    }
    uint64_t start = NextLineStart(position);
    if (start >= hi) {
      b = m;
      continue;
    }
    ++stats_.probes;
    Order order = CompareLine(start, key, length);
    if (order == Order::kLess) {
      a = m;
      lo = start;
    } else {
      b = m;
      hi = start;
      if (order == Order::kGreater) *prefix_end = std::min(*prefix_end, start);
    }
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
