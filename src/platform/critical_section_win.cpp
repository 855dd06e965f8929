#include "platform/critical_section.h"
#include "platform/win.h"

namespace hvn::platform {
namespace {
CRITICAL_SECTION* AsSection(unsigned char* storage) {
  return reinterpret_cast<CRITICAL_SECTION*>(storage);
}
}  // namespace

static_assert(sizeof(CRITICAL_SECTION) <= 64, "the lock must fit its storage");

CriticalSection::CriticalSection() {
  ::InitializeCriticalSection(AsSection(storage_));
}
CriticalSection::~CriticalSection() {
  ::DeleteCriticalSection(AsSection(storage_));
}
void CriticalSection::Enter() {
  ::EnterCriticalSection(AsSection(storage_));
}
void CriticalSection::Leave() {
  ::LeaveCriticalSection(AsSection(storage_));
}

}  // namespace hvn::platform
