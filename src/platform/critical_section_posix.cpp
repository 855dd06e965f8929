#include <mutex>
#include <new>

#include "platform/critical_section.h"

namespace hvn::platform {
namespace {
std::mutex& AsMutex(unsigned char* storage) {
  return *std::launder(reinterpret_cast<std::mutex*>(storage));
}
}  // namespace

static_assert(sizeof(std::mutex) <= 64, "the lock must fit its storage");

CriticalSection::CriticalSection() {
  new (storage_) std::mutex();
}
CriticalSection::~CriticalSection() {
  AsMutex(storage_).~mutex();
}
void CriticalSection::Enter() {
  AsMutex(storage_).lock();
}
void CriticalSection::Leave() {
  AsMutex(storage_).unlock();
}

}  // namespace hvn::platform
