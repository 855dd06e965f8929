// Removal of what earlier client versions left in the registry. Windows build.
#ifndef HVN_SETUP_EARLIER_VERSION_CLEANUP_H_
#define HVN_SETUP_EARLIER_VERSION_CLEANUP_H_

#include <cstdint>

#include "platform/registry.h"

namespace hvn {

// Run before every full activation. On Windows 9x it restores the password provider of
// "SYSTEM\CurrentControlSet\Control\PwdProvider\MSNP32" ("ProviderPath" from the saved
// "REM_ProviderPath"; an earlier client or a missing path becomes "MSNP32.DLL"), deletes the
// earlier client's values there and renames "REM_NetworkProvider" back to "NetworkProvider".
// On NT it copies "HVN_REM_GinaDLL" to "REM_GinaDLL" of the Winlogon key when only the former
// can be read, and deletes the earlier client's "HVN_*" values there. Then, on both, it
// deletes "SOFTWARE\Zarn\Halvern Client" with everything below it. Returns 0, or the error of
// opening the platform's key, in which case nothing at all is changed. Other errors are
// ignored. On a platform that is neither 9x nor NT only the last step runs.
uint32_t RemoveEarlierVersionSettings();
uint32_t RemoveEarlierVersionSettings(HKEY root);

// Run last in every deactivation: deletes the subkey "3.0" of
// "SOFTWARE\Norvex\Halvern Client" with everything below it. Failures are ignored.
void RemoveEarlierVersionKey();
void RemoveEarlierVersionKey(HKEY root);

}  // namespace hvn

#endif  // HVN_SETUP_EARLIER_VERSION_CLEANUP_H_
