#include "dialogs/recognition_triples.h"

#include <cstring>

#include "platform/ansi_text.h"

namespace hvn {
namespace {

// Staging sizes of the administrator's triples; the rows keep 127 bytes of each text.
constexpr size_t kStagedTitleSize = 256;
constexpr size_t kStagedControlTextSize = 1024;
constexpr size_t kStagedKindSize = 128;

}  // namespace

size_t CopyWholeCharacters(char* out, size_t capacity, const char* text, size_t length) {
  size_t copied = 0;
  while (copied < length) {
    size_t width =
        (platform::IsAnsiLeadByte(static_cast<unsigned char>(text[copied])) && copied + 1 < length)
            ? 2
            : 1;
    if (copied + width > capacity - 1) break;
    copied += width;
  }
  std::memcpy(out, text, copied);
  std::memset(out + copied, 0, capacity - copied);
  return copied;
}

void ForEachRecognitionTriple(const char* wait_params, size_t size, RecognitionTripleVisitor visit,
                              void* context) {
  if (wait_params == nullptr) return;
  size_t position = 0;
  // Stages the string at `position` and steps past it. False when the string is empty or not
  // terminated within the field: either ends the list.
  auto take = [&](char* stage, size_t capacity) {
    if (position >= size) return false;
    size_t length = platform::BoundedLength(wait_params + position, size - position);
    if (length == 0 || position + length >= size) return false;
    CopyWholeCharacters(stage, capacity, wait_params + position, length);
    position += length + 1;
    return true;
  };
  for (;;) {
    char title[kStagedTitleSize];
    char control_text[kStagedControlTextSize];
    char kind[kStagedKindSize];
    if (!take(title, sizeof(title)) || !take(control_text, sizeof(control_text)) ||
        !take(kind, sizeof(kind))) {
      return;
    }
    platform::AnsiToUpper(kind, std::strlen(kind));
    visit(context, title, control_text, kind);
  }
}

}  // namespace hvn
