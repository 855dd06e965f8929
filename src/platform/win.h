// The one gateway to the Windows API. Every Win32 unit includes this header instead of
// <windows.h>, so the API level and the Winsock version are the same everywhere: the oldest
// API level we support (NT 4), and Winsock 1.1, which every Windows version we run on has.
#ifndef HVN_PLATFORM_WIN_H_
#define HVN_PLATFORM_WIN_H_

#ifndef _WIN32
#error "win.h is for the Windows build only; portable units must not include it"
#endif

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef _WIN32_WINNT
#define _WIN32_WINNT 0x0400
#endif

// clang-format off
#include <winsock.h>
#include <windows.h>
// clang-format on

static_assert(sizeof(wchar_t) == 2, "UTF-16 texts are passed to Win32 as wchar_t");

namespace hvn::platform {

// Views a portable UTF-16 text as the wchar_t text Win32 expects (same size and encoding).
inline const wchar_t* AsWide(const char16_t* text) {
  return reinterpret_cast<const wchar_t*>(text);
}
inline wchar_t* AsWide(char16_t* text) { return reinterpret_cast<wchar_t*>(text); }

}  // namespace hvn::platform

#endif  // HVN_PLATFORM_WIN_H_
