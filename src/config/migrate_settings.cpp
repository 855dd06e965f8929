#include "config/migrate_settings.h"

#include "config/client_settings.h"
#include "config/registry_tree.h"

namespace hvn {
namespace {

bool KeyExists(HKEY root, const char* path) {
  platform::UniqueKey key;
  return ::RegOpenKeyExA(root, path, 0, KEY_READ, key.Receive()) == ERROR_SUCCESS;
}

}  // namespace

uint32_t MigrateEarlierSettings(HKEY root) {
  if (!KeyExists(root, kEarlierVersionKey)) return 0;
  if (KeyExists(root, kClientSettingsKey)) {
    // Settings of this version win; the earlier product's keys only go.
    DeleteRegistryTree(root, kEarlierProductKey);
    return 0;
  }
  bool copy_failed = false;
  uint32_t rc = MoveRegistryTree(root, kEarlierVersionKey, kClientSettingsKey, &copy_failed);
  if (rc != 0) {
    // A partial copy would make the next start believe the upgrade was done and delete the
    // earlier settings: remove it, so the earlier key stays the only copy and is tried again.
    // (When the copy succeeded but deleting the source failed, the copy is complete and
    // stays.)
    if (copy_failed) DeleteRegistryTree(root, kClientSettingsKey);
    return rc;
  }
  DeleteRegistryTree(root, kEarlierProductKey);
  return 0;
}

uint32_t MigrateEarlierSettings() {
  return MigrateEarlierSettings(HKEY_LOCAL_MACHINE);
}

}  // namespace hvn
