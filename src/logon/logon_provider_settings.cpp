#include "logon/logon_provider_settings.h"

#include <cstring>

#include "platform/ansi_text.h"

namespace hvn {
namespace {

constexpr char kDefaultProvider[] = "MSGINA.DLL";

void SetField(char* field, const char* text) {
  std::strncpy(field, text, kProviderNameSize - 1);
  field[kProviderNameSize - 1] = '\0';
}

// Terminates a field that received `size` bytes: behind the bytes read, but never behind the
// field's last byte, and never inside a double-byte character.
void TerminateField(char* field, uint32_t size) {
  size_t end = size < kProviderNameSize - 1 ? size : kProviderNameSize - 1;
  size_t boundary = 0;
  while (boundary < end) {
    size_t width = platform::IsAnsiLeadByte(static_cast<unsigned char>(field[boundary])) ? 2 : 1;
    if (boundary + width > end) break;
    boundary += width;
  }
  field[boundary] = '\0';
}

uint32_t ReadField(HKEY key, const char* name, char* field, uint32_t* first_error) {
  DWORD size = kProviderNameSize;
  uint32_t rc =
      ::RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(field), &size);
  if (rc != 0) {
    if (*first_error == 0) *first_error = rc;
    SetField(field, kDefaultProvider);
    return rc;
  }
  TerminateField(field, size);
  return 0;
}

uint32_t WriteField(HKEY key, const char* name, const char* field, uint32_t* first_error) {
  size_t length = platform::BoundedLength(field, kProviderNameSize - 1);
  if (length == 0) {
    ::RegDeleteValueA(key, name);
    return 0;
  }
  uint32_t rc = ::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(field),
                                 static_cast<DWORD>(length + 1));
  if (rc != 0 && *first_error == 0) *first_error = rc;
  return rc;
}

}  // namespace

uint32_t LogonProviderSettings::SetDefaults() {
  SetField(GinaDLL, kDefaultProvider);
  SetField(REM_GinaDLL, kDefaultProvider);
  return 0;
}

uint32_t LogonProviderSettings::ReadValues(HKEY key) {
  uint32_t first_error = 0;
  ReadField(key, "GinaDLL", GinaDLL, &first_error);
  ReadField(key, "REM_GinaDLL", REM_GinaDLL, &first_error);
  return first_error;
}

uint32_t LogonProviderSettings::WriteValues(HKEY key) {
  uint32_t first_error = 0;
  WriteField(key, "GinaDLL", GinaDLL, &first_error);
  WriteField(key, "REM_GinaDLL", REM_GinaDLL, &first_error);
  ::RegFlushKey(key);
  return first_error;
}

uint32_t LogonProviderSettings::Load(HKEY root, const char* subkey) {
  if (uint32_t rc = SetDefaults(); rc != 0) return rc;
  HKEY key = nullptr;
  if (uint32_t rc = ::RegOpenKeyExA(root, subkey, 0, KEY_READ, &key); rc != 0) return rc;
  uint32_t rc = ReadValues(key);
  ::RegCloseKey(key);
  return rc;
}

uint32_t LogonProviderSettings::Save(HKEY root, const char* subkey) {
  HKEY key = nullptr;
  if (uint32_t rc = ::RegCreateKeyExA(root, subkey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                                      nullptr, &key, nullptr);
      rc != 0)
    return rc;
  uint32_t rc = WriteValues(key);
  ::RegCloseKey(key);
  return rc;
}

}  // namespace hvn
