// Writing an imported configuration file into the client's settings under HKEY_LOCAL_MACHINE
// "SOFTWARE\Norvex\Halvern Client\3.5", and clearing them on deactivation. Windows build.
#ifndef HVN_SETUP_CLIENT_SETTINGS_IMPORT_H_
#define HVN_SETUP_CLIENT_SETTINGS_IMPORT_H_

#include <cstdint>

#include "platform/registry.h"
#include "setup/client_config_file.h"

namespace hvn {

// Creates or opens the settings key (non-volatile, no class) and then, each step attempted
// even after an earlier one failed:
//  - "HVServers" (REG_MULTI_SZ, ServerListLength + 1 bytes) when the list's first entry is
//    not empty; otherwise an existing value stays;
//  - "HVS_Port", "Timeout", "Retries": deleted when the text is empty (an absent value is no
//    failure), otherwise set to ConfigTextToNumber(text) as a REG_DWORD.
// Returns 0, or 1603 when the key cannot be created (nothing written) or any set failed.
// A server list or text that is not properly terminated inside its field is not written and
// counts as a failed set. Nothing is rolled back: what was written before a failure stays.
uint32_t WriteClientSettings(const ClientConfigFile& config);
// The same with the settings key under `root` instead of HKEY_LOCAL_MACHINE.
uint32_t WriteClientSettings(HKEY root, const ClientConfigFile& config);

// WriteClientSettings of an empty file: creates the settings key if missing, deletes
// "HVS_Port", "Timeout" and "Retries" and leaves "HVServers" alone. Returns 0 or 1603.
uint32_t ClearClientSettings();
uint32_t ClearClientSettings(HKEY root);

}  // namespace hvn

#endif  // HVN_SETUP_CLIENT_SETTINGS_IMPORT_H_
