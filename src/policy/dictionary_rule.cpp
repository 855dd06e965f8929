#include "policy/dictionary_rule.h"

#include <cstring>

#include "platform/ansi_text.h"
#include "platform/read_only_file.h"
#include "platform/secure_zero.h"
#include "policy/dictionary_search.h"
#include "policy/similarity.h"

namespace hvn {
namespace {

constexpr size_t kKeySize = 256;           // characters (UTF-16) or bytes (ANSI), with the NUL
constexpr uint32_t kDetectionBytes = 256;  // a zero byte in them makes the file UTF-16

// The work buffers of one check, cleared when it ends.
template <typename Unit>
struct Keys {
  Unit key[kKeySize];
  Unit reversed[kKeySize];
  Unit letters[kKeySize];
  Unit letters_reversed[kKeySize];
  Unit substituted[kKeySize];
  Unit substituted_reversed[kKeySize];
  ~Keys() { platform::SecureZero(this, sizeof(*this)); }
};

template <typename Unit>
void Reverse(const Unit* text, size_t length, Unit* out) {
  for (size_t i = 0; i < length; ++i) out[i] = text[length - 1 - i];
}

// Steps 4 to 9 for a key of either kind; `substituted` is the key of step 9, or null when the
// substitution pass does not run or changes nothing. The answers are those of one bisection
// per key, but the pieces of all three keys (and their reversals) are searched in one
// ascending pass that narrows, per start position, the entries beginning there: a few
// thousand small reads instead of one search of the whole file per piece.
template <typename Unit>
RuleOutcome SearchKey(platform::ReadOnlyFile& file, Keys<Unit>& keys, size_t key_length,
                      const Unit* substituted, size_t substituted_length, uint32_t bidir,
                      uint32_t tolerance, uint32_t wildcard) {
  DictionarySearch<Unit> search(file);
  Reverse(keys.key, key_length, keys.reversed);
  // The whole password.
  bool found = search.Contains(keys.key, key_length);
  // Reversed.
  if (!found && bidir != 0) found = search.Contains(keys.reversed, key_length);
  // Entries that end or begin with a wildcard.
  if (!found && wildcard != 0) {
    found = search.ContainsPrefixWildcard(keys.key, key_length) ||
            search.ContainsSuffixWildcard(keys.key, key_length);
  }
  // Every piece of at least the window's length of the password, of its letters A-Z
  // alone and of the password with look-alike characters replaced; with Bidir also reversed.
  if (!found) {
    size_t letters_length = 0;
    for (size_t i = 0; i < key_length; ++i) {
      if (keys.key[i] >= Unit('A') && keys.key[i] <= Unit('Z')) {
        keys.letters[letters_length++] = keys.key[i];
      }
    }
    Reverse(keys.letters, letters_length, keys.letters_reversed);
    const Unit* texts[6];
    size_t lengths[6];
    size_t count = 0;
    auto add = [&](const Unit* text, const Unit* reversed, size_t length) {
      texts[count] = text;
      lengths[count++] = length;
      if (bidir != 0) {
        texts[count] = reversed;
        lengths[count++] = length;
      }
    };
    add(keys.key, keys.reversed, key_length);
    add(keys.letters, keys.letters_reversed, letters_length);
    if (substituted != nullptr) {
      Reverse(substituted, substituted_length, keys.substituted_reversed);
      add(substituted, keys.substituted_reversed, substituted_length);
    }
    const uint32_t window = tolerance + 1u;  // 32-bit: a tolerance of 2^32-1 gives 0
    found = search.ContainsPiece(texts, lengths, count, window);
  }
  if (found) return RuleOutcome::kFailed;
  // A read that failed may have hidden an entry: the file cannot be judged.
  return search.ReadFailed() ? RuleOutcome::kNotEvaluable : RuleOutcome::kPassed;
}

}  // namespace

RuleOutcome CheckDictionary(const CheckContext& context, const char* path, uint32_t bidir,
                            uint32_t substitute, uint32_t tolerance, uint32_t wildcard) {
  // The upper-case password, and its ANSI form for an ANSI file.
  const char16_t* upper = context.NewPasswordUpper;
  size_t upper_length = platform::BoundedLength(upper, kKeySize - 1);
  Keys<char> ansi{};
  size_t ansi_length = platform::WideToAnsi(upper, upper_length, ansi.key, kKeySize);

  // The file must exist; it is opened shared for reading, for random access.
  char file_path[kPathSize];
  std::memset(file_path, 0, sizeof(file_path));
  if (path != nullptr) {
    std::memcpy(file_path, path, platform::BoundedLength(path, kPathSize - 1));
  }
  platform::ReadOnlyFile file;
  if (!file.Open(file_path)) return RuleOutcome::kNotEvaluable;

  // A zero byte in the first 256 bytes makes the file UTF-16.
  unsigned char head[kDetectionBytes];
  uint32_t head_length = 0;
  if (!file.ReadAt(0, head, kDetectionBytes, &head_length)) return RuleOutcome::kNotEvaluable;
  bool utf16 = std::memchr(head, 0, head_length > kDetectionBytes ? kDetectionBytes : head_length);

  RuleOutcome result = RuleOutcome::kPassed;
  if (utf16) {
    Keys<char16_t> wide{};
    std::memcpy(wide.key, upper, upper_length * sizeof(char16_t));
    const char16_t* substituted = nullptr;
    size_t substituted_length = 0;
    if (substitute == 1) {
      substituted_length = SubstituteLookalikes(wide.substituted, wide.key, sizeof(wide.key));
      if (std::memcmp(wide.substituted, wide.key, sizeof(wide.key)) != 0) {
        substituted = wide.substituted;
      }
    }
    result = SearchKey(file, wide, upper_length, substituted, substituted_length, bidir, tolerance,
                       wildcard);
  } else {
    const char* substituted = nullptr;
    size_t substituted_length = 0;
    if (substitute == 1) {
      char16_t wide_substituted[kKeySize];
      SubstituteLookalikes(wide_substituted, upper, sizeof(wide_substituted));
      substituted_length = platform::WideToAnsi(
          wide_substituted, platform::BoundedLength(wide_substituted, kKeySize - 1),
          ansi.substituted, kKeySize);
      platform::SecureZero(wide_substituted, sizeof(wide_substituted));
      if (std::memcmp(ansi.substituted, ansi.key, kKeySize) != 0) substituted = ansi.substituted;
    }
    result = SearchKey(file, ansi, ansi_length, substituted, substituted_length, bidir, tolerance,
                       wildcard);
  }
  // The key buffers clear themselves and the file closes itself on return.
  return result;
}

RuleOutcome CheckRule3000(const CheckContext& context, const DictionaryRule& rule,
                          DictionaryAccess* access) {
  if (access == nullptr || !HasDictionaryFolders(access->folders, access->folders_size)) {
    return CheckDictionary(context, rule.ServerDictFile, rule.Bidir, rule.Substitute,
                           rule.Tolerance, rule.Wildcard);
  }
  char named[kPathSize];
  size_t length = platform::BoundedLength(rule.ServerDictFile, kPathSize - 1);
  std::memcpy(named, rule.ServerDictFile, length);
  named[length] = '\0';
  // What is checked is what is opened: the canonical form, never the name as sent.
  char canonical[kPathSize];
  DictionaryPathVerdict verdict =
      AdmitDictionaryPath(named, access->folders, access->folders_size, canonical);
  if (verdict != DictionaryPathVerdict::kAdmitted) {
    ComposeDictionaryDiagnostic(verdict, named, access->diagnostic);
    return RuleOutcome::kNotEvaluable;
  }
  return CheckDictionary(context, canonical, rule.Bidir, rule.Substitute, rule.Tolerance,
                         rule.Wildcard);
}

}  // namespace hvn
