// Registry states of the installation tests: a list of keys and values under a test tree,
// set up before an operation and compared after it, so each table row reads as "before" and
// "after".
#ifndef HVN_TESTS_SETUP_REGISTRY_STATE_WIN_H_
#define HVN_TESTS_SETUP_REGISTRY_STATE_WIN_H_

#include <string>
#include <vector>

#include "config/registry_test_key.h"

namespace hvn::test {

// A value of `key` when `name` is given, else the key itself. `data` null: absent. A value's
// data is its text (REG_SZ, stored with its terminator), "dword:N" for a REG_DWORD.
struct RegistryItem {
  const char* key;
  const char* name;
  const char* data;
};
using RegistryState = std::vector<RegistryItem>;

constexpr char kPresent[] = "<key>";

// Creates, sets and deletes what the state lists.
void ApplyState(const RegistryTestKey& tree, const RegistryState& state);
// Expects every listed item as given; `row` names the table row in failures.
void ExpectState(const RegistryTestKey& tree, const RegistryState& state, const std::string& row);
// Creates `parent` (ordinary keys) and below it the volatile key `name`, under which no
// ordinary key can be created: the way a write is made to fail for real.
void CreateVolatileKey(const RegistryTestKey& tree, const std::string& parent, const char* name);
// The value as ExpectState sees it: its text, "dword:N", or "<absent>".
std::string ReadItem(const RegistryTestKey& tree, const char* key, const char* name);

}  // namespace hvn::test

#endif  // HVN_TESTS_SETUP_REGISTRY_STATE_WIN_H_
