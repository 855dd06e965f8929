// The Local Security Authority's "Notification Packages" value as the bytes the registry holds:
// package names, each ended by NUL, the list closed by an empty string. The value belongs to
// every product that filters passwords on the machine, so the two edits below touch nothing but
// the password filter's own entries: every other byte stays as it was, a value stored without
// its final NULs is read safely (a last name without its NUL still counts as an entry), and
// whatever follows the closing empty string is carried along unchanged.
#ifndef HVN_SETUP_KESTRIN_NOTIFICATION_PACKAGES_H_
#define HVN_SETUP_KESTRIN_NOTIFICATION_PACKAGES_H_

#include <cstddef>

namespace hvn {

// The entry that registers the password filter "HVN.DLL".
inline constexpr char kFilterPackage[] = "HVN";

// True when an entry of the list in `size` bytes of `data` names the filter: it contains "HVN"
// with letter case ignored, matched on character boundaries of the ANSI code page.
bool ListNamesFilter(const char* data, size_t size);

// Bytes AppendFilterPackage may write for a list of `size` bytes.
inline size_t AppendedListCapacity(size_t size) {
  return size + 6;
}

// Writes to `out` (AppendedListCapacity(size) bytes) the list with "HVN" appended after its last
// entry, closed by an empty string; returns the bytes written.
size_t AppendFilterPackage(const char* data, size_t size, char* out);

// Bytes RemoveFilterPackages may write for a list of `size` bytes.
inline size_t RemainingListCapacity(size_t size) {
  return size + 2;
}

struct RemainingList {
  size_t size;     // bytes written to `out`
  size_t removed;  // entries left out; 0 means the list needs no rewrite
};

// Writes to `out` (RemainingListCapacity(size) bytes) the list without every entry that names
// the filter, the other entries in their order, closed by an empty string.
RemainingList RemoveFilterPackages(const char* data, size_t size, char* out);

}  // namespace hvn

#endif  // HVN_SETUP_KESTRIN_NOTIFICATION_PACKAGES_H_
