#include "config/registry_value.h"

#include <cstring>

#include "platform/ansi_text.h"
#include "platform/heap.h"

namespace hvn {
namespace {

bool IsTextType(DWORD type) {
  return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

}  // namespace

uint32_t KeepFirstError(uint32_t code, uint32_t& first_error) {
  if (code != 0 && first_error == 0) first_error = code;
  return code;
}

uint32_t ReadRegistryValue(HKEY key, const char* name, void* buffer, uint32_t& size,
                           uint32_t& first_error) {
  uint32_t capacity = size;
  size = 0;
  // The query goes to a scratch block: on a too-small buffer Windows leaves the buffer's
  // contents undefined, and the caller's field must keep its value on every failure.
  platform::UniqueHeapBlock scratch = platform::UniqueHeapBlock::Allocate(capacity);
  if (!scratch.IsValid()) return KeepFirstError(ERROR_NOT_ENOUGH_MEMORY, first_error);
  DWORD stored = capacity;
  LONG rc = ::RegQueryValueExA(key, name, nullptr, nullptr, scratch.As<BYTE>(), &stored);
  if (rc != ERROR_SUCCESS) return KeepFirstError(static_cast<uint32_t>(rc), first_error);
  if (stored > capacity) return KeepFirstError(ERROR_MORE_DATA, first_error);
  if (stored != 0) std::memcpy(buffer, scratch.Get(), stored);
  size = stored;
  return 0;
}

uint32_t WriteRegistryValue(HKEY key, const char* name, uint32_t type, const void* data,
                            uint32_t size, uint32_t& first_error) {
  LONG rc = ::RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
  return KeepFirstError(static_cast<uint32_t>(rc), first_error);
}

uint32_t QueryRegistryValueInfo(HKEY key, const char* name, uint32_t* type, uint32_t* size) {
  DWORD stored_type = REG_NONE;
  DWORD stored_size = 0;
  LONG rc = ::RegQueryValueExA(key, name, nullptr, &stored_type, nullptr, &stored_size);
  if (rc != ERROR_SUCCESS) return static_cast<uint32_t>(rc);
  if (type != nullptr) *type = stored_type;
  if (size != nullptr) *size = stored_size;
  return 0;
}

uint32_t ReadRegistryNumber(HKEY key, const char* name, uint32_t& value, uint32_t& first_error) {
  // One byte more than a number, so a larger value is told apart from a 4-byte one.
  BYTE bytes[8] = {};
  DWORD type = REG_NONE;
  DWORD stored = sizeof(bytes);
  LONG rc = ::RegQueryValueExA(key, name, nullptr, &type, bytes, &stored);
  if (rc == ERROR_MORE_DATA) return KeepFirstError(ERROR_INVALID_DATA, first_error);
  if (rc != ERROR_SUCCESS) return KeepFirstError(static_cast<uint32_t>(rc), first_error);
  if (type != REG_DWORD || stored != 4) return KeepFirstError(ERROR_INVALID_DATA, first_error);
  std::memcpy(&value, bytes, 4);  // REG_DWORD is little-endian, as are all our targets
  return 0;
}

uint32_t ReadRegistryText(HKEY key, const char* name, char* field, size_t capacity,
                          uint32_t& first_error) {
  if (capacity == 0) return KeepFirstError(ERROR_INSUFFICIENT_BUFFER, first_error);
  platform::UniqueHeapBlock scratch = platform::UniqueHeapBlock::Allocate(capacity);
  if (!scratch.IsValid()) return KeepFirstError(ERROR_NOT_ENOUGH_MEMORY, first_error);
  uint32_t size = static_cast<uint32_t>(capacity);
  uint32_t ignored = 0;
  if (uint32_t rc = ReadRegistryValue(key, name, scratch.Get(), size, ignored); rc != 0)
    return KeepFirstError(rc, first_error);
  const char* text = scratch.As<char>();
  if (size == capacity && text[size - 1] != '\0') {
    return KeepFirstError(ERROR_MORE_DATA, first_error);
  }
  std::memcpy(field, text, size);
  if (size < capacity) field[size] = '\0';
  return 0;
}

uint32_t ReadRegistryValue(HKEY key, const char* name, void* buffer, uint32_t& size) {
  uint32_t unreported = 0;
  return ReadRegistryValue(key, name, buffer, size, unreported);
}

uint32_t ReadRegistryNumber(HKEY key, const char* name, uint32_t& value) {
  uint32_t unreported = 0;
  return ReadRegistryNumber(key, name, value, unreported);
}

uint32_t ReadRegistryText(HKEY key, const char* name, char* field, size_t capacity) {
  uint32_t unreported = 0;
  return ReadRegistryText(key, name, field, capacity, unreported);
}

uint32_t CopyRegistryValue(HKEY source, HKEY target, const char* source_name,
                           const char* target_name) {
  DWORD type = REG_NONE;
  DWORD size = 0;
  LONG rc = ::RegQueryValueExA(source, source_name, nullptr, &type, nullptr, &size);
  if (rc != ERROR_SUCCESS) return static_cast<uint32_t>(rc);
  // One guard byte past the data: the ANSI store of a text reads the byte after `size` and
  // would take it in when it is NUL, so a text stored without its terminator would grow by
  // one byte in the copy. A non-NUL guard keeps the copy byte for byte.
  platform::UniqueHeapBlock buffer = platform::UniqueHeapBlock::Allocate(size + 1);
  if (!buffer.IsValid()) return ERROR_NOT_ENOUGH_MEMORY;
  DWORD capacity = size;
  rc = ::RegQueryValueExA(source, source_name, nullptr, &type, buffer.As<BYTE>(), &capacity);
  if (rc != ERROR_SUCCESS) return static_cast<uint32_t>(rc);
  if (IsTextType(type)) buffer.As<BYTE>()[capacity] = 0xFF;
  return static_cast<uint32_t>(
      ::RegSetValueExA(target, target_name, 0, type, buffer.As<BYTE>(), capacity));
}

uint32_t RenameRegistryValue(HKEY key, const char* old_name, const char* new_name) {
  if (old_name == nullptr) old_name = "";
  if (new_name == nullptr) new_name = "";
  if (platform::AnsiEqualIgnoreCase(old_name, std::strlen(old_name), new_name,
                                    std::strlen(new_name))) {
    return ERROR_INVALID_PARAMETER;
  }
  if (uint32_t rc = CopyRegistryValue(key, key, old_name, new_name); rc != 0) return rc;
  return static_cast<uint32_t>(::RegDeleteValueA(key, old_name));
}

}  // namespace hvn
