#include <cstring>

#include "platform/platform_id.h"
#include "platform/win.h"

namespace hvn {

uint32_t GetPlatformId() {
  OSVERSIONINFOA info;
  std::memset(&info, 0, sizeof(info));
  static_assert(sizeof(OSVERSIONINFOA) == 148, "the version is asked with the 148-byte record");
  info.dwOSVersionInfoSize = sizeof(info);
  if (!::GetVersionExA(&info)) return 0;
  return info.dwPlatformId;
}

}  // namespace hvn
