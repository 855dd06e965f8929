#include "platform/heap.h"
#include "platform/win.h"

namespace hvn::platform {

void* HeapAllocZeroed(size_t size) {
  return ::HeapAlloc(::GetProcessHeap(), HEAP_ZERO_MEMORY, size == 0 ? 1 : size);
}

void HeapRelease(void* block) {
  if (block != nullptr) ::HeapFree(::GetProcessHeap(), 0, block);
}

}  // namespace hvn::platform
