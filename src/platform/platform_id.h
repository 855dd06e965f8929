// Which operating system family the process runs on. Clients and installers branch on it.
// Windows build only.
#ifndef HVN_PLATFORM_PLATFORM_ID_H_
#define HVN_PLATFORM_PLATFORM_ID_H_

#include <cstdint>

namespace hvn {

constexpr uint32_t kPlatformWindows9x = 1;  // VER_PLATFORM_WIN32_WINDOWS
constexpr uint32_t kPlatformWindowsNT = 2;  // VER_PLATFORM_WIN32_NT

// The platform id GetVersionExA reports (asked with the 148-byte OSVERSIONINFOA): 1 on
// Windows 9x, 2 on the NT platform, 0 when the version cannot be read.
uint32_t GetPlatformId();

}  // namespace hvn

#endif  // HVN_PLATFORM_PLATFORM_ID_H_
