#include "config/registry_record.h"

namespace hvn {

uint32_t RegistryRecord::Load(HKEY root, const char* subkey) {
  if (uint32_t rc = SetDefaults(); rc != 0) return rc;
  platform::UniqueKey key;
  if (LONG rc = ::RegOpenKeyExA(root, subkey, 0, KEY_READ, key.Receive()); rc != ERROR_SUCCESS)
    return static_cast<uint32_t>(rc);
  return ReadValues(key.Get());
}

uint32_t RegistryRecord::Save(HKEY root, const char* subkey) {
  platform::UniqueKey key;
  if (LONG rc = ::RegCreateKeyExA(root, subkey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                                  nullptr, key.Receive(), nullptr);
      rc != ERROR_SUCCESS) {
    return static_cast<uint32_t>(rc);
  }
  return WriteValues(key.Get());
}

}  // namespace hvn
