// The policy-server list of the client settings, shared safely between the thread that
// reloads the settings and the threads that query the servers. The list is an immutable,
// reference-counted copy of the "HVServers" value: a reader holds a ServerListRef, which keeps
// its copy alive however often the settings are reloaded meanwhile.
#ifndef HVN_CONFIG_SERVER_LIST_REF_H_
#define HVN_CONFIG_SERVER_LIST_REF_H_

#include <atomic>
#include <cstdint>

namespace hvn {

// One list: the value's bytes followed by two zero bytes, on the process heap.
struct ServerListBlock;

class ServerListRef {
 public:
  // An empty reference: Get() is nullptr.
  ServerListRef() = default;
  ~ServerListRef();
  ServerListRef(const ServerListRef& other);
  ServerListRef& operator=(const ServerListRef& other);
  ServerListRef(ServerListRef&& other) noexcept;
  ServerListRef& operator=(ServerListRef&& other) noexcept;

  // The multi-string as stored (entries "DOMAIN host", each NUL-terminated, then an empty
  // entry), kept alive while this reference lives; nullptr when there is no list. Two zero
  // bytes always follow the stored bytes, so a value stored without its final NULs still
  // ends as a multi-string.
  const char* Get() const;
  // Bytes of the stored value (without the two added zero bytes); 0 when there is no list.
  uint32_t Size() const;
  explicit operator bool() const { return block_ != nullptr; }

  // Copies `size` bytes of `data` into a new list block (zeroed, two bytes longer). Returns an
  // empty reference when the heap cannot supply the block.
  static ServerListRef Create(const void* data, uint32_t size);
  // Allocates a zeroed list of `size` bytes (plus the two) for the caller to fill through
  // MutableData() before sharing it. Empty reference when the heap fails.
  static ServerListRef Allocate(uint32_t size);
  // The bytes of a list that has not been shared yet.
  char* MutableData();

 private:
  explicit ServerListRef(ServerListBlock* block) : block_(block) {}
  ServerListBlock* block_ = nullptr;
};

}  // namespace hvn

#endif  // HVN_CONFIG_SERVER_LIST_REF_H_
