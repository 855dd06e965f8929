#include "check/dictionary_match.h"

#include <cstring>

#include "base/dictionary_order.h"
#include "platform/ansi_text.h"
#include "platform/read_only_file.h"
#include "policy/similarity.h"

namespace hvn::tool {
namespace {

constexpr size_t kKeyUnits = 256;  // as the rule: 255 units and the terminator
// The longest key asked, a wildcard entry "!!" + a whole form + "*!!", fits the candidate.
static_assert(2 + (kKeyUnits - 1) + 3 <= kMaxDictionaryKeyUnits, "candidate keys fit");

// One form of the password and its reversal.
template <typename Unit>
struct Form {
  Unit text[kKeyUnits];
  Unit reversed[kKeyUnits];
  size_t length;
};

// Every text a search derives from the password, cleared when the search ends.
template <typename Unit>
struct Keys {
  Form<Unit> password;
  Form<Unit> letters;
  Form<Unit> substituted;
  Unit candidate[kMaxDictionaryKeyUnits];  // the key being asked
  ~Keys() { platform::SecureZero(this, sizeof(*this)); }
};

template <typename Unit>
void Reverse(Form<Unit>& form) {
  for (size_t i = 0; i < form.length; ++i) form.reversed[i] = form.text[form.length - 1 - i];
}

template <typename Unit>
class MatchSearch {
 public:
  MatchSearch(platform::ReadOnlyFile& file, Keys<Unit>& keys, DictionaryMatch& match)
      : search_(file), keys_(keys), match_(match) {}

  // Asks for `length` units of `text` framed by the ASCII texts `before` and `after`.
  bool Found(const char* before, const Unit* text, size_t length, const char* after,
             const char* form) {
    size_t n = 0;
    for (const char* c = before; *c != '\0'; ++c) keys_.candidate[n++] = static_cast<Unit>(*c);
    for (size_t i = 0; i < length; ++i) keys_.candidate[n++] = text[i];
    for (const char* c = after; *c != '\0'; ++c) keys_.candidate[n++] = static_cast<Unit>(*c);
    if (!search_.Contains(keys_.candidate, n)) return false;
    Record(n, form);
    return true;
  }

  // LookupPieces: every piece of at least `window` units, shortest first, left to right, each
  // followed by its reversal when `bidir` is on.
  bool FoundPiece(const Form<Unit>& form, uint32_t window, bool bidir, const char* name,
                  const char* reversed_name) {
    for (size_t n = window; n <= form.length; ++n) {
      for (size_t i = 0; i + n <= form.length; ++i) {
        if (Found("", form.text + i, n, "", name)) return true;
        if (bidir && Found("", form.reversed + form.length - i - n, n, "", reversed_name))
          return true;
        if (n == 0) break;  // the empty piece is the same at every start
      }
    }
    return false;
  }

 private:
  void Record(size_t n, const char* form) {
    if constexpr (sizeof(Unit) == 1) {
      match_.length = platform::AnsiToWide(keys_.candidate, n, match_.entry,
                                           sizeof(match_.entry) / sizeof(char16_t));
    } else {
      std::memcpy(match_.entry, keys_.candidate, n * sizeof(char16_t));
      match_.length = n;
    }
    match_.form = form;
  }

  DictionarySearch<Unit> search_;
  Keys<Unit>& keys_;
  DictionaryMatch& match_;
};

// The rule's steps in its order, stopping at the first entry found.
template <typename Unit>
bool Search(platform::ReadOnlyFile& file, Keys<Unit>& keys, bool use_substituted,
            const DictionaryRule& rule, DictionaryMatch& match) {
  MatchSearch<Unit> search(file, keys, match);
  Form<Unit>& password = keys.password;
  const bool bidir = rule.Bidir != 0;
  Reverse(password);
  if (search.Found("", password.text, password.length, "", "the whole password")) return true;
  if (bidir &&
      search.Found("", password.reversed, password.length, "", "the whole password reversed"))
    return true;
  if (rule.Wildcard != 0) {
    for (size_t i = 1; i <= password.length; ++i)
      if (search.Found("!!", password.text, i, "*!!", "a wildcard entry for its beginning"))
        return true;
    for (size_t k = 1; k <= password.length; ++k)
      if (search.Found("!!*", password.text + password.length - k, k, "!!",
                       "a wildcard entry for its ending"))
        return true;
  }
  const uint32_t window = rule.Tolerance + 1u;  // 32-bit: a tolerance of 2^32-1 gives 0
  if (search.FoundPiece(password, window, bidir, "a piece of the password as written",
                        "a piece of the password reversed"))
    return true;
  Form<Unit>& letters = keys.letters;
  letters.length = 0;
  for (size_t i = 0; i < password.length; ++i)
    if (password.text[i] >= Unit('A') && password.text[i] <= Unit('Z'))
      letters.text[letters.length++] = password.text[i];
  Reverse(letters);
  if (search.FoundPiece(letters, window, bidir, "a piece of its letters alone",
                        "a piece of its letters reversed"))
    return true;
  if (!use_substituted) return false;
  Reverse(keys.substituted);
  return search.FoundPiece(keys.substituted, window, bidir, "a piece of its look-alike form",
                           "a piece of its look-alike form reversed");
}

}  // namespace

bool FindDictionaryMatch(const CheckContext& context, const DictionaryRule& rule, const char* path,
                         DictionaryMatch& match) {
  platform::ReadOnlyFile file;
  if (!file.Open(path)) return false;
  char head[256];
  uint32_t head_length = 0;
  if (!file.ReadAt(0, head, sizeof(head), &head_length)) return false;
  const char16_t* upper = context.NewPasswordUpper;
  const size_t upper_length = platform::BoundedLength(upper, kKeyUnits - 1);
  const bool substitute = rule.Substitute == 1;
  if (DetectDictionaryEncoding(head, head_length) == DictionaryEncoding::kUtf16) {
    Keys<char16_t> keys{};
    std::memcpy(keys.password.text, upper, upper_length * sizeof(char16_t));
    keys.password.length = upper_length;
    keys.substituted.length = SubstituteLookalikes(keys.substituted.text, keys.password.text,
                                                   sizeof(keys.substituted.text));
    const bool changed = std::memcmp(keys.substituted.text, keys.password.text,
                                     upper_length * sizeof(char16_t)) != 0;
    return Search(file, keys, substitute && changed, rule, match);
  }
  Keys<char> keys{};
  keys.password.length = platform::WideToAnsi(upper, upper_length, keys.password.text, kKeyUnits);
  if (substitute) {
    Keys<char16_t> wide{};  // only its substituted form is used; cleared like the others
    SubstituteLookalikes(wide.substituted.text, upper, sizeof(wide.substituted.text));
    keys.substituted.length = platform::WideToAnsi(
        wide.substituted.text, platform::BoundedLength(wide.substituted.text, kKeyUnits - 1),
        keys.substituted.text, kKeyUnits);
  }
  const bool changed = std::memcmp(keys.substituted.text, keys.password.text, kKeyUnits) != 0;
  return Search(file, keys, substitute && changed, rule, match);
}

}  // namespace hvn::tool
