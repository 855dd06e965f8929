// The administrator's recognition rows ("WaitParams"): a multi-string read as triples title,
// control text, kind. Both clients walk it the same way; each decides which kinds it knows.
#ifndef HVN_DIALOGS_RECOGNITION_TRIPLES_H_
#define HVN_DIALOGS_RECOGNITION_TRIPLES_H_

#include <cstddef>

namespace hvn {

// Copies as many whole characters (ANSI code page, a double-byte character is never split) of
// `text` (`length` bytes) as fit in `capacity` - 1 bytes, zero-fills the rest of `out` and
// returns the bytes copied.
size_t CopyWholeCharacters(char* out, size_t capacity, const char* text, size_t length);

// Called once per complete triple: the title (at most 255 bytes), the control text (at most
// 1023 bytes) and the kind in capitals (at most 127 bytes), all NUL-terminated.
using RecognitionTripleVisitor = void (*)(void* context, const char* title,
                                          const char* control_text, const char* upper_kind);

// Walks `wait_params` (`size` bytes) triple by triple. An empty string ends the list, and so
// does a string not terminated within the `size` bytes: the walk never reads past them.
void ForEachRecognitionTriple(const char* wait_params, size_t size, RecognitionTripleVisitor visit,
                              void* context);

}  // namespace hvn

#endif  // HVN_DIALOGS_RECOGNITION_TRIPLES_H_
