#include "config/registry_tree.h"

#include <cstdio>

#include "config/registry_value.h"
#include "platform/heap.h"

namespace hvn {
namespace {

using platform::UniqueKey;

bool IsEmptyPath(const char* path) {
  return path == nullptr || path[0] == '\0';
}

// Forms "parent\child" into `out` (kRegistryPathSize bytes); false when it does not fit.
bool JoinPath(const char* parent, const char* child, char* out) {
  int length = std::snprintf(out, kRegistryPathSize, "%s\\%s", parent, child);
  return length >= 0 && static_cast<size_t>(length) < kRegistryPathSize;
}

uint32_t CopyValues(HKEY source, HKEY target) {
  char name[kRegistryPathSize];
  for (DWORD index = 0;; ++index) {
    DWORD name_length = sizeof(name);
    LONG rc =
        ::RegEnumValueA(source, index, name, &name_length, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_NO_MORE_ITEMS) return 0;
    if (rc != ERROR_SUCCESS) return static_cast<uint32_t>(rc);
    if (uint32_t copy_rc = CopyRegistryValue(source, target, name, name); copy_rc != 0)
      return copy_rc;
  }
}

// The buffers of one level of a tree copy. They live on the heap: a tree may be hundreds of
// levels deep, and 4 KB of stack per level could overflow the caller's stack.
struct CopyBuffers {
  char name[kRegistryPathSize];
  char key_class[kRegistryPathSize];
  char child_source[kRegistryPathSize];
  char child_target[kRegistryPathSize];
};

uint32_t CopySubkeys(HKEY root, HKEY source_key, const char* source, const char* target) {
  platform::UniqueHeapBlock block = platform::UniqueHeapBlock::Allocate(sizeof(CopyBuffers));
  if (!block.IsValid()) return ERROR_NOT_ENOUGH_MEMORY;
  CopyBuffers& buffers = *block.As<CopyBuffers>();
  char* name = buffers.name;
  char* key_class = buffers.key_class;
  char* child_source = buffers.child_source;
  char* child_target = buffers.child_target;
  for (DWORD index = 0;; ++index) {
    DWORD name_length = kRegistryPathSize;
    DWORD class_length = kRegistryPathSize;
    LONG rc = ::RegEnumKeyExA(source_key, index, name, &name_length, nullptr, key_class,
                              &class_length, nullptr);
    if (rc == ERROR_NO_MORE_ITEMS) return 0;
    if (rc != ERROR_SUCCESS) return static_cast<uint32_t>(rc);
    if (!JoinPath(source, name, child_source) || !JoinPath(target, name, child_target)) {
      return ERROR_INSUFFICIENT_BUFFER;
    }
    if (uint32_t copy_rc = CopyRegistryTree(root, child_source, child_target, key_class);
        copy_rc != 0) {
      return copy_rc;
    }
  }
}

}  // namespace

uint32_t DeleteRegistryTree(HKEY root, const char* subkey) {
  if (IsEmptyPath(subkey)) return ERROR_INVALID_PARAMETER;
  UniqueKey key;
  LONG rc = ::RegOpenKeyExA(root, subkey, 0, KEY_ENUMERATE_SUB_KEYS | DELETE, key.Receive());
  if (rc != ERROR_SUCCESS) return static_cast<uint32_t>(rc);
  // A key name is at most 255 characters, which in a double-byte code page can take up to
  // 510 bytes: the name buffer is sized for that. It lives on the heap, as the recursion goes
  // as deep as the tree.
  platform::UniqueHeapBlock block = platform::UniqueHeapBlock::Allocate(kRegistryPathSize);
  if (!block.IsValid()) return ERROR_NOT_ENOUGH_MEMORY;
  char* child = block.As<char>();
  for (;;) {
    DWORD child_length = kRegistryPathSize;
    rc = ::RegEnumKeyExA(key.Get(), 0, child, &child_length, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_NO_MORE_ITEMS) {
      key.Reset();
      return static_cast<uint32_t>(::RegDeleteKeyA(root, subkey));
    }
    if (rc != ERROR_SUCCESS) return static_cast<uint32_t>(rc);
    if (uint32_t child_rc = DeleteRegistryTree(key.Get(), child); child_rc != 0) return child_rc;
  }
}

uint32_t CopyRegistryTree(HKEY root, const char* source, const char* target,
                          const char* key_class) {
  if (IsEmptyPath(source) || IsEmptyPath(target)) return ERROR_INVALID_PARAMETER;
  UniqueKey source_key;
  LONG rc = ::RegOpenKeyExA(root, source, 0, KEY_READ, source_key.Receive());
  if (rc != ERROR_SUCCESS) return static_cast<uint32_t>(rc);
  UniqueKey target_key;
  rc = ::RegCreateKeyExA(root, target, 0, const_cast<char*>(key_class), REG_OPTION_NON_VOLATILE,
                         KEY_WRITE, nullptr, target_key.Receive(), nullptr);
  if (rc != ERROR_SUCCESS) return static_cast<uint32_t>(rc);
  uint32_t result = CopyValues(source_key.Get(), target_key.Get());
  if (result == 0) result = CopySubkeys(root, source_key.Get(), source, target);
  return result;
}

uint32_t MoveRegistryTree(HKEY root, const char* source, const char* target, bool* copy_failed) {
  if (copy_failed != nullptr) *copy_failed = false;
  if (IsEmptyPath(source) || IsEmptyPath(target)) return ERROR_INVALID_PARAMETER;
  char key_class[kRegistryPathSize] = {};
  {
    UniqueKey source_key;
    LONG rc = ::RegOpenKeyExA(root, source, 0, KEY_READ, source_key.Receive());
    if (rc != ERROR_SUCCESS) return static_cast<uint32_t>(rc);
    DWORD class_length = sizeof(key_class);
    rc = ::RegQueryInfoKeyA(source_key.Get(), key_class, &class_length, nullptr, nullptr, nullptr,
                            nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    if (rc != ERROR_SUCCESS) return static_cast<uint32_t>(rc);
  }
  if (uint32_t rc = CopyRegistryTree(root, source, target, key_class); rc != 0) {
    if (copy_failed != nullptr) *copy_failed = true;
    return rc;
  }
  return DeleteRegistryTree(root, source);
}

}  // namespace hvn
