// The entries of a policy-server list, read where a query walks the list (the list itself is
// held by config/server_list_ref.h): an ANSI multi-string of entries "<domain> <host>", each
// NUL-terminated, ended by an empty entry. The domain part is everything before the first
// space, the host part everything after it (later spaces included).
#ifndef HVN_QUERY_SERVER_LIST_ENTRIES_H_
#define HVN_QUERY_SERVER_LIST_ENTRIES_H_

#include <cstddef>

namespace hvn {

constexpr size_t kServerPartSize = 1024;  // bytes of each part, NUL included

struct ServerEntry {
  char domain[kServerPartSize];
  char host[kServerPartSize];
};

// Offset of the first space of `entry` (`length` bytes), skipping the second byte of every
// double-byte character; `length` when there is none.
size_t FindEntrySpace(const char* entry, size_t length);

// Splits `entry` (`length` bytes) into `out`, both parts zero-filled and terminated. Returns
// false, with `out` cleared, for an entry without a space and for one whose domain or host
// part does not fit its 1,023 bytes: such an entry names no server.
bool SplitServerEntry(const char* entry, size_t length, ServerEntry& out);

// Walks a server list entry by entry: Next returns each entry's text and length in list order
// until the empty entry that ends the list. The list must end in that empty entry.
class ServerListWalker {
 public:
  explicit ServerListWalker(const char* list) : next_(list) {}
  bool Next(const char*& entry, size_t& length);

 private:
  const char* next_;
};

}  // namespace hvn

#endif  // HVN_QUERY_SERVER_LIST_ENTRIES_H_
