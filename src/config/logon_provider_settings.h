// The two Winlogon values that make up the logon-provider chain, as one registry record:
// "GinaDLL", the provider Winlogon loads, and "REM_GinaDLL", the provider this client chains
// to. Used by the logon provider and by the installers; each use has its own instance.
#ifndef HVN_CONFIG_LOGON_PROVIDER_SETTINGS_H_
#define HVN_CONFIG_LOGON_PROVIDER_SETTINGS_H_

#include <cstddef>
#include <cstdint>

#include "config/registry_record.h"

namespace hvn {

constexpr size_t kProviderNameSize = 260;  // bytes, terminator included
constexpr char kStandardProviderName[] = "MSGINA.DLL";
constexpr char kWinlogonKeyPath[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";

class LogonProviderSettings : public RegistryRecord {
 public:
  LogonProviderSettings() { SetDefaults(); }

  // Both fields "MSGINA.DLL". Returns 0.
  uint32_t SetDefaults() override;
  // Reads "GinaDLL" then "REM_GinaDLL" (260 bytes each) and returns the first error. A field
  // always stays terminated inside its 260 bytes: a value that does not fit with its
  // terminator is refused (234) like an absent one (2), and the field keeps "MSGINA.DLL".
  uint32_t ReadValues(HKEY key) override;
  // Stores each non-empty field as REG_SZ with its terminator and deletes the value of each
  // empty one (deleting an absent value is no error), then flushes the key. When "GinaDLL"
  // names this client, "REM_GinaDLL" is written first; otherwise "GinaDLL" is. The second value
  // is written only when the first was, so the client never heads the chain in front of a
  // provider that was not saved, and never loses the saved one while it still heads it.
  // Returns the first failure; a field without a terminator inside its 260 bytes is not stored
  // (87).
  uint32_t WriteValues(HKEY key) override;

  char GinaDLL[kProviderNameSize];
  char REM_GinaDLL[kProviderNameSize];
};

}  // namespace hvn

#endif  // HVN_CONFIG_LOGON_PROVIDER_SETTINGS_H_
