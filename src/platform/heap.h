// Blocks from the process heap. The Windows build uses HeapAlloc/HeapFree on the process heap
// (the heap every owned block of the system lives on); the portable build uses calloc/free.
#ifndef HVN_PLATFORM_HEAP_H_
#define HVN_PLATFORM_HEAP_H_

#include <cstddef>

#include "platform/unique_resource.h"

namespace hvn::platform {

// Allocates `size` zero-filled bytes (a block of at least one byte, so 0 also succeeds).
// Returns nullptr when the heap cannot supply them.
void* ProcessHeapAlloc(size_t size);

// Returns a block from ProcessHeapAlloc to the heap. nullptr is ignored.
void ProcessHeapFree(void* block);

struct HeapBlockTraits {
  using Handle = void*;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle block) { ProcessHeapFree(block); }
};

// Owns one process-heap block.
class UniqueHeapBlock : public UniqueResource<HeapBlockTraits> {
 public:
  UniqueHeapBlock() = default;
  explicit UniqueHeapBlock(void* block) : UniqueResource(block) {}
  // Allocates `size` zeroed bytes; IsValid() tells whether that succeeded.
  static UniqueHeapBlock Allocate(size_t size) { return UniqueHeapBlock(ProcessHeapAlloc(size)); }
  template <typename T>
  T* As() const {
    return static_cast<T*>(Get());
  }
};

}  // namespace hvn::platform

#endif  // HVN_PLATFORM_HEAP_H_
