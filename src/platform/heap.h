// Blocks on the process heap: HeapAlloc/HeapFree on GetProcessHeap() in the Windows build,
// calloc/free in the portable build. Records that own heap texts (the policy's lists, message
// blocks and templates, the server list) allocate and release them only through these two calls.
#ifndef HVN_PLATFORM_HEAP_H_
#define HVN_PLATFORM_HEAP_H_

#include <cstddef>

namespace hvn::platform {

// Allocates `size` bytes of zeroed memory from the process heap. Returns nullptr when the
// heap cannot supply it; a `size` of 0 still gives a (one-byte) block that must be released.
void* HeapAllocZeroed(size_t size);

// Returns a block from HeapAllocZeroed to the process heap; nullptr is ignored.
void HeapRelease(void* block);

}  // namespace hvn::platform

#endif  // HVN_PLATFORM_HEAP_H_
