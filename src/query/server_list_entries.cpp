#include "query/server_list_entries.h"

#include <cstring>

#include "platform/ansi_text.h"

namespace hvn {

size_t FindEntrySpace(const char* entry, size_t length) {
  for (size_t i = 0; i < length; ++i) {
    if (entry[i] == ' ') return i;
    // A lead byte takes the next byte with it, unless that would step past the entry.
    if (platform::IsAnsiLeadByte(static_cast<unsigned char>(entry[i])) && i + 1 < length) ++i;
  }
  return length;
}

bool SplitServerEntry(const char* entry, size_t length, ServerEntry& out) {
  std::memset(&out, 0, sizeof(out));
  size_t space = FindEntrySpace(entry, length);
  if (space >= length) return false;
  size_t host_length = length - space - 1;
  if (space >= kServerPartSize || host_length >= kServerPartSize) return false;
  std::memcpy(out.domain, entry, space);
  std::memcpy(out.host, entry + space + 1, host_length);
  return true;
}

bool ServerListWalker::Next(const char*& entry, size_t& length) {
  if (next_ == nullptr || *next_ == '\0') return false;
  entry = next_;
  length = std::strlen(next_);
  next_ += length + 1;
  return true;
}

}  // namespace hvn
