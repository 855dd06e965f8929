#include <cstdlib>

#include "platform/heap.h"

namespace hvn::platform {

void* ProcessHeapAlloc(size_t size) {
  return std::calloc(size == 0 ? 1 : size, 1);
}

void ProcessHeapFree(void* block) {
  std::free(block);
}

}  // namespace hvn::platform
