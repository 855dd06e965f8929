#include "logon/logon_provider_settings.h"

#include <cstring>

#include "config/registry_value.h"
#include "platform/ansi_text.h"

namespace hvn {
namespace {

void SetField(char* field, const char* text) {
  std::strncpy(field, text, kProviderNameSize - 1);
  field[kProviderNameSize - 1] = '\0';
}

void WriteField(HKEY key, const char* name, const char* field, uint32_t& first_error) {
  size_t length = platform::BoundedLength(field, kProviderNameSize - 1);
  if (length == 0) {
    ::RegDeleteValueA(key, name);
    return;
  }
  WriteRegistryValue(key, name, REG_SZ, field, static_cast<uint32_t>(length + 1), first_error);
}

}  // namespace

uint32_t LogonProviderSettings::SetDefaults() {
  SetField(GinaDLL, kStandardProviderName);
  SetField(REM_GinaDLL, kStandardProviderName);
  return 0;
}

uint32_t LogonProviderSettings::ReadValues(HKEY key) {
  uint32_t first_error = 0;
  ReadRegistryText(key, "GinaDLL", GinaDLL, kProviderNameSize, first_error);
  ReadRegistryText(key, "REM_GinaDLL", REM_GinaDLL, kProviderNameSize, first_error);
  return first_error;
}

uint32_t LogonProviderSettings::WriteValues(HKEY key) {
  uint32_t first_error = 0;
  WriteField(key, "GinaDLL", GinaDLL, first_error);
  WriteField(key, "REM_GinaDLL", REM_GinaDLL, first_error);
  ::RegFlushKey(key);
  return first_error;
}

}  // namespace hvn
