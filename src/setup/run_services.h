// The Windows 9x start-up entry of the client: value "HVNc9x" of HKEY_LOCAL_MACHINE
// "SOFTWARE\Microsoft\Windows\CurrentVersion\RunServices", which starts HVNc9x.exe at boot.
// Failures are ignored: they never fail an activation or deactivation. Windows build.
#ifndef HVN_SETUP_RUN_SERVICES_H_
#define HVN_SETUP_RUN_SERVICES_H_

#include "platform/registry.h"

namespace hvn {

constexpr char kRunServicesKeyPath[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunServices";
constexpr char kRunServicesValueName[] = "HVNc9x";
constexpr char kStartupProgramName[] = "HVNc9x.exe";

// Creates or opens the RunServices key and sets "HVNc9x" to `program_path` (the full path of
// HVNc9x.exe) as REG_SZ with its terminator. A null or empty path writes nothing.
void RegisterRunServicesEntry(const char* program_path);
void RegisterRunServicesEntry(HKEY root, const char* program_path);

// Deletes "HVNc9x" from the RunServices key when the key can be opened.
void RemoveRunServicesEntry();
void RemoveRunServicesEntry(HKEY root);

}  // namespace hvn

#endif  // HVN_SETUP_RUN_SERVICES_H_
