#include <cstring>

#include "dialogs/windows_version.h"

namespace hvn {
namespace {

bool IsVersion(DWORD major, DWORD minor) {
  OSVERSIONINFOA info;
  std::memset(&info, 0, sizeof(info));
  info.dwOSVersionInfoSize = sizeof(info);
  if (!::GetVersionExA(&info)) return false;
  return info.dwPlatformId == VER_PLATFORM_WIN32_NT && info.dwMajorVersion == major &&
         info.dwMinorVersion == minor;
}

}  // namespace

bool IsWindows2000() {
  return IsVersion(5, 0);
}
bool IsWindowsXP() {
  return IsVersion(5, 1);
}

}  // namespace hvn
