// The in-memory registry of the portable build: the Reg*A calls the system uses, behaving as
// Windows does where the system (or its tests) can tell: case-insensitive names that keep
// their spelling, subkeys enumerated in name order, key classes, values of any type and size,
// handles with access rights, the predefined roots HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER,
// and Windows' result codes (2, 5, 6, 87, 161, 234, 259, 998, 1018). Nothing is persisted.
// All calls are serialised by one lock, so threads may share it as they share the real one.
#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/ansi_text.h"
#include "platform/registry.h"

namespace {

struct Value {
  std::string name;
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
};

struct Key {
  std::string name;
  std::string class_name;
  std::vector<Value> values;                  // in creation order
  std::vector<std::shared_ptr<Key>> subkeys;  // in name order, letter case ignored
  bool deleted = false;
};

}  // namespace

// An open handle: the key it names and the rights it was opened with.
struct HKEY__ {
  std::shared_ptr<Key> key;
  REGSAM access = 0;
};

namespace {

struct Registry {
  std::mutex lock;
  std::shared_ptr<Key> machine = std::make_shared<Key>();
  std::shared_ptr<Key> user = std::make_shared<Key>();
  std::set<HKEY> handles;
};

Registry& TheRegistry() {
  static Registry* registry = new Registry();  // never destroyed: handles may outlive main
  return *registry;
}

std::string Upper(const std::string& text) {
  std::string upper = text;
  hvn::platform::AnsiToUpper(upper.data(), upper.size());
  return upper;
}

bool SameName(const std::string& a, const char* b) {
  return hvn::platform::AnsiEqualIgnoreCase(a.data(), a.size(), b, std::strlen(b));
}

struct Resolved {
  std::shared_ptr<Key> key;
  REGSAM access = 0;
};

// Finds the key behind a handle. Returns 0, 6 (not a handle) or 1018 (key deleted).
LONG Resolve(Registry& registry, HKEY handle, Resolved& out) {
  if (handle == HKEY_LOCAL_MACHINE) {
    out = {registry.machine, KEY_ALL_ACCESS};
  } else if (handle == HKEY_CURRENT_USER) {
    out = {registry.user, KEY_ALL_ACCESS};
  } else if (registry.handles.count(handle) != 0) {
    out = {handle->key, handle->access};
  } else {
    return ERROR_INVALID_HANDLE;
  }
  return out.key->deleted ? ERROR_KEY_DELETED : ERROR_SUCCESS;
}

bool IsRoot(const Registry& registry, const std::shared_ptr<Key>& key) {
  return key == registry.machine || key == registry.user;
}

// Longest path the ANSI calls take (it is converted through a MAX_PATH buffer) and longest
// key name.
constexpr size_t kMaxPathArgument = 260;
constexpr size_t kMaxKeyName = 255;

// Splits a relative path at its backslashes; empty parts (doubled or trailing backslashes)
// are skipped. A leading backslash is a bad path (161), a path over 260 characters does not
// fit the conversion buffer (234), a name over 255 characters is invalid (87).
LONG SplitPath(const char* path, std::vector<std::string>& parts) {
  parts.clear();
  if (path == nullptr) return ERROR_SUCCESS;
  if (std::strlen(path) > kMaxPathArgument) return ERROR_MORE_DATA;
  if (path[0] == '\\') return ERROR_BAD_PATHNAME;
  std::string part;
  for (const char* p = path;; ++p) {
    if (*p == '\\' || *p == '\0') {
      if (part.size() > kMaxKeyName) return ERROR_INVALID_PARAMETER;
      if (!part.empty()) parts.push_back(part);
      part.clear();
      if (*p == '\0') break;
    } else {
      part.push_back(*p);
    }
  }
  return ERROR_SUCCESS;
}

std::vector<std::shared_ptr<Key>>::iterator FindChild(Key& parent, const std::string& name) {
  std::string upper = Upper(name);
  return std::find_if(
      parent.subkeys.begin(), parent.subkeys.end(),
      [&](const std::shared_ptr<Key>& child) { return Upper(child->name) == upper; });
}

std::shared_ptr<Key> Walk(std::shared_ptr<Key> key, const std::vector<std::string>& parts) {
  for (const std::string& part : parts) {
    auto it = FindChild(*key, part);
    if (it == key->subkeys.end()) return nullptr;
    key = *it;
  }
  return key;
}

std::shared_ptr<Key> AddChild(Key& parent, const std::string& name, const std::string& class_name) {
  auto child = std::make_shared<Key>();
  child->name = name;
  child->class_name = class_name;
  std::string upper = Upper(name);
  auto at = std::find_if(parent.subkeys.begin(), parent.subkeys.end(),
                         [&](const std::shared_ptr<Key>& k) { return Upper(k->name) > upper; });
  parent.subkeys.insert(at, child);
  return child;
}

std::vector<Value>::iterator FindValue(Key& key, const char* name) {
  if (name == nullptr) name = "";
  return std::find_if(key.values.begin(), key.values.end(),
                      [&](const Value& v) { return SameName(v.name, name); });
}

HKEY NewHandle(Registry& registry, std::shared_ptr<Key> key, REGSAM access) {
  HKEY handle = new HKEY__{std::move(key), access};
  registry.handles.insert(handle);
  return handle;
}

bool IsStringType(DWORD type) {
  return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// Copies `text` with its NUL into a caller's buffer of `*length` characters. Returns 234 when
// it does not fit (nothing copied); otherwise stores the length without the NUL.
LONG CopyName(const std::string& text, char* out, DWORD* length) {
  if (text.size() + 1 > *length) return ERROR_MORE_DATA;
  std::memcpy(out, text.c_str(), text.size() + 1);
  *length = static_cast<DWORD>(text.size());
  return ERROR_SUCCESS;
}

}  // namespace

LONG RegOpenKeyExA(HKEY key, const char* subkey, DWORD, REGSAM access, HKEY* result) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> hold(registry.lock);
  Resolved parent;
  if (LONG rc = Resolve(registry, key, parent); rc != ERROR_SUCCESS) return rc;
  std::vector<std::string> parts;
  if (LONG rc = SplitPath(subkey, parts); rc != ERROR_SUCCESS) return rc;
  if (parts.empty() && (key == HKEY_LOCAL_MACHINE || key == HKEY_CURRENT_USER)) {
    *result = key;  // a predefined root opened without a path is the root's own handle
    return ERROR_SUCCESS;
  }
  std::shared_ptr<Key> target = Walk(parent.key, parts);
  if (target == nullptr) return ERROR_FILE_NOT_FOUND;
  *result = NewHandle(registry, std::move(target), access);
  return ERROR_SUCCESS;
}

