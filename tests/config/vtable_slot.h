// The virtual-table slot of a virtual member function, read from its member pointer as the
// Itanium C++ ABI (g++ and mingw-w64 alike) lays it out: 1 + the slot's byte offset.
#ifndef HVN_TESTS_CONFIG_VTABLE_SLOT_H_
#define HVN_TESTS_CONFIG_VTABLE_SLOT_H_

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace hvn::test {

template <typename MemberPointer>
ptrdiff_t VirtualSlot(MemberPointer member) {
  static_assert(sizeof(member) == 2 * sizeof(ptrdiff_t), "Itanium member pointer layout");
  ptrdiff_t words[2];
  std::memcpy(words, &member, sizeof(words));
  if ((words[0] & 1) == 0) return -1;  // not virtual
  return (words[0] - 1) / static_cast<ptrdiff_t>(sizeof(void*));
}

}  // namespace hvn::test

#endif  // HVN_TESTS_CONFIG_VTABLE_SLOT_H_
