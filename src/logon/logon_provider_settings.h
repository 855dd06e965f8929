// The two Winlogon values that make up the logon-provider chain, as one registry record:
// "GinaDLL", the provider Winlogon loads, and "REM_GinaDLL", the provider this client chains
// to. Used by the logon provider and by the installers; each use has its own instance.
#ifndef HVN_LOGON_LOGON_PROVIDER_SETTINGS_H_
#define HVN_LOGON_LOGON_PROVIDER_SETTINGS_H_

#include <cstddef>
#include <cstdint>

#include "platform/registry.h"

namespace hvn {

constexpr size_t kProviderNameSize = 260;  // bytes, terminator included

class LogonProviderSettings {
 public:
  // Both fields "MSGINA.DLL". Returns 0.
  uint32_t SetDefaults();
  // Reads "GinaDLL" then "REM_GinaDLL" (260 bytes each) from the open key and returns the
  // first error. A value that cannot be read leaves its field at "MSGINA.DLL"; a value that
  // fills the whole field is cut so that the terminator stays inside it.
  uint32_t ReadValues(HKEY key);
  // Stores each non-empty field as REG_SZ with its terminator and deletes the value of each
  // empty one, then flushes the key. Returns the first failed store (deletions not counted).
  uint32_t WriteValues(HKEY key);

  // SetDefaults, then ReadValues from `root\subkey`. Returns the open error (the fields keep
  // their defaults) or ReadValues' result.
  uint32_t Load(HKEY root, const char* subkey);
  // Creates or opens `root\subkey` for writing and runs WriteValues on it.
  uint32_t Save(HKEY root, const char* subkey);

  char GinaDLL[kProviderNameSize];
  char REM_GinaDLL[kProviderNameSize];
};

}  // namespace hvn

#endif  // HVN_LOGON_LOGON_PROVIDER_SETTINGS_H_
