// Whole-subtree operations: delete, copy and move a key with all its values and subkeys.
// Paths are relative to `root` (an open key or a predefined root). Each operation returns the
// first Win32 code that ended it and leaves what it had done so far.
#ifndef HVN_CONFIG_REGISTRY_TREE_H_
#define HVN_CONFIG_REGISTRY_TREE_H_

#include <cstddef>
#include <cstdint>

#include "platform/registry.h"

namespace hvn {

// Size of the path, name and class buffers of the tree operations, terminator included.
constexpr size_t kRegistryPathSize = 1024;

// Deletes `subkey` under `root` with all its subkeys and values, deepest first. An empty or
// null path is refused with 87 (it would empty the root itself). A failure half-way leaves the
// children not yet visited. Every key opened is closed on every path.
uint32_t DeleteRegistryTree(HKEY root, const char* subkey);

// Copies `source` under `root` with all values and subkeys to `target` under the same root.
// A target key that the copy creates gets `key_class` (null or "" for none); subkeys get their
// source's class. An existing target is merged into: values of the same name are overwritten,
// others stay. A child path that would not fit in kRegistryPathSize bytes (with its NUL) is
// refused with 122 before that child is touched; this also ends a copy of a key into its own
// subtree. Empty or null paths give 87. A failed copy is not undone.
uint32_t CopyRegistryTree(HKEY root, const char* source, const char* target, const char* key_class);

// Copies `source` to `target` (keeping the source's class) and then deletes the source. A
// failed copy deletes nothing and returns its code; otherwise the deletion's code is
// returned. When `copy_failed` is given it tells which of the two steps failed: true when the
// copy failed (the target may hold a partial copy), false otherwise.
uint32_t MoveRegistryTree(HKEY root, const char* source, const char* target,
                          bool* copy_failed = nullptr);

}  // namespace hvn

#endif  // HVN_CONFIG_REGISTRY_TREE_H_
