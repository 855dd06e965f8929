// The registry API the system uses (the ANSI Reg*A calls and HKEY). The Windows build takes
// them from the system; the portable build (tests, fuzz targets, benchmarks) gets the same
// names and signatures from a small in-memory registry in the test support tree
// (tests/support/registry_memory.cpp), so registry logic also runs natively under the
// sanitizers. Both builds run the same registry tests.
#ifndef HVN_PLATFORM_REGISTRY_H_
#define HVN_PLATFORM_REGISTRY_H_

#include "platform/error_codes.h"

#ifdef _WIN32
#include "platform/win.h"
#else
#include <cstdint>

// Portable stand-ins for the Windows types, with the same widths as in 32-bit Windows.
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef uint8_t BYTE;
typedef DWORD REGSAM;
struct HKEY__;
typedef HKEY__* HKEY;
typedef HKEY* PHKEY;
struct SECURITY_ATTRIBUTES;
struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};

// The predefined roots of the in-memory registry.
#define HKEY_CURRENT_USER (reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x80000001u)))
#define HKEY_LOCAL_MACHINE (reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x80000002u)))

#define DELETE 0x00010000
#define READ_CONTROL 0x00020000
#define KEY_QUERY_VALUE 0x0001
#define KEY_SET_VALUE 0x0002
#define KEY_CREATE_SUB_KEY 0x0004
#define KEY_ENUMERATE_SUB_KEYS 0x0008
#define KEY_NOTIFY 0x0010
#define KEY_CREATE_LINK 0x0020
#define KEY_READ 0x00020019
#define KEY_WRITE 0x00020006
#define KEY_ALL_ACCESS 0x000F003F

#define REG_NONE 0
#define REG_SZ 1
#define REG_EXPAND_SZ 2
#define REG_BINARY 3
#define REG_DWORD 4
#define REG_DWORD_BIG_ENDIAN 5
#define REG_LINK 6
#define REG_MULTI_SZ 7
#define REG_QWORD 11

#define REG_OPTION_NON_VOLATILE 0
#define REG_OPTION_VOLATILE 1
#define REG_CREATED_NEW_KEY 1
#define REG_OPENED_EXISTING_KEY 2

// The Reg*A calls, with the Windows signatures (pointer types spelled out).
LONG RegOpenKeyExA(HKEY key, const char* subkey, DWORD options, REGSAM access, HKEY* result);
LONG RegCreateKeyExA(HKEY key, const char* subkey, DWORD reserved, char* class_name, DWORD options,
                     REGSAM access, SECURITY_ATTRIBUTES* security, HKEY* result,
                     DWORD* disposition);
LONG RegCloseKey(HKEY key);
LONG RegQueryValueExA(HKEY key, const char* name, DWORD* reserved, DWORD* type, BYTE* data,
                      DWORD* size);
LONG RegSetValueExA(HKEY key, const char* name, DWORD reserved, DWORD type, const BYTE* data,
                    DWORD size);
LONG RegDeleteValueA(HKEY key, const char* name);
LONG RegDeleteKeyA(HKEY key, const char* subkey);
LONG RegEnumKeyExA(HKEY key, DWORD index, char* name, DWORD* name_length, DWORD* reserved,
                   char* class_name, DWORD* class_length, FILETIME* last_write);
LONG RegEnumValueA(HKEY key, DWORD index, char* name, DWORD* name_length, DWORD* reserved,
                   DWORD* type, BYTE* data, DWORD* data_size);
LONG RegQueryInfoKeyA(HKEY key, char* class_name, DWORD* class_length, DWORD* reserved,
                      DWORD* subkeys, DWORD* max_subkey_length, DWORD* max_class_length,
                      DWORD* values, DWORD* max_value_name_length, DWORD* max_value_length,
                      DWORD* security_descriptor_size, FILETIME* last_write);
LONG RegFlushKey(HKEY key);
#endif  // _WIN32

#include "platform/unique_resource.h"

namespace hvn::platform {

struct RegistryKeyTraits {
  using Handle = HKEY;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle key) { ::RegCloseKey(key); }
};

// Owns one open registry key; closes it when the owner goes.
using UniqueKey = UniqueResource<RegistryKeyTraits>;

}  // namespace hvn::platform

#endif  // HVN_PLATFORM_REGISTRY_H_
