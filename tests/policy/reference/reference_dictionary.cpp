#include "policy/reference/reference_dictionary.h"

#include <cstring>

#include "platform/ansi_text.h"
#include "platform/read_only_file.h"
#include "platform/secure_zero.h"
#include "policy/reference/dictionary_lookup.h"
#include "policy/similarity.h"

namespace hvn::reference {
namespace {

constexpr size_t kKeySize = 256;           // characters (UTF-16) or bytes (ANSI), with the NUL
constexpr uint32_t kDetectionBytes = 256;  // a zero byte in them makes the file UTF-16

// The work buffers of one check, cleared when it ends.
template <typename Unit>
struct Keys {
  Unit key[kKeySize];
  Unit reversed[kKeySize];
  Unit letters[kKeySize];
  Unit substituted[kKeySize];
  ~Keys() { platform::SecureZero(this, sizeof(*this)); }
};

// Steps 4 to 8 for a key of either kind; `substituted` is the key of step 9, or null when the
// substitution pass does not run or changes nothing.
template <typename Unit>
uint32_t SearchKey(platform::ReadOnlyFile& file, Keys<Unit>& keys, size_t key_length,
                   const Unit* substituted, size_t substituted_length, uint32_t bidir,
                   uint32_t tolerance, uint32_t wildcard) {
  const uint64_t low = 0;
  const uint64_t high = file.Size();
  // The whole password.
  uint32_t result = LookupWord(file, low, high, keys.key, key_length);
  // Reversed.
  if (result == kLookupNotFound && bidir != 0) {
    for (size_t i = 0; i < key_length; ++i) keys.reversed[i] = keys.key[key_length - 1 - i];
    result = LookupWord(file, low, high, keys.reversed, key_length);
  }
  // Entries that end or begin with a wildcard.
  if (result == kLookupNotFound && wildcard != 0) {
    result = LookupWildcards(file, low, high, keys.key, key_length);
  }
  // Every piece of at least the window's length.
  if (result == kLookupNotFound) {
    result = LookupPieces(file, low, high, keys.key, key_length, bidir, tolerance);
  }
  // The pieces of the letters A-Z alone.
  if (result == kLookupNotFound) {
    size_t letters_length = 0;
    for (size_t i = 0; i < key_length; ++i) {
      if (keys.key[i] >= Unit('A') && keys.key[i] <= Unit('Z')) {
        keys.letters[letters_length++] = keys.key[i];
      }
    }
    result = LookupPieces(file, low, high, keys.letters, letters_length, bidir, tolerance);
  }
  // The pieces of the password with look-alike characters replaced.
  if (result == kLookupNotFound && substituted != nullptr) {
    result = LookupPieces(file, low, high, substituted, substituted_length, bidir, tolerance);
  }
  return result;
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

  uint32_t result = kLookupNotFound;
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
  switch (result) {
    case kLookupFound:
      return RuleOutcome::kFailed;
    case kLookupNotFound:
      return RuleOutcome::kPassed;
    default:
      return RuleOutcome::kNotEvaluable;
  }
}

}  // namespace hvn::reference
