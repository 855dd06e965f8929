#include <cstring>

#include "config/event_source.h"
#include "setup/event_source_registration.h"

namespace hvn {

void RegisterClientEventSource(HKEY root) {
  platform::UniqueKey key;
  char empty_class[] = "";
  if (::RegCreateKeyExA(root, kEventSourceKeyPath, 0, empty_class, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE, nullptr, key.Receive(), nullptr) != ERROR_SUCCESS) {
    return;
  }
  ::RegSetValueExA(key.Get(), "EventMessageFile", 0, REG_EXPAND_SZ,
                   reinterpret_cast<const BYTE*>(kEventMessageFile), sizeof(kEventMessageFile));
  const DWORD types = kEventTypesSupported;
  ::RegSetValueExA(key.Get(), "TypesSupported", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&types),
                   sizeof(types));
}

void RegisterClientEventSource() {
  RegisterClientEventSource(HKEY_LOCAL_MACHINE);
}

void RemoveClientEventSource(HKEY root) {
  ::RegDeleteKeyA(root, kEventSourceKeyPath);
}

void RemoveClientEventSource() {
  RemoveClientEventSource(HKEY_LOCAL_MACHINE);
}

}  // namespace hvn