LONG RegCreateKeyExA(HKEY key, const char* subkey, DWORD, char* class_name, DWORD, REGSAM access,
                     SECURITY_ATTRIBUTES*, HKEY* result, DWORD* disposition) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> hold(registry.lock);
  Resolved parent;
  if (LONG rc = Resolve(registry, key, parent); rc != ERROR_SUCCESS) return rc;
  std::vector<std::string> parts;
  if (LONG rc = SplitPath(subkey, parts); rc != ERROR_SUCCESS) return rc;
  std::string key_class = class_name != nullptr ? class_name : "";
  std::shared_ptr<Key> current = parent.key;
  bool created = false;
  for (const std::string& part : parts) {
    auto it = FindChild(*current, part);
    if (it != current->subkeys.end()) {
      current = *it;
    } else {
      // Every key the call creates gets the class, as Windows does.
      current = AddChild(*current, part, key_class);
      created = true;
    }
  }
  if (disposition != nullptr)
    *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  *result = NewHandle(registry, std::move(current), access);
  return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key) {
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> hold(registry.lock);
  if (key == HKEY_LOCAL_MACHINE || key == HKEY_CURRENT_USER) return ERROR_SUCCESS;
  if (registry.handles.erase(key) == 0) return ERROR_INVALID_HANDLE;
  delete key;
  return ERROR_SUCCESS;
}

LONG RegQueryValueExA(HKEY key, const char* name, DWORD* reserved, DWORD* type, BYTE* data,
                      DWORD* size) {
  if (reserved != nullptr || (data != nullptr && size == nullptr)) return ERROR_INVALID_PARAMETER;
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> hold(registry.lock);
  Resolved resolved;
  if (LONG rc = Resolve(registry, key, resolved); rc != ERROR_SUCCESS) return rc;
  if ((resolved.access & KEY_QUERY_VALUE) == 0) return ERROR_ACCESS_DENIED;
  auto it = FindValue(*resolved.key, name);
  if (it == resolved.key->values.end()) return ERROR_FILE_NOT_FOUND;
  DWORD stored = static_cast<DWORD>(it->data.size());
  if (type != nullptr) *type = it->type;
  if (data != nullptr && *size < stored) {
    *size = stored;
    return ERROR_MORE_DATA;
  }
  if (data != nullptr && stored != 0) std::memcpy(data, it->data.data(), stored);
  if (size != nullptr) *size = stored;
  return ERROR_SUCCESS;
}

