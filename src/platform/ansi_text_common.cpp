#include "platform/ansi_text.h"

namespace hvn::platform {

size_t BoundedLength(const char* text, size_t capacity) {
  size_t length = 0;
  while (length < capacity && text[length] != '\0') ++length;
  return length;
}

size_t BoundedLength(const char16_t* text, size_t capacity) {
  size_t length = 0;
  while (length < capacity && text[length] != u'\0') ++length;
  return length;
}

}  // namespace hvn::platform
