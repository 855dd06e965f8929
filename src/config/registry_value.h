// Reading, writing, copying and renaming single registry values. Every call returns its own
// Win32 code (0 = success); the accessors also keep the first failure of a series in a
// caller's error variable, so a record can read many values and look at one code at the end.
#ifndef HVN_CONFIG_REGISTRY_VALUE_H_
#define HVN_CONFIG_REGISTRY_VALUE_H_

#include <cstddef>
#include <cstdint>

#include "platform/registry.h"

namespace hvn {

// Stores `code` in `first_error` when the code is a failure and `first_error` still holds 0.
// Returns `code`.
uint32_t KeepFirstError(uint32_t code, uint32_t& first_error);

// Reads value `name` of `key` into `buffer`. `size` is in/out: the buffer's capacity before
// the call (set it before every call), the bytes stored after a success. The stored type is
// neither asked for nor checked. On failure the buffer is untouched and `size` is 0: 2 for a
// missing value, 234 for a value larger than the capacity, 8 when no scratch block could be
// had. Failures go to `first_error` as KeepFirstError says.
uint32_t ReadRegistryValue(HKEY key, const char* name, void* buffer, uint32_t& size,
                           uint32_t& first_error);

// Stores `size` bytes of `data` as value `name` of `key` with registry type `type`.
uint32_t WriteRegistryValue(HKEY key, const char* name, uint32_t type, const void* data,
                            uint32_t size, uint32_t& first_error);

// Asks for the type and size of value `name` without reading its data. Either out-pointer
// may be null. Returns 0 or the query's code (2 when the value is missing).
uint32_t QueryRegistryValueInfo(HKEY key, const char* name, uint32_t* type, uint32_t* size);

// Reads a 32-bit number. Only a REG_DWORD of exactly 4 bytes is taken: a number stored as
// text, or with another type or size, is refused with 13 (invalid data) and `value` keeps
// what it held, so a "Timeout" of "500" never becomes a 52-minute wait.
uint32_t ReadRegistryNumber(HKEY key, const char* name, uint32_t& value, uint32_t& first_error);

// Reads a text into a fixed field of `capacity` bytes. The stored type is not checked. The
// field always ends terminated: a value of fewer than `capacity` bytes is stored with a NUL
// after it (whether or not it brought its own); a value that fills the field is taken only
// when its last byte is NUL; anything longer is refused with 234 and the field keeps what it
// held (a path cut short would name another file).
uint32_t ReadRegistryText(HKEY key, const char* name, char* field, size_t capacity,
                          uint32_t& first_error);

// The three readers above for a series whose failures are not reported: a value that cannot
// be read leaves the field as it was. Each returns its own code.
uint32_t ReadRegistryValue(HKEY key, const char* name, void* buffer, uint32_t& size);
uint32_t ReadRegistryNumber(HKEY key, const char* name, uint32_t& value);
uint32_t ReadRegistryText(HKEY key, const char* name, char* field, size_t capacity);

// Copies value `source_name` of `source` to `target` as `target_name`, with its type and its
// exact bytes. The keys may be the same key. Returns the query's or the store's code, or 8
// when no buffer could be allocated; the buffer is released on every path.
uint32_t CopyRegistryValue(HKEY source, HKEY target, const char* source_name,
                           const char* target_name);

// Renames value `old_name` of `key` to `new_name` (an existing value of that name is
// replaced). Names equal apart from letter case give 87 and change nothing. The old value is
// deleted only after the copy succeeded, so a failure never loses it.
uint32_t RenameRegistryValue(HKEY key, const char* old_name, const char* new_name);

}  // namespace hvn

#endif  // HVN_CONFIG_REGISTRY_VALUE_H_
