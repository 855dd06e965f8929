// Reads one text of a file's version resource.
#ifndef HVN_SETUP_DRAVIN_FILE_VERSION_H_
#define HVN_SETUP_DRAVIN_FILE_VERSION_H_

#include <cstdint>

namespace hvn::dravin {

constexpr char kFileVersionQuery[] = "\\StringFileInfo\\040904B0\\FileVersion";

// Reads the text at `query_path` (such as kFileVersionQuery) of the version resource of
// `file_path` into `out` (`out_size` bytes). Returns 0 with the text terminated in `out` and
// its length in `*length`; 122 when either path has 260 characters or more, or when the text
// does not fit (then `*length` is the size `out` needs, terminator included); 13 when the
// resource lacks the query path; otherwise the system's error for the version information.
// On failure `out` holds an empty text (when `out_size` > 0).
uint32_t ReadFileVersionString(const char* file_path, const char* query_path, char* out,
                               uint32_t out_size, uint32_t* length);

}  // namespace hvn::dravin

#endif  // HVN_SETUP_DRAVIN_FILE_VERSION_H_
