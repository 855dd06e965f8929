// The base of every record kept in one registry key (the client settings, the logon
// provider's values, the policy's registry form). A derived record supplies three operations,
// which sit in the first three slots of the virtual table in this order; Load and Save are
// built on them.
#ifndef HVN_CONFIG_REGISTRY_RECORD_H_
#define HVN_CONFIG_REGISTRY_RECORD_H_

#include <cstdint>

#include "platform/registry.h"

namespace hvn {

class RegistryRecord {
 public:
  // Puts every field to its default and releases whatever an earlier load allocated.
  // Returns 0 or a Win32 code.
  virtual uint32_t SetDefaults() = 0;
  // Fills the fields from an open key. Returns 0 or a Win32 code.
  virtual uint32_t ReadValues(HKEY key) = 0;
  // Stores the fields into an open key. Returns 0 or a Win32 code (50 for records that are
  // never written).
  virtual uint32_t WriteValues(HKEY key) = 0;
  // Declared after the three operations so that they keep the first three slots.
  virtual ~RegistryRecord() = default;

  // Restores the defaults first (a failure is returned at once), then opens `subkey` under
  // `root` for reading and runs ReadValues, whose result is returned. When the key cannot be
  // opened, the open's code is returned and the record holds its defaults (so a value deleted
  // since the last load falls back to its default). The key is closed on every path.
  uint32_t Load(HKEY root, const char* subkey);

  // Creates or opens `subkey` under `root` for writing (no class, non-volatile) and runs
  // WriteValues, whose result is returned; the open's code on failure. No defaults are set.
  uint32_t Save(HKEY root, const char* subkey);

 protected:
  RegistryRecord() = default;
  RegistryRecord(const RegistryRecord&) = default;
  RegistryRecord& operator=(const RegistryRecord&) = default;
};

}  // namespace hvn

#endif  // HVN_CONFIG_REGISTRY_RECORD_H_
