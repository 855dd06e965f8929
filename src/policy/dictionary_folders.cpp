#include "policy/dictionary_folders.h"

#include <cstdio>
#include <cstring>

#include "platform/ansi_text.h"
#include "platform/ascii_text.h"

namespace hvn {
namespace {

bool IsSeparator(char c) {
  return c == '\\' || c == '/';
}

bool IsAsciiLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The lowest byte that follows a lead byte in any double-byte code page Windows has (932,
// 936, 949, 950). Below it lie NUL, the separators, '.' and ':'.
constexpr unsigned char kLowestTrailByte = 0x40;

// Bytes of the character at `text`: 2 for a double-byte character, 1 otherwise, 0 for a lead
// byte whose trail byte is missing or no trail byte at all: whether the system would take such
// a pair as one character or as two is its conversion's choice, so the path is refused.
size_t CharacterBytes(const char* text) {
  if (!platform::IsAnsiLeadByte(static_cast<unsigned char>(text[0]))) return 1;
  return static_cast<unsigned char>(text[1]) >= kLowestTrailByte ? 2 : 0;
}

bool IsForbiddenByte(unsigned char c) {
  return c < 32 || std::strchr(":*?\"<>|", c) != nullptr;
}

// Names Windows opens as devices in any folder, with or without an extension: those of NT,
// and those Windows 95, 98 and Me add through the real-mode drivers their start-up loads
// (configuration, memory managers, power management, the file-system helper, double buffering,
// disk compression, the version table).
bool IsDeviceName(const char* segment, size_t length) {
  size_t base = 0;
  while (base < length && segment[base] != '.') ++base;
  while (base > 0 && segment[base - 1] == ' ') --base;
  char upper[9];  // a device name has at most 8 characters
  if (base == 0 || base >= sizeof(upper)) return false;
  for (size_t i = 0; i < base; ++i) upper[i] = platform::AsciiToUpper(segment[i]);
  upper[base] = '\0';
  static const char* const kNames[] = {"CON",     "PRN",      "AUX",      "NUL",      "CONIN$",
                                       "CONOUT$", "CLOCK$",   "CONFIG$",  "EMMXXXX0", "XMSXXXX0",
                                       "$IDLE$",  "IFS$HLP$", "DBLBUFF$", "DBLSYSH$", "SETVERXX"};
  for (const char* name : kNames) {
    if (std::strcmp(upper, name) == 0) return true;
  }
  if (base != 4 || (std::strncmp(upper, "COM", 3) != 0 && std::strncmp(upper, "LPT", 3) != 0)) {
    return false;
  }
  // COM0-9, LPT0-9, and the superscript digits 1-3 of the Latin code pages.
  unsigned char digit = static_cast<unsigned char>(upper[3]);
  return (digit >= '0' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
}

// Builds the canonical form segment by segment, refusing what does not fit.
class CanonicalWriter {
 public:
  CanonicalWriter(char* out, size_t capacity) : out_(out), capacity_(capacity) {}

  bool Append(const char* text, size_t length) {
    if (length >= capacity_ - length_) return false;  // the NUL must still fit
    std::memcpy(out_ + length_, text, length);
    length_ += length;
    out_[length_] = '\0';
    return true;
  }
  size_t length() const { return length_; }

 private:
  char* out_;
  size_t capacity_;
  size_t length_ = 0;
};

// Reads the segment at `*cursor` up to the next separator or the end, advancing the cursor past
// it. Returns kAdmitted with the segment's extent, or why the segment is refused.
DictionaryPathVerdict ReadSegment(const char** cursor, const char** segment, size_t* length) {
  const char* start = *cursor;
  const char* p = start;
  bool last_single = false;
  while (*p != '\0' && !IsSeparator(*p)) {
    size_t bytes = CharacterBytes(p);
    if (bytes == 0) return DictionaryPathVerdict::kForbiddenCharacter;
    if (bytes == 1 && IsForbiddenByte(static_cast<unsigned char>(*p))) {
      return DictionaryPathVerdict::kForbiddenCharacter;
    }
    last_single = bytes == 1;
    p += bytes;
  }
  *segment = start;
  *length = static_cast<size_t>(p - start);
  *cursor = p;
  // Windows drops a final dot or space of a segment, and "." and ".." move in the tree.
  if (*length > 0 && last_single && (p[-1] == '.' || p[-1] == ' ')) {
    return DictionaryPathVerdict::kDotSegment;
  }
  if (IsDeviceName(start, *length)) return DictionaryPathVerdict::kDeviceName;
  return DictionaryPathVerdict::kAdmitted;
}

void SkipSeparators(const char** cursor) {
  while (IsSeparator(**cursor)) ++*cursor;
}

DictionaryPathVerdict Canonicalize(const char* path, CanonicalWriter& writer) {
  const char* p = path;
  // \\?\ and \\.\ (and \??\) hand the rest to the object manager unchecked.
  if (IsSeparator(p[0]) && IsSeparator(p[1]) && (p[2] == '?' || p[2] == '.') &&
      (p[3] == '\0' || IsSeparator(p[3]))) {
    return DictionaryPathVerdict::kDeviceForm;
  }
  if (IsSeparator(p[0]) && p[1] == '?' && p[2] == '?' && IsSeparator(p[3])) {
    return DictionaryPathVerdict::kDeviceForm;
  }

  const char* segment = nullptr;
  size_t length = 0;
  if (IsAsciiLetter(p[0]) && p[1] == ':') {
    if (!IsSeparator(p[2])) return DictionaryPathVerdict::kNotAbsolute;  // "C:x": drive-relative
    const char root[2] = {platform::AsciiToUpper(p[0]), ':'};
    if (!writer.Append(root, 2)) return DictionaryPathVerdict::kTooLong;
    p += 3;
  } else if (IsSeparator(p[0]) && IsSeparator(p[1])) {
    // \\server\share: both parts present, nothing between the two leading separators.
    p += 2;
    if (!writer.Append("\\", 1)) return DictionaryPathVerdict::kTooLong;
    for (int part = 0; part < 2; ++part) {
      if (*p == '\0' || IsSeparator(*p)) return DictionaryPathVerdict::kNotAbsolute;
      DictionaryPathVerdict verdict = ReadSegment(&p, &segment, &length);
      if (verdict != DictionaryPathVerdict::kAdmitted) return verdict;
      if (!writer.Append("\\", 1) || !writer.Append(segment, length)) {
        return DictionaryPathVerdict::kTooLong;
      }
      if (part == 0 && !IsSeparator(*p)) return DictionaryPathVerdict::kNotAbsolute;
      if (part == 0) ++p;
    }
  } else {
    return DictionaryPathVerdict::kNotAbsolute;
  }

  for (SkipSeparators(&p); *p != '\0'; SkipSeparators(&p)) {
    DictionaryPathVerdict verdict = ReadSegment(&p, &segment, &length);
    if (verdict != DictionaryPathVerdict::kAdmitted) return verdict;
    if (!writer.Append("\\", 1) || !writer.Append(segment, length)) {
      return DictionaryPathVerdict::kTooLong;
    }
  }
  // A bare drive is its root folder.
  if (writer.length() == 2 && !writer.Append("\\", 1)) return DictionaryPathVerdict::kTooLong;
  return DictionaryPathVerdict::kAdmitted;
}

// `text` upper-cased in the ANSI code page into `out` (kPathSize bytes). False when it does
// not fit.
bool UpperCopy(const char* text, char (&out)[kPathSize], size_t* length) {
  *length = platform::BoundedLength(text, kPathSize);
  if (*length >= kPathSize) return false;
  std::memcpy(out, text, *length + 1);
  platform::AnsiToUpper(out, *length);
  return true;
}

}  // namespace

DictionaryPathVerdict CanonicalizeDictionaryPath(const char* path, char* out, size_t capacity) {
  if (out == nullptr || capacity == 0) return DictionaryPathVerdict::kTooLong;
  out[0] = '\0';
  if (path == nullptr) return DictionaryPathVerdict::kNotAbsolute;
  CanonicalWriter writer(out, capacity);
  DictionaryPathVerdict verdict = Canonicalize(path, writer);
  if (verdict != DictionaryPathVerdict::kAdmitted) out[0] = '\0';
  return verdict;
}

bool IsInsideFolder(const char* path, const char* folder) {
  // Both upper-cased, then compared byte for byte: no linguistic comparison, which would let
  // characters it ignores stand between a folder's letters.
  char upper_path[kPathSize];
  char upper_folder[kPathSize];
  size_t path_length = 0;
  size_t folder_length = 0;
  if (!UpperCopy(path, upper_path, &path_length) ||
      !UpperCopy(folder, upper_folder, &folder_length)) {
    return false;
  }
  if (folder_length == 0 || path_length <= folder_length) return false;
  if (std::memcmp(upper_path, upper_folder, folder_length) != 0) return false;
  // Only a drive root ends in its separator; a trail byte 0x5C never counts as one.
  bool drive_root = folder_length == 3 && folder[1] == ':';
  return drive_root || path[folder_length] == '\\';
}

bool HasDictionaryFolders(const char* folders, size_t size) {
  // Any byte counts, not only a first entry: a list that starts with an empty entry limits
  // (and admits nothing, as its first entry ends it), rather than lifting the limit.
  if (folders == nullptr) return false;
  for (size_t i = 0; i < size; ++i) {
    if (folders[i] != '\0') return true;
  }
  return false;
}

DictionaryPathVerdict AdmitDictionaryPath(const char* path, const char* folders, size_t size,
                                          char (&canonical)[kPathSize]) {
  DictionaryPathVerdict verdict = CanonicalizeDictionaryPath(path, canonical, kPathSize);
  if (verdict != DictionaryPathVerdict::kAdmitted) return verdict;
  char folder[kPathSize];
  size_t offset = 0;
  while (folders != nullptr && offset < size && folders[offset] != '\0') {
    size_t length = platform::BoundedLength(folders + offset, size - offset);
    if (offset + length >= size) break;  // an entry without its NUL inside the list
    if (CanonicalizeDictionaryPath(folders + offset, folder, sizeof(folder)) ==
            DictionaryPathVerdict::kAdmitted &&
        IsInsideFolder(canonical, folder)) {
      return DictionaryPathVerdict::kAdmitted;
    }
    offset += length + 1;
  }
  canonical[0] = '\0';
  return DictionaryPathVerdict::kOutsideFolders;
}

void ComposeDictionaryDiagnostic(DictionaryPathVerdict verdict, const char* path,
                                 char (&out)[kDictionaryDiagnosticSize]) {
  const char* reason = "";
  switch (verdict) {
    case DictionaryPathVerdict::kAdmitted:
      out[0] = '\0';
      return;
    case DictionaryPathVerdict::kNotAbsolute:
      reason = "it is not a full path with a drive or \\\\server\\share";
      break;
    case DictionaryPathVerdict::kDeviceForm:
      reason = "it is a \\\\?\\ or \\\\.\\ device path";
      break;
    case DictionaryPathVerdict::kDotSegment:
      reason = "a part of it is . or .. or ends in a dot or space";
      break;
    case DictionaryPathVerdict::kForbiddenCharacter:
      reason = "it holds a character no file name holds";
      break;
    case DictionaryPathVerdict::kDeviceName:
      reason = "a part of it names a device";
      break;
    case DictionaryPathVerdict::kTooLong:
      reason = "it is too long";
      break;
    case DictionaryPathVerdict::kOutsideFolders:
      reason = "it is not inside a folder listed in DictionaryPaths";
      break;
  }
  const char* before = "CheckDictionary: Dictionary <";
  char tail[128];
  std::snprintf(tail, sizeof(tail), "> not opened: %s.\n", reason);
  size_t fixed = std::strlen(before) + std::strlen(tail);
  size_t budget = kDictionaryDiagnosticSize - 1 - fixed;
  // The path cut on a character boundary so the reason always stays whole.
  size_t path_length = path == nullptr ? 0 : platform::BoundedLength(path, kPathSize);
  size_t kept = 0;
  while (kept < path_length) {
    size_t step = platform::IsAnsiLeadByte(static_cast<unsigned char>(path[kept])) ? 2 : 1;
    if (kept + step > budget || kept + step > path_length) break;
    kept += step;
  }
  std::snprintf(out, sizeof(out), "%s%.*s%s", before, static_cast<int>(kept),
                path == nullptr ? "" : path, tail);
}

}  // namespace hvn