LONG RegSetValueExA(HKEY key, const char* name, DWORD, DWORD type, const BYTE* data, DWORD size) {
  if (data == nullptr && size != 0) return ERROR_NOACCESS;
  // As Windows does: a text whose last byte is not NUL but is followed by one takes that NUL
  // too (the caller's buffer is read one byte past `size`).
  if (IsStringType(type) && size != 0 && data[size - 1] != 0 && data[size] == 0) ++size;
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> hold(registry.lock);
  Resolved resolved;
  if (LONG rc = Resolve(registry, key, resolved); rc != ERROR_SUCCESS) return rc;
  if ((resolved.access & KEY_SET_VALUE) == 0) return ERROR_ACCESS_DENIED;
  auto it = FindValue(*resolved.key, name);
  if (it == resolved.key->values.end()) {
    resolved.key->values.push_back(Value{name != nullptr ? name : "", type, {}});
    it = resolved.key->values.end() - 1;
  }
  it->type = type;
  it->data.assign(data, data + size);
  return ERROR_SUCCESS;
}

LONG RegDeleteValueA(HKEY key, const char* name) {
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> hold(registry.lock);
  Resolved resolved;
  if (LONG rc = Resolve(registry, key, resolved); rc != ERROR_SUCCESS) return rc;
  if ((resolved.access & KEY_SET_VALUE) == 0) return ERROR_ACCESS_DENIED;
  auto it = FindValue(*resolved.key, name);
  if (it == resolved.key->values.end()) return ERROR_FILE_NOT_FOUND;
  resolved.key->values.erase(it);
  return ERROR_SUCCESS;
}

LONG RegDeleteKeyA(HKEY key, const char* subkey) {
  if (subkey == nullptr) return ERROR_INVALID_PARAMETER;
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> hold(registry.lock);
  Resolved parent;
  if (LONG rc = Resolve(registry, key, parent); rc != ERROR_SUCCESS) return rc;
  std::vector<std::string> parts;
  if (LONG rc = SplitPath(subkey, parts); rc != ERROR_SUCCESS) return rc;
  std::shared_ptr<Key> target = Walk(parent.key, parts);
  if (target == nullptr) return ERROR_FILE_NOT_FOUND;
  if (IsRoot(registry, target) || !target->subkeys.empty()) return ERROR_ACCESS_DENIED;
  // The owner of the key: the parent path's last key, or the handle's key's parent when the
  // path is empty (the key deletes itself), found by a search from the roots.
  std::shared_ptr<Key> owner;
  if (!parts.empty()) {
    parts.pop_back();
    owner = Walk(parent.key, parts);
  } else {
    std::vector<std::shared_ptr<Key>> pending = {registry.machine, registry.user};
    while (!pending.empty() && owner == nullptr) {
      std::shared_ptr<Key> k = pending.back();
      pending.pop_back();
      for (const auto& child : k->subkeys) {
        if (child == target) owner = k;
        pending.push_back(child);
      }
    }
  }
  if (owner == nullptr) return ERROR_KEY_DELETED;
  auto it = std::find(owner->subkeys.begin(), owner->subkeys.end(), target);
  owner->subkeys.erase(it);
  target->deleted = true;
  return ERROR_SUCCESS;
}

LONG RegEnumKeyExA(HKEY key, DWORD index, char* name, DWORD* name_length, DWORD*, char* class_name,
                   DWORD* class_length, FILETIME* last_write) {
  if (name == nullptr || name_length == nullptr) return ERROR_INVALID_PARAMETER;
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> hold(registry.lock);
  Resolved resolved;
  if (LONG rc = Resolve(registry, key, resolved); rc != ERROR_SUCCESS) return rc;
  if ((resolved.access & KEY_ENUMERATE_SUB_KEYS) == 0) return ERROR_ACCESS_DENIED;
  if (index >= resolved.key->subkeys.size()) return ERROR_NO_MORE_ITEMS;
  const Key& child = *resolved.key->subkeys[index];
  if (child.name.size() + 1 > *name_length) return ERROR_MORE_DATA;
  if (class_name != nullptr && class_length != nullptr &&
      child.class_name.size() + 1 > *class_length) {
    return ERROR_MORE_DATA;
  }
  CopyName(child.name, name, name_length);
  if (class_name != nullptr && class_length != nullptr) {
    CopyName(child.class_name, class_name, class_length);
  }
  if (last_write != nullptr) *last_write = FILETIME{0, 0};
  return ERROR_SUCCESS;
}

