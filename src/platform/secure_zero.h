// Overwrites memory with zeros in a way the compiler may not drop, for password texts that must
// not stay in memory once a check is done with them.
#ifndef HVN_PLATFORM_SECURE_ZERO_H_
#define HVN_PLATFORM_SECURE_ZERO_H_

#include <cstddef>

namespace hvn::platform {

// Sets `size` bytes at `data` to zero through a volatile pointer, so the stores are kept even
// when the memory is not read again.
inline void SecureZero(void* data, size_t size) {
  volatile unsigned char* bytes = static_cast<volatile unsigned char*>(data);
  for (size_t i = 0; i < size; ++i) bytes[i] = 0;
}

}  // namespace hvn::platform

#endif  // HVN_PLATFORM_SECURE_ZERO_H_
