#include <cstdint>

#include "platform/heap.h"
#include "platform/registry.h"
#include "setup/kestrin/notification_packages.h"
#include "setup/kestrin/server_registration.h"

namespace hvn {
namespace {

using platform::UniqueHeapBlock;
using platform::UniqueKey;

constexpr char kLsaKey[] = "SYSTEM\\CurrentControlSet\\Control\\Lsa";
constexpr char kPackagesValue[] = "Notification Packages";

// The value as read: its bytes in a heap block of exactly `size` bytes (at least one).
struct PackageList {
  UniqueHeapBlock bytes;
  DWORD size = 0;
};

// Reads "Notification Packages" whole: asks the value's size first and reads that much, again
// with the new size if the value grew in between. An absent value is an empty list.
uint32_t ReadPackageList(HKEY key, PackageList* list) {
  for (int attempt = 0; attempt < 8; ++attempt) {
    DWORD type = 0;
    DWORD size = 0;
    LONG rc = ::RegQueryValueExA(key, kPackagesValue, nullptr, &type, nullptr, &size);
    if (rc == ERROR_FILE_NOT_FOUND) {
      list->bytes = UniqueHeapBlock::Allocate(1);
      list->size = 0;
      return list->bytes.IsValid() ? 0 : ERROR_NOT_ENOUGH_MEMORY;
    }
    if (rc != 0) return static_cast<uint32_t>(rc);
    if (type != REG_MULTI_SZ && type != REG_SZ) return ERROR_INVALID_DATA;
    list->bytes = UniqueHeapBlock::Allocate(size == 0 ? 1 : size);
    if (!list->bytes.IsValid()) return ERROR_NOT_ENOUGH_MEMORY;
    rc = ::RegQueryValueExA(key, kPackagesValue, nullptr, &type, list->bytes.As<BYTE>(), &size);
    if (rc == ERROR_MORE_DATA) continue;
    if (rc != 0) return static_cast<uint32_t>(rc);
    if (type != REG_MULTI_SZ && type != REG_SZ) return ERROR_INVALID_DATA;
    list->size = size;
    return 0;
  }
  return ERROR_MORE_DATA;
}

uint32_t WritePackageList(HKEY key, const char* bytes, size_t size) {
  if (size > UINT32_MAX) return ERROR_INVALID_DATA;
  return static_cast<uint32_t>(::RegSetValueExA(key, kPackagesValue, 0, REG_MULTI_SZ,
                                                reinterpret_cast<const BYTE*>(bytes),
                                                static_cast<DWORD>(size)));
}

uint32_t OpenLsaKey(UniqueKey* key) {
  return static_cast<uint32_t>(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kLsaKey, 0,
                                               KEY_QUERY_VALUE | KEY_SET_VALUE, key->Receive()));
}

}  // namespace

FilterRegistration RegisterFilterPackage() {
  UniqueKey key;
  if (OpenLsaKey(&key) != 0) return FilterRegistration::kFailed;
  PackageList list;
  if (ReadPackageList(key.Get(), &list) != 0) return FilterRegistration::kFailed;
  const char* bytes = list.bytes.As<const char>();
  if (ListNamesFilter(bytes, list.size)) return FilterRegistration::kPresent;
  UniqueHeapBlock added = UniqueHeapBlock::Allocate(AppendedListCapacity(list.size));
  if (!added.IsValid()) return FilterRegistration::kFailed;
  size_t added_size = AppendFilterPackage(bytes, list.size, added.As<char>());
  if (WritePackageList(key.Get(), added.As<const char>(), added_size) != 0) {
    return FilterRegistration::kFailed;
  }
  return FilterRegistration::kAdded;
}

bool UnregisterFilterPackages() {
  UniqueKey key;
  if (OpenLsaKey(&key) != 0) return false;
  PackageList list;
  if (ReadPackageList(key.Get(), &list) != 0) return false;
  UniqueHeapBlock remaining = UniqueHeapBlock::Allocate(RemainingListCapacity(list.size));
  if (!remaining.IsValid()) return false;
  RemainingList result =
      RemoveFilterPackages(list.bytes.As<const char>(), list.size, remaining.As<char>());
  if (result.removed == 0) return false;
  return WritePackageList(key.Get(), remaining.As<const char>(), result.size) == 0;
}

}  // namespace hvn
