#include "config/logon_provider_settings.h"

#include <cstring>

#include "config/registry_value.h"
#include "platform/ansi_text.h"

namespace hvn {
namespace {

// One registry value of the record: its name (also the field's name), its default and the
// field that holds it.
struct ProviderValue {
  const char* name;
  const char* default_text;
  char (LogonProviderSettings::*field)[kProviderNameSize];
};

// In the order they are read and written.
constexpr ProviderValue kProviderValues[] = {
    {"GinaDLL", kStandardProviderName, &LogonProviderSettings::GinaDLL},
    {"REM_GinaDLL", kStandardProviderName, &LogonProviderSettings::REM_GinaDLL},
};

}  // namespace

uint32_t LogonProviderSettings::SetDefaults() {
  for (const ProviderValue& value : kProviderValues) {
    char* field = this->*value.field;
    std::memset(field, 0, kProviderNameSize);
    std::memcpy(field, value.default_text,
                platform::BoundedLength(value.default_text, kProviderNameSize - 1));
  }
  return 0;
}

uint32_t LogonProviderSettings::ReadValues(HKEY key) {
  uint32_t first_error = 0;
  for (const ProviderValue& value : kProviderValues) {
    ReadRegistryText(key, value.name, this->*value.field, kProviderNameSize, first_error);
  }
  return first_error;
}

uint32_t LogonProviderSettings::WriteValues(HKEY key) {
  uint32_t first_error = 0;
  for (const ProviderValue& value : kProviderValues) {
    const char* field = this->*value.field;
    size_t length = platform::BoundedLength(field, kProviderNameSize - 1);
    if (length == 0) {
      // An absent value means the default to every reader; deleting one that is already
      // gone is no error.
      ::RegDeleteValueA(key, value.name);
      continue;
    }
    // A field without its terminator would store bytes that are not the name: refused.
    if (field[length] != '\0') {
      KeepFirstError(ERROR_INVALID_PARAMETER, first_error);
      continue;
    }
    WriteRegistryValue(key, value.name, REG_SZ, field, static_cast<uint32_t>(length + 1),
                       first_error);
  }
  ::RegFlushKey(key);
  return first_error;
}

}  // namespace hvn
