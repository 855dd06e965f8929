// The NT versions whose password dialogs differ (the platform itself: platform/platform_id.h).
// Windows build only.
#ifndef HVN_DIALOGS_WINDOWS_VERSION_H_
#define HVN_DIALOGS_WINDOWS_VERSION_H_

#include "platform/win.h"

namespace hvn {

// True on Windows 2000 (NT platform, version 5.0) and on Windows XP (5.1) respectively.
bool IsWindows2000();
bool IsWindowsXP();

}  // namespace hvn

#endif  // HVN_DIALOGS_WINDOWS_VERSION_H_
