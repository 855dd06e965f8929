// The administrator's limit on which dictionary files the dictionary rule may open. The policy
// reply names the file, and that reply is an unauthenticated datagram: a path such as
// \\host\share\x would make the workstation connect to any host with its credentials. With a
// folder list, a path is opened only when its canonical form lies inside a listed folder.
#ifndef HVN_POLICY_DICTIONARY_FOLDERS_H_
#define HVN_POLICY_DICTIONARY_FOLDERS_H_

#include <cstddef>
#include <cstdint>

#include "policy/password_policy.h"

namespace hvn {

constexpr size_t kDictionaryDiagnosticSize = 256;  // bytes, NUL included

// Why a path was refused, or that it was admitted.
enum class DictionaryPathVerdict : uint8_t {
  kAdmitted,            // canonical and inside a listed folder
  kNotAbsolute,         // no drive letter with a backslash, nor \\server\share, in front
  kDeviceForm,          // \\?\, \\.\ or \??\ in front
  kDotSegment,          // a segment ".", ".." or one ending in a dot or a space
  kForbiddenCharacter,  // a control character, : * ? " < > |, or a broken double-byte character
  kDeviceName,          // a segment naming a device (CON, NUL, COM1, LPT1, EMMXXXX0, ...)
  kTooLong,             // the canonical form does not fit kPathSize bytes
  kOutsideFolders,      // canonical, but inside none of the listed folders
};

// Makes `path` (ANSI, NUL-terminated) canonical into `out` (`capacity` bytes, always
// terminated). Forward slashes become backslashes and runs of separators, as well as a final
// separator, collapse, since Windows opens such paths the same. Everything whose meaning
// Windows would change on the way to the file is refused rather than resolved: a relative or
// drive-relative path, the device forms, "." and ".." segments and segments Windows trims (a
// final dot or space), device names, and characters no file name holds (":" of a stream
// included). The canonical form is a drive root "X:\" (letter in capitals) or "\\server\share",
// followed by the segments, each after one backslash. Double-byte characters are taken whole,
// so a trail byte 0x5C is never a separator; a lead byte followed by a byte below 0x40 (no
// trail byte in any double-byte code page) is refused. Returns kAdmitted when `out` holds the
// form, else the reason, with `out` empty.
DictionaryPathVerdict CanonicalizeDictionaryPath(const char* path, char* out, size_t capacity);

// True when canonical `path` lies inside canonical `folder`: it begins with the folder, letter
// case ignored, followed by a separator. A folder prefix, not a string prefix: C:\DICT holds
// C:\DICT\X but not C:\DICTIONARY\X, and not C:\DICT itself.
bool IsInsideFolder(const char* path, const char* folder);

// True when `folders` (a multi-string of `size` bytes, or null) holds anything but zero bytes:
// only then does the list limit anything. A list whose first entry is empty ("\0C:\Dict\0")
// limits too, and admits nothing.
bool HasDictionaryFolders(const char* folders, size_t size);

// The admission of `path` against the multi-string `folders` (`size` bytes; an entry that runs
// past the end or is not a canonical folder admits nothing). On kAdmitted `canonical` holds the
// canonical path, which is what the caller must open; otherwise it is empty.
DictionaryPathVerdict AdmitDictionaryPath(const char* path, const char* folders, size_t size,
                                          char (&canonical)[kPathSize]);

// The text that says why `path` was not opened ("CheckDictionary: ..."), into `out`; the path
// is cut on a character boundary when the whole does not fit. Always terminated.
void ComposeDictionaryDiagnostic(DictionaryPathVerdict verdict, const char* path,
                                 char (&out)[kDictionaryDiagnosticSize]);

// Where the dictionary rule may open its file: the folder list (null or empty: every path is
// opened as named) and the diagnostic of a refusal (empty when nothing was refused).
struct DictionaryAccess {
  const char* folders = nullptr;
  size_t folders_size = 0;
  char diagnostic[kDictionaryDiagnosticSize] = {};
};

}  // namespace hvn

#endif  // HVN_POLICY_DICTIONARY_FOLDERS_H_
