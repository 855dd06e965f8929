#include <cstdlib>

#include "platform/heap.h"

namespace hvn::platform {

void* HeapAllocZeroed(size_t size) {
  return std::calloc(size == 0 ? 1 : size, 1);
}

void HeapRelease(void* block) {
  std::free(block);
}

}  // namespace hvn::platform
