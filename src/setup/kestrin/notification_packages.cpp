#include "setup/kestrin/notification_packages.h"

#include <cstring>

#include "platform/ascii_text.h"

namespace hvn {
namespace {

// "HVN" is the product's own ASCII name: ASCII letter case only, at each character start, so
// no locale and no double-byte character changes which entries name the filter.
bool EntryNamesFilter(const char* entry, size_t length) {
  return platform::AsciiContainsIgnoreCase(entry, length, kFilterPackage);
}

// Walks the entries of the list. Once Next() returned false, `at` is where the closing empty
// string starts, or `size` when the value lacks it.
struct EntryWalk {
  const char* data;
  size_t size;
  size_t at = 0;

  // Gives the next entry, or false at the end of the list.
  bool Next(const char** entry, size_t* length) {
    if (at >= size || data[at] == '\0') return false;
    const char* nul = static_cast<const char*>(std::memchr(data + at, '\0', size - at));
    *entry = data + at;
    *length = nul ? static_cast<size_t>(nul - *entry) : size - at;
    at += *length + (nul ? 1 : 0);
    return true;
  }
};

// Copies one entry and its NUL to `out`; returns the bytes written.
size_t PutEntry(const char* entry, size_t length, char* out) {
  std::memcpy(out, entry, length);
  out[length] = '\0';
  return length + 1;
}

// Copies the closing empty string and what follows it, or supplies the empty string when the
// value ended without it.
size_t PutListEnd(const char* data, size_t size, size_t end, char* out) {
  if (end >= size) {
    out[0] = '\0';
    return 1;
  }
  std::memcpy(out, data + end, size - end);
  return size - end;
}

}  // namespace

bool ListNamesFilter(const char* data, size_t size) {
  EntryWalk walk{data, size};
  const char* entry;
  size_t length;
  while (walk.Next(&entry, &length)) {
    if (EntryNamesFilter(entry, length)) return true;
  }
  return false;
}

size_t AppendFilterPackage(const char* data, size_t size, char* out) {
  EntryWalk walk{data, size};
  size_t written = 0;
  const char* entry;
  size_t length;
  while (walk.Next(&entry, &length)) written += PutEntry(entry, length, out + written);
  written += PutEntry(kFilterPackage, sizeof(kFilterPackage) - 1, out + written);
  return written + PutListEnd(data, size, walk.at, out + written);
}

RemainingList RemoveFilterPackages(const char* data, size_t size, char* out) {
  EntryWalk walk{data, size};
  RemainingList result{0, 0};
  const char* entry;
  size_t length;
  while (walk.Next(&entry, &length)) {
    if (EntryNamesFilter(entry, length)) {
      ++result.removed;
    } else {
      result.size += PutEntry(entry, length, out + result.size);
    }
  }
  result.size += PutListEnd(data, size, walk.at, out + result.size);
  return result;
}

}  // namespace hvn
