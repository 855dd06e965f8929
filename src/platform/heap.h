// Blocks on the process heap: HeapAlloc/HeapFree on GetProcessHeap() in the Windows build,
// calloc/free in the portable build. Records that own heap texts (the policy's lists, message
// blocks and templates, the server list) allocate and release them only through these two calls.
#ifndef HVN_PLATFORM_HEAP_H_
#define HVN_PLATFORM_HEAP_H_

#include <cstddef>

#include "platform/unique_resource.h"

namespace hvn::platform {

// Allocates `size` bytes of zeroed memory from the process heap. Returns nullptr when the
// heap cannot supply it; a `size` of 0 still gives a (one-byte) block that must be released.
void* HeapAllocZeroed(size_t size);

// Returns a block from HeapAllocZeroed to the process heap; nullptr is ignored.
void HeapRelease(void* block);

// Releases an owned block through HeapRelease and leaves the owner's pointer empty, so that
// releasing twice does nothing.
template <typename T>
void ReleaseOwned(T*& block) {
  HeapRelease(block);
  block = nullptr;
}

struct HeapBlockTraits {
  using Handle = void*;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle block) { HeapRelease(block); }
};

// Owns one process-heap block, released when the owner goes.
class UniqueHeapBlock : public UniqueResource<HeapBlockTraits> {
 public:
  UniqueHeapBlock() = default;
  explicit UniqueHeapBlock(void* block) : UniqueResource(block) {}
  // Allocates `size` zeroed bytes; IsValid() tells whether that succeeded.
  static UniqueHeapBlock Allocate(size_t size) { return UniqueHeapBlock(HeapAllocZeroed(size)); }
  template <typename T>
  T* As() const {
    return static_cast<T*>(Get());
  }
};

}  // namespace hvn::platform

#endif  // HVN_PLATFORM_HEAP_H_
