#include <cstring>

#include "setup/run_services.h"

namespace hvn {

void RegisterRunServicesEntry(HKEY root, const char* program_path) {
  if (program_path == nullptr || program_path[0] == '\0') return;
  platform::UniqueKey key;
  char empty_class[] = "";
  if (::RegCreateKeyExA(root, kRunServicesKeyPath, 0, empty_class, REG_OPTION_NON_VOLATILE,
                        KEY_WRITE, nullptr, key.Receive(), nullptr) != ERROR_SUCCESS) {
    return;
  }
  ::RegSetValueExA(key.Get(), kRunServicesValueName, 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(program_path),
                   static_cast<DWORD>(std::strlen(program_path) + 1));
}

void RegisterRunServicesEntry(const char* program_path) {
  RegisterRunServicesEntry(HKEY_LOCAL_MACHINE, program_path);
}

void RemoveRunServicesEntry(HKEY root) {
  platform::UniqueKey key;
  if (::RegOpenKeyExA(root, kRunServicesKeyPath, 0, KEY_WRITE, key.Receive()) != ERROR_SUCCESS)
    return;
  ::RegDeleteValueA(key.Get(), kRunServicesValueName);
}

void RemoveRunServicesEntry() {
  RemoveRunServicesEntry(HKEY_LOCAL_MACHINE);
}

}  // namespace hvn
