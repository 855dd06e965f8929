// The one-time upgrade of the earlier product version's settings into the current settings
// key (kClientSettingsKey).
#ifndef HVN_CONFIG_MIGRATE_SETTINGS_H_
#define HVN_CONFIG_MIGRATE_SETTINGS_H_

#include <cstdint>

#include "platform/registry.h"

namespace hvn {

constexpr char kEarlierVersionKey[] = "SOFTWARE\\Bexmoor Software\\Halvern Client\\3.0";
constexpr char kEarlierProductKey[] = "SOFTWARE\\Bexmoor Software\\Halvern Client";

// Moves the earlier product version's settings into the current key once, under `root`
// (HKEY_LOCAL_MACHINE in the product; tests pass a key of their own):
//  - no earlier version key: nothing to do, 0;
//  - the current key exists: the whole earlier product key is deleted, the current key is
//    not touched, 0;
//  - otherwise the earlier version key is moved to the current key (values, subkeys and key
//    classes) and then the earlier product key is deleted. Returns the move's code.
// A copy that fails half-way removes the partial current key again and leaves the earlier
// key in place, so the next start tries again with nothing lost.
uint32_t MigrateEarlierSettings(HKEY root);
// The same under HKEY_LOCAL_MACHINE.
uint32_t MigrateEarlierSettings();

}  // namespace hvn

#endif  // HVN_CONFIG_MIGRATE_SETTINGS_H_