LONG RegEnumValueA(HKEY key, DWORD index, char* name, DWORD* name_length, DWORD* reserved,
                   DWORD* type, BYTE* data, DWORD* data_size) {
  if (name == nullptr || name_length == nullptr || reserved != nullptr ||
      (data != nullptr && data_size == nullptr)) {
    return ERROR_INVALID_PARAMETER;
  }
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> hold(registry.lock);
  Resolved resolved;
  if (LONG rc = Resolve(registry, key, resolved); rc != ERROR_SUCCESS) return rc;
  if ((resolved.access & KEY_QUERY_VALUE) == 0) return ERROR_ACCESS_DENIED;
  if (index >= resolved.key->values.size()) return ERROR_NO_MORE_ITEMS;
  const Value& value = resolved.key->values[index];
  DWORD stored = static_cast<DWORD>(value.data.size());
  if (value.name.size() + 1 > *name_length) return ERROR_MORE_DATA;
  if (data != nullptr && *data_size < stored) {
    *data_size = stored;
    return ERROR_MORE_DATA;
  }
  CopyName(value.name, name, name_length);
  if (type != nullptr) *type = value.type;
  if (data != nullptr && stored != 0) std::memcpy(data, value.data.data(), stored);
  if (data_size != nullptr) *data_size = stored;
  return ERROR_SUCCESS;
}

LONG RegQueryInfoKeyA(HKEY key, char* class_name, DWORD* class_length, DWORD* reserved,
                      DWORD* subkeys, DWORD* max_subkey_length, DWORD* max_class_length,
                      DWORD* values, DWORD* max_value_name_length, DWORD* max_value_length,
                      DWORD* security_descriptor_size, FILETIME* last_write) {
  if (reserved != nullptr || (class_name != nullptr && class_length == nullptr)) {
    return ERROR_INVALID_PARAMETER;
  }
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> hold(registry.lock);
  Resolved resolved;
  if (LONG rc = Resolve(registry, key, resolved); rc != ERROR_SUCCESS) return rc;
  const Key& k = *resolved.key;
  if (class_name != nullptr) {
    if (k.class_name.size() + 1 > *class_length) {
      *class_length = static_cast<DWORD>(k.class_name.size());
      return ERROR_MORE_DATA;
    }
    CopyName(k.class_name, class_name, class_length);
  } else if (class_length != nullptr) {
    *class_length = static_cast<DWORD>(k.class_name.size());
  }
  size_t longest_subkey = 0, longest_class = 0, longest_name = 0, largest_value = 0;
  for (const auto& child : k.subkeys) {
    longest_subkey = std::max(longest_subkey, child->name.size());
    longest_class = std::max(longest_class, child->class_name.size());
  }
  for (const Value& value : k.values) {
    longest_name = std::max(longest_name, value.name.size());
    largest_value = std::max(largest_value, value.data.size());
  }
  if (subkeys != nullptr) *subkeys = static_cast<DWORD>(k.subkeys.size());
  if (max_subkey_length != nullptr) *max_subkey_length = static_cast<DWORD>(longest_subkey);
  if (max_class_length != nullptr) *max_class_length = static_cast<DWORD>(longest_class);
  if (values != nullptr) *values = static_cast<DWORD>(k.values.size());
  if (max_value_name_length != nullptr) *max_value_name_length = static_cast<DWORD>(longest_name);
  if (max_value_length != nullptr) *max_value_length = static_cast<DWORD>(largest_value);
  if (security_descriptor_size != nullptr) *security_descriptor_size = 0;
  if (last_write != nullptr) *last_write = FILETIME{0, 0};
  return ERROR_SUCCESS;
}

LONG RegFlushKey(HKEY key) {
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> hold(registry.lock);
  Resolved resolved;
  return Resolve(registry, key, resolved);
}
