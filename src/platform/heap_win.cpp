#include "platform/heap.h"
#include "platform/win.h"

namespace hvn::platform {

void* ProcessHeapAlloc(size_t size) {
  return ::HeapAlloc(::GetProcessHeap(), HEAP_ZERO_MEMORY, size == 0 ? 1 : size);
}

void ProcessHeapFree(void* block) {
  if (block != nullptr) ::HeapFree(::GetProcessHeap(), 0, block);
}

}  // namespace hvn::platform
